// A printer's Z reduction against its previous one: each kind of break,
// the boundaries that still continue, and figures that cannot be compared.

#include <gtest/gtest.h>

#include "platform/zcontinuity.h"

using namespace platform;

namespace {

// Previous day: reduction 41, grand total 1,000.00, coupons up to 500,
// restart counter 2.
ZReadings previousDay() { return {"0000000002", "0000000041", "0000000400", "0000000500", 1000.0, 150.0}; }
// A next day that continues it.
ZReadings nextDay() { return {"0000000002", "0000000042", "0000000501", "0000000620", 1250.0, 250.0}; }

TEST(ZContinuity, EachKindOfBreakWithItsFigures) {
  struct Case {
    const char* what;
    void (*spoil)(ZReadings&);
    std::vector<ZBreak> breaks;
  };
  const std::vector<Case> cases = {
      {"continues", [](ZReadings&) {}, {}},
      {"reduction skipped", [](ZReadings& z) { z.reduction = "0000000043"; }, {{ZBreakKind::Reduction, 42, 43}}},
      {"reduction repeated", [](ZReadings& z) { z.reduction = "41"; }, {{ZBreakKind::Reduction, 42, 41}}},
      {"grand total a cent off",
       [](ZReadings& z) { z.grandTotal = 1250.01; },
       {{ZBreakKind::GrandTotal, 1000.0, 1000.01}}},
      {"first coupon not after the last",
       [](ZReadings& z) { z.firstCoupon = "0000000500"; },
       {{ZBreakKind::FirstCoupon, 501, 500}}},
      {"first coupon well after the last", [](ZReadings& z) { z.firstCoupon = "0000000510"; }, {}},
      {"restart counter lower", [](ZReadings& z) { z.restart = "1"; }, {{ZBreakKind::Restart, 2, 1}}},
      {"restart counter higher", [](ZReadings& z) { z.restart = "3"; }, {}},
      {"blank and unreadable figures are not compared",
       [](ZReadings& z) {
         z.reduction = "";
         z.firstCoupon = "12a";
         z.grossSale.reset();
         z.restart = "-1";
       },
       {}},
      {"all at once",
       [](ZReadings& z) {
         z.reduction = "0000000050";
         z.grossSale = 100.0;
         z.firstCoupon = "0000000001";
         z.restart = "0000000000";
       },
       {{ZBreakKind::Reduction, 42, 50},
        {ZBreakKind::GrandTotal, 1000.0, 1150.0},
        {ZBreakKind::FirstCoupon, 501, 1},
        {ZBreakKind::Restart, 2, 0}}},
  };
  for (const Case& c : cases) {
    ZReadings z = nextDay();
    c.spoil(z);
    const std::vector<ZBreak> got = zContinuityBreaks(previousDay(), z);
    ASSERT_EQ(got.size(), c.breaks.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].kind, c.breaks[i].kind) << c.what;
      EXPECT_DOUBLE_EQ(got[i].expected, c.breaks[i].expected) << c.what;
      EXPECT_DOUBLE_EQ(got[i].found, c.breaks[i].found) << c.what;
    }
  }
}

}  // namespace
