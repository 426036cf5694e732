// Item taxes created, recomputed and protected, and items deleted with
// their taxes.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/consiste.h"
#include "platform/gesture.h"
#include "platform/uiservice.h"
#include "tests/sale/items_fixture.h"

namespace {

using itemstest::ItemsScreen;
using platform::ClientDataSet;
using platform::DataSetState;
using platform::RemoteResult;
using platform::runGesture;
using platform::Value;

struct TaxRow {
  std::string number, tax;
  double rate, value, external;
};

class ItemTaxes : public ItemsScreen {
 protected:
  std::vector<TaxRow> taxRows() {
    std::vector<TaxRow> rows;
    ClientDataSet& t = f->cdsImpostoItem;
    for (t.first(); !t.eof(); t.next())
      rows.push_back({t.fieldByName("NRSEQITIMPOS").asString(), t.fieldByName("SGIMPOSTO").asString(),
                      t.fieldByName("VRPEALPRODIT").asFloat(), t.fieldByName("VRIMPOPRODIT").asFloat(),
                      t.fieldByName("CDIMPOSTOEX").asFloat()});
    return rows;
  }

  // Types a whole new item of `code` with quantity 2 and posts it.
  bool postNewItem(const std::string& code) {
    typeNewItem(code);
    typeCell("QTPRODVEND", "2", "VRUNITVEND");
    return runGesture([&] { f->cdsItens.post(); });
  }

  int count(const std::string& op) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(op + "(", 0) == 0; }));
  }

  // The server works out no tax, as for a product it does not find.
  void serverWorksOutNoTax() {
    steering.rewrite["GetcriaImpostos"] = [](RemoteResult& r) {
      platform::DataPacket p = r.value.packet();
      p.rows.clear();
      r.value = Value(std::move(p));
    };
  }
};

TEST_F(ItemTaxes, NewItemTakesTheRegisteredRatesWhenTheServerWorksOutNone) {
  openOnTypedPendingSale();
  serverWorksOutNoTax();
  ASSERT_TRUE(postNewItem(productWithTwoRates(10, 0))) << ui.lastText();
  const std::vector<TaxRow> rows = taxRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].number, "001");
  EXPECT_EQ(rows[0].tax, "ICMS18");
  EXPECT_DOUBLE_EQ(rows[0].value, 3.6);
  EXPECT_DOUBLE_EQ(rows[0].external, 101);  // the branch's internal code
  EXPECT_EQ(rows[1].number, "002");
  EXPECT_DOUBLE_EQ(rows[1].value, 1.0);
  EXPECT_DOUBLE_EQ(rows[1].external, 107);
  // Both answers are asked for before the source is chosen.
  EXPECT_EQ(count("GetcriaImpostos"), 1);
  EXPECT_EQ(count("getAliqImpFis"), 1);
  EXPECT_EQ(count("getBloqSemImp"), 0);
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
}

// The typical request: the posted item is saved at once with its taxes,
// and the totals show the server's new sale total.
TEST_F(ItemTaxes, PostedItemReachesTheServerWithItsTaxesAndTheNewTotal) {
  openOnTypedPendingSale();
  const double before =
      std::stod(scalar("SELECT COUNT(*) FROM ITVENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
                       {{"N", sale("NRSEQVENDA")}}));
  const Value sum =
      serverCall("GetSumVenda", {Value(sale("CDFILIAL")), Value(sale("CDCAIXA")), Value(sale("NRSEQVENDA"))});
  const double totalBefore = sum.packet().rows.at(0).values.at(0).asNumber();
  ASSERT_TRUE(postNewItem(productWithTwoRates(10, 2))) << ui.lastText();
  EXPECT_EQ(count("GravaVenda"), 1);
  EXPECT_EQ(f->cdsItens.changeCount(), 0);
  EXPECT_EQ(f->cdsImpostoItem.changeCount(), 0);
  const platform::SqlParams key{{"N", sale("NRSEQVENDA")}, {"I", item("NRSEQUITVEND")}};
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM ITVENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
                   {{"N", sale("NRSEQVENDA")}}),
            std::to_string(static_cast<int>(before) + 1));
  EXPECT_EQ(scalar("SELECT SUM(VRIMPOPRODIT) FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
                   "AND NRSEQVENDA = :N AND NRSEQUITVEND = :I",
                   key)
                .substr(0, 4),
            "5.52");
  EXPECT_EQ(calls.back(), "GetSumVenda(0001, 001, " + sale("NRSEQVENDA") + ")");
  EXPECT_NEAR(f->cdsSumVenda.fieldByName("SOMA").asFloat(), totalBefore + 24, 1e-9);
  EXPECT_EQ(ui.progressDepth, 0);
}

// The server's answer wins over the registered rates; the client price is
// part of the base.
TEST_F(ItemTaxes, NewItemTakesTheServersTaxesWithTheClientPriceInTheBase) {
  openOnTypedPendingSale();
  ASSERT_TRUE(postNewItem(productWithTwoRates(10, 2))) << ui.lastText();
  const std::vector<TaxRow> rows = taxRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_DOUBLE_EQ(rows[0].value, 4.32);
  EXPECT_DOUBLE_EQ(rows[0].external, 1);  // the tax's external code
  EXPECT_DOUBLE_EQ(rows[1].value, 1.2);
  EXPECT_DOUBLE_EQ(rows[1].external, 7);
  // The total the server worked the taxes on is the line total.
  const auto call = std::find_if(calls.begin(), calls.end(),
                                 [](const std::string& c) { return c.rfind("GetcriaImpostos(", 0) == 0; });
  ASSERT_NE(call, calls.end());
  EXPECT_NE(call->find(", 24)"), std::string::npos) << *call;
  // The tax grid shows this item's rows only.
  EXPECT_EQ(f->cdsImpostoItem.filter(), "[NRSEQUITVEND] = '" + item("NRSEQUITVEND") + "'");
}

TEST_F(ItemTaxes, ExistingItemsTaxesFollowItsQuantityAndUnitPrice) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  ASSERT_FALSE(f->cdsImpostoItem.isEmpty()) << "demo items carry taxes";
  ASSERT_TRUE(runGesture([&] { f->cdsItens.edit(); }));
  f->cdsItens.fieldByName("QTPRODVEND").setAsFloat(3);
  ASSERT_TRUE(runGesture([&] { f->cdsItens.post(); })) << ui.lastText();
  const double base = (itemNumber("VRUNITVEND") + itemNumber("VRUNITVENDCL")) * 3;
  for (const TaxRow& r : taxRows()) EXPECT_NEAR(r.value, base * r.rate / 100, 1e-9) << r.tax;

  // Leaving the unit price cell recomputes at once.
  ASSERT_TRUE(runGesture([&] { f->cdsItens.edit(); }));
  ASSERT_TRUE(typeCell("VRUNITVEND", "100", "VRUNITVENDCL")) << ui.lastText();
  EXPECT_EQ(count("getAliqImpFis"), 1);
  const double newBase = (100 + itemNumber("VRUNITVENDCL")) * 3;
  for (const TaxRow& r : taxRows()) EXPECT_NEAR(r.value, newBase * r.rate / 100, 1e-9) << r.tax;
}

TEST_F(ItemTaxes, ProductWithoutTaxIsKeptAfterANoticeWhenNotBlocked) {
  openOnTypedPendingSale();
  const std::string code = productWithTwoRates();
  sql("DELETE FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = "
      "(SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = :A)",
      {{"A", code}});
  ASSERT_TRUE(postNewItem(code)) << ui.lastText();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].kind, platform::MsgKind::Information);
  EXPECT_EQ(ui.shown[0].text, "Não há imposto cadastrado para o produto informado.");
  EXPECT_EQ(item("CDARVPROD"), code);
  EXPECT_TRUE(f->cdsImpostoItem.isEmpty());
  EXPECT_EQ(count("getBloqSemImp"), 1);
}

TEST_F(ItemTaxes, ProductWithoutTaxStopsTheSaveWhenBlocked) {
  openOnTypedPendingSale();
  const std::string code = productWithTwoRates();
  sql("DELETE FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = "
      "(SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = :A)",
      {{"A", code}});
  sql("UPDATE PARAMGERAL SET IDBLOQSEMIMP = 'S'");
  EXPECT_FALSE(postNewItem(code));
  const std::string name = scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDARVPROD = :A", {{"A", code}});
  EXPECT_EQ(ui.texts(), std::vector<std::string>{"Imposto para produto informado não está cadastrado. Favor realizar o "
                                                 "cadastro de imposto para lançá-lo novamente.\r\n\r\n" +
                                                 code + " - " + name});
  EXPECT_EQ(count("GravaVenda"), 0);
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(ItemTaxes, RateIsTheOnlyCorrectionAndOnlyOnTypedPendingSales) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  ASSERT_FALSE(f->cdsImpostoItem.isEmpty());
  f->setFocus(f->dbgImpostoItem);
  EXPECT_EQ(f->dtsPadrao.dataSet(), &f->cdsImpostoItem);
  platform::DBGrid& grid = f->dbgImpostoItem;
  grid.setSelectedIndex(grid.columnIndex("VRPEALPRODIT"));
  EXPECT_EQ(grid.typeText("10"), 2);
  grid.pressKey(platform::vk::Return);
  ASSERT_TRUE(runGesture([&] { f->cdsImpostoItem.post(); }));
  const double base = (itemNumber("VRUNITVEND") + itemNumber("VRUNITVENDCL")) * itemNumber("QTPRODVEND");
  EXPECT_NEAR(f->cdsImpostoItem.fieldByName("VRIMPOPRODIT").asFloat(), base * 0.10, 1e-9);

  // The user adds no rows.
  EXPECT_FALSE(runGesture([&] { f->cdsImpostoItem.append(); }));
  EXPECT_EQ(f->cdsImpostoItem.state(), DataSetState::Browse);

  // The corrected rate waits for the confirm action: moving to another
  // sale, which reloads the taxes, is refused until it is sent.
  f->setFocus(f->dbgItens);
  EXPECT_FALSE(runGesture([&] { f->cdsPedidoVenda.next(); }));
  EXPECT_EQ(ui.lastText(), f->Msg("Alt_Pendentes"));
  EXPECT_TRUE(f->mnuConfirmar.enabled());
  EXPECT_FALSE(f->tshFolhaDados.enabled());
  ASSERT_TRUE(runGesture([&] { f->sbtConfirmarClick(); })) << ui.lastText();
  EXPECT_EQ(f->cdsImpostoItem.changeCount(), 0);
  EXPECT_TRUE(f->tshFolhaDados.enabled());

  // In a sale launched at the point of sale the rate cannot be typed.
  ASSERT_TRUE(f->cdsPedidoVenda.locate("IDSITUVENDA;IDTIPOVENDA", std::vector<Value>{Value("P"), Value("D")}));
  loadItems();
  ASSERT_FALSE(f->cdsImpostoItem.isEmpty());
  f->setFocus(grid);
  grid.setSelectedIndex(grid.columnIndex("VRPEALPRODIT"));
  EXPECT_EQ(grid.typeText("10"), 0);
  EXPECT_EQ(f->cdsImpostoItem.state(), DataSetState::Browse);
}

TEST_F(ItemTaxes, CtrlDeleteInTheTaxGridDeletesNothing) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  // The grid shows the current item's rows only, also when the taxes were
  // loaded after the items.
  const int rows = f->cdsImpostoItem.recordCount();
  ASSERT_GT(rows, 0);
  EXPECT_EQ(std::to_string(rows),
            scalar("SELECT COUNT(*) FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N "
                   "AND NRSEQUITVEND = :I",
                   {{"N", sale("NRSEQVENDA")}, {"I", item("NRSEQUITVEND")}}));
  f->setFocus(f->dbgImpostoItem);
  EXPECT_FALSE(f->dbgImpostoItem.pressKey(platform::vk::Delete, platform::ssCtrl));
  EXPECT_EQ(f->cdsImpostoItem.recordCount(), rows);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(count("DelImpostoItem"), 0);
}

TEST_F(ItemTaxes, DeletingItemsTakesTheirTaxesAndTheLastOneLeavesForTheSalePage) {
  openOnTypedPendingSale();
  const std::string nr = sale("NRSEQVENDA");
  const int items = f->cdsItens.recordCount();
  ASSERT_GT(items, 0);
  for (int i = 0; i < items; ++i) {
    f->cdsItens.first();
    ASSERT_TRUE(runGesture([&] { f->cdsItens.remove(); })) << ui.lastText();
  }
  EXPECT_TRUE(f->cdsItens.isEmpty());
  EXPECT_EQ(f->cdsItens.changeCount(), 0);
  EXPECT_EQ(f->cdsImpostoItem.changeCount(), 0);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM ITVENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
                   {{"N", nr}}),
            "0");
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                   "NRSEQVENDA = :N",
                   {{"N", nr}}),
            "0");
  EXPECT_EQ(f->pgcPadrao.activePage(), &f->tshFolhaDados);
  EXPECT_EQ(f->dtsPadrao.dataSet(), &f->cdsPedidoVenda);
  EXPECT_DOUBLE_EQ(f->nedTotal.value(), 0);
  EXPECT_DOUBLE_EQ(f->nedTotal1.value(), 0);
  EXPECT_DOUBLE_EQ(f->nedTotal2.value(), 0);
  EXPECT_EQ(count("DeletaItens"), items);
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_NE(std::find(ui.captions.begin(), ui.captions.end(), "Excluindo venda no servidor..."), ui.captions.end());
}

// An item and its taxes are deleted together or not at all: a refused
// deletion leaves both on screen and on the server.
TEST_F(ItemTaxes, FailedDeletionsRestoreWhatWasDeleted) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  const std::string nr = item("NRSEQUITVEND");
  const int items = f->cdsItens.recordCount();
  const int taxes = f->cdsImpostoItem.recordCount();
  ASSERT_GT(taxes, 0);
  auto stored = [&] {
    return scalar(
        "SELECT COUNT(*) FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
        "NRSEQVENDA = :N AND NRSEQUITVEND = :I",
        {{"N", sale("NRSEQVENDA")}, {"I", nr}});
  };
  ASSERT_EQ(stored(), std::to_string(taxes));

  steering.failing = {"DeletaItens"};
  EXPECT_FALSE(runGesture([&] { f->cdsItens.remove(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em DeletaItens.");
  EXPECT_EQ(count("DelImpostoItem"), 0);
  EXPECT_EQ(stored(), std::to_string(taxes));
  EXPECT_EQ(f->cdsItens.recordCount(), items);
  EXPECT_EQ(f->cdsItens.changeCount(), 0);
  EXPECT_EQ(f->cdsImpostoItem.changeCount(), 0);
  EXPECT_TRUE(f->cdsItens.locate("NRSEQUITVEND", Value(nr)));
  EXPECT_EQ(f->cdsImpostoItem.recordCount(), taxes);
  EXPECT_EQ(f->pgcPadrao.activePage(), &f->tshFormulario);
  EXPECT_EQ(ui.progressDepth, 0);

  // Taken, the deletion removes both at once.
  steering.failing = {};
  ASSERT_TRUE(runGesture([&] { f->cdsItens.remove(); })) << ui.lastText();
  EXPECT_EQ(stored(), "0");
  EXPECT_EQ(f->cdsImpostoItem.changeCount(), 0);
  EXPECT_EQ(count("DelImpostoItem"), 0);
}

// An edit left pending by a refused save is saved before another item is
// deleted, instead of being sent with the deletion (which the server
// refuses) and lost when the deletion is undone.
TEST_F(ItemTaxes, PendingEditsAreSavedBeforeAnItemIsDeleted) {
  openOnTypedPendingSale();
  ASSERT_GE(f->cdsItens.recordCount(), 2);
  f->cdsItens.first();
  const std::string edited = item("NRSEQUITVEND");
  steering.failing = {"GravaVenda"};
  ASSERT_TRUE(runGesture([&] { f->cdsItens.edit(); }));
  f->cdsItens.fieldByName("QTPRODVEND").setAsFloat(7);
  EXPECT_FALSE(runGesture([&] { f->cdsItens.post(); }));
  ASSERT_GT(f->cdsItens.changeCount(), 0);

  steering.failing.clear();
  f->cdsItens.last();
  const std::string deleted = item("NRSEQUITVEND");
  ASSERT_TRUE(runGesture([&] { f->cdsItens.remove(); })) << ui.lastText();
  const std::string where = "WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N AND NRSEQUITVEND = :I";
  EXPECT_EQ(scalar("SELECT QTPRODVEND FROM ITVENDA " + where, {{"N", sale("NRSEQVENDA")}, {"I", edited}}).substr(0, 1),
            "7");
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM ITVENDA " + where, {{"N", sale("NRSEQVENDA")}, {"I", deleted}}), "0");
  EXPECT_EQ(f->cdsItens.changeCount(), 0);
}

// Typing the quantity of a new item that already shows tax rows is
// remembered until the quantity cell is left.
TEST_F(ItemTaxes, QuantityTypedOnANewItemWithTaxRowsIsRemembered) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  const std::string taken = item("NRSEQUITVEND");
  // The server proposes a number whose tax rows the screen shows.
  steering.rewrite["PrxItemVenda"] = [taken](RemoteResult& r) { r.value = Value(taken); };
  typeNewItem(productWithTwoRates());
  ASSERT_GT(f->cdsImpostoItem.recordCount(), 0);
  f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("QTPRODVEND"));
  f->dbgItens.typeText("2");
  EXPECT_TRUE(f->itemsPart.quantityTyped);
  ASSERT_TRUE(runGesture([&] { f->dbgItens.selectColumn("VRUNITVEND"); }));
  EXPECT_FALSE(f->itemsPart.quantityTyped);
  f->cdsItens.cancel();
}

// Creating an item's taxes never leaves rows it already had next to the
// new ones: the item ends with exactly one row per tax, numbered afresh,
// and the rows removed are removed on the server too.
TEST_F(ItemTaxes, TaxInsertionReplacesRowsTheItemAlreadyHad) {
  openOnTypedPendingSale();
  f->cdsItens.first();
  const int before = f->cdsImpostoItem.recordCount();
  ASSERT_GT(before, 0);
  const std::string product = item("CDPRODUTO");
  const std::string expected =
      scalar("SELECT COUNT(*) FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = :P", {{"P", product}});
  f->itemsPart.boState = true;
  ASSERT_TRUE(runGesture([&] { f->itemsPart.InsereImpostoItens(); })) << ui.lastText();
  const std::vector<TaxRow> rows = taxRows();
  ASSERT_EQ(std::to_string(rows.size()), expected);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].number, platform::Ajusta(std::to_string(i + 1), 3));
  EXPECT_EQ(count("DelImpostoItem"), before);
}

}  // namespace
