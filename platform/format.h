#pragma once
// Number formatting and parsing as the screen shows and reads numbers.
//
// Every conversion here works on the value's decimal form with at most 15
// significant digits (the precision a double reliably carries), never on the
// binary fraction. That is why 2.675, stored in binary as 2.67499999..., shows
// as "2,68" with two decimals, and why 0.1 + 0.2 writes as "0.3". Rounding is
// half away from zero on that decimal form: 1.005 -> "1,01", -2.675 ->
// "-2,68". A result that rounds to zero never carries a sign ("-0,00" never
// shows).
//
// Display patterns follow the screen's field formats ("#,##0.00", "###0.00",
// "0.00", "#,##0.000", "0.000", "#0.00", "#,##0", "0"): '0' a digit always
// shown, '#' a digit shown when significant, ',' thousands grouping (anywhere
// in the integer part), '.' the decimal point. On screen the Brazilian
// separators apply (',' decimal, '.' thousands).
//
// Nothing here depends on the C library's locale: the process may run under
// any LC_NUMERIC (the desktop toolkit sets the user's) and the results stay
// the same. All functions are pure and thread-safe.

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
// trailing zeros, no thousands separators ("0.3", "12.35", "7", "-0.5").
// Plain notation for 1e-5 <= |x| < 1e15 ("0.00001", "999999999999999");
// outside that range an exponent with upper-case E and no '+' or leading
// zeros: 1e-6 -> "1E-6", 1e15 -> "1E15", 1.5e16 -> "1.5E16". Zero (also
// negative zero) is "0"; NaN and infinities are "NAN", "INF", "-INF".
// This is the text the item total and Trunc2 are computed through.
std::string formatGeneral(double value, NumberLocale loc = kNeutral);
// The same for an extended-precision intermediate (the item total is
// computed in long double and written once, straight to 15 digits).
std::string formatGeneralLong(long double value, NumberLocale loc = kNeutral);

// Reads back what formatGeneral writes for finite values: optional '-',
// digits, optional decimal separator and digits, optional exponent ('E' or
// 'e', optional sign). At least one digit before the separator; no blanks,
// no grouping. Out-of-range magnitudes give nullopt; negative zero reads
// as 0.
std::optional<double> parseGeneral(std::string_view text, NumberLocale loc = kNeutral);

// Formats with a display pattern, rounding half away from zero at the
// pattern's number of decimals. Huge values are written in full. NaN and
// infinities come out as formatGeneral writes them.
std::string formatNumber(double value, std::string_view pattern, NumberLocale loc = kBrazil);

// Fixed notation with exactly `decimals` decimals (negative counts as 0), no
// grouping, same rounding as formatNumber. formatFixed(2.675, 2) == "2.68".
std::string formatFixed(double value, int decimals, NumberLocale loc = kNeutral);

// Strict parse of a number as a user types it: blanks around are ignored;
// optional '+' or '-'; digits, either without grouping ("1234,5") or grouped
// correctly ("1.234,5": one to three digits, then groups of exactly three);
// an optional decimal separator with digits after it (",5" and "5," are
// accepted). Anything else - blank text, a lone sign, misplaced separators
// such as "12.50" under the Brazilian locale, letters, exponents, a value
// out of the double range - gives nullopt.
std::optional<double> parseNumber(std::string_view text, NumberLocale loc = kBrazil);

}  // namespace platform
