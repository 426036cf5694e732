#include "platform/format.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/text.h"

namespace platform {
namespace {

constexpr int kSignificant = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A finite value rounded to at most 15 significant decimal digits:
// value = (negative ? -1 : 1) * 0.<digits> * 10^point. Digits carry no
// leading or trailing zeros; zero has no digits and is never negative.
struct Decimal {
  bool negative = false;
  std::string digits;
  int point = 0;
};

template <class T>
Decimal toDecimal(T value) {
  char buf[64];
  // "d.dddddddddddddde[+-]x": the library rounds the binary value correctly
  // to 15 significant digits.
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, kSignificant - 1);
  const std::string_view s(buf, static_cast<size_t>(r.ptr - buf));
  Decimal d;
  size_t i = 0;
  if (s[i] == '-') d.negative = true, ++i;
  const size_t e = s.find('e');
  for (; i < e; ++i)
    if (s[i] != '.') d.digits += s[i];
  size_t x = e + 1;
  const bool negExp = s[x] == '-';
  if (s[x] == '-' || s[x] == '+') ++x;
  int exp = 0;
  std::from_chars(s.data() + x, s.data() + s.size(), exp);
  d.point = (negExp ? -exp : exp) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = Decimal{};
  return d;
}

std::string nonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

template <class T>
std::string writeGeneral(T value, NumberLocale loc) {
  if (!std::isfinite(value)) return nonFinite(static_cast<double>(value));
  const Decimal d = toDecimal(value);
  if (d.digits.empty()) return "0";
  const int n = static_cast<int>(d.digits.size());
  const int exp = d.point - 1;
  std::string out = d.negative ? "-" : "";
  if (exp >= -5 && exp < kSignificant) {
    if (d.point <= 0)
      out += std::string("0") + loc.decimal + std::string(-d.point, '0') + d.digits;
    else if (d.point >= n)
      out += d.digits + std::string(d.point - n, '0');
    else
      out += d.digits.substr(0, d.point) + loc.decimal + d.digits.substr(d.point);
  } else {
    out += d.digits[0];
    if (n > 1) out += loc.decimal + d.digits.substr(1);
    out += 'E' + std::to_string(exp);
  }
  return out;
}

// |value| rounded half away from zero to `decimals` decimals, as digit
// strings: the integer part without leading zeros (empty when zero) and
// exactly `decimals` fraction digits.
struct Fixed {
  bool negative = false;
  std::string integer;
  std::string fraction;
};

Fixed roundFixed(double value, int decimals) {
  Decimal d = toDecimal(value);
  const long long keep = static_cast<long long>(d.point) + decimals;
  if (keep < static_cast<long long>(d.digits.size())) {
    const bool up = keep >= 0 && d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(keep < 0 ? 0 : static_cast<size_t>(keep));
    if (up) {
      size_t i = d.digits.size();
      while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
      if (i == 0) {
        d.digits.insert(d.digits.begin(), '1');
        ++d.point;
      } else {
        ++d.digits[i - 1];
      }
    }
  }
  Fixed f;
  f.negative = d.negative && d.digits.find_first_not_of('0') != std::string::npos;
  const int n = static_cast<int>(d.digits.size());
  if (d.point > 0) {
    f.integer = d.digits.substr(0, static_cast<size_t>(std::min(d.point, n)));
    if (d.point > n) f.integer.append(static_cast<size_t>(d.point - n), '0');
    if (f.integer.find_first_not_of('0') == std::string::npos) f.integer.clear();
  }
  for (int j = 0; j < decimals; ++j) {
    const long long idx = static_cast<long long>(d.point) + j;
    f.fraction += idx >= 0 && idx < n ? d.digits[static_cast<size_t>(idx)] : '0';
  }
  return f;
}

// Decimal text in the C form ("-12.5", "1E15") to double; nullopt when out
// of range. Negative zero comes back as zero.
std::optional<double> readC(const std::string& s) {
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v == 0 ? 0.0 : v;
}

}  // namespace

std::string formatGeneral(double value, NumberLocale loc) { return writeGeneral(value, loc); }

std::string formatGeneralLong(long double value, NumberLocale loc) { return writeGeneral(value, loc); }

std::optional<double> parseGeneral(std::string_view text, NumberLocale loc) {
  std::string c;
  size_t i = 0;
  const auto digits = [&] {
    const size_t from = i;
    while (i < text.size() && isDigit(text[i])) c += text[i++];
    return i > from;
  };
  if (i < text.size() && text[i] == '-') c += text[i++];
  if (!digits()) return std::nullopt;
  if (i < text.size() && text[i] == loc.decimal) {
    c += '.';
    ++i;
    digits();
  }
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    c += text[i++];
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) c += text[i++];
    if (!digits()) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return readC(c);
}

std::string formatNumber(double value, std::string_view pattern, NumberLocale loc) {
  if (!std::isfinite(value)) return nonFinite(value);
  const size_t dot = pattern.find('.');
  const std::string_view intPart = pattern.substr(0, dot);
  const std::string_view decPart = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
  int decimals = 0, minDecimals = 0, minInt = 0;
  for (char c : decPart) {
    if (c == '0')
      ++minDecimals, ++decimals;
    else if (c == '#')
      ++decimals;
  }
  for (char c : intPart)
    if (c == '0') ++minInt;
  const bool group = intPart.find(',') != std::string_view::npos;

  Fixed f = roundFixed(value, decimals);
  std::string& ip = f.integer;
  std::string& dp = f.fraction;
  while (static_cast<int>(dp.size()) > minDecimals && dp.back() == '0') dp.pop_back();
  if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<size_t>(minInt) - ip.size(), '0');
  std::string out = f.negative ? "-" : "";
  for (size_t i = 0; i < ip.size(); ++i) {
    if (group && i > 0 && (ip.size() - i) % 3 == 0) out += loc.thousands;
    out += ip[i];
  }
  if (!dp.empty()) out += loc.decimal + dp;
  return out;
}

std::string formatFixed(double value, int decimals, NumberLocale loc) {
  if (!std::isfinite(value)) return nonFinite(value);
  if (decimals < 0) decimals = 0;
  const Fixed f = roundFixed(value, decimals);
  std::string out = f.negative ? "-" : "";
  out += f.integer.empty() ? "0" : f.integer;
  if (decimals > 0) out += loc.decimal + f.fraction;
  return out;
}

std::optional<double> parseNumber(std::string_view raw, NumberLocale loc) {
  const std::string text = trim(raw);
  std::string intDigits, fracDigits;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Grouping, when used, must be the real thing: a first group of one to
  // three digits, then groups of exactly three. "12.50" under the Brazilian
  // locale is a decimal typed with the wrong key, not twelve hundred fifty.
  bool grouped = false;
  size_t groupLen = 0;
  for (; i < text.size() && (isDigit(text[i]) || text[i] == loc.thousands); ++i) {
    if (isDigit(text[i])) {
      intDigits += text[i];
      ++groupLen;
      continue;
    }
    if (grouped ? groupLen != 3 : (groupLen < 1 || groupLen > 3)) return std::nullopt;
    grouped = true;
    groupLen = 0;
  }
  if (grouped && groupLen != 3) return std::nullopt;
  if (i < text.size() && text[i] == loc.decimal)
    for (++i; i < text.size() && isDigit(text[i]); ++i) fracDigits += text[i];
  if (i != text.size() || (intDigits.empty() && fracDigits.empty())) return std::nullopt;
  return readC((negative ? "-" : "") + (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "0");
}

}  // namespace platform
