#include "platform/zcontinuity.h"

#include <charconv>
#include <cmath>

#include "platform/text.h"

namespace platform {

std::optional<long long> zCounter(const std::string& text) {
  const std::string t = trim(text);
  long long v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < 0) return std::nullopt;
  return v;
}

std::vector<ZBreak> zContinuityBreaks(const ZReadings& previous, const ZReadings& current) {
  std::vector<ZBreak> out;
  const auto prevReduction = zCounter(previous.reduction), curReduction = zCounter(current.reduction);
  if (prevReduction && curReduction && *curReduction != *prevReduction + 1)
    out.push_back({ZBreakKind::Reduction, static_cast<double>(*prevReduction + 1), static_cast<double>(*curReduction)});

  // Amounts compare in cents, as the printer prints them.
  if (previous.grandTotal && current.grandTotal && current.grossSale) {
    const long long expected = std::llround(*previous.grandTotal * 100.0);
    const long long found = std::llround(*current.grandTotal * 100.0) - std::llround(*current.grossSale * 100.0);
    if (found != expected) out.push_back({ZBreakKind::GrandTotal, expected / 100.0, found / 100.0});
  }

  const auto prevLast = zCounter(previous.lastCoupon), curFirst = zCounter(current.firstCoupon);
  if (prevLast && curFirst && *curFirst <= *prevLast)
    out.push_back({ZBreakKind::FirstCoupon, static_cast<double>(*prevLast + 1), static_cast<double>(*curFirst)});

  const auto prevRestart = zCounter(previous.restart), curRestart = zCounter(current.restart);
  if (prevRestart && curRestart && *curRestart < *prevRestart)
    out.push_back({ZBreakKind::Restart, static_cast<double>(*prevRestart), static_cast<double>(*curRestart)});
  return out;
}

}  // namespace platform
