// The customer list on a register of 100,000 customers: the fill against the sqlite3 shell
// running the same query, a date sort against the fill, and adding or updating one row on the
// big list against a list of ten rows.
#include "customers/frmAnagrafica.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/VbRuntime.h"
#include "shell/basGeneral.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Customers = 100000;

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

QString isoDate(QRandomGenerator &rnd, int fromYear, int years, bool withTime)
{
    const QDate d(fromYear + int(rnd.bounded(years)), 1 + int(rnd.bounded(12)), 1 + int(rnd.bounded(28)));
    QString s = d.toString(QStringLiteral("yyyy-MM-dd"));
    s += withTime ? QStringLiteral(" %1:%2:%3")
                        .arg(rnd.bounded(24), 2, 10, QLatin1Char('0'))
                        .arg(rnd.bounded(60), 2, 10, QLatin1Char('0'))
                        .arg(rnd.bounded(60), 2, 10, QLatin1Char('0'))
                  : QStringLiteral(" 00:00:00");
    return s;
}

void createDatabase(const QString &path)
{
    QFile schema(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema.sql not found\n");
        std::exit(1);
    }
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db,
                       "insert into TipologiaPersone (Tipologia, DateTimeCreated) values "
                       "('Socio ordinario', '2020-01-01 09:00:00'), ('Socio sostenitore', '2020-01-01 09:00:00'), "
                       "('Cliente', '2020-01-01 09:00:00');"
                       "create table settings (mnemocode text primary key, value text);"
                       "insert into settings values ('INTESTAZ', 'Negozio'), ('PRTCSIZE', '7'), ('LOGSTATUS', 'OFF');",
                       nullptr, nullptr, nullptr),
          db, "types");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, Indirizzo, CAP, Comune, Provincia, "
                             "TelefonoCasa, TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, NoteAnagrafica, "
                             "NumeroTessera, DataNascita, DataIscrizione, DataScadenzaIscrizione, DateTimeCreated, "
                             "DateTimeLastUpdated) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                             -1, &st, nullptr),
          db, "prepare");
    QRandomGenerator rnd(4711);
    static const char *const surnames[] = {"Rossi",  "Bianchi", "Verdi", "Esposito", "Romano", "Colombo", "Ricci",
                                           "Marino", "Greco",   "Bruno", "Gallo",    "Conti",  "De Luca", "Mancini"};
    static const char *const names[] = {"Mario", "Luca", "Giulia", "Francesca", "Marco", "Sara", "Paolo", "Anna"};
    static const char *const towns[] = {"Roma", "Milano", "Napoli", "Torino", "Bologna", "Firenze", "Bari"};
    for (int i = 1; i <= Customers; ++i) {
        const QByteArray f[] = {
            QByteArray(surnames[rnd.bounded(14)]) + ' ' + QByteArray::number(i),
            names[rnd.bounded(8)],
            "Via Garibaldi " + QByteArray::number(rnd.bounded(300)),
            QByteArray::number(10000 + rnd.bounded(89999)),
            towns[rnd.bounded(7)],
            "RM",
            "06 " + QByteArray::number(5000000 + rnd.bounded(999999)),
            i % 3 ? QByteArray() : "02 " + QByteArray::number(4000000 + rnd.bounded(999999)),
            QByteArray(),
            "333 " + QByteArray::number(1000000 + rnd.bounded(8999999)),
            "RSSMRA80A01H501" + QByteArray(1, char('A' + i % 26)),
            "cliente" + QByteArray::number(i) + "@example.it",
            i % 5 ? QByteArray() : "www.cliente" + QByteArray::number(i) + ".it",
            i % 4 ? QByteArray() : "Cliente dal negozio di via Roma, preferisce essere contattato al mattino",
            "T" + QByteArray::number(i),
            isoDate(rnd, 1940, 65, false).toUtf8(),
            isoDate(rnd, 2010, 14, false).toUtf8(),
            isoDate(rnd, 2024, 3, false).toUtf8(),
            isoDate(rnd, 2010, 14, true).toUtf8(),
            i % 2 ? QByteArray() : isoDate(rnd, 2020, 5, true).toUtf8(),
        };
        sqlite3_bind_int(st, 1, 1 + i % 3);
        for (int k = 0; k < 20; ++k) {
            if (f[k].isNull())
                sqlite3_bind_null(st, k + 2);
            else
                sqlite3_bind_text(st, k + 2, f[k].constData(), int(f[k].size()), SQLITE_TRANSIENT);
        }
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
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
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Adds and updates one customer `times` times on the list as it is now; medians in ms.
void addAndUpdate(frmAnagrafica *w, int times, double *add, double *update)
{
    std::vector<double> adds, updates;
    MSFlexGrid *g = w->MSFlexGrid1;
    for (int i = 0; i < times; ++i) {
        gDbExecute(QStringLiteral("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, DateTimeCreated) "
                                  "values (1, 'Nuovo %1', 'Cliente', '2025-01-01 10:00:00')")
                       .arg(i));
        adds.push_back(ms([&] { w->AddGridRow(); }));
        const int row = 1 + (i * 7) % (g->Rows() - 1);
        g->setRow(row);
        w->mANAGRAFICAID = g->TextMatrix(row, 0).toDouble();
        gDbExecute(QStringLiteral("update Anagrafica set Nome = 'Aggiornato %1' where ANAGRAFICAID = %2")
                       .arg(i)
                       .arg(g->TextMatrix(row, 0)));
        updates.push_back(ms([&] { w->UpdateGridRow(); }));
    }
    *add = median(adds);
    *update = median(updates);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DialogScript::enable(); // nothing may wait for an answer; every box is recorded

    QTemporaryDir dir;
    const QString db = dir.path() + QStringLiteral("/norvik.db3");
    const double createMs = ms([&] { createDatabase(db); });
    std::printf("database of %d customers created in %.0f ms\n", Customers, createMs);

    setProgramFolder(dir.path());
    gDbType = QStringLiteral("SqlLite");
    OpenDb();

    frmAnagrafica *w = FormInstance<frmAnagrafica>::get();
    w->Load();
    w->show();
    QApplication::processEvents();
    MSFlexGrid *g = w->MSFlexGrid1;
    if (g->Rows() != Customers + 1) {
        std::fprintf(stderr, "the list shows %d rows\n", g->Rows() - 1);
        return 1;
    }

    const QString query = w->listQueryText();
    std::vector<double> fills, shells;
    for (int i = 0; i < 3; ++i) {
        fills.push_back(ms([&] { w->FillGrid(); }));
        QApplication::processEvents();
        shells.push_back(ms([&] {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start(QStringLiteral("sqlite3"), {db, query});
            p.waitForFinished(-1);
        }));
    }
    const double fill = median(fills), shell = median(shells);

    // Header clicks: a Data column (by date) and a text column.
    const int dateCol = 18, textCol = 3;
    const double dateSortAsc = ms([&] { g->simulateMouseDown(0, dateCol); });
    const double dateSortDesc = ms([&] { g->simulateMouseDown(0, dateCol); });
    const double textSort = ms([&] { g->simulateMouseDown(0, textCol); });
    // What the date sort spends reading the dates alone.
    const double dateParsing = ms([&] {
        for (int r = 1; r < g->Rows(); ++r)
            vb::CDate(g->TextMatrix(r, dateCol));
    });
    QApplication::processEvents();

    double addBig, updateBig, addSmall, updateSmall;
    addAndUpdate(w, 21, &addBig, &updateBig);
    gWhereAnagrafica = QStringLiteral("a.ANAGRAFICAID <= 10");
    w->FillGrid();
    if (g->Rows() != 11) {
        std::fprintf(stderr, "the small list shows %d rows\n", g->Rows() - 1);
        return 1;
    }
    addAndUpdate(w, 21, &addSmall, &updateSmall);

    std::printf("\nFillGrid, %d rows x %d columns      %8.1f ms (median of 3)\n", Customers, g->Cols(), fill);
    std::printf("sqlite3 shell, same query > /dev/null  %8.1f ms (median of 3)\n", shell);
    std::printf("  ratio fill / shell                   %8.2f   (target <= 3)\n", fill / shell);
    std::printf("\nheader click, Data Nascita ascending   %8.1f ms\n", dateSortAsc);
    std::printf("header click, Data Nascita descending  %8.1f ms\n", dateSortDesc);
    std::printf("header click, Cognome (text)           %8.1f ms\n", textSort);
    std::printf("  of a date sort: vb::CDate of %d cells %8.1f ms\n", Customers, dateParsing);
    std::printf("  ratio date sort / fill               %8.2f   (target < 1)\n",
                std::max(dateSortAsc, dateSortDesc) / fill);
    std::printf("\nAddGridRow    on %d rows  %8.3f ms   on 10 rows %8.3f ms   ratio %.2f\n", Customers, addBig,
                addSmall, addBig / addSmall);
    std::printf("UpdateGridRow on %d rows  %8.3f ms   on 10 rows %8.3f ms   ratio %.2f\n", Customers, updateBig,
                updateSmall, updateBig / updateSmall);
    if (!DialogScript::boxes().isEmpty())
        std::printf("\nmessages shown: %d, first: %s\n", int(DialogScript::boxes().size()),
                    qPrintable(DialogScript::boxes().first().prompt));
    w->Unload();
    resetDatabaseForTests();
    return 0;
}
