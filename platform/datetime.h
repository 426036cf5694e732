#pragma once
// Calendar arithmetic on the day-count date scale (day 0 = 30/12/1899) and
// the Brazilian text forms users type and read: dd/mm/yyyy and hh:nn:ss.
// All functions are pure and thread-safe.

#include <optional>
#include <string>
#include <string_view>

#include "platform/value.h"

namespace platform {

struct CivilDate {
  int year = 1899, month = 12, day = 30;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct ClockTime {
  int hour = 0, minute = 0, second = 0, msec = 0;
  friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

bool isValidDate(int year, int month, int day);
bool isValidTime(int hour, int minute, int second, int msec = 0);

// Encode a civil date (and optional time) as a DateTime. Precondition: valid.
DateTime encodeDate(int year, int month, int day);
DateTime encodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec = 0);
CivilDate decodeDate(DateTime dt);
ClockTime decodeTime(DateTime dt);

// Whole-day part (time of day dropped), toward the earlier day also for the
// negative dates before 30/12/1899.
DateTime dateOf(DateTime dt);
double timeOf(DateTime dt);  // fraction of the day, 0 <= f < 1

// Text forms. formatDate gives dd/mm/yyyy; formatTime hh:nn:ss;
// formatDateTime gives "dd/mm/yyyy hh:nn:ss", or just the date when the time
// of day is exactly midnight (as a short date-time display does).
std::string formatDate(DateTime dt);
std::string formatTime(DateTime dt);
std::string formatDateTime(DateTime dt);

// Parsing as a Brazilian user types: d/m/yyyy or dd/mm/yy (two-digit years
// pivot at 50: 00-49 -> 20xx, 50-99 -> 19xx), optionally followed by
// blank and h:n or h:n:s. Time alone ("10:30:00") parses as a time on day 0.
// Anything else, or an impossible date/time, gives nullopt.
std::optional<DateTime> parseDate(std::string_view text);
std::optional<DateTime> parseTime(std::string_view text);
std::optional<DateTime> parseDateTime(std::string_view text);

// Today's date (no time) and the current date-time, from the local clock.
DateTime today();
DateTime now();

}  // namespace platform
