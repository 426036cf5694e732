#pragma once
// Demo databases for the frame operations' tests, on SQLite and PostgreSQL.
// Reading tests share one demo database per backend; writing tests get a
// fresh one each (on SQLite a copy of a demo file built once, which is much
// faster than loading the demo again).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "server/demodata.h"
#include "server/ops_frame.h"
#include "server/schema.h"
#include "server/storage.h"
#include "tests/testdb.h"

namespace frametest {

struct DemoDb {
  std::unique_ptr<testdb::Database> db;
  std::unique_ptr<platform::SqlConnection> conn;
};

inline std::map<std::string, DemoDb>& sharedDemos() {
  static std::map<std::string, DemoDb> demos;
  return demos;
}

// The SQLite demo file the fresh copies are made from.
inline const std::filesystem::path& sqliteTemplate() {
  static testdb::Database holder("SQLite");
  static const std::filesystem::path file = [] {
    server::createDemoDatabase(holder.connectionString());
    return std::filesystem::path(holder.connectionString().substr(7));
  }();
  return file;
}

// The PostgreSQL schema holding the demo the fresh copies are made from.
struct PgTemplate {
  testdb::Database db{"PostgreSQL"};
  std::string schema;
  PgTemplate() {
    server::createDemoDatabase(db.connectionString());
    auto c = db.connect();
    schema = platform::sqlSelect(c->session(), "SELECT current_schema() AS S", {}).rows.at(0).values[0].asText();
  }
};
inline std::unique_ptr<PgTemplate>& pgTemplate() {
  static std::unique_ptr<PgTemplate> t;
  return t;
}

// Copies the template's rows table by table, in the order the migrations
// create the tables, so every row's references are already there. Rows a
// migration seeds itself are replaced by the template's.
inline void copyPgDemo(soci::session& s) {
  if (!pgTemplate()) pgTemplate() = std::make_unique<PgTemplate>();
  server::migrate(s);
  server::Transaction tx(s);
  for (const server::Migration& m : server::migrations())
    for (const std::string& ddl : m.statements) {
      if (ddl.rfind("CREATE TABLE ", 0) != 0) continue;
      const std::string table = ddl.substr(13, ddl.find_first_of(" (", 13) - 13);
      platform::sqlExecute(s, "DELETE FROM " + table);
      platform::sqlExecute(s, "INSERT INTO " + table + " SELECT * FROM " + pgTemplate()->schema + "." + table);
    }
  tx.commit();
}

// Shared demo databases are dropped when the tests end, before the
// process's exit handlers shut down what a PostgreSQL connection needs.
class DropDemos : public ::testing::Environment {
 public:
  void TearDown() override {
    sharedDemos().clear();
    pgTemplate().reset();
  }
};
inline const auto* const kDropDemos = ::testing::AddGlobalTestEnvironment(new DropDemos);

inline platform::SqlConnection& sharedDemo(const std::string& backend) {
  DemoDb& d = sharedDemos()[backend];
  if (!d.db) {
    d.db = std::make_unique<testdb::Database>(backend);
    server::createDemoDatabase(d.db->connectionString());
    d.conn = d.db->connect();
  }
  return *d.conn;
}

// A demo database of its own for one test.
inline DemoDb freshDemo(const std::string& backend) {
  DemoDb d;
  d.db = std::make_unique<testdb::Database>(backend);
  if (backend == "SQLite")
    std::filesystem::copy_file(sqliteTemplate(), std::filesystem::path(d.db->connectionString().substr(7)));
  d.conn = d.db->connect();
  if (backend != "SQLite") copyPgDemo(d.conn->session());
  return d;
}

// A number read with a one-column SELECT (column N); 0 when no row.
inline double number(soci::session& s, const std::string& sql, const platform::SqlParams& p = {}) {
  const platform::DataPacket r = platform::sqlSelect(s, sql, p, {{"N", platform::FieldType::Float}});
  return r.rows.empty() ? 0.0 : r.rows[0].values[0].asNumber();
}

// The demo's last day (06/03/2026), whose openings are still open.
inline platform::DateTime openDay() { return platform::DateTime(server::demoFirstDay().days + server::kDemoDays - 1); }

// The opening date-time of a register's latest opening.
inline platform::DateTime lastOpening(soci::session& s, const std::string& filial, const std::string& caixa) {
  const platform::DataPacket p =
      platform::sqlSelect(s, "SELECT MAX(DTABERCAIX) AS A FROM TURCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C",
                          {{"F", filial}, {"C", caixa}}, {{"A", platform::FieldType::DateTime}});
  return p.rows.at(0).values[0].dateTime();
}

// A bare sale of an opening, written straight to the table.
inline void insertSale(soci::session& s, const std::string& filial, const std::string& caixa, const std::string& nr,
                       platform::DateTime opening, const std::string& status, platform::DateTime movement) {
  platform::sqlExecute(s,
                       "INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, DTENTRVENDA, IDSITUVENDA, DTABERTUR, "
                       "CDFILIALTUR, CDCAIXATUR, IDTIPOVENDA, NRSERIEIMPVND) "
                       "VALUES (:F, :C, :N, :M, :S, :A, :F, :C, 'S', NULL)",
                       {{"F", filial}, {"C", caixa}, {"N", nr}, {"M", movement}, {"S", status}, {"A", opening}});
}

struct Item {
  double q, u, ucl, d, a;
};
// Items of a sale, numbered from 001, of the demo's first product.
inline void insertItems(soci::session& s, const std::string& filial, const std::string& caixa, const std::string& nr,
                        const std::vector<Item>& items) {
  int n = 0;
  for (const Item& i : items) {
    const std::string no = platform::Ajusta(std::to_string(++n), 3);
    platform::sqlExecute(s,
                         "INSERT INTO ITVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, "
                         "VRUNITVEND, VRUNITVENDCL, VRDESITVEND, VRACRITVEND) "
                         "SELECT :F, :C, :N, :I, MIN(CDPRODUTO), :Q, :U, :L, :D, :A FROM PRODUTO "
                         "WHERE CDNVPRODUTO = 3",
                         {{"F", filial},
                          {"C", caixa},
                          {"N", nr},
                          {"I", no},
                          {"Q", i.q},
                          {"U", i.u},
                          {"L", i.ucl},
                          {"D", i.d},
                          {"A", i.a}});
  }
}

// The frame's operations, called as the screen calls them, by name.
class FrameServer {
 public:
  FrameServer() { server::registerFrameOperations(registry_); }
  const server::OperationRegistry& registry() const { return registry_; }

  platform::RemoteResult call(soci::session& s, const std::string& name, std::vector<platform::Value> args,
                              const std::string& operatorCode = "000000000001") const {
    server::OperationContext ctx{s, operatorCode, "Ana Paula Ferraz"};
    return registry_.call(name, args, ctx);
  }
  // The value of a call that must succeed.
  platform::Value value(soci::session& s, const std::string& name, std::vector<platform::Value> args) const {
    const platform::RemoteResult r = call(s, name, std::move(args));
    EXPECT_TRUE(r.ok) << name << ": " << r.error;
    return r.value;
  }
  platform::DataPacket packet(soci::session& s, const std::string& name, std::vector<platform::Value> args) const {
    const platform::Value v = value(s, name, std::move(args));
    return v.isPacket() ? v.packet() : platform::DataPacket{};
  }

 private:
  server::OperationRegistry registry_;
};

using Changes = std::vector<std::pair<std::string, platform::Value>>;

inline void apply(const platform::DataPacket& p, std::vector<platform::Value>& values, const Changes& changes) {
  for (const auto& [name, v] : changes) {
    const int i = p.fieldIndex(name);
    if (i < 0) throw std::out_of_range(name);
    values[static_cast<size_t>(i)] = v;
  }
}

// A change log as a client record set sends it, built from rows it read.
inline platform::DataPacket deltaOf(const std::vector<platform::FieldDef>& fields) {
  platform::DataPacket d;
  d.fields = fields;
  d.delta = true;
  return d;
}
inline void addInsert(platform::DataPacket& d, const Changes& values) {
  std::vector<platform::Value> v(d.fields.size());
  apply(d, v, values);
  d.rows.push_back({platform::RowKind::Insert, std::move(v), {}});
}
inline void addModify(platform::DataPacket& d, const platform::PacketRow& read, const Changes& changes) {
  std::vector<platform::Value> v = read.values;
  apply(d, v, changes);
  d.rows.push_back({platform::RowKind::Modify, std::move(v), read.values});
}
inline void addDelete(platform::DataPacket& d, const platform::PacketRow& read) {
  d.rows.push_back({platform::RowKind::Delete, read.values, read.values});
}

}  // namespace frametest
