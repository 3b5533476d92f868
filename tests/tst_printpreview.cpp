// The HTML print preview: the page written for a grid and for a dialog, the browser control's
// failures, and the real preview that lays the page out.
#include "platform/PrintLayout.h"
#include "testsupport.h"
#include <QElapsedTimer>
#include <QPainter>
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

// Opens the real preview of the page and hands its preview widget to `inspect`, then closes it.
// When another window shows instead, or nothing within a few seconds, that window is closed and
// the result is false: a test never waits for ever.
bool inspectPreview(WebBrowser &web, const std::function<void(QPrintPreviewWidget *)> &inspect)
{
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dlg = qobject_cast<QPrintPreviewDialog *>(w);
            if (dlg && dlg->isVisible()) {
                poll.stop();
                seen = true;
                if (auto *preview = dlg->findChild<QPrintPreviewWidget *>())
                    inspect(preview);
                dlg->reject();
                return;
            }
        }
        // Another window in its place (a message box) is closed at once; nothing at all, after
        // a few seconds.
        QWidget *modal = QApplication::activeModalWidget();
        if (modal || clock.elapsed() > 5000) {
            poll.stop();
            if (modal)
                modal->close();
        }
    });
    poll.start();
    DialogScript::disable();
    goPrintPreview(&web);
    DialogScript::enable();
    return seen;
}

// Cells of the laid-out tables whose lines do not give back their text with a blank at each line's
// end: a word cut in two.
QStringList wordsBroken(const PrintLayout &layout)
{
    QStringList broken;
    for (int t = 0; t < PrintLayout::TestSeam::tableCount(layout); ++t)
        for (int r = 0; r < PrintLayout::TestSeam::rowCount(layout, t); ++r)
            for (int c = 0;; ++c) {
                const QStringList lines = PrintLayout::TestSeam::cellLines(layout, t, r, c);
                if (lines.isEmpty())
                    break;
                if (lines.join(QLatin1Char(' ')) != PrintLayout::TestSeam::cellText(layout, t, r, c))
                    broken << lines.join(QLatin1Char('|'));
            }
    return broken;
}

// The customer list's printed columns, and a row as a shop fills it.
GridForm customerGrid(int rows)
{
    QList<QStringList> cells{QStringLiteral("Tipologia|Cognome / Ragione Sociale|Nome|Indirizzo|CAP|Comune|Provincia|"
                                            "Telefono Casa|Telefono Ufficio|Fax|Cellulare|Codice Fiscale / Partita "
                                            "IVA|E-mail|Sito Web|Note|Data Iscrizione|Data Scadenza Iscrizione|Data "
                                            "Creazione|Data Ultima Modifica")
                                 .split('|')};
    for (int r = 0; r < rows; ++r)
        cells << QStringLiteral("Socio Ordinario|Rossi Mancini|Maria Grazia|Via Giuseppe Garibaldi 123|00100|"
                                "Castelnuovo di Porto|RM|06 1234567|06 7654321|06 555|333 1234567|RSSMRA80A01H501U|"
                                "maria.grazia.rossi@example.com|www.esempio.it|Cliente storico, preferisce essere "
                                "contattata la mattina|2024-01-01 00:00:00|2025-01-01 00:00:00|2024-01-01 10:00:00|"
                                "2024-06-01 11:12:13")
                     .split('|');
    return GridForm(cells);
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
    }

    void previewShowsATidiedCopy()
    {
        // For the rich-text engine only: empty rows dropped, a heading's stray "</p>" made a line
        // break, a real paragraph kept. The page kept stays as written (the printout tests
        // compare it after their preview).
        const QString page = kPageHead7 + kHeadingFont + "Negozio</p>" + kHeadingFont
                             + "Elenco</p><table><tr></tr><tr><th>A</th><td>1</td></tr><tr> </tr></table><p>nota</p>"
                             + kTail;
        QCOMPARE(PrintLayout::displayHtml(page),
                 kPageHead7 + kHeadingFont + "Negozio<br>" + kHeadingFont
                     + "Elenco<br><table><tr><th>A</th><td>1</td></tr></table><p>nota</p>" + kTail);
    }

    void widePageOnPaper()
    {
        // The customer list's nineteen columns: wider than a portrait sheet, so landscape, and
        // with long addresses still wider than that, so scaled down to it; no word is cut, the
        // page as written stays.
        GridForm wide = customerGrid(3);
        wide.grid.setTextMatrix(2, 12, QStringLiteral("maria.grazia.rossi.mancini@bottegadelborgo-castelnuovo.it"));
        wide.grid.setTextMatrix(3, 13, QStringLiteral("www.bottegadelborgo-castelnuovodiporto-alimentari.it"));
        printGrid(wide, "Bottega del Borgo - Anagrafica Clienti");
        endPrintPreview(&wide.web);
        const QString written = wide.web.html();
        QCOMPARE(WebBrowser::TestSeam::orientationFor(written), QPageLayout::Landscape);
        const qreal sheet = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                        QPageLayout::Millimeter)
                                .paintRect(QPageLayout::Inch)
                                .width()
                            * QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        PrintLayout layout(written);
        layout.layOut(sheet, sheet / 2);
        QVERIFY2(layout.scale() > 0.5 && layout.scale() < 1, qPrintable(QString::number(layout.scale())));
        QVERIFY(layout.width() * layout.scale() <= sheet + 0.5);
        QCOMPARE(wordsBroken(layout), QStringList());
        QCOMPARE(PrintLayout::TestSeam::cellText(layout, 0, 1, 0), QStringLiteral("Socio Ordinario"));
        QCOMPARE(wide.web.html(), written);

        // The customer types' one column stays on a portrait sheet, as it is.
        GridForm narrow({{"Tipologia"}, {"Socio Ordinario"}, {"Sostenitore"}});
        printGrid(narrow, "Norvik - Tipologie anagrafica");
        endPrintPreview(&narrow.web);
        QCOMPARE(WebBrowser::TestSeam::orientationFor(narrow.web.html()), QPageLayout::Portrait);
        PrintLayout types(narrow.web.html());
        types.layOut(sheet / 2, sheet);
        QCOMPARE(types.scale(), 1.0);
        QCOMPARE(wordsBroken(types), QStringList());
        // A customer card with long notes wraps them on a portrait sheet.
        const QString card = kPageHead7 + "<table><tr><th>Cognome</th><td>Rossi</td></tr><tr><th>Note</th><td>"
                             + QStringLiteral("preferisce essere contattata la mattina ").repeated(8)
                             + "</td></tr></table>" + kTail;
        QCOMPARE(WebBrowser::TestSeam::orientationFor(card), QPageLayout::Portrait);
        // A card holding markup (a combo's text) is left whole to the rich-text engine.
        PrintLayout marked(kPageHead7 + "<table><tr><th>Tipo</th><td><b>Socio</b></td></tr></table>" + kTail);
        marked.layOut(sheet / 2, sheet);
        QCOMPARE(PrintLayout::TestSeam::tableCount(marked), 0);
        QCOMPARE(marked.pageCount(), 1);
        QCOMPARE(PrintLayout::TestSeam::placements(marked, 0).size(), 1);
        NO_BOXES();
    }

    void longListOnSheets()
    {
        // The customer list over many landscape sheets, rows of differing heights, the total
        // line after it: every sheet starts with the heading row, no row runs past a sheet's
        // foot, each row is printed once and in order, the subtitle first and the total last.
        GridForm list = customerGrid(150);
        for (int r = 1; r <= 150; r += 7)
            list.grid.setTextMatrix(r, 14,
                                    QStringLiteral("Chiamare dopo le diciotto, mai di domenica. ").repeated(r % 5));
        list.grid.setTextMatrix(3, 1, QStringLiteral(" <Rossi>  &  Figli\n"));
        printGrid(list, "Bottega del Borgo - Anagrafica Clienti");
        printString(QStringLiteral("<b>Totale: 1.234,50 €</b>"), &list.web);
        endPrintPreview(&list.web);
        const QRectF paper = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter)
                                 .paintRect(QPageLayout::Inch);
        const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        PrintLayout layout(list.web.html());
        layout.layOut(paper.width() * dpi, (paper.height() - 0.25) * dpi);
        QVERIFY2(layout.pageCount() > 5, qPrintable(QString::number(layout.pageCount())));
        QCOMPARE(PrintLayout::TestSeam::headingRows(layout, 0), 1);
        QCOMPARE(PrintLayout::TestSeam::cellText(layout, 0, 3, 1), QStringLiteral("<Rossi> & Figli"));
        int next = 1;
        for (int p = 0; p < layout.pageCount(); ++p) {
            const QList<PrintLayout::Placement> placed = PrintLayout::TestSeam::placements(layout, p);
            const auto heading = std::find_if(placed.begin(), placed.end(), [](auto &x) { return x.table == 0; });
            QVERIFY2(heading != placed.end() && heading->row == 0, qPrintable(QStringLiteral("sheet %1").arg(p + 1)));
            for (const PrintLayout::Placement &x : placed) {
                QVERIFY2(x.rect.top() >= 0 && x.rect.bottom() <= layout.sheetHeight() + 0.01,
                         qPrintable(QStringLiteral("sheet %1, row %2").arg(p + 1).arg(x.row)));
                if (x.table == 0 && x.row > 0)
                    QCOMPARE(x.row, next++);
            }
        }
        QCOMPARE(next, 151);
        QCOMPARE(PrintLayout::TestSeam::placements(layout, 0).first().table, -1);
        const QList<PrintLayout::Placement> last = PrintLayout::TestSeam::placements(layout, layout.pageCount() - 1);
        QCOMPARE(last.last().table, -1);
        QVERIFY(last.last().rect.top() >= last[last.size() - 2].rect.bottom() - 1);

        // On paper: a later sheet's heading band is painted in the heading's blue.
        QImage sheet(QSize(int(layout.width()), int(layout.sheetHeight())), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        layout.paintPage(&painter, layout.pageCount() / 2);
        painter.end();
        const QRect band = PrintLayout::TestSeam::placements(layout, layout.pageCount() / 2)
                               .first()
                               .rect.toRect()
                               .adjusted(2, 2, -2, -2);
        int blue = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                blue += sheet.pixel(x, y) == qRgb(0x33, 0x66, 0x99);
        QVERIFY2(blue > band.width() * band.height() / 2, qPrintable(QString::number(blue)));
        NO_BOXES();
    }

    void sheetBreaks()
    {
        // A heading is never left alone at a sheet's foot: with room for the subtitle and the
        // heading but not the first row, the table starts on the next sheet.
        GridForm w({{"Cliente", "Causale"}, {"Rossi Mario", "Rinnovo"}, {"Verdi Anna", "Quota"}});
        printGrid(w, "Negozio - Pagamenti");
        endPrintPreview(&w.web);
        PrintLayout layout(w.web.html());
        layout.layOut(600, 10000);
        const QList<PrintLayout::Placement> tall = PrintLayout::TestSeam::placements(layout, 0);
        QCOMPARE(tall.size(), 4);
        layout.layOut(600, tall[2].rect.top() + tall[2].rect.height() / 2);
        QCOMPARE(layout.pageCount(), 2);
        QCOMPARE(PrintLayout::TestSeam::placements(layout, 0).size(), 1);
        QCOMPARE(PrintLayout::TestSeam::placements(layout, 0)[0].table, -1);
        QCOMPARE(PrintLayout::TestSeam::placements(layout, 1)[0].row, 0);
        QCOMPARE(PrintLayout::TestSeam::placements(layout, 1)[1].row, 1);

        // A row taller than a sheet stands alone under the heading; the rows after it go on
        // whole. A card of labels and values has no heading to repeat.
        GridForm notes({{"Cliente", "Note"},
                        {"Rossi", QStringLiteral("nota ").repeated(400)},
                        {"Verdi", "breve"},
                        {"Bianchi", "breve"}});
        printGrid(notes);
        endPrintPreview(&notes.web);
        PrintLayout tallRow(notes.web.html());
        tallRow.layOut(300, 200);
        QCOMPARE(tallRow.pageCount(), 2);
        QCOMPARE(PrintLayout::TestSeam::placements(tallRow, 0).size(), 2);
        QVERIFY(PrintLayout::TestSeam::placements(tallRow, 0)[1].rect.bottom() > tallRow.sheetHeight());
        QCOMPARE(PrintLayout::TestSeam::placements(tallRow, 1)[0].row, 0);
        QCOMPARE(PrintLayout::TestSeam::placements(tallRow, 1).size(), 3);
        PrintLayout card(kPageHead7 + "<table>" + QStringLiteral("<tr><th>Voce</th><td>valore</td></tr>").repeated(60)
                         + "</table>" + kTail);
        card.layOut(300, 200);
        QCOMPARE(PrintLayout::TestSeam::headingRows(card, 0), 0);
        int rows = 0;
        for (int p = 0; p < card.pageCount(); ++p)
            rows += PrintLayout::TestSeam::placements(card, p).size();
        QCOMPARE(rows, 60);

        // Text longer than a sheet goes on to the next one at the foot of a whole line: each
        // sheet but the last ends short of its foot, and nothing is left out.
        PrintLayout text(kPageHead7 + QStringLiteral("<p>Riga di testo</p>").repeated(80) + kTail);
        text.layOut(300, 205);
        QVERIFY(text.pageCount() > 3);
        qreal shown = 0;
        for (int p = 0; p < text.pageCount(); ++p) {
            const QList<PrintLayout::Placement> placed = PrintLayout::TestSeam::placements(text, p);
            QCOMPARE(placed.size(), 1);
            QVERIFY(placed[0].rect.bottom() <= text.sheetHeight() + 0.01);
            if (p + 1 < text.pageCount())
                QVERIFY2(placed[0].rect.bottom() < text.sheetHeight() - 1, qPrintable(QString::number(p)));
            shown += placed[0].rect.height();
        }
        QVERIFY(shown > 80 * 10);
    }

    void realPreviewRendersPage()
    {
        // A long narrow page: several portrait sheets.
        Form form(QStringLiteral("frmTest"));
        WebBrowser web(&form, QStringLiteral("web"));
        initPrintPreview(&web);
        printWebSubtitle(&web, QStringLiteral("Anteprima"));
        for (int r = 0; r < 200; ++r)
            printString(QStringLiteral("<table><tr><th>Riga</th><td>%1</td></tr></table>").arg(r), &web);
        endPrintPreview(&web);
        int pages = -1;
        QPageLayout::Orientation orientation = QPageLayout::Landscape;
        QVERIFY2(inspectPreview(web,
                                [&](QPrintPreviewWidget *w) {
                                    pages = w->pageCount();
                                    orientation = w->orientation();
                                }),
                 "no print preview appeared");
        QVERIFY2(pages > 1, "the preview must lay the page out on several A4 sheets");
        QCOMPARE(orientation, QPageLayout::Portrait);

        // A wide list goes on landscape sheets.
        GridForm wide = customerGrid(60);
        printGrid(wide);
        endPrintPreview(&wide.web);
        QVERIFY(inspectPreview(wide.web, [&](QPrintPreviewWidget *w) { orientation = w->orientation(); }));
        QCOMPARE(orientation, QPageLayout::Landscape);
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
