#pragma once
// The framework's validation and conversion helpers every screen routine
// leans on: reporting a failure, blank tests, code widths, the two rounding
// rules for amounts, the text-to-number reading of server prices, the item
// total text, the result check of remote calls and the edit masks.
//
// All functions are pure and thread-safe except MensErro and
// CheckResultServ, which show a message through the UI services and so
// belong to the user-interface thread.

#include <string>
#include <string_view>
#include <type_traits>

#include "platform/format.h"
#include "platform/remoteresult.h"
#include "platform/value.h"

namespace platform {

// Shows `text` as an error (OK button) and aborts the running action with
// SilentAbort, so the boundary that catches it shows nothing more.
[[noreturn]] void MensErro(const std::string& text);

// True for empty text or text made only of blanks and control characters.
bool EmptyString(std::string_view s);
// Trims blanks and control characters at both ends.
std::string AllTrim(std::string_view s);

// Brings a typed code to its column width. The code is trimmed; an empty code
// stays empty; a shorter code made only of digits is left-padded with '0'
// ("1" at width 4 is "0001"), so typed codes match the zero-padded codes
// stored in the database and fixed-width counters compare as text in numeric
// order. A code with any other character ("AB", a printer's make "EPSON") is
// kept as typed: padding it would only invent characters the user never
// typed. A code at or beyond the width is returned trimmed and never cut:
// what the user typed is never silently lost, and the look-up that follows
// reports an over-long code as not registered. The width counts UTF-8
// characters.
std::string Ajusta(std::string_view code, size_t width);

// Rounds half away from zero at `decimals` decimals (negative counts as 0),
// on the value's 15-significant-digit decimal form rather than its binary
// fraction: 2.675 -> 2.68, -2.675 -> -2.68, 1.005 -> 1.01, 2.665 -> 2.67.
// The result is the double nearest to the rounded decimal figure. NaN and
// infinities come back unchanged.
double RoundDec(double value, int decimals);

// Cuts a value to two decimals through its 15-digit text (never rounds):
// 2.675 -> 2.67, -2.675 -> -2.67, 10.1 -> 10.1, 7 -> 7, 1.23999 -> 1.23.
// |x| < 0.001 gives 0. When the four digits right after the second decimal
// are "9999", the cut value moves one cent away from zero, so values a
// binary sum left just under a cent boundary land on it: 12.349999999 ->
// 12.35, -3.999999 -> -4. Values written with an exponent (|x| >= 1e15) have
// no decimals to cut and come back as they are. The text is written and read
// with `loc`'s decimal separator; the result does not depend on it.
double Trunc2(double x, NumberLocale loc = kBrazil);

// Reads a number from a server text that may use either decimal point:
// every character other than a digit, '-' or `loc`'s decimal separator is
// taken as the decimal separator, then the text is read strictly (optional
// '-', at least one digit, at most one separator). So "12.50" is 12.5 under
// either separator, while "1.234,56" under the comma separator has two
// separators and fails. A text that yields no digit before the separator
// ("", "$5", "+5") fails too rather than being read as a fraction.
// Failure throws UserError("'<text>' não é um valor numérico válido.").
double FloatMask(std::string_view text, NumberLocale loc = kBrazil);

// An item's line total: T = q * (u + ucl) - (d - a) computed in long
// double, written with formatGeneralLong (15 digits), read back as a double
// and cut with Trunc2. The server sums sale totals from it, so they agree
// cent for cent with what the screen shows.
double ItemTotal(double q, double u, double ucl, double d, double a);

// The text of an item's line total (VRTOTAL): ItemTotal formatted with
// "###0.00". The text is what the grid shows, so it uses the screen's
// separators by default (q = 3, u = 0.1 gives "0,30"); whoever reads it back
// as a number parses it with the same locale.
std::string ItemTotalText(double q, double u, double ucl, double d, double a, NumberLocale loc = kBrazil);

// The framework's inline choice: `a` when `cond` holds, else `b`. Unlike the
// ?: operator both arguments are evaluated before the call.
template <class A, class B>
constexpr std::common_type_t<A, B> iif(bool cond, const A& a, const B& b) {
  if (cond) return a;
  return b;
}

// The value of a successful remote result; for a failed one the server's
// text is shown through MensErro and the action aborts.
Value CheckResultServ(const RemoteResult& result);

// The framework's date edit mask, "!99/99/9999;1;_": dd/mm/yyyy, separators
// stored with the value, '_' marking unfilled positions. Its last four
// characters are the ";1;_" tail after the picture, so a date-time mask is
// built by dropping them and appending a time picture: the register opening
// uses "!99/99/9999" + " !90:00:00;1; ".
std::string DateMask();

// The registration-number mask for a person type: "F" (natural person, CPF)
// "999.999.999-99;0;_", "J" (company, CNPJ) "99.999.999/9999-99;0;_", any
// other type "" (no mask). Both are stored without their literals. The type
// is matched trimmed and regardless of letter case.
std::string PictPess(std::string_view type);

}  // namespace platform
