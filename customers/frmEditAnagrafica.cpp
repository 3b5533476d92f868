#include "customers/frmEditAnagrafica.h"
#include "customers/frmAnagrafica.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/EditDialog.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "shell/basRegistering.h"

namespace {
const QString kForm = QStringLiteral("frmEditAnagrafica");

constexpr int kWidth = 886;
constexpr int kMargin = 16;
constexpr int kLabelWidth = 190;
constexpr int kFieldWidth = 220;
constexpr int kColumnGap = 18;
constexpr int kSecondColumn = kMargin + kLabelWidth + 8 + kFieldWidth + kColumnGap;

frmAnagrafica *customerList() { return FormInstance<frmAnagrafica>::get(); }
}

frmEditAnagrafica::frmEditAnagrafica() : Form(QStringLiteral("frmEditAnagrafica"))
{
    setCaption(QStringLiteral("Anagrafica Clienti"));
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), QStringLiteral("Anagrafica Clienti"));
    OsenXPForm1->setGeometry(0, 0, kWidth, 30);

    // Each label comes right before its field: the customer card prints them in this order.
    auto label = [this](const char *name, const char *caption) {
        return new XPLabel(this, QString::fromLatin1(name), QString::fromUtf8(caption));
    };
    auto text = [this](const char *name) { return new XPTextBox(this, QString::fromLatin1(name)); };
    auto picker = [this](const char *name) { return new XPDTPicker(this, QString::fromLatin1(name)); };
    // A text field named after its column: the label "lbl" + name, the box "txt" + name.
    auto textField = [&](EditDialog::FieldColumn &column, const char *name, const char *caption, XPLabel *&lbl,
                         XPTextBox *&txt, int width = 0) {
        lbl = label(("lbl" + QByteArray(name)).constData(), caption);
        txt = text(("txt" + QByteArray(name)).constData());
        column.add(lbl, txt, width);
    };

    EditDialog::FieldColumn left(kMargin, 46, kLabelWidth, kFieldWidth);
    lblTipologia = label("lblTipologia", "Tipologia");
    cboTipologia = new XPComboBox(this, QStringLiteral("cboTipologia"));
    left.add(lblTipologia, cboTipologia);
    textField(left, "Cognome", "Cognome / Ragione Sociale", lblCognome, txtCognome);
    textField(left, "Nome", "Nome", lblNome, txtNome);
    textField(left, "Indirizzo", "Indirizzo", lblIndirizzo, txtIndirizzo);
    textField(left, "CAP", "CAP", lblCAP, txtCAP, 80);
    textField(left, "Comune", "Comune", lblComune, txtComune);
    textField(left, "Provincia", "Provincia", lblProvincia, txtProvincia, 80);

    EditDialog::FieldColumn right(kSecondColumn, 46, kLabelWidth, kFieldWidth);
    textField(right, "TelefonoCasa", "Telefono Casa", lblTelefonoCasa, txtTelefonoCasa);
    textField(right, "TelefonoUfficio", "Telefono Ufficio", lblTelefonoUfficio, txtTelefonoUfficio);
    textField(right, "Fax", "Fax", lblFax, txtFax);
    textField(right, "Cellulare", "Cellulare", lblCellulare, txtCellulare);
    textField(right, "CFIva", "Codice Fiscale / Partita IVA", lblCFIva, txtCFIva);
    textField(right, "Email", "E-mail", lblEmail, txtEmail);
    textField(right, "SitoWeb", "Sito Web", lblSitoWeb, txtSitoWeb);

    // The notes take the whole width below both columns.
    EditDialog::FieldColumn bottom(kMargin, left.top() + 8, kLabelWidth, kWidth - 2 * kMargin - kLabelWidth - 8);
    textField(bottom, "Note", "Note", lblNote, txtNote);

    // Card and dates two to a row, read left to right.
    EditDialog::FieldColumn cardLeft(kMargin, bottom.top() + 8, kLabelWidth, kFieldWidth);
    EditDialog::FieldColumn cardRight(kSecondColumn, bottom.top() + 8, kLabelWidth, kFieldWidth);
    textField(cardLeft, "NumeroTessera", "Numero Tessera", lblNumeroTessera, txtNumeroTessera);
    lblDataNascita = label("lblDataNascita", "Data Nascita");
    txtDataNascita = picker("txtDataNascita");
    cardRight.add(lblDataNascita, txtDataNascita, 130);
    lblDataIscrizione = label("lblDataIscrizione", "Data Iscrizione");
    txtDataIscrizione = picker("txtDataIscrizione");
    cardLeft.add(lblDataIscrizione, txtDataIscrizione, 130);
    lblDataScadenzaIscrizione = label("lblDataScadenzaIscrizione", "Data Scadenza Iscrizione");
    txtDataScadenzaIscrizione = picker("txtDataScadenzaIscrizione");
    cardRight.add(lblDataScadenzaIscrizione, txtDataScadenzaIscrizione, 130);

    const int buttonsTop = cardLeft.top() + 18;
    cmdOK = new XPButton(this, QStringLiteral("cmdOK"), QStringLiteral("Ok"));
    cmdCancel = new XPButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Annulla"));
    cmdPrint = new XPButton(this, QStringLiteral("cmdPrint"), QStringLiteral("S&tampa scheda del cliente"));
    cmdPrint->setGeometry(kMargin, buttonsTop, 230, 32);
    cmdCancel->setGeometry(kWidth - kMargin - 110, buttonsTop, 110, 32);
    cmdOK->setGeometry(kWidth - kMargin - 110 - 10 - 110, buttonsTop, 110, 32);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(kWidth - 6, buttonsTop + 44, 4, 4);
    setFixedSize(kWidth, buttonsTop + 32 + kMargin);

    connect(cboTipologia, &XPComboBox::Change, this, [this] { cboTipologia_Change(); });
    connect(cboTipologia, &XPComboBox::KeyUp, this, [this](int key, int shift) { cboTipologia_KeyUp(key, shift); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
}

void frmEditAnagrafica::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        m_isNew = gIsNewRecord;
        idDelTipoAnag = -1;
        DisattivaTabstop(this);
        CenterForm(this);
        OpenDb();

        qint64 customerType = -1;
        if (!m_isNew) {
            m_anagraficaId = customerList()->mANAGRAFICAID;
            const QString sql =
                QStringLiteral("SELECT a.ANAGRAFICAID, a.TIPOLOGIAID, b.Tipologia, a.Nome, a.Cognome,  ")
                + QStringLiteral("a.Indirizzo, a.CAP, a.Comune, a.Provincia, a.TelefonoCasa, a.TelefonoUfficio,  ")
                + QStringLiteral("a.Fax, a.Cellulare, a.CFIva, a.NumeroTessera, a.DataIscrizione, a.DataNascita, "
                                 "a.DataScadenzaIscrizione, a.Email, a.SitoWeb, a.NoteAnagrafica, a.DateTimeCreated,  ")
                + QStringLiteral("a.DateTimeLastUpdated ") + QStringLiteral("FROM Anagrafica a, TipologiaPersone b ")
                + QStringLiteral("WHERE ANAGRAFICAID = ") + EditDialog::keyText(m_anagraficaId)
                + QStringLiteral(" AND ") + QStringLiteral("a.TIPOLOGIAID = b.TIPOLOGIAID ");
            releaseRs();
            gRsOpen(sql);
            Recordset &rs = gRs();
            if (!rs.EOF_()) {
                auto field = [&rs](const char *name) { return rs.Fields()(QString::fromLatin1(name)).Value(); };
                txtNome->setTextValue(vb::Str(field("Nome")));
                txtCognome->setTextValue(vb::Str(field("Cognome")));
                txtIndirizzo->setTextValue(vb::Str(field("Indirizzo")));
                txtCAP->setTextValue(vb::Str(field("CAP")));
                txtComune->setTextValue(vb::Str(field("Comune")));
                txtProvincia->setTextValue(vb::Str(field("Provincia")));
                txtTelefonoCasa->setTextValue(vb::Str(field("TelefonoCasa")));
                txtTelefonoUfficio->setTextValue(vb::Str(field("TelefonoUfficio")));
                txtFax->setTextValue(vb::Str(field("Fax")));
                txtCellulare->setTextValue(vb::Str(field("Cellulare")));
                txtCFIva->setTextValue(vb::Str(field("CFIva")));
                txtEmail->setTextValue(vb::Str(field("Email")));
                txtSitoWeb->setTextValue(vb::Str(field("SitoWeb")));
                txtNote->setTextValue(vb::Str(field("NoteAnagrafica")));
                txtNumeroTessera->setTextValue(vb::Str(field("NumeroTessera")));
                const QVariant iscrizione = field("DataIscrizione");
                if (iscrizione.isValid())
                    txtDataIscrizione->setValue(vb::CDate(iscrizione).date());
                const QVariant nascita = field("DataNascita");
                if (nascita.isValid())
                    txtDataNascita->setValue(vb::CDate(nascita).date());
                const QVariant scadenza = field("DataScadenzaIscrizione");
                if (scadenza.isValid())
                    txtDataScadenzaIscrizione->setValue(vb::CDate(scadenza).date());
                const QVariant type = field("TIPOLOGIAID");
                if (type.isValid())
                    customerType = type.toLongLong();
            }
            rs.Close();
            releaseRs();
        }

        const qint64 shown = EditDialog::fillCombo(
            cboTipologia, QStringLiteral("SELECT TIPOLOGIAID, Tipologia FROM TipologiaPersone order by tipologia "),
            QStringLiteral("TIPOLOGIAID"), QStringLiteral("Tipologia"), customerType);
        idDelTipoAnag = m_isNew ? -1 : shown;
    });
}

void frmEditAnagrafica::cboTipologia_Change()
{
    Procedure p(kForm, QStringLiteral("cboTipologia_Change"), OwnerKind::Form, ErrorForm::Plain);
    p.run([this] {
        if (cboTipologia->ListIndex() != -1)
            idDelTipoAnag = cboTipologia->ItemData(cboTipologia->ListIndex());
    });
}

void frmEditAnagrafica::cboTipologia_KeyUp(int KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    Procedure p(kForm, QStringLiteral("cboTipologia_KeyUp"), OwnerKind::Form, ErrorForm::Plain, false);
    p.run([&] { EditDialog::comboEndHome(cboTipologia, KeyCode); });
}

void frmEditAnagrafica::cmdOK_Click()
{
    Procedure p(kForm, QStringLiteral("cmdOK_Click"));
    p.run([this] {
        if (cboTipologia->ListIndex() == -1 || idDelTipoAnag == -1) {
            EditDialog::refuse(QStringLiteral("Selezionare la tipologia"));
            return;
        }
        if (txtCognome->Text().trimmed().isEmpty()) {
            EditDialog::refuse(QStringLiteral("Inserire il cognome o la ragione sociale"));
            return;
        }
        const QString cap = txtCAP->Text().trimmed();
        if (!cap.isEmpty()) {
            const QString wrong = checkABICAB(cap, QStringLiteral("di avviamento postale"));
            if (!wrong.isEmpty()) {
                EditDialog::refuse(wrong);
                return;
            }
        }
        if (!EditDialog::pickerHoldsDate(txtDataNascita)) {
            EditDialog::refuse(QStringLiteral("Data di nascita non valida"));
            return;
        }
        if (!EditDialog::pickerHoldsDate(txtDataIscrizione)) {
            EditDialog::refuse(QStringLiteral("Data di iscrizione non valida"));
            return;
        }
        if (!EditDialog::pickerHoldsDate(txtDataScadenzaIscrizione)) {
            EditDialog::refuse(QStringLiteral("Data di scadenza iscrizione non valida"));
            return;
        }
        // The card number is stored trimmed, so it is compared trimmed.
        const QString tessera = txtNumeroTessera->Text().trimmed();
        if (!tessera.isEmpty()) {
            QString sql = QStringLiteral("select count(*) as conteggio from anagrafica where numerotessera ")
                          + QStringLiteral("='") + Pad(tessera) + QStringLiteral("'");
            if (!m_isNew)
                sql += QStringLiteral(" And anagraficaid <> ") + EditDialog::keyText(m_anagraficaId);
            bool failed = false;
            const bool duplicate = esisteRecordSQL(sql, &failed);
            if (failed) // the check could not run: nothing is written
                return;
            if (duplicate) {
                EditDialog::refuse(QStringLiteral("Impossibile ")
                                   + (m_isNew ? QStringLiteral("inserire") : QStringLiteral("modificare"))
                                   + QStringLiteral(" il record: numero di tessera duplicato."));
                return;
            }
        }

        OpenDb();
        using EditDialog::textLiteral;
        using EditDialog::dateLiteral;
        const QString values[] = {
            QString::number(idDelTipoAnag),
            textLiteral(txtNome->Text()),
            textLiteral(txtCognome->Text()),
            textLiteral(txtIndirizzo->Text()),
            textLiteral(txtCAP->Text()),
            textLiteral(txtComune->Text()),
            textLiteral(txtProvincia->Text()),
            textLiteral(txtTelefonoCasa->Text()),
            textLiteral(txtTelefonoUfficio->Text()),
            textLiteral(txtFax->Text()),
            textLiteral(txtCellulare->Text()),
            textLiteral(txtCFIva->Text()),
            textLiteral(txtEmail->Text()),
            textLiteral(txtSitoWeb->Text()),
            textLiteral(txtNote->Text()),
            textLiteral(txtNumeroTessera->Text()),
            dateLiteral(txtDataNascita),
            dateLiteral(txtDataIscrizione),
            dateLiteral(txtDataScadenzaIscrizione),
        };
        const QString stamp = EditDialog::timeStamp();
        frmAnagrafica *list = customerList();

        if (m_isNew) {
            QString sql =
                QStringLiteral("INSERT INTO Anagrafica (TIPOLOGIAID, Nome, Cognome, Indirizzo, ")
                + QStringLiteral("CAP, Comune, Provincia, TelefonoCasa, TelefonoUfficio, Fax, Cellulare, ")
                + QStringLiteral("CFIva, Email, SitoWeb, NoteAnagrafica, "
                                 "numerotessera,datanascita,dataiscrizione,datascadenzaiscrizione,DateTimeCreated) ")
                + QStringLiteral("VALUES (");
            for (const QString &v : values)
                sql += v + QStringLiteral(", ") + QStringLiteral(" ");
            sql += stamp + QStringLiteral(")") + QStringLiteral(" ");
            EditDialog::insertThenCallBack(this, sql, list);
        } else {
            static const char *const columns[] = {
                "TIPOLOGIAID",
                "Nome",
                "Cognome",
                "Indirizzo",
                "CAP",
                "Comune",
                "Provincia",
                "TelefonoCasa",
                "TelefonoUfficio",
                "Fax",
                "Cellulare",
                "CFIva",
                "Email",
                "SitoWeb",
                "NoteAnagrafica",
                "NumeroTessera",
                "DataNascita",
                "DataIscrizione",
                "DataScadenzaIscrizione",
            };
            QString sql = QStringLiteral("UPDATE Anagrafica SET ");
            for (int i = 0; i < 19; ++i)
                sql += QString::fromLatin1(columns[i]) + QStringLiteral(" = ") + values[i] + QStringLiteral(", ")
                       + QStringLiteral(" ");
            sql += QStringLiteral("DateTimeLastUpdated = ") + stamp + QStringLiteral(" ");
            sql += QStringLiteral("WHERE ANAGRAFICAID = ") + EditDialog::keyText(m_anagraficaId) + QStringLiteral(" ");
            EditDialog::updateThenCallBack(this, sql, list);
        }
    });
}

void frmEditAnagrafica::cmdCancel_Click()
{
    Procedure p(kForm, QStringLiteral("cmdCancel_Click"));
    p.run([this] { Unload(); });
}

void frmEditAnagrafica::cmdPrint_Click()
{
    Procedure p(kForm, QStringLiteral("cmdPrint_Click"));
    p.run([this] { printThisForm(this, web); });
}
