// The number rule: what counts as a number, what it is worth, and how it is written into SQL.
#include "platform/NumberRule.h"
#include <QtTest>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
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
        row("millions", "1.234.567,89", true, "1234567.89");
        row("stored form", "12.50", true, "12.5");
        row("integer", "40000", true, "40000");
        row("no comma, one point", "1.250", true, "1.25");
        row("negative", "-3,5", true, "-3.5");
        row("plus sign", "+7", true, "7");
        row("blanks around", "  12,5 ", true, "12.5");
        row("display form with euro", "1.234,50 €", true, "1234.5");
        row("no-break spaces around", "\u00A012,5\u00A0", true, "12.5");
        row("narrow no-break space before euro", "1.234,50\u202F€", true, "1234.5");
        row("accented letter", "12è", false, "");
        row("emoji", "12😀", false, "");
        row("trailing comma", "12,", true, "12");
        row("trailing point", "12.", true, "12");
        row("leading comma", ",5", true, "0.5");
        row("leading point", ".5", true, "0.5");
        row("zero", "0,00", true, "0");
        row("negative zero", "-0", true, "0");
        row("letter", "12a", false, "");
        row("two commas", "1,2,3", false, "");
        row("exponent", "1e3", false, "");
        row("two points", "1.2.3", false, "");
        row("point after comma", "12,5.3", false, "");
        row("bad grouping", "12.50,3", false, "");
        row("short last group", "1.25,0", false, "");
        row("long first group", "1234.567,0", false, "");
        row("empty", "", false, "");
        row("blanks", "   ", false, "");
        row("sign only", "-", false, "");
        row("comma only", ",", false, "");
        row("euro only", "€", false, "");
        row("inner blank", "12 5", false, "");
        row("quote", "1'0", false, "");
        row("sql in it", "1; drop table x", false, "");
        row("hex", "0x10", false, "");
        row("infinity", "inf", false, "");
        row("too many digits", QString(400, QLatin1Char('9')), false, "");
    }
    void rule()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(QString, sql);
        QCOMPARE(NumberRule::isNumber(text), isNumber);
        QCOMPARE(NumberRule::read(std::string_view(text.toUtf8().constData())).has_value(), isNumber);
        const std::optional<QString> amount = NumberRule::amountSql(text);
        QCOMPARE(amount.has_value(), isNumber);
        if (isNumber) {
            QCOMPARE(*amount, sql);
            QCOMPARE(*NumberRule::read(std::string_view(text.toUtf8().constData())), *NumberRule::read(text));
        }
    }

    void sqlNotationRoundTrips()
    {
        for (double v : {0.1, 1234567.89, 1e-7, 123456789012345.0, -0.5, 99.99})
            QCOMPARE(NumberRule::read(NumberRule::toSql(v)).value(), v);
        QVERIFY(!NumberRule::toSql(1e20).contains(QLatin1Char('e')));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
