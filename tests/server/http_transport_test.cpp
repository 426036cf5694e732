// The screen's connection over both transports: by-reference arguments,
// identical answers in process and over HTTP, and a server that goes away
// and comes back.

#include "tests/server/http_fixture.h"

using namespace httptest;
using platform::RemoteResult;

namespace {

TEST_F(HttpServerTest, ByReferenceArgumentsComeBackUpdated) {
  auto conn = httpConnection();
  logOn(*conn);
  std::vector<Value> args{onePacket("venda"), Value(), onePacket("imposto"), "000000000001"};
  const RemoteResult r = conn->call("GravaVenda", args);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.value, Value("Ana Paula Ferraz"));
  EXPECT_EQ(args[0], Value(onePacket("gravado:1")));
  EXPECT_EQ(args[1], Value(onePacket("gravado:0"))) << "a Null delta can come back as a packet";
  EXPECT_EQ(args[2], Value(onePacket("gravado:1")));
  EXPECT_EQ(args[3], Value("000000000001"));
}

TEST_F(HttpServerTest, InProcessAndHttpGiveTheSameAnswers) {
  auto remote = httpConnection();
  auto local = inProcessConnection();
  ASSERT_TRUE(local->open()) << local->lastError();
  logOn(*remote);
  logOn(*local);

  struct Call {
    std::string operation;
    std::vector<Value> args;
  };
  const std::vector<Call> calls = {
      {"getPerManut", {"0002"}},
      {"Eco", {"texto", platform::DateTime(46083.75), 1e-300, Value(onePacket("ç"))}},
      {"Eco", {Value(), 46083.0, Value(), Value()}},  // a day count where a date goes
      {"GravaVenda", {onePacket("a"), onePacket("b"), Value(), "000000000001"}},
      {"GravaVendaReducao", {Value(), Value(), Value(), Value(), Value(), "000000000001", "Ana Paula Ferraz"}},
      {"GravaVenda", {Value(), Value(), Value(), "000000000002"}},
      {"Recusa", {"0009"}},
      {"Eco", {"só um"}},
      {"getpermanut", {Value(1)}},
      {"NaoExiste", {}},
      {"ContaFiliais", {}},
  };
  for (const Call& c : calls) {
    SCOPED_TRACE(c.operation);
    std::vector<Value> overHttp = c.args, inProcess = c.args;
    const RemoteResult a = remote->call(c.operation, overHttp);
    const RemoteResult b = local->call(c.operation, inProcess);
    EXPECT_EQ(a.ok, b.ok);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.value, b.value);
    EXPECT_EQ(overHttp, inProcess);
  }
}

TEST_F(HttpServerTest, AServerThatGoesAwayIsAFailedResultAndIsFoundAgain) {
  auto conn = httpConnection();
  int connects = 0;
  conn->BeforeConnect = [&](platform::TNetConnection& c) {
    ++connects;
    c.Host = "http://127.0.0.1/";
    c.Port = port_;
  };
  ASSERT_TRUE(conn->open()) << conn->lastError();
  logOn(*conn);
  std::vector<Value> args{"0001"};
  ASSERT_TRUE(conn->call("getPerManut", args).ok);

  const int port = port_;
  http_.reset();
  RemoteResult r = conn->call("getPerManut", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Não foi possível conectar ao servidor de aplicação em 127.0.0.1:" + std::to_string(port) + ".");

  // The server comes back on the same port with its sessions: the same
  // connection and session go on without a new open.
  http_ = std::make_unique<server::HttpServer>(*app_);
  ASSERT_EQ(http_->start("127.0.0.1", port), port);
  r = conn->call("getPerManut", args);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(connects, 1);
}

TEST_F(HttpServerTest, OpenChecksTheServerObject) {
  platform::TNetConnection conn("Vnd99999.rdmOutro");
  conn.BeforeConnect = [this](platform::TNetConnection& c) {
    c.Host = "127.0.0.1";
    c.Port = port_;
  };
  EXPECT_FALSE(conn.open());
  EXPECT_EQ(conn.lastError(),
            "O servidor de aplicação não atende o objeto Vnd99999.rdmOutro (atende "
            "Vnd02600.rdmManutVenda).");
  std::vector<Value> args{"0001"};
  EXPECT_EQ(conn.call("getPerManut", args).error, conn.lastError());

  platform::TNetConnection local("Vnd99999.rdmOutro", std::make_unique<server::InProcessTransport>(app_));
  EXPECT_FALSE(local.open());
  EXPECT_EQ(local.lastError(), conn.lastError());
}

}  // namespace
