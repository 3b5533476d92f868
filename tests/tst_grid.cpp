// The list grid: storage, current cell and selection, sorting, mouse and keyboard events,
// scrolling, and the wheel hook that scrolls it a page at a time.
#include "platform/MouseWheel.h"
#include "platform/NumberRule.h"
#include "platform/PackedRows.h"
#include "testsupport.h"
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>

namespace {

// Texts that packing as UTF-8 could damage: accents, the euro sign, an emoji (a surrogate pair),
// characters from U+E000 on (after the emoji in UTF-16 order, before it in UTF-8), empty.
const QStringList kAwkward = {QStringLiteral("Nicolò Cantù"), QStringLiteral("12,50 €"), QStringLiteral("😀 ok"),
                              QStringLiteral("\uFF21zienda"), QStringLiteral("\uFFFD"),  QString(),
                              QStringLiteral("Ärger"),        QStringLiteral("ärger"),   QStringLiteral("Zoë")};

QString longText(int bytes)
{
    QString t;
    while (t.toUtf8().size() < bytes)
        t += QStringLiteral("città € 😀 ");
    return t;
}

std::unique_ptr<MSFlexGrid> makeGrid(int rows, int cols)
{
    auto g = std::make_unique<MSFlexGrid>(nullptr, QStringLiteral("MSFlexGrid1"));
    g->setCols(cols);
    g->setRows(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g->setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    return g;
}

// Column 0 holds the texts, column 1 each row's original position (to see stability).
std::unique_ptr<MSFlexGrid> gridOf(const QStringList &texts)
{
    auto g = makeGrid(1 + int(texts.size()), 2);
    for (int i = 0; i < texts.size(); ++i) {
        g->setTextMatrix(i + 1, 0, texts.at(i));
        g->setTextMatrix(i + 1, 1, QString::number(i));
    }
    return g;
}

// A grid whose viewport shows the header, `fullRows` whole data rows and `extraPx` of the next.
void sizeForRows(MSFlexGrid *g, int fullRows, int extraPx = 0)
{
    g->resize(400, 2 * g->frameWidth() + toPixels(g->RowHeight(0)) * (1 + fullRows) + extraPx);
}

long errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const PlatformError &e) {
        return e.number();
    }
    return 0;
}

// A window with a grid and a button, its wheel hooked as a list window hooks it.
struct HookedWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    MSFlexGrid *grid = new MSFlexGrid(nullptr, QStringLiteral("MSFlexGrid1"), window.get());
    QPushButton *button = new QPushButton(QStringLiteral("Esci"), window.get());
    QList<int> rotations;
    explicit HookedWindow(QPoint at)
    {
        window->setGeometry(QRect(at, QSize(500, 400)));
        grid->setGeometry(10, 60, 400, 300);
        grid->setRows(200);
        button->setGeometry(10, 10, 80, 30);
        WheelHook(window.get(), [this](int keys, int rotation, int x, int y) {
            rotations << rotation;
            if (IsOver(grid, x, y))
                MSFlexGridScroll(grid, keys, rotation, x, y);
        });
        window->show();
    }
};

// Delivered as the window system delivers it (spontaneous), so that an unaccepted event travels
// on to the parent widgets as a real one does.
void turn(QWidget *target, QPoint local, int delta)
{
    QWheelEvent e(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(target, &e);
}

// The grid of `texts` (or `g`, whose cells read as them) sorted in each order in turn, each from
// the order the one before left, against the plain rule on the whole texts: numbers first by
// value, then texts case-folded in the order of their UTF-16 forms; rows that compare equal keep
// their order.
void sortsByThePlainRule(const QStringList &texts, std::initializer_list<int> orders,
                         std::unique_ptr<MSFlexGrid> g = nullptr)
{
    if (!g)
        g = gridOf(texts);
    QList<int> origin(texts.size());
    std::iota(origin.begin(), origin.end(), 0);
    QList<std::optional<double>> numbers;
    QStringList folded;
    for (const QString &t : texts) {
        numbers << NumberRule::read(t);
        folded << t.toCaseFolded();
    }
    for (int order : orders) {
        const bool numeric = order >= 3, descending = order == 2 || order == 4;
        auto less = [&](int a, int b) {
            std::optional<double> x = numbers.at(a), y = numbers.at(b);
            if (numeric) {
                x = x.value_or(0);
                y = y.value_or(0);
            }
            if (x.has_value() != y.has_value())
                return x.has_value();
            return x ? *x < *y : folded.at(a) < folded.at(b);
        };
        std::stable_sort(origin.begin(), origin.end(),
                         [&](int a, int b) { return descending ? less(b, a) : less(a, b); });
        g->setCol(0);
        g->setSort(order);
        QStringList origins;
        for (int i : origin)
            origins << QString::number(i);
        QCOMPARE(column(g.get(), 1), origins);
    }
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    // Windows are destroyed by each test; the wheel hook must not outlive them.
    void cleanup() { QCoreApplication::processEvents(); }

    // ---- storage and the current cell ----

    void rowsColsCurrentCellAndWidths()
    {
        auto g = makeGrid(3, 3);
        g->setRows(5);
        QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("2,2"));
        QCOMPARE(g->TextMatrix(4, 1), QString());
        // Dropped rows and columns do not come back.
        g->setRows(2);
        g->setRows(4);
        g->setCols(2);
        g->setCols(4);
        QCOMPARE(gridRow(g.get(), 1), QStringList({"1,0", "1,1", "", ""}));
        QCOMPARE(g->TextMatrix(2, 0), QString());
        // Down to the header alone; never below it. No item per cell: a million rows cost
        // nothing until written.
        g->setRow(2);
        g->setRows(1);
        QCOMPARE(g->Row(), 0);
        QCOMPARE(errorNumber([&] { g->setRows(0); }), ErrNo::InvalidRowValue);
        QCOMPARE(g->Rows(), 1);
        g->setRows(1000000);
        QCOMPARE(g->TextMatrix(999999, 1), QString());
        // RemoveItem: the current row becomes the one that followed, or the new last one.
        g = makeGrid(5, 2);
        g->setRow(2);
        g->RemoveItem(2);
        QCOMPARE(column(g.get(), 0), QStringList({"1,0", "3,0", "4,0"}));
        QCOMPARE(g->Row(), 2);
        g->setRow(3);
        g->RemoveItem(3);
        QCOMPARE(g->Row(), 2);
        QVERIFY(errorNumber([&] { g->RemoveItem(0); }) != 0);
        QVERIFY(errorNumber([&] { g->RemoveItem(3); }) != 0);
        g->RemoveItem(1);
        g->RemoveItem(1);
        QCOMPARE(g->Rows() + g->Row(), 1);
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0,0"));

        g = makeGrid(5, 4);
        g->setRow(2);
        g->setCol(1);
        QCOMPARE(errorNumber([&] { g->setRow(5); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorNumber([&] { g->setCol(4); }), MSFlexGrid::InvalidColValue);
        QCOMPARE(g->Text(), QStringLiteral("2,1"));
        // The width rule's loop: rows past the end measure the last row again.
        for (int r = 0; r <= 7; ++r)
            errorNumber([&] { g->setRow(r); });
        QCOMPARE(g->Text(), QStringLiteral("4,1"));
        QVERIFY(errorNumber([&] { g->TextMatrix(5, 0); }) != 0);
        // Setting Row or Col collapses the selection.
        g->setRow(2);
        g->setCol(0);
        g->setColSel(3);
        g->setRowSel(4);
        g->setCol(0);
        QCOMPARE(QList<int>({g->RowSel(), g->ColSel()}), QList<int>({2, 0}));
        // A zero-width column is not there: a click at the left edge lands on the next one.
        g->setColWidth(0, 0);
        g->resize(400, 200);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QSignalSpy down(g.get(), &MSFlexGrid::MouseDown);
        const int rh = toPixels(g->RowHeight(0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(3, rh + rh / 2));
        QCOMPARE(QList<int>({g->Row(), g->Col(), int(down.count())}), QList<int>({1, 1, 1}));
    }

    // ---- sorting ----

    void sorting()
    {
        // Generic: numbers first and as numbers (Italian form, euro sign, SQL decimals), then text
        // without regard to case; whole rows move.
        auto g = gridOf({"10", "abc", "9", "1.234,50 €", "Abd", "-3", "999,99 €", "2.5", "-0,75€", "1.000.000,00",
                         "1.23,5", "1,2,3", "01/02/2024", "  "});
        g->setTextMatrix(0, 0, QStringLiteral("Head"));
        g->setCol(0);
        g->setSort(1);
        QCOMPARE(column(g.get(), 0),
                 QStringList({"-3", "-0,75€", "2.5", "9", "10", "999,99 €", "1.234,50 €", "1.000.000,00", "  ",
                              "01/02/2024", "1,2,3", "1.23,5", "abc", "Abd"}));
        QCOMPARE(column(g.get(), 1).mid(0, 7), QStringList({"5", "8", "7", "2", "0", "6", "3"}));
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("Head"));
        g->setSort(2);
        QCOMPARE(column(g.get(), 0).mid(0, 5), QStringList({"Abd", "abc", "1.23,5", "1,2,3", "01/02/2024"}));
        QVERIFY(errorNumber([&] { g->setSort(9); }) != 0);
        // Equal keys keep their order, both ways.
        g = gridOf({"b", "A", "a", "B", "a", "1", "1,0"});
        g->setCol(0);
        g->setSort(1);
        QCOMPARE(column(g.get(), 1), QStringList({"5", "6", "1", "2", "4", "0", "3"}));
        g->setSort(2);
        QCOMPARE(column(g.get(), 1), QStringList({"0", "3", "1", "2", "4", "5", "6"}));
        // Numeric reads text as zero.
        g = gridOf({"5", "x", "-1", "0", "", "2,5"});
        g->setCol(0);
        g->setSort(3);
        QCOMPARE(column(g.get(), 0), QStringList({"-1", "x", "0", "", "2,5", "5"}));
        g->setSort(4);
        QCOMPARE(column(g.get(), 0), QStringList({"5", "2,5", "x", "0", "", "-1"}));
        // One current row sorts every data row, by Col.
        g = gridOf({"e", "d", "c", "b", "a"});
        g->setRow(2);
        g->setCol(0);
        g->setSort(1);
        QCOMPARE(column(g.get(), 0), QStringList({"a", "b", "c", "d", "e"}));
        // A selection of several rows sorts just those; one reaching into the header, its data rows.
        g = gridOf({"e", "d", "c", "b", "a"});
        g->setRow(2);
        g->setRowSel(4);
        g->setSort(1);
        QCOMPARE(column(g.get(), 0), QStringList({"e", "b", "c", "d", "a"}));
        g->setRow(0);
        g->setRowSel(3);
        g->setSort(2);
        QCOMPARE(column(g.get(), 0), QStringList({"e", "c", "b", "d", "a"}));
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0,0"));
    }

    // ---- packed texts ----

    void textsSurviveEveryWayIn()
    {
        // Every way a text goes in gives it back whole, and leaves its neighbours alone.
        auto g = makeGrid(3, 4);
        const QString big = longText(100 * 1024);
        QStringList texts = kAwkward;
        texts << big;
        g->setRows(1);
        for (const QString &t : texts) {
            g->setRows(g->Rows() + 1);
            const int r = g->Rows() - 1;
            g->setTextMatrix(r, 0, QStringLiteral("a%1").arg(r));
            g->setTextMatrix(r, 1, t);
            g->setTextMatrixUtf8(r, 2, t.toUtf8().toStdString());
            g->setTextMatrix(r, 3, QStringLiteral("z%1").arg(r));
        }
        for (const QString &t : texts) {
            g->beginRow();
            g->appendCell("a");
            const QByteArray u = t.toUtf8();
            g->appendCell(std::string_view(u.constData(), size_t(u.size())));
            g->appendCell(std::string_view(u.constData(), size_t(u.size())));
            g->appendCell({}); // a NULL field
            g->appendCell("past the last column");
            g->endRow();
        }
        QCOMPARE(g->Rows(), 1 + 2 * int(texts.size()));
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("0,1"));
        for (int i = 0; i < texts.size(); ++i) {
            for (int r : {1 + i, 1 + i + int(texts.size())}) {
                QCOMPARE(g->TextMatrix(r, 1), texts.at(i));
                QCOMPARE(g->TextMatrix(r, 2), texts.at(i));
            }
            QCOMPARE(g->TextMatrix(1 + i, 3), QStringLiteral("z%1").arg(1 + i));
            QCOMPARE(g->TextMatrix(1 + i + int(texts.size()), 3), QString());
        }
        g->setCols(5);
        QCOMPARE(g->TextMatrix(g->Rows() - 1, 4), QString()); // what went past Cols was dropped

        // A cell rewritten in the middle of a row, longer and shorter, in the row written last
        // and in one written long before.
        for (int r : {1, g->Rows() - 1}) {
            const QStringList before = gridRow(g.get(), r);
            for (const QString &t :
                 {big, QStringLiteral("è"), QString(), QStringLiteral("😀😀😀 a longer text"), QStringLiteral("x")}) {
                g->setTextMatrix(r, 1, t);
                QStringList expected = before;
                expected[1] = t;
                QCOMPARE(gridRow(g.get(), r), expected);
            }
        }
        // The current cell's text too.
        g->setRow(2);
        g->setCol(1);
        g->setText(QStringLiteral("€uro"));
        QCOMPARE(g->Text(), QStringLiteral("€uro"));
        QCOMPARE(g->TextMatrix(3, 1), texts.at(2));
    }

    void sortingPackedTexts()
    {
        // The case-insensitive order is that of the texts' UTF-16 forms, case-folded; equal
        // keys keep their order.
        QStringList texts = kAwkward;
        texts << QStringLiteral("zoe") << QStringLiteral("ZOË") << QStringLiteral("Émile") << QStringLiteral("emile")
              << QStringLiteral("10") << QStringLiteral("\u00A01.000,00\u00A0€") << longText(1000);
        auto g = gridOf(texts);
        g->setCol(0);
        g->setSort(1);
        QStringList expected = texts;
        std::stable_sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
            const std::optional<double> x = NumberRule::read(a), y = NumberRule::read(b);
            if (x.has_value() != y.has_value())
                return x.has_value();
            if (x)
                return *x < *y;
            return a.toCaseFolded() < b.toCaseFolded();
        });
        QCOMPARE(column(g.get(), 0), expected);
        QCOMPARE(column(g.get(), 0).mid(0, 3), QStringList({"10", "12,50 €", "\u00A01.000,00\u00A0€"}));

        // After RemoveItem, after rows appended both ways, the rows move whole.
        g = gridOf({"delta", "alfa", "charlie", "bravo"});
        g->RemoveItem(2); // alfa
        g->setRows(g->Rows() + 1);
        g->setTextMatrix(g->Rows() - 1, 0, QStringLiteral("Ärger"));
        g->setTextMatrix(g->Rows() - 1, 1, QStringLiteral("4"));
        g->beginRow();
        g->appendCell("ALFA");
        g->appendCell("5");
        g->endRow();
        g->setCol(0);
        g->setSort(1);
        QCOMPARE(column(g.get(), 0), QStringList({"ALFA", "bravo", "charlie", "delta", "Ärger"}));
        QCOMPARE(column(g.get(), 1), QStringList({"5", "3", "2", "0", "4"}));
        g->setSort(2);
        QCOMPARE(column(g.get(), 1), QStringList({"4", "0", "2", "3", "5"}));
    }

    void sortingLargeListsLikeSmallOnes()
    {
        // Thousands of rows take other ways (keys sorted by their digits, rows read in batches);
        // the order must be the one of the plain rule, from the order of the fill and from the
        // scattered order a sort leaves.
        QRandomGenerator rnd(5);
        const QStringList fixed{"0", "-0", "0,00", "", "  ", "1.234,50 €", "9007199254740993"};
        const QStringList names{"Rossi", "rossi", "Cantù", "Lucà", "ÉMILE", "émile", "De Luca", "Zoë"};
        QStringList texts;
        for (int i = 0; i < 9000; ++i) {
            switch (rnd.bounded(8)) {
            case 0:
                texts << QString::number(qint64(rnd.bounded(2000)) - 1000);
                break;
            case 1:
                texts << QStringLiteral("%1,%2").arg(qint64(rnd.bounded(200)) - 100).arg(rnd.bounded(100));
                break;
            case 2:
                texts << fixed.at(int(rnd.bounded(7)));
                break;
            case 3:
                texts << QString::number(rnd.bounded(1000000000)) + QString::number(rnd.bounded(1000000000));
                break;
            default:
                texts << names.at(int(rnd.bounded(8))) + QStringLiteral(" %1").arg(rnd.bounded(50))
                             + (rnd.bounded(4) ? QString() : QStringLiteral(" e figli di una lunga casata"));
            }
        }
        sortsByThePlainRule(texts, {1, 3, 2, 4, 1, 2});
    }

    void sortingTextsAlikeForLong()
    {
        // Texts alike for many bytes, or all the way but for case, length, an accent or a
        // character whose folded form is shorter: no part of the order may depend on how many
        // bytes one look at a text takes in.
        QRandomGenerator rnd(12);
        const QStringList beginnings{"Rinnovo iscrizione",
                                     "RINNOVO ISCRIZIONE",
                                     "Rinnovo iscrizione annuale",
                                     "Esposito Mario",
                                     "esposito mario ",
                                     "Cantù Lucà Nicolò",
                                     "cantù lucà nicolò e figli",
                                     QStringLiteral("\u212Aelvin e figli"), // the Kelvin sign folds to a k
                                     "kelvin e figli",
                                     QStringLiteral("Stra\u1E9Ee di città"),
                                     QString::fromUtf8("zero\0dentro", 11),
                                     "zero",
                                     "",
                                     QString(22, 'x'),
                                     QString(33, 'X')};
        QStringList texts;
        for (int i = 0; i < 6000; ++i) {
            QString t = beginnings.at(rnd.bounded(int(beginnings.size())));
            const int more = int(rnd.bounded(4));
            if (more == 1)
                t += QString::number(rnd.bounded(30));
            else if (more == 2)
                t += beginnings.at(rnd.bounded(int(beginnings.size())));
            texts << t;
        }
        sortsByThePlainRule(texts, {1, 2, 1});

        // Bytes that are no UTF-8 (Latin-1 letters, a character cut short, an overlong form, an
        // encoded surrogate) sort as the texts Qt reads from them.
        const QList<QByteArray> bytes{"caf\xE9",         "cafe",  "caf\xC3",         "caf\xC3\xA9",
                                      "caf\xE0\x80\x80", "caf",   "CAF\xED\xA0\x80", "CAF\xEF\xBF\xBD",
                                      "\xE9t\xE9 ok",    "\xC3xy"};
        auto g = makeGrid(1 + int(bytes.size()), 2);
        QStringList read;
        for (int i = 0; i < bytes.size(); ++i) {
            g->setTextMatrixUtf8(i + 1, 0, bytes.at(i).toStdString());
            g->setTextMatrix(i + 1, 1, QString::number(i));
            read << QString::fromUtf8(bytes.at(i));
        }
        sortsByThePlainRule(read, {1}, std::move(g));
    }

    void helperColumnAndRefill()
    {
        // A column added past the last one, written on every row, sorted on and dropped (the
        // date sort's way): the rows keep their texts and the column leaves nothing behind.
        auto g = gridOf({"c", "a", "b"});
        g->setTextMatrix(2, 1, QStringLiteral("uno più lungo di prima")); // row 2 rewritten, written last
        g->setCols(3);
        for (int r = 1; r < g->Rows(); ++r)
            g->setTextMatrix(r, 2, QString::number(10 - r));
        g->setCol(2);
        g->setSort(3);
        g->setCols(2);
        QCOMPARE(column(g.get(), 0), QStringList({"b", "a", "c"}));
        QCOMPARE(column(g.get(), 1), QStringList({"2", "uno più lungo di prima", "0"}));
        g->setCols(3);
        QCOMPARE(column(g.get(), 2), QStringList({"", "", ""}));
        g->setTextMatrix(3, 0, QStringLiteral("cc"));
        g->setTextMatrix(3, 2, QStringLiteral("x"));
        QCOMPARE(gridRow(g.get(), 3), QStringList({"cc", "0", "x"}));

        // A refill: the old rows go all at once, the new ones read right.
        PackedRows store;
        store.resize(1);
        store.setCell(0, 0, "header");
        for (int i = 0; i < 20000; ++i) {
            store.beginRow();
            store.appendCell(std::to_string(i));
            store.appendCell("Cognome Nome Città");
            store.endRow();
        }
        QVERIFY(store.usedBytes() > 20000 * 20);
        store.resize(1);
        QVERIFY(store.usedBytes() < 100);
        QCOMPARE(store.cell(0, 0), std::string_view("header"));
        store.beginRow();
        store.appendCell("nuovo");
        store.endRow();
        QCOMPARE(store.rows(), 2);
        QCOMPARE(store.cell(1, 0), std::string_view("nuovo"));
        QCOMPARE(store.cell(1, 1), std::string_view());
    }

    void storeAgainstAPlainModel()
    {
        // Random changes of every kind, checked against a vector of rows of strings; garbage
        // never grows past the live texts for long.
        QRandomGenerator rnd(20240611);
        PackedRows store;
        std::vector<std::vector<std::string>> model;
        auto text = [&]() -> std::string {
            const int kind = int(rnd.bounded(20));
            if (kind == 0)
                return std::string();
            if (kind == 1)
                return std::string(size_t(rnd.bounded(2000, 20000)), char('a' + rnd.bounded(26)));
            std::string t = "è€";
            t += std::to_string(rnd.bounded(1000000));
            t.append(size_t(rnd.bounded(30)), 'x');
            return t;
        };
        auto cellOf = [&](size_t r, size_t c) { return c < model[r].size() ? model[r][c] : std::string(); };
        for (int step = 0; step < 8000; ++step) {
            const int op = int(rnd.bounded(100));
            const int rows = int(model.size());
            if (op < 45 && rows > 0) {
                const int r = int(rnd.bounded(rows)), c = int(rnd.bounded(12));
                const std::string t = text();
                store.setCell(r, c, t);
                if (model[size_t(r)].size() <= size_t(c))
                    model[size_t(r)].resize(size_t(c) + 1);
                model[size_t(r)][size_t(c)] = t;
            } else if (op < 70) {
                store.beginRow();
                model.emplace_back();
                const int n = int(rnd.bounded(10));
                for (int c = 0; c < n; ++c) {
                    model.back().push_back(text());
                    store.appendCell(model.back().back());
                }
                if (rnd.bounded(2))
                    store.endRow(); // otherwise the next change ends it
            } else if (op < 80 && rows > 0) {
                const int r = int(rnd.bounded(rows));
                store.remove(r);
                model.erase(model.begin() + r);
            } else if (op < 85) {
                // Mostly a few rows more or less; now and then a refill from the header alone.
                const int n = rnd.bounded(50) ? std::max(0, rows + int(rnd.bounded(30)) - 10) : 1;
                store.resize(n);
                model.resize(size_t(n));
            } else if (op < 90) {
                const int k = 1 + int(rnd.bounded(12));
                store.truncateCols(k);
                for (auto &row : model)
                    if (row.size() > size_t(k))
                        row.resize(size_t(k));
            } else if (rows > 1) {
                const int first = int(rnd.bounded(rows - 1));
                std::vector<int> order(size_t(rows - first));
                std::iota(order.begin(), order.end(), 0);
                std::shuffle(order.begin(), order.end(), std::mt19937(rnd.generate()));
                std::vector<unsigned char> room(order.size() * PackedRows::RowBytes);
                store.reorderThrough(first, uint32_t(order.size()), room.data(),
                                     [&order](uint32_t i) { return order[i]; });
                std::vector<std::vector<std::string>> moved;
                for (int i : order)
                    moved.push_back(model[size_t(first + i)]);
                std::copy(moved.begin(), moved.end(), model.begin() + first);
            }
            if (step % 250 == 0 || step == 7999) {
                store.endRow();
                QCOMPARE(store.rows(), int(model.size()));
                for (size_t r = 0; r < model.size(); ++r)
                    for (size_t c = 0; c < 12; ++c)
                        QCOMPARE(std::string(store.cell(int(r), int(c))), cellOf(r, c));
                QVERIFY(store.usedBytes() - store.liveBytes() <= std::max(store.liveBytes(), size_t(1) << 20));
            }
        }
    }

    // ---- filling from a result set ----

    void resultSetTextsAsFieldText()
    {
        // The UTF-8 text read straight from SQLite is exactly Field::Text's, for every kind of value
        // (12345678901234.25 lies halfway between two 15-digit texts).
        TestProgram prog;
        QStringList values =
            QStringLiteral(
                "0|-1|9223372036854775807|-9223372036854775808|0.5|-0.1|2.5|-0.0|1e15|999999999999999.0|1e16|"
                "1.5e300|123456789.123456789|1e-7|0.1 + 0.2|12345678901234.25|-1234567890123.125|"
                "12345678901234.75|9e999|-9e999|NULL|''|'Nicolò paga 12,50 € 😀'|'1.234,50'|X''|X'41C3A8FF00'|"
                "CAST('città' AS BLOB)")
                .split('|');
        QRandomGenerator rnd(7);
        for (int i = 0; i < 300; ++i) {
            const double d = rnd.generateDouble() * std::pow(10.0, int(rnd.bounded(40)) - 20) * (i % 2 ? -1 : 1);
            values << QString::number(d, 'g', 17);
        }
        QString sql = "create table v (x); begin;";
        for (const QString &v : values)
            sql += "insert into v values (" + v + ");";
        prog.exec(sql + "commit;");
        SqliteDbComponent db;
        db.open(prog.dbPath());
        auto rs = db.query("select x from v order by rowid");
        MSFlexGrid grid(nullptr, "MSFlexGrid1");
        grid.setRows(1);
        grid.setCols(1);
        QStringList viaField;
        Recordset::TextBuffer buffer;
        for (; !rs->EOF_(); rs->MoveNext()) {
            viaField << rs->Fields()(0).Text();
            const std::string_view t = rs->textUtf8(0, buffer);
            QCOMPARE(QString::fromUtf8(t.data(), qsizetype(t.size())), viaField.last());
            grid.beginRow();
            grid.appendCell(t);
            grid.endRow();
        }
        QCOMPARE(viaField.size(), values.size());
        QCOMPARE(column(&grid, 0), viaField);
        QCOMPARE(viaField.mid(0, 4), QStringList({"0", "-1", "9223372036854775807", "-9223372036854775808"}));
        QCOMPARE(viaField.mid(4, 4), QStringList({"0,5", "-0,1", "2,5", "0"}));
        QCOMPARE(viaField.mid(15, 3), QStringList({"12345678901234,3", "-1234567890123,13", "12345678901234,8"}));
        QCOMPARE(viaField.at(22), QStringLiteral("Nicolò paga 12,50 € 😀"));
    }

    // ---- mouse, keyboard and scrolling ----

    void mouseAndKeys()
    {
        // A header click makes the column current (Row 1, the whole column selected) before
        // MouseDown; on a grid without data rows Row stays on the header.
        auto g = makeGrid(5, 4);
        QStringList order;
        connect(g.get(), &MSFlexGrid::MouseDown,
                [&](int, int, double, double) { order << QStringLiteral("down %1,%2").arg(g->Row()).arg(g->Col()); });
        connect(g.get(), &MSFlexGrid::SelChange, [&] { order << "sel"; });
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 2);
        QCOMPARE(order, QStringList({"down 1,2", "sel"}));
        QCOMPARE(QList<int>({g->RowSel(), g->ColSel()}), QList<int>({4, 2}));
        auto empty = makeGrid(1, 3);
        MSFlexGrid::TestSeam::mouseDown(*empty, 0, 1);
        QCOMPARE(empty->Row(), 0);
        // X and Y in twips from the grid's top-left corner, the header band included; real
        // clicks give what the simulated ones give, button and shift included.
        g = makeGrid(30, 3);
        sizeForRows(g.get(), 10);
        g->setColWidth(1, 1500);
        g->setColWidth(2, 900);
        QList<QList<double>> downs;
        connect(g.get(), &MSFlexGrid::MouseDown, [&](int b, int s, double x, double y) {
            downs << QList<double>{double(g->Row()), double(g->Col()), double(b), double(s), x, y};
        });
        const int rh = toPixels(g->RowHeight(0));
        g->setColWidth(0, 0);
        g->setTopRow(10);
        MSFlexGrid::TestSeam::mouseDown(*g, 12, 1);
        QCOMPARE(downs.value(0), (QList<double>{12, 1, 1, 0, 750, toTwips(3 * rh + rh / 2)}));
        g->setColWidth(0, -1);
        g->setTopRow(1);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        const int w0 = toPixels(g->ColWidth(0));
        QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(w0 + 5, 4));
        QCOMPARE(downs.value(1), (QList<double>{1, 1, 2, 1, double((w0 + 5) * 15), 60}));
        QSignalSpy dbl(g.get(), &MSFlexGrid::DblClick);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, QPoint(w0 + 2, 2 * rh + 2));
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(g->Row(), 2);

        // Keys move the current row, never onto the header; each key is told with its code and
        // shift state, down and up.
        g = makeGrid(4, 3);
        g->setRow(1);
        QList<QPair<int, int>> keys;
        connect(g.get(), &MSFlexGrid::KeyDown, [&](int k, int s) { keys << qMakePair(k, s); });
        QSignalSpy sel(g.get(), &MSFlexGrid::SelChange);
        QSignalSpy up(g.get(), &MSFlexGrid::KeyUp);
        QTest::keyClick(g.get(), Qt::Key_Down);
        QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(g.get(), Qt::Key_Down);
        QCOMPARE(g->Row(), 3);
        QCOMPARE(sel.count(), 2); // no move, no SelChange
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g.get(), Qt::Key_Up);
        QCOMPARE(g->Row(), 1);
        QTest::keyClick(g.get(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(keys.value(0), qMakePair(40, 0));
        QVERIFY(keys.contains(qMakePair(35, 2)) && keys.contains(qMakePair(46, 1)));
        QCOMPARE(up.count(), keys.size());
    }

    void scrolling()
    {
        auto g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->setTopRow(1000);
        QCOMPARE(g->TopRow(), 91); // the last scroll position
        QVERIFY(g->RowIsVisible(91) && g->RowIsVisible(0) && !g->RowIsVisible(90));
        g->setTopRow(0);
        QCOMPARE(g->TopRow(), 1);
        // Taller grid: the same top would leave blank space, so it comes back up.
        g->setTopRow(91);
        sizeForRows(g.get(), 40);
        QCOMPARE(g->TopRow(), 61);
        // A partly shown row counts as visible; the top stops at the last row wholly in view.
        g = makeGrid(30, 2);
        sizeForRows(g.get(), 5, 4);
        QVERIFY(g->RowIsVisible(6) && !g->RowIsVisible(7));
        g->setTopRow(100);
        QCOMPARE(g->TopRow(), 25);
        // The scroll bars follow the content and move the top row.
        g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QCoreApplication::processEvents();
        QVERIFY(g->verticalScrollBar()->isVisible() && !g->horizontalScrollBar()->isVisible());
        QCOMPARE(g->verticalScrollBar()->maximum(), 91);
        g->verticalScrollBar()->setValue(50);
        QCOMPARE(g->TopRow(), 50);
        g->setTopRow(20);
        QCOMPARE(g->verticalScrollBar()->value(), 20);
        g->setColWidth(1, 20000);
        QCoreApplication::processEvents();
        QVERIFY(g->horizontalScrollBar()->isVisible());
        g->setLeftCol(5);
        QCOMPARE(g->LeftCol(), 1);
        g->setRows(3);
        QCoreApplication::processEvents();
        QVERIFY(!g->verticalScrollBar()->isVisible());
        QCOMPARE(g->TopRow(), 1);

        // The wheel turns one page a message, whatever the turn; it stops at the last row, and
        // a grid that fits or shows no row at all stays put.
        g = makeGrid(101, 2);
        sizeForRows(g.get(), 10, 8);
        MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 11);
        MSFlexGridScroll(g.get(), 0, -720, 0, 0);
        QCOMPARE(g->TopRow(), 21);
        MSFlexGridScroll(g.get(), 0, 120, 0, 0);
        QCOMPARE(g->TopRow(), 11);
        g->setTopRow(5);
        MSFlexGridScroll(g.get(), 0, 120, 0, 0);
        QCOMPARE(g->TopRow(), 1);
        g = makeGrid(10, 2);
        sizeForRows(g.get(), 1, 8);
        for (int i = 0; i < 20; ++i)
            MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 9);
        for (int rows : {11, 20}) {
            g = makeGrid(rows, 2);
            if (rows == 20)
                g->resize(300, 2 * g->frameWidth() + toPixels(g->RowHeight(0)) / 2);
            else
                sizeForRows(g.get(), 10);
            MSFlexGridScroll(g.get(), 0, -120, 0, 0);
            QCOMPARE(g->TopRow(), 1);
        }
        MSFlexGridScroll(nullptr, 0, -120, 0, 0);
    }

    void wheelHookScrollsTheGridUnderThePointer()
    {
        HookedWindow lower(QPoint(0, 0));
        HookedWindow w(QPoint(40, 40));
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        turn(w.grid->viewport(), QPoint(50, 50), -120);
        QCOMPARE(w.rotations, QList<int>({-120}));
        const int page = w.grid->TopRow() - 1;
        QVERIFY(page > 5);
        turn(w.grid->viewport(), QPoint(50, 50), 120);
        QCOMPARE(w.grid->TopRow(), 1);
        // A high-resolution wheel: partial turns add up to one step.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(w.grid->TopRow(), 1);
            turn(w.grid->viewport(), QPoint(50, 50), -40);
        }
        QCOMPARE(w.grid->TopRow(), 1 + page);
        // Over a button the window hears the wheel and the grid stays; the window below hears nothing.
        turn(w.button, QPoint(5, 5), -120);
        QCOMPARE(w.rotations.size(), 4);
        QCOMPARE(w.grid->TopRow(), 1 + page);
        QVERIFY(lower.rotations.isEmpty());
        // IsOver includes the edges.
        const QPoint o = w.button->mapToGlobal(QPoint(0, 0));
        QVERIFY(IsOver(w.button, o.x(), o.y()) && IsOver(w.button, o.x() + 80, o.y() + 30));
        QVERIFY(!IsOver(w.button, o.x() - 1, o.y()) && !IsOver(w.button, o.x(), o.y() + 31));
        // Unhooked, the grid alone does not scroll; a destroyed window leaves the hook.
        WheelUnhook(w.window.get());
        QVERIFY(!IsWheelHooked(w.window.get()) && IsWheelHooked(lower.window.get()));
        turn(w.grid->viewport(), QPoint(20, 20), -120);
        QCOMPARE(w.grid->TopRow(), 1 + page);
        QWidget *raw = lower.window.get();
        lower.window.reset();
        QVERIFY(!IsWheelHooked(raw));
        // Errors stay inside the hook.
        QWidget window;
        window.resize(200, 200);
        WheelHook(&window, [](int, int, int, int) { throw PlatformError(5, QStringLiteral("boom")); });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        turn(&window, QPoint(10, 10), -120); // must simply return
        WheelUnhook(&window);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
