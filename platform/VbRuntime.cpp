#include "platform/VbRuntime.h"
#include "platform/NumberRule.h"
#include "platform/PlatformError.h"
#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>

namespace vb {

namespace {
const QLocale &italian()
{
    static const QLocale l(QLocale::Italian, QLocale::Italy);
    return l;
}

PlatformError typeMismatch() { return PlatformError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch")); }

double toDouble(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        throw PlatformError(94, QStringLiteral("Invalid use of Null"));
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    default: {
        const std::optional<double> d = NumberRule::read(v.toString());
        if (!d)
            throw typeMismatch();
        return *d;
    }
    }
}
}

QString Str(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        QString s = QString::number(d, 'g', 15);
        s.replace(QLatin1Char('.'), QLatin1Char(','));
        return s;
    }
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("Vero") : QStringLiteral("Falso");
    case QMetaType::QDate:
        return ShortDate(v.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return ShortDate(dt.date());
        return ShortDate(dt.date()) + QLatin1Char(' ') + LongTime(dt.time());
    }
    default:
        return v.toString();
    }
}

bool IsNumeric(const QString &text) { return NumberRule::isNumber(text); }

double CDbl(const QVariant &v) { return toDouble(v); }

double RoundHalfEven(double x)
{
    return std::nearbyint(x); // default rounding mode is to nearest, ties to even
}

short CInt(const QVariant &v)
{
    const double r = RoundHalfEven(toDouble(v));
    if (r < -32768 || r > 32767)
        throw PlatformError(6, QStringLiteral("Overflow"));
    return short(r);
}

qint32 CLng(const QVariant &v)
{
    const double r = RoundHalfEven(toDouble(v));
    if (r < -2147483648.0 || r > 2147483647.0)
        throw PlatformError(6, QStringLiteral("Overflow"));
    return qint32(r);
}

namespace {
// A text seen as its code units: a QString, or UTF-8 bytes that are all ASCII.
char16_t unitAt(const QString &t, int i) { return t.at(i).unicode(); }
char16_t unitAt(std::string_view t, int i) { return char16_t(static_cast<unsigned char>(t[size_t(i)])); }
int length(const QString &t) { return int(t.size()); }
int length(std::string_view t) { return int(t.size()); }

// Reads a run of 1..maxDigits digits at i; false when there is none.
template <class Text>
bool digits(const Text &t, int &i, int maxDigits, int &value, int *count = nullptr)
{
    int n = 0;
    value = 0;
    while (i < length(t) && n < maxDigits && unitAt(t, i) >= '0' && unitAt(t, i) <= '9') {
        value = value * 10 + (unitAt(t, i) - '0');
        ++i;
        ++n;
    }
    if (count)
        *count = n;
    return n > 0;
}

template <class Text>
bool sep(const Text &t, int &i, const char *allowed)
{
    if (i >= length(t))
        return false;
    for (const char *a = allowed; *a; ++a)
        if (unitAt(t, i) == char16_t(*a)) {
            ++i;
            return true;
        }
    return false;
}

// Hand-written: sorting a long list by date parses every cell. `t` is trimmed already.
template <class Text>
bool parseDateParts(const Text &t, QDate &date, QTime &time)
{
    int i = 0, a, b, c, n = 0;
    int y, m, d, hh = 0, mm = 0, ss = 0;
    if (!digits(t, i, 4, a, &n))
        return false;
    if (n == 4) { // stored form YYYY-MM-DD[ HH:MM[:SS]]
        y = a;
        if (!sep(t, i, "-") || !digits(t, i, 2, m) || !sep(t, i, "-") || !digits(t, i, 2, d))
            return false;
        if (i < length(t)) {
            if (!sep(t, i, " T") || !digits(t, i, 2, hh) || !sep(t, i, ":") || !digits(t, i, 2, mm, &n) || n != 2)
                return false;
            if (i < length(t) && (!sep(t, i, ":") || !digits(t, i, 2, ss, &n) || n != 2))
                return false;
        }
    } else if (n <= 2) { // Italian form d/m/yy[yy][ hh:mm[:ss]]
        d = a;
        if (!sep(t, i, "/.-") || !digits(t, i, 2, b) || !sep(t, i, "/.-") || !digits(t, i, 4, c, &n)
            || (n != 2 && n != 4))
            return false;
        m = b;
        y = n == 2 ? c + (c < 30 ? 2000 : 1900) : c;
        if (i < length(t)) {
            if (!sep(t, i, " ") || !digits(t, i, 2, hh) || !sep(t, i, ":.") || !digits(t, i, 2, mm, &n) || n != 2)
                return false;
            if (i < length(t) && (!sep(t, i, ":.") || !digits(t, i, 2, ss, &n) || n != 2))
                return false;
        }
    } else {
        return false;
    }
    if (i != length(t))
        return false;
    date = QDate(y, m, d);
    time = QTime(hh, mm, ss);
    return date.isValid() && time.isValid();
}
}

bool ParseDateParts(const QString &raw, QDate &date, QTime &time) { return parseDateParts(raw.trimmed(), date, time); }

bool ParseDateParts(std::string_view utf8, QDate &date, QTime &time)
{
    for (char ch : utf8)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return ParseDateParts(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), date, time);
    // What QString::trimmed takes away from an ASCII text.
    auto blank = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
    size_t b = 0, e = utf8.size();
    while (b < e && blank(utf8[b]))
        ++b;
    while (e > b && blank(utf8[e - 1]))
        --e;
    return parseDateParts(utf8.substr(b, e - b), date, time);
}

namespace {
// Days from 1 March of year 0 (proleptic Gregorian) counted the usual way, moved to the day-count
// origin 30/12/1899; the same count as QDate's for the years 1 to 9999.
qint64 daySerial(int y, int m, int d)
{
    y -= m <= 2;
    const int era = y / 400; // y >= 0 here
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return qint64(era) * 146097 + doe - 693899;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
}

std::optional<qint64> DateSeconds(std::string_view utf8)
{
    // The stored form "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", nearly every date a list shows,
    // read directly; any other text the way ParseDateParts reads it.
    const size_t n = utf8.size();
    auto digit = [&](size_t i) { return utf8[i] >= '0' && utf8[i] <= '9'; };
    auto number = [&](size_t i, size_t count) {
        int v = 0;
        for (size_t k = 0; k < count; ++k)
            v = v * 10 + (utf8[i + k] - '0');
        return v;
    };
    bool stored = (n == 10 || n == 19) && utf8[4] == '-' && utf8[7] == '-';
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        stored = stored && digit(i);
    if (stored && n == 19) {
        stored = utf8[10] == ' ' && utf8[13] == ':' && utf8[16] == ':';
        for (size_t i : {11, 12, 14, 15, 17, 18})
            stored = stored && digit(i);
    }
    if (stored) {
        static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
        const int hh = n == 19 ? number(11, 2) : 0, mm = n == 19 ? number(14, 2) : 0, ss = n == 19 ? number(17, 2) : 0;
        if (y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= monthDays[m - 1] + (m == 2 && leapYear(y)) && hh < 24
            && mm < 60 && ss < 60)
            return daySerial(y, m, d) * 86400 + hh * 3600 + mm * 60 + ss;
    }
    QDate date;
    QTime time;
    if (!ParseDateParts(utf8, date, time))
        return std::nullopt;
    return qint64(DateSerial(date)) * 86400 + time.msecsSinceStartOfDay() / 1000;
}

QDateTime ParseDate(const QString &raw)
{
    QDate date;
    QTime time;
    if (!ParseDateParts(raw, date, time))
        return QDateTime();
    // Dates here carry no zone; UTC spares a time-zone lookup per value.
    return QDateTime(date, time, Qt::UTC);
}


QDateTime CDate(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0), Qt::UTC);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (!v.isValid() || v.isNull())
        throw PlatformError(94, QStringLiteral("Invalid use of Null"));
    const QDateTime dt = ParseDate(v.toString());
    if (!dt.isValid())
        throw typeMismatch();
    return dt;
}

QString FormatAmount(double value) { return italian().toString(value, 'f', 2); }

size_t FormatAmountUtf8(double value, char *out)
{
    // Below 2^40 an exact tie is recognised by value * 8 (exact) being odd, and one step to the
    // next double is far smaller than a cent.
    if (!(std::fabs(value) < 1e12))
        return 0;
    if (value == 0)
        value = 0; // no "-0,00" for a negative zero
    // The locale rounds a tie away from zero, std::to_chars to the even digit.
    if (std::fmod(std::fabs(value) * 8, 2) == 1)
        value = std::nextafter(value, value > 0 ? HUGE_VAL : -HUGE_VAL);
    char digits[32];
    const char *end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2).ptr;
    const char *p = digits;
    char *o = out;
    if (*p == '-')
        *o++ = *p++;
    const char *point = end - 3;
    const size_t whole = size_t(point - p);
    for (size_t i = 0; i < whole; ++i) {
        if (i && (whole - i) % 3 == 0)
            *o++ = '.';
        *o++ = p[i];
    }
    *o++ = ',';
    *o++ = point[1];
    *o++ = point[2];
    return size_t(o - out);
}

QString ShortDate(const QDate &d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }
QString LongTime(const QTime &t) { return t.toString(QStringLiteral("HH:mm:ss")); }

double DateSerial(const QDate &d) { return double(QDate(1899, 12, 30).daysTo(d)); }

bool Like(const QString &text, const QString &pattern)
{
    QString re;
    for (QChar c : pattern) {
        if (c == QLatin1Char('*'))
            re += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            re += QLatin1Char('.');
        else if (c == QLatin1Char('#'))
            re += QStringLiteral("\\d");
        else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(re), QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}
}
