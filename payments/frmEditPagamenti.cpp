#include "payments/frmEditPagamenti.h"
#include "payments/frmPagamenti.h"
#include "platform/SqliteDb.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include <cmath>

namespace {
constexpr int kWidth = 640;
constexpr int kMargin = EditDialog::Margin;
constexpr int kLabelWidth = 150;
constexpr int kShort = 130;
const QString kBadPaymentDate = QStringLiteral("Formato della data del pagamento non valido");
}

frmEditPagamenti::frmEditPagamenti() : EditDialog(QStringLiteral("frmEditPagamenti"), QStringLiteral("Pagamenti"))
{
    createControls();
    connect(chkModificaDataScadenzaIscrizione, &QCheckBox::stateChanged, this,
            [this] { chkModificaDataScadenzaIscrizione_Click(); });
    validateOnLeaving(txtDataPagamento, [this] { return txtDataPagamento_Validate(); });
    describePayment();
    describeRenewal();
}

void frmEditPagamenti::createControls()
{
    // Created in the order the receipt lists them; each field before its label.
    chkModificaDataScadenzaIscrizione = new XPCheckBox(
        this, QStringLiteral("chkModificaDataScadenzaIscrizione"),
        QStringLiteral("Modifica contestualmente la data di scadenza dell'iscrizione al programma fedeltà"));
    // Ticked or not: a grey third state would show the new date and then not write it.
    chkModificaDataScadenzaIscrizione->setGreyByClick(false);
    addFrame(kWidth);
    FieldColumn column = FieldColumn::across(kWidth, kLabelWidth);
    auto pair = [&](auto *field, const QString &suffix, const QString &caption, int width = 0) {
        auto *label = new XPLabel(this, QStringLiteral("lbl") + suffix, caption);
        column.add(label, field, width);
        return label;
    };
    cboSocio = new XPComboBox(this, QStringLiteral("cboSocio"));
    lblSocio = pair(cboSocio, QStringLiteral("Socio"), QStringLiteral("Cliente"));
    txtDataPagamento = new XPDTPicker(this, QStringLiteral("txtDataPagamento"));
    lblDataPagamento =
        pair(txtDataPagamento, QStringLiteral("DataPagamento"), QStringLiteral("Data Pagamento"), kShort);
    txtImporto = new XPTextBox(this, QStringLiteral("txtImporto"));
    lblImporto = pair(txtImporto, QStringLiteral("Importo"), QStringLiteral("Importo (€)"), kShort);
    txtCausale = new XPTextBox(this, QStringLiteral("txtCausale"));
    lblCausale = pair(txtCausale, QStringLiteral("Causale"), QStringLiteral("Causale"));
    txtNote = new XPTextBox(this, QStringLiteral("txtNote"));
    lblNote = pair(txtNote, QStringLiteral("Note"), QStringLiteral("Note"));

    // Under the fields: the customer's status line, the renewal, then the buttons.
    const int statusTop = column.top() + 4;
    const int renewalTop = statusTop + 46;
    const int newDateTop = renewalTop + 30;
    addButtons(kWidth, newDateTop + FieldColumn::RowHeight + 14, QStringLiteral("S&tampa ricevuta"), 150);
    txtStatoSocio = new XPLabel(this, QStringLiteral("txtStatoSocio"), QStringLiteral("Stato Socio"));
    txtStatoSocio->setBold(true);
    txtStatoSocio->setWordWrap(true);
    txtStatoSocio->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtStatoSocio->setGeometry(kMargin, statusTop, kWidth - 2 * kMargin, 40);
    createRenewal(renewalTop, newDateTop);

    // Tab walks the form top down, whatever order the receipt lists the controls in.
    const QList<QWidget *> tabs{cboSocio,
                                txtDataPagamento,
                                txtImporto,
                                txtCausale,
                                txtNote,
                                chkModificaDataScadenzaIscrizione,
                                txtNuovaDataScadenza,
                                cmdOK,
                                cmdCancel,
                                cmdPrint};
    for (int i = 1; i < tabs.size(); ++i)
        QWidget::setTabOrder(tabs.at(i - 1), tabs.at(i));
}

void frmEditPagamenti::createRenewal(int top, int newDateTop)
{
    chkModificaDataScadenzaIscrizione->setGeometry(kMargin, top, kWidth - 2 * kMargin, 24);
    FieldColumn renewal = FieldColumn::across(kWidth, kLabelWidth, newDateTop);
    lblNuovaDataScadenza =
        new XPLabel(this, QStringLiteral("lblNuovaDataScadenza"), QStringLiteral("Nuova data di scadenza"));
    txtNuovaDataScadenza = new XPDTPicker(this, QStringLiteral("txtNuovaDataScadenza"));
    renewal.add(lblNuovaDataScadenza, txtNuovaDataScadenza, kShort);
    // Shown while the box is ticked.
    lblNuovaDataScadenza->setVisible(false);
    txtNuovaDataScadenza->setVisible(false);
}

void frmEditPagamenti::describePayment()
{
    EditDialogDesc &d = desc();
    d.listWindow(&frmPagamenti::mPagamentiID);
    d.loadQuery = [](const QString &id) {
        return QStringLiteral("SELECT a.pagamentiid, a.anagraficaid, a.datapagamento, b.Nome, b.cognome,   ")
               + QStringLiteral("a.NotePagamento, a.importo, a.causale, a.DateTimeCreated, a.DateTimeLastUpdated ")
               + QStringLiteral("FROM Pagamenti a, Anagrafica b ") + QStringLiteral("WHERE PagamentiID = ") + id
               + QStringLiteral(" AND ") + QStringLiteral("a.ANAGRAFICAID = b.ANAGRAFICAID ");
    };
    d.insertHead = QStringLiteral("INSERT INTO Pagamenti ( ANAGRAFICAID,  Datapagamento, Importo, Causale, "
                                  "NotePagamento, DateTimeCreated) VALUES (");
    d.updateHead = QStringLiteral("UPDATE Pagamenti SET ");
    d.updateWhere = QStringLiteral("WHERE PagamentiID = ");
    KeyCombo &socio =
        bindKey(cboSocio, idDelSocio, QStringLiteral("ANAGRAFICAID"),
                QStringLiteral("SELECT anagraficaid, cognome, nome  FROM anagrafica order by cognome, nome "),
                QStringLiteral("anagraficaid"), {QStringLiteral("cognome"), QStringLiteral("nome")});
    // One customer's payments: that customer; otherwise a new payment starts with none.
    socio.whenAdding = [] { return frmPagamenti::oneCustomer() ? qint64(std::llround(gPagamentiClienteID)) : -1; };
    socio.missing = QStringLiteral("Il cliente scelto non esiste più: è stato eliminato da un altro utente.");
    socio.onChange = [this] {
        if (!formNonAncoraAttivato)
            aggiornaStatoSocio();
    };
    bindDate(txtDataPagamento, QStringLiteral("DataPagamento"));
    bindAmount(txtImporto, QStringLiteral("Importo"));
    bindText(txtCausale, QStringLiteral("Causale"));
    bindText(txtNote, QStringLiteral("notepagamento"));
    bindStamp();
    d.todayWhenAdding = {txtDataPagamento};

    d.checks = {
        chosen(cboSocio, idDelSocio, QStringLiteral("Selezionare il socio")),
        requiredDate(txtDataPagamento, QStringLiteral("Inserire la data del pagamento")),
        [this] {
            if (pickerHoldsDate(txtDataPagamento))
                return Verdict::pass();
            // Back to the date, as typed, to mend it.
            txtDataPagamento->setFocus(Qt::OtherFocusReason);
            return Verdict::refuse(kBadPaymentDate);
        },
        required(txtImporto, QStringLiteral("Inserire l'importo del pagamento")),
        number(txtImporto, QStringLiteral("Formato dell'importo del pagamento non valido")),
    };
    d.afterWrite = EditDialogDesc::AfterWrite::CallBackAndRefill;
}

void frmEditPagamenti::describeRenewal()
{
    EditDialogDesc &d = desc();
    const auto ticked = [this] { return renewing(); };
    d.checks += {
        when(ticked, requiredDate(txtNuovaDataScadenza,
                                  QStringLiteral("Inserire la nuova data di scadenza dell'iscrizione del socio"))),
        when(ticked,
             validDate(txtNuovaDataScadenza,
                       QStringLiteral("Formato della nuova data di scadenza dell'iscrizione del socio non valido"))),
    };
    // The renewal is written with the payment, in the same write: both or neither.
    d.moreStatements = [this](const QString &stamp) {
        if (!renewing())
            return QStringList();
        return QStringList{QStringLiteral("update anagrafica set datascadenzaiscrizione=")
                           + dateLiteral(txtNuovaDataScadenza) + QStringLiteral(", DateTimeLastUpdated = ") + stamp
                           + QStringLiteral("  where anagraficaid = ") + QString::number(idDelSocio)};
    };
}

bool frmEditPagamenti::renewing() const { return chkModificaDataScadenzaIscrizione->Value() == 1; }

void frmEditPagamenti::afterLoad()
{
    // The customer the list shows is the payment's: it cannot be changed, by mouse or keys.
    if (frmPagamenti::oneCustomer())
        cboSocio->setEnabled(false);
    aggiornaStatoSocio();
    formNonAncoraAttivato = false;
    if (cboSocio->isEnabled())
        cboSocio->setFocus(Qt::OtherFocusReason);
    else
        txtImporto->setFocus(Qt::OtherFocusReason);
}

void frmEditPagamenti::Form_Activate()
{
    EditDialog::Form_Activate();
    formNonAncoraAttivato = false;
}

void frmEditPagamenti::chkModificaDataScadenzaIscrizione_Click()
{
    const bool shown = chkModificaDataScadenzaIscrizione->Value() != 0;
    lblNuovaDataScadenza->setVisible(shown);
    txtNuovaDataScadenza->setVisible(shown);
}

bool frmEditPagamenti::txtDataPagamento_Validate()
{
    Procedure p(Name(), QStringLiteral("txtDataPagamento_Validate"));
    bool cancel = false;
    p.run([&] {
        if (pickerHoldsDate(txtDataPagamento))
            return;
        cancel = true;
        refuse(kBadPaymentDate);
    });
    return cancel;
}

void frmEditPagamenti::aggiornaStatoSocio()
{
    Procedure p(Name(), QStringLiteral("aggiornaStatoSocio"), OwnerKind::Form, ErrorForm::Plain);
    p.run([&] {
        OpenDb();
        releaseRs();
        gRsOpen(QStringLiteral("select * from  anagrafica a, tipologiapersone b ")
                + QStringLiteral(" where a.tipologiaid = b.tipologiaid and a.anagraficaid=")
                + QString::number(idDelSocio));
        Recordset &rs = gRs();
        QString line;
        if (!rs.EOF_()) {
            line = QStringLiteral("Tipologia cliente: ") + rs.Fields()(QStringLiteral("tipologia")).Text()
                   + QStringLiteral(". ");
            const QString enrolled = rs.Fields()(QStringLiteral("Dataiscrizione")).Text();
            if (!enrolled.isEmpty())
                line += QStringLiteral("Iscritto al programma fedeltà dal ") + enrolled + QStringLiteral(". ");
            const QString expires = rs.Fields()(QStringLiteral("Datascadenzaiscrizione")).Text();
            if (!expires.isEmpty())
                line += QStringLiteral("Scadenza iscrizione: ") + expires + QStringLiteral(". ");
        }
        rs.Close();
        releaseRs();
        CloseDb();
        txtStatoSocio->setCaption(line);
    });
}
