#pragma once
// Conversions of the classic runtime the program's texts rely on, always with the Italian
// regional settings: decimal comma, thousands point, dates dd/mm/yyyy.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vb {
// "" & value: Null gives "", numbers in the Italian form (12,5), texts unchanged.
QString Str(const QVariant &v);
// Whether a text reads as a number as the program keeps numbers (NumberRule::read: keys, counts,
// settings, grid cells); what a user types is read by NumberRule::readTyped.
bool IsNumeric(const QString &text);
// CDbl: a text is read the same way; raises type mismatch (13) when it is no number.
double CDbl(const QVariant &v);
// CInt: 16-bit, banker's rounding; raises 13 on a bad text, 6 (overflow) out of range.
short CInt(const QVariant &v);
// CLng: 32-bit.
qint32 CLng(const QVariant &v);
// Round half to even, as the classic runtime does.
double RoundHalfEven(double x);
// A date from dd/mm/yyyy (also d/m/yy, with an optional time) or the stored form
// YYYY-MM-DD[ HH:MM:SS]; invalid QDateTime when the text is no date.
QDateTime ParseDate(const QString &text);
bool ParseDateParts(const QString &text, QDate &date, QTime &time);
// The same on UTF-8 text (a grid cell as it is kept).
bool ParseDateParts(std::string_view utf8, QDate &date, QTime &time);
// The seconds from the day-count origin to the date and time of a text, as DateSerial and the
// time of day of ParseDateParts give them; nothing when the text is no date.
std::optional<qint64> DateSeconds(std::string_view utf8);
// CDate: raises 13 when the value is no date.
QDateTime CDate(const QVariant &v);
// Format(value, "#,##0.00"): 1234.5 gives 1.234,50.
QString FormatAmount(double value);
// The same text in UTF-8, written into `out` (at least 24 bytes) without a QString, for an
// amount under a thousand billion; returns the bytes written, 0 for any other value.
size_t FormatAmountUtf8(double value, char *out);
// Short date and long time of the regional settings: 07/12/2026 and 22:19:40.
QString ShortDate(const QDate &d);
QString LongTime(const QTime &t);
// Serial day number of a date (days since 30/12/1899).
double DateSerial(const QDate &d);
// Like with the patterns the program uses: "*" any run, "?" one character; case-sensitive.
bool Like(const QString &text, const QString &pattern);
}
