// The HTTP endpoint as other clients see it: envelopes in both encodings,
// every kind of bad request answered with its status and a Portuguese text
// while nothing changes and the server goes on serving, and the request log.

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/remoteprotocol.h"
#include "tests/server/http_fixture.h"

using namespace httptest;
namespace proto = platform::protocol;

namespace {

class HttpProtocol : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    auto conn = httpConnection();
    logOn(*conn);
    token_ = conn->sessionToken();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
  }

  httplib::Headers auth() const { return {{"Authorization", "Bearer " + token_}}; }

  httplib::Result post(const std::string& path, const std::string& body, const std::string& type,
                       httplib::Headers headers) {
    return client_->Post(path.c_str(), headers, body, type.c_str());
  }

  // The reply must be an envelope in the request's format.
  static proto::Reply replyOf(const httplib::Result& res) {
    auto format = proto::formatOfMediaType(res->get_header_value("Content-Type"));
    EXPECT_TRUE(format) << res->get_header_value("Content-Type");
    return proto::decodeReply(res->body, format.value_or(platform::WireFormat::Json));
  }

  std::string token_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(HttpProtocol, EchoesEveryKindInJsonAndInBinary) {
  auto res = post("/api/v1/call/Eco", R"(["a", {"d": 46000.5}, 2.5, null])", "Application/JSON; charset=utf-8", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(res->body, R"([true,["a",{"d":46000.5},2.5,null],[]])");

  const ValueArray args{"ç", platform::DateTime(46000), -0.0, Value(onePacket("x"))};
  res =
      post("/api/v1/call/eco", proto::encodeBody(args, platform::WireFormat::Binary), "application/x-msgpack", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->get_header_value("Content-Type"), "application/msgpack");
  const proto::Reply reply = proto::decodeReply(res->body, platform::WireFormat::Binary);
  ASSERT_TRUE(reply.ok);
  EXPECT_EQ(reply.result, Value(args));
}

TEST_F(HttpProtocol, BadRequestsAreRefusedClearlyAndChangeNothing) {
  struct Case {
    const char* what;
    std::string path, body, type;
    bool withToken;
    int status;
    std::string_view code;
    std::string error;
  };
  const std::string json = "application/json";
  const Case cases[] = {
      {"unknown operation", "/api/v1/call/NaoExiste", "[]", json, true, 404, proto::code::kUnknownOperation,
       "Operação desconhecida no servidor: NaoExiste."},
      {"too few arguments", "/api/v1/call/Eco", R"(["a"])", json, true, 400, proto::code::kBadRequest,
       "Operação Eco: esperados 4 argumentos, recebidos 1."},
      {"wrong type", "/api/v1/call/Recusa", "[1]", json, true, 400, proto::code::kBadRequest,
       "Operação Recusa: o argumento 1 deve ser texto."},
      {"a packet where a text goes", "/api/v1/call/Recusa", R"([{"fields":[["A","string",1,false]],"rows":[]}])", json,
       true, 400, proto::code::kBadRequest, "Operação Recusa: o argumento 1 deve ser texto."},
      {"truncated JSON", "/api/v1/call/Recusa", R"(["0009")", json, true, 400, proto::code::kBadRequest,
       "Corpo da requisição malformado"},
      {"malformed packet", "/api/v1/call/Recusa", R"([{"fields":[["A","nada",0,false]],"rows":[]}])", json, true, 400,
       proto::code::kBadRequest, "Corpo da requisição malformado"},
      {"malformed MessagePack", "/api/v1/call/Recusa", "\x91\xc1", "application/msgpack", true, 400,
       proto::code::kBadRequest, "Corpo da requisição malformado"},
      {"body not a list", "/api/v1/call/Recusa", R"("0009")", json, true, 400, proto::code::kBadRequest,
       "O corpo da requisição deve ser a lista de argumentos."},
      {"unsupported media type", "/api/v1/call/Recusa", R"(["0009"])", "text/plain", true, 415,
       proto::code::kUnsupportedMediaType, "Tipo de conteúdo não suportado"},
      {"no token", "/api/v1/call/Recusa", R"(["0009"])", json, false, 401, proto::code::kUnauthorized,
       "Sessão não iniciada"},
      {"logon of the wrong shape", "/api/v1/logon", R"(["000000000001","ana123"])", json, false, 400,
       proto::code::kBadRequest, "A entrada no sistema espera o operador, a senha e a filial"},
      {"unknown path", "/api/v1/chamar/Recusa", R"(["0009"])", json, true, 404, proto::code::kNotFound,
       "Recurso inexistente no servidor de aplicação: /api/v1/chamar/Recusa."},
      {"operation name with other characters", "/api/v1/call/Recusa;DROP", R"(["0009"])", json, true, 404,
       proto::code::kNotFound, "Recurso inexistente"},
  };
  const double branches = branchCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto res = post(c.path, c.body, c.type, c.withToken ? auth() : httplib::Headers{});
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(res->status, c.status);
    const proto::Reply reply = replyOf(res);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.code, c.code);
    EXPECT_EQ(reply.error.substr(0, c.error.size()), c.error) << reply.error;
    // The server goes on serving on the same connection.
    auto ok = post("/api/v1/call/ContaFiliais", "[]", json, auth());
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->body, "[true,2,[]]");
  }
  EXPECT_EQ(branchCount(), branches);

  auto get = client_->Get("/api/v1/call/Eco", auth());
  ASSERT_TRUE(get);
  EXPECT_EQ(get->status, 404);
  EXPECT_EQ(replyOf(get).code, proto::code::kNotFound);

  httplib::Headers other = auth();
  other.emplace("X-Vnd-Object", "Vnd99999.rdmOutro");
  auto res = post("/api/v1/call/ContaFiliais", "[]", json, other);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  EXPECT_EQ(replyOf(res).error,
            "O servidor de aplicação não atende o objeto Vnd99999.rdmOutro (atende "
            "Vnd02600.rdmManutVenda).");
}

// Bytes that are not UTF-8 cannot be quoted in an envelope as they are, and
// a line break in a path would forge a log line.
TEST_F(HttpProtocol, HostileBytesNeitherBreakRepliesNorForgeLogLines) {
  client_->set_url_encode(false);
  auto res = client_->Get("/api/%FF%0A2026-01-01%20forjada", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  EXPECT_EQ(replyOf(res).error, "Recurso inexistente no servidor de aplicação: /api/??2026-01-01 forjada.");

  httplib::Headers strange = auth();
  strange.emplace("X-Vnd-Object", "\xff\xfe");
  res = client_->Get("/api/v1/health", strange);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  EXPECT_EQ(replyOf(res).code, proto::code::kUnknownObject);

  res = post("/api/v1/call/Recusa", R"(["0009"])", "text/\xff", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 415);

  res = post("/api/v1/call/Recusa", "[\"\xff\"]", "application/json", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(replyOf(res).code, proto::code::kBadRequest);

  res = post("/api/v1/call/ContaFiliais", "[]", "application/json", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "[true,2,[]]");
  for (const std::string& line : logLines()) EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST_F(HttpProtocol, AnOperationsRefusalIsAnAnswerAndRollsBack) {
  const double branches = branchCount();
  auto res = post("/api/v1/call/Recusa", R"(["0009"])", "application/json", auth());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, R"([false,"Venda já concluída.","refused"])");
  EXPECT_EQ(branchCount(), branches) << "the branch written before the refusal is rolled back";
}

TEST_F(HttpProtocol, OversizedBodiesAreRefused) {
  server::HttpServerOptions small;
  small.maxBodyBytes = 1 << 20;
  startServer({}, small);
  httplib::Client client("127.0.0.1", port_);
  auto conn = httpConnection();
  logOn(*conn);
  httplib::Headers headers{{"Authorization", "Bearer " + conn->sessionToken()}};

  const std::string big = "[\"" + std::string((1 << 20) + 10, 'x') + "\"]";
  auto res = client.Post("/api/v1/call/Recusa", headers, big, "application/json");
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  EXPECT_EQ(res->status, 413);
  const proto::Reply reply = replyOf(res);
  EXPECT_EQ(reply.code, proto::code::kTooLarge);
  EXPECT_EQ(reply.error, "A requisição excede o limite de 1 MiB do servidor de aplicação.");

  std::vector<Value> args{"0001"};
  EXPECT_TRUE(conn->call("getPerManut", args).ok) << "the server goes on serving";
}

TEST_F(HttpProtocol, HealthNamesTheServerObjectWithoutASession) {
  auto res = client_->Get("/api/v1/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, R"([true,"Vnd02600.rdmManutVenda",[]])");
}

TEST_F(HttpProtocol, LogsOneLinePerRequestWithoutItsData) {
  auto conn = httpConnection();
  logOn(*conn, "000000000002", "bruno123");
  std::vector<Value> args{"SEGREDO", platform::DateTime(1), 1, Value()};
  ASSERT_TRUE(conn->call("Eco", args).ok);
  post("/api/v1/call/Recusa", "[1]", "application/json", auth());

  // Each connection's health check and logon, the call and the refusal. A
  // line is written after its answer is sent, so lines of different
  // connections may come in any order, and the last may still be coming.
  std::vector<std::string> lines;
  for (int i = 0; i < 100 && lines.size() < 6; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = logLines();
  }
  ASSERT_EQ(lines.size(), 6u);
  const auto count = [&](const char* what) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.find(what) != std::string::npos; });
  };
  EXPECT_EQ(count(" GET /api/v1/health 200 "), 2);
  EXPECT_EQ(count(" POST /api/v1/logon 200 "), 2);
  EXPECT_EQ(count(" POST /api/v1/call/Eco 200 "), 1);
  EXPECT_EQ(count(" POST /api/v1/call/Recusa 400 "), 1);
  for (const std::string& line : lines) {
    EXPECT_NE(line.find(" ms"), std::string::npos) << line;
    for (const char* secret : {"SEGREDO", "bruno123", "ana123", conn->sessionToken().c_str()})
      EXPECT_EQ(line.find(secret), std::string::npos) << line;
  }
}

TEST_F(HttpProtocol, ServesManyClientsAtOnce) {
  std::atomic<int> failures{0};
  std::vector<std::thread> clients;
  for (int t = 0; t < 4; ++t)
    clients.emplace_back([&, t] {
      auto conn = httpConnection();
      if (!conn->logon("000000000001", "ana123", "0001").ok) ++failures;
      for (int i = 0; i < 25; ++i) {
        std::vector<Value> args{"t" + std::to_string(t), Value(), i, Value()};
        const platform::RemoteResult r = conn->call("Eco", args);
        if (!r.ok || r.value.array().at(2) != Value(i)) ++failures;
      }
    });
  for (auto& c : clients) c.join();
  EXPECT_EQ(failures, 0);
}

}  // namespace
