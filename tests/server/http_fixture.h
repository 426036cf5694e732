#pragma once
// An application server on a free loopback port, over a small SQLite
// database (two branches, three operators), with test operations that
// exercise what the transports carry: every argument kind, by-reference
// packets, the operator arguments of the real write operations, a refusal
// after a write, and a count to prove that refused requests change nothing.

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/remote.h"
#include "platform/sqlaccess.h"
#include "server/appserver.h"
#include "server/httpserver.h"
#include "server/inprocess.h"
#include "server/password.h"
#include "server/schema.h"
#include "tests/testdb.h"

namespace httptest {

using platform::DataPacket;
using platform::FieldType;
using platform::Value;
using platform::ValueArray;

inline DataPacket onePacket(const std::string& text) {
  DataPacket p;
  p.fields = {{"TX", FieldType::String, 20}};
  p.rows.push_back({platform::RowKind::Unchanged, {text}, {}});
  return p;
}

// Replaces a by-reference packet with one telling what the server saw.
inline void mark(Value& v, const std::string& how) {
  v = onePacket(how + ":" + std::to_string(v.isPacket() ? v.packet().rows.size() : 0));
}

inline server::OperationRegistry testRegistry() {
  server::OperationRegistry r;
  r.add("Eco", "SDFP", [](server::OperationContext&, std::vector<Value>& a) { return Value(a); });
  r.add("getPerManut", "S", [](server::OperationContext& ctx, std::vector<Value>& a) {
    return Value(platform::sqlSelect(ctx.db, "SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :F", {{"F", a[0]}}));
  });
  r.add("GravaVenda", "P&P&P&S", [](server::OperationContext& ctx, std::vector<Value>& a) {
    for (int i = 0; i < 3; ++i) mark(a[i], "gravado");
    return Value(ctx.operatorName);
  });
  // Answers the operator argument as the operation received it.
  r.add("CancelaVenda", "SSSSS", [](server::OperationContext&, std::vector<Value>& a) { return a[3]; });
  r.add("GravaVendaReducao", "P&P&P&P&P&SS", [](server::OperationContext&, std::vector<Value>& a) {
    for (int i = 0; i < 5; ++i) mark(a[i], "reducao");
    return Value();
  });
  // Writes a branch, then refuses: the write must not survive.
  r.add("Recusa", "S", [](server::OperationContext& ctx, std::vector<Value>& a) -> Value {
    platform::sqlExecute(ctx.db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA) VALUES (:F, 'X', '01')",
                         {{"F", a[0]}});
    throw server::OperationError("Venda já concluída.");
  });
  r.add("ContaFiliais", "", [](server::OperationContext& ctx, std::vector<Value>&) {
    return platform::sqlSelect(ctx.db, "SELECT COUNT(*) AS N FROM FILIAL", {}, {{"N", FieldType::Integer}})
        .rows[0]
        .values[0];
  });
  return r;
}

struct Operator {
  const char* code;
  const char* name;
  const char* password;
  const char* active;
};
inline const std::vector<Operator> kOperators = {
    {"000000000001", "Ana Paula Ferraz", "ana123", "S"},
    {"000000000002", "Bruno Cardoso", "bruno123", "S"},
    {"000000000006", "Fábio Queiroz", "fabio123", "N"},
};

inline void fillDatabase(soci::session& s) {
  server::migrate(s);
  platform::sqlExecute(s,
                       "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA) VALUES "
                       "('0001', 'Matriz Centro', '01'), ('0002', 'Filial Shopping Norte', '01')");
  for (const Operator& op : kOperators)
    platform::sqlExecute(s,
                         "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSHASHSENHA, IDATIVO) "
                         "VALUES (:C, :N, :H, :A)",
                         {{"C", op.code},
                          {"N", op.name},
                          // Few iterations: the tests log on often.
                          {"H", server::hashPassword(op.password, server::randomSalt(), 1000)},
                          {"A", op.active}});
}

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fillDatabase(db_.connect()->session());
    startServer({});
  }

  // Replaces the running server with one of these options, on the same
  // database.
  void startServer(server::AppServerOptions appOptions, server::HttpServerOptions httpOptions = {}) {
    http_.reset();
    app_ = std::make_shared<server::AppServer>(db_.connectionString(), testRegistry(), appOptions);
    httpOptions.keepAlive = std::chrono::seconds(1);  // stopping waits for idle connections
    httpOptions.log = [this](const std::string& line) {
      std::lock_guard lock(logMutex_);
      log_.push_back(line);
    };
    http_ = std::make_unique<server::HttpServer>(*app_, httpOptions);
    port_ = http_->start("127.0.0.1", 0);
  }

  // A screen connection over HTTP, opened the way the screen opens it.
  std::unique_ptr<platform::TNetConnection> httpConnection() {
    auto conn = std::make_unique<platform::TNetConnection>(std::string(server::kServerObject));
    conn->BeforeConnect = [this](platform::TNetConnection& c) {
      c.Host = "127.0.0.1";
      c.Port = port_;
    };
    return conn;
  }

  std::unique_ptr<platform::TNetConnection> inProcessConnection() {
    return std::make_unique<platform::TNetConnection>(std::string(server::kServerObject),
                                                      std::make_unique<server::InProcessTransport>(app_));
  }

  // Logs on as the first operator at branch 0001; fails the test otherwise.
  void logOn(platform::TNetConnection& conn, const char* code = "000000000001", const char* password = "ana123") {
    const platform::LogonResult r = conn.logon(code, password, "0001");
    ASSERT_TRUE(r.ok) << r.error;
  }

  double branchCount() {
    return platform::sqlSelect(db_.connect()->session(), "SELECT COUNT(*) AS N FROM FILIAL", {})
        .rows[0]
        .values[0]
        .asNumber();
  }

  std::vector<std::string> logLines() {
    std::lock_guard lock(logMutex_);
    return log_;
  }

  testdb::Database db_{"SQLite"};
  std::mutex logMutex_;
  std::vector<std::string> log_;
  std::shared_ptr<server::AppServer> app_;
  std::unique_ptr<server::HttpServer> http_;  // stopped before the server it serves goes
  int port_ = 0;
};

}  // namespace httptest
