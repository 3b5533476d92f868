// The register lists on large registers, measured the way a user meets them:
//  - the first fill in a fresh process (the window opening) and a refill of the open window,
//    each against the sqlite3 shell running the same query to /dev/null in the same run,
//    the two alternating, median of the rounds;
//  - the peak memory of the process (VmHWM) against the raw size of the texts of the cells,
//    after the first fill and through use (the fill, a refill, a header click on a text
//    column and one on a date column);
//  - a header click on a text column and on a date column, against the first fill;
//  - AddGridRow and UpdateGridRow on the big list;
//  - a list opened on a part of a register (one customer's payments) against the whole list.
//
//   bench_lists run [--lists a,b] [--rows 100000,1000000] [--rounds 5] [--dir FOLDER]
//   bench_lists heading
//   bench_lists measure LIST FOLDER       (one fresh process; used by run)
//   bench_lists database LIST ROWS FOLDER (prints the folder of the database, made when missing)
//   bench_lists query LIST                (prints the list's query as its window runs it)
//   bench_lists row FIGURE MS AGAINST_MS TARGET   (one table row, for bench/open_list.sh)
//
// --rows replaces the sizes of every list run. Databases are generated once per kind and size
// into FOLDER/KIND-ROWS/norvik.db3 (by default under the system's temporary folder) and reused
// by later runs; lists over the same data (the payments list, one customer's payments, the
// report on payments) share one.
//
// Adding a list: one entry in lists() with its name, its database, its sizes, its window and the
// targets it has; a new kind of data adds a generator to databases().
#include "BenchRun.h"
#include "BenchTable.h"
#include "banking/frmAssegniEmessi.h"
#include "customers/frmAnagrafica.h"
#include "payments/frmPagamenti.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "reports/basReportistica.h"
#include "reports/frmReportistica.h"
#include "shell/ListWindow.h"
#include "shell/ProgramFolder.h"
#include "shell/basGeneral.h"
#include "shell/basRegistering.h"
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

using bench::median;

struct ListBench {
    QString name;
    // The kind of data (databases()); its size is the number of rows of its main table.
    QString database;
    QList<int> sizes;
    std::function<ListWindow *()> window; // the list's instance, not loaded yet
    // What opening the list this way sets before the window loads (and before its query is
    // asked for the shell).
    std::function<void()> prepare;
    // The statement the window runs; by default its list query.
    std::function<QString(ListWindow *)> query;
    // A refill of the open window; by default FillGrid.
    std::function<void(ListWindow *)> refill;
    double fillTarget = 1.5;
    // Peak memory against the cell texts, after the fill and through use, for a list of a
    // million rows or more; 0: no target.
    double memoryTarget = 0;
    // Header clicks, a third of the first fill at most; -1: none measured.
    int textColumn = -1;
    int dateColumn = -1;
    // A statement that adds the i-th new record, for AddGridRow; empty: not measured.
    std::function<QString(int i)> newRecordSql;
    // A list over the same database whose first fill this list's is compared with, and the
    // highest share of it allowed.
    QString partOf;
    double partTarget = 0;
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

void generateTypes(sqlite3 *db)
{
    exec(db, "insert into TipologiaPersone (Tipologia, DateTimeCreated) values "
             "('Socio ordinario', '2020-01-01 09:00:00'), ('Socio sostenitore', '2020-01-01 09:00:00'), "
             "('Cliente', '2020-01-01 09:00:00')");
}

// Customers as a shop has them: Italian names and places (some with accents), phone numbers,
// dates, a note on one in four (some with a euro sign), empty optional fields.
void generateCustomers(sqlite3 *db, int rows)
{
    generateTypes(db);
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

constexpr int PaymentCustomers = 100000;

// The shop's own bank accounts, where received cheques are deposited.
void generateAccounts(sqlite3 *db, int count)
{
    insertRows(db,
               "insert into MieiContiCorrenti (Descrizione, Banca, ABI, CAB, NumeroConto, Intestatari, "
               "DateTimeCreated) values (?, ?, '03002', '05006', ?, 'Negozio', '2020-01-01 09:00:00')",
               count, [&](sqlite3_stmt *st, int i) {
                   bindText(st, 1, "Conto " + std::to_string(i));
                   bindText(st, 2, i % 2 ? "Banca Popolare di Forlì" : "Cassa di Risparmio");
                   bindText(st, 3, std::to_string(100000 + i));
               });
}

// 100,000 customers and `rows` payments spread over them (about ten each at a million), paid
// over ten years, with the reasons, amounts and notes of a shop; of the payments by cheque some
// were endorsed to another customer and more were deposited in one of three accounts.
void generatePayments(sqlite3 *db, int rows)
{
    generateCustomers(db, PaymentCustomers);
    generateAccounts(db, 3);
    static const char *const reasons[] = {"Rinnovo iscrizione", "Quota associativa annuale",
                                          "Acquisto prodotti",  "Corso di ginnastica",
                                          "Buono regalo",       "Saldo fattura",
                                          "Tessera socio"};
    static const int amounts[] = {1000, 1500, 2000, 2500, 3000, 3550, 5000, 7500, 10000, 12000, 15000, 25075};
    std::mt19937 rnd(1234);
    insertRows(db,
               "insert into Pagamenti (ANAGRAFICAID, DataPagamento, Importo, Causale, NotePagamento, "
               "DateTimeCreated, DateTimeLastUpdated) values (?,?,?,?,?,?,?)",
               rows, [&](sqlite3_stmt *st, int i) {
                   sqlite3_bind_int(st, 1, 1 + int(rnd() % PaymentCustomers));
                   bindText(st, 2, isoDate(rnd, 2015, 10, false));
                   // Cents as a shop takes them: round figures mostly, any amount for one in three.
                   const int cents = i % 3 ? amounts[rnd() % 12] : int(rnd() % 50000) + 1;
                   if (cents % 100)
                       sqlite3_bind_double(st, 3, cents / 100.0);
                   else
                       sqlite3_bind_int(st, 3, cents / 100);
                   bindText(st, 4, reasons[rnd() % 7]);
                   const unsigned note = rnd() % 12;
                   bindText(st, 5,
                            note == 0   ? "Assegno n. " + std::to_string(1000000 + i)
                            : note == 1 ? std::string("Sconto di 5 € già applicato")
                            : note == 2 ? std::string("Contanti")
                                        : std::string());
                   bindText(st, 6, isoDate(rnd, 2015, 10, true));
                   bindText(st, 7, i % 4 ? std::string() : isoDate(rnd, 2020, 5, true));
               });
    std::mt19937 pick(99);
    // One payment in fifty endorsed, one in twelve deposited.
    insertRows(db,
               "insert into Girate (PagamentiID, ANAGRAFICAID, GirataPiena, DataGirata, DateTimeCreated, "
               "notegirata) values (?,?,?,?,?,?)",
               rows / 50, [&](sqlite3_stmt *st, int i) {
                   sqlite3_bind_int(st, 1, i * 50 - int(pick() % 50));
                   sqlite3_bind_int(st, 2, 1 + int(pick() % PaymentCustomers));
                   sqlite3_bind_int(st, 3, int(pick() % 2));
                   bindText(st, 4, isoDate(pick, 2015, 10, false));
                   bindText(st, 5, isoDate(pick, 2015, 10, true));
                   bindText(st, 6, i % 3 ? std::string() : std::string("Girato al fornitore"));
               });
    insertRows(db,
               "insert into Versamenti (PagamentiID, CONTOCORRENTEID, DataVersamento, noteversamento, "
               "DateTimeCreated) values (?,?,?,?,?)",
               rows / 12, [&](sqlite3_stmt *st, int i) {
                   sqlite3_bind_int(st, 1, i * 12 - int(pick() % 12));
                   sqlite3_bind_int(st, 2, 1 + int(pick() % 3));
                   bindText(st, 3, isoDate(pick, 2015, 10, false));
                   bindText(st, 4, i % 4 ? std::string() : std::string("Distinta n. " + std::to_string(i)));
                   bindText(st, 5, isoDate(pick, 2015, 10, true));
               });
}

// `rows` cheques issued over 50 accounts to 100,000 payees.
void generateCheques(sqlite3 *db, int rows)
{
    constexpr int Accounts = 50, Payees = 100000;
    generateTypes(db);
    generateAccounts(db, Accounts);
    static const char *const surnames[] = {"Rossi", "Bianchi", "Verdi", "Esposito", "Romano", "Colombo", "Ricci"};
    static const char *const names[] = {"Mario", "Luca", "Giulia", "Francesca", "Marco", "Sara", "Paolo", "Anna"};
    std::mt19937 rnd(4711);
    insertRows(db, "insert into Anagrafica (TIPOLOGIAID, Cognome, Nome) values (3, ?, ?)", Payees,
               [&](sqlite3_stmt *st, int i) {
                   bindText(st, 1, std::string(surnames[rnd() % 7]) + ' ' + std::to_string(i));
                   bindText(st, 2, names[rnd() % 8]);
               });
    insertRows(db,
               "insert into AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, LuogoEmissione, "
               "SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote, DateTimeCreated) "
               "values (?, ?, ?, ?, 'Roma', ?, ?, ?, ?, ?, ?, ?)",
               rows, [&](sqlite3_stmt *st, int i) {
                   const std::string date = isoDate(rnd, 2015, 10, false);
                   sqlite3_bind_int(st, 1, 1 + int(rnd() % Accounts));
                   sqlite3_bind_int(st, 2, 1 + int(rnd() % Payees));
                   bindText(st, 3, std::to_string(1000000 + i));
                   bindText(st, 4, date);
                   for (int k = 5; k <= 7; ++k)
                       sqlite3_bind_int(st, k, int(rnd() % 2));
                   sqlite3_bind_double(st, 8, double(rnd() % 500000) / 100);
                   bindText(st, 9, i % 3 ? "Fornitura merce" : "Affitto locale");
                   bindText(st, 10, i % 7 ? std::string() : std::string("Consegnato a mano"));
                   bindText(st, 11, date);
               });
}

const std::map<QString, std::function<void(sqlite3 *, int)>> &databases()
{
    static const std::map<QString, std::function<void(sqlite3 *, int)>> all = {
        {QStringLiteral("customers"), generateCustomers},
        {QStringLiteral("payments"), generatePayments},
        {QStringLiteral("cheques"), generateCheques},
    };
    return all;
}

// The customer whose payments the customer list's "Visualizza pagamenti" opens.
constexpr int OneCustomer = 4711;

// The shipped report the report grid runs: every payment between two dates, the period wide
// enough to take them all.
const QString kReportTitle = QStringLiteral("Pagamenti tra due date");

QString shippedReport(const QString &title)
{
    QFile file(QStringLiteral(NORVIK_SOURCE_DIR "/data/nuovireport.sql"));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(file.fileName()));
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    exec(db, "create table reportistica (ordine integer primary key, sqlreport text, titolo text, "
             "numparametri integer, tipopar1 text, tipopar2 text, promptpar1 text, promptpar2 text)");
    exec(db, file.readAll().constData());
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "select sqlreport from reportistica where titolo = ?", -1, &st, nullptr);
    const QByteArray t = title.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    QString text;
    if (sqlite3_step(st) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (text.isEmpty())
        fail(QStringLiteral("no shipped report \"%1\"").arg(title));
    return text;
}

// As the chooser leaves it for the report window: the definition's text with the answers of
// its two dates in place.
void prepareReport()
{
    const PlaceholderValues answers = {{QStringLiteral("[P1]"), FormattaData(QStringLiteral("01/01/1900"))},
                                       {QStringLiteral("[P1ARR]"), FormattaData(QStringLiteral("31/12/2099"))}};
    ReportDefinition &d = gArrReport[0];
    d.titolo = kReportTitle;
    d.sqlreport = substitutePlaceholders(shippedReport(kReportTitle), answers);
    gReportIndex = 0;
}

const std::vector<ListBench> &lists()
{
    static const std::vector<ListBench> all = [] {
        std::vector<ListBench> l;
        ListBench customers;
        customers.name = customers.database = QStringLiteral("customers");
        customers.sizes = {100000, 1000000};
        customers.window = [] { return FormInstance<frmAnagrafica>::get(); };
        customers.memoryTarget = 2;
        customers.textColumn = 3;  // Cognome
        customers.dateColumn = 18; // Data Nascita
        customers.newRecordSql = [](int i) {
            return QStringLiteral("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, DateTimeCreated) "
                                  "values (1, 'Nuovo %1', 'Cliente', '2025-01-01 10:00:00')")
                .arg(i);
        };
        l.push_back(customers);

        ListBench payments;
        payments.name = payments.database = QStringLiteral("payments");
        payments.sizes = {100000, 1000000};
        payments.window = [] { return FormInstance<frmPagamenti>::get(); };
        payments.memoryTarget = 2;
        payments.textColumn = 1; // Cliente
        payments.dateColumn = 3; // Data Pagamento
        payments.newRecordSql = [](int i) {
            return QStringLiteral("insert into Pagamenti (ANAGRAFICAID, DataPagamento, Importo, Causale, "
                                  "DateTimeCreated) values (1, '2025-01-01 00:00:00', %1, 'Rinnovo iscrizione', "
                                  "'2025-01-01 10:00:00')")
                .arg(20 + i);
        };
        l.push_back(payments);

        // Opened from the customer list: that customer's payments only (about ten).
        ListBench one;
        one.name = QStringLiteral("payments-customer");
        one.database = QStringLiteral("payments");
        one.sizes = {1000000};
        one.window = [] { return FormInstance<frmPagamenti>::get(); };
        one.prepare = [] {
            gPagamentiClienteID = OneCustomer;
            gPagamentiClienteNome = QStringLiteral("Cliente %1").arg(OneCustomer);
            gWherePagamenti = QStringLiteral(" a.anagraficaid=%1").arg(OneCustomer);
        };
        one.fillTarget = 0;
        one.partOf = QStringLiteral("payments");
        one.partTarget = 0.01;
        l.push_back(one);

        ListBench report;
        report.name = QStringLiteral("report");
        report.database = QStringLiteral("payments");
        report.sizes = {1000000};
        report.window = [] { return FormInstance<frmReportistica>::get(); };
        report.prepare = prepareReport;
        report.query = [](ListWindow *) { return QStringLiteral("SELECT") + gArrReport[0].sqlreport; };
        report.refill = [](ListWindow *w) { static_cast<frmReportistica *>(w)->FillGrid(gArrReport[0].sqlreport); };
        report.fillTarget = 2;
        l.push_back(report);

        ListBench cheques;
        cheques.name = cheques.database = QStringLiteral("cheques");
        cheques.sizes = {200000};
        cheques.window = [] { return FormInstance<frmAssegniEmessi>::get(); };
        cheques.fillTarget = 2;
        cheques.newRecordSql = [](int i) {
            return QStringLiteral("insert into AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, "
                                  "Importo, DateTimeCreated) values (1, 1, '%1', '2025-01-01 00:00:00', 100, "
                                  "'2025-01-01 10:00:00')")
                .arg(9000000 + i);
        };
        l.push_back(cheques);
        return l;
    }();
    return all;
}

const ListBench &listNamed(const QString &name)
{
    for (const ListBench &l : lists())
        if (l.name == name)
            return l;
    fail(QStringLiteral("no list named %1").arg(name));
}

// The list's window, set up as opening it this way leaves it.
ListWindow *openedWindow(const ListBench &list)
{
    if (list.prepare)
        list.prepare();
    return list.window();
}

QString queryOf(const ListBench &list, ListWindow *w)
{
    return list.query ? list.query(w) : ListWindow::TestSeam::listQueryText(*w);
}

QString schemaPath() { return QStringLiteral(NORVIK_SOURCE_DIR "/data/schema.sql"); }

// The database of a kind and size, generated when missing (into a temporary name first, so an
// interrupted generation leaves nothing that looks complete).
QString ensureDatabase(const QString &kind, int rows, const QString &root)
{
    const auto generator = databases().find(kind);
    if (generator == databases().end())
        fail(QStringLiteral("no database kind %1").arg(kind));
    const QString folder = QStringLiteral("%1/%2-%3").arg(root, kind).arg(rows);
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
    generator->second(db, rows);
    sqlite3_close(db);
    if (!QFile::rename(tmp, path))
        fail(QStringLiteral("cannot rename %1").arg(tmp));
    return folder;
}

// The rows the query gives, and the bytes of the texts of their cells as the grid shows them.
struct QueryText {
    double rows = 0, bytes = 0;
};

QueryText queryText(const QString &dbPath, const QString &query)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)));
    QueryText t;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++t.rows;
        for (int c = 0; c < n; ++c) {
            sqlite3_column_text(st, c);
            t.bytes += sqlite3_column_bytes(st, c);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return t;
}

double ms(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
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
    OpenDb(); // as the main window does at start-up

    ListWindow *w = openedWindow(list);
    std::map<std::string, double> out;
    out["first"] = ms([&] { w->Load(); });
    out["peak"] = peakBytes();
    w->show();
    QApplication::processEvents();
    MSFlexGrid *g = w->MSFlexGrid1;
    out["rows"] = g->Rows() - 1;
    out["refill"] = ms([&] {
        if (list.refill)
            list.refill(w);
        else
            w->FillGrid();
        QApplication::processEvents();
    });
    auto click = [&](int col) {
        return ms([&] {
            MSFlexGrid::TestSeam::mouseDown(*g, 0, col);
            MSFlexGrid::TestSeam::mouseUp(*g, 0, col);
            QApplication::processEvents();
        });
    };
    if (list.textColumn >= 0)
        out["textClick"] = click(list.textColumn);
    if (list.dateColumn >= 0)
        out["dateClick"] = click(list.dateColumn);
    out["peakAfter"] = peakBytes();

    // AddGridRow and UpdateGridRow on the big list (each the median of a few); the records added
    // are rolled back, so the database stays as generated.
    if (list.newRecordSql) {
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
    }
    if (!DialogScript::boxes().isEmpty())
        fail(QStringLiteral("message shown: %1").arg(DialogScript::boxes().first().prompt));
    for (const auto &kv : out)
        std::printf("%s %.3f\n", kv.first.c_str(), kv.second);
    return 0;
}

// ---- the driver ----

std::map<std::string, double> runChild(const QString &list, const QString &folder)
{
    const auto out = bench::childFigures({QStringLiteral("measure"), list, folder});
    if (!out)
        fail(QStringLiteral("the measuring process failed"));
    return *out;
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
    QList<int> sizes;
    int rounds = 5;
    QString root = QDir::tempPath() + QStringLiteral("/norvik-bench");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--lists"))
            names = args[i + 1].split(QLatin1Char(','));
        else if (args[i] == QLatin1String("--rows")) {
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                sizes << s.toInt();
        } else if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            root = args[i + 1];
        else
            fail(QStringLiteral("unknown option %1").arg(args[i]));
    }

    // First fills by list and size, for the lists measured as a part of another.
    std::map<std::pair<QString, int>, double> firstFills;
    for (const QString &name : names) {
        const ListBench &list = listNamed(name);
        const QString query = queryOf(list, openedWindow(list));
        for (int rows : sizes.isEmpty() ? list.sizes : sizes) {
            const QString folder = ensureDatabase(list.database, rows, root);
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
            // Read after the rounds, so that the first round finds the file cache as the last run left it.
            const QueryText text = queryText(db, query);
            if (median(runs["rows"]) != text.rows)
                fail(QStringLiteral("%1 shows %2 rows, not %3").arg(name).arg(median(runs["rows"])).arg(text.rows));
            const double shell = median(shells), first = median(runs["first"]), refill = median(runs["refill"]);
            firstFills[{name, rows}] = first;
            // A part of a register is named by the rows it shows.
            const std::string tag =
                (list.partOf.isEmpty() ? QStringLiteral("%1 %2 ").arg(name).arg(rows)
                                       : QStringLiteral("%1 (%2 rows of %3) ").arg(name).arg(text.rows).arg(rows))
                    .toStdString();
            const std::string shellText = bench::msText(shell);
            bench::printRow(tag + "first fill (fresh process) / shell", bench::msText(first), shellText, first / shell,
                            list.fillTarget);
            bench::printRow(tag + "refill / shell", bench::msText(refill), shellText, refill / shell, list.fillTarget);
            if (!list.partOf.isEmpty()) {
                const auto whole = firstFills.find({list.partOf, rows});
                const double against = whole == firstFills.end() ? 0 : whole->second;
                for (const auto &[what, value] : {std::pair{"first fill", first}, std::pair{"refill", refill}})
                    bench::printRow(tag + what + " / " + list.partOf.toStdString() + " first fill",
                                    bench::msText(value), against > 0 ? bench::msText(against) : std::string(),
                                    against > 0 ? value / against : 0, against > 0 ? list.partTarget : 0);
                continue;
            }
            const double peak = median(runs["peak"]);
            bench::printRow(tag + "peak memory after fill / cell text", bench::mbText(peak), bench::mbText(text.bytes),
                            peak / text.bytes, rows >= 1000000 ? list.memoryTarget : 0);
            if (list.textColumn >= 0 || list.dateColumn >= 0)
                bench::printRow(tag + "peak memory through use / cell text", bench::mbText(median(runs["peakAfter"])),
                                bench::mbText(text.bytes), median(runs["peakAfter"]) / text.bytes,
                                rows >= 1000000 ? list.memoryTarget : 0);
            for (const auto &[key, column] : {std::pair{"textClick", "text"}, std::pair{"dateClick", "date"}}) {
                if (!runs.count(key))
                    continue;
                const double click = median(runs[key]);
                bench::printRow(tag + "header click, " + column + " column / first fill", bench::msText(click),
                                bench::msText(first), click / first, 1.0 / 3);
            }
            if (list.newRecordSql) {
                bench::printRow(tag + "AddGridRow", bench::msText(median(runs["add"])), "", 0, 0);
                bench::printRow(tag + "UpdateGridRow", bench::msText(median(runs["update"])), "", 0, 0);
            }
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
    // The lists write their queries for the database the program uses.
    gDbType = QStringLiteral("SqlLite");
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
        std::printf("%s\n", qPrintable(ensureDatabase(listNamed(args[1]).database, args[2].toInt(), args[3])));
        return 0;
    }
    if (mode == QLatin1String("query") && args.size() == 2) {
        const ListBench &list = listNamed(args[1]);
        std::printf("%s\n", queryOf(list, openedWindow(list)).toUtf8().constData());
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
