#pragma once
// Calls to the sale operations on a fresh demo database per test, and the
// rows and deltas those tests send: sales of their own on the demo's open
// day, delta rows built from the client record sets' field lists.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "server/frame_queries.h"
#include "server/operation.h"
#include "server/ops_sales.h"
#include "tests/server/frame_fixture.h"

namespace saletest {

using platform::DataPacket;
using platform::DateTime;
using platform::FieldDef;
using platform::PacketRow;
using platform::RowKind;
using platform::Value;

inline constexpr const char* kOperator = "000000000001";
inline constexpr const char* kOperatorName = "Ana Paula Ferraz";

using Fields = std::map<std::string, Value>;

// A row laid out on a field list: the given values, Null elsewhere.
inline std::vector<Value> rowOf(const std::vector<FieldDef>& fields, const Fields& values) {
  std::vector<Value> row(fields.size());
  for (const auto& [name, value] : values) {
    size_t i = 0;
    while (i < fields.size() && fields[i].name != name) ++i;
    if (i == fields.size())
      ADD_FAILURE() << "campo desconhecido " << name;
    else
      row[i] = value;
  }
  return row;
}

// A change log with one Insert row.
inline DataPacket insertDelta(const std::vector<FieldDef>& fields, const Fields& values) {
  DataPacket d;
  d.fields = fields;
  d.delta = true;
  d.rows.push_back({RowKind::Insert, rowOf(fields, values), {}});
  return d;
}

// A change log touching row `index` of a packet read from the server: Modify
// with the changes, or Delete.
inline DataPacket changeDelta(const DataPacket& read, size_t index, RowKind kind, const Fields& changes = {}) {
  DataPacket d;
  d.fields = read.fields;
  d.delta = true;
  PacketRow row{kind, read.rows.at(index).values, read.rows.at(index).values};
  for (const auto& [name, value] : changes) row.values.at(read.fieldIndex(name)) = value;
  d.rows.push_back(row);
  return d;
}

struct Sale {
  std::string filial, caixa, nr;
  DateTime opened, day;
};

class SaleOps : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    demo_ = frametest::freshDemo(GetParam());
    server::registerSaleOperations(registry_);
  }

  soci::session& s() { return demo_.conn->session(); }
  double number(const std::string& sql, const platform::SqlParams& p = {}) { return frametest::number(s(), sql, p); }

  platform::RemoteResult call(const std::string& op, std::vector<Value> args) {
    server::OperationContext ctx{s(), kOperator, kOperatorName};
    return registry_.call(op, args, ctx);
  }
  // The value of a call that must succeed.
  Value ok(const std::string& op, std::vector<Value> args) {
    const platform::RemoteResult r = call(op, std::move(args));
    EXPECT_TRUE(r.ok) << op << ": " << r.error;
    return r.value;
  }
  // The error text of a call that must fail.
  std::string refused(const std::string& op, std::vector<Value> args) {
    const platform::RemoteResult r = call(op, std::move(args));
    EXPECT_FALSE(r.ok) << op << " deveria ser recusada";
    return r.error;
  }

  // A pending sale typed on the screen, in the open opening of register
  // 0001/001 on the demo's last day, with items of the first product.
  Sale newSale(const std::string& nr, const std::vector<frametest::Item>& items = {}, const std::string& client = "",
               const std::string& consumer = "") {
    const Sale sale{"0001", "001", nr, frametest::lastOpening(s(), "0001", "001"), frametest::openDay()};
    platform::sqlExecute(s(),
                         "INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, DTENTRVENDA, IDSITUVENDA, DTABERTUR, "
                         "CDFILIALTUR, CDCAIXATUR, IDTIPOVENDA, IDORIGEMVENDA, CDCLIENTE, CDCONSUMIDOR) "
                         "VALUES (:F, :C, :N, :M, 'P', :A, :F, :C, 'S', 'VND_MAN', :L, :K)",
                         {{"F", sale.filial},
                          {"C", sale.caixa},
                          {"N", nr},
                          {"M", sale.day},
                          {"A", sale.opened},
                          {"L", client.empty() ? Value() : Value(client)},
                          {"K", consumer.empty() ? Value() : Value(consumer)}});
    frametest::insertItems(s(), sale.filial, sale.caixa, nr, items);
    return sale;
  }
  std::vector<Value> keyArgs(const Sale& sale) { return {sale.filial, sale.caixa, sale.nr}; }

  // A receipt of the sale as the receipts record set posts it.
  DataPacket receipt(const Sale& sale, const std::string& nrMov, const std::string& type, double amount) {
    return insertDelta(server::tipoReceFields(), {{"CDTIPORECE", type},
                                                  {"VRMOVIVEND", amount},
                                                  {"CDFILIAL", sale.filial},
                                                  {"CDCAIXA", sale.caixa},
                                                  {"DTABERCAIX", sale.opened},
                                                  {"NRSEQUMOVI", nrMov},
                                                  {"IDTIPOMOVIVE", "E"},
                                                  {"DTHRINCMOV", platform::now()},
                                                  {"NRSEQVENDA", sale.nr},
                                                  {"DTMOVIMCAIXA", sale.day},
                                                  {"QTPARCRECEB", 1.0}});
  }
  DataPacket receiptsOf(const Sale& sale) { return server::selectTipoRece(s(), sale.filial, sale.caixa, sale.nr); }
  // GravaTipoRece as the screen sends it.
  platform::RemoteResult saveReceipts(const DataPacket& delta) {
    return call("GravaTipoRece", {delta, "Inclusão de débito realizada pelo operador."});
  }

  frametest::DemoDb demo_;
  server::OperationRegistry registry_;
};

}  // namespace saletest
