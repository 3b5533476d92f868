#include "payments/frmPagamenti.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmSelectPagamenti.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basRegistering.h"

namespace {
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
    connect(MSFlexGrid1, &MSFlexGrid::KeyUp, this, [this](int k, int s) { MSFlexGrid1_KeyUp(k, s); });

    // Designer layout, in twips.
    resize(toPixels(13200), toPixels(8400));
    OsenXPForm1->Move(0, 0, 13200, 450);
    cmdAdd->Move(480, 840, 1095, 375);
    cmdDelete->Move(1680, 840, 1095, 375);
    cmdSelect->Move(2880, 840, 1095, 375);
    cmdPrintGrid->Move(4080, 840, 1095, 375);
    cmdEsportaDati->Move(5280, 840, 1815, 375);
    cmdClose->Move(7200, 840, 1095, 375);
    MSFlexGrid1->Move(480, 1440, 12240, 6000);
}

bool frmPagamenti::oneCustomer() { return !gPagamentiClienteNome.isEmpty(); }

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

void frmPagamenti::ToggleGiraVersa() {}

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
