#include "platform/consiste.h"

#include <cmath>

#include "platform/abort.h"
#include "platform/text.h"
#include "platform/uiservice.h"

namespace platform {

void MensErro(const std::string& text) {
  ui().showMessage(text, MsgKind::Error, MsgButtons::Ok);
  throw SilentAbort();
}

bool EmptyString(std::string_view s) { return trim(s).empty(); }

std::string AllTrim(std::string_view s) { return trim(s); }

std::string Ajusta(std::string_view code, size_t width) {
  const std::string trimmed = trim(code);
  const bool digits = trimmed.find_first_not_of("0123456789") == std::string::npos;
  if (trimmed.empty() || !digits || utf8Length(trimmed) >= width) return trimmed;
  return utf8PadLeft(trimmed, width, '0');
}

double RoundDec(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  return parseGeneral(formatFixed(value, decimals)).value_or(value);
}

double Trunc2(double x, NumberLocale loc) {
  if (!std::isfinite(x)) return x;
  if (std::fabs(x) < 0.001) return 0.0;
  const std::string s = formatGeneral(x, loc);
  const size_t p = s.find(loc.decimal);
  if (p == std::string::npos || s.find('E') != std::string::npos) return parseGeneral(s, loc).value_or(x);
  double r = parseGeneral(s.substr(0, p + 3), loc).value_or(x);
  if (s.size() >= p + 7 && s.compare(p + 3, 4, "9999") == 0) {
    r += s[0] == '-' ? -0.01 : 0.01;
    // Re-read through the 15-digit text so the result is the double nearest
    // the cent figure, not the cut value plus the binary error of 0.01.
    r = parseGeneral(formatGeneral(r, loc), loc).value_or(r);
  }
  return r == 0 ? 0.0 : r;
}

double FloatMask(std::string_view text, NumberLocale loc) {
  std::string s(text);
  for (char& c : s)
    if (!(c >= '0' && c <= '9') && c != '-' && c != loc.decimal) c = loc.decimal;
  const auto v = parseGeneral(s, loc);
  if (!v) throw UserError("'" + std::string(text) + "' não é um valor numérico válido.");
  return *v;
}

double ItemTotal(double q, double u, double ucl, double d, double a) {
  const long double t =
      static_cast<long double>(q) * (static_cast<long double>(u) + ucl) - (static_cast<long double>(d) - a);
  return Trunc2(parseGeneral(formatGeneralLong(t)).value_or(static_cast<double>(t)));
}

std::string ItemTotalText(double q, double u, double ucl, double d, double a, NumberLocale loc) {
  return formatNumber(ItemTotal(q, u, ucl, d, a), "###0.00", loc);
}

Value CheckResultServ(const RemoteResult& result) {
  if (!result.ok) MensErro(result.error);
  return result.value;
}

std::string DateMask() { return "!99/99/9999;1;_"; }

std::string PictPess(std::string_view type) {
  const std::string t = trim(type);
  if (equalsIgnoreCase(t, "F")) return "999.999.999-99;0;_";
  if (equalsIgnoreCase(t, "J")) return "99.999.999/9999-99;0;_";
  return {};
}

}  // namespace platform
