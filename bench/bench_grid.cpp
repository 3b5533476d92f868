// Grid storage against a plain vector of string rows: fill row by row the way the list windows
// do (Rows = Rows + 1, then every cell), then sort on a text column. Prints the time (best of
// three rounds) and the heap bytes of each store and the ratios grid / plain. Target: time and
// memory ratios at most 2.
//
//   bench_grid [rows]        (default 100000 rows of 23 columns)
#include "platform/MSFlexGrid.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

constexpr int Cols = 23;
constexpr int SortCol = 3; // a name column: text comparisons

long long heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return (long long)mi.uordblks + (long long)mi.hblkhd;
}

long long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Cell texts like those of a customer or payment list: keys, names, dates, amounts, flags.
QString makeText(int r, int c)
{
    const int v = (r * 7919 + c * 104729) % 100003;
    switch (c % 6) {
    case 0:
        return QString::number(r + 1);
    case 1:
        return QStringLiteral("Via Garibaldi %1").arg(v % 300);
    case 2:
        return QStringLiteral("%1/%2/%3")
            .arg(1 + v % 28, 2, 10, QLatin1Char('0'))
            .arg(1 + v % 12, 2, 10, QLatin1Char('0'))
            .arg(1990 + v % 35);
    case 3:
        return QStringLiteral("Cliente %1 Rossi").arg(v);
    case 4:
        return QStringLiteral("%1,%2 €").arg(v / 100).arg(v % 100, 2, 10, QLatin1Char('0'));
    default:
        return (v & 1) ? QStringLiteral("Vero") : QStringLiteral("Falso");
    }
}

// Each store gets its own copy of a text, as a fill converting field values does.
inline QString fresh(const QString &s) { return QString(s.constData(), s.size()); }

struct Figures {
    double fillMs = 0, sortMs = 0;
    long long bytes = 0;
};

Figures runGrid(const std::vector<QString> &source, const std::vector<QString> &header, int rows, bool show)
{
    Figures f;
    QElapsedTimer t;
    auto *g = new MSFlexGrid(nullptr, QStringLiteral("MSFlexGrid1"));
    g->resize(900, 450);
    const long long heap0 = heapInUse();
    t.start();
    g->setRows(1);
    g->setCols(Cols);
    for (int c = 0; c < Cols; ++c)
        g->setTextMatrix(0, c, fresh(header[size_t(c)]));
    size_t i = 0;
    for (int r = 1; r <= rows; ++r) {
        g->setRows(g->Rows() + 1);
        for (int c = 0; c < Cols; ++c)
            g->setTextMatrix(r, c, fresh(source[i++]));
    }
    f.fillMs = t.nsecsElapsed() / 1e6;
    f.bytes = heapInUse() - heap0;
    t.start();
    g->setCol(SortCol);
    g->setSort(1);
    f.sortMs = t.nsecsElapsed() / 1e6;
    if (show)
        std::printf("grid:  first rows after sort: %s | %s\n", qPrintable(g->TextMatrix(1, SortCol)),
                    qPrintable(g->TextMatrix(2, SortCol)));
    delete g;
    return f;
}

Figures runPlain(const std::vector<QString> &source, const std::vector<QString> &header, int rows, bool show)
{
    Figures f;
    QElapsedTimer t;
    const long long heap0 = heapInUse();
    t.start();
    std::vector<std::vector<QString>> store;
    store.emplace_back(size_t(Cols));
    for (int c = 0; c < Cols; ++c)
        store[0][size_t(c)] = fresh(header[size_t(c)]);
    size_t i = 0;
    for (int r = 1; r <= rows; ++r) {
        store.emplace_back(size_t(Cols));
        std::vector<QString> &row = store.back();
        for (int c = 0; c < Cols; ++c)
            row[size_t(c)] = fresh(source[i++]);
    }
    f.fillMs = t.nsecsElapsed() / 1e6;
    f.bytes = heapInUse() - heap0;
    t.start();
    std::stable_sort(store.begin() + 1, store.end(), [](const std::vector<QString> &a, const std::vector<QString> &b) {
        return QString::compare(a[SortCol], b[SortCol], Qt::CaseInsensitive) < 0;
    });
    f.sortMs = t.nsecsElapsed() / 1e6;
    if (show)
        std::printf("plain: first rows after sort: %s | %s\n", qPrintable(store[1][SortCol]),
                    qPrintable(store[2][SortCol]));
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    std::vector<QString> source;
    source.reserve(size_t(rows) * Cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < Cols; ++c)
            source.push_back(makeText(r, c));
    std::vector<QString> header;
    for (int c = 0; c < Cols; ++c)
        header.push_back(QStringLiteral("Colonna%1").arg(c));

    // Freed memory stays in the heap, and a first round warms it up: otherwise whichever
    // store runs first pays the page faults of fresh memory and the comparison says nothing.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);

    Figures grid, plain;
    const int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        const Figures g = runGrid(source, header, rows, round == rounds - 1);
        const Figures p = runPlain(source, header, rows, round == rounds - 1);
        if (round == 0 || g.fillMs + g.sortMs < grid.fillMs + grid.sortMs)
            grid = g;
        if (round == 0 || p.fillMs + p.sortMs < plain.fillMs + plain.sortMs)
            plain = p;
    }

    const double gridTime = grid.fillMs + grid.sortMs;
    const double plainTime = plain.fillMs + plain.sortMs;
    std::printf("%d rows x %d columns\n", rows, Cols);
    std::printf("grid : fill %8.1f ms  sort %8.1f ms  total %8.1f ms  heap %8.1f MB\n", grid.fillMs, grid.sortMs,
                gridTime, grid.bytes / 1048576.0);
    std::printf("plain: fill %8.1f ms  sort %8.1f ms  total %8.1f ms  heap %8.1f MB\n", plain.fillMs, plain.sortMs,
                plainTime, plain.bytes / 1048576.0);
    std::printf("(best of %d rounds; heap = bytes allocated by the filled store; peak RSS of the run %lld kB)\n",
                rounds, statusKb("VmHWM:"));
    std::printf("ratio grid/plain: fill time %.2f  sort time %.2f\n", grid.fillMs / plain.fillMs,
                grid.sortMs / plain.sortMs);
    std::printf("ratio grid/plain: time %.2f  memory %.2f  (target <= 2)\n", gridTime / plainTime,
                double(grid.bytes) / double(plain.bytes));
    return 0;
}
