#pragma once
#include "platform/PlatformError.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class Recordset;

// One prepared SQLite statement, finalized however the block that holds it is left.
class Statement {
public:
    Statement() = default;
    // Prepares the first statement of the UTF-8 text; *tail, when given, receives the rest. A
    // text of blanks or comments gives a null statement. Raises the database's error.
    Statement(sqlite3 *db, const char *sql, int bytes, const char **tail = nullptr);
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }
    // 1-based, as SQLite counts parameters.
    void bind(int index, const QString &text);
    // One step: true while a row is there, false once done. Raises the database's error.
    bool step();
    // Every step to the end.
    void run();
    void reset();

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

// The error SQLite reports for a failed call on the connection: its primary result code as the
// number, its extended result code kept beside it.
PlatformError sqliteError(sqlite3 *db, int rc);

// One column of the current row of a result set.
class Field {
public:
    Field(const Recordset *rs, int index) : m_rs(rs), m_index(index) {}
    // Integer (qint64), real (double), text (QString) or Null (an invalid QVariant).
    QVariant Value() const;
    // "" & value, read straight from the row: what a list shows in a cell.
    QString Text() const;
    QString Name() const;
    bool IsNull() const { return !Value().isValid(); }

private:
    const Recordset *m_rs;
    int m_index;
};

class Fields {
public:
    explicit Fields(const Recordset *rs) : m_rs(rs) {}
    int Count() const;
    Field operator()(int index) const;
    // Names as written in the SELECT, aliases included, looked up without regard to case.
    Field operator()(const QString &name) const;

private:
    const Recordset *m_rs;
};

// A forward-reading result set: rows are stepped from SQLite as they are read, so a large query
// costs no more memory than one row.
class Recordset {
public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Raises on a closed result set, like every other member.
    bool EOF_() const
    {
        requireOpen();
        return m_eof;
    }
    bool isOpen() const { return bool(m_statement); }
    void MoveFirst();
    void MoveNext();
    ::Fields Fields() const { return ::Fields(this); }
    // Closing a result set that is not open raises, as the callers that care expect.
    void Close();

    // Reading a whole result into a grid without an object per cell: the text of column `index`
    // of the current row, in UTF-8, exactly what Field::Text gives (NULL is empty). Unchecked:
    // the caller has made sure once that the set is open and on a row (not EOF_) and that the
    // index is one of its columns. A text points into the row SQLite holds, valid until the
    // next move; a number is written into `buffer`.
    struct TextBuffer {
        char bytes[40];
    };
    std::string_view textUtf8(int index, TextBuffer &buffer) const;
    // The value itself, on the same terms, for a caller that shows numbers its own way: its
    // SQLite type and, for a number, the number; a text points into the row like textUtf8's.
    struct RawValue {
        enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 }; // SQLite's numbering
        int type = Null;
        long long integer = 0;
        double real = 0;
        std::string_view text;
    };
    RawValue rawValue(int index) const;

private:
    friend class SqliteDbComponent;
    friend class Field;
    friend class ::Fields;
    void step();
    void requireOpen() const;
    QVariant value(int index) const;
    QString text(int index) const;
    int columnIndex(const QString &name) const;

    Statement m_statement;
    bool m_eof = true;
    bool m_started = false;
    QStringList m_names;
};
// `EOF` is a macro of the C library; the result set's end test is spelled EOF_.

// The database access component: opens one SQLite file, executes statements, opens queries.
class SqliteDbComponent {
public:
    SqliteDbComponent() = default;
    ~SqliteDbComponent();
    SqliteDbComponent(const SqliteDbComponent &) = delete;
    SqliteDbComponent &operator=(const SqliteDbComponent &) = delete;

    // ReadOnly opens the file for reading only, as SQLite does by itself with a file it may not
    // write: every write is then refused.
    enum class Access { ReadWrite, ReadOnly };
    // Fails on a missing or empty file or one that is not an SQLite database, or not a whole one,
    // as far as its header and schema tell; never creates a file.
    void open(const QString &path, const QString &password = QString(), Access access = Access::ReadWrite);
    bool isOpen() const { return m_db != nullptr; }
    // Whether a transaction is open on the connection (SQLite ends one by itself after some
    // failures, such as a full disk).
    bool inTransaction() const;
    // Runs every statement of the text in turn; the first refused one stops the rest.
    void execute(const QString &sql);
    // The rows written by the last INSERT, UPDATE or DELETE that ran on the connection.
    int changes() const;
    std::unique_ptr<Recordset> query(const QString &sql);
    sqlite3 *handle() const { return m_db; }

    // Facts of the schema, names compared without regard to case as SQLite compares them:
    // whether an object of the type ("table", "index", "view", "trigger") exists, whether a
    // table has the column.
    bool hasObject(const QString &type, const QString &name) const;
    bool hasColumn(const QString &table, const QString &column) const;
    // Whether the refusal of the statement means it took effect before: the row is there
    // (primary key or unique constraint), or the table, index, view, trigger or column it
    // creates exists. The statements run at every start are told apart by this.
    bool alreadyApplied(const QString &sql, const PlatformError &e) const;
    // Whether the refusal is that of a row whose key or unique value is there already.
    static bool rowAlreadyThere(const PlatformError &e);

    // Tries a write and takes it back at once, so the file keeps what it holds; raises the
    // database's error when the database takes no writes now.
    void tryWrite();
    // Why the database refused a write, as far as the error and the file tell.
    enum class WriteBlock {
        Locked,         // another program holds the database longer than the wait
        ReadOnlyMedium, // the file lies on a medium mounted read-only
        ReadOnlyFile,   // the file may not be written by this user
        ReadOnlyFolder, // the folder takes no new file: the journal of a change cannot be made
        OpenedReadOnly, // the connection was opened for reading only
        DiskFull,
        Other,
    };
    WriteBlock whyRefused(const PlatformError &e) const;
    // Whether the error is another program's lock outlasting the wait.
    static bool isLock(const PlatformError &e);

private:
    void requireOpen() const;
    sqlite3 *m_db = nullptr;
};

// While it lives, the statements prepared on the connection may read anything and write only the
// one table of the main database. SQLite refuses the rest when it prepares a statement ("not
// authorized"): a change of the schema (CREATE, DROP, ALTER, REINDEX, ANALYZE, and the writes to
// sqlite_master they begin with), a write to any other table, also by a trigger the statement
// fires, ATTACH and DETACH, every PRAGMA but those that only report, and transaction control, so
// the statements cannot end or escape the transaction their caller holds open. It is the
// connection's only authorizer while it lives.
class WriteConfinement {
public:
    enum class Refused { Nothing, Schema, OtherTable, Attach, Pragma, Transaction };
    struct Refusal {
        Refused what = Refused::Nothing;
        QString name;    // the table, the pragma, the transaction command
        QString trigger; // the trigger whose statement was refused, if any
    };
    WriteConfinement(SqliteDbComponent &db, const QString &table);
    ~WriteConfinement();
    WriteConfinement(const WriteConfinement &) = delete;
    WriteConfinement &operator=(const WriteConfinement &) = delete;

    // What the last statement refused here tried to do.
    const Refusal &lastRefusal() const { return m_refusal; }

private:
    static int authorize(void *self, int action, const char *first, const char *second, const char *database,
                         const char *trigger);
    int refuse(Refused what, const char *name, const char *trigger);
    sqlite3 *m_db;
    QByteArray m_table;
    Refusal m_refusal;
};

// One write that takes effect whole or not at all. commit() makes it permanent; leaving the
// scope any other way (an error raised, an early return) takes all of it back. Opened while
// another transaction is open it becomes a savepoint inside it: its rollback undoes only its own
// work, and its commit keeps that work only as long as the outer transaction keeps it.
class Transaction {
public:
    explicit Transaction(SqliteDbComponent &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Raises the database's error, and the transaction stays open for the destructor to undo.
    void commit();
    // Takes the work back now; never raises.
    void rollback() noexcept;
    bool isNested() const { return !m_savepoint.isEmpty(); }
    bool isOpen() const { return m_open; }

private:
    sqlite3 *m_db;
    QByteArray m_savepoint; // empty for the outermost transaction
    bool m_open = false;
};
