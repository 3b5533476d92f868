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
#include <QRandomGenerator>
#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kCopied = msg("Copia del database avvenuta con successo", 64);
const QString kFailed = msg("Errore durante la copia del database");
const QString kHeading = QStringLiteral("select value from settings where mnemocode='INTESTAZ'");

// The backup as the button runs it, the input box answered with `answer`; the last box shown.
QString backupTo(frmMain *m, const QString &answer)
{
    DialogScript::reset();
    DialogScript::answerInput(answer);
    QTest::mouseClick(m->cmdBackup, Qt::LeftButton);
    return boxLog().last();
}

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// The page size a database file's header gives (65536 written as 1).
int databasePageSize(const QByteArray &db)
{
    const int size = (uchar(db.at(16)) << 8) | uchar(db.at(17));
    return size == 1 ? 65536 : size;
}

// A database file's integrity verdict and the first value of `sql`: "ok 42".
QString copyContent(const QString &path, const QString &sql)
{
    SqliteDbComponent db;
    db.open(path);
    return db.query("PRAGMA integrity_check")->Fields()(0).Value().toString() + " "
           + db.query(sql)->Fields()(0).Value().toString();
}
}

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

    // What opening reads first tells a file that is not a whole database: the start ends with
    // the one message and the file is left as it was.
    void unrecognisedFileEndsTheStart()
    {
        TestProgram prog;
        prog.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                  "INSERT INTO Anagrafica (TIPOLOGIAID, Cognome) SELECT 1, 'Cliente ' || i FROM n");
        resetDatabaseForTests();
        const QByteArray db = readFile(prog.dbPath());
        const int page = databasePageSize(db);
        QVERIFY(db.size() > 50 * page);
        auto with = [&db](int at, const QByteArray &bytes) { return QByteArray(db).replace(at, bytes.size(), bytes); };
        QRandomGenerator rnd(16);
        auto random = [&rnd](int size) {
            QByteArray b(size, 0);
            for (char &c : b)
                c = char(rnd.bounded(256));
            return b;
        };
        const QByteArray counted =
            QByteArray::fromHex(QByteArray::number(db.size() / page + 3, 16).rightJustified(8, '0'));
        const QList<std::pair<const char *, QByteArray>> variants = {
            {"random bytes, a page", random(page)},
            {"random bytes, less than a header", random(60)},
            {"a header alone", db.left(100)},
            {"the first page alone", db.left(page)},
            {"cut at a page's end", db.left(db.size() / page / 2 * page)},
            {"cut inside a page", db.left(db.size() / 2 + 100)},
            {"the last page cut short", db.left(db.size() - 1)},
            {"the last page missing", db.left(db.size() - page)},
            {"more pages counted than held", with(28, counted)},
            {"another format's name", with(0, "SQLite format 2")},
            {"a page size no power of two", with(16, QByteArray::fromHex("03E8"))},
            {"a page size too small", with(16, QByteArray::fromHex("0100"))},
            {"a file format too new to read", with(19, QByteArray::fromHex("03"))},
            {"wrong payload fractions", with(21, QByteArray::fromHex("41"))},
            {"the schema overwritten", with(100, random(page - 100))},
        };
        auto refused = [&](const char *what, const QByteArray &left) {
            resetShellState();
            const bool started = openForm<frmMain>()->isLoaded();
            closeAllForms();
            QVERIFY2(!started, what);
            QCOMPARE(boxLog(), QStringList{msg("Impossibile connettersi al database", 16)});
            QCOMPARE(readFile(prog.dbPath()), left);
        };
        for (const auto &[what, content] : variants) {
            QVERIFY(writeFile(prog.dbPath(), content));
            refused(what, content);
        }
        // A folder where the file should be.
        QVERIFY(QFile::remove(prog.dbPath()) && QDir(prog.folder()).mkdir("norvik.db3"));
        refused("a folder", "<missing>");
        QVERIFY(QFileInfo(prog.dbPath()).isDir());
    }

    // A page damaged further in does not stop the start: it is told when something reads it.
    void damageInsideIsToldWhenRead()
    {
        TestProgram prog;
        seedShop(prog);
        const int root = prog.scalar("select rootpage from sqlite_master where name = 'Anagrafica'").toInt();
        resetDatabaseForTests();
        QByteArray db = readFile(prog.dbPath());
        const int page = databasePageSize(db);
        QVERIFY(root > 1 && db.size() >= root * page);
        QVERIFY(writeFile(prog.dbPath(), db.replace((root - 1) * page, page, QByteArray(page, '\xFF'))));
        QVERIFY(openForm<frmMain>()->isLoaded());
        NO_BOXES();
        QCOMPARE(getSetting("INTESTAZ"), QStringLiteral("Negozio"));
        gRsOpen("select Cognome from Anagrafica");
        QCOMPARE(prompts(),
                 QStringList{"Error 11 (database disk image is malformed) in procedure gRsOpen of Modulo basGeneral"});
    }

    void databaseAccess()
    {
        TestProgram prog;
        OpenDb();
        OpenDb();
        // Field lookup by alias, without regard to case; values keep their kind.
        gRsOpen("select 12 as Numero, 1.5 as Reale, 'x' as Testo, null as Vuoto");
        QCOMPARE(gRs().Fields()("numero").Value().toLongLong(), 12LL);
        QCOMPARE(gRs().Fields()("REALE").Value().toDouble(), 1.5);
        QCOMPARE(gRs().Fields()(2).Name(), QStringLiteral("Testo"));
        QVERIFY(!gRs().Fields()("Vuoto").Value().isValid());
        gRs().MoveNext();
        QVERIFY(gRs().EOF_());
        CloseDb();
        CloseDb();
        NO_BOXES();
        // A failing query: gRsOpen's own message, then the reader's exit.
        QCOMPARE(getSetting("X'"), QString());
        QVERIFY(prompts().value(0).endsWith("in procedure gRsOpen of Modulo basGeneral"));
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

    // Only "ON" writes the log. A log that cannot be written is told once, not at every traced
    // procedure (one heading edit alone enters eight); the program goes on, and the log resumes
    // once it can be written.
    void logFollowsTheExactSwitchAndIsToldOnce()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
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

        QFile::remove(log);
        QDir(prog.folder()).mkdir("brumlet3.log"); // a folder in its way stops root too
        const QString told = "Error 70 (Is a directory) in procedure addToLog of Modulo basGeneralCustom";
        auto editHeading = [&](const QString &answer) {
            DialogScript::answerInput(answer);
            QTest::mouseClick(m->cmdCambiaIntestazione, Qt::LeftButton);
        };
        editHeading("Bottega");
        QCOMPARE(prompts(), (QStringList{told, "Inserire l'intestazione", "Intestazione aggiornata con successo"}));
        DialogScript::reset();
        editHeading("Emporio");
        QCOMPARE(prompts(), (QStringList{"Inserire l'intestazione", "Intestazione aggiornata con successo"}));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Emporio"));
        // Written again, then broken again: told again, once.
        QDir(prog.folder()).rmdir("brumlet3.log");
        DialogScript::reset();
        traceProcedure("frmMain", "cmdInfo_Click");
        QVERIFY(readFile(log).endsWith("] frmMain::cmdInfo_Click\r\n"));
        QFile::remove(log);
        QDir(prog.folder()).mkdir("brumlet3.log");
        for (int i = 0; i < 17; ++i)
            traceProcedure("frmEditAnagrafica", "cmdOK_Click");
        QCOMPARE(prompts(), QStringList{told});
        gLogStatus.clear();
    }

    void backup()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        prog.exec("create table extra (x); insert into extra values (42);");
        const QString target = prog.folder() + "/copie";
        const QString copy = target + "/norvik.db3";
        QDir().mkpath(target);
        for (const QString &blank : {QStringLiteral("   "), QString()}) { // blank or cancelled: no message
            backupTo(m, blank);
            QCOMPARE(boxLog(), QStringList{"input:Inserire il percorso dove copiare il database|"});
        }

        QCOMPARE(backupTo(m, "  " + target + "  "), kCopied);
        QCOMPARE(copyContent(copy, "select x from extra"), QStringLiteral("ok 42"));
        QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        // An existing copy is never overwritten; a closing slash gives the same target.
        writeFile(copy, "older copy");
        QCOMPARE(backupTo(m, target + "/"), kFailed);
        QCOMPARE(readFile(copy), QByteArray("older copy"));
        QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        // A folder that does not exist, or a file where the folder should be, fails and leaves nothing.
        QCOMPARE(backupTo(m, prog.folder() + "/manca"), kFailed);
        QVERIFY(!QFileInfo::exists(prog.folder() + "/manca"));
        QCOMPARE(backupTo(m, prog.folder() + "/norvik.db3"), kFailed);
        // Another program holds the database: no consistent state can be read, no copy.
        QFile::remove(copy);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; update settings set value='a metà' where mnemocode='INTESTAZ'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QCOMPARE(backupTo(m, target), kFailed);
        QCOMPARE(filesIn(target), QStringList());
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        // The program's own later changes are still committed, not held in a dangling transaction.
        QVERIFY(gDbExecute("update settings set value='Dopo' where mnemocode='INTESTAZ'"));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Dopo"));
        QCOMPARE(backupTo(m, target), kCopied);
        QCOMPARE(copyContent(copy, kHeading), QStringLiteral("ok Dopo"));
    }

    // Changes committed into the write-ahead log and not yet moved into the database file are
    // part of the database: a copy of the file alone would lose them while claiming success.
    void backupHoldsChangesNotYetCheckpointed()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other,
                              "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                              "create table recenti (x); insert into recenti values (7);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(gDbExecute("insert into recenti values (8)"));
        const QString fileOnly = prog.folder() + "/solo-file.db3";
        QVERIFY(writeFile(fileOnly, readFile(prog.dbPath())));
        QCOMPARE(copyContent(fileOnly, "select count(*) from sqlite_master where name='recenti'"),
                 QStringLiteral("ok 0"));

        const QString target = prog.folder() + "/copie";
        QDir().mkpath(target);
        QCOMPARE(backupTo(m, target), kCopied);
        sqlite3_close(other);
        QCOMPARE(copyContent(target + "/norvik.db3", "select group_concat(x) from recenti"), QStringLiteral("ok 7,8"));
    }

    // Where the file system refuses a step of naming the copy, the next one takes over, and
    // none of them ever replaces a file of that name, not even one that appeared during the copy.
    void backupNamingFallbacks()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        const QString target = prog.folder() + "/copie";
        const QString copy = target + "/norvik.db3";
        QDir().mkpath(target);
        struct Restore {
            ~Restore() { resetFileCopyCalls(); }
        } restore;
        int linkCalls = 0;
        auto refuse = [](int err) {
            return [err](const char *, const char *) {
                errno = err;
                return -1;
            };
        };
        auto countedLink = [&](int err) {
            fileCopyCalls().link = [&linkCalls, err](const char *from, const char *to) {
                ++linkCalls;
                if (err == 0)
                    return ::link(from, to);
                errno = err;
                return -1;
            };
        };
        // A fresh run; nothing is ever written under the copy's own name before it is named.
        bool targetSeenEarly = false;
        auto freshRun = [&] {
            QFile::remove(copy);
            linkCalls = 0;
            targetSeenEarly = false;
            fileCopyCalls().beforeNaming = [&](const QString &) { targetSeenEarly = QFileInfo::exists(copy); };
        };

        // No NOREPLACE rename (EINVAL), then no hard links either (EPERM, as on FAT).
        fileCopyCalls().renameNoReplace = refuse(EINVAL);
        for (int linkError : {0, EPERM}) {
            countedLink(linkError);
            freshRun();
            QCOMPARE(backupTo(m, target), kCopied);
            QCOMPARE(linkCalls, 1);
            QVERIFY(!targetSeenEarly);
            QCOMPARE(copyContent(copy, kHeading), QStringLiteral("ok Negozio"));
            QCOMPARE(filesIn(target), QStringList{"norvik.db3"});

            // There already, or appearing while the copy is made: left exactly as it is.
            writeFile(copy, "older copy");
            QCOMPARE(backupTo(m, target), kFailed);
            QCOMPARE(readFile(copy), QByteArray("older copy"));
            QFile::remove(copy);
            fileCopyCalls().beforeNaming = [&](const QString &) { writeFile(copy, "copy of another program"); };
            QCOMPARE(backupTo(m, target), kFailed);
            QCOMPARE(readFile(copy), QByteArray("copy of another program"));
            QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        }

        // A real failure of the rename is no reason to fall back to a weaker step.
        fileCopyCalls().renameNoReplace = refuse(EIO);
        countedLink(0);
        freshRun();
        QCOMPARE(backupTo(m, target), kFailed);
        QCOMPARE(linkCalls, 0);
        QCOMPARE(filesIn(target), QStringList());
    }

    // A backup killed after its copy is complete and before it has its name leaves the temporary
    // behind; the next backup into that folder removes it, and only what is plainly its own.
    void killedBackupIsCleanedByTheNext()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        const QString target = prog.folder() + "/copie";
        QDir().mkpath(target);
        const QString source = prog.folder() + "/altra.db3";
        TestProgram::exec(source, "create table t (x); insert into t values (1);");

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            sqlite3 *db = nullptr;
            sqlite3_open_v2(source.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
            fileCopyCalls().beforeNaming = [](const QString &) { ::raise(SIGKILL); };
            APIFileCopy(db, target + "/norvik.db3");
            ::_exit(0); // not reached: the copy is killed before naming
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const QStringList left = filesIn(target);
        QCOMPARE(left.size(), 1);
        QVERIFY(isCopyTemporaryName(left.first(), "norvik.db3"));
        QVERIFY(QFileInfo(target + "/" + left.first()).size() > 0);

        // Names that only resemble ours are the user's; a temporary still locked is a copy
        // running elsewhere right now.
        const QStringList usersOwn{"norvik.db3.copia-in-corso-nota.txt", "norvik.db3.copia-in-corso-ab",
                                   "vecchio.db3.copia-in-corso-abc123", "norvik.db3.bak"};
        for (const QString &name : usersOwn)
            writeFile(target + "/" + name, "dell'utente");
        const QString running = target + "/norvik.db3.copia-in-corso-Run123";
        writeFile(running, "in corso");
        const int lockFd = ::open(running.toUtf8().constData(), O_RDONLY);
        QCOMPARE(::flock(lockFd, LOCK_EX), 0);

        QCOMPARE(backupTo(m, target), kCopied);
        ::close(lockFd);
        QStringList expected = usersOwn;
        expected << "norvik.db3"
                 << "norvik.db3.copia-in-corso-Run123";
        expected.sort();
        QCOMPARE(filesIn(target), expected);
        QCOMPARE(copyContent(target + "/norvik.db3", kHeading), QStringLiteral("ok Negozio"));
        for (const QString &name : usersOwn)
            QCOMPARE(readFile(target + "/" + name), QByteArray("dell'utente"));
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
        editTo("    ");
        QCOMPARE(boxLog(), (QStringList{"input:Inserire l'intestazione|Negozio", msg("Intestazione non modificata")}));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("Negozio"));

        editTo("  L'Angolo del Caffè  ");
        QCOMPARE(boxLog().last(), msg("Intestazione aggiornata con successo", 64)); // as typed, blanks and all
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
