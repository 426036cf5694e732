// Announced calls travel together and are handed out one by one; anything
// the screen asks that was not announced, or that the server did not run,
// goes alone, so batching never changes an answer.

#include "platform/batchingtransport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/packetcodec.h"

using namespace platform;

namespace {

DataPacket keyPacket(std::vector<std::string> keys) {
  DataPacket p;
  p.fields = {{"CD", FieldType::String, 4, false}, {"DT", FieldType::DateTime, 0, false}};
  for (const std::string& k : keys) p.rows.push_back({RowKind::Unchanged, {Value(k), Value(DateTime(46000))}, {}});
  return p;
}

// The server's side: answers "Op:arg0,arg1..."; "Lista" answers a packet
// of keys; operations named "Falha" fail. Counts round trips.
class FakeServer : public RemoteTransport {
 public:
  std::string connect(const RemoteEndpoint&) override { return {}; }
  void disconnect() override {}
  LogonResult logon(const std::string&, const std::string&, const std::string&) override { return {}; }
  void logoff(const std::string&) override {}
  RemoteResult call(const std::string&, const std::string& op, std::vector<Value>& args) override {
    ran.push_back(op);
    if (op == "Falha") return RemoteResult::failure("Venda já concluída.");
    if (op == "Lista") return RemoteResult::success(ValueArray{Value(keyPacket(keys))});
    std::string s = op + ":";
    for (const Value& a : args)
      s += (a.isDateTime() ? std::to_string(static_cast<int>(a.dateTime().days)) : a.asText()) + ",";
    return RemoteResult::success(Value(s));
  }
  std::vector<RemoteResult> callBatch(const std::string& token, std::vector<RemoteCall>& calls) override {
    ++roundTrips;
    return RemoteTransport::callBatch(token, calls);
  }
  std::vector<std::string> keys{"0001"};
  std::vector<std::string> ran;
  int roundTrips = 0;
};

struct Batching : ::testing::Test {
  Batching() {
    auto inner = std::make_unique<FakeServer>();
    server = inner.get();
    transport = std::make_unique<BatchingTransport>(std::move(inner));
  }
  RemoteResult call(const std::string& op, std::vector<Value> args) { return transport->call("t", op, args); }

  FakeServer* server;
  std::unique_ptr<BatchingTransport> transport;
};

TEST_F(Batching, AnnouncedCallsGoInOneExchangeAndTakeKeysFromEarlierAnswers) {
  RemoteCall second{"Itens", {Value(""), Value(DateTime(0))}, {{0, 0, 0, "CD"}, {1, 0, 0, "DT"}}};
  transport->expect({{"Lista", {Value("x")}, {}}, second, {"Soma", {Value("k")}, {}}});
  EXPECT_TRUE(call("Lista", {Value("x")}).ok);
  EXPECT_EQ(call("Itens", {Value("0001"), Value(DateTime(46000))}).value, Value("Itens:0001,46000,"));
  EXPECT_EQ(call("Soma", {Value("k")}).value, Value("Soma:k,"));
  EXPECT_EQ(server->roundTrips, 1);
  EXPECT_EQ(server->ran.size(), 3u);

  // With no row to take the key from, the announced values stand: an empty
  // text and the zero date, what the screen reads from an empty record set.
  server->keys.clear();
  transport->expect({{"Lista", {Value("x")}, {}}, second});
  call("Lista", {Value("x")});
  EXPECT_EQ(call("Itens", {Value(""), Value(DateTime(0))}).value, Value("Itens:,0,"));
  EXPECT_EQ(server->roundTrips, 2);
}

TEST_F(Batching, ACallNotAnnouncedGoesAloneAndWithdrawsTheRest) {
  transport->expect({{"A", {Value(1)}, {}}, {"B", {Value(2)}, {}}, {"C", {Value(3)}, {}}});
  call("A", {Value(1)});
  // Other arguments than announced: the answer is to what was asked.
  EXPECT_EQ(call("B", {Value(9)}).value, Value("B:9,"));
  EXPECT_EQ(call("C", {Value(3)}).value, Value("C:3,"));
  EXPECT_EQ(server->ran, (std::vector<std::string>{"A", "B", "C", "B", "C"}));

  // A first call that differs sends nothing ahead.
  server->ran.clear();
  transport->expect({{"A", {Value(1)}, {}}, {"B", {Value(2)}, {}}});
  call("B", {Value(2)});
  EXPECT_EQ(server->ran, (std::vector<std::string>{"B"}));
}

TEST_F(Batching, TheServerStopsAtTheFirstFailureAndLaterCallsGoAlone) {
  transport->expect({{"A", {}, {}}, {"Falha", {}, {}}, {"C", {}, {}}});
  EXPECT_TRUE(call("A", {}).ok);
  const RemoteResult failed = call("Falha", {});
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, "Venda já concluída.");
  EXPECT_EQ(server->ran, (std::vector<std::string>{"A", "Falha"}));
  // A screen that goes on after the failure gets its call run.
  EXPECT_EQ(call("C", {}).value, Value("C:"));
  EXPECT_EQ(server->ran.size(), 3u);

  // An action that ends early withdraws its announcement: the next action's
  // identical call is asked again, not answered from the old batch.
  transport->expect({{"A", {}, {}}, {"C", {}, {}}});
  call("A", {});
  transport->expect({});
  call("C", {});
  EXPECT_EQ(server->ran, (std::vector<std::string>{"A", "Falha", "C", "A", "C", "C"}));
}

TEST(RemoteBatch, RefusesReferencesThatLookAheadAndTravelsAsOneValue) {
  std::vector<RemoteCall> calls{{"A", {Value("x")}, {}}, {"B", {Value(""), Value(2)}, {{0, 0, 1, "CD"}}}};
  EXPECT_EQ(batchRefusal(calls), "");
  const std::vector<RemoteCall> back = batchFromValue(batchToValue(calls));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].args, calls[1].args);
  EXPECT_EQ(back[1].refs[0].element, 1);
  EXPECT_EQ(back[1].refs[0].field, "CD");
  calls[1].refs[0].call = 1;
  EXPECT_NE(batchRefusal(calls), "");
  calls[1].refs[0] = {5, 0, -1, "CD"};
  EXPECT_NE(batchRefusal(calls), "");
  EXPECT_NE(batchRefusal(std::vector<RemoteCall>(kMaxBatchCalls + 1, {"A", {}, {}})), "");
  for (const char* bad : {"[1]", "[[\"A\", [], [[0, 0, -2, \"CD\"]]]]", "[[\"A\", []]]", "[[\"A\", [], [[0, 0, 0]]]]"})
    EXPECT_THROW(batchFromValue(decodeValueJson(bad)), PacketError) << bad;
}

}  // namespace
