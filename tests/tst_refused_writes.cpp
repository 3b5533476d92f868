// Every edit dialog whose write the database refuses, or whose uniqueness check cannot look at
// the database: the dialog stays open with what was typed, nothing is written, its list is not
// called back; once the database takes it, the same OK writes it.
#include "banking/frmAssegniEmessi.h"
#include "banking/frmEditAssegniEmessi.h"
#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "payments/frmEditGirate.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmEditVersamenti.h"
#include "payments/frmPagamenti.h"
#include "platform/SqliteDb.h"
#include "shell/EditDialog.h"
#include "testsupport.h"
#include <sqlite3.h>

namespace {
struct Kind {
    const char *name;
    QString table;
    bool insertOnly;
    std::function<Form *()> openList;
    std::function<EditDialog *()> openDialog;
    std::function<void(EditDialog *)> fill;
};

// The list opened on its first row, as a click and a double click leave it.
template <class List>
std::function<Form *()> list(double List::*key)
{
    return [key] {
        List *w = openForm<List>();
        clickRow(w->MSFlexGrid1, 1);
        w->*key = w->MSFlexGrid1->TextMatrix(1, 0).toDouble();
        return static_cast<Form *>(w);
    };
}
template <class Dialog>
std::function<EditDialog *()> dialog()
{
    return [] { return static_cast<EditDialog *>(openForm<Dialog>()); };
}
template <class Dialog>
std::function<void(EditDialog *)> filling(std::function<void(Dialog *)> f)
{
    return [f](EditDialog *d) { f(static_cast<Dialog *>(d)); };
}

const QList<Kind> &kinds()
{
    static const QList<Kind> all = {
        {"customer", "Anagrafica", false, list(&frmAnagrafica::mANAGRAFICAID), dialog<frmEditAnagrafica>(),
         filling<frmEditAnagrafica>([](frmEditAnagrafica *d) {
             choose(d->cboTipologia, "Socio");
             typeInto(d->txtCognome, "Rossi");
             d->txtDataNascita->setValue(QDate(1980, 1, 1));
         })},
        {"type", "TipologiaPersone", false, list(&frmTipologiaPersone::mTIPOLOGIAID), dialog<frmEditTipologiaPersone>(),
         filling<frmEditTipologiaPersone>([](frmEditTipologiaPersone *d) { typeInto(d->txtTipologia, "Amico"); })},
        {"payment", "Pagamenti", false, list(&frmPagamenti::mPagamentiID), dialog<frmEditPagamenti>(),
         filling<frmEditPagamenti>([](frmEditPagamenti *d) {
             d->cboSocio->setListIndex(0);
             d->txtDataPagamento->setValue(QDate(2024, 1, 12));
             typeInto(d->txtImporto, "99,90");
         })},
        {"cheque", "AssegniEmessi", false, list(&frmAssegniEmessi::mASSEGNIEMESSIID), dialog<frmEditAssegniEmessi>(),
         filling<frmEditAssegniEmessi>([](frmEditAssegniEmessi *d) {
             d->cboDescrizione->setListIndex(0);
             d->cboNome->setListIndex(0);
             d->txtDataAssegno->setValue(QDate(2024, 1, 12));
             typeInto(d->txtNumero, "555");
             typeInto(d->txtImporto, "99,90");
         })},
        {"account", "MieiContiCorrenti", false, list(&frmMieiContiCorrenti::mCONTOCORRENTEID),
         dialog<frmEditMieiContiCorrenti>(), filling<frmEditMieiContiCorrenti>([](frmEditMieiContiCorrenti *d) {
             const QStringList values{"Conto nuovo", "Banca", "01000", "03200", "12", "O'Neil"};
             int i = 0;
             for (XPTextBox *b :
                  {d->txtDescrizione, d->txtBanca, d->txtABI, d->txtCAB, d->txtNumeroConto, d->txtIntestatari})
                 typeInto(b, values.at(i++));
         })},
        {"endorsement", "Girate", true, list(&frmPagamenti::mPagamentiID), dialog<frmEditGirate>(),
         filling<frmEditGirate>([](frmEditGirate *d) {
             d->cboNome->setListIndex(1);
             typeInto(d->txtDataGirata, "12012024");
             QTest::mouseClick(d->chkGirataPiena, Qt::LeftButton, {}, QPoint(6, 12));
             typeInto(d->txtNote, "a'b");
         })},
        {"deposit", "Versamenti", true, list(&frmPagamenti::mPagamentiID), dialog<frmEditVersamenti>(),
         filling<frmEditVersamenti>([](frmEditVersamenti *d) {
             d->cboDescrizione->setListIndex(0);
             typeInto(d->txtDataVersamento, "12012024");
             typeInto(d->txtNote, "a'b");
         })},
    };
    return all;
}

// What a window shows: the values of its fields, the rows of its grid, the captions of its labels.
QStringList shown(const Form *f)
{
    QStringList out;
    for (Control *c : f->Controls()) {
        switch (c->Kind()) {
        case ControlKind::TextBox:
            out << static_cast<XPTextBox *>(c)->Text();
            break;
        case ControlKind::DTPicker:
            out << static_cast<XPDTPicker *>(c)->text();
            break;
        case ControlKind::ComboBox:
            out << static_cast<XPComboBox *>(c)->Text();
            break;
        case ControlKind::CheckBox:
            out << QString::number(static_cast<XPCheckBox *>(c)->Value());
            break;
        case ControlKind::Label:
            out << static_cast<XPLabel *>(c)->Caption();
            break;
        case ControlKind::Grid:
            for (int r = 0; r < static_cast<MSFlexGrid *>(c)->Rows(); ++r)
                out << gridRow(static_cast<MSFlexGrid *>(c), r);
            break;
        default:
            break;
        }
    }
    return out;
}

void kindRows()
{
    QTest::addColumn<int>("kind");
    for (int i = 0; i < kinds().size(); ++i)
        QTest::newRow(kinds().at(i).name) << i;
}

// The table and column an authorizer keeps SQLite from reading.
const char *gDeniedTable = "";
const char *gDeniedColumn = "";
} // namespace

class TestRefusedWrites : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void refusedWriteKeepsTheDialog_data() { kindRows(); }
    void refusedWriteKeepsTheDialog()
    {
        QFETCH(int, kind);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        prog.exec(QStringLiteral("create trigger noinsert before insert on %1 begin select raise(abort, 'disco pieno');"
                                 " end; create trigger noupdate before update on %1 begin select raise(abort, "
                                 "'disco pieno'); end")
                      .arg(k.table));
        const QString count = "select count(*) from " + k.table;
        const QString rows = prog.scalar(count);
        Form *w = k.openList();
        const QStringList listBefore = shown(w);
        for (const bool isNew : {false, true}) {
            if (!isNew && k.insertOnly)
                continue;
            gIsNewRecord = isNew;
            EditDialog *d = k.openDialog();
            k.fill(d);
            const QStringList typed = shown(d);
            clickOk(d);
            QCOMPARE(DialogScript::boxes().size(), 1);
            QVERIFY2(prompts().first().contains("disco pieno"), qPrintable(prompts().first()));
            QVERIFY(d->isLoaded());
            // Given back by the box, the dialog shows what was typed: no date put back.
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d, &activate);
            d->Form_Activate();
            QCOMPARE(shown(d), typed);
            QCOMPARE(shown(w), listBefore);
            QCOMPARE(prog.scalar(count), rows);
            if (!isNew) {
                d->cmdCancel_Click();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                continue;
            }
            // Once the database takes it, the same OK writes what was kept.
            prog.exec("drop trigger noinsert");
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
            QCOMPARE(prog.scalar(count).toInt(), rows.toInt() + 1);
            QVERIFY(k.insertOnly || shown(w) != listBefore); // those two are told by the button that opens them
        }
    }

    // A uniqueness check that cannot look (the database refuses to read the column) stops the
    // write with the reading's own message alone, not followed by one about the result it could
    // not read; with the database readable again the same OK writes.
    void uniquenessThatCannotLookWritesNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("column");
        QTest::newRow("customer card") << 0 << "NumeroTessera";
        QTest::newRow("type name") << 1 << "Tipologia";
        QTest::newRow("account description") << 4 << "Descrizione";
    }
    void uniquenessThatCannotLookWritesNothing()
    {
        QFETCH(int, kind);
        QFETCH(QString, column);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        const QString count = "select count(*) from " + k.table;
        const QString rows = prog.scalar(count);
        k.openList();
        gIsNewRecord = true;
        EditDialog *d = k.openDialog();
        k.fill(d);
        if (kind == 0)
            typeInto(static_cast<frmEditAnagrafica *>(d)->txtNumeroTessera, "T1");
        const QByteArray table = k.table.toLatin1(), col = column.toLatin1();
        gDeniedTable = table.constData();
        gDeniedColumn = col.constData();
        sqlite3_set_authorizer(
            gSqliteDb->handle(),
            [](void *, int action, const char *t, const char *c, const char *, const char *) {
                return action == SQLITE_READ && qstricmp(t, gDeniedTable) == 0 && qstricmp(c, gDeniedColumn) == 0
                           ? SQLITE_DENY
                           : SQLITE_OK;
            },
            nullptr);
        clickOk(d);
        sqlite3_set_authorizer(gSqliteDb->handle(), nullptr, nullptr);
        QCOMPARE(prompts().size(), 1);
        QVERIFY2(prompts().first().contains("is prohibited) in procedure gRsOpen"), qPrintable(prompts().first()));
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar(count), rows);
        clickOk(d);
        NO_BOXES();
        QCOMPARE(prog.scalar(count).toInt(), rows.toInt() + 1);
    }
};

QTEST_MAIN(TestRefusedWrites)
#include "tst_refused_writes.moc"
