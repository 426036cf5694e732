// A batch runs its calls in order and stops at the first failure, whose
// error comes back as the call alone would get it; later calls take their
// keys from earlier answers; a batch that cannot run as sent runs nothing.
// Over HTTP and in process alike.

#include <atomic>

#include "platform/remoteprotocol.h"
#include "tests/server/http_fixture.h"

using namespace httptest;
using platform::RemoteCall;
using platform::RemoteResult;

namespace {

class HttpBatch : public HttpServerTest {
 protected:
  void SetUp() override {
    fillDatabase(db_.connect()->session());
    server::OperationRegistry r = testRegistry();
    // Reads: one answering a packet of keys, one counting its runs.
    r.add("GetChaves", "S", [](server::OperationContext&, std::vector<Value>& a) {
      DataPacket p;
      p.fields = {{"CD", FieldType::String, 4}, {"DT", FieldType::DateTime, 0}};
      if (a[0].asText() == "S") p.rows.push_back({platform::RowKind::Unchanged, {"0002", platform::DateTime(46000)}, {}});
      return Value(ValueArray{Value(), Value(p)});
    });
    r.add("GetConta", "SD", [this](server::OperationContext&, std::vector<Value>& a) {
      ++runs_;
      return Value(ValueArray{a[0], a[1]});
    });
    app_ = std::make_shared<server::AppServer>(db_.connectionString(), std::move(r));
    server::HttpServerOptions o;
    o.keepAlive = std::chrono::seconds(1);
    o.log = [](const std::string&) {};
    http_ = std::make_unique<server::HttpServer>(*app_, o);
    port_ = http_->start("127.0.0.1", 0);
  }

  std::atomic<int> runs_{0};
};

TEST_F(HttpBatch, StopsAtTheFirstFailureWithTheErrorTheCallGetsAlone) {
  auto http = httpConnection();
  auto local = inProcessConnection();
  for (platform::TNetConnection* conn : {http.get(), local.get()}) {
    logOn(*conn);
    runs_ = 0;
    // getPerManut with two arguments: refused before it runs.
    std::vector<Value> badArgs{"0001", "x"};
    const RemoteResult alone = conn->call("getPerManut", badArgs);
    ASSERT_FALSE(alone.ok);
    for (const char* failing : {"getPerManut", "SemTal"}) {
      std::vector<RemoteCall> calls{{"GetConta", {"a", platform::DateTime(1)}, {}},
                                    {failing, badArgs, {}},
                                    {"GetConta", {"b", platform::DateTime(2)}, {}}};
      const std::vector<RemoteResult> results = conn->callBatch(calls);
      ASSERT_EQ(results.size(), 2u) << failing;
      EXPECT_TRUE(results[0].ok);
      EXPECT_FALSE(results[1].ok);
      std::vector<Value> again = badArgs;
      EXPECT_EQ(results[1].error, conn->call(failing, again).error);
    }
    EXPECT_EQ(runs_, 2) << "the call after the failure never ran";
    EXPECT_NE(alone.error, "");

    // The key of the row a record set would make current, or the value
    // sent when there is none.
    for (const char* rows : {"S", "N"}) {
      std::vector<RemoteCall> calls{
          {"GetChaves", {rows}, {}},
          {"GetConta", {"", platform::DateTime(0)}, {{0, 0, 1, "CD"}, {1, 0, 1, "DT"}}}};
      const std::vector<RemoteResult> results = conn->callBatch(calls);
      ASSERT_EQ(results.size(), 2u);
      const Value expected = *rows == 'S' ? Value(ValueArray{"0002", platform::DateTime(46000)})
                                          : Value(ValueArray{"", platform::DateTime(0)});
      EXPECT_EQ(results[1].value, expected) << rows;
    }

    // A write, a reference ahead, a missing session: nothing runs, and the
    // first call gets the refusal.
    runs_ = 0;
    std::vector<std::vector<RemoteCall>> refused{
        {{"GetConta", {"a", platform::DateTime(1)}, {}}, {"ContaFiliais", {}, {}}},
        {{"GetConta", {"a", platform::DateTime(1)}, {{0, 1, -1, "CD"}}}, {"GetConta", {"b", Value()}, {}}}};
    for (auto& calls : refused) {
      const std::vector<RemoteResult> results = conn->callBatch(calls);
      ASSERT_EQ(results.size(), 1u);
      EXPECT_FALSE(results[0].ok);
    }
    conn->logoff();
    std::vector<RemoteCall> calls{{"GetConta", {"a", platform::DateTime(1)}, {}}};
    const std::vector<RemoteResult> results = conn->callBatch(calls);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_NE(results[0].error.find("Sessão"), std::string::npos) << results[0].error;
    EXPECT_EQ(runs_, 0);
  }
}

TEST_F(HttpBatch, RefusalsOfTheWholeBatchHaveTheirHttpStatus) {
  auto conn = httpConnection();
  logOn(*conn);
  httplib::Client client("127.0.0.1", port_);
  const httplib::Headers auth{{"Authorization", "Bearer " + conn->sessionToken()}};
  struct Case {
    const char* body;
    int status;
  };
  for (const Case& c : {Case{R"([["GetConta", ["a", null], []], ["ContaFiliais", [], []]])", 400},
                        Case{R"([["GetConta", ["a", null]]])", 400}, Case{"[]", 400}, Case{"{}", 400}}) {
    auto res = client.Post("/api/v1/batch", auth, c.body, "application/json");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status) << c.body;
    EXPECT_FALSE(platform::protocol::decodeReply(res->body, platform::WireFormat::Json).ok);
  }
  auto res = client.Post("/api/v1/batch", R"([["GetConta", ["a", null], []]])", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 401);
  EXPECT_EQ(runs_, 0);
  res = client.Post("/api/v1/batch", auth, R"([["GetConta", ["a", null], []]])", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, R"([true,[[true,["a",null],[]]],[]])");
}

}  // namespace
