// Grid storage against a plain vector of string rows: fill row by row from UTF-8 texts the way
// a list reads them from the database, then sort on a text column. Each store is measured in a
// fresh process (its memory as a first fill finds it), the stores alternating, median of the
// rounds: time and heap bytes, and the ratios grid / plain.
//
//   bench_grid [rows] [rounds]        (default 100000 rows of 23 columns, 5 rounds)
//   bench_grid measure STORE rows     (one fresh process; used by the above)
#include "BenchRun.h"
#include "BenchTable.h"
#include "platform/MSFlexGrid.h"
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Cols = 23;
constexpr int SortCol = 3; // a name column: text comparisons

long long heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return (long long)mi.uordblks + (long long)mi.hblkhd;
}

// Cell texts like those of a customer or payment list: keys, names, dates, amounts, flags.
std::string makeText(int r, int c)
{
    const int v = (r * 7919 + c * 104729) % 100003;
    char b[64];
    switch (c % 6) {
    case 0:
        std::snprintf(b, sizeof b, "%d", r + 1);
        break;
    case 1:
        std::snprintf(b, sizeof b, "Via Garibaldi %d", v % 300);
        break;
    case 2:
        std::snprintf(b, sizeof b, "%02d/%02d/%d", 1 + v % 28, 1 + v % 12, 1990 + v % 35);
        break;
    case 3:
        std::snprintf(b, sizeof b, "Cliente %d %s", v, v % 3 ? "Rossi" : "Cantù");
        break;
    case 4:
        std::snprintf(b, sizeof b, "%d,%02d \xE2\x82\xAC", v / 100, v % 100);
        break;
    default:
        std::snprintf(b, sizeof b, "%s", (v & 1) ? "Vero" : "Falso");
    }
    return b;
}

struct Source {
    std::string bytes;
    std::vector<std::pair<size_t, size_t>> cells; // offset, length; row after row
};

struct Figures {
    double fillMs = 0, sortMs = 0, bytes = 0;
};

double msSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// A fresh grid with its header row, filled by fillRows, then sorted on the name column.
template <class FillRows>
Figures runGridWith(FillRows fillRows)
{
    Figures f;
    auto *g = new MSFlexGrid(nullptr, QStringLiteral("MSFlexGrid1"));
    g->resize(900, 450);
    const long long heap0 = heapInUse();
    QElapsedTimer t;
    t.start();
    g->setRows(1);
    g->setCols(Cols);
    for (int c = 0; c < Cols; ++c)
        g->setTextMatrix(0, c, QStringLiteral("Colonna%1").arg(c));
    fillRows(g);
    f.fillMs = msSince(t);
    f.bytes = double(heapInUse() - heap0);
    t.start();
    g->setCol(SortCol);
    g->setSort(1);
    f.sortMs = msSince(t);
    delete g;
    return f;
}

// The grid as the lists fill it today: Rows + 1, then one QString per cell.
Figures runGrid(const Source &src, int rows)
{
    return runGridWith([&](MSFlexGrid *g) {
        size_t i = 0;
        for (int r = 1; r <= rows; ++r) {
            g->setRows(g->Rows() + 1);
            for (int c = 0; c < Cols; ++c, ++i)
                g->setTextMatrix(r, c, QString::fromUtf8(src.bytes.data() + src.cells[i].first, src.cells[i].second));
        }
    });
}

// The grid's own row appending from UTF-8 pieces, as a fill straight from the database.
Figures runGridUtf8(const Source &src, int rows)
{
    return runGridWith([&](MSFlexGrid *g) {
        size_t i = 0;
        for (int r = 1; r <= rows; ++r) {
            g->beginRow();
            for (int c = 0; c < Cols; ++c, ++i)
                g->appendCell(std::string_view(src.bytes.data() + src.cells[i].first, src.cells[i].second));
            g->endRow();
        }
    });
}

Figures runPlain(const Source &src, int rows)
{
    Figures f;
    const long long heap0 = heapInUse();
    QElapsedTimer t;
    t.start();
    std::vector<std::vector<QString>> store;
    store.emplace_back(size_t(Cols));
    for (int c = 0; c < Cols; ++c)
        store[0][size_t(c)] = QStringLiteral("Colonna%1").arg(c);
    size_t i = 0;
    for (int r = 1; r <= rows; ++r) {
        store.emplace_back(size_t(Cols));
        std::vector<QString> &row = store.back();
        for (int c = 0; c < Cols; ++c, ++i)
            row[size_t(c)] = QString::fromUtf8(src.bytes.data() + src.cells[i].first, src.cells[i].second);
    }
    f.fillMs = msSince(t);
    f.bytes = double(heapInUse() - heap0);
    t.start();
    std::stable_sort(store.begin() + 1, store.end(), [](const std::vector<QString> &a, const std::vector<QString> &b) {
        return QString::compare(a[SortCol], b[SortCol], Qt::CaseInsensitive) < 0;
    });
    f.sortMs = msSince(t);
    return f;
}

int measure(const QString &store, int rows)
{
    Source src;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < Cols; ++c) {
            const std::string s = makeText(r, c);
            src.cells.emplace_back(src.bytes.size(), s.size());
            src.bytes += s;
        }
    Figures f;
    if (store == QLatin1String("grid"))
        f = runGrid(src, rows);
    else if (store == QLatin1String("grid-utf8"))
        f = runGridUtf8(src, rows);
    else if (store == QLatin1String("plain"))
        f = runPlain(src, rows);
    else
        return 2;
    std::printf("fill %.3f\nsort %.3f\nbytes %.0f\n", f.fillMs, f.sortMs, f.bytes);
    return 0;
}

std::map<std::string, double> runChild(const QString &store, int rows)
{
    const auto out = bench::childFigures({QStringLiteral("measure"), store, QString::number(rows)});
    if (!out || out->size() != 3) {
        std::fprintf(stderr, "bench_grid: the measuring process failed\n");
        std::exit(1);
    }
    return *out;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("measure") && args.size() == 3)
        return measure(args[1], args[2].toInt());
    const int rows = args.size() > 0 ? std::max(1, args[0].toInt()) : 100000;
    const int rounds = args.size() > 1 ? std::max(1, args[1].toInt()) : 5;

    const QStringList stores = {QStringLiteral("grid"), QStringLiteral("grid-utf8"), QStringLiteral("plain")};
    std::map<QString, std::map<std::string, std::vector<double>>> runs;
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "grid storage %d rows: round %d of %d\n", rows, r + 1, rounds);
        for (int k = 0; k < stores.size(); ++k) {
            const QString &store = stores[(k + r) % stores.size()]; // each goes first in turn
            for (const auto &kv : runChild(store, rows))
                runs[store][kv.first].push_back(kv.second);
        }
    }
    auto m = [&](const QString &store, const char *what) { return bench::median(runs[store][what]); };
    const std::string tag = "grid storage " + std::to_string(rows) + "x" + std::to_string(Cols) + " ";
    for (const QString &store : {QStringLiteral("grid"), QStringLiteral("grid-utf8")}) {
        const std::string s = store.toStdString();
        bench::printRow(tag + s + " fill / plain", bench::msText(m(store, "fill")),
                        bench::msText(m(QStringLiteral("plain"), "fill")),
                        m(store, "fill") / m(QStringLiteral("plain"), "fill"), 2);
        bench::printRow(tag + s + " heap / plain", bench::mbText(m(store, "bytes")),
                        bench::mbText(m(QStringLiteral("plain"), "bytes")),
                        m(store, "bytes") / m(QStringLiteral("plain"), "bytes"), 2);
    }
    bench::printRow(tag + "sort / plain", bench::msText(m(QStringLiteral("grid"), "sort")),
                    bench::msText(m(QStringLiteral("plain"), "sort")),
                    m(QStringLiteral("grid"), "sort") / m(QStringLiteral("plain"), "sort"), 2);
    return 0;
}
