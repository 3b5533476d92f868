#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <sqlite3.h>

namespace {

// Whether a double lies exactly halfway between two numbers of 15 significant digits. Qt's
// conversion (and so vb::Str) rounds such a value away from zero, std::to_chars to the even
// digit; for these the neighbouring double away from zero gives Qt's digits.
bool exactTieAt16thDigit(double d)
{
    if (!std::isfinite(d) || d == 0)
        return false;
    // Cheap test first: the 16th and 17th significant digits of a tie read "50".
    char quick[40];
    const auto q = std::to_chars(quick, quick + sizeof quick, std::fabs(d), std::chars_format::scientific, 16);
    const char *digits = quick + 2; // past "d."
    if (q.ec != std::errc() || digits[14] != '5' || digits[15] != '0')
        return false;
    // The exact decimal value of a double has at most 767 significant digits.
    char full[800];
    const auto f = std::to_chars(full, full + sizeof full, std::fabs(d), std::chars_format::scientific, 770);
    if (f.ec != std::errc())
        return false;
    const char *fd = full + 2;
    if (fd[14] != '5')
        return false;
    for (const char *p = fd + 15; p < f.ptr && *p != 'e'; ++p)
        if (*p != '0')
            return false;
    return true;
}

// A file that is not a database, or not a whole one, is told from what the first reads meet,
// not from a pass over every page: the schema is read (SQLite checks the header, its "SQLite
// format 3" text, page size and format numbers, and every page of the schema), then the file
// must hold whole pages, every one its header counts. All under one read lock, so that a
// journal left by a crash has been played back first and no writer changes the file meanwhile.
// A page damaged further in is reported when something reads it.
void recognise(sqlite3 *db)
{
    // The first value of the statement's first row, as a number or a text.
    auto number = [db](const char *sql) {
        Statement st(db, sql, -1);
        return st.step() ? sqlite3_column_int64(st.handle(), 0) : sqlite3_int64(0);
    };
    auto text = [db](const char *sql) {
        Statement st(db, sql, -1);
        return st.step() ? QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), 0)))
                         : QByteArray();
    };
    number("BEGIN");
    number("SELECT count(*) FROM sqlite_master");
    const bool wal = text("PRAGMA journal_mode").compare("wal", Qt::CaseInsensitive) == 0;
    const sqlite3_int64 pageSize = number("PRAGMA page_size");
    const sqlite3_int64 pages = number("PRAGMA page_count");
    sqlite3_file *file = nullptr;
    sqlite3_int64 bytes = -1;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods
        || file->pMethods->xFileSize(file, &bytes) != SQLITE_OK)
        throw PlatformError(SQLITE_IOERR, QStringLiteral("disk I/O error"));
    // In WAL mode the newest pages may still lie in the log, beside the file.
    if (pageSize <= 0 || bytes < pageSize || (!wal && (bytes % pageSize != 0 || pages * pageSize > bytes)))
        throw PlatformError(SQLITE_CORRUPT, QStringLiteral("database disk image is malformed"));
    number("COMMIT");
}

// What every use of a connection that is not open raises.
PlatformError notOpen()
{
    return PlatformError(3709, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                              "either closed or invalid in this context."));
}

} // namespace

PlatformError sqliteError(sqlite3 *db, int rc)
{
    const char *msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    // The connection's extended code belongs to this failure only when it says the same thing.
    int extended = db ? sqlite3_extended_errcode(db) : rc;
    if ((extended & 0xff) != (rc & 0xff))
        extended = rc;
    return PlatformError(rc & 0xff, QString::fromUtf8(msg), extended);
}

// ---- Statement ----

Statement::Statement(sqlite3 *db, const char *sql, int bytes, const char **tail) : m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql, bytes, &m_stmt, tail);
    if (rc != SQLITE_OK) {
        const PlatformError e = sqliteError(db, rc);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw e;
    }
}

Statement::Statement(sqlite3 *db, const QString &sql) : Statement()
{
    const QByteArray utf8 = sql.toUtf8();
    *this = Statement(db, utf8.constData(), int(utf8.size()));
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement &&other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) { other.m_stmt = nullptr; }

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::bind(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const int rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throw sqliteError(m_db, rc);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw sqliteError(m_db, rc);
}

void Statement::run()
{
    while (step()) {
    }
}

void Statement::reset() { sqlite3_reset(m_stmt); }

// ---- Field / Fields ----

QVariant Field::Value() const { return m_rs->value(m_index); }
QString Field::Text() const { return m_rs->text(m_index); }

QString Field::Name() const
{
    m_rs->requireOpen();
    return m_rs->m_names.value(m_index);
}

int Fields::Count() const
{
    m_rs->requireOpen();
    return m_rs->m_names.size();
}

Field Fields::operator()(int index) const
{
    m_rs->requireOpen();
    if (index < 0 || index >= m_rs->m_names.size())
        throw PlatformError(
            3265,
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return Field(m_rs, index);
}

Field Fields::operator()(const QString &name) const { return operator()(m_rs->columnIndex(name)); }

// ---- Recordset ----

Recordset::~Recordset() = default;

void Recordset::requireOpen() const
{
    if (!m_statement)
        throw PlatformError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::step()
{
    // A failed step leaves no row current.
    m_eof = true;
    m_eof = !m_statement.step();
}

void Recordset::MoveFirst()
{
    requireOpen();
    m_statement.reset();
    step();
}

void Recordset::MoveNext()
{
    requireOpen();
    if (m_eof)
        throw PlatformError(3021, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    step();
}

void Recordset::Close()
{
    requireOpen();
    m_statement = Statement();
    m_eof = true;
    m_names.clear();
}

QVariant Recordset::value(int index) const
{
    requireOpen();
    sqlite3_stmt *const st = m_statement.handle();
    if (m_eof)
        throw PlatformError(3021, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    switch (sqlite3_column_type(st, index)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, index));
    case SQLITE_TEXT: {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, index));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(st, index)));
    }
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char *>(sqlite3_column_blob(st, index)), sqlite3_column_bytes(st, index)));
    default:
        return QVariant();
    }
}

QString Recordset::text(int index) const
{
    requireOpen();
    if (m_eof)
        throw PlatformError(3021, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    // Texts and whole numbers, nearly every cell of a list, skip the QVariant.
    sqlite3_stmt *const st = m_statement.handle();
    switch (sqlite3_column_type(st, index)) {
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, index)),
                                 sqlite3_column_bytes(st, index));
    case SQLITE_INTEGER:
        return QString::number(qint64(sqlite3_column_int64(st, index)));
    case SQLITE_NULL:
        return QString();
    default:
        return vb::Str(value(index));
    }
}

std::string_view Recordset::textUtf8(int index, TextBuffer &buffer) const
{
    char *const b = buffer.bytes;
    char *const e = b + sizeof buffer.bytes;
    // One call into the statement per cell; the value's own readers take no lock.
    sqlite3_value *v = sqlite3_column_value(m_statement.handle(), index);
    switch (sqlite3_value_type(v)) {
    case SQLITE_TEXT:
        return {reinterpret_cast<const char *>(sqlite3_value_text(v)), size_t(sqlite3_value_bytes(v))};
    case SQLITE_INTEGER:
        return {b, size_t(std::to_chars(b, e, static_cast<long long>(sqlite3_value_int64(v))).ptr - b)};
    case SQLITE_FLOAT: {
        // As vb::Str writes a double: whole numbers as digits, others with 15 significant
        // digits and a decimal comma.
        const double d = sqlite3_value_double(v);
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return {b, size_t(std::to_chars(b, e, static_cast<long long>(d)).ptr - b)};
        char *end =
            std::to_chars(b, e, exactTieAt16thDigit(d) ? std::nextafter(d, 2 * d) : d, std::chars_format::general, 15)
                .ptr;
        std::replace(b, end, '.', ',');
        return {b, size_t(end - b)};
    }
    case SQLITE_BLOB: {
        const int n = sqlite3_value_bytes(v);
        return n ? std::string_view(static_cast<const char *>(sqlite3_value_blob(v)), size_t(n)) : std::string_view();
    }
    default:
        return {};
    }
}

Recordset::RawValue Recordset::rawValue(int index) const
{
    sqlite3_value *v = sqlite3_column_value(m_statement.handle(), index);
    RawValue r;
    r.type = sqlite3_value_type(v);
    switch (r.type) {
    case SQLITE_INTEGER:
        r.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        r.real = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT:
        r.text = {reinterpret_cast<const char *>(sqlite3_value_text(v)), size_t(sqlite3_value_bytes(v))};
        break;
    default:
        break;
    }
    return r;
}

int Recordset::columnIndex(const QString &name) const
{
    requireOpen();
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw PlatformError(
        3265, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
}

// ---- SqliteDbComponent ----

SqliteDbComponent::~SqliteDbComponent()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void SqliteDbComponent::requireOpen() const
{
    if (!m_db)
        throw notOpen();
}

void SqliteDbComponent::open(const QString &path, const QString &, Access access)
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    // A missing file must not be replaced by a new empty database.
    QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        throw PlatformError(SQLITE_CANTOPEN, QStringLiteral("unable to open database file"));
    // SQLite takes an empty file for a new database; here it can only be a damaged one, and
    // writing into it would put an empty database in place of the user's.
    if (fi.size() == 0)
        throw PlatformError(SQLITE_NOTADB, QStringLiteral("file is not a database"));
    sqlite3 *db = nullptr;
    // The program uses its connection from one thread only: no lock around every call.
    const int mode = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, mode | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        PlatformError e = sqliteError(db, rc);
        sqlite3_close_v2(db);
        throw e;
    }
    sqlite3_busy_timeout(db, 2000);
    try {
        recognise(db);
    } catch (const PlatformError &) {
        sqlite3_close_v2(db);
        throw;
    }
    m_db = db;
}

bool SqliteDbComponent::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

void SqliteDbComponent::execute(const QString &sql)
{
    requireOpen();
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    while (tail < end) {
        Statement st(m_db, tail, int(end - tail), &tail);
        if (st) // blank or comment only otherwise
            st.run();
    }
}

int SqliteDbComponent::changes() const
{
    requireOpen();
    return sqlite3_changes(m_db);
}

std::unique_ptr<Recordset> SqliteDbComponent::query(const QString &sql)
{
    requireOpen();
    Statement st(m_db, sql);
    if (!st)
        throw PlatformError(SQLITE_MISUSE, QStringLiteral("not a query"));
    auto rs = std::make_unique<Recordset>();
    const int n = sqlite3_column_count(st.handle());
    rs->m_names.reserve(n);
    for (int i = 0; i < n; ++i)
        rs->m_names << QString::fromUtf8(sqlite3_column_name(st.handle(), i));
    rs->m_statement = std::move(st);
    rs->step();
    return rs;
}

bool SqliteDbComponent::hasObject(const QString &type, const QString &name) const
{
    requireOpen();
    Statement st(m_db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ?1 AND name = ?2 COLLATE NOCASE "
                                      "UNION ALL "
                                      "SELECT 1 FROM sqlite_temp_master WHERE type = ?1 AND name = ?2 COLLATE NOCASE"));
    st.bind(1, type.toLower());
    st.bind(2, name);
    return st.step();
}

bool SqliteDbComponent::hasColumn(const QString &table, const QString &column) const
{
    requireOpen();
    Statement st(m_db, QStringLiteral("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE"));
    st.bind(1, table);
    st.bind(2, column);
    return st.step();
}

namespace {
// A name as SQL writes it: bare, or quoted with "", [] or ``.
const QString kName = QStringLiteral(R"((?:"(?:[^"]|"")*"|\[[^\]]*\]|`(?:[^`]|``)*`|[^\s.(,;"\[`]+))");

QString unquoted(const QString &name)
{
    if (name.size() >= 2) {
        const QChar first = name.front();
        if (first == QLatin1Char('"') || first == QLatin1Char('`'))
            return name.mid(1, name.size() - 2).replace(QString(2, first), QString(first));
        if (first == QLatin1Char('['))
            return name.mid(1, name.size() - 2);
    }
    return name;
}
}

bool SqliteDbComponent::rowAlreadyThere(const PlatformError &e)
{
    return e.extendedCode() == SQLITE_CONSTRAINT_PRIMARYKEY || e.extendedCode() == SQLITE_CONSTRAINT_UNIQUE;
}

bool SqliteDbComponent::alreadyApplied(const QString &sql, const PlatformError &e) const
{
    if (rowAlreadyThere(e))
        return true;
    if (e.number() != SQLITE_ERROR || !m_db)
        return false;
    static const QRegularExpression create(
        QStringLiteral(R"(^\s*CREATE\s+(?:TEMP\s+|TEMPORARY\s+)?(?:UNIQUE\s+|VIRTUAL\s+)?(TABLE|INDEX|VIEW|TRIGGER)\s+)"
                       R"((?:IF\s+NOT\s+EXISTS\s+)?(?:%1\s*\.\s*)?(%1))")
            .arg(kName),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression addColumn(
        QStringLiteral(R"(^\s*ALTER\s+TABLE\s+(?:%1\s*\.\s*)?(%1)\s+ADD\s+(?:COLUMN\s+)?(%1))").arg(kName),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = create.match(sql); m.hasMatch())
        return hasObject(m.captured(1), unquoted(m.captured(2)));
    if (const auto m = addColumn.match(sql); m.hasMatch())
        return hasColumn(unquoted(m.captured(1)), unquoted(m.captured(2)));
    return false;
}

void SqliteDbComponent::tryWrite()
{
    // The transaction refuses a connection that is not open.
    Transaction probe(*this);
    // Setting the version in the header to the value it holds changes a page: the database
    // takes the write lock and makes its journal as for any change, and the rollback undoes it.
    const QString version = query(QStringLiteral("PRAGMA user_version"))->Fields()(0).Text();
    execute(QStringLiteral("PRAGMA user_version = ") + version);
}

bool SqliteDbComponent::isLock(const PlatformError &e)
{
    return e.number() == SQLITE_BUSY || e.number() == SQLITE_LOCKED;
}

SqliteDbComponent::WriteBlock SqliteDbComponent::whyRefused(const PlatformError &e) const
{
    if (isLock(e))
        return WriteBlock::Locked;
    if (e.number() == SQLITE_FULL)
        return WriteBlock::DiskFull;
    if (!m_db || (e.number() != SQLITE_READONLY && e.number() != SQLITE_CANTOPEN))
        return WriteBlock::Other;
    const QFileInfo file(QString::fromUtf8(sqlite3_db_filename(m_db, "main")));
    if (QStorageInfo(file.absolutePath()).isReadOnly())
        return WriteBlock::ReadOnlyMedium;
    if (file.exists() && !file.isWritable())
        return WriteBlock::ReadOnlyFile;
    if (e.extendedCode() == SQLITE_READONLY_DIRECTORY || !QFileInfo(file.absolutePath()).isWritable())
        return WriteBlock::ReadOnlyFolder;
    if (sqlite3_db_readonly(m_db, "main") == 1)
        return WriteBlock::OpenedReadOnly;
    return WriteBlock::Other;
}

// ---- WriteConfinement ----

WriteConfinement::WriteConfinement(SqliteDbComponent &db, const QString &table)
    : m_db(db.handle()), m_table(table.toUtf8())
{
    if (!m_db)
        throw notOpen();
    sqlite3_set_authorizer(m_db, &WriteConfinement::authorize, this);
}

WriteConfinement::~WriteConfinement() { sqlite3_set_authorizer(m_db, nullptr, nullptr); }

int WriteConfinement::refuse(Refused what, const char *name, const char *trigger)
{
    m_refusal = {what, QString::fromUtf8(name ? name : ""), QString::fromUtf8(trigger ? trigger : "")};
    return SQLITE_DENY;
}

int WriteConfinement::authorize(void *self, int action, const char *first, const char *, const char *database,
                                const char *trigger)
{
    auto *const guard = static_cast<WriteConfinement *>(self);
    switch (action) {
    case SQLITE_READ:
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE: {
        if (first && database && qstricmp(first, guard->m_table.constData()) == 0 && qstrcmp(database, "main") == 0)
            return SQLITE_OK;
        // A schema change begins with a write to the table that holds the schema.
        const bool schema = first
                            && (qstricmp(first, "sqlite_master") == 0 || qstricmp(first, "sqlite_temp_master") == 0
                                || qstricmp(first, "sqlite_schema") == 0 || qstricmp(first, "sqlite_temp_schema") == 0);
        return guard->refuse(schema ? Refused::Schema : Refused::OtherTable, first, trigger);
    }
    case SQLITE_PRAGMA: {
        // Those that only report on the schema or check the file, whatever their argument.
        static const char *const reporting[] = {"table_info",  "table_xinfo",      "index_list",      "index_info",
                                                "index_xinfo", "foreign_key_list", "integrity_check", "quick_check"};
        for (const char *name : reporting)
            if (first && qstricmp(first, name) == 0)
                return SQLITE_OK;
        return guard->refuse(Refused::Pragma, first, trigger);
    }
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return guard->refuse(Refused::Attach, first, trigger);
    case SQLITE_TRANSACTION: // BEGIN, COMMIT or ROLLBACK
        return guard->refuse(Refused::Transaction, first, trigger);
    case SQLITE_SAVEPOINT:
        return guard->refuse(Refused::Transaction, "SAVEPOINT", trigger);
    default: // CREATE, DROP, ALTER, REINDEX, ANALYZE, virtual tables
        return guard->refuse(Refused::Schema, first, trigger);
    }
}

// ---- Transaction ----

namespace {
void runOn(sqlite3 *db, const char *sql)
{
    Statement st(db, sql, -1);
    st.run();
}
}

Transaction::Transaction(SqliteDbComponent &db) : m_db(db.handle())
{
    if (!m_db)
        throw notOpen();
    if (sqlite3_get_autocommit(m_db)) {
        // The write lock is taken now, not half-way through the statements.
        runOn(m_db, "BEGIN IMMEDIATE");
    } else {
        static std::atomic<unsigned> counter{0};
        m_savepoint = "norvik_" + QByteArray::number(++counter);
        runOn(m_db, ("SAVEPOINT " + m_savepoint).constData());
    }
    m_open = true;
}

Transaction::~Transaction() { rollback(); }

void Transaction::commit()
{
    if (!m_open)
        throw PlatformError(SQLITE_MISUSE, QStringLiteral("the transaction is no longer open"));
    runOn(m_db, m_savepoint.isEmpty() ? "COMMIT" : ("RELEASE " + m_savepoint).constData());
    m_open = false;
}

void Transaction::rollback() noexcept
{
    if (!m_open)
        return;
    m_open = false;
    try {
        if (m_savepoint.isEmpty()) {
            // SQLite may have rolled back by itself already (a full disk, an I/O error).
            if (!sqlite3_get_autocommit(m_db))
                runOn(m_db, "ROLLBACK");
        } else {
            runOn(m_db, ("ROLLBACK TO " + m_savepoint).constData());
            runOn(m_db, ("RELEASE " + m_savepoint).constData());
        }
    } catch (...) {
        // Nothing left to take back: the outer transaction is gone with everything in it.
    }
}
