// Writes that take effect whole or not at all, statements that never outlive their use, and the
// start-up statements told apart by what the database says and holds, not by its wording.
#include "platform/SqliteDb.h"
#include "shell/basAggiornamentiDatabase.h"
#include "testsupport.h"
#include <sqlite3.h>

namespace {
int rows(const TestProgram &prog, const QString &table) { return prog.scalar("select count(*) from " + table).toInt(); }

// Every statement still prepared on the program's connection.
int liveStatements()
{
    int n = 0;
    for (sqlite3_stmt *s = sqlite3_next_stmt(gSqliteDb->handle(), nullptr); s;
         s = sqlite3_next_stmt(gSqliteDb->handle(), s))
        ++n;
    return n;
}
} // namespace

class TestTransactions : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void writeIsWholeOrNothing()
    {
        TestProgram prog;
        prog.exec("create table t (k integer primary key, v text not null)");
        OpenDb();
        SqliteDbComponent &db = *gSqliteDb;
        // The second of three refused: the first is taken back, the third never runs.
        QVERIFY(!gDbExecute(QStringList{"insert into t values (1, 'a')", "insert into t values (2, NULL)",
                                        "insert into t values (3, 'c')"}));
        QCOMPARE(rows(prog, "t"), 0);
        QCOMPARE(boxLog(), QStringList{msg("Error 19 (NOT NULL constraint failed: t.v) in procedure gDbExecute of "
                                           "Modulo basGeneral")});
        QVERIFY(gDbExecute(QStringList{"insert into t values (1, 'a')", "insert into t values (2, 'b')",
                                       "insert into t values (3, 'c')"}));
        QCOMPARE(rows(prog, "t"), 3);

        // Leaving the scope by an error or by an early return takes the work back.
        try {
            Transaction write(db);
            db.execute("delete from t");
            throw PlatformError(5, "interrotto");
        } catch (const PlatformError &) {
        }
        const auto earlyExit = [&db](bool stop) {
            Transaction write(db);
            db.execute("delete from t where k = 1");
            if (stop)
                return;
            write.commit();
        };
        earlyExit(true);
        QCOMPARE(rows(prog, "t"), 3);
        earlyExit(false);
        QCOMPARE(rows(prog, "t"), 2);
        // Nothing is left open behind the program's back.
        QVERIFY(sqlite3_get_autocommit(db.handle()));
        QCOMPARE(prog.scalar("select group_concat(k) from t"), QStringLiteral("2,3"));
    }

    void nestedWritesAreSavepoints()
    {
        TestProgram prog;
        prog.exec("create table t (k integer primary key, v text not null)");
        OpenDb();
        SqliteDbComponent &db = *gSqliteDb;
        {
            Transaction outer(db);
            QVERIFY(!outer.isNested());
            db.execute("insert into t values (10, 'outer')");
            {
                Transaction inner(db);
                QVERIFY(inner.isNested());
                db.execute("insert into t values (11, 'undone')");
            }
            {
                Transaction inner(db);
                db.execute("insert into t values (12, 'kept')");
                inner.commit();
            }
            // A refused write inside takes back only its own statements.
            QVERIFY(!gDbExecute(QStringList{"insert into t values (13, 'a')", "insert into t values (14, NULL)"}));
            outer.commit();
        }
        QCOMPARE(prog.scalar("select group_concat(k) from t"), QStringLiteral("10,12"));
        // What an inner write kept goes when the outer one is not committed.
        {
            Transaction outer(db);
            Transaction inner(db);
            db.execute("delete from t");
            inner.commit();
        }
        QCOMPARE(rows(prog, "t"), 2);
        QVERIFY(sqlite3_get_autocommit(db.handle()));
    }

    void statementsFinalizeAndKeepTheirCodes()
    {
        TestProgram prog;
        prog.exec("create table t (k integer primary key, v text unique)");
        OpenDb();
        SqliteDbComponent &db = *gSqliteDb;
        QCOMPARE(liveStatements(), 0);
        // A text of several statements that fails half-way leaves none prepared.
        try {
            db.execute("insert into t values (1, 'a'); insert into t values (1, 'b'); insert into t values (2, 'c')");
            QFAIL("the duplicate key was taken");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), 19L);
            QCOMPARE(e.extendedCode(), long(SQLITE_CONSTRAINT_PRIMARYKEY));
        }
        QCOMPARE(liveStatements(), 0);
        try {
            db.execute("insert into t values (5, 'a')");
            QFAIL("the duplicate value was taken");
        } catch (const PlatformError &e) {
            QCOMPARE(e.extendedCode(), long(SQLITE_CONSTRAINT_UNIQUE));
        }
        QVERIFY_THROWS_EXCEPTION(PlatformError, db.query("select nulla from nessuna"));
        QCOMPARE(liveStatements(), 0);
        // A result set holds its statement until it is closed or goes away, open or not.
        {
            auto rs = db.query("select * from t");
            QCOMPARE(liveStatements(), 1);
            rs->Close();
            QCOMPARE(liveStatements(), 0);
            auto open = db.query("select * from t");
            QVERIFY(!open->EOF_());
        }
        QCOMPARE(liveStatements(), 0);
        // The message shown keeps the primary code the user has always seen.
        QVERIFY(!gDbExecute("insert into t values (1, 'z')"));
        QCOMPARE(prompts(), QStringList{"Error 19 (UNIQUE constraint failed: t.k) in procedure gDbExecute of Modulo "
                                        "basGeneral"});
    }

    void startupStatementsAppliedBefore()
    {
        TestProgram prog;
        prog.exec("create table riepilogo (x);"
                  "create table protetta (k integer primary key);"
                  "create trigger protetta_no before insert on protetta "
                  "begin select raise(abort, 'UNIQUE constraint failed: protetta.k'); end;");
        // The settings queue again, as at every start, and no report file, or a folder in its
        // place: silent.
        gNumAggiornamenti = 0;
        AggiornaDatabase();
        QDir(prog.folder()).mkdir("nuovireport.sql");
        AggiornaReportistica();
        QDir(prog.folder()).rmdir("nuovireport.sql");
        NO_BOXES();

        // Statements run at every start: what took effect before is passed over in silence.
        const QStringList statements = {"insert into reportistica (ordine, titolo) values (1, 'Uno')",
                                        "create table \"Report Extra\" (a)",
                                        "alter table [Report Extra] add column b text",
                                        "create unique index if not exists idx_titolo on reportistica (titolo)",
                                        "create index idx_extra on \"Report Extra\" (a)",
                                        // A table of that name exists, the view does not: refused and told every time.
                                        "create view riepilogo as select 1 as x",
                                        // Refusals that say nothing about an earlier run, whatever their wording.
                                        "insert into protetta values (1)"};
        const QStringList everyRun = {
            "Error 1 (table riepilogo already exists) in procedure gDbExecute of Modulo basGeneral",
            "Error 19 (UNIQUE constraint failed: protetta.k) in procedure gDbExecute of Modulo basGeneral"};
        for (int run = 0; run < 2; ++run) {
            DialogScript::reset();
            for (const QString &sql : statements)
                gDbExecute(sql, true);
            QCOMPARE(prompts(), everyRun);
        }
        QCOMPARE(prog.scalar("select count(*) from pragma_table_info('Report Extra')"), QStringLiteral("2"));
        QCOMPARE(rows(prog, "reportistica"), 1);
        QCOMPARE(prog.scalar("select count(*) from sqlite_master where name = 'riepilogo'"), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestTransactions)
#include "tst_transactions.moc"
