// The number rule: what counts as a number, what it is worth and how it is written into SQL, and
// that every place deciding numbers decides the same: as typed, the amount bounds of the filter
// dialogs; as kept, the grid's sorting and alignment, IsNumeric and CDbl.
#include "banking/frmAssegniEmessi.h"
#include "banking/frmEditAssegniEmessi.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmPagamenti.h"
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

// The amount of record 1 as its dialog shows it for editing; then what `type` types over it (if
// anything), and OK.
template <class Dialog, class List>
QString amountShownThenSaved(double List::*key, const QString &type = QString())
{
    openForm<List>();
    Dialog *d = openEditDialog<Dialog, List>(key, false, 1);
    const QString shown = d->txtImporto->Text();
    if (!type.isNull())
        typeInto(d->txtImporto, type);
    clickOk(d);
    return shown;
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
        QTest::addColumn<QString>("typed");  // the SQL number a user typing the text means, "" none
        QTest::addColumn<QString>("stored"); // the SQL number the text stands for when kept
        // Typed or kept, the same.
        auto row = [](const char *name, const QString &text, bool ok, const char *sql) {
            const QString number = ok ? QString::fromLatin1(sql) : QString();
            QTest::newRow(name) << text << number << number;
        };
        // Without a comma, thousands when typed; the database's decimal point when kept.
        auto apart = [](const char *name, const QString &text, const char *typed, const char *stored) {
            QTest::newRow(name) << text << QString::fromLatin1(typed) << QString::fromLatin1(stored);
        };
        row("comma decimal", "12,5", true, "12.5");
        row("thousands and comma", "1.250,50", true, "1250.5");
        row("stored form", "12.50", true, "12.5");
        row("leading zeros", "0012", true, "12");
        row("sixteen digits", "1234567890123456", true, "1234567890123456");
        apart("one thousand", "1.000", "1000", "1");
        apart("no comma, one point", "1.250", "1250", "1.25");
        apart("groups without comma", "12.500.000", "12500000", "");
        apart("negative thousands with euro", "-1.250 €", "-1250", "-1.25");
        row("one decimal", "1.5", true, "1.5");
        row("zero first", "0.125", true, "0.125");
        row("zero-led group", "012.500", true, "12.5");
        row("four decimals", "1.2345", true, "1.2345");
        row("four-digit first group", "1250.500", true, "1250.5");
        row("uneven last group", "1.000.5", false, "");
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
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const std::string utf8 = text.toStdString();
        const bool isNumber = !stored.isEmpty();

        // As typed: the amount written into SQL.
        QCOMPARE(NumberRule::isTypedNumber(text), !typed.isEmpty());
        QCOMPARE(NumberRule::amountSql(text).value_or(QString()), typed);

        // As kept, on texts and on UTF-8 cells.
        QCOMPARE(NumberRule::isNumber(text), isNumber);
        QCOMPARE(NumberRule::read(std::string_view(utf8)).has_value(), isNumber);
        if (isNumber) {
            QCOMPARE(*NumberRule::read(text), *NumberRule::read(stored));
            QCOMPARE(*NumberRule::read(std::string_view(utf8)), *NumberRule::read(text));
        }

        // IsNumeric and CDbl read kept texts (keys, counts, settings, grid cells).
        QCOMPARE(vb::IsNumeric(text), isNumber);
        if (isNumber)
            QCOMPARE(vb::CDbl(text), *NumberRule::read(stored));
        else
            QVERIFY_THROWS_EXCEPTION(PlatformError, vb::CDbl(text));

        // The grid: a number sorts among the numbers at its value (equal to the SQL form it
        // is written as, so a stable sort keeps the pair in order both ways), a text after
        // every number; a number is drawn at the right of its cell, a text at the left.
        MSFlexGrid &g = m_grid->grid;
        const QString reference = isNumber ? stored : QStringLiteral("0");
        QCOMPARE(firstAfterSort(g, reference, text, 1), reference);
        QCOMPARE(firstAfterSort(g, reference, text, 2), isNumber ? reference : text);
        g.setTextMatrix(1, 0, text);
        const int side = drawnSide(g);
        QCOMPARE(side == 1, isNumber);

        // A typed amount bound of a filter: the number as SQL writes it, or the refusal.
        m_bound->setText(text);
        FilterWhere where;
        where.addAmountFrom(QStringLiteral("a.Importo"), m_bound);
        if (!typed.isEmpty()) {
            QVERIFY(!where.refused());
            QCOMPARE(where.text(), "a.Importo >= " + typed + " ");
        } else if (!text.trimmed().isEmpty()) {
            QCOMPARE(where.refusal(), kBadAmountFrom);
            QCOMPARE(where.text(), QString());
        } else {
            QVERIFY(!where.refused() && where.text().isEmpty()); // an empty bound is no bound
        }
    }

    // Each dialog with an amount shows a stored amount with its decimal comma and OK writes it
    // back as it was; an amount typed with thousands points is stored as thousands.
    void dialogsKeepStoredAmountsAndReadThousands()
    {
        TestProgram prog;
        seedShop(prog);
        const QString payment = QStringLiteral("select quote(Importo) from Pagamenti where PagamentiID = 1");
        const QString cheque = QStringLiteral("select quote(Importo) from AssegniEmessi where ASSEGNIEMESSIID = 1");
        const QList<QPair<double, QString>> stored = {{1.25, "1,25"},
                                                      {1250, "1250"},
                                                      {0.125, "0,125"},
                                                      {12500000, "12500000"},
                                                      {0.1 + 0.2, "0,30000000000000004"}};
        for (const auto &[value, shown] : stored) {
            prog.exec("update Pagamenti set Importo = " + NumberRule::toSql(value)
                      + " where PagamentiID = 1;"
                        "update AssegniEmessi set Importo = "
                      + NumberRule::toSql(value) + " where ASSEGNIEMESSIID = 1");
            const QString before = prog.scalar(payment);
            QCOMPARE(amountShownThenSaved<frmEditPagamenti>(&frmPagamenti::mPagamentiID), shown);
            QCOMPARE(amountShownThenSaved<frmEditAssegniEmessi>(&frmAssegniEmessi::mASSEGNIEMESSIID), shown);
            NO_BOXES();
            QCOMPARE(prog.scalar(payment), before);
            QCOMPARE(prog.scalar(cheque), before);
        }
        const QList<QPair<QString, QString>> typed = {{"1.250", "1250"}, {"12.500.000", "12500000"}};
        for (const auto &[text, sql] : typed) {
            amountShownThenSaved<frmEditPagamenti>(&frmPagamenti::mPagamentiID, text);
            amountShownThenSaved<frmEditAssegniEmessi>(&frmAssegniEmessi::mASSEGNIEMESSIID, text);
            NO_BOXES();
            QCOMPARE(prog.scalar(payment), sql);
            QCOMPARE(prog.scalar(cheque), sql);
        }
    }

    // A number written into SQL reads back as itself when kept, and shown for typing when typed.
    void sqlNotationRoundTrips()
    {
        for (double v : {0.1, 1234567.89, 1e-7, 123456789012345.0, -0.5, 99.99, 1.125, 0.1 + 0.2}) {
            QCOMPARE(NumberRule::read(NumberRule::toSql(v)).value(), v);
            QCOMPARE(NumberRule::readTyped(NumberRule::toTyped(v)).value(), v);
        }
        QVERIFY(!NumberRule::toSql(1e20).contains(QLatin1Char('e')));
    }
};

QTEST_MAIN(TestNumbers)
#include "tst_numbers.moc"
