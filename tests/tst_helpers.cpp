// SQL literal helpers, existence tests, form helpers and the Italian conversions they rest on.
#include "platform/ShellLaunch.h"
#include "platform/VbRuntime.h"
#include "shell/basRegistering.h"
#include "testsupport.h"
#include <QRandomGenerator>
#include <cmath>

class TestHelpers : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void quotingListsAndFlags()
    {
        QCOMPARE(Pad("O'Brien") + Pad("senza") + Pad("''"), QStringLiteral("O''Briensenza''''"));
        // The search resumes after the replacement and ignores case.
        QCOMPARE(StringReplace("aXbxc", "x", "xx"), QStringLiteral("axxbxxc"));
        QCOMPARE(PutTicksIn("a,  b"), QStringLiteral("'a', ' b'"));
        QCOMPARE(wrapbooleanchk(1) + wrapbooleanchk(2) + wrapbooleanchk(0), QStringLiteral("TrueFalseFalse"));
        QCOMPARE(BooleanToString(1) + BooleanToString(2) + BooleanToString(0), QStringLiteral("VeroVeroFalso"));
        NO_BOXES();
        QCOMPARE(BooleanToString(QVariant()), QString());
        QVERIFY(prompts().value(0).endsWith("in procedure BooleanToString of Modulo basRegistering"));
    }

    void datesAndConversions()
    {
        QCOMPARE(FormattaData(QDateTime(QDate(2011, 8, 23), QTime(15, 7, 9))), QStringLiteral("2011-08-23 15:07:09"));
        QCOMPARE(FormattaData("23/08/2011"), QStringLiteral("2011-08-23 00:00:00"));
        QCOMPARE(FormattaData("2011-08-23 10:00:00"), QStringLiteral("2011-08-23 10:00:00"));
        NO_BOXES();
        QCOMPARE(FormattaData("31/02/2011"), QString());
        QCOMPARE(DialogScript::boxes().size(), 1);
        gDbType = "sqllite"; // other letter case matches no kind
        QCOMPARE(FormattaData("23/08/2011"), QString());
        QCOMPARE(concatSql("a", "b", "c"), QString());

        QCOMPARE(vb::Str(12.5), QStringLiteral("12,5"));
        QVERIFY_THROWS_EXCEPTION(PlatformError, vb::CInt("grande"));
        QVERIFY_THROWS_EXCEPTION(PlatformError, vb::CInt("40000"));
        QCOMPARE(vb::CInt("2,5"), short(2)); // halves to even
        QVERIFY(vb::Like("DataNascita", "Data*") && !vb::Like("dataNascita", "Data*"));
        QVERIFY(vb::Like("TIPOLOGIAID", "*ID") && vb::Like("Expr1000", "Expr100*"));
    }

    // The grids read and write dates and amounts as UTF-8, beside the QString conversions: the
    // two ways must give the same, value for value.
    void utf8ConversionsMatchTheQStringOnes()
    {
        // Amounts: ties (the locale rounds them away from zero), a negative zero, values that
        // round to zero, the largest taken and the first refused.
        QList<double> amounts = {0,     -0.0,          0.125,           -0.125,           0.375,    2.675,
                                 1.005, -0.004,        -0.005,          999.995,          -999.995, 1234.5,
                                 1e6,   123456789.125, 999999999999.99, -999999999999.99, 0.01,     1e-300};
        QRandomGenerator rnd(11);
        for (int i = 0; i < 500; ++i) {
            amounts << double(qint64(rnd.bounded(2000000000)) - 1000000000) / 100.0
                    << double(qint64(rnd.bounded(80000)) - 40000) / 8.0
                    << (rnd.generateDouble() - 0.5) * std::pow(10.0, int(rnd.bounded(16)) - 3);
        }
        char text[32];
        for (double a : amounts) {
            const size_t n = vb::FormatAmountUtf8(a, text);
            QVERIFY(n > 0);
            QCOMPARE(QString::fromUtf8(text, qsizetype(n)), vb::FormatAmount(a));
        }
        for (double a : {1e12, -1e12, 1e300, std::nan(""), HUGE_VAL})
            QCOMPARE(vb::FormatAmountUtf8(a, text), size_t(0)); // left to FormatAmount

        // Dates: the stored forms read directly, every other text as ParseDateParts reads it.
        QStringList dates =
            QStringLiteral(
                "2024-02-29|2023-02-29|1900-02-29|2000-02-29 23:59:59|0000-01-01|0001-01-01|9999-12-31 23:59:59|"
                "2024-13-01|2024-00-10|2024-01-00|2024-01-32|2024-04-31|2024-01-01 24:00:00|2024-01-01 23:60:00|"
                "2024-01-01 23:59:60| 2024-01-01|2024-01-01T10:00:00|2024-01-01 10:00|1899-12-30|1899-12-29|"
                "1/1/2000|31.12.99 12.30|\u00A02024-01-01\u00A0|2024-01-01 10:00:00 |2024-1-1|２０２４-01-01|"
                "2024/01/01|oggi|")
                .split('|');
        for (int i = 0; i < 500; ++i) {
            const QDate d = QDate(1, 1, 1).addDays(rnd.bounded(3652058));
            dates << d.toString(i % 2 ? "yyyy-MM-dd" : "yyyy-MM-dd 'X'")
                         .replace("X", QStringLiteral("%1:%2:%3")
                                           .arg(rnd.bounded(25), 2, 10, QLatin1Char('0'))
                                           .arg(rnd.bounded(61), 2, 10, QLatin1Char('0'))
                                           .arg(rnd.bounded(61), 2, 10, QLatin1Char('0')));
        }
        for (const QString &t : dates) {
            const QByteArray utf8 = t.toUtf8();
            const std::string_view view(utf8.constData(), size_t(utf8.size()));
            QDate date, viewDate;
            QTime time, viewTime;
            const bool ok = vb::ParseDateParts(t, date, time);
            QCOMPARE(vb::ParseDateParts(view, viewDate, viewTime), ok);
            const std::optional<qint64> seconds = vb::DateSeconds(view);
            QVERIFY2(seconds.has_value() == ok, qPrintable(t));
            if (ok) {
                QCOMPARE(viewDate, date);
                QCOMPARE(viewTime, time);
                QCOMPARE(*seconds, qint64(vb::DateSerial(date)) * 86400 + time.msecsSinceStartOfDay() / 1000);
            }
        }
        QCOMPARE(vb::DateSeconds("1899-12-31 00:00:01").value_or(-1), qint64(86401));
    }

    void existenceAndConcatenation()
    {
        TestProgram prog;
        const QString expr = concatSql("cognome", "' '", "nome");
        QCOMPARE(expr, QStringLiteral(" (ifnull(cognome,'') || ifnull(' ','') || ifnull(nome,'')) "));
        gRsOpen("select " + expr + " as n from (select 'Rossi' as cognome, null as nome)");
        QCOMPARE(gRs().Fields()("n").Value().toString(), QStringLiteral("Rossi "));
        CloseDb();

        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (12, 'd''Amico'), (7, 'Socio')");
        QVERIFY(!esisteRecord("tipologiapersone", "tipologiaid", 13, "N"));
        QVERIFY(esisteRecord("tipologiapersone", "tipologia", "d'Amico", "S"));
        // The row being edited is left out; an empty exclusion field ignores the value.
        QVERIFY(!esisteRecord("tipologiapersone", "tipologia", "d'Amico", "S", "tipologiaid", 12));
        QVERIFY(esisteRecord("tipologiapersone", "tipologia", "d'Amico", "S", "", 12));
        QVERIFY(esisteRecordSQL("select count(*) as conteggio from tipologiapersone where tipologia='Socio'"));
        NO_BOXES();
        // A failing count says so and answers "no such row".
        QVERIFY(!esisteRecord("tabellainesistente", "x", 1, "N"));
        QVERIFY(!DialogScript::boxes().isEmpty());
    }

    void preparingAWindow()
    {
        Form f("frmProva");
        auto *print = new XPButton(&f, "cmdPrint", "S&tampa scheda del cliente");
        auto *close = new XPButton(&f, "cmdClose", "Esci");
        auto *ok = new XPButton(&f, "cmdOK", "Ok");
        auto *other = new XPButton(&f, "cmdAltro", "esci");
        auto *label = new XPLabel(&f, "lblNome", "Nome");
        auto *combo = new XPComboBox(&f, "cboTipo");
        combo->setEditable(true);
        new XPForm(&f, "OsenXPForm1", "Prova");
        DisattivaTabstop(&f);
        QCOMPARE(QStringList({print->Caption(), close->Caption(), ok->Caption(), other->Caption()}),
                 QStringList({"S&tampa scheda del cliente", "E&sci", "&Ok", "esci"}));
        QCOMPARE(f.control("CMDOK"), static_cast<Control *>(ok)); // found without regard to case
        QVERIFY(!label->TabStop());
        QVERIFY(combo->DropDownList && !combo->isEditable());
        // A window larger than the screen is centred off its edges.
        f.resize(toPixels(Screen::Width()) + 200, toPixels(Screen::Height()) + 100);
        CenterForm(&f);
        QVERIFY(f.Top() < 0 && f.Left() < 0);
    }

    void sortingByDate()
    {
        GridForm header(QList<QStringList>{{"N", "Data"}});
        sortGridByDate(&header.grid, 1, 3); // header only: nothing changes
        QCOMPARE(header.grid.Cols(), 2);
        GridForm w({{"N", "Data"},
                    {"0", "2011-08-23 00:00:00"},
                    {"1", ""},
                    {"2", "05/01/2010"},
                    {"3", "2011-08-23 09:30:00"},
                    {"4", "2009-12-31 00:00:00"}});
        MSFlexGrid &grid = w.grid;
        sortGridByDate(&grid, 1, 3);
        QCOMPARE(grid.Cols(), 2);
        QCOMPARE(column(&grid, 0), (QStringList{"1", "4", "2", "0", "3"}));
        sortGridByDate(&grid, 1, 4);
        QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("3"));
        // A cell that is no date: the error exit, the rows as they were, no helper column left.
        grid.setTextMatrix(2, 1, "domani");
        const QStringList before = column(&grid, 0);
        sortGridByDate(&grid, 1, 3);
        QCOMPARE(grid.Cols(), 2);
        QCOMPARE(column(&grid, 0), before);
        QVERIFY(prompts().last().endsWith("in procedure sortGridByDate of Modulo basGeneralCustom"));
    }

    void launchingTheBrowser()
    {
        TestProgram prog;
        QString opened;
        ShellLaunch::setFindHook([](const QString &) { return QString(); });
        LaunchBrowser("https://example.invalid/", nullptr);
        QCOMPARE(boxLog(), QStringList{msg("Could not find associated Browser", 48, "Browser Not Found")});

        ShellLaunch::setFindHook([](const QString &) { return QStringLiteral("/usr/bin/browser"); });
        ShellLaunch::setExecuteHook([&](const QString &, const QString &a) {
            opened = a;
            return false;
        });
        LaunchBrowser("https://example.invalid/", nullptr);
        QCOMPARE(boxLog().last(), msg("Unable to open Web Page."));
        QCOMPARE(opened, QStringLiteral("https://example.invalid/"));

        ShellLaunch::setExecuteHook([&](const QString &, const QString &) { return true; });
        LaunchBrowser("", nullptr);
        LaunchBrowser("https://example.invalid/", nullptr);
        QCOMPARE(DialogScript::boxes().size(), 2);
        QVERIFY(!QFileInfo::exists(prog.folder() + "/test.htm"));
        // A placeholder that cannot be written is told and not left behind.
        if (QFileInfo::exists("/dev/full")) {
            QVERIFY(QFile::link("/dev/full", prog.folder() + "/test.htm"));
            DialogScript::reset();
            LaunchBrowser("https://example.invalid/", nullptr);
            QCOMPARE(prompts().size(), 1);
            QVERIFY(prompts().first().endsWith("in procedure LaunchBrowser of Modulo basGeneral"));
            QVERIFY(!QFileInfo(prog.folder() + "/test.htm").isSymLink());
        }
        ShellLaunch::setFindHook({});
        ShellLaunch::setExecuteHook({});
    }
};

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
