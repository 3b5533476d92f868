#include "shell/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/FileCopy.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/WindowRegistry.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include <QFileInfo>

namespace {
const QString kForm = QStringLiteral("frmMain");

// The second line of the backup's failure message: why, in the user's words.
QString backupFailureReason(const CopyFailure &f, const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    switch (f.reason) {
    case CopyFailure::FolderMissing:
        return QStringLiteral("La cartella \"%1\" non esiste.").arg(folder);
    case CopyFailure::FolderNotWritable:
        return QStringLiteral("Non è possibile scrivere nella cartella \"%1\".").arg(folder);
    case CopyFailure::DiskFull:
        return QStringLiteral("Il disco della cartella \"%1\" è pieno.").arg(folder);
    case CopyFailure::TargetExists:
        return QStringLiteral("Nella cartella \"%1\" esiste già un file %2, che non viene sovrascritto.")
            .arg(folder, QFileInfo(target).fileName());
    case CopyFailure::CopyDamaged:
        return QStringLiteral("La copia non ha superato il controllo di integrità ed è stata eliminata.");
    case CopyFailure::DatabaseDamaged:
        return QStringLiteral("Il database è danneggiato: la copia non è stata fatta. Conservare le copie precedenti.");
    case CopyFailure::DatabaseBusy:
        return QStringLiteral("Il database è bloccato da un altro programma: riprovare più tardi.");
    default:
        return QStringLiteral("Errore del sistema: %1.").arg(f.detail);
    }
}
}

frmMain::frmMain() : Form(QStringLiteral("frmMain"))
{
    setStartWindow(this);
    setFixedSize(580, 338);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), QStringLiteral("Norvik 1.0"));
    OsenXPForm1->setGeometry(0, 0, 580, 30);
    OsenXPLabel1 =
        new XPLabel(this, QStringLiteral("OsenXPLabel1"), QStringLiteral("Norvik 1.0 Gestione Fidelity Clienti"));
    OsenXPLabel1->setBold(true);
    {
        QFont f = OsenXPLabel1->font();
        f.setPointSizeF(12);
        OsenXPLabel1->setFont(f);
    }
    OsenXPLabel1->setGeometry(24, 44, 532, 28);
    OsenXPPicture1 = new XPPicture(this, QStringLiteral("OsenXPPicture1"), QStringLiteral(":/norvik/logo.png"));
    OsenXPPicture1->setGeometry(24, 123, 220, 150); // level with the middle of the buttons

    auto button = [this](const char *name, const char *caption, int col, int row) {
        auto *b = new XPButton(this, QString::fromLatin1(name), QString::fromUtf8(caption));
        b->setGeometry(268 + col * 152, 88 + row * 46, 144, 36);
        return b;
    };
    cmdAnagrafica = button("cmdAnagrafica", "&Anagrafica Clienti", 0, 0);
    cmdContiCorrenti = button("cmdContiCorrenti", "&Pagamenti", 1, 0);
    cmdTipologia = button("cmdTipologia", "&Tipologie Clienti", 0, 1);
    cmdReportistica = button("cmdReportistica", "Re&ports", 1, 1);
    cmdAssegniEmessi = button("cmdAssegniEmessi", "Assegni &Emessi", 0, 2);
    cmdMieiContiCorrenti = button("cmdMieiContiCorrenti", "Co&nti Correnti", 1, 2);
    cmdBackup = button("cmdBackup", "Database &Backup", 0, 3);
    cmdCambiaIntestazione = button("cmdCambiaIntestazione", "&Modifica intestazione", 1, 3);
    cmdInfo = button("cmdInfo", "&Informazioni", 0, 4);
    cmdEsci = button("cmdEsci", "Es&ci", 1, 4);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(570, 370, 4, 4);

    connect(cmdAnagrafica, &QPushButton::clicked, this, [this] { cmdAnagrafica_Click(); });
    connect(cmdContiCorrenti, &QPushButton::clicked, this, [this] { cmdContiCorrenti_Click(); });
    connect(cmdTipologia, &QPushButton::clicked, this, [this] { cmdTipologia_Click(); });
    connect(cmdAssegniEmessi, &QPushButton::clicked, this, [this] { cmdAssegniEmessi_Click(); });
    connect(cmdMieiContiCorrenti, &QPushButton::clicked, this, [this] { cmdMieiContiCorrenti_Click(); });
    connect(cmdReportistica, &QPushButton::clicked, this, [this] { cmdReportistica_Click(); });
    connect(cmdBackup, &QPushButton::clicked, this, [this] { cmdBackup_Click(); });
    connect(cmdCambiaIntestazione, &QPushButton::clicked, this, [this] { cmdCambiaIntestazione_Click(); });
    connect(cmdInfo, &QPushButton::clicked, this, [this] { cmdInfo_Click(); });
    connect(cmdEsci, &QPushButton::clicked, this, [this] { cmdEsci_Click(); });
}

void frmMain::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        aggiornaFaseUpdate(0);
        gDbType = QStringLiteral("SqlLite");
        OpenDb();
        if (!isLoaded()) // the database could not be opened: the program ends
            return;
        // A database that takes no writes is told once; the start then writes nothing.
        if (databaseTakesWrites()) {
            AggiornaDatabase();
            AggiornaReportistica();
        }
        CenterForm(this);
        setCaption(QStringLiteral("Norvik 1.0"));
        DisattivaTabstop(this);
        if (isMySql())
            cmdBackup->setVisible(false);
        // Registers not built yet are shown but cannot be pressed.
        cmdContiCorrenti->setEnabled(WindowRegistry::exists(QStringLiteral("frmPagamenti")));
        cmdReportistica->setEnabled(WindowRegistry::exists(QStringLiteral("frmSplashReports")));
    });
}

void frmMain::Form_Activate()
{
    Procedure p(kForm, QStringLiteral("Form_Activate"));
    p.run([] {
        gErrorTrapOn = true;
        gPrtCSize = vb::CInt(getSetting(QStringLiteral("PRTCSIZE")));
        gLogStatus = getSetting(QStringLiteral("LOGSTATUS"));
    });
}

void frmMain::annullaWhere()
{
    Procedure p(kForm, QStringLiteral("annullaWhere"));
    p.run([] {
        gWhereAnagrafica.clear();
        gWhereAssegniEmessi.clear();
        gWherePagamenti.clear();
        gWhereUnused1.clear();
        gWhereMieiContiCorrenti.clear();
        gWhereTipologiaPersone.clear();
        gWhereUnused2.clear();
    });
}

void frmMain::openRegister(const QString &window)
{
    aggiornaFaseUpdate(4);
    // A register opened from here lists all its records: the filters left by the last visit go.
    annullaWhere();
    WindowRegistry::show(window);
}

void frmMain::cmdAnagrafica_Click()
{
    Procedure p(kForm, QStringLiteral("cmdAnagrafica_Click"));
    p.run([this] { openRegister(QStringLiteral("frmAnagrafica")); });
}

void frmMain::cmdContiCorrenti_Click()
{
    Procedure p(kForm, QStringLiteral("cmdContiCorrenti_Click"));
    p.run([this] { openRegister(QStringLiteral("frmPagamenti")); });
}

void frmMain::cmdTipologia_Click()
{
    Procedure p(kForm, QStringLiteral("cmdTipologia_Click"));
    p.run([this] { openRegister(QStringLiteral("frmTipologiaPersone")); });
}

void frmMain::cmdAssegniEmessi_Click()
{
    Procedure p(kForm, QStringLiteral("cmdAssegniEmessi_Click"));
    p.run([this] { openRegister(QStringLiteral("frmAssegniEmessi")); });
}

void frmMain::cmdMieiContiCorrenti_Click()
{
    Procedure p(kForm, QStringLiteral("cmdMieiContiCorrenti_Click"));
    p.run([this] { openRegister(QStringLiteral("frmMieiContiCorrenti")); });
}

void frmMain::cmdReportistica_Click()
{
    Procedure p(kForm, QStringLiteral("cmdReportistica_Click"));
    p.run([] {
        aggiornaFaseUpdate(4);
        WindowRegistry::show(QStringLiteral("frmSplashReports"));
    });
}

void frmMain::cmdInfo_Click()
{
    Procedure p(kForm, QStringLiteral("cmdInfo_Click"));
    p.run([] {
        aggiornaFaseUpdate(4);
        WindowRegistry::show(QStringLiteral("frmAbout"));
    });
}

void frmMain::cmdEsci_Click()
{
    Procedure p(kForm, QStringLiteral("cmdEsci_Click"));
    p.run([this] {
        aggiornaFaseUpdate(4);
        Unload();
    });
}

void frmMain::cmdBackup_Click()
{
    Procedure p(kForm, QStringLiteral("cmdBackup_Click"));
    p.run([] {
        aggiornaFaseUpdate(4);
        QString folder = StyledDialogs::InputBox(QStringLiteral("Inserire il percorso dove copiare il database"),
                                                 QStringLiteral("Norvik"), QString())
                             .trimmed();
        if (folder.isEmpty())
            return;
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        const QString target = folder + gDbFileName;
        CopyFailure failure;
        if (APIFileCopy(gSqliteDb && gSqliteDb->isOpen() ? gSqliteDb->handle() : nullptr, target, &failure))
            MyMsgBox(QStringLiteral("Copia del database avvenuta con successo"), 64, QStringLiteral("Norvik"));
        else
            MyMsgBox(QStringLiteral("Errore durante la copia del database\n") + backupFailureReason(failure, target),
                     48, QStringLiteral("Norvik"));
    });
}

void frmMain::cmdCambiaIntestazione_Click()
{
    Procedure p(kForm, QStringLiteral("cmdCambiaIntestazione_Click"), OwnerKind::Form, ErrorForm::Plain);
    p.run([] {
        const QString current = getSetting(QStringLiteral("INTESTAZ"));
        const QString answer =
            StyledDialogs::InputBox(QStringLiteral("Inserire l'intestazione"), QStringLiteral("Norvik"), current);
        if (answer.trimmed().isEmpty()) {
            MyMsgBox(QStringLiteral("Intestazione non modificata"), 48, QStringLiteral("Norvik"));
            return;
        }
        if (gDbExecute(QStringLiteral("update settings set value='")
                       + QString(answer).replace(QLatin1Char('\''), QStringLiteral("''"))
                       + QStringLiteral("' where mnemocode='INTESTAZ'")))
            MyMsgBox(QStringLiteral("Intestazione aggiornata con successo"), 64, QStringLiteral("Norvik"));
    });
}
