// Cancelled items: their numbering and their change log with the item rules.

#include <gtest/gtest.h>

#include "server/queries.h"
#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;

namespace {

class CancelledItems : public SaleOps {
 protected:
  // A cancelled item as the record set posts it (2 × (10.00 + 1.50), surcharge
  // 0.50, discount 3.00); `changes` override values, Null leaves them empty.
  DataPacket item(const Sale& sale, const std::string& nr, const Fields& changes = {}) {
    Fields v = {{"CDARVPROD", "01010001"}, {"QTPRODVENDC", 2.0},    {"VRUNITVENDC", 10.0},
                {"VRUNITVENCLC", 1.5},     {"VRACRITVENDC", 0.5},   {"VRDESITVENDC", 3.0},
                {"CDFILIAL", sale.filial}, {"CDCAIXA", sale.caixa}, {"NRSEQVENDA", sale.nr},
                {"NRSEQITVENDC", nr},      {"VRPERCVENDC", 0.0},    {"CDPRODUTO", "0000000003"}};
    for (const auto& [name, value] : changes) v[name] = value;
    return insertDelta(server::itensCanceladosFields(), v);
  }
  DataPacket stored(const Sale& sale) { return server::selectItensCancelados(s(), sale.filial, sale.caixa, sale.nr); }
};

// Numbered per sale; empty amounts stored as 0, also when a correction
// empties them; corrections whatever the sale's status, while its day is
// open, and never over another user's change.
TEST_P(CancelledItems, NumberingAmountsAndCorrections) {
  const Sale sale = newSale("0000900301");
  auto next = [&] { return ok("getCodItensCanc", keyArgs(sale)).packet().rows.at(0).values; };
  EXPECT_EQ(ok("getCodItensCanc", keyArgs(sale)).packet().fields,
            (std::vector<FieldDef>{{"NRSEQITVENDC", FieldType::String, 3}}));
  EXPECT_EQ(next(), (std::vector<Value>{"001"}));
  const Fields empty = {
      {"VRUNITVENCLC", Value()}, {"VRACRITVENDC", Value()}, {"VRDESITVENDC", Value()}, {"VRPERCVENDC", Value()}};
  ok("SetItensCancelados", {item(sale, "001", empty)});
  EXPECT_EQ(next(), (std::vector<Value>{"002"}));
  const DataPacket p = stored(sale);
  for (const char* f : {"VRUNITVENCLC", "VRACRITVENDC", "VRDESITVENDC", "VRPERCVENDC"})
    EXPECT_EQ(p.rows.at(0).values[p.fieldIndex(f)], Value(0.0)) << f;

  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  const int discount = p.fieldIndex("VRDESITVENDC");
  ok("SetItensCancelados", {changeDelta(p, 0, RowKind::Modify, {{"VRDESITVENDC", 3.0}})});
  EXPECT_NE(refused("SetItensCancelados", {changeDelta(p, 0, RowKind::Delete)}).find("alterado por outro usuário"),
            std::string::npos);
  ok("SetItensCancelados", {changeDelta(stored(sale), 0, RowKind::Modify, {{"VRDESITVENDC", Value()}})});
  EXPECT_EQ(stored(sale).rows.at(0).values[discount], Value(0.0));

  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = :D WHERE CDFILIAL = '0001' "
             "AND CDCAIXA = '001' AND DTABERCAIX = :A",
             {{"D", now()}, {"A", sale.opened}});
  EXPECT_EQ(refused("SetItensCancelados", {changeDelta(stored(sale), 0, RowKind::Delete)}),
            "Operação Bloqueada! Caixa fechado.");
  EXPECT_EQ(stored(sale).rows.size(), 1u);
}

// Each rule refused alone in a change log with a valid row, which is then
// not written either; and the limits the screen accepts.
TEST_P(CancelledItems, ItemRules) {
  const Sale sale = newSale("0000900302");
  const std::vector<std::pair<Fields, std::string>> refusals = {
      {{{"CDPRODUTO", Value()}}, "Produto deve ser informado."},
      {{{"QTPRODVENDC", Value()}}, "Quantidade deve ser informada."},
      {{{"QTPRODVENDC", 0.0}}, "Quantidade de produtos deve ser maior que zero."},
      {{{"VRUNITVENDC", Value()}}, "Vr. Unit. deve ser informado."},
      {{{"VRUNITVENDC", -1.0}}, "Vr. Unit. deve ser maior ou igual a zero."},
      {{{"VRUNITVENCLC", -1.0}}, "Vr. Cliente deve ser maior ou igual a zero."},
      {{{"VRUNITVENDC", 0.0}, {"VRUNITVENCLC", 0.0}}, "Vr.Unit ou Vr.Cliente deve ser maior que zero."},
      {{{"VRDESITVENDC", -1.0}}, "Desconto deve ser maior ou igual a zero."},
      {{{"VRACRITVENDC", -0.01}}, "Acréscimo deve ser maior ou igual a zero."},
      // 2 × 11.50 + 0.50 = 23.50 is the most the line may be discounted.
      {{{"VRDESITVENDC", 23.51}}, "Valor do desconto deve ser menor que o valor total do produto."},
  };
  for (const auto& [changes, error] : refusals) {
    DataPacket d = item(sale, "001");
    d.rows.push_back(item(sale, "002", changes).rows[0]);
    EXPECT_EQ(refused("SetItensCancelados", {d}), error);
  }
  EXPECT_TRUE(stored(sale).rows.empty());
  const std::vector<Fields> accepted = {
      {{"VRDESITVENDC", 23.5}}, {{"VRACRITVENDC", 500.0}}, {{"VRUNITVENDC", 0.0}, {"VRUNITVENCLC", 2.0}}};
  for (size_t n = 0; n < accepted.size(); ++n)
    ok("SetItensCancelados", {item(sale, "00" + std::to_string(n + 1), accepted[n])});
  EXPECT_EQ(stored(sale).rows.size(), accepted.size());
  EXPECT_EQ(refused("SetItensCancelados", {item({"0001", "001", "0000999999", {}, {}}, "001")}),
            "Venda 0000999999 do caixa 001 da filial 0001 não encontrada.");
}

INSTANTIATE_TEST_SUITE_P(Backends, CancelledItems, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
