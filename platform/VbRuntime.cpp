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
// Reads a run of 1..maxDigits digits at i; false when there is none.
bool digits(const QString &t, int &i, int maxDigits, int &value, int *count = nullptr)
{
    int n = 0;
    value = 0;
    while (i < t.size() && n < maxDigits && t.at(i).isDigit() && t.at(i).unicode() < 128) {
        value = value * 10 + (t.at(i).unicode() - '0');
        ++i;
        ++n;
    }
    if (count)
        *count = n;
    return n > 0;
}

bool sep(const QString &t, int &i, const char *allowed)
{
    if (i >= t.size())
        return false;
    for (const char *a = allowed; *a; ++a)
        if (t.at(i) == QLatin1Char(*a)) {
            ++i;
            return true;
        }
    return false;
}
}

bool ParseDateParts(const QString &raw, QDate &date, QTime &time)
{
    // Hand-written: sorting a long list by date parses every cell.
    const QString t = raw.trimmed();
    int i = 0, a, b, c, n = 0;
    int y, m, d, hh = 0, mm = 0, ss = 0;
    if (!digits(t, i, 4, a, &n))
        return false;
    if (n == 4) { // stored form YYYY-MM-DD[ HH:MM[:SS]]
        y = a;
        if (!sep(t, i, "-") || !digits(t, i, 2, m) || !sep(t, i, "-") || !digits(t, i, 2, d))
            return false;
        if (i < t.size()) {
            if (!sep(t, i, " T") || !digits(t, i, 2, hh) || !sep(t, i, ":") || !digits(t, i, 2, mm, &n) || n != 2)
                return false;
            if (i < t.size() && (!sep(t, i, ":") || !digits(t, i, 2, ss, &n) || n != 2))
                return false;
        }
    } else if (n <= 2) { // Italian form d/m/yy[yy][ hh:mm[:ss]]
        d = a;
        if (!sep(t, i, "/.-") || !digits(t, i, 2, b) || !sep(t, i, "/.-") || !digits(t, i, 4, c, &n)
            || (n != 2 && n != 4))
            return false;
        m = b;
        y = n == 2 ? c + (c < 30 ? 2000 : 1900) : c;
        if (i < t.size()) {
            if (!sep(t, i, " ") || !digits(t, i, 2, hh) || !sep(t, i, ":.") || !digits(t, i, 2, mm, &n) || n != 2)
                return false;
            if (i < t.size() && (!sep(t, i, ":.") || !digits(t, i, 2, ss, &n) || n != 2))
                return false;
        }
    } else {
        return false;
    }
    if (i != t.size())
        return false;
    date = QDate(y, m, d);
    time = QTime(hh, mm, ss);
    return date.isValid() && time.isValid();
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

bool IsDate(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return false;
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return true;
    return ParseDate(v.toString()).isValid();
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
