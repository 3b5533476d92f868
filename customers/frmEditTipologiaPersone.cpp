#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
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
const QString kForm = QStringLiteral("frmEditTipologiaPersone");

constexpr int kWidth = 460;
constexpr int kMargin = 16;
constexpr int kLabelWidth = 110;
constexpr int kFieldTop = 50;
constexpr int kButtonsTop = kFieldTop + EditDialog::FieldColumn::RowHeight + 18;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 32;
constexpr int kHeight = kButtonsTop + kButtonHeight + kMargin;

frmTipologiaPersone *typeList() { return FormInstance<frmTipologiaPersone>::get(); }
}

frmEditTipologiaPersone::frmEditTipologiaPersone() : Form(kForm)
{
    const QString caption = QStringLiteral("Tipologie Soci");
    setCaption(caption);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), caption);
    OsenXPForm1->setGeometry(0, 0, kWidth, 30);

    lblTipologia = new XPLabel(this, QStringLiteral("lblTipologia"), QStringLiteral("Tipologia Soci"));
    txtTipologia = new XPTextBox(this, QStringLiteral("txtTipologia"));
    EditDialog::FieldColumn(kMargin, kFieldTop, kLabelWidth, kWidth - 2 * kMargin - kLabelWidth - 8)
        .add(lblTipologia, txtTipologia);

    cmdOK = new XPButton(this, QStringLiteral("cmdOK"), QStringLiteral("Ok"));
    cmdCancel = new XPButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Annulla"));
    cmdPrint = new XPButton(this, QStringLiteral("cmdPrint"), QStringLiteral("Stampa"));
    cmdCancel->setGeometry(kWidth - kMargin - kButtonWidth, kButtonsTop, kButtonWidth, kButtonHeight);
    cmdOK->setGeometry(kWidth - kMargin - 2 * kButtonWidth - 10, kButtonsTop, kButtonWidth, kButtonHeight);
    cmdPrint->setGeometry(kMargin, kButtonsTop, kButtonWidth, kButtonHeight);
    cmdPrint->setVisible(false);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(kWidth - 6, kHeight - 6, 4, 4);
    setFixedSize(kWidth, kHeight);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
}

void frmEditTipologiaPersone::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        m_isNew = gIsNewRecord;
        DisattivaTabstop(this);
        CenterForm(this);
        OpenDb();
        if (m_isNew)
            return;
        m_tipologiaId = typeList()->mTIPOLOGIAID;
        const QString sql =
            QStringLiteral("SELECT a.TIPOLOGIAID, a.Tipologia, a.DateTimeCreated, a.DateTimeLastUpdated ")
            + QStringLiteral("FROM TipologiaPersone a ") + QStringLiteral("WHERE TIPOLOGIAID = ")
            + EditDialog::keyText(m_tipologiaId) + QStringLiteral(" ");
        releaseRs();
        gRsOpen(sql);
        Recordset &rs = gRs();
        if (!rs.EOF_())
            txtTipologia->setTextValue(vb::Str(rs.Fields()(QStringLiteral("Tipologia")).Value()));
        rs.Close();
        releaseRs();
    });
}

void frmEditTipologiaPersone::Form_Activate()
{
    Procedure p(kForm, QStringLiteral("Form_Activate"));
    p.run([this] {
        txtTipologia->setFocus(Qt::OtherFocusReason);
        txtTipologia->end(false);
    });
}

void frmEditTipologiaPersone::cmdOK_Click()
{
    Procedure p(kForm, QStringLiteral("cmdOK_Click"));
    p.run([this] {
        const QString name = txtTipologia->Text().trimmed();
        if (name.isEmpty()) {
            EditDialog::refuse(QStringLiteral("Inserire la tipologia"));
            return;
        }
        // In edit mode the type's own row does not count: keeping its name is no duplicate.
        bool failed = false;
        const bool exists = m_isNew ? esisteRecord(QStringLiteral("tipologiapersone"), QStringLiteral("tipologia"),
                                                   QVariant(name), QStringLiteral("S"), QString(), QVariant(), &failed)
                                    : esisteRecord(QStringLiteral("tipologiapersone"), QStringLiteral("tipologia"),
                                                   QVariant(name), QStringLiteral("S"), QStringLiteral("tipologiaid"),
                                                   QVariant(m_tipologiaId), &failed);
        if (failed) // the check could not run: nothing is written
            return;
        if (exists) {
            EditDialog::refuse(QStringLiteral("Il record già esiste"));
            return;
        }

        OpenDb();
        const QString literal = EditDialog::textLiteral(name);
        const QString stamp = EditDialog::timeStamp();
        frmTipologiaPersone *list = typeList();
        if (m_isNew) {
            const QString sql = QStringLiteral("INSERT INTO TipologiaPersone (Tipologia, DateTimeCreated) ")
                                + QStringLiteral("VALUES (") + literal + QStringLiteral(", ") + QStringLiteral(" ")
                                + stamp + QStringLiteral(")") + QStringLiteral(" ");
            EditDialog::insertThenCallBack(this, sql, list);
        } else {
            const QString sql = QStringLiteral("UPDATE TipologiaPersone SET ") + QStringLiteral("Tipologia = ")
                                + literal + QStringLiteral(", ") + QStringLiteral(" ")
                                + QStringLiteral("DateTimeLastUpdated = ") + stamp + QStringLiteral(" ")
                                + QStringLiteral("WHERE TIPOLOGIAID = ") + EditDialog::keyText(m_tipologiaId)
                                + QStringLiteral(" ");
            EditDialog::updateThenCallBack(this, sql, list);
        }
    });
}

void frmEditTipologiaPersone::cmdCancel_Click()
{
    Procedure p(kForm, QStringLiteral("cmdCancel_Click"));
    p.run([this] { Unload(); });
}

void frmEditTipologiaPersone::cmdPrint_Click()
{
    Procedure p(kForm, QStringLiteral("cmdPrint_Click"));
    p.run([this] { printThisForm(this, web); });
}
