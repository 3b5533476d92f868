#pragma once
// Database connection, shared result set, SQL text helpers, form helpers.
#include "platform/SqliteDb.h"
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class Form;
class MSFlexGrid;
class Field;

// ---- shared state owned by the shell ----
extern QString gDbType; // "Access", "MySql" or "SqlLite", compared exactly
extern std::unique_ptr<SqliteDbComponent> gSqliteDb;
extern QString gDbPath;
extern QString gDbFileName;
extern bool gIsNewRecord;
extern QString gWhereAnagrafica, gWhereTipologiaPersone, gWherePagamenti, gWhereAssegniEmessi, gWhereMieiContiCorrenti,
    gWhereUnused1, gWhereUnused2;
extern bool gErrorTrapOn;
extern QVariant gGridMouseDownY;
extern double gGridLeftCol;

// The shared result set: a closed one until a query opens it.
Recordset &gRs();
void releaseRs(); // "set gRs = Nothing"

bool isSqlLite();
bool isAccess();
bool isMySql();
// A database that cannot be opened shows its message and unloads the start window, which ends
// the program; the start window registers itself.
void setStartWindow(Form *window);
void OpenDb();
void OpenSqlLiteDb();
void CloseDb();
// The open database; raises error 3709 when there is none.
SqliteDbComponent &gDb();
// Shows its own message on failure and leaves gRs as it was (closed after releaseRs), so the
// caller's next read of gRs fails into the caller's own error exit.
void gRsOpen(const QString &sql);
// Shows its own message on failure; the result tells the caller whether the statement ran.
bool gDbExecute(const QString &sql);
// The same, passing over silently a rejection that means the statement took effect before
// (the table or column exists, the key is present): the start-up statements run at every start.
bool gDbExecute(const QString &sql, bool passOverApplied);
bool isAlreadyApplied(const QString &sql, const PlatformError &e);
// Several statements as one write: all of them take effect or, after the first refused one
// (its message shown), none.
bool gDbExecute(const QStringList &statements);
// One write that looks before it writes: `write` runs holding the write lock, and its work is
// committed when it returns true, taken back when it returns false or raises. A raised error is
// told as gDbExecute tells it, once the lock is given back, so that another program never
// waits on the box. True when committed.
bool gDbWrite(const std::function<bool(SqliteDbComponent &db)> &write);

// ---- SQL literal helpers ----
QString StringReplace(const QString &text, const QString &find, const QString &repl);
QString Pad(const QString &text);
QString PutTicksIn(const QString &text);
bool isBooleanField(const Field &field);

// ---- form helpers ----
void CenterForm(Form *form);
void DisattivaTabstop(Form *form);
QString PutSpacesInLabels(const QString &name);
void LaunchBrowser(const QString &address, Form *window);
void doEnglishGrid(MSFlexGrid *grid);

// ---- for tests only ----
// Closes the database so a test can start afresh; the program never calls it.
void resetDatabaseForTests();
