#include "testsupport.h"
#include "platform/Dialogs.h"
#include "shell/FilterDialog.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include <QFile>
#include <sqlite3.h>
#include <stdexcept>

const QString kPageHead7 = QStringLiteral(
    "<html><HEAD><STYLE>     table {border-collapse:collapse;} th {    margin:5px;    padding: 3px;    "
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
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
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
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char *t = sqlite3_column_text(st, 0);
        if (t)
            out = QString::fromUtf8(reinterpret_cast<const char *>(t));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

QStringList prompts()
{
    QStringList out;
    for (const auto &b : DialogScript::boxes())
        out << b.prompt;
    return out;
}

void createSchemaDatabase(const QString &path)
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
    resetDatabaseForTests();
    DialogScript::reset();
}
