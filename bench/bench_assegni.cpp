// The issued-cheque list on 200,000 cheques over 50 accounts and 100,000 customers: its fill
// against the sqlite3 shell running the same query to /dev/null.
#include "banking/frmAssegniEmessi.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"
#include <QApplication>
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

constexpr int Accounts = 50;
constexpr int Customers = 100000;
constexpr int Cheques = 200000;

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3 *db, const char *sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }

void createDatabase(const QString &path)
{
    QFile schema(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema.sql not found\n");
        std::exit(1);
    }
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    exec(db, schema.readAll().constData());
    exec(db, "create table settings (mnemocode text primary key, value text);"
             "insert into settings values ('INTESTAZ', 'Negozio'), ('PRTCSIZE', '7'), ('LOGSTATUS', 'OFF');"
             "insert into TipologiaPersone (Tipologia) values ('Socio');");
    exec(db, "BEGIN");
    QRandomGenerator rnd(4711);
    static const char *const surnames[] = {"Rossi", "Bianchi", "Verdi", "Esposito", "Romano", "Colombo", "Ricci"};
    static const char *const names[] = {"Mario", "Luca", "Giulia", "Francesca", "Marco", "Sara", "Paolo", "Anna"};
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into MieiContiCorrenti (Descrizione, Banca, ABI, CAB, NumeroConto) "
                             "values (?, 'Banca', '03002', '05006', ?)",
                             -1, &st, nullptr),
          db, "accounts");
    for (int i = 1; i <= Accounts; ++i) {
        const QByteArray d = "Conto " + QByteArray::number(i), n = QByteArray::number(100000 + i);
        sqlite3_bind_text(st, 1, d.constData(), int(d.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, n.constData(), int(n.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(st), db, "account");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_prepare_v2(db, "insert into Anagrafica (TIPOLOGIAID, Cognome, Nome) values (1, ?, ?)", -1, &st,
                             nullptr),
          db, "customers");
    for (int i = 1; i <= Customers; ++i) {
        const QByteArray c = QByteArray(surnames[rnd.bounded(7)]) + ' ' + QByteArray::number(i);
        const char *n = names[rnd.bounded(8)];
        sqlite3_bind_text(st, 1, c.constData(), int(c.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, n, -1, SQLITE_STATIC);
        check(sqlite3_step(st), db, "customer");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_prepare_v2(db,
                             "insert into AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, "
                             "LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote, "
                             "DateTimeCreated) values (?, ?, ?, ?, 'Roma', ?, ?, ?, ?, ?, NULL, ?)",
                             -1, &st, nullptr),
          db, "cheques");
    for (int i = 1; i <= Cheques; ++i) {
        const QDate d(2015 + int(rnd.bounded(10)), 1 + int(rnd.bounded(12)), 1 + int(rnd.bounded(28)));
        const QByteArray date = d.toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
        const QByteArray number = QByteArray::number(1000000 + i);
        const QByteArray causale = i % 3 ? QByteArray("Fornitura merce") : QByteArray("Affitto locale");
        sqlite3_bind_int(st, 1, 1 + int(rnd.bounded(Accounts)));
        sqlite3_bind_int(st, 2, 1 + int(rnd.bounded(Customers)));
        sqlite3_bind_text(st, 3, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        for (int k = 5; k <= 7; ++k)
            sqlite3_bind_int(st, k, int(rnd.bounded(2)));
        sqlite3_bind_double(st, 8, double(rnd.bounded(500000)) / 100);
        sqlite3_bind_text(st, 9, causale.constData(), int(causale.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 10, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(st), db, "cheque");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

double ms(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
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
    std::printf("database of %d cheques, %d accounts, %d customers created in %.0f ms\n", Cheques, Accounts, Customers,
                createMs);

    setProgramFolder(dir.path());
    gDbType = QStringLiteral("SqlLite");
    OpenDb();
    frmAssegniEmessi *w = FormInstance<frmAssegniEmessi>::get();
    w->Load();
    w->show();
    QApplication::processEvents();
    if (w->MSFlexGrid1->Rows() != Cheques + 1) {
        std::fprintf(stderr, "the list shows %d rows\n", w->MSFlexGrid1->Rows() - 1);
        return 1;
    }

    // The fill and the shell, one after the other in the same run.
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
    std::sort(fills.begin(), fills.end());
    std::sort(shells.begin(), shells.end());
    const double fill = fills[1], shell = shells[1];
    std::printf("\nFillGrid, %d rows x %d columns      %8.1f ms (median of 3)\n", Cheques, w->MSFlexGrid1->Cols(),
                fill);
    std::printf("sqlite3 shell, same query > /dev/null  %8.1f ms (median of 3)\n", shell);
    std::printf("  ratio fill / shell                   %8.2f   (target <= 2)\n", fill / shell);
    std::printf("  total line: %s\n", qPrintable(w->lblTotaleImporti->Caption()));
    if (!DialogScript::boxes().isEmpty())
        std::printf("\nmessages shown: %d, first: %s\n", int(DialogScript::boxes().size()),
                    qPrintable(DialogScript::boxes().first().prompt));
    w->Unload();
    resetDatabaseForTests();
    return 0;
}
