// Logon, sessions and the operator rule, over HTTP (and the in-process
// transport where the rule is the server's, not the transport's).

#include <thread>

#include "tests/server/http_fixture.h"

using namespace httptest;
using platform::RemoteResult;

namespace {

std::vector<Value> gravaVenda(const std::string& operatorCode) {
  return {onePacket("venda"), Value(), onePacket("imposto"), operatorCode};
}

TEST_F(HttpServerTest, LogonAnswersTheOperatorAndBranchAsStored) {
  auto conn = httpConnection();
  const platform::LogonResult r = conn->logon("1", "ana123", "2");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.operatorCode, "000000000001");
  EXPECT_EQ(r.operatorName, "Ana Paula Ferraz");
  EXPECT_EQ(r.branchCode, "0002");
  EXPECT_EQ(r.branchName, "Filial Shopping Norte");
  EXPECT_EQ(r.token.size(), 64u);
  EXPECT_EQ(conn->sessionToken(), r.token);

  // A second logon of the same operator is a session of its own.
  const platform::LogonResult again = httpConnection()->logon("000000000001", "ana123", "0001");
  ASSERT_TRUE(again.ok);
  EXPECT_NE(again.token, r.token);
  EXPECT_EQ(app_->sessionCount(), 2u);
}

TEST_F(HttpServerTest, LogonRefusalsNameNoSecretAndOpenNoSession) {
  struct Case {
    const char *code, *password, *branch, *error;
  };
  const Case cases[] = {
      {"000000000001", "errada", "0001", "Operador ou senha inválidos."},
      // An unknown operator gets the same answer as a wrong password, so the
      // answer does not tell which codes exist.
      {"000000000077", "ana123", "0001", "Operador ou senha inválidos."},
      {"000000000001", "", "0001", "Operador ou senha inválidos."},
      {"000000000006", "fabio123", "0001", "Operador 000000000006 inativo."},
      {"000000000001", "ana123", "0009", "Filial 0009 não cadastrada."},
  };
  for (const Case& c : cases) {
    auto conn = httpConnection();
    const platform::LogonResult r = conn->logon(c.code, c.password, c.branch);
    EXPECT_FALSE(r.ok) << c.code << " " << c.branch;
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(conn->sessionToken().empty());
  }
  EXPECT_EQ(app_->sessionCount(), 0u);

  httplib::Client raw("127.0.0.1", port_);
  auto res = raw.Post("/api/v1/logon", R"(["000000000001","errada","0001"])", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 401);
  EXPECT_EQ(res->body, R"([false,"Operador ou senha inválidos.","logon_refused"])");
}

TEST_F(HttpServerTest, CallsNeedALiveSession) {
  auto conn = httpConnection();
  std::vector<Value> args{"0001"};
  RemoteResult r = conn->call("getPerManut", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Sessão não iniciada: entre no sistema antes de usar o servidor de aplicação.");

  conn->setSessionToken(std::string(64, 'a'));
  r = conn->call("getPerManut", args);
  EXPECT_EQ(r.error, "Sessão inexistente ou encerrada. Entre novamente no sistema.");

  logOn(*conn);
  r = conn->call("getPerManut", args);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.value.packet().rows.at(0).values.at(0), Value("Matriz Centro"));

  // Another connection of the same client may share the session.
  auto other = httpConnection();
  other->setSessionToken(conn->sessionToken());
  EXPECT_TRUE(other->call("getPerManut", args).ok);

  const std::string token = conn->sessionToken();
  conn->logoff();
  EXPECT_TRUE(conn->sessionToken().empty());
  EXPECT_EQ(other->call("getPerManut", args).error, "Sessão inexistente ou encerrada. Entre novamente no sistema.");
  EXPECT_EQ(app_->sessionCount(), 0u);
}

TEST_F(HttpServerTest, SessionsExpireAfterInactivityOnly) {
  server::AppServerOptions options;
  options.sessionIdle = std::chrono::milliseconds(400);
  startServer(options);
  auto conn = httpConnection();
  logOn(*conn);
  std::vector<Value> args{"0001"};
  // Calls keep the session alive past the idle time...
  for (int i = 0; i < 4; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_TRUE(conn->call("getPerManut", args).ok) << i;
  }
  // ...and a pause longer than it ends the session.
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(conn->call("getPerManut", args).error, "Sessão expirada por inatividade. Entre novamente no sistema.");
  EXPECT_EQ(app_->sessionCount(), 0u);
}

TEST_F(HttpServerTest, OperatorArgumentsMustBeTheSessionsOperator) {
  auto conn = httpConnection();
  logOn(*conn);

  std::vector<Value> args = gravaVenda("000000000002");
  const std::vector<Value> sent = args;
  RemoteResult r = conn->call("GravaVenda", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error,
            "Operação GravaVenda: o operador informado (000000000002) não é o operador da sessão "
            "(000000000001).");
  EXPECT_EQ(args, sent) << "a refused call leaves the by-reference arguments alone";

  args = gravaVenda("");
  EXPECT_FALSE(conn->call("GravaVenda", args).ok) << "an empty operator is nobody's";

  std::vector<Value> cancel{"0001", "001", "0000000001", "000000000002", "cancelada"};
  EXPECT_FALSE(conn->call("CancelaVenda", cancel).ok);
  // Checked without blanks, and what the operation records is what was checked.
  cancel[3] = " 000000000001 ";
  r = conn->call("CancelaVenda", cancel);
  EXPECT_EQ(r.value, Value("000000000001")) << r.error;

  std::vector<Value> reducao(5, Value());
  reducao.insert(reducao.end(), {"000000000001", "Bruno Cardoso"});
  r = conn->call("GravaVendaReducao", reducao);
  EXPECT_EQ(r.error,
            "Operação GravaVendaReducao: o nome de operador informado (Bruno Cardoso) não é o do "
            "operador da sessão (Ana Paula Ferraz).");
  reducao[6] = "Ana Paula Ferraz";
  EXPECT_TRUE(conn->call("GravaVendaReducao", reducao).ok);

  // The rule is the server's: the in-process transport applies it as well.
  auto local = inProcessConnection();
  logOn(*local, "000000000002", "bruno123");
  args = gravaVenda("000000000001");
  EXPECT_FALSE(local->call("GravaVenda", args).ok);
  args = gravaVenda("000000000002");
  r = local->call("GravaVenda", args);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.value, Value("Bruno Cardoso")) << "the operation sees the session's operator";
}

TEST(AppServerSetup, RefusesAWriteOperationWithoutItsOperatorArgument) {
  server::OperationRegistry registry;
  registry.add("GravaVenda", "P&P&P&", [](server::OperationContext&, std::vector<Value>&) { return Value(); });
  EXPECT_THROW(server::AppServer("sqlite::memory:", std::move(registry)), std::logic_error);
}

}  // namespace
