#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/PlatformError.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "testsupport.h"
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QtTest>

namespace {
const QString kTail = QStringLiteral("</body></html>");

void endList(std::initializer_list<short> cols)
{
    int i = 1;
    for (short c : cols)
        gColonneEscluse[i++] = c;
    gColonneEscluse[i] = -1;
}

QStringList messages()
{
    QStringList out;
    for (const auto &b : DialogScript::boxes())
        out << QStringLiteral("%1|%2|%3").arg(b.prompt).arg(b.buttons).arg(b.title);
    return out;
}

// A dialog with one field of each kind; members go before the form they sit on.
struct TestDialog {
    explicit TestDialog(const QString &name) : form(name) {}
    Form form;
    WebBrowser web{&form, QStringLiteral("web")};
    XPLabel lblNome{&form, QStringLiteral("lblNome"), QStringLiteral("Nome <socio>")};
    XPTextBox txtNome{&form, QStringLiteral("txtNome")};
    XPLabel lblData{&form, QStringLiteral("lblData"), QStringLiteral("Data")};
    XPDTPicker dtpData{&form, QStringLiteral("dtpData")};
    XPLabel lblScadenza{&form, QStringLiteral("lblScadenza"), QStringLiteral("Scadenza")};
    XPDTPicker dtpScadenza{&form, QStringLiteral("dtpScadenza")};
    XPLabel lblTipo{&form, QStringLiteral("lblTipo"), QStringLiteral("Tipo")};
    XPComboBox cboTipo{&form, QStringLiteral("cboTipo")};
    XPCheckBox chkAttivo{&form, QStringLiteral("chkAttivo"), QStringLiteral("Attivo")};
    XPCheckBox chkPagato{&form, QStringLiteral("chkPagato"), QStringLiteral("Pagato")};
    XPLabel lblNote{&form, QStringLiteral("lblNote"), QStringLiteral("Note")};
    XPTextBox txtNote{&form, QStringLiteral("txtNote")};
    XPTextBox txtSenza{&form, QStringLiteral("txtSenza")};
    XPButton cmdOK{&form, QStringLiteral("cmdOK"), QStringLiteral("&OK")};
    XPLabel lblNome2{&form, QStringLiteral("lblNome"), QStringLiteral("Nome (bis)")};
};
}

class TestPrintPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void gridPrintout();
    void headerOnlyGridAndFontSize();
    void columnListWithoutEndMark();
    void browserFailures();
    void formPrintout();
    void formHeadings();
    void displayCopyForPreview();
    void realPreviewRendersPage();
};

void TestPrintPreview::initTestCase() { DialogScript::enable(); }

void TestPrintPreview::init()
{
    DialogScript::reset();
    gPrtCSize = 7;
    endList({});
}

void TestPrintPreview::gridPrintout()
{
    Form form(QStringLiteral("frmTest"));
    MSFlexGrid grid(&form, QStringLiteral("MSFlexGrid1"));
    WebBrowser web(&form, QStringLiteral("web"));
    grid.setRows(3);
    grid.setCols(5);
    const QStringList header{QStringLiteral("IDFIELD"), QStringLiteral("Cognome"), QStringLiteral("Tessera"),
                             QStringLiteral("Note"), QStringLiteral("Importo")};
    for (int c = 0; c < 5; ++c)
        grid.setTextMatrix(0, c, header[c]);
    grid.setColWidth(0, 0);
    grid.setTextMatrix(1, 0, QStringLiteral("17"));
    grid.setTextMatrix(1, 1, QStringLiteral("Rossi & Figli"));
    grid.setTextMatrix(1, 2, QStringLiteral("A-001"));
    grid.setTextMatrix(1, 3, QStringLiteral("<b>urgente</b> \"sì\""));
    grid.setTextMatrix(1, 4, QStringLiteral("1.234,50 €"));
    grid.setTextMatrix(2, 0, QStringLiteral("18"));
    grid.setTextMatrix(2, 2, QStringLiteral("A-002"));
    endList({2});

    initPrintPreview(&web);
    printWebSubtitle(&web, QStringLiteral("Negozio - Anagrafica <Clienti>"));
    printWebGrid(&grid, &web);
    printString(QStringLiteral("<b>Totale: 1.234,50 €</b>"), &web);
    endPrintPreview(&web);
    goPrintPreview(&web);

    const QString expected = kPageHead7 + kHeadingFont + QStringLiteral("Negozio - Anagrafica <Clienti></p>") + kGridTable
        + QStringLiteral("<tr><th>Cognome</th><th>Note</th><th>Importo</th></tr>"
                         "<tr><td>Rossi & Figli</td><td>&lt;b&gt;urgente&lt;/b&gt; \"sì\"</td><td>1.234,50 €</td></tr>"
                         "<tr><td></td><td></td><td></td></tr>"
                         "</table>"
                         "<b>Totale: 1.234,50 €</b>")
        + kTail;
    QCOMPARE(web.html(), expected);
    QCOMPARE(web.previewCount(), 1);
    QVERIFY(!web.documentOpen());
    QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(messages().join('\n')));
    QCOMPARE(formattaPerStampa(QStringLiteral("a<<b>>&'\"")), QStringLiteral("a&lt;&lt;b&gt;&gt;&'\""));
}

void TestPrintPreview::headerOnlyGridAndFontSize()
{
    Form form(QStringLiteral("frmTest"));
    MSFlexGrid grid(&form, QStringLiteral("MSFlexGrid1"));
    WebBrowser web(&form, QStringLiteral("web"));
    grid.setRows(1);
    grid.setCols(3);
    grid.setTextMatrix(0, 0, QStringLiteral("Data"));
    grid.setTextMatrix(0, 1, QStringLiteral("IDFIELD"));
    grid.setTextMatrix(0, 2, QStringLiteral("Causale"));
    // Both listed columns go, and the list stops at its end mark: 2 after it is not read.
    gColonneEscluse[1] = 1;
    gColonneEscluse[2] = -1;
    gColonneEscluse[3] = 2;

    gPrtCSize = 12;
    initPrintPreview(&web);
    printWebGrid(&grid, &web);
    endPrintPreview(&web);
    QString head12 = kPageHead7;
    head12.replace(QStringLiteral("7pt"), QStringLiteral("12pt"));
    QCOMPARE(web.html(), head12 + kGridTable + QStringLiteral("<tr><th>Data</th><th>Causale</th></tr></table>") + kTail);
    QCOMPARE(web.html().count(QStringLiteral("font-size: 12pt;")), 3);
    QVERIFY(DialogScript::boxes().isEmpty());
}

void TestPrintPreview::columnListWithoutEndMark()
{
    Form form(QStringLiteral("frmTest"));
    MSFlexGrid grid(&form, QStringLiteral("MSFlexGrid1"));
    WebBrowser web(&form, QStringLiteral("web"));
    grid.setRows(2);
    grid.setCols(2);
    grid.setTextMatrix(0, 0, QStringLiteral("A"));
    for (int i = 1; i <= 100; ++i)
        gColonneEscluse[i] = 5;

    // The print button's sequence carries on after the grid's own error exit.
    initPrintPreview(&web);
    printWebGrid(&grid, &web);
    endPrintPreview(&web);
    goPrintPreview(&web);

    QCOMPARE(messages(), QStringList{QStringLiteral(
        "Error 9 (Subscript out of range) in procedure printWebGrid of Modulo basPrintPreview|48|Norvik")});
    QCOMPARE(web.html(), kPageHead7 + kGridTable + QStringLiteral("<tr>") + kTail);
    QCOMPARE(web.previewCount(), 1);
}

void TestPrintPreview::browserFailures()
{
    Form form(QStringLiteral("frmTest"));
    WebBrowser web(&form, QStringLiteral("web"));
    QCOMPARE(web.Kind(), ControlKind::Browser);
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.ExecWB(7, 0));          // nothing written yet
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.Document().Write("x")); // never navigated
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.Navigate(QStringLiteral("http://example.com/")));
    // The print procedures report such failures through their own exit and return.
    goPrintPreview(&web);
    printString(QStringLiteral("x"), nullptr);
    QCOMPARE(messages().size(), 2);
    QVERIFY(messages()[0].startsWith(QLatin1String("Error 91 (")));
    QVERIFY(messages()[0].endsWith(QLatin1String(") in procedure goPrintPreview of Modulo basPrintPreview|48|Norvik")));
    QVERIFY(messages()[1].endsWith(QLatin1String(") in procedure printString of Modulo basPrintPreview|48|Norvik")));

    web.Navigate(QStringLiteral("about:blank"));
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.ExecWB(7, 0)); // an empty page
    web.Document().Write(QStringLiteral("<p>uno</p>"));
    web.Document().Close();
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.Document().Write("due"));
    QCOMPARE(web.html(), QStringLiteral("<p>uno</p>"));
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.ExecWB(6, 0));
    QVERIFY_THROWS_EXCEPTION(PlatformError, web.ExecWB(7, 9));
    QCOMPARE(web.previewCount(), 0);

    // A new navigation starts a fresh page.
    web.Navigate(QStringLiteral("about:blank"));
    QCOMPARE(web.html(), QString());
    web.Document().Write(QStringLiteral("tre"));
    web.ExecWB(7, 0);
    QCOMPARE(web.previewCount(), 1);
}

void TestPrintPreview::formPrintout()
{
    TestDialog d(QStringLiteral("frmSelectAnagrafica"));
    d.txtNome.setTextValue(QStringLiteral("Mario <Rossi> & C."));
    d.dtpScadenza.setValue(QDate(2025, 3, 7));
    d.cboTipo.AddItem(QStringLiteral("Ordinario"));
    d.cboTipo.AddItem(QStringLiteral("<b>Socio</b>"));
    d.cboTipo.setListIndex(1);
    d.chkAttivo.setValue(2);
    d.chkPagato.setValue(0);
    d.txtNote.setTextValue(QStringLiteral("invisibile"));
    d.txtNote.setVisible(false);
    d.txtSenza.setTextValue(QStringLiteral("solo valore"));

    printThisForm(&d.form, &d.web);

    const QString empty = QStringLiteral("<tr></tr>");
    const QString expected = kPageHead7 + QStringLiteral("<table>")
        + empty                                                                   // web
        + empty                                                                   // lblNome
        + QStringLiteral("<tr><th>Nome &lt;socio&gt;</th><th>Nome (bis)</th><td>Mario &lt;Rossi&gt; & C.</td></tr>")
        + empty + QStringLiteral("<tr><th>Data</th><td></td></tr>")
        + empty + QStringLiteral("<tr><th>Scadenza</th><td>07/03/2025</td></tr>")
        + empty + QStringLiteral("<tr><th>Tipo</th><td><b>Socio</b></td></tr>")
        + QStringLiteral("<tr><th>Attivo</th><td>Sì</td></tr>")
        + QStringLiteral("<tr><th>Pagato</th><td>No</td></tr>")
        + empty                                                                   // lblNote; txtNote hidden
        + QStringLiteral("<tr><td>solo valore</td></tr>")
        + empty                                                                   // cmdOK
        + empty                                                                   // lblNome (bis)
        + QStringLiteral("</table>") + kTail;
    QCOMPARE(d.web.html(), expected);
    QCOMPARE(d.web.previewCount(), 1);
    QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(messages().join('\n')));
}

void TestPrintPreview::formHeadings()
{
    TestProgram program;
    program.exec(QStringLiteral("update settings set value='Circolo <Il Faro>' where mnemocode='INTESTAZ'"));
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("frmEditAnagrafica"), QStringLiteral("Scheda del socio")},
        {QStringLiteral("frmEditPagamenti"), QStringLiteral("Ricevuta di pagamento")},
    };
    for (const auto &c : cases) {
        Form form(c.first);
        WebBrowser web(&form, QStringLiteral("web"));
        printThisForm(&form, &web);
        // The heading is written as stored, like any text given to the page.
        QCOMPARE(web.html(), kPageHead7 + kHeadingFont + QStringLiteral("Circolo <Il Faro></p>") + kHeadingFont + c.second
                     + QStringLiteral("</p><table><tr></tr></table>") + kTail);
    }
    QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(messages().join('\n')));
}

void TestPrintPreview::displayCopyForPreview()
{
    const QString page = kPageHead7 + kHeadingFont + QStringLiteral("Negozio</p>") + kHeadingFont
        + QStringLiteral("Elenco</p><table><tr></tr><tr><th>A</th><td>1</td></tr><tr> </tr></table><p>nota</p>") + kTail;
    const QString shown = WebBrowser::displayHtml(page);
    QCOMPARE(shown, kPageHead7 + kHeadingFont + QStringLiteral("Negozio<br>") + kHeadingFont
                 + QStringLiteral("Elenco<br><table><tr><th>A</th><td>1</td></tr></table><p>nota</p>") + kTail);

    // The preview works on that copy; the page kept stays as written.
    Form form(QStringLiteral("frmTest"));
    WebBrowser web(&form, QStringLiteral("web"));
    web.Navigate(QStringLiteral("about:blank"));
    web.Document().Write(page);
    web.ExecWB(7, 0);
    QCOMPARE(web.html(), page);
}

void TestPrintPreview::realPreviewRendersPage()
{
    Form form(QStringLiteral("frmTest"));
    WebBrowser web(&form, QStringLiteral("web"));
    initPrintPreview(&web);
    printWebSubtitle(&web, QStringLiteral("Anteprima"));
    for (int r = 0; r < 200; ++r)
        printString(QStringLiteral("<table><tr><th>Riga</th><td>%1</td></tr></table>").arg(r), &web);
    endPrintPreview(&web);

    int pages = -1;
    QTimer::singleShot(0, [&] {
        if (auto *dlg = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
            if (auto *w = dlg->findChild<QPrintPreviewWidget *>())
                pages = w->pageCount();
            dlg->reject();
        }
    });
    DialogScript::disable();
    goPrintPreview(&web);
    DialogScript::enable();
    QVERIFY2(pages > 1, "the preview must lay the page out on several A4 sheets");
    QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(messages().join('\n')));
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
