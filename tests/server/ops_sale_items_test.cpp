// Sale items and item taxes: numbering, prices, the product pick list, the
// tax rows worked out for an item, and deletions of items and tax rows.

#include <gtest/gtest.h>

#include "platform/consiste.h"
#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;
using frametest::Item;

namespace {

class SaleItems : public SaleOps {};

std::vector<std::string> names(const DataPacket& p) {
  std::vector<std::string> out;
  for (const FieldDef& f : p.fields) out.push_back(f.name);
  return out;
}

TEST_P(SaleItems, EveryOperationIsRegisteredWithItsArity) {
  const std::vector<std::pair<std::string, size_t>> ops = {
      {"PrxItemVenda", 3},     {"RetornaPrecoLib", 6},  {"getPesquisaProd", 2},
      {"DeletaItens", 3},      {"GetcriaImpostos", 6},  {"getAliqImpFis", 2},
      {"getBloqSemImp", 0},    {"DelImpostoItem", 1},   {"ConcluiVenda", 6},
      {"CancelaVenda", 5},     {"GetVerifValorPag", 3}, {"GravaTipoRece", 2},
      {"PrxMovCaixa", 3},      {"GetTipReceOrig", 3},   {"GetSaldoCons", 2},
      {"GetIndice", 2},        {"DelTipoRece", 2},      {"getCodItensCanc", 3},
      {"SetItensCancelados", 1}};
  for (const auto& [name, arity] : ops) {
    const server::OperationSpec* spec = registry_.find(name);
    ASSERT_NE(spec, nullptr) << name;
    EXPECT_EQ(spec->params.size(), arity) << name;
  }
  EXPECT_EQ(registry_.names().size(), ops.size());
  EXPECT_TRUE(registry_.find("GravaTipoRece")->params[0].byRef);
  EXPECT_NE(refused("PrxItemVenda", {"0001", "001"}).find("esperados 3"), std::string::npos);
}

TEST_P(SaleItems, ItemNumbersFollowTheHighestOfTheSale) {
  const Sale sale = newSale("0000900001", {Item{1, 10, 0, 0, 0}, Item{2, 5, 0, 0, 0}});
  EXPECT_EQ(ok("PrxItemVenda", keyArgs(sale)), Value("003"));
  sqlExecute(s(), "DELETE FROM ITVENDA WHERE NRSEQVENDA = '0000900001' AND NRSEQUITVEND = '001'");
  EXPECT_EQ(ok("PrxItemVenda", keyArgs(sale)), Value("003"));
  EXPECT_EQ(ok("PrxItemVenda", {"0001", "001", "0000999999"}), Value("001"));
}

// The branch's price table gives the unit price and the client's share, as
// point-decimal texts any screen locale reads; no price gives zeros.
TEST_P(SaleItems, PricesComeFromTheBranchPriceTable) {
  const DataPacket shared = sqlSelect(
      s(),
      "SELECT CDPRODUTO, VRPRECITEM, VRPRECCLIE FROM ITTABEPREC WHERE CDTABEPREC = '002' "
      "AND VRPRECCLIE > 0 ORDER BY CDPRODUTO",
      {}, {{"CDPRODUTO", FieldType::String, 10}, {"VRPRECITEM", FieldType::Float},
           {"VRPRECCLIE", FieldType::Float}});
  ASSERT_FALSE(shared.rows.empty());
  const auto& v = shared.rows[0].values;
  const Value answer =
      ok("RetornaPrecoLib", {"0002", "000000000000000000001", v[0], "", "", "VND_"});
  ASSERT_TRUE(answer.isArray());
  ASSERT_EQ(answer.array().size(), 2u);
  EXPECT_EQ(answer.array()[0], Value(formatFixed(v[1].number(), 2)));
  EXPECT_EQ(answer.array()[1], Value(formatFixed(v[2].number(), 2)));
  EXPECT_DOUBLE_EQ(FloatMask(answer.array()[0].text()), v[1].number());
  EXPECT_DOUBLE_EQ(FloatMask(answer.array()[1].text(), kNeutral), v[2].number());

  const ValueArray none = {"0.00", "0.00"};
  EXPECT_EQ(ok("RetornaPrecoLib", {"0001", "", "", "", "", "VND_"}), Value(none));
  EXPECT_EQ(ok("RetornaPrecoLib", {"0001", "", "XXXXXXXXXX", "", "", "VND_"}), Value(none));
}

TEST_P(SaleItems, PickListOffersTheBranchSellableProductsOfTheLastLevel) {
  const Value answer = ok("getPesquisaProd", {"0002", "3"});
  ASSERT_TRUE(answer.isArray());
  const DataPacket& p = answer.array().at(0).packet();
  EXPECT_EQ(names(p), (std::vector<std::string>{"CDARVPROD", "CDPRODUTO", "CDPRODINTE",
                                                "NMPRODUTO", "SGUNIDADE"}));
  EXPECT_EQ(p.fields[1].size, 10);
  EXPECT_EQ(answer.array().at(1), Value("Não há produto cadastrado para a filial."));
  // The last three products are not sold in the second branch.
  const double products = number("SELECT COUNT(*) AS N FROM PRODUTO WHERE CDNVPRODUTO = 3");
  EXPECT_EQ(static_cast<double>(p.rows.size()), products - 3);
  EXPECT_EQ(ok("getPesquisaProd", {"0001", ""}).array().at(0).packet().rows.size(),
            static_cast<size_t>(products));
  for (size_t i = 1; i < p.rows.size(); ++i)
    EXPECT_LT(p.rows[i - 1].values[0].text(), p.rows[i].values[0].text());
  // Departments and groups of the tree are not sold themselves.
  EXPECT_TRUE(ok("getPesquisaProd", {"0001", "2"}).array().at(0).packet().rows.empty());
  EXPECT_TRUE(ok("getPesquisaProd", {"9999", "3"}).array().at(0).packet().rows.empty());
  EXPECT_NE(refused("getPesquisaProd", {"0001", "três"}).find("níveis"), std::string::npos);
}

class ItemTaxes : public SaleOps {
 protected:
  // The first product gets two fiscal rates in the main branch: 18 % and 5 %.
  void SetUp() override {
    SaleOps::SetUp();
    if (IsSkipped()) return;
    product_ = sqlSelect(s(), "SELECT MIN(CDPRODUTO) AS P FROM PRODUTO WHERE CDNVPRODUTO = 3", {})
                   .rows[0].values[0].asText();
    sqlExecute(s(), "DELETE FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = :P",
               {{"P", product_}});
    sqlExecute(s(),
               "INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, "
               "CDINTIMPOSTO) "
               "VALUES ('0001', :P, '01', 18, '1'), ('0001', :P, '07', 5, '7')",
               {{"P", product_}});
    tree_ = sqlSelect(s(), "SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = :P", {{"P", product_}})
                .rows[0].values[0].asText();
  }
  std::string product_, tree_;
};

// Item total 20 (quantity 2, price 10) gives 3.6 and 1.0; with a client
// share of 2 the total is 24 and the taxes 4.32 and 1.2.
TEST_P(ItemTaxes, WorkedOutFromTheBranchRatesOnTheItemTotal) {
  for (const auto& [total, first, second] :
       std::vector<std::tuple<double, double, double>>{{20, 3.6, 1.0}, {24, 4.32, 1.2}}) {
    const DataPacket p = ok("GetcriaImpostos", {"0001", frametest::openDay(), "0000900001",
                                                "000000000000000000001", tree_, total})
                             .packet();
    EXPECT_EQ(names(p), (std::vector<std::string>{"VRPEALIMPFIS", "VRIMPOSTO", "CDIMPOSTO",
                                                  "CDIMPOSTOEX", "SGIMPOSTO"}));
    ASSERT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(p.rows[0].values, (std::vector<Value>{18.0, first, "01", "01", "ICMS18"}));
    EXPECT_EQ(p.rows[1].values, (std::vector<Value>{5.0, second, "07", "07", "ISS"}));
  }
  EXPECT_TRUE(
      ok("GetcriaImpostos", {"0002", Value(), "", "", "NAOEXISTE", 10.0}).packet().rows.empty());
}

TEST_P(ItemTaxes, FiscalRatesOfTheProductAndTheBlockOnUntaxedProducts) {
  const DataPacket p = ok("getAliqImpFis", {"0001", product_}).packet();
  EXPECT_EQ(names(p),
            (std::vector<std::string>{"VRPEALIMPFIS", "CDINTIMPOSTO", "CDIMPOSTO", "SGIMPOSTO"}));
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(p.rows[0].values, (std::vector<Value>{18.0, "1", "01", "ICMS18"}));
  EXPECT_TRUE(ok("getAliqImpFis", {"0001", "XXXXXXXXXX"}).packet().rows.empty());

  auto block = [&] { return ok("getBloqSemImp", {}).packet().rows.at(0).values.at(0); };
  EXPECT_EQ(ok("getBloqSemImp", {}).packet().fields,
            (std::vector<FieldDef>{{"IDBLOQSEMIMP", FieldType::String, 1}}));
  EXPECT_EQ(block(), Value("N"));
  sqlExecute(s(), "UPDATE PARAMGERAL SET IDBLOQSEMIMP = 'S'");
  EXPECT_EQ(block(), Value("S"));
  sqlExecute(s(), "DELETE FROM PARAMGERAL");
  EXPECT_EQ(block(), Value("N"));
}

// Tax rows are deleted and their rates corrected through their change log,
// only in a pending sale and against what the client read.
TEST_P(ItemTaxes, TaxRowChangesOfPendingSales) {
  const Sale sale = newSale("0000900002", {Item{2, 10, 0, 0, 0}});
  sqlExecute(s(),
             "INSERT INTO ITVENDAIMPOS (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, NRSEQITIMPOS, "
             "CDIMPOSTO, VRPEALPRODIT, VRIMPOPRODIT, CDIMPOSTOEX, CDPRODUTO) VALUES "
             "('0001', '001', '0000900002', '001', '001', '01', 18, 3.6, 1, :P), "
             "('0001', '001', '0000900002', '001', '002', '07', 5, 1, 7, :P)",
             {{"P", product_}});
  const DataPacket read = server::selectImpostoItem(s(), "0001", "001", sale.nr);
  ASSERT_EQ(read.rows.size(), 2u);
  const std::string rows = "SELECT COUNT(*) AS N FROM ITVENDAIMPOS WHERE NRSEQVENDA = '0000900002'";

  EXPECT_NE(refused("DelImpostoItem",
                    {changeDelta(read, 0, RowKind::Modify, {{"VRPEALPRODIT", -1.0}})})
                .find("alíquota"),
            std::string::npos);
  ok("DelImpostoItem", {changeDelta(read, 0, RowKind::Modify,
                                    {{"VRPEALPRODIT", 12.0}, {"VRIMPOPRODIT", 2.4}})});
  EXPECT_EQ(number("SELECT VRIMPOPRODIT AS N FROM ITVENDAIMPOS WHERE NRSEQITIMPOS = '001' "
                   "AND NRSEQVENDA = '0000900002'"),
            2.4);
  // The row read before that change is now stale.
  EXPECT_NE(refused("DelImpostoItem", {changeDelta(read, 0, RowKind::Delete)})
                .find("alterado por outro usuário"),
            std::string::npos);
  ok("DelImpostoItem", {changeDelta(read, 1, RowKind::Delete)});
  EXPECT_EQ(number(rows), 1);
  EXPECT_EQ(ok("DelImpostoItem", {Value()}), Value());

  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = '0000900002'");
  const DataPacket again = server::selectImpostoItem(s(), "0001", "001", sale.nr);
  EXPECT_EQ(refused("DelImpostoItem", {changeDelta(again, 0, RowKind::Delete)}),
            "Operação bloqueada. A venda não está pendente.");
  EXPECT_EQ(number(rows), 1);
}

TEST_P(SaleItems, DeletingItemsAnswersTheNewTotal) {
  const Sale sale = newSale("0000900003", {Item{2, 10, 0, 0, 0}, Item{1, 5.5, 0, 0, 0}});
  sqlExecute(s(),
             "INSERT INTO ITVENDAIMPOS (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, NRSEQITIMPOS, "
             "CDIMPOSTO, VRPEALPRODIT, VRIMPOPRODIT) "
             "VALUES ('0001', '001', '0000900003', '001', '001', '01', 18, 3.6)");
  const DataPacket read = server::selectItens(s(), "0001", "001", sale.nr);
  const DataPacket sum =
      ok("DeletaItens", {"0001", "001", changeDelta(read, 0, RowKind::Delete)}).packet();
  EXPECT_EQ(sum.fields, server::sumVendaFields());
  EXPECT_EQ(sum.rows.at(0).values.at(0), Value(5.5));
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM ITVENDAIMPOS WHERE NRSEQVENDA = '0000900003'"), 0);

  // Refusals leave the item in place.
  const std::string items = "SELECT COUNT(*) AS N FROM ITVENDA WHERE NRSEQVENDA = '0000900003'";
  EXPECT_NE(refused("DeletaItens", {"0001", "001", changeDelta(read, 1, RowKind::Modify,
                                                              {{"QTPRODVEND", 3.0}})})
                .find("grave-os"),
            std::string::npos);
  EXPECT_NE(refused("DeletaItens", {"0001", "002", changeDelta(read, 1, RowKind::Delete)})
                .find("não são do caixa 002"),
            std::string::npos);
  sqlExecute(s(), "UPDATE ITVENDA SET QTPRODVEND = 4 WHERE NRSEQVENDA = '0000900003'");
  EXPECT_NE(refused("DeletaItens", {"0001", "001", changeDelta(read, 1, RowKind::Delete)})
                .find("alterado por outro usuário"),
            std::string::npos);
  EXPECT_EQ(number(items), 1);
}

// The day of a closed register opening, or of an approved Z reduction, no
// longer changes; nor do the items of a sale that is not pending.
TEST_P(SaleItems, ItemsOfLockedDaysAndSettledSalesStay) {
  const Sale sale = newSale("0000900004", {Item{1, 10, 0, 0, 0}});
  const DataPacket read = server::selectItens(s(), "0001", "001", sale.nr);
  const std::vector<Value> args = {"0001", "001", changeDelta(read, 0, RowKind::Delete)};

  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = '0000900004'");
  EXPECT_EQ(refused("DeletaItens", args), "Operação bloqueada. A venda não está pendente.");
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'P' WHERE NRSEQVENDA = '0000900004'");

  sqlExecute(s(),
             "INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, VRVENLIQREDZ, "
             "IDSTATUS) "
             "VALUES ('0001', '001', '001', :D, 1000, 'A')",
             {{"D", sale.day}});
  EXPECT_NE(refused("DeletaItens", args).find("status de Aprovada"), std::string::npos);
  sqlExecute(s(), "UPDATE REDUCAOZ SET IDSTATUS = NULL WHERE DTREDUCAOZ = :D", {{"D", sale.day}});

  sqlExecute(s(), "UPDATE TURCAIXA SET DTFECHCAIX = :D WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
                  "AND DTABERCAIX = :A",
             {{"D", now()}, {"A", sale.opened}});
  EXPECT_EQ(refused("DeletaItens", args), "Operação Bloqueada! Caixa fechado.");
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM ITVENDA WHERE NRSEQVENDA = '0000900004'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleItems, ::testing::ValuesIn(testdb::backends()),
                         testdb::backendName);
INSTANTIATE_TEST_SUITE_P(Backends, ItemTaxes, ::testing::ValuesIn(testdb::backends()),
                         testdb::backendName);

}  // namespace
