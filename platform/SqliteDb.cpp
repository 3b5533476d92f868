#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include <QFileInfo>
#include <algorithm>
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

PlatformError sqliteError(sqlite3 *db, int rc)
{
    const char *msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return PlatformError(rc & 0xff, QString::fromUtf8(msg));
}
}

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

Recordset::~Recordset()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

void Recordset::requireOpen() const
{
    if (!m_stmt)
        throw PlatformError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_eof = false;
    } else if (rc == SQLITE_DONE) {
        m_eof = true;
    } else {
        m_eof = true;
        throw sqliteError(m_db, rc);
    }
}

void Recordset::MoveFirst()
{
    requireOpen();
    sqlite3_reset(m_stmt);
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
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_eof = true;
    m_names.clear();
}

QVariant Recordset::value(int index) const
{
    requireOpen();
    if (m_eof)
        throw PlatformError(3021, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, index));
    case SQLITE_TEXT: {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(m_stmt, index)));
    }
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, index)),
                                   sqlite3_column_bytes(m_stmt, index)));
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
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index)),
                                 sqlite3_column_bytes(m_stmt, index));
    case SQLITE_INTEGER:
        return QString::number(qint64(sqlite3_column_int64(m_stmt, index)));
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
    sqlite3_value *v = sqlite3_column_value(m_stmt, index);
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
        throw PlatformError(3709, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                                 "either closed or invalid in this context."));
}

void SqliteDbComponent::open(const QString &path, const QString &)
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
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        PlatformError e = sqliteError(db, rc);
        sqlite3_close_v2(db);
        throw e;
    }
    sqlite3_busy_timeout(db, 2000);
    // Reading the schema and a quick check tells a damaged or foreign file at once.
    sqlite3_stmt *st = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
    QString verdict;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            verdict = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        rc = (rc == SQLITE_ROW || rc == SQLITE_DONE) ? SQLITE_OK : rc;
    }
    if (rc != SQLITE_OK) {
        PlatformError e = sqliteError(db, rc);
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        throw e;
    }
    sqlite3_finalize(st);
    if (verdict != QLatin1String("ok")) {
        sqlite3_close_v2(db);
        throw PlatformError(SQLITE_CORRUPT, QStringLiteral("database disk image is malformed"));
    }
    m_db = db;
}

void SqliteDbComponent::execute(const QString &sql)
{
    requireOpen();
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &st, &tail);
        if (rc != SQLITE_OK)
            throw sqliteError(m_db, rc);
        if (!st) // blank or comment only
            continue;
        do {
            rc = sqlite3_step(st);
        } while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            PlatformError e = sqliteError(m_db, rc);
            sqlite3_finalize(st);
            throw e;
        }
        sqlite3_finalize(st);
    }
}

std::unique_ptr<Recordset> SqliteDbComponent::query(const QString &sql)
{
    requireOpen();
    sqlite3_stmt *st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), utf8.size(), &st, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(m_db, rc);
    if (!st)
        throw PlatformError(SQLITE_MISUSE, QStringLiteral("not a query"));
    auto rs = std::make_unique<Recordset>();
    rs->m_db = m_db;
    rs->m_stmt = st;
    const int n = sqlite3_column_count(st);
    rs->m_names.reserve(n);
    for (int i = 0; i < n; ++i)
        rs->m_names << QString::fromUtf8(sqlite3_column_name(st, i));
    rs->step();
    return rs;
}
