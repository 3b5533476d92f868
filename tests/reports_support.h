#pragma once
// What the report tests share: the report windows, definitions written straight into the
// table, a small shop to report on, and one report run as the user runs it.
#include "reports/basReportistica.h"
#include "reports/frmReportistica.h"
#include "reports/frmSelectReportVelmosta.h"
#include "reports/frmSplashReports.h"
#include "shell/basAggiornamentiDatabase.h"
#include "testsupport.h"

// Nothing but input boxes since the last reset: no message, no error.
inline bool onlyInputs()
{
    for (const auto &b : DialogScript::boxes())
        if (b.kind != DialogScript::Box::Input)
            return false;
    return true;
}
#define NO_BOXES_BUT_INPUTS() QVERIFY2(onlyInputs(), qPrintable(boxLog().join('|')))

inline QString sqlOrNull(const QString &s) { return s.isNull() ? QStringLiteral("NULL") : sqlText(s); }

// One definition row; a null text is written as NULL.
inline void addReport(const TestProgram &prog, int ordine, const QString &sql, const QString &titolo,
                      const QString &numparametri = QStringLiteral("0"), const QString &tipo1 = QString(),
                      const QString &prompt1 = QString(), const QString &tipo2 = QString(),
                      const QString &prompt2 = QString())
{
    prog.exec(QStringLiteral("INSERT INTO reportistica (ordine, sqlreport, titolo, numparametri, tipopar1, tipopar2, "
                             "promptpar1, promptpar2) VALUES (%1, %2, %3, %4, %5, %6, %7, %8)")
                  .arg(ordine)
                  .arg(sqlOrNull(sql), sqlOrNull(titolo), numparametri, sqlOrNull(tipo1), sqlOrNull(tipo2),
                       sqlOrNull(prompt1), sqlOrNull(prompt2)));
}

// The chooser as the main window opens it, on screen so that its buttons take clicks.
inline frmSplashReports *openChooser()
{
    frmSplashReports *w = openForm<frmSplashReports>();
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("chooser not exposed");
    return w;
}

// What the report window showed before it was closed.
struct ShownReport {
    bool opened = false;
    QString caption;
    QString frameCaption;
    QString sql;             // the query text it ran, after "SELECT"
    QList<QStringList> rows; // row 0 the headers
    QList<double> widths;
    QString total;
    bool totalVisible = false;
};

// Presses report button i with the answers queued for its input boxes; when the report window
// opens, `also` runs on it before it is read and closed.
inline ShownReport pressReport(frmSplashReports *w, int i, const QStringList &answers = {},
                               const std::function<void(frmReportistica *)> &also = {})
{
    for (const QString &a : answers)
        DialogScript::answerInput(a);
    ShownReport shown;
    drive<frmReportistica>([&](frmReportistica *r) {
        shown.opened = true;
        shown.caption = r->Caption();
        shown.frameCaption = r->OsenXPForm1->Caption();
        shown.sql = gArrReport.at(size_t(gReportIndex)).sqlreport;
        const MSFlexGrid *g = r->MSFlexGrid1;
        for (int row = 0; row < g->Rows(); ++row)
            shown.rows << gridRow(g, row);
        for (int c = 0; c < g->Cols(); ++c)
            shown.widths << g->ColWidth(c);
        shown.total = r->lblTotaleImporti->Caption();
        shown.totalVisible = r->lblTotaleImporti->Visible();
        if (also)
            also(r);
    });
    QTest::mouseClick(w->cmdShowReport[size_t(i)], Qt::LeftButton);
    // A run that ended before the report window leaves its driver unused: dropped, the boxes
    // shown kept.
    if (!shown.opened) {
        const QList<DialogScript::Box> boxes = DialogScript::boxes();
        DialogScript::reset();
        DialogScript::boxes() = boxes;
    }
    return shown;
}

inline QString totalLine(const QString &amount)
{
    return QStringLiteral("Importo complessivo degli importi visualizzati: ") + amount;
}

// A small shop: customer types, customers, payments, an account, deposits, an endorsement and
// issued cheques, dated as the program stores dates.
inline void seedShop(const TestProgram &prog)
{
    prog.exec(QStringLiteral(
        "INSERT INTO TipologiaPersone (TIPOLOGIAID, Tipologia) VALUES (1, 'Socio'), (2, 'Sostenitore'),"
        " (3, 'Socio d''onore');"
        "INSERT INTO Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome, Nome, NumeroTessera, DataNascita, DataIscrizione,"
        " DataScadenzaIscrizione, Cellulare, Email, Comune) VALUES"
        " (1, 1, 'Rossi', 'Mario', '0001', '1980-08-15 00:00:00', '2010-01-10 00:00:00', '2011-08-31 00:00:00',"
        "  '333 1234567', 'mario@example.org', 'Roma'),"
        " (2, 2, 'Bianchi', 'Anna', '0002', '1975-08-02 00:00:00', '2011-03-01 00:00:00', '2012-03-01 00:00:00',"
        "  NULL, NULL, 'Milano'),"
        " (3, 3, 'D''Amico', 'Luca', '0003', '1990-12-24 00:00:00', '2011-08-05 00:00:00', '2012-08-05 00:00:00',"
        "  NULL, NULL, 'Roma'),"
        " (4, 1, 'Verdi', NULL, '0004', NULL, '2011-09-01 00:00:00', '2011-09-30 00:00:00', NULL, NULL, NULL),"
        " (5, 2, 'Neri', 'Carla', '0005', '1985-02-28 00:00:00', '2009-05-05 00:00:00', '2010-05-05 00:00:00',"
        "  NULL, NULL, 'Torino');"
        "INSERT INTO Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale, NotePagamento) VALUES"
        " (1, 1, '2011-08-01 00:00:00', 50, 'Quota annuale', NULL),"
        " (2, 2, '2011-08-15 00:00:00', 1250.5, 'Acquisto', 'fattura 12'),"
        " (3, 3, '2011-08-31 00:00:00', 30, 'Quota annuale', NULL),"
        " (4, 1, '2011-09-01 00:00:00', 12.5, 'Tessera', NULL),"
        " (5, 4, '2011-09-10 00:00:00', 100, 'Quota annuale', NULL),"
        " (6, 2, '2012-01-20 00:00:00', 75.25, 'Acquisto', NULL),"
        " (7, 3, '2012-08-01 00:00:00', 40, 'Rinnovo', NULL);"
        "INSERT INTO MieiContiCorrenti (CONTOCORRENTEID, Descrizione, Banca, ABI, CAB, NumeroConto, Intestatari)"
        " VALUES (1, 'Conto negozio', 'Banca Uno', '01234', '05678', '1000', 'Negozio');"
        "INSERT INTO Versamenti (PagamentiID, CONTOCORRENTEID, DataVersamento, noteversamento) VALUES"
        " (2, 1, '2011-08-20 00:00:00', 'assegno'), (6, 1, '2012-01-25 00:00:00', NULL);"
        "INSERT INTO Girate (PagamentiID, ANAGRAFICAID, GirataPiena, DataGirata, notegirata) VALUES"
        " (3, 5, 1, '2011-09-05 00:00:00', 'girata a Neri');"
        "INSERT INTO AssegniEmessi (ASSEGNIEMESSIID, CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno,"
        " LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote) VALUES"
        " (1, 1, 5, '100200', '2011-08-10 00:00:00', 'Roma', 1, 0, 1, 300, 'Fornitura', 'saldo'),"
        " (2, 1, 1, '100201', '2011-10-01 00:00:00', 'Roma', 0, 1, 0, 150.75, 'Rimborso', NULL);"));
}

inline QString shippedReportFile() { return QStringLiteral(NORVIK_SOURCE_DIR "/data/nuovireport.sql"); }

// The shipped report file beside the program, run as a start runs it.
inline void installShippedReports(const TestProgram &prog)
{
    const QString target = prog.folder() + QStringLiteral("/nuovireport.sql");
    QFile::remove(target);
    QVERIFY(QFile::copy(shippedReportFile(), target));
    AggiornaReportistica();
}
