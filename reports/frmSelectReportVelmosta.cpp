#include "reports/frmSelectReportVelmosta.h"
#include "platform/SqliteDb.h"
#include "platform/TypedDate.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "reports/basReportistica.h"
#include "shell/ErrorExit.h"
#include "shell/PatternHelpers.h"
#include "shell/basGeneral.h"
#include <QCloseEvent>

namespace {
const QString kForm = QStringLiteral("frmSelectReportVelmosta");
constexpr int kWidth = 470;
constexpr int kMargin = 16;
constexpr int kLabelWidth = 110;
constexpr int kRowHeight = 24;
}

frmSelectReportVelmosta::frmSelectReportVelmosta() : Form(kForm)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setCaption(QStringLiteral("Inserisci filtri"));
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), QStringLiteral("Inserisci filtri"));
    OsenXPForm1->setGeometry(0, 0, kWidth, 30);

    const int fieldLeft = kMargin + kLabelWidth;
    int top = 50;
    lblDescrizione = new XPLabel(this, QStringLiteral("lblDescrizione"), QStringLiteral("Cliente"));
    lblDescrizione->setGeometry(kMargin, top, kLabelWidth, kRowHeight);
    cboDescrizione = new XPComboBox(this, QStringLiteral("cboDescrizione"));
    cboDescrizione->setGeometry(fieldLeft, top, kWidth - kMargin - fieldLeft, kRowHeight);
    // No customer picked means every customer.
    cboDescrizione->setPlaceholderText(QStringLiteral("Tutti i clienti"));

    top += 36;
    lblDataAssegno = new XPLabel(this, QStringLiteral("lblDataAssegno"), QStringLiteral("Data Pagamento"));
    lblDataAssegno->setGeometry(kMargin, top, kLabelWidth, kRowHeight);
    OsenXPLabel2 = new XPLabel(this, QStringLiteral("OsenXPLabel2"), QStringLiteral("da"));
    OsenXPLabel2->setGeometry(fieldLeft, top, 24, kRowHeight);
    txtDataDa = new XPTextBox(this, QStringLiteral("txtDataDa"));
    txtDataDa->setGeometry(fieldLeft + 26, top, 110, kRowHeight);
    lblDataA = new XPLabel(this, QStringLiteral("lblDataA"), QStringLiteral("a"));
    lblDataA->setAlignment(Qt::AlignCenter);
    lblDataA->setGeometry(fieldLeft + 140, top, 24, kRowHeight);
    txtDataA = new XPTextBox(this, QStringLiteral("txtDataA"));
    txtDataA->setGeometry(fieldLeft + 168, top, 110, kRowHeight);
    for (XPTextBox *box : {txtDataDa, txtDataA})
        box->setPlaceholderText(QStringLiteral("GG/MM/AAAA"));

    top += 48;
    cmdOK = new XPButton(this, QStringLiteral("cmdOK"), QStringLiteral("Mostra report"));
    cmdOK->setGeometry(kWidth - kMargin - 130, top, 130, 30);
    cmdOK->setDefault(true);

    // Two labels of an amount range the dialog never asks: kept, never shown.
    Label1 = new XPLabel(this, QStringLiteral("Label1"), QStringLiteral("Importo (€) da"));
    Label2 = new XPLabel(this, QStringLiteral("Label2"), QStringLiteral("Importo (€) da"));
    Label1->hide();
    Label2->hide();
    web = new WebBrowser(this, QStringLiteral("web"));
    const int height = top + 30 + kMargin;
    web->setGeometry(kWidth - 5, height - 5, 4, 4);
    setFixedSize(kWidth, height);

    QWidget::setTabOrder(cboDescrizione, txtDataDa);
    QWidget::setTabOrder(txtDataDa, txtDataA);
    QWidget::setTabOrder(txtDataA, cmdOK);

    connect(cboDescrizione, &XPComboBox::Change, this, [this] { cboDescrizione_Change(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmSelectReportVelmosta::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        idDelSocio = -1;
        CenterForm(this);
        OpenDb();
        DisattivaTabstop(this);
        fillCombo(cboDescrizione,
                  QStringLiteral("SELECT anagraficaid, cognome, nome  FROM anagrafica order by cognome, nome "),
                  QStringLiteral("anagraficaid"), QStringList{QStringLiteral("cognome"), QStringLiteral("nome")});
    });
    // A failed fill leaves nothing open behind it.
    ignoreErrors([] { gRs().Close(); });
    releaseRs();
}

void frmSelectReportVelmosta::cboDescrizione_Change()
{
    Procedure p(kForm, QStringLiteral("cboDescrizione_Change"), OwnerKind::Form, ErrorForm::Plain);
    p.run([this] {
        if (cboDescrizione->ListIndex() != -1)
            idDelSocio = cboDescrizione->ItemData(cboDescrizione->ListIndex());
    });
}

void frmSelectReportVelmosta::cmdOK_Click()
{
    Procedure p(kForm, QStringLiteral("cmdOK_Click"));
    p.run([this] {
        const QString da = txtDataDa->Text();
        const QString a = txtDataA->Text();
        // The refusal, and the date to mend selected.
        const auto refuseDate = [](XPTextBox *box, const QString &message) {
            refuse(message);
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
        };
        if (!da.isEmpty() && !TypedDate::read(da).isValid())
            return refuseDate(txtDataDa, QStringLiteral("Formato data di partenza non valido"));
        if (!a.isEmpty() && !TypedDate::read(a).isValid())
            return refuseDate(txtDataA, QStringLiteral("Formato data di arrivo non valido"));
        gReportDataA = a.isEmpty() ? kDataAVuota : a;
        gReportDataDa = da.isEmpty() ? kDataDaVuota : da;
        gReportAnagraficaID = idDelSocio;
        Unload();
    });
}

void frmSelectReportVelmosta::closeEvent(QCloseEvent *e)
{
    if (isLoaded())
        e->ignore();
    else
        Form::closeEvent(e);
}

void frmSelectReportVelmosta::reject() {}
