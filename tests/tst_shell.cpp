// Start-up, database access, settings, trace and log, error exits, and the main window's own
// work: backup, heading edit, its buttons and the about box it opens.
#include "platform/FileCopy.h"
#include "platform/ShellLaunch.h"
#include "platform/SqliteDb.h"
#include "shell/ErrorExit.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/frmAbout.h"
#include "shell/frmMain.h"
#include "testsupport.h"
#include <sqlite3.h>

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup() { closeAllForms(); }

    void startupCreatesSettingsThenStaysSilent()
    {
        TestProgram prog(true, false);
        frmMain *m = openForm<frmMain>();
        QVERIFY(m->isLoaded());
        QCOMPARE(m->Caption(), QStringLiteral("Norvik 1.0"));
        QCOMPARE(prog.setting("INTESTAZ") + prog.setting("PRTCSIZE") + prog.setting("LOGSTATUS"),
                 QStringLiteral("Negozio7OFF"));
        NO_BOXES();
        closeAllForms();
        // A second start on the same file keeps a changed heading and shows nothing.
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        resetShellState();
        setProgramFolder(prog.folder());
        QVERIFY(openForm<frmMain>()->isLoaded());
        NO_BOXES();
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Bottega"));
    }

    void missingOrDamagedDatabaseEndsTheStart()
    {
        TestProgram prog(false);
        // Missing (readFile's "<missing>"), not a database, emptied: each ends the start and is
        // left as it was.
        for (const QByteArray &content :
             {QByteArray("<missing>"), QByteArray("not a database, just text").repeated(200), QByteArray()}) {
            resetShellState();
            if (content != "<missing>")
                QVERIFY(writeFile(prog.dbPath(), content));
            QVERIFY(!openForm<frmMain>()->isLoaded());
            QCOMPARE(boxLog(), QStringList{msg("Impossibile connettersi al database", 16)});
            QCOMPARE(readFile(prog.dbPath()), content);
            closeAllForms();
        }
    }

    void databaseAccess()
    {
        TestProgram prog;
        for (int i = 0; i < 100; ++i)
            OpenDb();
        gRsOpen("select value from settings where mnemocode='nothing'");
        QVERIFY(gRs().EOF_());
        CloseDb();
        CloseDb();
        NO_BOXES();
        // Field lookup by alias, without regard to case; values keep their kind.
        gRsOpen("select 12 as Numero, 1.5 as Reale, 'x' as Testo, null as Vuoto");
        QCOMPARE(gRs().Fields()("numero").Value().toLongLong(), 12LL);
        QCOMPARE(gRs().Fields()("REALE").Value().toDouble(), 1.5);
        QCOMPARE(gRs().Fields()(2).Name(), QStringLiteral("Testo"));
        QVERIFY(!gRs().Fields()("Vuoto").Value().isValid());
        gRs().MoveNext();
        QVERIFY(gRs().EOF_());
        CloseDb();
        // A rejected statement is told and reported to its caller.
        QVERIFY(!gDbExecute("insert into settings (mnemocode,value) values ('INTESTAZ','x')"));
        QCOMPARE(boxLog(), QStringList{msg("Error 19 (UNIQUE constraint failed: settings.mnemocode) in procedure "
                                           "gDbExecute of Modulo basGeneral")});
        QVERIFY(gDbExecute("update settings set value='y' where mnemocode='INTESTAZ'"));
        // A failing query: gRsOpen's own message, then the reader's exit.
        DialogScript::reset();
        QCOMPARE(getSetting("X'"), QString());
        QVERIFY(prompts().value(0).endsWith("in procedure gRsOpen of Modulo basGeneral"));
    }

    void errorSentencesAndForms()
    {
        QCOMPARE(errorSentence(13, "Type mismatch", "Form_Activate", "frmMain", OwnerKind::Form),
                 QStringLiteral("Error 13 (Type mismatch) in procedure Form_Activate of Form frmMain"));
        QCOMPARE(errorSentence(9, "Subscript out of range", "aggiungiAggiornamentoDatabase", "basAggiornamentiDatabase",
                               OwnerKind::Modulo),
                 QStringLiteral("Error 9 (Subscript out of range) in procedure aggiungiAggiornamentoDatabase of Modulo "
                                "basAggiornamentiDatabase"));
        Procedure plain("frmMain", "cmdCambiaIntestazione_Click", OwnerKind::Form, ErrorForm::Plain);
        QVERIFY(!plain.run([] { throw PlatformError(5, "boom"); }));
        QCOMPARE(boxLog(),
                 QStringList{"plain:Error 5 (boom) in procedure cmdCambiaIntestazione_Click of Form frmMain"});
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
    }

    void settingsAndActivation()
    {
        TestProgram prog;
        QCOMPARE(getSetting("NONE"), QString());
        frmMain *m = openForm<frmMain>();
        m->Form_Activate();
        QCOMPARE(gPrtCSize, short(7));
        QCOMPARE(gLogStatus, QStringLiteral("OFF"));
        QVERIFY(gErrorTrapOn);
        // A size that is no number: the activation's error exit, the size kept, the switch not
        // loaded. The focus coming back from that message is no new activation, or the boxes
        // never end; coming back from another window of the program is.
        prog.exec("update settings set value='grande' where mnemocode='PRTCSIZE'");
        prog.exec("update settings set value='ON' where mnemocode='LOGSTATUS'");
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m, &activate);
        QApplication::sendEvent(m, &activate); // back from the message box
        QCOMPARE(gPrtCSize, short(7));
        QCOMPARE(gLogStatus, QStringLiteral("OFF"));
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().startsWith("Error 13 ("));
        QVERIFY(prompts().first().endsWith(") in procedure Form_Activate of Form frmMain"));
        Form other("frmAltro");
        other.Load();
        QApplication::sendEvent(&other, &activate);
        QApplication::sendEvent(m, &activate);
        QCOMPARE(prompts().size(), 2);
        // A Null value cannot be read as text.
        DialogScript::reset();
        prog.exec("insert into settings values ('NULLO', null)");
        QCOMPARE(getSetting("NULLO"), QString());
        QVERIFY(prompts().value(0).endsWith("in procedure getSetting of Modulo basGeneralCustom"));
    }

    void startupQueueIsBounded()
    {
        TestProgram prog;
        QCOMPARE(gNumAggiornamenti, short(4));
        for (int i = 0; i < 26; ++i)
            aggiungiAggiornamentoDatabase("select 1");
        NO_BOXES();
        aggiungiAggiornamentoDatabase("select 1");
        QCOMPARE(gNumAggiornamenti, short(30));
        QCOMPARE(prompts(), QStringList{"Error 9 (Subscript out of range) in procedure aggiungiAggiornamentoDatabase "
                                        "of Modulo basAggiornamentiDatabase"});
    }

    void reportFileLines()
    {
        TestProgram prog;
        const QString file = prog.folder() + "/nuovireport.sql";
        AggiornaReportistica(); // absent: nothing
        QDir(prog.folder()).mkdir("nuovireport.sql");
        AggiornaReportistica(); // a folder of that name counts as absent
        NO_BOXES();
        QDir(prog.folder()).rmdir("nuovireport.sql");

        writeFile(file, "insert into reportistica (ordine, titolo) values (1, 'Uno')\r\n"
                        "insert into tabellainesistente values (1)\r\n"
                        "\r\n"
                        "insert into reportistica (ordine, titolo) values (3, 'Tre')\r\n"
                        "alter table reportistica add column note text\r\n"
                        "create index idx_report_titolo on reportistica (titolo)\r\n");
        AggiornaReportistica();
        QCOMPARE(prog.scalar("select group_concat(titolo, ',') from (select titolo from reportistica order by ordine)"),
                 QStringLiteral("Uno,Tre"));
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
        const QList<QByteArray> lines = readFile(log).split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last CR LF
        QVERIFY(QRegularExpression(R"(^\[\d\d/\d\d/\d{4} - \d\d:\d\d:\d\d\] frmMain::cmdBackup_Click\r$)")
                    .match(QString::fromLatin1(lines[0]))
                    .hasMatch());
        QVERIFY(lines[1].endsWith("] basGeneral::gDbExecute\r"));
        NO_BOXES();
        // A log that cannot be opened (a folder in its way fails the open for root too): one
        // message per failure, and the program goes on.
        QFile::remove(log);
        QDir(prog.folder()).mkdir("brumlet3.log");
        traceProcedure("frmMain", "cmdInfo_Click");
        traceProcedure("frmMain", "cmdEsci_Click");
        gLogStatus.clear();
        QCOMPARE(prompts().size(), 2);
        QVERIFY(prompts().first().endsWith("in procedure addToLog of Modulo basGeneralCustom"));
    }

    void backup()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        prog.exec("create table extra (x); insert into extra values (42);");
        const QString target = prog.folder() + "/copie";
        const QString copy = target + "/norvik.db3";
        QDir().mkpath(target);
        auto backupTo = [&](const QString &answer) {
            DialogScript::reset();
            DialogScript::answerInput(answer);
            m->cmdBackup_Click();
        };
        const QString failed = msg("Errore durante la copia del database");

        for (const QString &blank : {QStringLiteral("   "), QString()}) { // blank or cancelled: no message
            backupTo(blank);
            QCOMPARE(boxLog(), QStringList{"input:Inserire il percorso dove copiare il database|"});
        }

        backupTo("  " + target + "  ");
        QCOMPARE(boxLog().last(), msg("Copia del database avvenuta con successo", 64));
        {
            SqliteDbComponent db;
            db.open(copy);
            QCOMPARE(db.query("PRAGMA integrity_check")->Fields()(0).Value().toString(), QStringLiteral("ok"));
            QCOMPARE(db.query("select x from extra")->Fields()(0).Value().toInt(), 42);
        }
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // An existing copy is never overwritten; a closing slash gives the same target.
        writeFile(copy, "older copy");
        backupTo(target + "/");
        QCOMPARE(boxLog().last(), failed);
        QCOMPARE(readFile(copy), QByteArray("older copy"));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // A folder that does not exist fails and leaves nothing.
        backupTo(prog.folder() + "/manca");
        QCOMPARE(boxLog().last(), failed);
        QVERIFY(!QFileInfo::exists(prog.folder() + "/manca"));
        // Another program holds the database: no consistent state can be read, no copy.
        QFile::remove(copy);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; update settings set value='a metà' where mnemocode='INTESTAZ'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        backupTo(target);
        QCOMPARE(boxLog().last(), failed);
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList());
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        // The program's own later changes are still committed, not held in a dangling transaction.
        QVERIFY(gDbExecute("update settings set value='Dopo' where mnemocode='INTESTAZ'"));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Dopo"));
        backupTo(target);
        QCOMPARE(boxLog().last(), msg("Copia del database avvenuta con successo", 64));
        // A copy that fails half-way (reading a folder) leaves no file.
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sorgente");
        QVERIFY(!APIFileCopy(dir.path() + "/sorgente", dir.path() + "/copia.db3", true));
        QVERIFY(!APIFileCopy(dir.path() + "/manca", dir.path() + "/copia.db3", true));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    void headingEdit()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        auto editTo = [&](const QString &answer) {
            DialogScript::reset();
            DialogScript::answerInput(answer);
            m->cmdCambiaIntestazione_Click();
        };
        for (const QString &blank : {QStringLiteral("    "), QString()}) {
            editTo(blank);
            QCOMPARE(boxLog(),
                     (QStringList{"input:Inserire l'intestazione|Negozio", msg("Intestazione non modificata")}));
            QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Negozio"));
        }

        editTo("  L'Angolo del Caffè  ");
        QCOMPARE(boxLog().last(), msg("Intestazione aggiornata con successo", 64));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("  L'Angolo del Caffè  "));
        // A failed update says so and never claims success.
        prog.exec("create trigger noedit before update on settings begin select raise(abort, 'sola lettura'); end;");
        editTo("Altro");
        QVERIFY(!prompts().contains("Intestazione aggiornata con successo"));
        QVERIFY(prompts().last().endsWith("in procedure gDbExecute of Modulo basGeneral"));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("  L'Angolo del Caffè  "));
    }

    void buttonsAndFilterSlots()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        QTest::keyClick(m, Qt::Key_Escape); // Esc does not end the program
        QVERIFY(m->isLoaded());
        gWherePagamenti = "a.anagraficaid=3";
        gWhereAnagrafica = "x";
        m->cmdReportistica_Click();
        QCOMPARE(gWherePagamenti, QStringLiteral("a.anagraficaid=3"));
        m->annullaWhere();
        QVERIFY(gWherePagamenti.isEmpty() && gWhereAnagrafica.isEmpty());
        // The about box: the locked address is the one opened.
        QString opened;
        ShellLaunch::setFindHook([](const QString &) { return QStringLiteral("/usr/bin/browser"); });
        ShellLaunch::setExecuteHook([&](const QString &, const QString &a) {
            opened = a;
            return true;
        });
        drive<frmAbout>([&](frmAbout *about) {
            QCOMPARE(about->Caption(), QStringLiteral("Informazioni su Norvik"));
            QVERIFY(about->txtWebPage->Locked());
            QTest::keyClicks(about->txtWebPage, "altro");
            about->cmdGoToWebPage->click();
            QCOMPARE(opened, about->txtWebPage->Text());
            QVERIFY(opened.startsWith("https://"));
            about->cmdOK_Click();
            QVERIFY(!about->isLoaded());
        });
        m->cmdInfo_Click();
        ShellLaunch::setFindHook({});
        ShellLaunch::setExecuteHook({});
        QVERIFY(!opened.isEmpty() && !FormInstance<frmAbout>::exists());
        NO_BOXES();

        m->cmdEsci_Click();
        QVERIFY(!m->isLoaded());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
