// The remote connection without a server: the reply envelope, the
// connection's open/retry/token rules over a scripted transport, and the
// HTTP transport facing nothing, a dropped connection and a stranger.

#include "platform/remote.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "platform/httptransport.h"
#include "platform/remoteprotocol.h"

using namespace platform;
namespace proto = platform::protocol;

namespace {

TEST(RemoteProtocol, RepliesRoundTripInBothFormats) {
  DataPacket p;
  p.fields = {{"A", FieldType::DateTime, 0, false}};
  p.rows.push_back({RowKind::Unchanged, {DateTime(46000.25)}, {}});
  const proto::Reply ok = proto::Reply::success(Value(p), {{0, Value("x")}, {3, Value()}});
  const proto::Reply refused = proto::Reply::failure("Venda já concluída.", proto::code::kRefused);
  for (WireFormat f : {WireFormat::Json, WireFormat::Binary}) {
    const proto::Reply a = proto::decodeReply(proto::encodeReply(ok, f), f);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.result, ok.result);
    EXPECT_EQ(a.refs, ok.refs);
    const proto::Reply b = proto::decodeReply(proto::encodeReply(refused, f), f);
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.error, refused.error);
    EXPECT_EQ(b.code, "refused");
  }
  EXPECT_EQ(proto::encodeReply(refused, WireFormat::Json), R"([false,"Venda já concluída.","refused"])");
}

TEST(RemoteProtocol, RefusesWhatIsNotAReply) {
  for (const char* doc :
       {R"("ok")", "[]", "[true,1]", "[1,2,3]", R"([false,1,"x"])", R"([false,"x",null])", "[true,null,{\"d\":1}]",
        "[true,null,[1]]", "[true,null,[[-1,2]]]", "[true,null,[[1.5,2]]]", "[true,null,[[\"0\",2]]]",
        "[true,null,[[0,1,2]]]", "[true,null,[[1e9,2]]]", "[true,null,[]"}) {
    EXPECT_THROW(proto::decodeReply(doc, WireFormat::Json), PacketError) << doc;
  }
}

// A transport that records what it is asked and answers as scripted.
struct Script {
  std::string connectError;
  std::vector<RemoteEndpoint> connects;
  int disconnects = 0;
  std::vector<std::string> logoffs;
  std::vector<std::string> callTokens;
};

class ScriptedTransport : public RemoteTransport {
 public:
  explicit ScriptedTransport(Script& s) : s_(s) {}
  std::string connect(const RemoteEndpoint& e) override {
    s_.connects.push_back(e);
    return s_.connectError;
  }
  void disconnect() override { ++s_.disconnects; }
  LogonResult logon(const std::string& op, const std::string& pw, const std::string&) override {
    LogonResult r;
    r.ok = pw == "certa";
    r.token = r.ok ? "T-" + op : "";
    r.error = r.ok ? "" : "Operador ou senha inválidos.";
    return r;
  }
  void logoff(const std::string& token) override { s_.logoffs.push_back(token); }
  RemoteResult call(const std::string& token, const std::string& op, std::vector<Value>& args) override {
    s_.callTokens.push_back(token);
    args.at(0) = "atualizado";
    return RemoteResult::success(op);
  }

 private:
  Script& s_;
};

TEST(TNetConnection, BeforeConnectSetsTheEndpointOfEveryOpen) {
  Script script;
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<ScriptedTransport>(script));
  int port = 8600;
  conn.BeforeConnect = [&](TNetConnection& c) {
    c.Host = "servidor";
    c.Port = port++;
  };
  EXPECT_TRUE(conn.open());
  EXPECT_TRUE(conn.connected());
  EXPECT_TRUE(conn.open());
  ASSERT_EQ(script.connects.size(), 2u);
  EXPECT_EQ(script.connects[0].serverObject, "Vnd02600.rdmManutVenda");
  EXPECT_EQ(script.connects[0].host, "servidor");
  EXPECT_EQ(script.connects[0].port, 8600);
  EXPECT_EQ(script.connects[1].port, 8601);
  EXPECT_EQ(script.disconnects, 1) << "a second open closes the first";
  conn.close();
  conn.close();
  EXPECT_FALSE(conn.connected());
  EXPECT_EQ(script.disconnects, 2);
}

TEST(TNetConnection, AFailedOpenRaisesNothingAndTheNextCallTriesAgain) {
  Script script;
  script.connectError = "Não foi possível conectar ao servidor de aplicação em servidor:8600.";
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<ScriptedTransport>(script));
  EXPECT_FALSE(conn.open());
  EXPECT_EQ(conn.lastError(), script.connectError);

  std::vector<Value> args{"x"};
  RemoteResult r = conn.call("GetAberCaixa", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, script.connectError);
  EXPECT_EQ(args[0], Value("x"));
  EXPECT_EQ(conn.logon("1", "certa", "0001").error, script.connectError);

  script.connectError.clear();
  r = conn.call("GetAberCaixa", args);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(args[0], Value("atualizado"));
  EXPECT_EQ(script.connects.size(), 4u);
}

TEST(TNetConnection, AFailingBeforeConnectIsAFailedOpen) {
  Script script;
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<ScriptedTransport>(script));
  conn.BeforeConnect = [](TNetConnection&) { throw std::runtime_error("sem contexto de logon"); };
  EXPECT_FALSE(conn.open());
  EXPECT_EQ(conn.lastError(), "Não foi possível preparar a conexão com o servidor de aplicação: sem contexto de logon");
  EXPECT_TRUE(script.connects.empty());
}

TEST(TNetConnection, KeepsTheSessionTokenOfTheLogon) {
  Script script;
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<ScriptedTransport>(script));
  EXPECT_FALSE(conn.logon("1", "errada", "0001").ok);
  EXPECT_TRUE(conn.sessionToken().empty());
  ASSERT_TRUE(conn.logon("1", "certa", "0001").ok);
  EXPECT_FALSE(conn.logon("2", "errada", "0001").ok);
  EXPECT_EQ(conn.sessionToken(), "T-1") << "a refused logon keeps the session there was";

  std::vector<Value> args{"x"};
  conn.call("A", args);
  conn.logoff();
  conn.call("B", args);
  EXPECT_EQ(script.callTokens, (std::vector<std::string>{"T-1", ""}));
  EXPECT_EQ(script.logoffs, std::vector<std::string>{"T-1"});
  conn.logoff();
  EXPECT_EQ(script.logoffs.size(), 1u) << "no session, nothing to end";
}

// A loopback port with nothing listening on it.
int freePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

std::unique_ptr<TNetConnection> httpTo(const std::string& host, int port) {
  auto conn = std::make_unique<TNetConnection>("Vnd02600.rdmManutVenda");
  conn->BeforeConnect = [host, port](TNetConnection& c) {
    c.Host = host;
    c.Port = port;
  };
  return conn;
}

TEST(HttpTransport, NothingListeningIsAFailedResultInPortuguese) {
  const int port = freePort();
  TNetConnection conn("Vnd02600.rdmManutVenda");
  conn.Host = "127.0.0.1";
  conn.Port = port;
  const std::string expected =
      "Não foi possível conectar ao servidor de aplicação em 127.0.0.1:" + std::to_string(port) + ".";
  EXPECT_FALSE(conn.open());
  EXPECT_EQ(conn.lastError(), expected);
  std::vector<Value> args{"0001"};
  const RemoteResult r = conn.call("getPerManut", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, expected);
  EXPECT_EQ(conn.logon("1", "x", "0001").error, expected);
}

TEST(HttpTransport, RefusesAddressesItCannotUse) {
  struct Case {
    std::string host;
    int port;
    std::string error;
  };
  const Case cases[] = {
      {"", 8600, "Endereço do servidor de aplicação não configurado."},
      {"http://", 8600, "Endereço do servidor de aplicação não configurado."},
      {"https://servidor", 8600, "Endereço do servidor de aplicação não suportado: https://servidor (use http://)."},
      {"servidor", 0, "Porta do servidor de aplicação inválida: 0."},
      {"servidor", 70000, "Porta do servidor de aplicação inválida: 70000."},
  };
  for (const Case& c : cases) {
    HttpTransport t;
    EXPECT_EQ(t.connect({"Vnd02600.rdmManutVenda", c.host, c.port}), c.error) << c.host;
    std::vector<Value> args;
    EXPECT_FALSE(t.call("", "getPerManut", args).ok) << "no connection, no call";
  }
}

// Answers health checks and drops the connection at any other request
// without a word, as a server that crashes while working does.
class CrashingServer {
 public:
  CrashingServer() {
    listen_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    listen(listen_, 4);
    thread_ = std::thread([this] { serve(); });
  }
  ~CrashingServer() {
    shutdown(listen_, SHUT_RDWR);
    thread_.join();
    close(listen_);
  }
  int port = 0;

 private:
  void serve() {
    for (;;) {
      const int c = accept(listen_, nullptr, nullptr);
      if (c < 0) return;
      std::string in;
      char buf[4096];
      for (;;) {
        const size_t end = in.find("\r\n\r\n");
        if (end == std::string::npos) {
          const ssize_t n = recv(c, buf, sizeof buf, 0);
          if (n <= 0) break;
          in.append(buf, static_cast<size_t>(n));
          continue;
        }
        if (in.rfind("GET /api/v1/health ", 0) != 0) break;
        in.erase(0, end + 4);
        const std::string body = R"([true,"Vnd02600.rdmManutVenda",[]])";
        const std::string out =
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\n\r\n" + body;
        send(c, out.data(), out.size(), MSG_NOSIGNAL);
      }
      close(c);
    }
  }
  int listen_ = -1;
  std::thread thread_;
};

TEST(HttpTransport, AServerDyingMidCallIsAFailedResult) {
  CrashingServer crashing;
  auto conn = httpTo("127.0.0.1", crashing.port);
  ASSERT_TRUE(conn->open()) << conn->lastError();
  std::vector<Value> args{"0001"};
  const RemoteResult r = conn->call("getPerManut", args);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "O servidor de aplicação em 127.0.0.1:" + std::to_string(crashing.port) +
                         " não respondeu: a conexão caiu ou o tempo de espera se esgotou.");
  EXPECT_EQ(args[0], Value("0001"));
}

TEST(HttpTransport, ASlowServerTimesOut) {
  httplib::Server svr;
  svr.Get("/api/v1/health", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(R"([true,"Vnd02600.rdmManutVenda",[]])", "application/json");
  });
  svr.Post("/api/v1/call/Lenta", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    res.set_content(R"([true,null,[]])", "application/json");
  });
  const int port = svr.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { svr.listen_after_bind(); });
  while (!svr.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  HttpTransportOptions quick;
  quick.readTimeout = std::chrono::milliseconds(200);
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<HttpTransport>(quick));
  conn.Host = "127.0.0.1";
  conn.Port = port;
  ASSERT_TRUE(conn.open()) << conn.lastError();
  std::vector<Value> args;
  EXPECT_EQ(conn.call("Lenta", args).error, "O servidor de aplicação em 127.0.0.1:" + std::to_string(port) +
                                                " não respondeu: a conexão caiu ou o tempo de espera se esgotou.");
  svr.stop();
  serving.join();
}

TEST(HttpTransport, SomethingElseAtTheAddressIsNoServer) {
  httplib::Server svr;
  svr.Get("/api/v1/health",
          [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
  const int port = svr.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { svr.listen_after_bind(); });
  while (!svr.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  auto conn = httpTo("127.0.0.1", port);
  EXPECT_FALSE(conn->open());
  EXPECT_EQ(conn->lastError(), "O endereço 127.0.0.1:" + std::to_string(port) + " não é de um servidor de aplicação.");
  svr.stop();
  serving.join();
}

}  // namespace
