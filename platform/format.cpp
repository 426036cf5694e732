#include "platform/format.h"

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

}  // namespace platform
