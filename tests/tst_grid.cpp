// The list grid: storage, current cell and selection, sorting, mouse and keyboard events,
// scrolling, and the wheel hook that scrolls it a page at a time.
#include "platform/MouseWheel.h"
#include "testsupport.h"
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <memory>

namespace {

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

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    // Windows are destroyed by each test; the wheel hook must not outlive them.
    void cleanup() { QCoreApplication::processEvents(); }

    // ---- storage and the current cell ----

    void rowsAndColsGrowAndShrink()
    {
        auto g = makeGrid(3, 3);
        g->setRows(g->Rows() + 1);
        g->setRows(g->Rows() + 1);
        QCOMPARE(g->Rows(), 5);
        QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("2,2"));
        QCOMPARE(g->TextMatrix(4, 1), QString());
        g->setRows(2);
        g->setRows(4);
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("1,0"));
        QCOMPARE(g->TextMatrix(2, 0), QString()); // a dropped row does not come back
        g->setCols(2);
        g->setCols(4);
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("0,1"));
        QCOMPARE(g->TextMatrix(0, 2), QString()); // nor a dropped column
        g->setTextMatrix(1, 3, QStringLiteral("new"));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("new"));
        // Down to the header alone; never below it.
        g->setRow(2);
        g->setRows(1);
        QCOMPARE(g->Row(), 0);
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("0,1"));
        QCOMPARE(errorNumber([&] { g->setRows(0); }), ErrNo::InvalidRowValue);
        QVERIFY(errorNumber([&] { g->setCols(0); }) != 0);
        QCOMPARE(g->Rows(), 1);
        QCOMPARE(g->Cols(), 4);
        // No item per cell: a million rows cost nothing until written.
        g->setRows(1000000);
        QCOMPARE(g->TextMatrix(999999, 1), QString());
        // RemoveItem: the current row becomes the one that followed, or the new last one.
        g = makeGrid(5, 2);
        g->setRow(2);
        g->RemoveItem(2);
        QCOMPARE(g->Rows(), 4);
        QCOMPARE(column(g.get(), 0), QStringList({"1,0", "3,0", "4,0"}));
        QCOMPARE(g->Row(), 2);
        g->setRow(3);
        g->RemoveItem(3);
        QCOMPARE(g->Row(), 2);
        QVERIFY(errorNumber([&] { g->RemoveItem(0); }) != 0);
        QVERIFY(errorNumber([&] { g->RemoveItem(3); }) != 0);
        g->RemoveItem(1);
        g->RemoveItem(1);
        QCOMPARE(g->Rows(), 1);
        QCOMPARE(g->Row(), 0);
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0,0"));
    }

    void currentCellSelectionAndWidths()
    {
        auto g = makeGrid(5, 4);
        g->setRow(2);
        g->setCol(1);
        QCOMPARE(errorNumber([&] { g->setRow(5); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorNumber([&] { g->setRow(-1); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorNumber([&] { g->setCol(4); }), MSFlexGrid::InvalidColValue);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->Col(), 1);
        QCOMPARE(g->Text(), QStringLiteral("2,1"));
        // The width rule's loop: rows past the end measure the last row again.
        for (int r = 0; r <= 7; ++r)
            errorNumber([&] { g->setRow(r); });
        QCOMPARE(g->Text(), QStringLiteral("4,1"));
        // Text follows the current cell; TextMatrix leaves it.
        g->setRow(1);
        g->setCol(2);
        g->setText(QStringLiteral("x"));
        QCOMPARE(g->TextMatrix(1, 2), QStringLiteral("x"));
        g->setTextMatrix(2, 0, QStringLiteral("y"));
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Col(), 2);
        QVERIFY(errorNumber([&] { g->TextMatrix(5, 0); }) != 0);
        QVERIFY(errorNumber([&] { g->setTextMatrix(0, 4, QStringLiteral("z")); }) != 0);
        // Setting Row or Col collapses the selection.
        g->setRow(2);
        g->setCol(0);
        g->setColSel(3);
        g->setRowSel(4);
        QCOMPARE(g->RowSel(), 4);
        QCOMPARE(g->ColSel(), 3);
        g->setCol(0);
        QCOMPARE(g->RowSel(), 2);
        QCOMPARE(g->ColSel(), 0);
        QVERIFY(errorNumber([&] { g->setRowSel(5); }) != 0);
        // Widths in twips, 0 hiding a column; one row height for all.
        g = makeGrid(3, 3);
        g->setColWidth(1, 3250);
        QCOMPARE(g->ColWidth(1), 3250.0);
        g->setColWidth(0, 0);
        QCOMPARE(g->ColWidth(0), 0.0);
        QVERIFY(g->ColWidth(2) > 0);
        QVERIFY(errorNumber([&] { g->ColWidth(3); }) != 0);
        QCOMPARE(g->RowHeight(0), g->RowHeight(1));
        QVERIFY(g->RowHeight(0) >= 240);
        // A zero-width column is not there: a click at the left edge lands on the next one.
        g->resize(400, 200);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QSignalSpy down(g.get(), &MSFlexGrid::MouseDown);
        const int rh = toPixels(g->RowHeight(0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(3, rh + rh / 2));
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Col(), 1);
        QCOMPARE(down.count(), 1);
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

    // ---- mouse and keyboard ----

    void mouseEvents()
    {
        // A header click makes the column current (Row 1, the whole column selected) before MouseDown.
        auto g = makeGrid(5, 4);
        QList<QPair<int, int>> atDown;
        QStringList order;
        connect(g.get(), &MSFlexGrid::MouseDown, [&](int button, int, double, double y) {
            atDown << qMakePair(g->Row(), g->Col());
            QCOMPARE(button, 1);
            QVERIFY(y < g->RowHeight(1));
            order << "down";
        });
        connect(g.get(), &MSFlexGrid::SelChange, [&] { order << "sel"; });
        g->simulateMouseDown(0, 2);
        QCOMPARE(atDown.value(0), qMakePair(1, 2));
        QCOMPARE(g->RowSel(), 4);
        QCOMPARE(g->ColSel(), 2);
        QCOMPARE(order, QStringList({"down", "sel"}));

        auto empty = makeGrid(1, 3);
        empty->simulateMouseDown(0, 1);
        QCOMPARE(empty->Row(), 0);
        QCOMPARE(empty->Col(), 1);
        // X and Y in twips from the grid's top-left corner, the header band included.
        g = makeGrid(30, 3);
        sizeForRows(g.get(), 10);
        g->setColWidth(0, 0);
        g->setColWidth(1, 1500);
        g->setColWidth(2, 900);
        QList<QList<double>> downs;
        connect(g.get(), &MSFlexGrid::MouseDown, [&](int b, int s, double x, double y) {
            downs << QList<double>{double(g->Row()), double(g->Col()), double(b), double(s), x, y};
        });
        const int rh = toPixels(g->RowHeight(0));
        g->simulateMouseDown(1, 2);
        g->setTopRow(10);
        g->simulateMouseDown(12, 1);
        QCOMPARE(downs.value(0), (QList<double>{1, 2, 1, 0, 1500 + 450.0, toTwips(rh + rh / 2)}));
        QCOMPARE(downs.value(1), (QList<double>{12, 1, 1, 0, 750, toTwips(3 * rh + rh / 2)}));
        QCOMPARE(g->TopRow(), 10);
        // Real clicks give what the simulated ones give, button and shift included.
        g->setColWidth(0, -1);
        g->setTopRow(1);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        const int w0 = toPixels(g->ColWidth(0));
        QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(w0 + 5, 4));
        QCOMPARE(downs.value(2), (QList<double>{1, 1, 2, 1, double((w0 + 5) * 15), 60}));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(2, 3 * rh + 2));
        QCOMPARE(downs.value(3), (QList<double>{3, 0, 1, 0, 30, double((3 * rh + 2) * 15)}));
        QSignalSpy dbl(g.get(), &MSFlexGrid::DblClick);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, QPoint(w0 + 2, 2 * rh + 2));
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(g->Row(), 2);
    }

    void keyboard()
    {
        auto g = makeGrid(4, 3);
        g->setRow(1);
        QList<QPair<int, int>> keys;
        connect(g.get(), &MSFlexGrid::KeyDown, [&](int k, int s) { keys << qMakePair(k, s); });
        QSignalSpy sel(g.get(), &MSFlexGrid::SelChange);
        QSignalSpy up(g.get(), &MSFlexGrid::KeyUp);

        QTest::keyClick(g.get(), Qt::Key_Down);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(sel.count(), 1);
        QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->Row(), 3);
        QTest::keyClick(g.get(), Qt::Key_Down);
        QCOMPARE(g->Row(), 3);
        QCOMPARE(sel.count(), 2); // no move, no SelChange
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g.get(), Qt::Key_Up);
        QCOMPARE(g->Row(), 1); // never onto the header
        QTest::keyClick(g.get(), Qt::Key_Delete, Qt::ShiftModifier);
        QTest::keyClick(g.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(g->Row(), 1);

        QCOMPARE(keys.value(0), qMakePair(40, 0));
        for (const auto &k : {qMakePair(35, 2), qMakePair(38, 0), qMakePair(46, 1), qMakePair(65, 2)})
            QVERIFY(keys.contains(k));
        QCOMPARE(up.count(), keys.size());
    }

    // ---- scrolling ----

    void scrolling()
    {
        auto g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->setTopRow(1000);
        QCOMPARE(g->TopRow(), 91); // the last scroll position
        QVERIFY(g->RowIsVisible(100) && g->RowIsVisible(91) && g->RowIsVisible(0));
        QVERIFY(!g->RowIsVisible(90) && !g->RowIsVisible(101));
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
        // A grid lower than four rows shows the last row.
        g = makeGrid(50, 2);
        sizeForRows(g.get(), 1, 5);
        g->setTopRow(qRound(g->Rows() - g->Height() / g->RowHeight(0) + 3));
        QCOMPARE(g->TopRow(), 49);
        // The scroll bars follow the content and move the top row.
        g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QCoreApplication::processEvents();
        QVERIFY(g->verticalScrollBar()->isVisible());
        QVERIFY(!g->horizontalScrollBar()->isVisible());
        QCOMPARE(g->viewport()->height(), toPixels(g->RowHeight(0)) * 11); // what the row arithmetic assumed
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
        QCOMPARE(g->horizontalScrollBar()->value(), 1);

        g->setRows(3);
        QCoreApplication::processEvents();
        QVERIFY(!g->verticalScrollBar()->isVisible());
        QCOMPARE(g->TopRow(), 1);
    }

    void wheelScrollsOnePageAWheelMessage()
    {
        auto g = makeGrid(101, 2);
        sizeForRows(g.get(), 10, 8); // ten whole rows and part of the next
        MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 11);
        MSFlexGridScroll(g.get(), 0, -720, 0, 0); // a bigger turn still moves one page
        QCOMPARE(g->TopRow(), 21);
        MSFlexGridScroll(g.get(), 0, 120, 0, 0);
        QCOMPARE(g->TopRow(), 11);
        g->setTopRow(5);
        MSFlexGridScroll(g.get(), 0, 120, 0, 0);
        QCOMPARE(g->TopRow(), 1);
        for (int i = 0; i < 20; ++i)
            MSFlexGridScroll(g.get(), 0, 0, 0, 0);
        QCOMPARE(g->TopRow(), 91);

        g = makeGrid(10, 2);
        sizeForRows(g.get(), 1, 8);
        for (int i = 0; i < 20; ++i)
            MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 9); // stops at the last row
        // A grid that fits, exactly or with room to spare, or shows no row at all, stays put.
        for (int rows : {5, 11, 20}) {
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
        QCOMPARE(w.rotations.last(), -120);
        // Over a button the window hears the wheel and the grid stays; the window below hears nothing.
        turn(w.button, QPoint(5, 5), -120);
        QCOMPARE(w.rotations.size(), 4);
        QCOMPARE(w.grid->TopRow(), 1 + page);
        QCOMPARE(lower.grid->TopRow(), 1);
        QVERIFY(lower.rotations.isEmpty());
        // IsOver includes the edges.
        const QPoint o = w.button->mapToGlobal(QPoint(0, 0));
        QVERIFY(IsOver(w.button, o.x(), o.y()) && IsOver(w.button, o.x() + 80, o.y() + 30));
        QVERIFY(!IsOver(w.button, o.x() - 1, o.y()) && !IsOver(w.button, o.x(), o.y() + 31));
        QVERIFY(!IsOver(nullptr, o.x(), o.y()));
        // Unhooked, the grid alone does not scroll; a destroyed window leaves the hook.
        WheelUnhook(w.window.get());
        QVERIFY(!IsWheelHooked(w.window.get()) && IsWheelHooked(lower.window.get()));
        turn(w.grid->viewport(), QPoint(20, 20), -120);
        QCOMPARE(w.grid->TopRow(), 1 + page);
        QCOMPARE(w.rotations.size(), 4);
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
