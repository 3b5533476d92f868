// The number rule: what counts as a number, what it is worth and how it is written into SQL, and
// that every place deciding numbers decides the same: the grid's sorting and alignment,
// IsNumeric and CDbl, and the amount bounds of the filter dialogs.
#include "platform/NumberRule.h"
#include "platform/VbRuntime.h"
#include "shell/FilterDialog.h"
#include "testsupport.h"

namespace {

// Which side of cell (1, 0) the grid draws its text on: -1 nothing drawn, 0 left, 1 right.
int drawnSide(MSFlexGrid &g)
{
    const QImage img = g.viewport()->grab().toImage();
    const int rh = toPixels(g.RowHeight(0));
    const int w = toPixels(g.ColWidth(0));
    int minX = w;
    for (int y = rh + 2; y < 2 * rh - 2; ++y)
        for (int x = 1; x < w - 2; ++x)
            if (qGray(img.pixel(x, y)) < 128)
                minX = std::min(minX, x);
    if (minX == w)
        return -1;
    return minX > w / 2 ? 1 : 0;
}

// The cell text of row 1 after a generic sort of [reference, text], ascending or descending.
QString firstAfterSort(MSFlexGrid &g, const QString &reference, const QString &text, int order)
{
    g.setTextMatrix(1, 0, reference);
    g.setTextMatrix(2, 0, text);
    g.setRow(0);
    g.setCol(0);
    g.setSort(order);
    return g.TextMatrix(1, 0);
}

} // namespace

class TestNumbers : public QObject {
    Q_OBJECT
    std::unique_ptr<GridForm> m_grid;
    XPTextBox *m_bound = nullptr;

private slots:
    void initTestCase()
    {
        m_grid = std::make_unique<GridForm>(QList<QStringList>{{"Importo"}, {""}, {""}});
        m_grid->grid.setColWidth(0, 4500);
        m_grid->grid.setGeometry(0, 0, 400, 120);
        m_bound = new XPTextBox(&m_grid->form, QStringLiteral("txtImportoDa"));
        m_grid->form.resize(420, 160);
        m_grid->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_grid->form));
    }
    void cleanupTestCase() { m_grid.reset(); }

    void rule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<QString>("sql");
        auto row = [](const char *name, const QString &text, bool ok, const char *sql) {
            QTest::newRow(name) << text << ok << QString::fromLatin1(sql);
        };
        row("comma decimal", "12,5", true, "12.5");
        row("thousands and comma", "1.250,50", true, "1250.5");
        row("stored form", "12.50", true, "12.5");
        row("leading zeros", "0012", true, "12");
        row("sixteen digits", "1234567890123456", true, "1234567890123456");
        row("no comma, one point", "1.250", true, "1.25");
        row("negative", "-3,5", true, "-3.5");
        row("blanks around", "  12,5 ", true, "12.5");
        row("display form with euro", "1.234,50 €", true, "1234.5");
        row("no-break spaces around", "\u00A012,5\u00A0", true, "12.5");
        row("narrow no-break space before euro", "1.234,50\u202F€", true, "1234.5");
        row("emoji", "12😀", false, "");
        row("trailing comma", "12,", true, "12");
        row("leading comma", ",5", true, "0.5");
        row("negative zero", "-0", true, "0");
        row("letter", "12a", false, "");
        row("two commas", "1,2,3", false, "");
        row("exponent", "1e3", false, "");
        row("groups without comma", "1.000.000", false, "");
        row("point after comma", "12,5.3", false, "");
        row("bad grouping", "12.50,3", false, "");
        row("long first group", "1234.567,0", false, "");
        row("empty", "", false, "");
        row("sign only", "-", false, "");
        row("euro only", "€", false, "");
        row("inner blank", "12 5", false, "");
        row("sql in it", "1; drop table x", false, "");
        row("hex", "0x10", false, "");
        row("too many digits", QString(400, QLatin1Char('9')), false, "");
    }
    void rule()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(QString, sql);
        const std::string utf8 = text.toStdString();

        // The rule itself, on texts and on UTF-8 cells.
        QCOMPARE(NumberRule::isNumber(text), isNumber);
        QCOMPARE(NumberRule::read(std::string_view(utf8)).has_value(), isNumber);
        const std::optional<QString> amount = NumberRule::amountSql(text);
        QCOMPARE(amount.has_value(), isNumber);
        if (isNumber) {
            QCOMPARE(*amount, sql);
            QCOMPARE(*NumberRule::read(std::string_view(utf8)), *NumberRule::read(text));
        }

        // IsNumeric and CDbl.
        QCOMPARE(vb::IsNumeric(text), isNumber);
        if (isNumber)
            QCOMPARE(vb::CDbl(text), *NumberRule::read(sql));
        else
            QVERIFY_THROWS_EXCEPTION(PlatformError, vb::CDbl(text));

        // The grid: a number sorts among the numbers at its value (equal to the SQL form it
        // is written as, so a stable sort keeps the pair in order both ways), a text after
        // every number; a number is drawn at the right of its cell, a text at the left.
        MSFlexGrid &g = m_grid->grid;
        const QString reference = isNumber ? sql : QStringLiteral("0");
        QCOMPARE(firstAfterSort(g, reference, text, 1), reference);
        QCOMPARE(firstAfterSort(g, reference, text, 2), isNumber ? reference : text);
        g.setTextMatrix(1, 0, text);
        const int side = drawnSide(g);
        QCOMPARE(side == 1, isNumber);

        // A typed amount bound of a filter: the number as SQL writes it, or the refusal.
        m_bound->setText(text);
        FilterWhere where;
        where.addAmountFrom(QStringLiteral("a.Importo"), m_bound);
        if (isNumber) {
            QVERIFY(!where.refused());
            QCOMPARE(where.text(), "a.Importo >= " + sql + " ");
        } else if (!text.trimmed().isEmpty()) {
            QCOMPARE(where.refusal(), kBadAmountFrom);
            QCOMPARE(where.text(), QString());
        } else {
            QVERIFY(!where.refused() && where.text().isEmpty()); // an empty bound is no bound
        }
    }

    void sqlNotationRoundTrips()
    {
        for (double v : {0.1, 1234567.89, 1e-7, 123456789012345.0, -0.5, 99.99})
            QCOMPARE(NumberRule::read(NumberRule::toSql(v)).value(), v);
        QVERIFY(!NumberRule::toSql(1e20).contains(QLatin1Char('e')));
    }
};

QTEST_MAIN(TestNumbers)
#include "tst_numbers.moc"
