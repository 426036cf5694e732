// The calls of one user action reach the server in one round trip: leaving
// the filter panel (the day, its first opening's sales, their first sale's
// details and the first Z reduction's sub-tables) and moving to another
// sale, with the same calls and loads as when each goes alone.

#include <gtest/gtest.h>

#include "platform/batchingtransport.h"
#include "server/inprocess.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using namespace registerday;

// Counts what crosses to the server: a call alone or a batch, one each.
class RoundTrips : public platform::ForwardingTransport {
 public:
  RoundTrips(std::unique_ptr<platform::RemoteTransport> inner, int& count)
      : ForwardingTransport(std::move(inner)), count_(count) {}
  platform::RemoteResult call(const std::string& token, const std::string& op,
                              std::vector<platform::Value>& args) override {
    ++count_;
    return inner().call(token, op, args);
  }
  std::vector<platform::RemoteResult> callBatch(const std::string& token,
                                                std::vector<platform::RemoteCall>& calls) override {
    ++count_;
    return inner().callBatch(token, calls);
  }

 private:
  int& count_;
};

class BatchedScreen : public livetest::LiveScreen {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<livetest::RecordingTransport>(
        std::make_unique<platform::BatchingTransport>(std::make_unique<RoundTrips>(
            std::make_unique<server::InProcessTransport>(session->embeddedServer()), roundTrips)),
        calls));
    c.setSessionToken(session->token());
  }
  int roundTrips = 0;
};

TEST_F(BatchedScreen, LeavingThePanelAndMovingToASaleTakeOneRoundTripEach) {
  screen::TfrmManutVenda& f = open();
  calls.clear();
  roundTrips = 0;
  loadDay(f, demoDay(0));
  ASSERT_TRUE(ui.shown.empty()) << ui.lastText();
  EXPECT_EQ(calls.size(), 9u);
  EXPECT_EQ(roundTrips, 1) << ::testing::PrintToString(calls);
  // What the keys were taken from on the server is what the screen shows.
  ASSERT_FALSE(f.cdsPedidoVenda.isEmpty());
  ASSERT_FALSE(f.cdsReducaoZ.isEmpty());
  EXPECT_EQ(calls[2], "GetItens(0001, 001, " + f.cdsPedidoVenda.fieldByName("NRSEQVENDA").asString() + ")");
  EXPECT_NE(calls[5].find(f.cdsReducaoZ.fieldByName("NRECFREDZ").asString() + ")"), std::string::npos);
  const double total = f.nedTotal.value();

  calls.clear();
  roundTrips = 0;
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.next(); }));
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(roundTrips, 1);
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.first(); }));
  EXPECT_EQ(f.nedTotal.value(), total);
  EXPECT_EQ(roundTrips, 2);
}

}  // namespace
