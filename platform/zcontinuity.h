#pragma once
// Continuity of a fiscal printer's Z reductions from one day to the next.
// The printer numbers its reductions and carries its grand total forward,
// so a reduction typed with a wrong counter or grand total shows against the
// printer's previous reduction:
// - the reduction counter is the previous one plus one;
// - the initial grand total (final grand total minus gross sale) is the
//   previous final grand total, to the cent;
// - the first fiscal coupon comes after the previous last coupon;
// - the restart counter never goes down.
// A figure that is blank or not a whole number (a counter) or missing (an
// amount) on either side is not compared: nothing can be said of it.
//
// Shared by the server's day check and the screen's Z reduction form, which
// shows the same breaks beside the fields as warnings, never as refusals.
//
// Thread-safety: pure functions.

#include <optional>
#include <string>
#include <vector>

namespace platform {

// What continuity reads of one Z reduction: the counters as typed (texts of
// digits, possibly padded) and the two amounts.
struct ZReadings {
  std::string restart, reduction, firstCoupon, lastCoupon;
  std::optional<double> grandTotal, grossSale;
};

enum class ZBreakKind { Reduction, GrandTotal, FirstCoupon, Restart };

// One break: what the previous reduction makes expected (for the first
// coupon, the lowest acceptable number; for the restart counter, the lowest
// acceptable value) and what the reduction carries.
struct ZBreak {
  ZBreakKind kind;
  double expected = 0, found = 0;
};

// The value of a counter text, when it is a whole number.
std::optional<long long> zCounter(const std::string& text);

// The breaks of `current` against `previous`, in the order of the kinds
// above; empty when the reduction continues its printer's previous one.
std::vector<ZBreak> zContinuityBreaks(const ZReadings& previous, const ZReadings& current);

}  // namespace platform
