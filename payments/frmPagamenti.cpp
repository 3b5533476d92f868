#include "payments/frmPagamenti.h"
#include "payments/frmEditGirate.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmEditVersamenti.h"
#include "payments/frmSelectPagamenti.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basRegistering.h"
#include <algorithm>

double gPagamentiClienteID = 0;
QString gPagamentiClienteNome;

namespace {
// The endorsement line: its height and its distance from the grid above and the total below.
constexpr double kLineHeight = 270;
constexpr double kLineGap = 60;

// The note that ends an endorsement's or a deposit's sentence; nothing for a blank one.
QString noteSuffix(const QString &note)
{
    const QString n = note.trimmed();
    return n.isEmpty() ? QString() : QStringLiteral(" (Note: ") + n + QLatin1Char(')');
}

// The payments with their customers, up to the join: the list adds the filter and the order,
// the one-row query its key.
QString selectFrom()
{
    return QStringLiteral("SELECT ") + QStringLiteral(" a.pagamentiID, ")
           + concatSql(QStringLiteral("b.cognome"), QStringLiteral("' '"), QStringLiteral("b.nome"))
           + QStringLiteral(" as Cliente, a.ANAGRAFICAID,  ")
           + QStringLiteral("a.DataPagamento, a.Causale, a.Importo,  ")
           + QStringLiteral("a.NotePagamento, a.DateTimeCreated as DataCreazione, a.DateTimeLastUpdated as "
                            "DataUltimaModifica ")
           + QStringLiteral("FROM pagamenti a, Anagrafica b ")
           + QStringLiteral("WHERE a.ANAGRAFICAID = b.ANAGRAFICAID  ");
}

ListWindowDesc paymentList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Pagamenti");
    d.key = key;
    d.listQuery = selectFrom();
    d.listQueryTail = QStringLiteral(" order by a.PagamentiID ");
    d.filterSlot = &gWherePagamenti;
    const QString select = d.listQuery;
    d.oneRowQuery = [select](const QString &id) { return select + QStringLiteral("AND a.PagamentiID = ") + id; };
    d.newestKeyQuery = QStringLiteral("SELECT MAX(PagamentiID) FROM Pagamenti ");
    // A payment can always be deleted; its endorsement and deposit rows go with it.
    d.deleteStatements = [](const QString &id) {
        return QStringList{QStringLiteral("DELETE From girate WHERE PagamentiID = ") + id,
                           QStringLiteral("DELETE From versamenti WHERE PagamentiID = ") + id,
                           QStringLiteral("DELETE From Pagamenti WHERE PagamentiID = ") + id};
    };
    d.editDialog = []() -> Form * { return FormInstance<frmEditPagamenti>::get(); };
    d.filterDialog = []() -> Form * { return FormInstance<frmSelectPagamenti>::get(); };
    d.printExcludedColumns = {0, 2};
    d.printSubtitle = [] {
        QString subtitle = getSetting(QStringLiteral("INTESTAZ")) + QStringLiteral(" - Pagamenti");
        if (frmPagamenti::oneCustomer())
            subtitle += QStringLiteral(" di ") + gPagamentiClienteNome;
        return subtitle;
    };
    d.totalFields = QStringLiteral("Importo*");
    d.totalCaption = QStringLiteral("Importo complessivo dei pagamenti visualizzati: ");
    d.exportButton = true;
    return d;
}
}

frmPagamenti::frmPagamenti() : ListWindow(QStringLiteral("frmPagamenti"), paymentList(&mPagamentiID))
{
    cmdGira = new XPButton(this, QStringLiteral("cmdGira"), QStringLiteral("&Gira assegno"));
    cmdVersa = new XPButton(this, QStringLiteral("cmdVersa"), QStringLiteral("&Versa assegno"));
    lblGiraVersa = new XPLabel(this, QStringLiteral("lblGiraVersa"), QString());
    connect(cmdGira, &QPushButton::clicked, this, [this] { cmdGira_Click(); });
    connect(cmdVersa, &QPushButton::clicked, this, [this] { cmdVersa_Click(); });
    connect(MSFlexGrid1, &MSFlexGrid::KeyUp, this, [this](int k, int s) { MSFlexGrid1_KeyUp(k, s); });

    // Designer layout, in twips.
    resize(toPixels(13200), toPixels(8400));
    OsenXPForm1->Move(0, 0, 13200, 450);
    cmdAdd->Move(480, 840, 1095, 375);
    cmdDelete->Move(1680, 840, 1095, 375);
    cmdSelect->Move(2880, 840, 1095, 375);
    cmdPrintGrid->Move(4080, 840, 1095, 375);
    cmdEsportaDati->Move(5280, 840, 1815, 375);
    cmdGira->Move(7200, 840, 1500, 375);
    cmdVersa->Move(8805, 840, 1500, 375);
    cmdClose->Move(10410, 840, 1095, 375);
    MSFlexGrid1->Move(480, 1440, 12240, 5670);
    lblGiraVersa->Move(480, 7170, 12240, kLineHeight);
}

void frmPagamenti::showAllCustomers()
{
    // No customer: the title, the filter button and the new payment's customer are those of
    // every customer's list, not of the customer the list last showed.
    gPagamentiClienteNome.clear();
    FormInstance<frmPagamenti>::get()->Show(true);
}

void frmPagamenti::showCustomer(double customerId, const QString &customerName)
{
    gPagamentiClienteID = customerId;
    gPagamentiClienteNome = customerName;
    gWherePagamenti = QStringLiteral(" a.anagraficaid=") + keyText(customerId);
    FormInstance<frmPagamenti>::get()->Show(true);
}

bool frmPagamenti::oneCustomer() { return !gPagamentiClienteNome.isEmpty(); }

QString frmPagamenti::selectedPaymentKey() { return keyText(FormInstance<frmPagamenti>::get()->mPagamentiID); }

EditDialogDesc::Reference frmPagamenti::selectedPaymentReference()
{
    return {[] { return QStringLiteral("SELECT 1 FROM Pagamenti WHERE PagamentiID = ") + selectedPaymentKey(); },
            QStringLiteral("Il pagamento non esiste più: è stato eliminato da un altro utente.")};
}

void frmPagamenti::beforeLoad()
{
    const QString title =
        oneCustomer() ? QStringLiteral("Pagamenti di ") + gPagamentiClienteNome : QStringLiteral("Pagamenti");
    setCaption(title);
    OsenXPForm1->setCaption(title);
    // One customer's list keeps its restriction: a filter would replace it.
    cmdSelect->setEnabled(!oneCustomer());
}

void frmPagamenti::cmdSelect_Click()
{
    if (oneCustomer())
        return;
    ListWindow::cmdSelect_Click();
}

void frmPagamenti::AddGridRow()
{
    Procedure p(Name(), QStringLiteral("AddGridRow"));
    const auto report = [&p](const PlatformError &e) {
        if (gErrorTrapOn)
            MyMsgBox(QStringLiteral("Error No: ") + QString::number(e.number()) + QLatin1Char(' ') + e.description()
                         + QStringLiteral(" in ") + gCurrentProcedure,
                     48, QStringLiteral("Norvik"));
        else
            p.report(e);
    };
    try {
        appendNewestRow();
    } catch (const PlatformError &e) {
        report(e);
    } catch (const std::exception &e) {
        report(PlatformError(ErrNo::InvalidProcedureCall, QString::fromUtf8(e.what())));
    }
    Screen::setMousePointer(0);
}

void frmPagamenti::FillGrid()
{
    ListWindow::FillGrid();
    // No row is selected after a fill: the line must not go on describing one.
    ToggleGiraVersa();
}

void frmPagamenti::Form_Resize()
{
    ListWindow::Form_Resize();
    Procedure p(Name(), QStringLiteral("Form_Resize"));
    p.run([&] {
        if (isMinimizedState())
            return;
        // Never so narrow that the button row is cut off: it is wider than the least width.
        double buttonsRight = 0;
        for (Control *c : Controls())
            if (c->Kind() == ControlKind::Button)
                buttonsRight = std::max(buttonsRight, c->Left() + c->Width());
        const double leastWidth = buttonsRight + cmdAdd->Left() + (Width() - ScaleWidth());
        if (Width() < leastWidth) {
            setWidth(leastWidth);
            return;
        }
        // The endorsement line stands between the grid and the total; the grid gives up the room.
        MSFlexGrid *g = MSFlexGrid1;
        const double lineTop = lblTotaleImporti->Top() - kLineGap - kLineHeight;
        lblGiraVersa->Move(g->Left(), lineTop, g->Width(), kLineHeight);
        g->Move(g->Left(), g->Top(), g->Width(), std::max(lineTop - kLineGap - g->Top(), 0.0));
    });
}

void frmPagamenti::ToggleGiraVersa()
{
    traceProcedure(Name(), QStringLiteral("ToggleGiraVersa"));
    QString line;
    // The line only tells what it can read: on a database without the endorsement, deposit or
    // account tables, or one that cannot be read just now, it stays empty and says nothing, so
    // that every click, key and double click on the list works as on a full database.
    ignoreErrors([&] {
        const MSFlexGrid *g = MSFlexGrid1;
        if (g->Row() < 1 || g->Rows() < 2)
            return;
        // A cleared grid holds no key.
        const QString key = g->TextMatrix(g->Row(), 0).trimmed();
        if (key.isEmpty())
            return;
        const double id = vb::CDbl(key);
        QStringList sentences;
        if (isGirato(id))
            sentences << getGiratoMessage(id);
        if (isVersato(id))
            sentences << getVersatoMessage(id);
        sentences.removeAll(QString());
        line = sentences.join(QStringLiteral(" - "));
    });
    lblGiraVersa->setCaption(line);
    // A long note does not fit the line: the whole of it on hovering.
    lblGiraVersa->setToolTip(line);
}

bool frmPagamenti::readFirstRow(const QString &procedure, const QString &sql,
                                const std::function<void(const FieldOf &)> &read)
{
    traceProcedure(Name(), procedure);
    bool found = false;
    // Read on a result of its own: the shared one may be in use by whoever moved the grid.
    ignoreErrors([&] {
        if (!gSqliteDb || !gSqliteDb->isOpen())
            return;
        const auto rs = gSqliteDb->query(sql);
        found = !rs->EOF_();
        if (found && read)
            read([&rs](const char *name) { return rs->Fields()(QLatin1String(name)); });
    });
    return found;
}

bool frmPagamenti::hasRow(const QString &procedure, const QString &table, double id)
{
    return readFirstRow(procedure, QStringLiteral("select 1 from ") + table + QStringLiteral(" where Pagamentiid = ")
                                       + keyText(id));
}

bool frmPagamenti::isGirato(double id) { return hasRow(QStringLiteral("isGirato"), QStringLiteral("Girate"), id); }

bool frmPagamenti::isVersato(double id)
{
    return hasRow(QStringLiteral("isVersato"), QStringLiteral("versamenti"), id);
}

QString frmPagamenti::firstRowSentence(const QString &procedure, const QString &sql,
                                       const std::function<QString(const FieldOf &)> &sentence)
{
    QString message;
    readFirstRow(procedure, sql, [&](const FieldOf &field) { message = sentence(field); });
    return message;
}

QString frmPagamenti::getGiratoMessage(double id)
{
    return firstRowSentence(QStringLiteral("getGiratoMessage"),
                            QStringLiteral("select * from girate , Pagamenti , anagrafica ")
                                + QStringLiteral(" where girate.Pagamentiid=Pagamenti.Pagamentiid ")
                                + QStringLiteral(" and girate.anagraficaid=anagrafica.anagraficaid ")
                                + QStringLiteral(" and girate.Pagamentiid=") + keyText(id),
                            [](const FieldOf &field) {
                                QString text = QStringLiteral("Assegno girato ");
                                const QVariant full = field("giratapiena").Value();
                                if (full.isValid() && vb::CDbl(full) != 0)
                                    text += QStringLiteral("(Girata piena) ");
                                text += QStringLiteral("a ") + field("cognome").Text() + QLatin1Char(' ')
                                        + field("nome").Text();
                                const QString date = field("datagirata").Text().trimmed();
                                if (!date.isEmpty())
                                    text += QStringLiteral(" il ") + date;
                                return text + noteSuffix(field("notegirata").Text());
                            });
}

QString frmPagamenti::getVersatoMessage(double id)
{
    return firstRowSentence(QStringLiteral("getVersatoMessage"),
                            QStringLiteral("select * from versamenti, Pagamenti, mieiconticorrenti ")
                                + QStringLiteral(" where versamenti.Pagamentiid=Pagamenti.Pagamentiid ")
                                + QStringLiteral(" and versamenti.contocorrenteid=mieiconticorrenti.contocorrenteid ")
                                + QStringLiteral(" and versamenti.Pagamentiid=") + keyText(id),
                            [](const FieldOf &field) {
                                QString text = QStringLiteral("Assegno versato su ") + field("descrizione").Text();
                                const QString date = field("dataversamento").Text();
                                if (!date.isEmpty())
                                    text += QStringLiteral(" il ") + date;
                                return text + noteSuffix(field("noteversamento").Text());
                            });
}

void frmPagamenti::showForSelectedPayment(const QString &procedure, const std::function<Form *()> &dialog)
{
    Procedure p(Name(), procedure);
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (g->Row() == 0 || g->Rows() == 1)
            return;
        mPagamentiID = vb::CDbl(g->TextMatrix(g->Row(), 0));
        dialog()->Show(true);
        // The list is not read again: the row stays selected and the line tells what was recorded.
        ToggleGiraVersa();
    });
}

void frmPagamenti::cmdGira_Click()
{
    showForSelectedPayment(QStringLiteral("cmdGira_Click"), [] { return FormInstance<frmEditGirate>::get(); });
}

void frmPagamenti::cmdVersa_Click()
{
    showForSelectedPayment(QStringLiteral("cmdVersa_Click"), [] { return FormInstance<frmEditVersamenti>::get(); });
}

void frmPagamenti::afterDelete() { ToggleGiraVersa(); }

void frmPagamenti::MSFlexGrid1_DblClick()
{
    ListWindow::MSFlexGrid1_DblClick();
    ToggleGiraVersa();
}

void frmPagamenti::MSFlexGrid1_KeyUp(int, int) { ToggleGiraVersa(); }

void frmPagamenti::MSFlexGrid1_MouseDown(int Button, int Shift, double X, double Y)
{
    ListWindow::MSFlexGrid1_MouseDown(Button, Shift, X, Y);
    ToggleGiraVersa();
}

void frmPagamenti::MSFlexGrid1_MouseUp(int Button, int Shift, double X, double Y)
{
    ListWindow::MSFlexGrid1_MouseUp(Button, Shift, X, Y);
    ToggleGiraVersa();
}

void frmPagamenti::MSFlexGrid1_SelChange()
{
    ListWindow::MSFlexGrid1_SelChange();
    ToggleGiraVersa();
}
