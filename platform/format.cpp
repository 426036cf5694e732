#include "platform/format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace platform {

std::string formatGeneral(double value, NumberLocale loc) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s(buf);
  for (char& c : s)
    if (c == '.') c = loc.decimal;
  return s;
}

std::string formatNumber(double value, std::string_view pattern, NumberLocale loc) {
  const size_t dot = pattern.find('.');
  std::string_view intPart = pattern.substr(0, dot);
  std::string_view decPart = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
  int decimals = 0, minDecimals = 0;
  for (char c : decPart) {
    if (c == '0') ++minDecimals, ++decimals;
    else if (c == '#') ++decimals;
  }
  int minInt = 0;
  for (char c : intPart)
    if (c == '0') ++minInt;
  const bool group = intPart.find(',') != std::string_view::npos;

  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
  std::string digits(buf);
  std::string ip = digits.substr(0, digits.find('.'));
  std::string dp = decimals > 0 ? digits.substr(digits.find('.') + 1) : std::string();
  while (static_cast<int>(dp.size()) > minDecimals && !dp.empty() && dp.back() == '0') dp.pop_back();
  if (ip == "0" && minInt == 0) ip.clear();
  while (static_cast<int>(ip.size()) < minInt) ip.insert(ip.begin(), '0');
  if (group && ip.size() > 3) {
    std::string g;
    const int n = static_cast<int>(ip.size());
    for (int i = 0; i < n; ++i) {
      if (i > 0 && (n - i) % 3 == 0) g += loc.thousands;
      g += ip[i];
    }
    ip = g;
  }
  std::string out = ip;
  if (!dp.empty()) out += loc.decimal + dp;
  const bool zero = out.find_first_of("123456789") == std::string::npos;
  if (value < 0 && !zero) out.insert(out.begin(), '-');
  return out;
}

std::optional<double> parseNumber(std::string_view text, NumberLocale loc) {
  std::string clean;
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  text = text.substr(b, e - b);
  if (text.empty()) return std::nullopt;
  bool seenDecimal = false, seenDigit = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '-' || c == '+') && i == 0) clean += c;
    else if (c >= '0' && c <= '9') clean += c, seenDigit = true;
    else if (c == loc.decimal && !seenDecimal) clean += '.', seenDecimal = true;
    else if (c == loc.thousands && !seenDecimal && seenDigit) continue;
    else return std::nullopt;
  }
  if (!seenDigit) return std::nullopt;
  return std::strtod(clean.c_str(), nullptr);
}

}  // namespace platform
