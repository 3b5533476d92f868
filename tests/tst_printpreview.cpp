// The HTML print preview: the page written for a grid and for a dialog, the browser control's
// failures, and the real preview that lays the page out.
#include "testsupport.h"
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>

namespace {
const QString kTail = QStringLiteral("</body></html>");

void excludeColumns(std::initializer_list<short> cols)
{
    int i = 1;
    for (short c : cols)
        gColonneEscluse[i++] = c;
    gColonneEscluse[i] = -1;
}

// The print button's sequence up to the grid.
void printGrid(GridForm &w, const QString &subtitle = QString())
{
    initPrintPreview(&w.web);
    if (!subtitle.isEmpty())
        printWebSubtitle(&w.web, subtitle);
    printWebGrid(&w.grid, &w.web);
}

// A dialog with one field of each kind; members go before the form they sit on.
struct TestDialog {
    Form form{QStringLiteral("frmSelectAnagrafica")};
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
} // namespace

class TestPrintPreview : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        DialogScript::reset();
        gPrtCSize = 7;
        excludeColumns({});
    }

    void gridPrintout()
    {
        GridForm w({{"IDFIELD", "Cognome", "Tessera", "Note", "Importo"},
                    {"17", "Rossi & Figli", "A-001", "<b>urgente</b> \"sì\"", "1.234,50 €"},
                    {"18", "", "A-002", "", ""}});
        // The zero-width column and the listed one are left out; the texts are escaped, what
        // printString is given is written as it is.
        w.grid.setColWidth(0, 0);
        excludeColumns({2});
        printGrid(w, "Negozio - Anagrafica <Clienti>");
        printString(QStringLiteral("<b>Totale: 1.234,50 €</b>"), &w.web);
        endPrintPreview(&w.web);
        goPrintPreview(&w.web);
        QCOMPARE(w.web.html(),
                 kPageHead7 + kHeadingFont + "Negozio - Anagrafica <Clienti></p>" + kGridTable
                     + "<tr><th>Cognome</th><th>Note</th><th>Importo</th></tr>"
                       "<tr><td>Rossi & Figli</td><td>&lt;b&gt;urgente&lt;/b&gt; \"sì\"</td><td>1.234,50 €</td></tr>"
                       "<tr><td></td><td></td><td></td></tr></table><b>Totale: 1.234,50 €</b>"
                     + kTail);
        QCOMPARE(w.web.previewCount(), 1);
        QVERIFY(!w.web.documentOpen());
        NO_BOXES();
    }

    void columnListAndFontSize()
    {
        // Both listed columns go, and the list stops at its end mark: 2 after it is not read.
        GridForm w({{"Data", "IDFIELD", "Causale"}});
        gColonneEscluse[1] = 1;
        gColonneEscluse[2] = -1;
        gColonneEscluse[3] = 2;
        gPrtCSize = 12;
        printGrid(w);
        endPrintPreview(&w.web);
        QString head12 = kPageHead7;
        head12.replace(QStringLiteral("7pt"), QStringLiteral("12pt"));
        QCOMPARE(w.web.html(), head12 + kGridTable + "<tr><th>Data</th><th>Causale</th></tr></table>" + kTail);
        QCOMPARE(w.web.html().count(QStringLiteral("font-size: 12pt;")), 3);
        NO_BOXES();
        // A list without its end mark: the grid's own error exit, and the print button's
        // sequence carries on.
        GridForm a({{"A", ""}, {"", ""}});
        for (int i = 1; i <= 100; ++i)
            gColonneEscluse[i] = 5;
        gPrtCSize = 7;
        printGrid(a);
        endPrintPreview(&a.web);
        goPrintPreview(&a.web);
        QCOMPARE(
            boxLog(),
            QStringList{msg("Error 9 (Subscript out of range) in procedure printWebGrid of Modulo basPrintPreview")});
        QCOMPARE(a.web.html(), kPageHead7 + kGridTable + "<tr>" + kTail);
        QCOMPARE(a.web.previewCount(), 1);
    }

    void browserFailures()
    {
        // Nothing written, or never navigated: the print procedures report the browser's failure
        // through their own exit and return.
        Form form(QStringLiteral("frmTest"));
        WebBrowser web(&form, QStringLiteral("web"));
        goPrintPreview(&web);
        printString(QStringLiteral("x"), nullptr);
        QCOMPARE(prompts().size(), 2);
        QVERIFY(prompts()[0].startsWith(QLatin1String("Error 91 (")));
        QVERIFY(prompts()[0].endsWith(QLatin1String(") in procedure goPrintPreview of Modulo basPrintPreview")));
        QVERIFY(prompts()[1].endsWith(QLatin1String(") in procedure printString of Modulo basPrintPreview")));
        // A closed page takes no more text; a new navigation starts a fresh one.
        web.Navigate(QStringLiteral("about:blank"));
        web.Document().Write(QStringLiteral("<p>uno</p>"));
        web.Document().Close();
        QVERIFY_THROWS_EXCEPTION(PlatformError, web.Document().Write("due"));
        QCOMPARE(web.html(), QStringLiteral("<p>uno</p>"));
        web.Navigate(QStringLiteral("about:blank"));
        QCOMPARE(web.html(), QString());
    }

    void formPrintout()
    {
        TestDialog d;
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
        const QString expected =
            kPageHead7 + "<table>" + empty // web
            + empty                        // lblNome
            + "<tr><th>Nome &lt;socio&gt;</th><th>Nome (bis)</th><td>Mario &lt;Rossi&gt; & C.</td></tr>" + empty
            + "<tr><th>Data</th><td></td></tr>" + empty + "<tr><th>Scadenza</th><td>07/03/2025</td></tr>" + empty
            + "<tr><th>Tipo</th><td><b>Socio</b></td></tr>" + "<tr><th>Attivo</th><td>Sì</td></tr>"
            + "<tr><th>Pagato</th><td>No</td></tr>" + empty // lblNote; txtNote hidden
            + "<tr><td>solo valore</td></tr>" + empty       // cmdOK
            + empty                                         // lblNome (bis)
            + "</table>" + kTail;
        QCOMPARE(d.web.html(), expected);
        QCOMPARE(d.web.previewCount(), 1);
        NO_BOXES();
        // The payment receipt's headings (the customer card's are tested with its dialog).
        TestProgram program;
        program.exec(QStringLiteral("update settings set value='Circolo <Il Faro>' where mnemocode='INTESTAZ'"));
        Form receipt(QStringLiteral("frmEditPagamenti"));
        WebBrowser web(&receipt, QStringLiteral("web"));
        printThisForm(&receipt, &web);
        QCOMPARE(web.html(), kPageHead7 + kHeadingFont + "Circolo <Il Faro></p>" + kHeadingFont
                                 + "Ricevuta di pagamento</p><table><tr></tr></table>" + kTail);
    }

    void previewShowsATidiedCopy()
    {
        // For the rich-text engine only: empty rows dropped, a heading's stray "</p>" made a line
        // break, a real paragraph kept. The page kept stays as written (the printout tests
        // compare it after their preview).
        const QString page = kPageHead7 + kHeadingFont + "Negozio</p>" + kHeadingFont
                             + "Elenco</p><table><tr></tr><tr><th>A</th><td>1</td></tr><tr> </tr></table><p>nota</p>"
                             + kTail;
        QCOMPARE(WebBrowser::displayHtml(page),
                 kPageHead7 + kHeadingFont + "Negozio<br>" + kHeadingFont
                     + "Elenco<br><table><tr><th>A</th><td>1</td></tr></table><p>nota</p>" + kTail);
    }

    void realPreviewRendersPage()
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
        NO_BOXES();
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
