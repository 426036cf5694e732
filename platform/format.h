#pragma once
// Number formatting and parsing as the screen shows and reads numbers.
// Display formats use the pattern language of the screen's fields
// ("#,##0.00", "###0.00", "0.000", ...): '0' a digit always shown, '#' a
// digit shown when significant, ',' thousands grouping, '.' the decimal
// point. On screen the Brazilian separators apply (',' decimal, '.'
// thousands). All functions are pure and thread-safe.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct NumberLocale {
  char decimal = ',';
  char thousands = '.';
};

// The Brazilian locale the screen uses, and the neutral one of the wire.
inline constexpr NumberLocale kBrazil{',', '.'};
inline constexpr NumberLocale kNeutral{'.', ','};

// Shortest general decimal text with at most 15 significant digits: no
// trailing zeros, no exponent for ordinary magnitudes ("0.3", "12.35", "7").
// This is the text the item total and Trunc2 are computed through.
std::string formatGeneral(double value, NumberLocale loc = kNeutral);

// Formats with a display pattern; rounding half away from zero at the
// pattern's number of decimals.
std::string formatNumber(double value, std::string_view pattern, NumberLocale loc = kBrazil);

// Strict parse of a number as typed: optional sign, digits, optional
// thousands separators, optional decimal part. Blank or garbage gives nullopt.
std::optional<double> parseNumber(std::string_view text, NumberLocale loc = kBrazil);

}  // namespace platform
