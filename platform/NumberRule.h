#pragma once
// The one way the program reads a number typed or shown the Italian way, and writes one into SQL.
//
// With a comma, the comma is the decimal separator and points before it group thousands
// ("1.250,50" is 1250.5, "12,5" is 12.5). Without a comma the text is read with a decimal point,
// as the database stores numbers and as a dialog shows a stored amount ("12.50" is 12.5).
// Blanks around the text, a leading sign and a closing euro sign (the grids' display form) are
// allowed; anything else ("12a", "1,2,3", "1e3", "1.2.3", "12.5,3") is not a number.
#include <QString>
#include <optional>
#include <string_view>

namespace NumberRule {

std::optional<double> read(QStringView text);
// The same rule on UTF-8 text (cells kept as bytes).
std::optional<double> read(std::string_view utf8);
inline bool isNumber(QStringView text) { return read(text).has_value(); }

// A number in the database's notation: decimal point, no grouping, no exponent, the shortest
// digits that read back as the same number ("1250.5", "-3", "0.1").
QString toSql(double value);

// A typed amount as the SQL number it stands for; nothing when the text is not a number.
std::optional<QString> amountSql(QStringView typed);

}
