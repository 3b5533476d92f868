// The total line of the list pattern: the amounts a list shows, their sum under the grid, where
// that line stands, when it is hidden, and that it follows a deletion and ends the printout.
#include "platform/VbRuntime.h"
#include "shell/ListWindow.h"
#include "testsupport.h"

namespace {

QString gWhereMovimenti;

const QString kMovimenti =
    QStringLiteral("SELECT a.MOVIMENTOID, a.Descrizione, a.Importo, a.ImportoNetto, a.Quota FROM Movimenti a ");

// A register list with a total line, or (report) a read-only one filled from any query.
class frmMovimenti : public ListWindow {
public:
    explicit frmMovimenti(bool report = false) : ListWindow(QStringLiteral("frmMovimenti"), desc(report, &mMOVIMENTOID))
    {
        resize(toPixels(10000), toPixels(6000));
        OsenXPForm1->Move(0, 0, 10000, 450);
        cmdPrintGrid->Move(480, 840, 1095, 375);
        cmdClose->Move(1680, 840, 1095, 375);
        MSFlexGrid1->Move(480, 1440, 9000, 3600);
    }
    double mMOVIMENTOID = 0;
    void fillFrom(const QString &sql) { fillGridFrom(sql); }

private:
    static ListWindowDesc desc(bool report, double *key)
    {
        ListWindowDesc d;
        d.caption = QStringLiteral("Movimenti");
        d.key = key;
        d.listQuery = kMovimenti;
        d.listQueryTail = QStringLiteral(" order by a.MOVIMENTOID ");
        d.filterSlot = &gWhereMovimenti;
        d.oneRowQuery = [](const QString &id) { return kMovimenti + QStringLiteral("WHERE MOVIMENTOID = ") + id; };
        d.newestKeyQuery = QStringLiteral("SELECT MAX(MOVIMENTOID) FROM Movimenti ");
        d.deleteStatements = [](const QString &id) {
            return QStringList{QStringLiteral("DELETE From Movimenti WHERE MOVIMENTOID = ") + id};
        };
        d.printSubtitle = [] { return QStringLiteral("Norvik - Movimenti"); };
        if (report) {
            d.editing = false;
            d.totalFields = QStringLiteral("*Import*");
            d.totalCaption = QStringLiteral("Importo complessivo degli importi visualizzati: ");
        } else {
            d.totalFields = QStringLiteral("Importo*");
            d.totalCaption = QStringLiteral("Importo complessivo dei movimenti visualizzati: ");
        }
        return d;
    }
};

// Amounts as a register may hold them: numbers, Null, a number kept as text with a decimal
// comma, and a text that is no number.
void seed(const TestProgram &prog)
{
    prog.exec(QStringLiteral(
        "CREATE TABLE Movimenti (MOVIMENTOID INTEGER PRIMARY KEY, Descrizione TEXT, Importo NUMERIC,"
        " ImportoNetto NUMERIC, Quota NUMERIC);"
        "INSERT INTO Movimenti VALUES (1, 'Quota', 1234.5, 1000, 12.5), (2, 'Tessera', 10, NULL, 1),"
        " (3, 'Omaggio', NULL, NULL, NULL), (4, 'Vecchio', '20,25', 20, 2), (5, 'Da verificare', 'n/d', NULL, 3),"
        " (6, 'Storno', -0.5, -0.5, 4);"));
}

int rowOf(const MSFlexGrid *g, const QString &descrizione) { return int(column(g, 1).indexOf(descrizione)) + 1; }

} // namespace

class TestListTotal : public QObject {
    Q_OBJECT
private slots:
    void init() { gWhereMovimenti.clear(); }

    void amountsTheirSumAndADeletion()
    {
        TestProgram prog;
        seed(prog);
        frmMovimenti w;
        w.Load();
        NO_BOXES();
        MSFlexGrid *g = w.MSFlexGrid1;
        // Every field named like the pattern, shown as an amount; Null empty, a text that is no
        // number as it is; other numbers untouched.
        QCOMPARE(column(g, 2), QStringList({"1.234,50 €", "10,00 €", "", "20,25 €", "n/d", "-0,50 €"}));
        QCOMPARE(column(g, 3), QStringList({"1.000,00 €", "", "", "20,00 €", "", "-0,50 €"}));
        QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("12,5"));
        QCOMPARE(w.lblTotaleImporti->Caption(),
                 QStringLiteral("Importo complessivo dei movimenti visualizzati: 2.283,75 €"));
        QVERIFY(w.lblTotaleImporti->Visible());

        // The shown amounts sort by their value.
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 2);
        MSFlexGrid::TestSeam::mouseUp(*g, 0, 2);
        QCOMPARE(column(g, 2), QStringList({"-0,50 €", "10,00 €", "20,25 €", "1.234,50 €", "", "n/d"}));

        // Deleting a row with the Delete key: the list is read again and the total follows.
        clickRow(g, rowOf(g, "Storno"));
        DialogScript::answerMessage(6);
        QTest::keyClick(g, Qt::Key_Delete);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(prog.scalar("select count(*) from Movimenti"), QStringLiteral("5"));
        QCOMPARE(column(g, 1), QStringList({"Quota", "Tessera", "Omaggio", "Vecchio", "Da verificare"}));
        QCOMPARE(w.lblTotaleImporti->Caption(),
                 QStringLiteral("Importo complessivo dei movimenti visualizzati: 2.284,75 €"));
        DialogScript::reset();

        // A filter sums only what it shows; no row shows a zero total.
        gWhereMovimenti = QStringLiteral("a.Descrizione Like 'Q%'");
        w.FillGrid();
        QCOMPARE(w.lblTotaleImporti->Caption(),
                 QStringLiteral("Importo complessivo dei movimenti visualizzati: 2.234,50 €"));
        gWhereMovimenti = QStringLiteral("1 = 0");
        w.FillGrid();
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0 Records"));
        QCOMPARE(w.lblTotaleImporti->Caption(),
                 QStringLiteral("Importo complessivo dei movimenti visualizzati: 0,00 €"));
        QVERIFY(w.lblTotaleImporti->Visible());
        NO_BOXES();
    }

    void placedUnderTheGridAndPrintedAfterTheTable()
    {
        TestProgram prog;
        seed(prog);
        frmMovimenti w;
        w.Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        XPLabel *total = w.lblTotaleImporti;
        MSFlexGrid *g = w.MSFlexGrid1;
        // Under the grid and inside the window, sized to its caption, whatever the window's size.
        for (const QSize size : {QSize(900, 520), QSize(200, 150)}) {
            w.resize(size);
            QVERIFY(total->Top() >= g->Top() + g->Height());
            QVERIFY(total->Top() + total->Height() <= w.ScaleHeight());
            QCOMPARE(total->width(), total->sizeHint().width());
        }
        w.cmdPrintGrid->click();
        NO_BOXES();
        QVERIFY2(w.web->html().endsWith("<td>-0,50 €</td><td>-0,50 €</td><td>4</td></tr></table>"
                                        "Importo complessivo dei movimenti visualizzati: 2.283,75 €</body></html>"),
                 qPrintable(w.web->html().right(200)));
    }

    void readOnlyListShowsTheLineOnlyWithAmounts()
    {
        TestProgram prog;
        seed(prog);
        frmMovimenti w(true);
        w.Load();
        QVERIFY(!w.cmdAdd && !w.cmdDelete && !w.cmdSelect);
        XPLabel *total = w.lblTotaleImporti;
        const QString prefix = QStringLiteral("Importo complessivo degli importi visualizzati: ");
        QCOMPARE(total->Caption(), prefix + "2.283,75 €");
        QVERIFY(total->Visible());
        // Rows but no amount column: hidden, and left out of the printout; an empty result leaves
        // it as it was.
        w.fillFrom(QStringLiteral("SELECT Descrizione, Quota FROM Movimenti"));
        w.cmdPrintGrid->click();
        QVERIFY(w.web->html().endsWith("</table></body></html>"));
        w.fillFrom(QStringLiteral("SELECT Importo FROM Movimenti WHERE 0"));
        QVERIFY(!total->Visible());
        // The pattern matches anywhere in the name and with its letter case: two amount
        // columns add into one sum, a lower-case one is neither formatted nor summed.
        w.fillFrom(QStringLiteral("SELECT Descrizione, Importo * 2 AS DoppioImporto, Importo AS importo, "
                                  "ImportoNetto FROM Movimenti WHERE MOVIMENTOID IN (1, 6)"));
        QVERIFY(total->Visible());
        QCOMPARE(gridRow(w.MSFlexGrid1, 1), QStringList({"Quota", "2.469,00 €", "1234,5", "1.000,00 €"}));
        QCOMPARE(total->Caption(), prefix + "3.467,50 €");
        w.fillFrom(QStringLiteral("SELECT Importo FROM Movimenti WHERE 0"));
        QVERIFY(total->Visible());
        QCOMPARE(total->Caption(), prefix + "0,00 €");
        NO_BOXES();
        // A query the database refuses: its message, no rows, and a zero total rather than the
        // total of the rows shown before.
        w.fillFrom(QStringLiteral("SELECT Importo FROM Movimenti"));
        QCOMPARE(total->Caption(), prefix + "1.264,25 €");
        w.fillFrom(QStringLiteral("SELECT Importo FROM Nessuna"));
        QVERIFY(!DialogScript::boxes().isEmpty());
        QCOMPARE(w.MSFlexGrid1->Rows(), 1);
        QCOMPARE(total->Caption(), prefix + "0,00 €");
    }

    // A fill reads each value as SQLite stores it: the amounts, flags and texts a register may
    // hold in any storage class come out as the shell's conversions make them, and a column a
    // list writes itself goes through its hook alone, a failing cell left empty in its place.
    void valuesOfEveryStorageClass()
    {
        TestProgram prog;
        prog.exec(QStringLiteral(
            "CREATE TABLE Valori (ID INTEGER PRIMARY KEY, Nota TEXT, Importo, SuPiazza);"
            "INSERT INTO Valori VALUES (1, 'uno', 12, 1), (2, 'due', 0.125, 0), (3, NULL, '1.234,50', 2),"
            " (4, 'quattro', 'n/d', NULL), (5, 'cinque', NULL, 0.4), (6, 'sei', -0.0, 1.5),"
            " (7, 'sette', 1e13, 0.5), (8, 'otto', X'31', '1'), (9, 'nove', -2.675, -1),"
            " (10, 'dieci', 5, 40000), (11, 'undici', 7, 'sì');"));
        frmMovimenti w(true);
        QList<int> columns;
        ListWindow::TestSeam::writeCells(
            w, [](int, const QString &name) { return name == QLatin1String("Nota"); },
            [&columns](const Field &field, int col) {
                columns << col;
                if (field.Text() == QLatin1String("quattro"))
                    throw PlatformError(5, QStringLiteral("Invalid procedure call or argument"));
                return field.Text().toUpper();
            });
        w.fillFrom(QStringLiteral("SELECT ID, Nota, Importo, SuPiazza FROM Valori ORDER BY ID"));
        MSFlexGrid *g = w.MSFlexGrid1;
        QCOMPARE(column(g, 1),
                 QStringList({"UNO", "DUE", "", "", "CINQUE", "SEI", "SETTE", "OTTO", "NOVE", "DIECI", "UNDICI"}));
        QCOMPARE(columns, QList<int>(11, 1));
        QCOMPARE(column(g, 2), QStringList({"12,00 €", "0,13 €", "1.234,50 €", "n/d", "", "0,00 €",
                                            "10.000.000.000.000,00 €", "1,00 €", "-2,67 €", "5,00 €", "7,00 €"}));
        const double sum = 12 + 0.125 + 1234.5 + 0.0 + 1e13 + 1 + -2.675 + 5 + 7;
        QCOMPARE(w.lblTotaleImporti->Caption(),
                 "Importo complessivo degli importi visualizzati: " + vb::FormatAmount(sum) + " €");
        QCOMPARE(column(g, 3),
                 QStringList({"Vero", "Falso", "Vero", "", "Falso", "Vero", "Falso", "Vero", "Vero", "", ""}));
        // A flag beyond its 16-bit range or no number at all: the conversion's own message.
        QCOMPARE(prompts(), QStringList({"Error 6 (Overflow) in procedure BooleanToString of Modulo basRegistering",
                                         "Error 13 (Type mismatch) in procedure BooleanToString of Modulo "
                                         "basRegistering"}));
        DialogScript::reset();

        // With the log on, every flag word is traced, as every call of the conversion is.
        gLogStatus = QStringLiteral("ON");
        w.fillFrom(QStringLiteral("SELECT SuPiazza FROM Valori WHERE ID <= 4"));
        gLogStatus = QStringLiteral("OFF");
        QFile log(prog.folder() + QStringLiteral("/brumlet3.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("basRegistering::BooleanToString"), 3);
        QCOMPARE(column(g, 0), QStringList({"Vero", "Falso", "Vero", ""}));
        NO_BOXES();
    }

    // Flag columns read "Vero" for every value but 0, whatever list shows them; a flag the
    // dialogs never wrote stays empty without a message per row.
    void flagColumnsShowTheirWords()
    {
        TestProgram prog;
        prog.exec(QStringLiteral("CREATE TABLE Flags (ID INTEGER PRIMARY KEY, SuPiazza INTEGER, Trasferibile INTEGER,"
                                 " Sbarrato INTEGER, GirataPiena INTEGER, Altro INTEGER);"
                                 "INSERT INTO Flags VALUES (1, 0, 1, 2, NULL, 1);"));
        frmMovimenti w(true);
        w.fillFrom(QStringLiteral("SELECT SuPiazza, Trasferibile, Sbarrato, GirataPiena, Altro, "
                                  "SuPiazza AS supiazza FROM Flags"));
        QCOMPARE(gridRow(w.MSFlexGrid1, 1), QStringList({"Falso", "Vero", "Vero", "", "1", "0"}));
        NO_BOXES();
    }
};

QTEST_MAIN(TestListTotal)
#include "tst_list_total.moc"
