#include "platform/datetime.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace platform {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian). Evaluated at
// compile time for the epoch below, so the date helpers work even from
// other libraries' static initialisers, whatever their order.
constexpr long long daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate civilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr long long kEpochOffset = daysFromCivil(1899, 12, 30);

// Milliseconds of the day, rounded so that 10:30:00 stored as a fraction
// reads back as 10:30:00 and not 10:29:59.999.
long long msecOfDay(DateTime dt) {
  const double f = timeOf(dt);
  long long ms = std::llround(f * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  return ms;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Splits on a separator and parses each part as a non-negative integer of 1
// to maxDigits digits; empty optional when any part is not such a number.
std::optional<std::vector<int>> numbers(std::string_view s, char sep, size_t maxDigits) {
  std::vector<int> out;
  while (true) {
    const size_t pos = s.find(sep);
    std::string_view part = s.substr(0, pos);
    if (part.empty() || part.size() > maxDigits) return std::nullopt;
    int v = 0;
    auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (ec != std::errc() || p != part.data() + part.size()) return std::nullopt;
    out.push_back(v);
    if (pos == std::string_view::npos) break;
    s.remove_prefix(pos + 1);
  }
  return out;
}

}  // namespace

bool isValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int max = month == 2 && leap ? 29 : kDays[month - 1];
  return day <= max;
}

bool isValidTime(int hour, int minute, int second, int msec) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && msec >= 0 && msec < 1000;
}

DateTime encodeDate(int year, int month, int day) {
  return DateTime(static_cast<double>(daysFromCivil(year, month, day) - kEpochOffset));
}

DateTime encodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
  const double t = ((hour * 60.0 + minute) * 60.0 + second + msec / 1000.0) / 86400.0;
  // Before the epoch the time still counts forward from the start of the
  // day, so it is subtracted from a negative day count.
  const double d = encodeDate(year, month, day).days;
  return DateTime(d >= 0 ? d + t : d - t);
}

DateTime dateOf(DateTime dt) { return DateTime(std::trunc(dt.days)); }

double timeOf(DateTime dt) { return std::fabs(dt.days - std::trunc(dt.days)); }

CivilDate decodeDate(DateTime dt) { return civilFromDays(static_cast<long long>(std::trunc(dt.days)) + kEpochOffset); }

ClockTime decodeTime(DateTime dt) {
  long long ms = msecOfDay(dt);
  ClockTime t;
  t.msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.second = static_cast<int>(ms % 60);
  ms /= 60;
  t.minute = static_cast<int>(ms % 60);
  t.hour = static_cast<int>(ms / 60);
  return t;
}

std::string formatDate(DateTime dt) {
  const CivilDate c = decodeDate(dt);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.day, c.month, c.year);
  return buf;
}

std::string formatTime(DateTime dt) {
  const ClockTime t = decodeTime(dt);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

std::string formatDateTime(DateTime dt) {
  if (msecOfDay(dt) == 0) return formatDate(dt);
  return formatDate(dt) + " " + formatTime(dt);
}

std::optional<DateTime> parseTime(std::string_view text) {
  text = trim(text);
  auto parts = numbers(text, ':', 2);
  if (!parts || parts->size() < 2 || parts->size() > 3) return std::nullopt;
  const int h = (*parts)[0], n = (*parts)[1], s = parts->size() == 3 ? (*parts)[2] : 0;
  if (!isValidTime(h, n, s)) return std::nullopt;
  return DateTime(((h * 60.0 + n) * 60.0 + s) / 86400.0);
}

std::optional<DateTime> parseDate(std::string_view text) {
  text = trim(text);
  auto parts = numbers(text, '/', 4);
  if (!parts || parts->size() != 3) return std::nullopt;
  int d = (*parts)[0], m = (*parts)[1], y = (*parts)[2];
  const size_t yearDigits = text.size() - text.rfind('/') - 1;
  if ((*parts)[0] > 31 || (*parts)[1] > 12) return std::nullopt;
  if (yearDigits <= 2)
    y += y < 50 ? 2000 : 1900;
  else if (yearDigits != 4)
    return std::nullopt;
  if (!isValidDate(y, m, d)) return std::nullopt;
  return encodeDate(y, m, d);
}

std::optional<DateTime> parseDateTime(std::string_view text) {
  text = trim(text);
  const size_t blank = text.find(' ');
  if (blank == std::string_view::npos) {
    if (text.find('/') != std::string_view::npos) return parseDate(text);
    return parseTime(text);
  }
  auto d = parseDate(text.substr(0, blank));
  auto t = parseTime(text.substr(blank + 1));
  if (!d || !t) return std::nullopt;
  return DateTime(d->days >= 0 ? d->days + t->days : d->days - t->days);
}

DateTime now() {
  const std::time_t t = std::time(nullptr);
  std::tm lt{};
  localtime_r(&t, &lt);
  return encodeDateTime(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
}

DateTime today() { return dateOf(now()); }

}  // namespace platform
