// Sessions live in the database: a client logs on through one server
// instance and works through another over the same database, a restarted
// server still knows it, and a logoff anywhere ends it everywhere.

#include "tests/server/http_fixture.h"

namespace {

using namespace httptest;

class SharedSessions : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    db_ = std::make_unique<testdb::Database>(GetParam());
    fillDatabase(db_->connect()->session());
  }

  struct Instance {
    std::shared_ptr<server::AppServer> app;
    std::unique_ptr<server::HttpServer> http;
    int port = 0;
  };
  Instance start() {
    Instance i;
    i.app = std::make_shared<server::AppServer>(db_->connectionString(), testRegistry());
    server::HttpServerOptions options;
    options.log = [](const std::string&) {};
    i.http = std::make_unique<server::HttpServer>(*i.app, options);
    i.port = i.http->start("127.0.0.1", 0);
    return i;
  }
  // A connection to one instance carrying the given session.
  std::unique_ptr<platform::TNetConnection> to(const Instance& i, const std::string& token = {}) {
    auto conn = std::make_unique<platform::TNetConnection>(std::string(server::kServerObject));
    conn->BeforeConnect = [port = i.port](platform::TNetConnection& c) {
      c.Host = "127.0.0.1";
      c.Port = port;
    };
    conn->setSessionToken(token);
    return conn;
  }

  std::unique_ptr<testdb::Database> db_;
};

TEST_P(SharedSessions, ALogonThroughOneInstanceWorksThroughAnother) {
  Instance a = start(), b = start();
  auto viaA = to(a);
  ASSERT_TRUE(viaA->logon("000000000001", "ana123", "0001").ok);
  const std::string token = viaA->sessionToken();

  auto viaB = to(b, token);
  std::vector<Value> args = {"0001"};
  platform::RemoteResult r = viaB->call("getPerManut", args);
  ASSERT_TRUE(r.ok) << r.error;
  // The operator rule holds with the session read from the database.
  std::vector<Value> cancel{"0001", "001", "0000000001", "000000000002", "x"};
  EXPECT_FALSE(viaB->call("CancelaVenda", cancel).ok);
  cancel[3] = "000000000001";
  EXPECT_TRUE(viaB->call("CancelaVenda", cancel).ok);

  // A restarted instance still serves it; the token itself is not stored.
  a.http.reset();
  a = start();
  EXPECT_TRUE(to(a, token)->call("getPerManut", args).ok);
  EXPECT_EQ(
      platform::sqlSelect(db_->connect()->session(), "SELECT COUNT(*) AS N FROM SESSAOSERVIDOR WHERE DSHASHTOKEN = :T",
                          {{"T", token}}, {{"N", platform::FieldType::Integer}})
          .rows[0]
          .values[0]
          .asNumber(),
      0);

  viaB->logoff();
  r = to(a, token)->call("getPerManut", args);
  EXPECT_EQ(r.error, "Sessão inexistente ou encerrada. Entre novamente no sistema.");
}

INSTANTIATE_TEST_SUITE_P(Backends, SharedSessions, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
