#pragma once
// The one way the program reads a number typed or shown the Italian way, and writes one into SQL.
//
// With a comma, the comma is the decimal separator and points before it group thousands
// ("1.250,50" is 1250.5, "12,5" is 12.5). Without a comma, a typed text whose points separate
// groups of three digits after a first group of one to three digits not starting with 0 reads as
// thousands ("1.250" is 1250, "12.500.000" is 12500000); any other single point is the decimal
// point ("12.50", "1.5", "0.125", "1.2345"). Blanks around the text, a leading sign and a closing
// euro sign (the grids' display form) are allowed; anything else ("12a", "1,2,3", "1e3",
// "1.2.3", "12.5,3") is not a number.
//
// A text the program keeps (database texts, grid cells, settings) is read by read: there, without
// a comma, a point is always the decimal point, as the database writes numbers ("1.125" is
// 1.125), so no stored value changes its meaning. A text a user types is read by readTyped.
#include <QString>
#include <optional>
#include <string_view>

namespace NumberRule {

// A number as the program keeps it.
std::optional<double> read(QStringView text);
// The same rule on UTF-8 text (cells kept as bytes).
std::optional<double> read(std::string_view utf8);
inline bool isNumber(QStringView text) { return read(text).has_value(); }

// A number as a user types it.
std::optional<double> readTyped(QStringView text);
inline bool isTypedNumber(QStringView text) { return readTyped(text).has_value(); }

// A number in the database's notation: decimal point, no grouping, no exponent, the shortest
// digits that read back as the same number ("1250.5", "-3", "0.1").
QString toSql(double value);

// A number as a clerk types it back: the digits of toSql with a decimal comma ("1250,5"), which
// read reads as the same number.
QString toTyped(double value);

// A typed amount as the SQL number it stands for; nothing when the text is not a number.
std::optional<QString> amountSql(QStringView typed);

}
