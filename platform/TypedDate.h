#pragma once
// The one reading of a date the user types: in a date picker, in a filter's date bound and in a
// report's date answer, so that a date taken in one place is taken in every other.
#include <QDate>
#include <QDateTime>
#include <QString>

namespace TypedDate {
// Years before this are taken for slips of the keyboard.
constexpr int FirstYear = 1601;

// The date of a text, blanks around it ignored:
// - day and month of one or two digits and a year of four or two digits, separated by "/", "-"
//   or "." (the same one both times): 1/2/2024, 01-02-24, 1.2.24;
// - eight digits ddmmyyyy, six digits ddmmyy: 01022024, 010224;
// - the stored form yyyy-mm-dd, alone or followed by hh:mm:ss.
// A two-digit year 00-29 is 2000-2029, 30-99 is 1930-1999. A day the month does not have
// (31/02/2024) makes no date. The time is 00:00:00 unless the stored form gives one. Any other
// text gives an invalid value.
QDateTime read(const QString &text);

// A month typed as m/yyyy or m/yy (or with "-" or "." between): its first day; invalid otherwise.
QDate readMonth(const QString &text);
}
