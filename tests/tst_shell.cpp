// Start-up, database access, settings, trace and log, error exits, and the main window's own
// work: backup, heading edit, its buttons and the about box it opens.
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
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
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kCopied = msg("Copia del database avvenuta con successo", 64);
const QString kHeading = QStringLiteral("select value from settings where mnemocode='INTESTAZ'");

// The backup's failure message with its reason below the sentence.
QString failedFor(const QString &reason) { return msg("Errore durante la copia del database\n" + reason); }
QString existsIn(const QString &folder)
{
    return failedFor("Nella cartella \"" + folder + "\" esiste già un file norvik.db3, che non viene sovrascritto.");
}

// The backup as the button runs it, the input box answered with `answer`: the one box shown
// after the input box (all of them, joined, when that is not exactly one).
QString backupTo(frmMain *m, const QString &answer)
{
    DialogScript::reset();
    DialogScript::answerInput(answer);
    QTest::mouseClick(m->cmdBackup, Qt::LeftButton);
    const QStringList shown = boxLog();
    return shown.size() == 2 ? shown.last() : shown.join(" + ");
}

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// The files of a copy in progress as a file system lacking something answers for them: space
// (SQLite's writes fail with ENOSPC) or shared memory (its mmap fails with ENODEV, as on some
// FUSE shares).
class CopyFileSystem {
public:
    enum Lacking { Space, SharedMemory };
    explicit CopyFileSystem(Lacking lacking)
    {
        const char *call = lacking == SharedMemory                    ? "mmap"
                           : vfs()->xGetSystemCall(vfs(), "pwrite64") ? "pwrite64"
                                                                      : "pwrite";
        real = vfs()->xGetSystemCall(vfs(), call);
        vfs()->xSetSystemCall(vfs(), call,
                              lacking == SharedMemory ? reinterpret_cast<sqlite3_syscall_ptr>(&mmap)
                                                      : reinterpret_cast<sqlite3_syscall_ptr>(&pwrite));
    }
    ~CopyFileSystem() { vfs()->xSetSystemCall(vfs(), nullptr, nullptr); }

private:
    static inline sqlite3_syscall_ptr real;
    static sqlite3_vfs *vfs() { return sqlite3_vfs_find(nullptr); }
    static bool refused(int fd, int err)
    {
        const bool copy = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)).contains(".copia-in-corso-");
        errno = err;
        return copy;
    }
    static ssize_t pwrite(int fd, const void *b, size_t n, off_t at)
    {
        using Call = ssize_t (*)(int, const void *, size_t, off_t);
        return refused(fd, ENOSPC) ? -1 : reinterpret_cast<Call>(real)(fd, b, n, at);
    }
    static void *mmap(void *at, size_t n, int prot, int flags, int fd, off_t off)
    {
        using Call = void *(*)(void *, size_t, int, int, int, off_t);
        return refused(fd, ENODEV) ? MAP_FAILED : reinterpret_cast<Call>(real)(at, n, prot, flags, fd, off);
    }
};

// Overwrites `path` from byte `from` for `count` bytes with a pattern no page holds.
void garble(const QString &path, qint64 from, qint64 count)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(from) && f.write(QByteArray(count, '\xa5')) == count);
}

// The page size a database file's header gives (65536 written as 1).
int databasePageSize(const QByteArray &db)
{
    const int size = (uchar(db.at(16)) << 8) | uchar(db.at(17));
    return size == 1 ? 65536 : size;
}

// Page `number` (from 1) of a database file garbled whole.
void damagePage(const QString &path, int number)
{
    const int page = databasePageSize(readFile(path));
    QVERIFY(number > 1 && QFileInfo(path).size() >= qint64(number) * page);
    garble(path, qint64(number - 1) * page, page);
}

// Customers 'Cliente 1' to 'Cliente 3000' of one type: many pages of them.
const QString kManyCustomers =
    QStringLiteral("INSERT OR IGNORE INTO TipologiaPersone (TIPOLOGIAID, Tipologia) VALUES (1, 'Socio');"
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                   "INSERT INTO Anagrafica (TIPOLOGIAID, Cognome) SELECT 1, 'Cliente ' || i FROM n");

// A start on the database file as it is now: ended with the one message, and the file left as
// `left` ("<missing>" for none).
void startEndsOn(const TestProgram &prog, const QByteArray &left, const char *what)
{
    resetShellState();
    const bool started = openForm<frmMain>()->isLoaded();
    closeAllForms();
    QVERIFY2(!started, what);
    QCOMPARE(boxLog(), QStringList{msg("Impossibile connettersi al database", 16)});
    QCOMPARE(readFile(prog.dbPath()), left);
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
            if (content != "<missing>")
                QVERIFY(writeFile(prog.dbPath(), content));
            startEndsOn(prog, content, content.left(20).constData());
        }
        // Held whole by another program, so that not even reading is possible: the reason told.
        resetShellState();
        TestProgram::exec(prog.dbPath(), "create table t (x)");
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        QVERIFY(!openForm<frmMain>()->isLoaded());
        sqlite3_close(other);
        QCOMPARE(boxLog(), QStringList{msg("Impossibile connettersi al database: è bloccato da un altro programma "
                                           "(database is locked).\nAttendere che l'altro programma lo liberi, poi "
                                           "avviare di nuovo Norvik.",
                                           16)});
    }

    // A database without the table of report definitions: one message at start naming the first
    // line of the report file and the reason, and the start goes on.
    void startWithoutReportDefinitions()
    {
        TestProgram prog(true, false);
        prog.exec("DROP TABLE reportistica");
        QVERIFY(QFile::copy(NORVIK_SOURCE_DIR "/data/nuovireport.sql", prog.folder() + "/nuovireport.sql"));
        QVERIFY(openForm<frmMain>()->isLoaded());
        QCOMPARE(prompts(), QStringList{"Il file dei report nuovireport.sql non è stato applicato: il database ha "
                                        "rifiutato la riga 1 (no such table: reportistica).\nLe definizioni dei "
                                        "report restano quelle di prima."});
    }

    // A database that takes no writes is told once at start, why included; the program goes on:
    // its settings and lists read, a later write refused with its own message, the report file
    // left alone.
    void startOnADatabaseThatTakesNoWrites_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("started"); // false: never started, so without settings
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("refused");
        const QString readOnly = "il database è stato aperto in sola lettura (attempt to write a readonly database)";
        QTest::newRow("read only, never started") << false << false << readOnly << "1 (no such table: settings)";
        QTest::newRow("read only") << false << true << readOnly << "8 (attempt to write a readonly database)";
        QTest::newRow("locked") << true << true
                                << "il database è bloccato da un altro programma che lo sta modificando (database "
                                   "is locked)"
                                << "5 (database is locked)";
    }
    void startOnADatabaseThatTakesNoWrites()
    {
        QFETCH(bool, locked);
        QFETCH(bool, started);
        QFETCH(QString, why);
        QFETCH(QString, refused);
        TestProgram prog(true, started);
        seedShop(prog);
        QVERIFY(QFile::copy(NORVIK_SOURCE_DIR "/data/nuovireport.sql", prog.folder() + "/nuovireport.sql"));
        resetShellState();
        setProgramFolder(prog.folder());
        sqlite3 *other = nullptr;
        if (locked) {
            QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        } else {
            gSqliteDb = std::make_unique<SqliteDbComponent>();
            gSqliteDb->open(prog.dbPath(), QString(), SqliteDbComponent::Access::ReadOnly);
        }
        frmMain *m = openForm<frmMain>();
        QCOMPARE(prompts(), QStringList{"Il database non può essere modificato: " + why + ".\nIl programma continua: "
                                        + (locked ? "i dati si possono consultare, e le modifiche saranno possibili "
                                                    "quando l'altro programma avrà liberato il database."
                                                  : "i dati si possono consultare, ma ogni modifica sarà rifiutata.")});
        QCOMPARE(prog.scalar("select count(*) from reportistica"), QStringLiteral("0"));
        DialogScript::reset();
        gPrtCSize = 0;
        m->Form_Activate();
        QCOMPARE(QString::number(gPrtCSize) + gLogStatus, QStringLiteral("7OFF"));
        QCOMPARE(column(openForm<frmAnagrafica>()->MSFlexGrid1, 1).size(), 5);
        NO_BOXES();
        sqlite3_busy_timeout(gSqliteDb->handle(), 10);
        DialogScript::answerInput("Bottega");
        QTest::mouseClick(m->cmdCambiaIntestazione, Qt::LeftButton);
        QCOMPARE(prompts().last(), "Error " + refused + " in procedure gDbExecute of Modulo basGeneral");
        sqlite3_close(other);
    }

    // Why a write is refused is told from the file and its folder: a file the user may not
    // write, a folder where the journal of a change cannot be made. Root writes whatever the
    // permissions say, so the check runs as an ordinary user.
    void whyADatabaseTakesNoWrites()
    {
        TestProgram prog;
        resetDatabaseForTests(); // no connection of this process is carried into the child
        const QByteArray file = prog.dbPath().toUtf8(), folder = prog.folder().toUtf8();
        const auto verdict = [&](mode_t fileMode, mode_t folderMode) {
            ::chmod(file.constData(), fileMode);
            ::chmod(folder.constData(), folderMode);
            const pid_t child = fork();
            if (child == 0) {
                int code = 99;
                if (geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0)) {
                    SqliteDbComponent db;
                    db.open(prog.dbPath());
                    try {
                        db.tryWrite();
                        code = 100;
                    } catch (const PlatformError &e) {
                        code = int(db.whyRefused(e));
                    }
                }
                ::_exit(code);
            }
            int status = 0;
            waitpid(child, &status, 0);
            ::chmod(folder.constData(), 0700);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        };
        const int readOnlyFile = verdict(0444, 0777);
        if (readOnlyFile == 99)
            QSKIP("no ordinary user to run as");
        QCOMPARE(readOnlyFile, int(SqliteDbComponent::WriteBlock::ReadOnlyFile));
        QCOMPARE(verdict(0666, 0555), int(SqliteDbComponent::WriteBlock::ReadOnlyFolder));
        QCOMPARE(verdict(0666, 0777), 100); // takes writes, and the try leaves the file as it was
        QCOMPARE(prog.scalar("PRAGMA user_version") + prog.setting("INTESTAZ"), QStringLiteral("0Negozio"));
    }

    // What opening reads first tells a file that is not a whole database: the start ends with
    // the one message and the file is left as it was.
    void unrecognisedFileEndsTheStart()
    {
        TestProgram prog;
        prog.exec(kManyCustomers);
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
        for (const auto &[what, content] : variants) {
            QVERIFY(writeFile(prog.dbPath(), content));
            startEndsOn(prog, content, what);
        }
        // A folder where the file should be.
        QVERIFY(QFile::remove(prog.dbPath()) && QDir(prog.folder()).mkdir("norvik.db3"));
        startEndsOn(prog, "<missing>", "a folder");
        QVERIFY(QFileInfo(prog.dbPath()).isDir());
    }

    // A page damaged further in does not stop the start: it is told when something reads it.
    void damageInsideIsToldWhenRead()
    {
        TestProgram prog;
        seedShop(prog);
        const int root = prog.scalar("select rootpage from sqlite_master where name = 'Anagrafica'").toInt();
        resetDatabaseForTests();
        damagePage(prog.dbPath(), root);
        QVERIFY(openForm<frmMain>()->isLoaded());
        NO_BOXES();
        QCOMPARE(getSetting("INTESTAZ"), QStringLiteral("Negozio"));
        gRsOpen("select Cognome from Anagrafica");
        QCOMPARE(prompts(),
                 QStringList{"Error 11 (database disk image is malformed) in procedure gRsOpen of Modulo basGeneral"});
    }

    // A damaged page met half-way through a list: the rows before it are shown, and the list
    // does not pass for the whole register: one message says why. One fault, one message.
    void listReadErrorsAreToldOnce()
    {
        TestProgram prog;
        prog.exec(kManyCustomers);
        // The leaves of the customer table in the order a scan reads them; the middle one is damaged.
        const int leaves =
            prog.scalar("select count(*) from dbstat where name = 'Anagrafica' and pagetype = 'leaf'").toInt();
        QVERIFY(leaves > 4);
        const int leaf =
            prog.scalar(QString("select pageno from dbstat where name = 'Anagrafica' and pagetype = 'leaf' "
                                "order by path limit 1 offset %1")
                            .arg(leaves / 2))
                .toInt();
        resetDatabaseForTests();
        damagePage(prog.dbPath(), leaf);
        QVERIFY(openForm<frmMain>()->isLoaded());
        NO_BOXES();
        const int shown = column(openForm<frmAnagrafica>()->MSFlexGrid1, 1).size();
        QVERIFY2(shown > 100 && shown < 3000, qPrintable(QString::number(shown)));
        QCOMPARE(prompts(), QStringList{"Error 11 (database disk image is malformed) in procedure FillGrid of Form "
                                        "frmAnagrafica"});
        closeAllForms();

        // A list whose query is refused outright: the query's message, not a second one for the
        // result it could not open.
        TestProgram other;
        other.exec("ALTER TABLE TipologiaPersone RENAME TO Altro");
        resetShellState();
        QVERIFY(openForm<frmMain>()->isLoaded());
        DialogScript::reset();
        frmAnagrafica *list = openForm<frmAnagrafica>();
        QCOMPARE(list->MSFlexGrid1->Rows(), 1);
        const QStringList refused{
            "Error 1 (no such table: TipologiaPersone) in procedure gRsOpen of Modulo basGeneral"};
        QCOMPARE(prompts(), refused);
        // The same for the type combo of a new customer.
        DialogScript::reset();
        bool opened = false;
        drive<frmEditAnagrafica>([&](frmEditAnagrafica *d) {
            opened = true;
            QCOMPARE(d->cboTipologia->ListCount(), 0);
            d->Unload();
        });
        QTest::mouseClick(list->cmdAdd, Qt::LeftButton);
        QVERIFY(opened);
        QCOMPARE(prompts(), refused);
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
        // A failing query: gRsOpen's own message alone, no second one about the closed result.
        QCOMPARE(getSetting("X'"), QString());
        QCOMPARE(prompts().size(), 1);
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
        QCOMPARE(backupTo(m, target + "/"), existsIn(target));
        QCOMPARE(readFile(copy), QByteArray("older copy"));
        QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        // A folder that does not exist, or a file where the folder should be, fails and leaves nothing.
        QCOMPARE(backupTo(m, prog.folder() + "/manca"),
                 failedFor("La cartella \"" + prog.folder() + "/manca\" non esiste."));
        QVERIFY(!QFileInfo::exists(prog.folder() + "/manca"));
        QCOMPARE(backupTo(m, prog.folder() + "/norvik.db3"),
                 failedFor("La cartella \"" + prog.folder() + "/norvik.db3\" non esiste."));
        // Folders that take no files whoever asks (permissions do not stop the superuser).
        for (const QString &closed : {QStringLiteral("/sys"), QStringLiteral("/proc")})
            QCOMPARE(backupTo(m, closed), failedFor("Non è possibile scrivere nella cartella \"" + closed + "\"."));
        // Another program holds the database: no consistent state can be read, no copy.
        QFile::remove(copy);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; update settings set value='a metà' where mnemocode='INTESTAZ'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QCOMPARE(backupTo(m, target), failedFor("Il database è bloccato da un altro programma: riprovare più tardi."));
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
        const QString copy = target + "/norvik.db3";
        QDir().mkpath(target);
        {
            CopyFileSystem share(CopyFileSystem::SharedMemory); // the switch out of WAL needs none
            QCOMPARE(backupTo(m, target), kCopied);
        }
        sqlite3_close(other);
        // The copy stands alone in rollback-journal mode: a reader on a read-only medium, which
        // can create nothing beside it, reads it whole.
        QCOMPARE(readFile(copy).mid(18, 2), QByteArray("\x01\x01"));
        sqlite3 *reader = nullptr;
        QCOMPARE(sqlite3_open_v2(copy.toUtf8().constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(reader, "select group_concat(x) from recenti", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        sqlite3_close(reader);
        QCOMPARE(copyContent(copy, "select group_concat(x) from recenti"), QStringLiteral("ok 7,8"));
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

        const QString exists = existsIn(target);
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
            QCOMPARE(backupTo(m, target), exists);
            QCOMPARE(readFile(copy), QByteArray("older copy"));
            QFile::remove(copy);
            fileCopyCalls().beforeNaming = [&](const QString &) { writeFile(copy, "copy of another program"); };
            QCOMPARE(backupTo(m, target), exists);
            QCOMPARE(readFile(copy), QByteArray("copy of another program"));
            QCOMPARE(filesIn(target), QStringList{"norvik.db3"});
        }

        // A real failure of the rename is no reason to fall back to a weaker step.
        fileCopyCalls().renameNoReplace = refuse(EIO);
        countedLink(0);
        freshRun();
        QCOMPARE(backupTo(m, target), failedFor("Errore del sistema: " + QString::fromLocal8Bit(strerror(EIO)) + "."));
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
        // Killed while SQLite wrote beside the temporary: a journal next to it, or left alone.
        writeFile(target + "/" + left.first() + "-journal", "giornale");
        writeFile(target + "/norvik.db3.copia-in-corso-Gone12-wal", "registro");

        // Names that only resemble ours are the user's; a temporary still locked is a copy
        // running elsewhere right now.
        const QStringList usersOwn{"norvik.db3.copia-in-corso-nota.txt", "norvik.db3.copia-in-corso-ab",
                                   "vecchio.db3.copia-in-corso-abc123", "norvik.db3.bak"};
        for (const QString &name : usersOwn)
            writeFile(target + "/" + name, "dell'utente");
        const QString running = target + "/norvik.db3.copia-in-corso-Run123";
        writeFile(running, "in corso");
        writeFile(running + "-journal", "in corso");
        const int lockFd = ::open(running.toUtf8().constData(), O_RDONLY);
        QCOMPARE(::flock(lockFd, LOCK_EX), 0);

        QCOMPARE(backupTo(m, target), kCopied);
        ::close(lockFd);
        QStringList expected = usersOwn;
        expected << "norvik.db3"
                 << "norvik.db3.copia-in-corso-Run123"
                 << "norvik.db3.copia-in-corso-Run123-journal";
        expected.sort();
        QCOMPARE(filesIn(target), expected);
        QCOMPARE(copyContent(target + "/norvik.db3", kHeading), QStringLiteral("ok Negozio"));
        for (const QString &name : usersOwn)
            QCOMPARE(readFile(target + "/" + name), QByteArray("dell'utente"));
    }

    // A copy that cannot be trusted never takes its name and is not left behind: a disk that
    // fills up under it, a copy damaged between writing and naming, a database already damaged.
    void backupKeepsNoUntrustedCopy()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        const QString target = prog.folder() + "/copie";
        QDir().mkpath(target);
        {
            CopyFileSystem full(CopyFileSystem::Space);
            QCOMPARE(backupTo(m, target), failedFor("Il disco della cartella \"" + target + "\" è pieno."));
        }
        QCOMPARE(filesIn(target), QStringList());

        // Pages garbled on their way to the disk, as by a faulty driver.
        const qint64 page = prog.scalar("PRAGMA page_size").toLongLong();
        fileCopyCalls().beforeCheck = [page](const QString &temporary) {
            garble(temporary, page, QFileInfo(temporary).size() - page);
        };
        QCOMPARE(backupTo(m, target),
                 failedFor("La copia non ha superato il controllo di integrità ed è stata eliminata."));
        QCOMPARE(filesIn(target), QStringList());
        resetFileCopyCalls();

        // A page of the database itself damaged: the older copies are the ones to keep.
        prog.exec(
            "create table molte (x); with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000)"
            " insert into molte select printf('riga numero %d', i) from n;");
        damagePage(prog.dbPath(), prog.scalar("select rootpage from sqlite_master where name='molte'").toInt());
        QCOMPARE(backupTo(m, target),
                 failedFor("Il database è danneggiato: la copia non è stata fatta. Conservare le copie precedenti."));
        QCOMPARE(filesIn(target), QStringList());
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
        // Control characters typed or pasted into the box are dropped.
        editTo(QStringLiteral("  L'Angolo\t del\r\n Caffè  ") + QChar(0));
        QCOMPARE(boxLog().last(), msg("Intestazione aggiornata con successo", 64));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("  L'Angolo del Caffè  "));
        // A failed update says so and never claims success.
        prog.exec("create trigger noedit before update on settings begin select raise(abort, 'sola lettura'); end;");
        editTo("Altro");
        QVERIFY(!prompts().contains("Intestazione aggiornata con successo"));
        QVERIFY(prompts().last().endsWith("in procedure gDbExecute of Modulo basGeneral"));
        QCOMPARE(prog.setting("INTESTAZ"), QStringLiteral("  L'Angolo del Caffè  "));
    }

    // Every button of the main window with its access key, and what it opens: a register with
    // every filter slot cleared, the report chooser and the about box with the slots as they were.
    void buttonCaptionsAndTheFiltersTheyClear()
    {
        TestProgram prog;
        seedShop(prog); // an empty register would open on its add dialog
        frmMain *m = openForm<frmMain>();
        struct Row {
            XPButton *button;
            const char *caption;
            const char *opens;
            bool clears;
        };
        const QList<Row> rows = {
            {m->cmdAnagrafica, "&Anagrafica Clienti", "frmAnagrafica", true},
            {m->cmdContiCorrenti, "&Pagamenti", "frmPagamenti", true},
            {m->cmdTipologia, "&Tipologie Clienti", "frmTipologiaPersone", true},
            {m->cmdReportistica, "Re&ports", "frmSplashReports", false},
            {m->cmdAssegniEmessi, "Assegni &Emessi", "frmAssegniEmessi", true},
            {m->cmdMieiContiCorrenti, "Co&nti Correnti", "frmMieiContiCorrenti", true},
            {m->cmdInfo, "&Informazioni", "frmAbout", false},
            {m->cmdBackup, "Database &Backup", nullptr, false},
            {m->cmdCambiaIntestazione, "&Modifica intestazione", nullptr, false},
            {m->cmdEsci, "Es&ci", nullptr, false},
        };
        QString *const filterSlots[] = {&gWhereAnagrafica, &gWhereTipologiaPersone, &gWherePagamenti,
                                        &gWhereAssegniEmessi, &gWhereMieiContiCorrenti};
        for (const Row &r : rows) {
            QCOMPARE(r.button->Caption(), QString::fromUtf8(r.caption));
            if (!r.opens)
                continue;
            for (QString *slot : filterSlots)
                *slot = "a.x = 1";
            QStringList seen;
            DialogScript::driveModal(r.opens, [&](Form *) {
                for (const QString *slot : filterSlots)
                    seen << *slot;
            });
            QTest::mouseClick(r.button, Qt::LeftButton);
            QCOMPARE(DialogScript::pendingDrivers(), 0);
            QCOMPARE(seen, QStringList(5, r.clears ? "" : "a.x = 1"));
        }
        NO_BOXES();
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
