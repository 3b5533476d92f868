// Start-up, database access, settings, trace and log, error exits, and the main window's own work.
#include "testsupport.h"
#include "platform/Dialogs.h"
#include "platform/FileCopy.h"
#include "platform/Form.h"
#include "platform/SqliteDb.h"
#include "shell/ErrorExit.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basRegistering.h"
#include "shell/frmMain.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

frmMain *startMain()
{
    frmMain *m = FormInstance<frmMain>::get();
    m->Load();
    return m;
}

void closeMain()
{
    if (frmMain *m = FormInstance<frmMain>::peek()) {
        if (m->isLoaded())
            m->Unload();
        else
            delete m;
    }
}

bool runningAsRoot() { return ::geteuid() == 0; }
}

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup() { closeMain(); }

    void startupCreatesSettingsThenStaysSilent()
    {
        TestProgram prog(true, false);
        frmMain *m = startMain();
        QVERIFY(m->isLoaded());
        QCOMPARE(m->Caption(), QStringLiteral("Norvik 1.0"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("Negozio"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='PRTCSIZE'"), QStringLiteral("7"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='LOGSTATUS'"), QStringLiteral("OFF"));
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
        closeMain();

        // A second start on the same file keeps a changed heading and shows nothing.
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        resetShellState();
        setProgramFolder(prog.folder());
        startMain();
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("Bottega"));
    }

    void missingOrDamagedDatabaseEndsTheStart()
    {
        TestProgram prog(false);
        frmMain *m = startMain();
        QVERIFY(!m->isLoaded());
        QCOMPARE(prompts(), QStringList{"Impossibile connettersi al database"});
        QCOMPARE(DialogScript::boxes().first().buttons, 16);
        QVERIFY2(!QFileInfo::exists(prog.dbPath()), "a missing database must not be created");

        resetShellState();
        writeFile(prog.dbPath(), QByteArray("this is not a database, just some text that fills a page").repeated(100));
        const QByteArray before = [&] { QFile f(prog.dbPath()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        m = startMain();
        QVERIFY(!m->isLoaded());
        QCOMPARE(prompts(), QStringList{"Impossibile connettersi al database"});
        QFile f(prog.dbPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        f.close();

        // An emptied file is no database either: nothing may be written into it.
        resetShellState();
        writeFile(prog.dbPath(), QByteArray());
        m = startMain();
        QVERIFY(!m->isLoaded());
        QCOMPARE(prompts(), QStringList{"Impossibile connettersi al database"});
        QCOMPARE(QFileInfo(prog.dbPath()).size(), 0);
    }

    void databaseAccessBasics()
    {
        TestProgram prog;
        for (int i = 0; i < 100; ++i)
            OpenDb();
        releaseRs();
        gRsOpen("select value from settings where mnemocode='nothing'");
        QVERIFY(gRs().EOF_());
        CloseDb();
        CloseDb();
        QVERIFY(DialogScript::boxes().isEmpty());

        // Field lookup by alias, without regard to case; values keep their kind.
        gRsOpen("select 12 as Numero, 1.5 as Reale, 'x' as Testo, null as Vuoto");
        QCOMPARE(gRs().Fields()("numero").Value().toLongLong(), 12LL);
        QCOMPARE(gRs().Fields()("REALE").Value().toDouble(), 1.5);
        QCOMPARE(gRs().Fields()(2).Name(), QStringLiteral("Testo"));
        QVERIFY(!gRs().Fields()("Vuoto").Value().isValid());
        gRs().MoveNext();
        QVERIFY(gRs().EOF_());
        CloseDb();
    }

    void rejectedStatementIsReportedAndTold()
    {
        TestProgram prog;
        QVERIFY(!gDbExecute("insert into settings (mnemocode,value) values ('INTESTAZ','x')"));
        QCOMPARE(DialogScript::boxes().size(), 1);
        const auto box = DialogScript::boxes().first();
        QCOMPARE(box.prompt, QStringLiteral("Error 19 (UNIQUE constraint failed: settings.mnemocode) in procedure gDbExecute of Modulo basGeneral"));
        QCOMPARE(box.buttons, 48);
        QCOMPARE(box.title, QStringLiteral("Norvik"));
        QVERIFY(gDbExecute("update settings set value='y' where mnemocode='INTESTAZ'"));

        // A failing query: gRsOpen's own message, then the reader's exit.
        DialogScript::reset();
        QCOMPARE(getSetting("X'"), QString());
        QVERIFY(!DialogScript::boxes().isEmpty());
        QVERIFY(DialogScript::boxes().first().prompt.endsWith("in procedure gRsOpen of Modulo basGeneral"));
    }

    void errorSentencesAndForms()
    {
        QCOMPARE(errorSentence(13, "Type mismatch", "Form_Activate", "frmMain", OwnerKind::Form),
                 QStringLiteral("Error 13 (Type mismatch) in procedure Form_Activate of Form frmMain"));
        QCOMPARE(errorSentence(9, "Subscript out of range", "aggiungiAggiornamentoDatabase", "basAggiornamentiDatabase", OwnerKind::Modulo),
                 QStringLiteral("Error 9 (Subscript out of range) in procedure aggiungiAggiornamentoDatabase of Modulo basAggiornamentiDatabase"));
        Procedure plain("frmMain", "cmdCambiaIntestazione_Click", OwnerKind::Form, ErrorForm::Plain);
        QVERIFY(!plain.run([] { throw PlatformError(5, "boom"); }));
        QCOMPARE(DialogScript::boxes().size(), 1);
        QCOMPARE(DialogScript::boxes().first().kind, DialogScript::Box::Plain);
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
    }

    void settingsAndActivation()
    {
        TestProgram prog;
        QCOMPARE(getSetting("NONE"), QString());
        frmMain *m = startMain();
        m->Form_Activate();
        QCOMPARE(gPrtCSize, short(7));
        QCOMPARE(gLogStatus, QStringLiteral("OFF"));
        QVERIFY(gErrorTrapOn);

        // A size that is no number: the activation's error exit, the size kept, the switch not loaded.
        prog.exec("update settings set value='grande' where mnemocode='PRTCSIZE'");
        prog.exec("update settings set value='ON' where mnemocode='LOGSTATUS'");
        m->Form_Activate();
        QCOMPARE(gPrtCSize, short(7));
        QCOMPARE(gLogStatus, QStringLiteral("OFF"));
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().startsWith("Error 13 ("));
        QVERIFY(prompts().first().endsWith(") in procedure Form_Activate of Form frmMain"));

        // A Null value cannot be read as text.
        DialogScript::reset();
        prog.exec("insert into settings values ('NULLO', null)");
        QCOMPARE(getSetting("NULLO"), QString());
        QVERIFY(prompts().value(0).endsWith("in procedure getSetting of Modulo basGeneralCustom"));
    }

    void activationComesFromAnotherWindowOnly()
    {
        // A size that is no number makes every activation show a message; the focus coming
        // back from that message must not count as a new activation, or the boxes never end.
        TestProgram prog;
        prog.exec("update settings set value='grande' where mnemocode='PRTCSIZE'");
        frmMain *m = startMain();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m, &activate);
        QApplication::sendEvent(m, &activate); // back from the message box
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().endsWith("in procedure Form_Activate of Form frmMain"));

        // Coming back from another window of the program is an activation again.
        Form other("frmAltro");
        other.Load();
        QApplication::sendEvent(&other, &activate);
        QApplication::sendEvent(m, &activate);
        QCOMPARE(prompts().size(), 2);
    }

    void escapeDoesNotEndTheProgram()
    {
        TestProgram prog;
        frmMain *m = startMain();
        QTest::keyClick(m, Qt::Key_Escape);
        QVERIFY(m->isLoaded());
        QVERIFY(FormInstance<frmMain>::exists());
    }

    void startupQueueIsBoundedAndRunsOnce()
    {
        TestProgram prog;
        QCOMPARE(gNumAggiornamenti, short(4));
        QCOMPARE(gAggiornamenti[1], QStringLiteral("create table settings (mnemocode text primary key, value text)"));
        for (int i = 0; i < 26; ++i)
            aggiungiAggiornamentoDatabase("select 1");
        QCOMPARE(gNumAggiornamenti, short(30));
        QVERIFY(DialogScript::boxes().isEmpty());
        aggiungiAggiornamentoDatabase("select 1");
        QCOMPARE(gNumAggiornamenti, short(30));
        QCOMPARE(prompts(), QStringList{"Error 9 (Subscript out of range) in procedure aggiungiAggiornamentoDatabase of Modulo basAggiornamentiDatabase"});
    }

    void reportFileLines()
    {
        TestProgram prog;
        const QString file = prog.folder() + "/nuovireport.sql";
        AggiornaReportistica(); // absent: nothing
        QDir(prog.folder()).mkdir("nuovireport.sql");
        AggiornaReportistica(); // a folder of that name counts as absent
        QVERIFY(DialogScript::boxes().isEmpty());
        QDir(prog.folder()).rmdir("nuovireport.sql");

        writeFile(file, "insert into reportistica (ordine, titolo) values (1, 'Uno')\r\n"
                        "insert into tabellainesistente values (1)\r\n"
                        "\r\n"
                        "insert into reportistica (ordine, titolo) values (3, 'Tre')\r\n"
                        "alter table reportistica add column note text\r\n"
                        "create index idx_report_titolo on reportistica (titolo)\r\n");
        AggiornaReportistica();
        QCOMPARE(prog.scalar("select group_concat(titolo, ',') from (select titolo from reportistica order by ordine)"), QStringLiteral("Uno,Tre"));
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().startsWith("Error 1 (no such table: tabellainesistente)"));

        // At the next start the lines that took effect are passed over silently; the bad one is told again.
        DialogScript::reset();
        AggiornaReportistica();
        QCOMPARE(prompts().size(), 1);
        QCOMPARE(prog.scalar("select count(*) from reportistica"), QStringLiteral("2"));
        QVERIFY(QFileInfo::exists(file));
    }

    void tracingFollowsTheExactSwitch()
    {
        TestProgram prog;
        const QString log = prog.folder() + "/brumlet3.log";
        gLogStatus = "on";
        traceProcedure("frmMain", "cmdBackup_Click");
        QCOMPARE(gCurrentProcedure, QStringLiteral("frmMain::cmdBackup_Click"));
        QVERIFY(!QFileInfo::exists(log));

        gLogStatus = "ON";
        traceProcedure("frmMain", "cmdBackup_Click");
        traceProcedure("basGeneral", "gDbExecute");
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last CR LF
        QVERIFY(QRegularExpression(R"(^\[\d\d/\d\d/\d{4} - \d\d:\d\d:\d\d\] frmMain::cmdBackup_Click\r$)").match(QString::fromLatin1(lines[0])).hasMatch());
        QVERIFY(lines[1].endsWith("] basGeneral::gDbExecute\r"));
        gLogStatus.clear();
    }

    void logInReadOnlyFolderGivesOneMessagePerFailure()
    {
        if (runningAsRoot())
            QSKIP("root writes into read-only folders");
        TestProgram prog;
        QFile::setPermissions(prog.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        gLogStatus = "ON";
        traceProcedure("frmMain", "cmdInfo_Click");
        QFile::setPermissions(prog.folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        gLogStatus.clear();
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().endsWith("in procedure addToLog of Modulo basGeneralCustom"));
    }

    void logThatCannotBeOpenedGivesOneMessagePerFailure()
    {
        // A folder in the way of the log file fails the open for root too.
        TestProgram prog;
        QDir(prog.folder()).mkdir("brumlet3.log");
        gLogStatus = "ON";
        traceProcedure("frmMain", "cmdInfo_Click");
        traceProcedure("frmMain", "cmdEsci_Click");
        gLogStatus.clear();
        QCOMPARE(prompts().size(), 2);
        QVERIFY(prompts().first().endsWith("in procedure addToLog of Modulo basGeneralCustom"));
    }

    void backup()
    {
        TestProgram prog;
        frmMain *m = startMain();
        prog.exec("create table extra (x); insert into extra values (42);");
        const QString target = prog.folder() + "/copie";
        QDir().mkpath(target);

        DialogScript::answerInput("   ");
        m->cmdBackup_Click();
        DialogScript::answerInput(QString()); // cancelled
        m->cmdBackup_Click();
        QCOMPARE(DialogScript::boxes().size(), 2); // the two input boxes, no message
        QCOMPARE(DialogScript::boxes().first().prompt, QStringLiteral("Inserire il percorso dove copiare il database"));

        DialogScript::reset();
        DialogScript::answerInput("  " + target + "  ");
        m->cmdBackup_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Copia del database avvenuta con successo"));
        QCOMPARE(DialogScript::boxes().last().buttons, 64);
        const QString copy = target + "/norvik.db3";
        {
            SqliteDbComponent db;
            db.open(copy);
            auto rs = db.query("PRAGMA integrity_check");
            QCOMPARE(rs->Fields()(0).Value().toString(), QStringLiteral("ok"));
            auto x = db.query("select x from extra");
            QCOMPARE(x->Fields()(0).Value().toInt(), 42);
        }
        QVERIFY(QDir(target).entryList(QDir::Files | QDir::Hidden).size() == 1);

        // An existing copy is never overwritten; a closing slash gives the same target.
        writeFile(copy, "older copy");
        DialogScript::reset();
        DialogScript::answerInput(target + "/");
        m->cmdBackup_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Errore durante la copia del database"));
        QCOMPARE(DialogScript::boxes().last().buttons, 48);
        QFile f(copy);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("older copy"));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // A folder that does not exist fails and leaves nothing.
        DialogScript::reset();
        DialogScript::answerInput(prog.folder() + "/manca");
        m->cmdBackup_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Errore durante la copia del database"));
        QVERIFY(!QFileInfo::exists(prog.folder() + "/manca"));
    }

    void backupWhileAnotherProgramWrites()
    {
        TestProgram prog;
        frmMain *m = startMain();
        const QString target = prog.folder() + "/copie";
        QDir().mkpath(target);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; update settings set value='a metà' where mnemocode='INTESTAZ'", nullptr, nullptr, nullptr), SQLITE_OK);

        // No consistent state can be read: no copy, and the failure is told.
        DialogScript::answerInput(target);
        m->cmdBackup_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Errore durante la copia del database"));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList());
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);

        // The program's own later changes are still committed, not held in a dangling transaction.
        QVERIFY(gDbExecute("update settings set value='Dopo' where mnemocode='INTESTAZ'"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("Dopo"));
        DialogScript::answerInput(target);
        m->cmdBackup_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Copia del database avvenuta con successo"));
    }

    void copyThatFailsHalfWayLeavesNoFile()
    {
        // Reading a folder fails after the target folder has been written to.
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sorgente");
        QVERIFY(!APIFileCopy(dir.path() + "/sorgente", dir.path() + "/copia.db3", true));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
        QVERIFY(!APIFileCopy(dir.path() + "/manca", dir.path() + "/copia.db3", true));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    void headingEdit()
    {
        TestProgram prog;
        frmMain *m = startMain();
        DialogScript::answerInput("    ");
        m->cmdCambiaIntestazione_Click();
        QCOMPARE(DialogScript::boxes().first().defaultText, QStringLiteral("Negozio"));
        QCOMPARE(prompts().last(), QStringLiteral("Intestazione non modificata"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("Negozio"));

        DialogScript::reset();
        DialogScript::answerInput(QString());
        m->cmdCambiaIntestazione_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Intestazione non modificata"));

        DialogScript::reset();
        DialogScript::answerInput("  L'Angolo del Caffè  ");
        m->cmdCambiaIntestazione_Click();
        QCOMPARE(prompts().last(), QStringLiteral("Intestazione aggiornata con successo"));
        QCOMPARE(DialogScript::boxes().last().buttons, 64);
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("  L'Angolo del Caffè  "));

        // A failed update says so and never claims success.
        prog.exec("create trigger noedit before update on settings begin select raise(abort, 'sola lettura'); end;");
        DialogScript::reset();
        DialogScript::answerInput("Altro");
        m->cmdCambiaIntestazione_Click();
        QVERIFY(!prompts().contains("Intestazione aggiornata con successo"));
        QVERIFY(prompts().last().endsWith("in procedure gDbExecute of Modulo basGeneral"));
        QCOMPARE(prog.scalar("select value from settings where mnemocode='INTESTAZ'"), QStringLiteral("  L'Angolo del Caffè  "));
    }

    void filterSlotsAndButtons()
    {
        TestProgram prog;
        frmMain *m = startMain();
        gWherePagamenti = "a.anagraficaid=3";
        gWhereAnagrafica = "x";
        m->cmdReportistica_Click();
        QCOMPARE(gWherePagamenti, QStringLiteral("a.anagraficaid=3"));
        m->annullaWhere();
        QVERIFY(gWherePagamenti.isEmpty() && gWhereAnagrafica.isEmpty());
        m->cmdEsci_Click();
        QVERIFY(!m->isLoaded());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
