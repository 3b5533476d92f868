#include "testsupport.h"
#include "app/Windows.h"
#include "payments/frmPagamenti.h"
#include "platform/FileCopy.h"
#include "platform/SqliteDb.h"
#include "shell/EditDialog.h"
#include "shell/FilterDialog.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/frmMain.h"
#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <sqlite3.h>
#include <stdexcept>

// No test may ever wait on a real box.
static void scriptTheBoxes() { DialogScript::enable(); }
Q_COREAPP_STARTUP_FUNCTION(scriptTheBoxes)
// The windows opened by name are the program's own.
Q_COREAPP_STARTUP_FUNCTION(registerWindows)

const QString kPageHead7 =
    QStringLiteral("<html><HEAD><STYLE>     table {border-collapse:collapse;} th {    margin:5px;    padding: 3px;    "
                   "border:1px solid #336699; background-color:#336699;    color:#FFFFFF;   font-family: Arial;  "
                   "font-size: 7pt;    font-weight:bold; }  td {    margin:5px;    padding: 3px;    border:1px solid "
                   "#336699; background-color:#FFFFFF;    color:#000000;    font-family: Arial; font-size: 7pt; }"
                   "         fontDettaglio { font-size: 7pt;  font-family: Arial; font-color: black; } "
                   "</STYLE></HEAD><body>");
const QString kHeadingFont = QStringLiteral("<font style=\"font-family: arial ; font-size: 22pt;\">");
const QString kGridTable = QStringLiteral("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\">");

void TestProgram::exec(const QString &dbPath, const QString &sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        throw std::runtime_error("cannot open test database");
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

QString TestProgram::scalar(const QString &sql) const
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(dbPath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW) {
        if (const unsigned char *t = sqlite3_column_text(st, 0))
            out = QString::fromUtf8(reinterpret_cast<const char *>(t));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

QString TestProgram::setting(const QString &code) const
{
    return scalar(QStringLiteral("select value from settings where mnemocode = ") + sqlText(code));
}

void TestProgram::addType(qint64 id, const QString &name) const
{
    exec(QStringLiteral("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (%1, %2)")
             .arg(id)
             .arg(sqlText(name)));
}

void TestProgram::addCustomer(qint64 id, const QString &cognome, const QVariantMap &more) const
{
    QVariantMap values = more;
    values.insert(QStringLiteral("ANAGRAFICAID"), id);
    values.insert(QStringLiteral("Cognome"), cognome);
    if (!values.contains(QStringLiteral("TIPOLOGIAID")))
        values.insert(QStringLiteral("TIPOLOGIAID"), 1);
    QStringList texts;
    for (const QVariant &v : std::as_const(values)) {
        if (v.isNull() || !v.isValid())
            texts << QStringLiteral("NULL");
        else if (v.typeId() == QMetaType::QString)
            texts << sqlText(v.toString());
        else
            texts << v.toString();
    }
    exec(QStringLiteral("insert into Anagrafica (%1) values (%2)").arg(values.keys().join(','), texts.join(',')));
}

QString sqlText(const QString &s)
{
    return s.isNull()
               ? QStringLiteral("NULL")
               : QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QStringList prompts()
{
    QStringList out;
    for (const auto &b : DialogScript::boxes())
        out << b.prompt;
    return out;
}

QString msg(const QString &prompt, int buttons, const QString &title)
{
    return QStringLiteral("msg:%1|%2|%3").arg(prompt).arg(buttons).arg(title);
}

QStringList boxLog()
{
    QStringList out;
    for (const auto &b : DialogScript::boxes()) {
        switch (b.kind) {
        case DialogScript::Box::Save:
            out << QStringLiteral("save:") + b.defaultText;
            break;
        case DialogScript::Box::Plain:
            out << QStringLiteral("plain:") + b.prompt;
            break;
        case DialogScript::Box::Input:
            out << QStringLiteral("input:") + b.prompt + QLatin1Char('|') + b.defaultText;
            break;
        default:
            out << msg(b.prompt, b.buttons, b.title);
            break;
        }
    }
    return out;
}

void typeKeys(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeKeys(box, text);
}

void choose(XPComboBox *combo, const QString &text)
{
    const int i = combo->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    combo->setListIndex(i);
}

void clickOk(EditDialog *d)
{
    DialogScript::boxes().clear();
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
}

void refusedWith(EditDialog *d, const QString &message)
{
    clickOk(d);
    QCOMPARE(boxLog(), QStringList{msg(message)});
    QVERIFY(d->isLoaded());
}

void dateToldOnLeavingOnly(EditDialog *d, XPDTPicker *picker, const QString &message)
{
    picker->setFocus();
    typeInto(picker, "31/02/2024");
    XPComboBox *list = d->findChild<XPComboBox *>();
    const QList<QPair<const char *, std::function<void()>>> ways = {
        {"Tab", [&] { QTest::keyClick(picker, Qt::Key_Tab); }},
        {"click on Ok", [&] { QTest::mouseClick(d->cmdOK, Qt::LeftButton); }},
        {"click on a list", [&] { QTest::mouseClick(list, Qt::LeftButton); }},
        {"Alt+O", [&] { QTest::keyClick(picker, Qt::Key_O, Qt::AltModifier); }},
        {"Alt+T", [&] { QTest::keyClick(picker, Qt::Key_T, Qt::AltModifier); }},
    };
    for (const auto &[how, leave] : ways) {
        DialogScript::boxes().clear();
        leave();
        QCoreApplication::processEvents();
        QVERIFY2(boxLog() == QStringList{msg(message)}, qPrintable(how + (": " + boxLog().join('|'))));
        // An access key would have pressed its button a moment later.
        QVERIFY2(QApplication::focusWidget() == picker && !d->cmdOK->isDown() && !d->cmdPrint->isDown()
                     && !list->view()->isVisible(),
                 how);
        QCOMPARE(picker->text(), QStringLiteral("31/02/2024"));
    }
    QVERIFY(d->isLoaded());
    QCOMPARE(d->web->previewCount(), 0);

    DialogScript::boxes().clear();
    QWidget other;
    auto *field = new QLineEdit(&other);
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(field));
    NO_BOXES();
    // A click on Ok from behind that window leaves the date all the same.
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    QCOMPARE(boxLog(), QStringList{msg(message)});
    QVERIFY(!d->cmdOK->isDown());
    DialogScript::boxes().clear();
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(picker));
    QTest::mouseClick(picker->dropButton(), Qt::LeftButton);
    QCalendarWidget *calendar = picker->calendarWidget();
    QVERIFY(calendar->isVisible());
    QWidget *keys = QApplication::focusWidget();
    QTest::keyClick(keys && calendar->isAncestorOf(keys) ? keys : calendar, Qt::Key_Escape);
    QVERIFY(!calendar->isVisible());
    // The headless platform activates the calendar's window too, after it has closed.
    QCoreApplication::processEvents();
    d->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(d));
    NO_BOXES();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(picker));
}

void annullaChecksNothing(const std::function<QPair<EditDialog *, XPDTPicker *>()> &open)
{
    for (const char *how : {"click", "Alt+N", "Esc"}) {
        const auto [dialog, picker] = open();
        const QPointer<EditDialog> d = dialog;
        picker->setFocus();
        typeInto(picker, "31/02/2024");
        DialogScript::boxes().clear();
        if (how == QLatin1String("click"))
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        else
            QTest::keyClick(picker, how == QLatin1String("Esc") ? Qt::Key_Escape : Qt::Key_N,
                            how == QLatin1String("Esc") ? Qt::NoModifier : Qt::AltModifier);
        QTRY_VERIFY2(!d || !d->isLoaded(), how);
        NO_BOXES();
    }
}

void closeAllForms()
{
    // Newest first: a dialog goes before the list that opened it, the main window last.
    const QList<Form *> forms = defaultInstances();
    for (auto it = forms.crbegin(); it != forms.crend(); ++it) {
        if (!defaultInstances().contains(*it))
            continue; // released meanwhile by the unload of another window
        if ((*it)->isLoaded())
            (*it)->Unload();
        else
            delete *it;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList column(const MSFlexGrid *g, int col)
{
    QStringList out;
    for (int r = 1; r < g->Rows(); ++r)
        out << g->TextMatrix(r, col);
    return out;
}

QStringList gridRow(const MSFlexGrid *g, int row)
{
    QStringList out;
    for (int c = 0; c < g->Cols(); ++c)
        out << g->TextMatrix(row, c);
    return out;
}

void clickRow(MSFlexGrid *g, int row, int col)
{
    MSFlexGrid::TestSeam::mouseDown(*g, row, col);
    MSFlexGrid::TestSeam::mouseUp(*g, row, col);
}

void doubleClickCell(MSFlexGrid *g, int row, int col)
{
    MSFlexGrid::TestSeam::mouseDown(*g, row, col);
    MSFlexGrid::TestSeam::dblClick(*g, row, col);
}

GridForm::GridForm(const QList<QStringList> &rows)
{
    grid.setRows(rows.size());
    grid.setCols(rows.value(0).size());
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid.setTextMatrix(r, c, rows[r][c]);
}

QStringList &writes()
{
    static QStringList list;
    return list;
}

static int onStatement(unsigned, void *, void *, void *sql)
{
    const QString text = QString::fromUtf8(static_cast<const char *>(sql));
    for (const char *verb : {"INSERT", "UPDATE", "DELETE"})
        if (text.startsWith(QLatin1String(verb), Qt::CaseInsensitive))
            writes() << text;
    return 0;
}

void recordWrites()
{
    OpenDb();
    writes().clear();
    sqlite3_trace_v2(gSqliteDb->handle(), SQLITE_TRACE_STMT, onStatement, nullptr);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void seedShop(const TestProgram &prog)
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

static void createSchemaDatabase(const QString &path)
{
    QFile f(QStringLiteral(NORVIK_SOURCE_DIR "/data/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema.sql not found");
    TestProgram::exec(path, QString::fromUtf8(f.readAll()));
}

void resetShellState()
{
    resetDatabaseForTests();
    gDbType = QStringLiteral("SqlLite");
    gNumAggiornamenti = 0;
    gLogStatus.clear();
    gPrtCSize = 7;
    gIsNewRecord = false;
    gWhereAnagrafica.clear();
    gWhereTipologiaPersone.clear();
    gWherePagamenti.clear();
    gWhereAssegniEmessi.clear();
    gWhereMieiContiCorrenti.clear();
    gPagamentiClienteNome.clear();
    gPagamentiClienteID = 0;
    resetFilterStatesForTests();
    resetLogForTests();
    resetFileCopyCalls();
    DialogScript::enable();
    DialogScript::reset();
}

TestProgram::TestProgram(bool withSchema, bool runStartup)
{
    resetShellState();
    setProgramFolder(m_dir.path());
    if (withSchema) {
        createSchemaDatabase(dbPath());
        if (runStartup) {
            OpenDb();
            AggiornaDatabase();
        }
    }
}

TestProgram::~TestProgram()
{
    const QStringList problems = DialogScript::problems();
    closeAllForms();
    resetDatabaseForTests();
    DialogScript::reset();
    // A modal driver that met another window than the one it was queued for fails the test.
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('|')));
}
