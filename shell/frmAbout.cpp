#include "shell/frmAbout.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"

namespace {
const QString kForm = QStringLiteral("frmAbout");
}

frmAbout::frmAbout() : Form(kForm)
{
    setCaption(QStringLiteral("Informazioni su Norvik"));
    setFixedSize(460, 270);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), QStringLiteral("Informazioni su Norvik"));
    OsenXPForm1->setGeometry(0, 0, 460, 30);
    OsenXPPicture1 = new XPPicture(this, QStringLiteral("OsenXPPicture1"), QStringLiteral(":/norvik/logo.png"));
    OsenXPPicture1->setGeometry(16, 46, 132, 90);
    lblTitle = new XPLabel(this, QStringLiteral("lblTitle"), QStringLiteral("Norvik Gestione Fidelity Clienti"));
    lblTitle->setBold(true);
    lblTitle->setGeometry(164, 46, 280, 22);
    OsenXPLabel3 = new XPLabel(this, QStringLiteral("OsenXPLabel3"), QStringLiteral("Versione 1.0"));
    OsenXPLabel3->setBold(true);
    OsenXPLabel3->setGeometry(164, 70, 280, 22);
    OsenXPLabel1 = new XPLabel(this, QStringLiteral("OsenXPLabel1"), QStringLiteral("Sito web:"));
    OsenXPLabel1->setGeometry(164, 104, 80, 24);
    txtWebPage = new XPTextBox(this, QStringLiteral("txtWebPage"));
    txtWebPage->setText(QStringLiteral("https://norvik.example.org/"));
    txtWebPage->setLocked(true);
    txtWebPage->setGeometry(236, 104, 208, 24);
    OsenXPLabel4 =
        new XPLabel(this, QStringLiteral("OsenXPLabel4"), QStringLiteral("Realizzato dal gruppo di sviluppo Norvik"));
    OsenXPLabel4->setGeometry(16, 150, 428, 20);
    OsenXPLabel5 =
        new XPLabel(this, QStringLiteral("OsenXPLabel5"), QStringLiteral("Assistenza: assistenza@norvik.example.org"));
    OsenXPLabel5->setGeometry(16, 172, 428, 20);
    cmdGoToWebPage = new XPButton(this, QStringLiteral("cmdGoToWebPage"), QStringLiteral("&Vai al sito web"));
    cmdGoToWebPage->setGeometry(196, 216, 140, 32);
    cmdOk = new XPButton(this, QStringLiteral("cmdOk"), QStringLiteral("&Ok"));
    cmdOk->setGeometry(344, 216, 100, 32);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(0, 266, 4, 4);

    connect(cmdGoToWebPage, &QPushButton::clicked, this, [this] { cmdGoToWebPage_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmAbout::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        CenterForm(this);
        DisattivaTabstop(this);
    });
}

void frmAbout::cmdGoToWebPage_Click()
{
    Procedure p(kForm, QStringLiteral("cmdGoToWebPage_Click"));
    p.run([this] { LaunchBrowser(txtWebPage->Text(), this); });
}

void frmAbout::cmdOK_Click()
{
    Procedure p(kForm, QStringLiteral("cmdOK_Click"));
    p.run([this] { Unload(); });
}
