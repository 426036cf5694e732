#include <gtest/gtest.h>

#include "tests/livescreen.h"

namespace {

using livetest::LiveScreen;

// The screen opens on the embedded server with the logged operator's
// branch, and its connection runs in that operator's session.
TEST_F(LiveScreen, OpensOnTheEmbeddedServerAsTheLoggedOperator) {
  screen::TfrmManutVenda& f = open();
  EXPECT_EQ(f.medFilial.text(), "0001");
  EXPECT_FALSE(f.edtFilial.text().empty());
  EXPECT_TRUE(f.netManutVenda.connected());
  f.vd_PerManut();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "getPerManut(0001)");
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
  EXPECT_EQ(ui.progressDepth, 0);
}

}  // namespace
