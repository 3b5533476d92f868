// The register lists on large registers, measured the way a user meets them:
//  - the first fill in a fresh process (the window opening) and a refill of the open window,
//    each against the sqlite3 shell running the same query to /dev/null in the same run,
//    the two alternating, median of the rounds;
//  - the peak memory of the process (VmHWM) against the raw size of the texts of the cells;
//  - a header click on a text column and on a date column, against the first fill;
//  - AddGridRow and UpdateGridRow on the big list.
//
//   bench_lists run [--lists a,b] [--rows 100000,1000000] [--rounds 5] [--dir FOLDER]
//   bench_lists heading
//   bench_lists measure LIST FOLDER       (one fresh process; used by run)
//   bench_lists database LIST ROWS FOLDER (prints the folder of the database, made when missing)
//   bench_lists query LIST                (prints the list's query as its window runs it)
//   bench_lists row FIGURE MS AGAINST_MS TARGET   (one table row, for bench/open_list.sh)
//
// Databases are generated once per list and size into FOLDER/LIST-ROWS/norvik.db3 (by default
// under the system's temporary folder) and reused by later runs.
//
// Adding a list: one entry in lists() with its name, its window, a generator that fills a new
// database (the schema is already there) and the columns to click.
#include "BenchTable.h"
#include "customers/frmAnagrafica.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "shell/ListWindow.h"
#include "shell/basGeneral.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

struct ListBench {
    QString name;
    std::function<ListWindow *()> window; // the list's instance, not loaded yet
    std::function<void(sqlite3 *db, int rows)> generate;
    int textColumn = 0; // header clicks
    int dateColumn = 0;
    // A statement that adds the i-th new record, for AddGridRow.
    std::function<QString(int i)> newRecordSql;
};

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "bench_lists: %s\n", qPrintable(what));
    std::exit(1);
}

void exec(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK)
        fail(QString::fromUtf8(err ? err : "sqlite error"));
}

// Inserts rows through one prepared statement; `row` binds the parameters of row i (from 1).
void insertRows(sqlite3 *db, const char *sql, int rows, const std::function<void(sqlite3_stmt *, int)> &row)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)));
    exec(db, "BEGIN");
    for (int i = 1; i <= rows; ++i) {
        row(st, i);
        if (sqlite3_step(st) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    exec(db, "COMMIT");
    sqlite3_finalize(st);
}

void bindText(sqlite3_stmt *st, int k, const std::string &s)
{
    if (s.empty())
        sqlite3_bind_null(st, k);
    else
        sqlite3_bind_text(st, k, s.data(), int(s.size()), SQLITE_TRANSIENT);
}

std::string isoDate(std::mt19937 &rnd, int fromYear, int years, bool withTime)
{
    char b[32];
    const unsigned r = rnd();
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", fromYear + int(r % unsigned(years)),
                  1 + int(r / 7 % 12), 1 + int(r / 101 % 28), withTime ? int(r / 3001 % 24) : 0,
                  withTime ? int(r / 9001 % 60) : 0, withTime ? int(r / 60013 % 60) : 0);
    return b;
}

// Customers as a shop has them: Italian names and places (some with accents), phone numbers,
// dates, a note on one in four (some with a euro sign), empty optional fields.
void generateCustomers(sqlite3 *db, int rows)
{
    exec(db, "insert into TipologiaPersone (Tipologia, DateTimeCreated) values "
             "('Socio ordinario', '2020-01-01 09:00:00'), ('Socio sostenitore', '2020-01-01 09:00:00'), "
             "('Cliente', '2020-01-01 09:00:00')");
    static const char *const surnames[] = {"Rossi",  "Bianchi", "Verdi", "Esposito", "Romano",  "Colombo", "Ricci",
                                           "Marino", "Greco",   "Bruno", "Gallo",    "De Luca", "Cantù",   "Lucà"};
    static const char *const names[] = {"Mario", "Luca", "Giulia", "Francesca", "Marco", "Nicolò", "Paolo", "Anna"};
    static const char *const towns[] = {"Roma", "Milano", "Napoli", "Torino", "Forlì", "Firenze", "Cefalù"};
    std::mt19937 rnd(4711);
    insertRows(db,
               "insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, Indirizzo, CAP, Comune, Provincia, "
               "TelefonoCasa, TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, NoteAnagrafica, "
               "NumeroTessera, DataNascita, DataIscrizione, DataScadenzaIscrizione, DateTimeCreated, "
               "DateTimeLastUpdated) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
               rows, [&](sqlite3_stmt *st, int i) {
                   const std::string n = std::to_string(i);
                   const std::string f[] = {
                       std::string(surnames[rnd() % 14]) + ' ' + n,
                       names[rnd() % 8],
                       "Via Garibaldi " + std::to_string(rnd() % 300),
                       std::to_string(10000 + rnd() % 89999),
                       towns[rnd() % 7],
                       "RM",
                       "06 " + std::to_string(5000000 + rnd() % 999999),
                       i % 3 ? std::string() : "02 " + std::to_string(4000000 + rnd() % 999999),
                       std::string(),
                       "333 " + std::to_string(1000000 + rnd() % 8999999),
                       "RSSMRA80A01H501" + std::string(1, char('A' + i % 26)),
                       "cliente" + n + "@example.it",
                       i % 5 ? std::string() : "www.cliente" + n + ".it",
                       i % 4   ? std::string()
                       : i % 8 ? "Cliente dal negozio di via Roma, preferisce essere contattato al mattino"
                               : "Sconto di 10 € sul rinnovo, già concordato con il titolare",
                       "T" + n,
                       isoDate(rnd, 1940, 65, false),
                       isoDate(rnd, 2010, 14, false),
                       isoDate(rnd, 2024, 3, false),
                       isoDate(rnd, 2010, 14, true),
                       i % 2 ? std::string() : isoDate(rnd, 2020, 5, true),
                   };
                   sqlite3_bind_int(st, 1, 1 + i % 3);
                   for (int k = 0; k < 20; ++k)
                       bindText(st, k + 2, f[k]);
               });
}

const std::vector<ListBench> &lists()
{
    static const std::vector<ListBench> all = {
        {QStringLiteral("customers"), [] { return FormInstance<frmAnagrafica>::get(); }, generateCustomers,
         /* Cognome */ 3, /* Data Nascita */ 18,
         [](int i) {
             return QStringLiteral("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, DateTimeCreated) "
                                   "values (1, 'Nuovo %1', 'Cliente', '2025-01-01 10:00:00')")
                 .arg(i);
         }},
    };
    return all;
}

const ListBench &listNamed(const QString &name)
{
    for (const ListBench &l : lists())
        if (l.name == name)
            return l;
    fail(QStringLiteral("no list named %1").arg(name));
}

QString schemaPath() { return QStringLiteral(NORVIK_SOURCE_DIR "/data/schema.sql"); }

// The database of a list and size, generated when missing (into a temporary name first, so an
// interrupted generation leaves nothing that looks complete).
QString ensureDatabase(const ListBench &list, int rows, const QString &root)
{
    const QString folder = QStringLiteral("%1/%2-%3").arg(root, list.name).arg(rows);
    const QString path = folder + QStringLiteral("/norvik.db3");
    if (QFileInfo::exists(path))
        return folder;
    QDir().mkpath(folder);
    QFile schema(schemaPath());
    if (!schema.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(schemaPath()));
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    std::fprintf(stderr, "generating %s ...\n", qPrintable(path));
    sqlite3 *db = nullptr;
    if (sqlite3_open(tmp.toUtf8().constData(), &db) != SQLITE_OK)
        fail(QStringLiteral("cannot create %1").arg(tmp));
    exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
    exec(db, schema.readAll().constData());
    exec(db, "create table if not exists settings (mnemocode text primary key, value text);"
             "insert or ignore into settings values ('INTESTAZ', 'Negozio');"
             "insert or ignore into settings values ('LOGSTATUS', 'OFF')");
    list.generate(db, rows);
    sqlite3_close(db);
    if (!QFile::rename(tmp, path))
        fail(QStringLiteral("cannot rename %1").arg(tmp));
    return folder;
}

// Bytes of the texts of every cell the query gives, as the grid shows them.
double rawTextBytes(const QString &dbPath, const QString &query)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)));
    double bytes = 0;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < n; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return bytes;
}

double ms(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double peakBytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024;
    return 0;
}

// ---- one fresh process ----

int measure(const ListBench &list, const QString &folder)
{
    DialogScript::enable(); // nothing may wait for an answer
    setProgramFolder(folder);
    gDbType = QStringLiteral("SqlLite");
    OpenDb(); // as the main window does at start-up

    ListWindow *w = list.window();
    std::map<std::string, double> out;
    out["first"] = ms([&] { w->Load(); });
    out["peak"] = peakBytes();
    w->show();
    QApplication::processEvents();
    MSFlexGrid *g = w->MSFlexGrid1;
    out["rows"] = g->Rows() - 1;
    out["refill"] = ms([&] {
        w->FillGrid();
        QApplication::processEvents();
    });
    auto click = [&](int col) {
        return ms([&] {
            g->simulateMouseDown(0, col);
            g->simulateMouseUp(0, col);
            QApplication::processEvents();
        });
    };
    out["textClick"] = click(list.textColumn);
    out["dateClick"] = click(list.dateColumn);
    out["peakAfter"] = peakBytes();

    // AddGridRow and UpdateGridRow on the big list (each the median of a few); the records added
    // are rolled back, so the database stays as generated.
    std::vector<double> adds, updates;
    gDbExecute(QStringLiteral("BEGIN"));
    for (int i = 0; i < 5; ++i) {
        gDbExecute(list.newRecordSql(i));
        adds.push_back(ms([&] { w->AddGridRow(); }));
        const int row = 1 + (i * 7919) % (g->Rows() - 1);
        g->setRow(row);
        updates.push_back(ms([&] { w->UpdateGridRow(); }));
    }
    gDbExecute(QStringLiteral("ROLLBACK"));
    out["add"] = median(adds);
    out["update"] = median(updates);
    if (!DialogScript::boxes().isEmpty())
        fail(QStringLiteral("message shown: %1").arg(DialogScript::boxes().first().prompt));
    for (const auto &kv : out)
        std::printf("%s %.3f\n", kv.first.c_str(), kv.second);
    return 0;
}

// ---- the driver ----

std::map<std::string, double> runChild(const QString &list, const QString &folder)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("measure"), list, folder});
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        fail(QStringLiteral("the measuring process failed"));
    std::map<std::string, double> out;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> kv = line.split(' ');
        if (kv.size() == 2)
            out[kv[0].toStdString()] = kv[1].toDouble();
    }
    return out;
}

double runShell(const QString &dbPath, const QString &query)
{
    return ms([&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sqlite3"), {dbPath, query});
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            fail(QStringLiteral("the sqlite3 shell failed"));
    });
}

int run(const QStringList &args)
{
    QStringList names;
    for (const ListBench &l : lists())
        names << l.name;
    QList<int> sizes = {100000, 1000000};
    int rounds = 5;
    QString root = QDir::tempPath() + QStringLiteral("/norvik-bench");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--lists"))
            names = args[i + 1].split(QLatin1Char(','));
        else if (args[i] == QLatin1String("--rows")) {
            sizes.clear();
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                sizes << s.toInt();
        } else if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            root = args[i + 1];
        else
            fail(QStringLiteral("unknown option %1").arg(args[i]));
    }

    for (const QString &name : names) {
        const ListBench &list = listNamed(name);
        const QString query = list.window()->listQueryText();
        for (int rows : sizes) {
            const QString folder = ensureDatabase(list, rows, root);
            const QString db = folder + QStringLiteral("/norvik.db3");
            std::map<std::string, std::vector<double>> runs;
            std::vector<double> shells;
            for (int r = 0; r < rounds; ++r) {
                std::fprintf(stderr, "%s %d: round %d of %d\n", qPrintable(name), rows, r + 1, rounds);
                // Alternating which goes first, so neither always finds the file cache warmed.
                if (r % 2)
                    shells.push_back(runShell(db, query));
                for (const auto &kv : runChild(name, folder))
                    runs[kv.first].push_back(kv.second);
                if (r % 2 == 0)
                    shells.push_back(runShell(db, query));
            }
            if (median(runs["rows"]) != rows)
                fail(QStringLiteral("the list shows %1 rows, not %2").arg(median(runs["rows"])).arg(rows));
            const double shell = median(shells), first = median(runs["first"]), refill = median(runs["refill"]);
            const double text = rawTextBytes(db, query);
            const std::string tag = QStringLiteral("%1 %2 ").arg(name).arg(rows).toStdString();
            const std::string shellText = bench::msText(shell) + "";
            bench::printRow(tag + "first fill (fresh process) / shell", bench::msText(first), shellText, first / shell,
                            1.5);
            bench::printRow(tag + "refill / shell", bench::msText(refill), shellText, refill / shell, 1.5);
            const double peak = median(runs["peak"]);
            bench::printRow(tag + "peak memory after fill / cell text", bench::mbText(peak), bench::mbText(text),
                            peak / text, rows >= 1000000 ? 2 : 0);
            bench::printRow(tag + "peak memory after clicks / cell text", bench::mbText(median(runs["peakAfter"])),
                            bench::mbText(text), median(runs["peakAfter"]) / text, 0);
            const double textClick = median(runs["textClick"]), dateClick = median(runs["dateClick"]);
            bench::printRow(tag + "header click, text column / first fill", bench::msText(textClick),
                            bench::msText(first), textClick / first, 1.0 / 3);
            bench::printRow(tag + "header click, date column / first fill", bench::msText(dateClick),
                            bench::msText(first), dateClick / first, 1.0 / 3);
            bench::printRow(tag + "AddGridRow", bench::msText(median(runs["add"])), "", 0, 0);
            bench::printRow(tag + "UpdateGridRow", bench::msText(median(runs["update"])), "", 0, 0);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("heading")) {
        bench::printHeading();
        return 0;
    }
    if (mode == QLatin1String("measure") && args.size() == 3)
        return measure(listNamed(args[1]), args[2]);
    if (mode == QLatin1String("run"))
        return run(args.mid(1));
    if (mode == QLatin1String("database") && args.size() == 4) {
        std::printf("%s\n", qPrintable(ensureDatabase(listNamed(args[1]), args[2].toInt(), args[3])));
        return 0;
    }
    if (mode == QLatin1String("query") && args.size() == 2) {
        std::printf("%s\n", listNamed(args[1]).window()->listQueryText().toUtf8().constData());
        return 0;
    }
    if (mode == QLatin1String("row") && args.size() == 5) {
        // Empty figures for one that was not measured.
        const double value = args[2].toDouble(), against = args[3].toDouble();
        const bool measured = !args[2].isEmpty() && !args[3].isEmpty();
        bench::printRow(args[1].toStdString(), measured ? bench::msText(value) : std::string(),
                        measured ? bench::msText(against) : std::string(), measured ? value / against : 0,
                        measured ? args[4].toDouble() : 0);
        return 0;
    }
    std::fprintf(stderr, "usage: bench_lists run [--lists a,b] [--rows n,m] [--rounds k] [--dir folder]\n");
    return 2;
}
