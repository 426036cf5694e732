// Sale items and item taxes: numbering, prices, the product pick list, the
// tax rows worked out for an item, and deletions of items and tax rows.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/consiste.h"
#include "server/operations_all.h"
#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;
using frametest::Item;

namespace {

// The first product of the tree gets two fiscal rates in the main branch:
// 18 % (ICMS18) and 5 % (ISS).
class SaleItems : public SaleOps {
 protected:
  void SetUp() override {
    SaleOps::SetUp();
    if (IsSkipped()) return;
    const DataPacket p = sqlSelect(s(),
                                   "SELECT CDPRODUTO, CDARVPROD FROM PRODUTO WHERE CDPRODUTO = (SELECT MIN(CDPRODUTO) "
                                   "FROM PRODUTO WHERE CDNVPRODUTO = 3)",
                                   {});
    product_ = p.rows[0].values[0].asText();
    tree_ = p.rows[0].values[1].asText();
    sqlExecute(s(), "DELETE FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = :P", {{"P", product_}});
    sqlExecute(s(),
               "INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, "
               "CDINTIMPOSTO) VALUES ('0001', :P, '01', 18, '1'), ('0001', :P, '07', 5, '7')",
               {{"P", product_}});
  }
  std::string product_, tree_;
};

TEST_P(SaleItems, NumbersPricesAndPickList) {
  EXPECT_EQ(registry_.names().size(), 19u);
  EXPECT_NE(refused("PrxItemVenda", {"0001", "001"}).find("esperados 3"), std::string::npos);

  const Sale sale = newSale("0000900001", {Item{1, 10, 0, 0, 0}, Item{2, 5, 0, 0, 0}});
  EXPECT_EQ(ok("PrxItemVenda", keyArgs(sale)), Value("003"));
  EXPECT_EQ(ok("PrxItemVenda", {"0001", "001", "0000999999"}), Value("001"));

  // The second branch's table; point-decimal texts any screen locale reads.
  const DataPacket price =
      sqlSelect(s(),
                "SELECT CDPRODUTO, VRPRECITEM, VRPRECCLIE FROM ITTABEPREC WHERE CDTABEPREC = '002' "
                "AND VRPRECCLIE > 0 ORDER BY CDPRODUTO",
                {});
  const std::vector<Value>& v = price.rows.at(0).values;
  const ValueArray answer = ok("RetornaPrecoLib", {"0002", "000000000000000000001", v[0], "", "", "VND_"}).array();
  EXPECT_EQ(answer, (ValueArray{formatFixed(v[1].asNumber(), 2), formatFixed(v[2].asNumber(), 2)}));
  EXPECT_DOUBLE_EQ(FloatMask(answer[1].text()), v[2].asNumber());
  EXPECT_EQ(ok("RetornaPrecoLib", {"0001", "", "", "", "", "VND_"}), Value(ValueArray{"0.00", "0.00"}));

  // The last three products are not sold in the second branch.
  const ValueArray list = ok("getPesquisaProd", {"0002", "3"}).array();
  const DataPacket& products = list.at(0).packet();
  EXPECT_EQ(products.fields, (std::vector<FieldDef>{{"CDARVPROD", FieldType::String, 20},
                                                    {"CDPRODUTO", FieldType::String, 10},
                                                    {"CDPRODINTE", FieldType::String, 20},
                                                    {"NMPRODUTO", FieldType::String, 50},
                                                    {"SGUNIDADE", FieldType::String, 10}}));
  EXPECT_EQ(static_cast<double>(products.rows.size()),
            number("SELECT COUNT(*) AS N FROM PRODUTO WHERE CDNVPRODUTO = 3") - 3);
  EXPECT_EQ(list.at(1), Value("Não há produto cadastrado para a filial."));
  EXPECT_NE(refused("getPesquisaProd", {"0001", "três"}).find("níveis"), std::string::npos);
}

// Item total 20 (2 × 10) gives 3.6 and 1.0; with a client share of 2 the
// total is 24 and the taxes 4.32 and 1.2.
TEST_P(SaleItems, TaxesFromTheBranchRatesOnTheItemTotal) {
  for (const auto& [total, first, second] :
       std::vector<std::tuple<double, double, double>>{{20, 3.6, 1.0}, {24, 4.32, 1.2}}) {
    const DataPacket p =
        ok("GetcriaImpostos", {"0001", frametest::openDay(), "0000900001", "000000000000000000001", tree_, total})
            .packet();
    ASSERT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(p.rows[0].values, (std::vector<Value>{18.0, first, "01", "01", "ICMS18"}));
    EXPECT_EQ(p.rows[1].values, (std::vector<Value>{5.0, second, "07", "07", "ISS"}));
  }
  EXPECT_TRUE(ok("GetcriaImpostos", {"0002", Value(), "", "", "NAOEXISTE", 10.0}).packet().rows.empty());
  const DataPacket rates = ok("getAliqImpFis", {"0001", product_}).packet();
  EXPECT_EQ(rates.rows.at(1).values, (std::vector<Value>{5.0, "7", "07", "ISS"}));

  auto block = [&] { return ok("getBloqSemImp", {}).packet().rows.at(0).values.at(0); };
  EXPECT_EQ(block(), Value("N"));
  sqlExecute(s(), "UPDATE PARAMGERAL SET IDBLOQSEMIMP = 'S'");
  EXPECT_EQ(block(), Value("S"));
  sqlExecute(s(), "DELETE FROM PARAMGERAL");
  EXPECT_EQ(block(), Value("N"));
}

// Items and tax rows of a pending sale are deleted, and rates corrected,
// only as the client read them.
TEST_P(SaleItems, DeletionsAndRateCorrections) {
  const Sale sale = newSale("0000900003", {Item{2, 10, 0, 0, 0}, Item{1, 5.5, 0, 0, 0}});
  sqlExecute(s(),
             "INSERT INTO ITVENDAIMPOS (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, NRSEQITIMPOS, "
             "CDIMPOSTO, VRPEALPRODIT, VRIMPOPRODIT, CDIMPOSTOEX, CDPRODUTO) VALUES "
             "('0001', '001', :N, '001', '001', '01', 18, 3.6, 1, :P), "
             "('0001', '001', :N, '002', '001', '07', 5, 0.275, 7, :P)",
             {{"N", sale.nr}, {"P", product_}});
  const DataPacket taxes = server::selectImpostoItem(s(), "0001", "001", sale.nr);
  ok("DelImpostoItem", {changeDelta(taxes, 0, RowKind::Modify, {{"VRPEALPRODIT", 12.0}})});
  EXPECT_NE(refused("DelImpostoItem", {changeDelta(taxes, 0, RowKind::Delete)}).find("alterado por outro usuário"),
            std::string::npos);
  EXPECT_NE(
      refused("DelImpostoItem", {changeDelta(taxes, 1, RowKind::Modify, {{"VRPEALPRODIT", -1.0}})}).find("alíquota"),
      std::string::npos);

  // Deleting the first item takes its tax row along and answers the total.
  const DataPacket items = server::selectItens(s(), "0001", "001", sale.nr);
  const DataPacket sum = ok("DeletaItens", {"0001", "001", changeDelta(items, 0, RowKind::Delete)}).packet();
  EXPECT_EQ(sum.fields, server::sumVendaFields());
  EXPECT_EQ(sum.rows.at(0).values.at(0), Value(5.5));
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM ITVENDAIMPOS WHERE NRSEQUITVEND = '001' "
                   "AND NRSEQVENDA = :N",
                   {{"N", sale.nr}}),
            0);
  EXPECT_NE(refused("DeletaItens", {"0001", "001", changeDelta(items, 1, RowKind::Modify, {{"QTPRODVEND", 3.0}})})
                .find("grave-os"),
            std::string::npos);

  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  EXPECT_EQ(refused("DeletaItens", {"0001", "001", changeDelta(items, 1, RowKind::Delete)}),
            "Operação bloqueada. A venda não está pendente.");
  EXPECT_EQ(refused("DelImpostoItem", {changeDelta(taxes, 1, RowKind::Delete)}),
            "Operação bloqueada. A venda não está pendente.");
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM ITVENDA WHERE NRSEQVENDA = :N", {{"N", sale.nr}}), 1);
}

// Numbers are reserved when handed out: two users asking at the same time
// never receive the same sale, item or movement number.
TEST_P(SaleItems, NumbersAreReservedWhenHandedOut) {
  server::OperationRegistry all;
  server::registerAllOperations(all);
  const Sale sale = newSale("0000900001", {Item{1, 10, 0, 0, 0}});
  const std::vector<std::pair<std::string, std::vector<Value>>> asks = {{"PrxPedidoVenda", {"0001", "001"}},
                                                                        {"PrxItemVenda", keyArgs(sale)},
                                                                        {"PrxMovCaixa", {"0001", "001", sale.opened}}};
  constexpr int kEach = 8;
  std::vector<std::string> answers[2];
  std::vector<std::thread> users;
  for (int u = 0; u < 2; ++u)
    users.emplace_back([&, u] {
      const auto conn = demo_.db->connect();
      server::OperationContext ctx{conn->session(), kOperator, kOperatorName};
      for (int i = 0; i < kEach; ++i)
        for (const auto& [op, args] : asks) {
          std::vector<Value> a = args;
          const platform::RemoteResult r = all.call(op, a, ctx);
          answers[u].push_back(op + " " + (r.ok ? r.value.text() : "recusada: " + r.error));
        }
    });
  for (std::thread& t : users) t.join();
  std::set<std::string> distinct;
  for (const auto& mine : answers)
    for (const std::string& a : mine) {
      EXPECT_EQ(a.find("recusada"), std::string::npos) << a;
      distinct.insert(a);
    }
  EXPECT_EQ(distinct.size(), 2 * kEach * asks.size());
  EXPECT_EQ(ok("PrxItemVenda", keyArgs(sale)), Value(Ajusta(std::to_string(2 + 2 * kEach), 3)));
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleItems, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
