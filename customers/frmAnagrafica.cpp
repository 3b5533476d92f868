#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "customers/frmSelectAnagrafica.h"
#include "platform/MSFlexGrid.h"
#include "platform/VbRuntime.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/WindowRegistry.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"

namespace {
const QString kSelectFrom =
    QStringLiteral("SELECT  a.ANAGRAFICAID, a.TIPOLOGIAID, b.Tipologia, a.cogNome as CognomeRagioneSociale, a.Nome ,  "
                   "a.Indirizzo, a.CAP, a.Comune, a.Provincia, a.TelefonoCasa, a.TelefonoUfficio,  "
                   "a.Fax, a.Cellulare, a.CFIva, a.Email, a.SitoWeb, a.NoteAnagrafica, a.NumeroTessera, a.DataNascita, "
                   "a.DataIscrizione, a.DataScadenzaIscrizione, a.DateTimeCreated as DataCreazione,  "
                   "a.DateTimeLastUpdated as DataUltimaModifica "
                   "FROM Anagrafica a, TipologiaPersone b ");

ListWindowDesc customerList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Anagrafica Clienti");
    d.key = key;
    d.listQuery = kSelectFrom + QStringLiteral("WHERE a.TIPOLOGIAID = b.TIPOLOGIAID ");
    d.filterSlot = &gWhereAnagrafica;
    d.headerCaptions = {
        {QStringLiteral("Cognome*"), QStringLiteral("Cognome / Ragione Sociale")},
        {QStringLiteral("CFIva*"), QStringLiteral("Codice Fiscale / Partita IVA")},
        {QStringLiteral("NoteAnagrafica*"), QStringLiteral("Note")},
        {QStringLiteral("Email*"), QStringLiteral("E-mail")},
    };
    d.zeroWidthColumns = {0, 1};
    d.oneRowQuery = [](const QString &id) {
        return kSelectFrom + QStringLiteral("WHERE ANAGRAFICAID = ") + id + QStringLiteral(" AND ")
               + QStringLiteral("a.TIPOLOGIAID = b.TIPOLOGIAID ");
    };
    d.newestKeyQuery = QStringLiteral("SELECT MAX(ANAGRAFICAID) FROM Anagrafica ");
    // The payee of an issued cheque and the endorsee of a received one are kept too: without
    // them the cheque would drop out of its list and the endorsement out of its payment's line.
    d.deleteGuards = {{QStringLiteral("Pagamenti"), QStringLiteral("anagraficaID")},
                      {QStringLiteral("AssegniEmessi"), QStringLiteral("anagraficaid")},
                      {QStringLiteral("Girate"), QStringLiteral("anagraficaid")}};
    d.deleteGuardMessage = QStringLiteral("Impossibile eliminare il record. Esistono pagamenti collegati.");
    d.deleteGuardMessages = {QString(), QStringLiteral("Impossibile eliminare il record. Esistono assegni collegati."),
                             QStringLiteral("Impossibile eliminare il record. Esistono assegni collegati.")};
    d.deleteStatements = [](const QString &id) {
        return QStringList{QStringLiteral("DELETE From Anagrafica WHERE ANAGRAFICAID = ") + id};
    };
    d.editDialog = []() -> Form * { return FormInstance<frmEditAnagrafica>::get(); };
    d.filterDialog = []() -> Form * { return FormInstance<frmSelectAnagrafica>::get(); };
    // Card number and birth date stay off the printed list; the time stamps are printed.
    d.printExcludedColumns = {0, 1, 17, 18};
    d.printSubtitle = [] { return getSetting(QStringLiteral("INTESTAZ")) + QStringLiteral(" - Anagrafica Clienti"); };
    d.exportButton = true;
    return d;
}
}

frmAnagrafica::frmAnagrafica() : ListWindow(QStringLiteral("frmAnagrafica"), customerList(&mANAGRAFICAID))
{
    cmdApriPagamenti = new XPButton(this, QStringLiteral("cmdApriPagamenti"), QStringLiteral("&Visualizza pagamenti"));
    connect(cmdApriPagamenti, &QPushButton::clicked, this, [this] { cmdApriPagamenti_Click(); });

    // Designer layout, in twips.
    resize(toPixels(14850), toPixels(8715));
    OsenXPForm1->Move(0, 0, 14880, 450);
    cmdAdd->Move(480, 840, 1095, 375);
    cmdDelete->Move(1680, 840, 1095, 375);
    cmdSelect->Move(2880, 840, 1095, 375);
    cmdPrintGrid->Move(4080, 840, 1095, 375);
    cmdApriPagamenti->Move(5280, 840, 1815, 375);
    cmdEsportaDati->Move(7200, 840, 1815, 375);
    cmdClose->Move(9120, 840, 1095, 375);
    MSFlexGrid1->Move(480, 1440, 13890, 6555);
}

void frmAnagrafica::cmdApriPagamenti_Click()
{
    Procedure p(Name(), QStringLiteral("cmdApriPagamenti_Click"), OwnerKind::Form, ErrorForm::Plain);
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (g->Row() == 0 || g->Rows() == 1) {
            MyMsgBox(QStringLiteral("Selezionare il cliente di cui si desidera visualizzare i pagamenti."), 48,
                     QStringLiteral("Norvik"));
            return;
        }
        mANAGRAFICAID = vb::CDbl(g->TextMatrix(g->Row(), 0));
        OpenDb();
        if (!esisteRecord(QStringLiteral("pagamenti"), QStringLiteral("anagraficaID"), QVariant(mANAGRAFICAID),
                          QStringLiteral("N"))) {
            MyMsgBox(QStringLiteral("Non risultano pagamenti per questo cliente."), 48, QStringLiteral("Norvik"));
            return;
        }
        WindowRegistry::showCustomerPayments(mANAGRAFICAID, g->TextMatrix(g->Row(), 3));
        // A payment there may have renewed the membership: the row shows the customer as now stored.
        if (isLoaded())
            UpdateGridRow();
    });
}
