// The list grid: storage, current cell and selection, sorting, mouse and keyboard events,
// scrolling, and the wheel hook that scrolls it a page at a time.
#include "platform/MSFlexGrid.h"
#include "platform/MouseWheel.h"
#include "platform/PlatformError.h"
#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>
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

// A grid whose viewport shows the header, `fullRows` whole data rows and `extraPx` of the next.
void sizeForRows(MSFlexGrid *g, int fullRows, int extraPx = 0, int width = 400)
{
    const int rh = toPixels(g->RowHeight(0));
    g->resize(width, 2 * g->frameWidth() + rh * (1 + fullRows) + extraPx);
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

QStringList column(const MSFlexGrid &g, int col)
{
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, col);
    return out;
}

void fillColumn(MSFlexGrid &g, const QStringList &texts)
{
    g.setRows(1 + int(texts.size()));
    for (int i = 0; i < texts.size(); ++i) {
        g.setTextMatrix(i + 1, 0, texts.at(i));
        g.setTextMatrix(i + 1, 1, QString::number(i)); // original position, to see stability
    }
}

} // namespace

class TestGridContent : public QObject {
    Q_OBJECT
private slots:
    void growAndShrinkKeepContent()
    {
        auto g = makeGrid(3, 3);
        g->setRows(g->Rows() + 1);
        g->setRows(g->Rows() + 1);
        QCOMPARE(g->Rows(), 5);
        QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("2,2"));
        QCOMPARE(g->TextMatrix(4, 1), QString());

        g->setRows(2);
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("1,0"));
        g->setRows(4);
        QCOMPARE(g->TextMatrix(2, 0), QString()); // a dropped row does not come back

        g->setCols(2);
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("0,1"));
        g->setCols(4);
        QCOMPARE(g->TextMatrix(0, 2), QString()); // nor a dropped column
        QCOMPARE(g->TextMatrix(1, 3), QString());
        g->setTextMatrix(1, 3, QStringLiteral("new"));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("new"));
        QCOMPARE(g->TextMatrix(1, 1), QStringLiteral("1,1"));
    }

    void headerOnlyGridAndBadSizes()
    {
        auto g = makeGrid(3, 2);
        g->setRow(2);
        g->setRows(1);
        QCOMPARE(g->Row(), 0);
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("0,1"));
        QCOMPARE(errorNumber([&] { g->setRows(0); }), ErrNo::InvalidRowValue);
        QCOMPARE(g->Rows(), 1);
        QVERIFY(errorNumber([&] { g->setCols(0); }) != 0);
        QCOMPARE(g->Cols(), 2);
    }

    void rowPastTheEndKeepsTheCurrentCell()
    {
        auto g = makeGrid(4, 3);
        g->setRow(2);
        g->setCol(1);
        QCOMPARE(errorNumber([&] { g->setRow(4); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorNumber([&] { g->setRow(-1); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorNumber([&] { g->setCol(3); }), MSFlexGrid::InvalidColValue);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->Col(), 1);
        QCOMPARE(g->Text(), QStringLiteral("2,1"));

        // The width rule's loop: rows past the end measure the last row again.
        QStringList seen;
        for (int r = 0; r <= 6; ++r) {
            try {
                g->setRow(r);
            } catch (const PlatformError &) {
            }
            seen << g->Text();
        }
        QCOMPARE(seen.last(), QStringLiteral("3,1"));
    }

    void textFollowsTheCurrentCellAndTextMatrixLeavesIt()
    {
        auto g = makeGrid(3, 3);
        g->setRow(1);
        g->setCol(2);
        g->setText(QStringLiteral("x"));
        QCOMPARE(g->TextMatrix(1, 2), QStringLiteral("x"));
        g->setTextMatrix(2, 0, QStringLiteral("y"));
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Col(), 2);
        QVERIFY(errorNumber([&] { g->TextMatrix(3, 0); }) != 0);
        QVERIFY(errorNumber([&] { g->setTextMatrix(0, 3, QStringLiteral("z")); }) != 0);
    }

    void settingRowOrColCollapsesTheSelection()
    {
        auto g = makeGrid(5, 4);
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
    }

    void columnWidths()
    {
        auto g = makeGrid(3, 3);
        g->setColWidth(1, 3250);
        QCOMPARE(g->ColWidth(1), 3250.0);
        g->setColWidth(0, 0);
        QCOMPARE(g->ColWidth(0), 0.0);
        QVERIFY(g->ColWidth(2) > 0);
        QVERIFY(errorNumber([&] { g->ColWidth(3); }) != 0);
        QCOMPARE(g->RowHeight(0), g->RowHeight(1));
        QVERIFY(g->RowHeight(0) >= 240);
    }

    void zeroWidthColumnIsNotThere()
    {
        auto g = makeGrid(3, 3);
        g->setColWidth(0, 0);
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

    void removeItem()
    {
        auto g = makeGrid(5, 2);
        g->setRow(2);
        g->RemoveItem(2);
        QCOMPARE(g->Rows(), 4);
        QCOMPARE(column(*g, 0), QStringList({"1,0", "3,0", "4,0"}));
        QCOMPARE(g->Row(), 2); // now the row that followed
        g->setRow(3);
        g->RemoveItem(3);
        QCOMPARE(g->Row(), 2); // the last row went: back to the new last one
        QVERIFY(errorNumber([&] { g->RemoveItem(0); }) != 0);
        QVERIFY(errorNumber([&] { g->RemoveItem(3); }) != 0);
        g->RemoveItem(1);
        g->RemoveItem(1);
        QCOMPARE(g->Rows(), 1);
        QCOMPARE(g->Row(), 0);
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0,0"));
    }

    void manyRows()
    {
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        g.setCols(3);
        g.setRows(1);
        for (int r = 1; r <= 20000; ++r) {
            g.setRows(g.Rows() + 1);
            g.setTextMatrix(r, 2, QString::number(r));
        }
        QCOMPARE(g.Rows(), 20001);
        QCOMPARE(g.TextMatrix(12345, 2), QStringLiteral("12345"));
        QCOMPARE(g.TextMatrix(12345, 0), QString());
        g.setRows(1000000);
        QCOMPARE(g.TextMatrix(999999, 1), QString());
    }
};

class TestGridSort : public QObject {
    Q_OBJECT
private slots:
    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("int") << "42" << true << 42.0;
        QTest::newRow("neg") << "-3" << true << -3.0;
        QTest::newRow("italian") << "1.234,50" << true << 1234.5;
        QTest::newRow("euro") << "1.234,50 €" << true << 1234.5;
        QTest::newRow("euro tight") << "-0,75€" << true << -0.75;
        QTest::newRow("thousands") << "1.000.000" << true << 1000000.0;
        QTest::newRow("sql decimal") << "2.5" << true << 2.5;
        QTest::newRow("comma") << "0,1" << true << 0.1;
        QTest::newRow("blank") << "  " << false << 0.0;
        QTest::newRow("date") << "01/02/2024" << false << 0.0;
        QTest::newRow("text") << "12a" << false << 0.0;
        QTest::newRow("two commas") << "1,2,3" << false << 0.0;
        QTest::newRow("bad groups") << "1.23,5" << false << 0.0;
        QTest::newRow("euro alone") << "€" << false << 0.0;
    }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        double v = -99;
        QCOMPARE(MSFlexGrid::parseNumber(text, &v), isNumber);
        if (isNumber)
            QCOMPARE(v, value);
    }

    void genericPutsNumbersFirstAsNumbers()
    {
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        fillColumn(g, {"10", "abc", "9", "1.234,50 €", "Abd", "-3", "999,99 €"});
        g.setTextMatrix(0, 0, QStringLiteral("Head"));
        g.setCol(0);
        g.setSort(1);
        QCOMPARE(column(g, 0), QStringList({"-3", "9", "10", "999,99 €", "1.234,50 €", "abc", "Abd"}));
        QCOMPARE(g.TextMatrix(0, 0), QStringLiteral("Head"));
        QCOMPARE(column(g, 1), QStringList({"5", "2", "0", "6", "3", "1", "4"})); // whole rows moved
        g.setSort(2);
        QCOMPARE(column(g, 0), QStringList({"Abd", "abc", "1.234,50 €", "999,99 €", "10", "9", "-3"}));
    }

    void equalKeysKeepTheirOrder()
    {
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        fillColumn(g, {"b", "A", "a", "B", "a", "1", "1,0"});
        g.setCol(0);
        g.setSort(1);
        QCOMPARE(column(g, 1), QStringList({"5", "6", "1", "2", "4", "0", "3"}));
        g.setCol(0);
        g.setSort(2);
        QCOMPARE(column(g, 1), QStringList({"0", "3", "1", "2", "4", "5", "6"}));
    }

    void numericReadsTextAsZero()
    {
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        fillColumn(g, {"5", "x", "-1", "0", "", "2,5"});
        g.setCol(0);
        g.setSort(3);
        QCOMPARE(column(g, 0), QStringList({"-1", "x", "0", "", "2,5", "5"}));
        g.setSort(4);
        QCOMPARE(column(g, 0), QStringList({"5", "2,5", "x", "0", "", "-1"}));
    }

    void sortsByColAndAllDataRows()
    {
        auto g = makeGrid(1, 3);
        for (int v : {3, 1, 2}) {
            g->setRows(g->Rows() + 1);
            g->setTextMatrix(g->Rows() - 1, 2, QString::number(v));
            g->setTextMatrix(g->Rows() - 1, 0, QStringLiteral("row%1").arg(v));
        }
        g->setRow(2); // a selection of one row must not limit the sort
        g->setCol(2);
        g->setSort(1);
        QCOMPARE(column(*g, 0), QStringList({"row1", "row2", "row3"}));
        QVERIFY(errorNumber([&] { g->setSort(9); }) != 0);
    }

    void sortsOnlyASelectionOfSeveralRows()
    {
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        fillColumn(g, {"e", "d", "c", "b", "a"});
        g.setRow(2);
        g.setRowSel(4);
        g.setSort(1);
        QCOMPARE(column(g, 0), QStringList({"e", "b", "c", "d", "a"}));
        g.setRow(0); // a selection reaching into the header sorts only the data rows in it
        g.setRowSel(3);
        g.setSort(2);
        QCOMPARE(column(g, 0), QStringList({"e", "c", "b", "d", "a"}));
        QCOMPARE(g.TextMatrix(0, 0), QString());
    }

    void hiddenHelperColumnSortLeavesNoTrace()
    {
        // Sorting through an added zero-width column of day numbers, then dropping it.
        MSFlexGrid g(nullptr, QStringLiteral("g"));
        fillColumn(g, {"03/01/2024", "", "01/12/2023"});
        g.setCols(g.Cols() + 1);
        const int helper = g.Cols() - 1;
        g.setColWidth(helper, 0);
        const QStringList serials = {"45294", "0", "45261"};
        for (int r = 1; r < g.Rows(); ++r)
            g.setTextMatrix(r, helper, serials.at(r - 1));
        g.setCol(helper);
        g.setSort(3);
        g.setCols(g.Cols() - 1);
        QCOMPARE(column(g, 0), QStringList({"", "01/12/2023", "03/01/2024"}));
        QCOMPARE(g.Cols(), 2);
        g.setCols(3);
        QCOMPARE(column(g, 2), QStringList({"", "", ""}));
    }
};

class TestGridMouseAndKeys : public QObject {
    Q_OBJECT
private slots:
    void headerClickSelectsTheColumnBeforeMouseDown()
    {
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
    }

    void mouseDownCoordinatesInTwips()
    {
        auto g = makeGrid(30, 3);
        sizeForRows(g.get(), 10);
        g->setColWidth(0, 0);
        g->setColWidth(1, 1500);
        g->setColWidth(2, 900);
        QList<QPointF> points;
        connect(g.get(), &MSFlexGrid::MouseDown, [&](int, int, double x, double y) { points << QPointF(x, y); });
        const int rh = toPixels(g->RowHeight(0));
        g->simulateMouseDown(1, 2);
        g->setTopRow(10);
        g->simulateMouseDown(12, 1);
        QCOMPARE(points.size(), 2);
        QCOMPARE(points[0].x(), 1500 + 450.0);
        QCOMPARE(points[0].y(), toTwips(rh + rh / 2));
        QCOMPARE(points[1].x(), 750.0);
        QCOMPARE(points[1].y(), toTwips(3 * rh + rh / 2));
        QCOMPARE(g->Row(), 12);
        QCOMPARE(g->TopRow(), 10);
    }

    void realClicksMatchTheSimulatedOnes()
    {
        auto g = makeGrid(6, 3);
        g->resize(400, 200);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QList<QList<double>> downs;
        connect(g.get(), &MSFlexGrid::MouseDown, [&](int b, int s, double x, double y) {
            downs << QList<double>{double(g->Row()), double(g->Col()), double(b), double(s), x, y};
        });
        const int rh = toPixels(g->RowHeight(0));
        const int w0 = toPixels(g->ColWidth(0));
        QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(w0 + 5, 4));
        QCOMPARE(downs.value(0), (QList<double>{1, 1, 2, 1, double((w0 + 5) * 15), 60}));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(2, 3 * rh + 2));
        QCOMPARE(downs.value(1), (QList<double>{3, 0, 1, 0, 30, double((3 * rh + 2) * 15)}));

        QSignalSpy dbl(g.get(), &MSFlexGrid::DblClick);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, QPoint(w0 + 2, 2 * rh + 2));
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(g->Row(), 2);
    }

    void handlersThatReselectDoNotLoop()
    {
        // The list windows answer SelChange and MouseUp by selecting the whole current row.
        auto g = makeGrid(5, 4);
        int selChanges = 0;
        auto wholeRow = [&] {
            if (g->Rows() >= 2) {
                g->setCol(0);
                g->setColSel(g->Cols() - 1);
            }
        };
        connect(g.get(), &MSFlexGrid::SelChange, [&] {
            ++selChanges;
            wholeRow();
        });
        connect(g.get(), &MSFlexGrid::MouseUp, wholeRow);
        g->simulateMouseDown(3, 2);
        g->simulateMouseUp(3, 2);
        QCOMPARE(selChanges, 1);
        QCOMPARE(g->Row(), 3);
        QCOMPARE(g->Col(), 0);
        QCOMPARE(g->ColSel(), 3);
        QCOMPARE(g->RowSel(), 3);

        QSignalSpy dbl(g.get(), &MSFlexGrid::DblClick);
        g->simulateDblClick(4, 1);
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(g->Row(), 4);
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
        QTest::keyClick(g.get(), Qt::Key_Up);
        QTest::keyClick(g.get(), Qt::Key_Up);
        QTest::keyClick(g.get(), Qt::Key_Up);
        QCOMPARE(g->Row(), 1); // never onto the header
        QTest::keyClick(g.get(), Qt::Key_Delete, Qt::ShiftModifier);
        QTest::keyClick(g.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(g->Row(), 1);

        QCOMPARE(keys.value(0), qMakePair(40, 0));
        QVERIFY(keys.contains(qMakePair(35, 2)));
        QVERIFY(keys.contains(qMakePair(38, 0)));
        QVERIFY(keys.contains(qMakePair(46, 1)));
        QVERIFY(keys.contains(qMakePair(65, 2)));
        QCOMPARE(up.count(), keys.size());
    }
};

class TestGridScrolling : public QObject {
    Q_OBJECT
private slots:
    void topRowClampsToTheLastScrollPosition()
    {
        auto g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->setTopRow(1000);
        QCOMPARE(g->TopRow(), 91);
        QVERIFY(g->RowIsVisible(100));
        QVERIFY(g->RowIsVisible(91));
        QVERIFY(!g->RowIsVisible(90));
        QVERIFY(g->RowIsVisible(0));
        QVERIFY(!g->RowIsVisible(101));
        g->setTopRow(0);
        QCOMPARE(g->TopRow(), 1);

        // Taller grid: the same top would leave blank space, so it comes back up.
        g->setTopRow(91);
        sizeForRows(g.get(), 40);
        QCOMPARE(g->TopRow(), 61);
    }

    void aGridLowerThanFourRowsShowsTheLastRow()
    {
        auto g = makeGrid(50, 2);
        sizeForRows(g.get(), 1, 5);
        const double t = g->Rows() - g->Height() / g->RowHeight(0) + 3;
        g->setTopRow(qRound(t));
        QCOMPARE(g->TopRow(), 49);
    }

    void partlyShownRowCountsAsVisible()
    {
        auto g = makeGrid(30, 2);
        sizeForRows(g.get(), 5, 4);
        QVERIFY(g->RowIsVisible(6));
        QVERIFY(!g->RowIsVisible(7));
        QCOMPARE(g->TopRow(), 1);
        g->setTopRow(100);
        QCOMPARE(g->TopRow(), 25); // the last row wholly in view
    }

    void scrollBarsFollowTheContent()
    {
        auto g = makeGrid(101, 2);
        sizeForRows(g.get(), 10);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        QCoreApplication::processEvents();
        QVERIFY(g->verticalScrollBar()->isVisible());
        QVERIFY(!g->horizontalScrollBar()->isVisible());
        const int rh = toPixels(g->RowHeight(0));
        QCOMPARE(g->viewport()->height(), rh * 11); // what the row arithmetic assumed
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
        sizeForRows(g.get(), 10, 8); // ten whole rows and half of the next
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
    }

    void wheelStopsAtTheLastRow()
    {
        auto g = makeGrid(10, 2);
        sizeForRows(g.get(), 1, 8);
        for (int i = 0; i < 20; ++i)
            MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 9);
    }

    void wheelLeavesAGridThatFits()
    {
        auto g = makeGrid(5, 2);
        sizeForRows(g.get(), 10);
        MSFlexGridScroll(g.get(), 0, -120, 0, 0);
        QCOMPARE(g->TopRow(), 1);
        auto exact = makeGrid(11, 2);
        sizeForRows(exact.get(), 10);
        MSFlexGridScroll(exact.get(), 0, -120, 0, 0);
        QCOMPARE(exact->TopRow(), 1);

        auto flat = makeGrid(20, 2); // not even one row under the header
        flat->resize(300, 2 * flat->frameWidth() + toPixels(flat->RowHeight(0)) / 2);
        MSFlexGridScroll(flat.get(), 0, -120, 0, 0);
        QCOMPARE(flat->TopRow(), 1);
        MSFlexGridScroll(nullptr, 0, -120, 0, 0);
    }
};

class TestWheelHook : public QObject {
    Q_OBJECT

    struct ListWindow {
        std::unique_ptr<QWidget> window;
        MSFlexGrid *grid;
        QPushButton *button;
        QList<int> rotations;
    };

    static std::unique_ptr<ListWindow> makeWindow(QPoint at)
    {
        auto w = std::make_unique<ListWindow>();
        w->window = std::make_unique<QWidget>();
        w->window->setGeometry(QRect(at, QSize(500, 400)));
        w->grid = new MSFlexGrid(nullptr, QStringLiteral("MSFlexGrid1"), w->window.get());
        w->grid->setGeometry(10, 60, 400, 300);
        w->grid->setRows(200);
        w->button = new QPushButton(QStringLiteral("Esci"), w->window.get());
        w->button->setGeometry(10, 10, 80, 30);
        ListWindow *lw = w.get();
        WheelHook(w->window.get(), [lw](int keys, int rotation, int x, int y) {
            lw->rotations << rotation;
            if (IsOver(lw->grid, x, y))
                MSFlexGridScroll(lw->grid, keys, rotation, x, y);
        });
        w->window->show();
        return w;
    }

    // Delivered as the window system delivers it (spontaneous), so that an unaccepted event
    // travels on to the parent widgets as a real one does.
    static void turn(QWidget *target, QPoint local, int delta)
    {
        const QPoint global = target->mapToGlobal(local);
        QWheelEvent e(local, global, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(target, &e);
    }

private slots:
    void cleanup()
    {
        // Windows are destroyed by each test; the hook must not outlive them.
        QCoreApplication::processEvents();
    }

    void isOverIncludesTheEdges()
    {
        QWidget w;
        w.setGeometry(100, 100, 200, 100);
        auto *child = new QWidget(&w);
        child->setGeometry(10, 20, 50, 40);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint o = child->mapToGlobal(QPoint(0, 0));
        QVERIFY(IsOver(child, o.x(), o.y()));
        QVERIFY(IsOver(child, o.x() + 50, o.y() + 40));
        QVERIFY(!IsOver(child, o.x() - 1, o.y()));
        QVERIFY(!IsOver(child, o.x(), o.y() + 41));
        QVERIFY(!IsOver(nullptr, o.x(), o.y()));
    }

    void wheelOverTheGridScrollsItOnce()
    {
        auto w = makeWindow(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
        turn(w->grid->viewport(), QPoint(50, 50), -120);
        QCOMPARE(w->rotations, QList<int>({-120}));
        const int page = w->grid->TopRow() - 1;
        QVERIFY(page > 5);
        turn(w->grid->viewport(), QPoint(50, 50), 120);
        QCOMPARE(w->grid->TopRow(), 1);

        // A high-resolution wheel: partial turns add up to one step.
        turn(w->grid->viewport(), QPoint(50, 50), -40);
        turn(w->grid->viewport(), QPoint(50, 50), -40);
        QCOMPARE(w->grid->TopRow(), 1);
        turn(w->grid->viewport(), QPoint(50, 50), -40);
        QCOMPARE(w->grid->TopRow(), 1 + page);
        QCOMPARE(w->rotations.last(), -120);
    }

    void wheelOverAButtonOrAnotherWindow()
    {
        auto lower = makeWindow(QPoint(0, 0));
        auto upper = makeWindow(QPoint(40, 40));
        QVERIFY(QTest::qWaitForWindowExposed(upper->window.get()));
        turn(upper->button, QPoint(5, 5), -120);
        QCOMPARE(upper->rotations.size(), 1);
        QCOMPARE(upper->grid->TopRow(), 1);
        turn(upper->grid->viewport(), QPoint(20, 20), -120);
        QVERIFY(upper->grid->TopRow() > 1);
        QCOMPARE(lower->grid->TopRow(), 1);
        QVERIFY(lower->rotations.isEmpty());

        WheelUnhook(upper->window.get());
        QVERIFY(!IsWheelHooked(upper->window.get()));
        QVERIFY(IsWheelHooked(lower->window.get()));
        const int top = upper->grid->TopRow();
        turn(upper->grid->viewport(), QPoint(20, 20), -120);
        QCOMPARE(upper->grid->TopRow(), top); // the grid alone does not scroll
        QCOMPARE(upper->rotations.size(), 2);
        WheelUnhook(lower->window.get());
    }

    void errorsStayInsideTheHook()
    {
        QWidget window;
        window.resize(200, 200);
        WheelHook(&window, [](int, int, int, int) { throw PlatformError(5, QStringLiteral("boom")); });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        turn(&window, QPoint(10, 10), -120); // must simply return
        WheelUnhook(&window);
    }

    void aDestroyedWindowLeavesTheHook()
    {
        auto w = makeWindow(QPoint(0, 0));
        QWidget *raw = w->window.get();
        w->window.reset();
        QVERIFY(!IsWheelHooked(raw));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int status = 0;
    {
        TestGridContent t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestGridSort t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestGridMouseAndKeys t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestGridScrolling t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestWheelHook t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_grid.moc"
