// Typing an item: product code, prices, quantity, discount, surcharge, the
// line total and the keys the grid lets through.

#include <gtest/gtest.h>

#include "platform/gesture.h"
#include "platform/uiservice.h"
#include "tests/sale/items_fixture.h"

namespace {

using itemstest::ItemsScreen;
using platform::ClientDataSet;
using platform::DataSetState;
using platform::runGesture;
using platform::Value;

TEST_F(ItemsScreen, NewItemIsNumberedAndPricedFromItsTreeCode) {
  openOnTypedPendingSale();
  const std::string code = productWithTwoRates(10, 2.5);
  const std::string expectedNumber =
      scalar("SELECT MAX(NRSEQUITVEND) FROM ITVENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
             {{"N", sale("NRSEQVENDA")}});
  typeNewItem(code);
  EXPECT_EQ(item("NRSEQUITVEND").size(), 3u);
  EXPECT_GT(item("NRSEQUITVEND"), expectedNumber);
  EXPECT_EQ(item("CDARVPROD"), code);
  EXPECT_FALSE(item("NMPRODUTO").empty());
  EXPECT_DOUBLE_EQ(itemNumber("VRUNITVEND"), 10);
  EXPECT_DOUBLE_EQ(itemNumber("VRUNITVENDCL"), 2.5);
  EXPECT_EQ(ui.captions.back(), "Recebendo preço do servidor...");
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();

  // Cancelling the new item shows the sale's total as the server has it.
  f->cdsItens.cancel();
  EXPECT_EQ(calls.back(), "GetSumVenda(0001, 001, " + sale("NRSEQVENDA") + ")");
  const double total = f->cdsSumVenda.fieldByName("SOMA").asFloat();
  EXPECT_GT(total, 0);
  for (platform::NumberBox* box : {&f->nedTotal, &f->nedTotal1, &f->nedTotal2}) EXPECT_DOUBLE_EQ(box->value(), total);
}

// The next item number is read without the result check, but a failed
// call is still reported: an item without a number could never be saved.
TEST_F(ItemsScreen, FailedNumberingIsReported) {
  openOnTypedPendingSale();
  steering.failing = {"PrxItemVenda"};
  EXPECT_FALSE(runGesture([&] { f->cdsItens.append(); }));
  EXPECT_EQ(ui.texts(), std::vector<std::string>{"Falha simulada em PrxItemVenda."});
  EXPECT_TRUE(item("NRSEQUITVEND").empty());
  f->cdsItens.cancel();
}

// The same code typed (or scanned) into the code cell is accepted as bar
// code or external code, past the tree code's mask, and the item then
// carries the product's tree code and name.
TEST_F(ItemsScreen, BarAndExternalCodesAreReplacedByTheTreeCode) {
  openOnTypedPendingSale();
  const std::string tree = productWithTwoRates();
  const std::string bar = scalar("SELECT CDBARPRODUTO FROM PRODUTO WHERE CDARVPROD = :A", {{"A", tree}});
  const std::string external = scalar("SELECT CDPRODINTE FROM PRODUTO WHERE CDARVPROD = :A", {{"A", tree}});
  const std::string name = scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDARVPROD = :A", {{"A", tree}});
  ASSERT_FALSE(bar.empty());
  for (const std::string& typed : {bar, external}) {
    SCOPED_TRACE(typed);
    ASSERT_TRUE(runGesture([&] { f->cdsItens.append(); }));
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("CDARVPROD"));
    f->dbgItens.typeText(typed);
    EXPECT_EQ(f->dbgItens.drawCell(f->dbgItens.currentRow(), f->dbgItens.selectedIndex()).text, typed);
    EXPECT_TRUE(runGesture([&] { f->dbgItens.selectColumn("QTPRODVEND"); })) << ui.lastText();
    EXPECT_EQ(item("CDARVPROD"), tree);
    EXPECT_EQ(item("NMPRODUTO"), name);
    EXPECT_DOUBLE_EQ(itemNumber("VRUNITVEND"), 10);
    f->cdsItens.cancel();
  }
}

// Codes the product library refuses keep the user on the code cell with
// the library's reason.
TEST_F(ItemsScreen, ProductLibraryRefusesWhatTheBranchMayNotSell) {
  openOnTypedPendingSale();
  const std::string code = productWithTwoRates();
  sql("UPDATE PRODFILIAL SET IDPERVENDA = 'N' WHERE CDFILIAL = '0001' AND CDPRODUTO = "
      "(SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = :A)",
      {{"A", code}});
  const std::string group = code.substr(0, 4);
  struct Case {
    std::string typed, message;
  } cases[] = {
      {code, "não pode ser vendido na filial 0001"},
      {group, "não é de um produto"},
      {"99999999", "Produto 99999999 não cadastrado."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ui.shown.clear();
    ASSERT_TRUE(runGesture([&] { f->cdsItens.append(); }));
    f->cdsItens.fieldByName("CDARVPROD").setAsString(c.typed);
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("CDARVPROD"));
    EXPECT_FALSE(runGesture([&] { f->dbgItens.selectColumn("QTPRODVEND"); }));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.lastText().find(c.message), std::string::npos) << ui.lastText();
    EXPECT_EQ(f->dbgItens.selectedField()->name(), "CDARVPROD");
    EXPECT_EQ(f->pgcPadrao.activePage(), &f->tshFormulario);
    EXPECT_EQ(f->cdsItens.state(), DataSetState::Insert);
    f->cdsItens.cancel();
  }
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(ItemsScreen, FiguresAreCheckedWhenTheirCellIsLeft) {
  openOnTypedPendingSale();
  typeNewItem(productWithTwoRates());
  struct Case {
    const char* field;
    const char* typed;
    const char* message;  // nullptr: accepted
    const char* total;    // the line total shown after an accepted value
  } cases[] = {
      {"QTPRODVEND", "0", "Quantidade de produtos deve ser maior que zero.", nullptr},
      {"QTPRODVEND", "-1", "Quantidade de produtos deve ser maior que zero.", nullptr},
      {"QTPRODVEND", "2", nullptr, "20,00"},
      {"VRDESITVEND", "19,99", nullptr, "0,01"},
      {"VRDESITVEND", "20", nullptr, "0,00"},
      {"VRDESITVEND", "20,01", "Valor do desconto deve ser menor que o valor total do produto.", nullptr},
      {"VRDESITVEND", "-1", "Desconto deve ser maior ou igual a zero.", nullptr},
      {"VRDESITVEND", "1", nullptr, "19,00"},
      {"VRACRITVEND", "-1", "Acréscimo deve ser maior ou igual a zero.", nullptr},
      {"VRACRITVEND", "0,5", nullptr, "19,50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = " + c.typed);
    ui.shown.clear();
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex(c.field));
    f->dbgItens.pressKey(platform::vk::Delete);  // what a refused value left in the cell
    f->dbgItens.typeText(c.typed);
    const bool left = runGesture([&] { f->dbgItens.selectColumn("VRTOTAL"); });
    if (c.message) {
      EXPECT_FALSE(left);
      EXPECT_EQ(ui.texts(), std::vector<std::string>{c.message});
      EXPECT_EQ(f->dbgItens.selectedField()->name(), c.field);
    } else {
      EXPECT_TRUE(left) << ui.lastText();
      EXPECT_EQ(item("VRTOTAL"), c.total);
    }
    EXPECT_EQ(f->cdsItens.state(), DataSetState::Insert);
  }
}

// A discount above the product's value passes while the surcharge keeps the
// line total positive, and the item is saved with it.
TEST_F(ItemsScreen, SurchargeCoversADiscountAboveTheProductValue) {
  openOnTypedPendingSale();
  typeNewItem(productWithTwoRates());
  ASSERT_TRUE(typeCell("QTPRODVEND", "2", "VRUNITVEND"));
  ASSERT_TRUE(typeCell("VRACRITVEND", "5", "VRDESITVEND"));
  EXPECT_FALSE(typeCell("VRDESITVEND", "25", "VRTOTAL"));
  EXPECT_EQ(ui.lastText(), "Valor do desconto deve ser menor que o valor total do produto.");
  f->dbgItens.pressKey(platform::vk::Delete);
  ASSERT_TRUE(typeCell("VRDESITVEND", "22", "VRTOTAL")) << ui.lastText();
  EXPECT_EQ(item("VRTOTAL"), "3,00");
  ui.shown.clear();
  ASSERT_TRUE(runGesture([&] { f->cdsItens.post(); })) << ui.lastText();
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();  // the server took it too
  EXPECT_EQ(f->cdsItens.state(), DataSetState::Browse);
  EXPECT_EQ(itemNumber("VRDESITVEND"), 22);
}

// Before-post repeats the checks with the empty cases reported.
TEST_F(ItemsScreen, PostReportsMissingAndNonPositiveFigures) {
  openOnTypedPendingSale();
  typeNewItem(productWithTwoRates());
  ClientDataSet& it = f->cdsItens;
  struct Case {
    std::function<void()> set;
    const char* message;
    const char* focus;
  } cases[] = {
      {[&] { it.fieldByName("QTPRODVEND").clear(); }, "Quantidade deve ser informada.", "QTPRODVEND"},
      {[&] {
         it.fieldByName("QTPRODVEND").setAsFloat(1);
         it.fieldByName("VRUNITVEND").clear();
       },
       "Vr. Unit. deve ser informado.", "VRUNITVEND"},
      {[&] { it.fieldByName("VRUNITVEND").setAsFloat(-1); }, "Vr. Unit. deve ser maior ou igual a zero.", "VRUNITVEND"},
      {[&] {
         it.fieldByName("VRUNITVEND").setAsFloat(1);
         it.fieldByName("VRUNITVENDCL").setAsFloat(-1);
       },
       "Vr. Cliente deve ser maior ou igual a zero.", "VRUNITVENDCL"},
      {[&] {
         it.fieldByName("VRUNITVEND").setAsFloat(0);
         it.fieldByName("VRUNITVENDCL").setAsFloat(0);
       },
       "Vr.Unit ou Vr.Cliente deve ser maior que zero.", "VRUNITVEND"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ui.shown.clear();
    c.set();
    EXPECT_FALSE(runGesture([&] { it.post(); }));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(it.state(), DataSetState::Insert);
    EXPECT_EQ(f->dbgItens.selectedField()->name(), c.focus);
  }
  // A unit price of 0 passes with a client price.
  it.fieldByName("VRUNITVENDCL").setAsFloat(5);
  ui.shown.clear();
  EXPECT_TRUE(runGesture([&] { it.post(); })) << ui.lastText();
  EXPECT_EQ(item("CDFILIAL"), "0001");
  EXPECT_EQ(item("NRSEQVENDA"), sale("NRSEQVENDA"));
  EXPECT_EQ(item("CDCAIXA"), "001");
}

// The line total counts the client price and is cut, never rounded, on
// the 15-digit form of the figure.
TEST_F(ItemsScreen, LineTotalIsCutToCents) {
  openOnTypedPendingSale();
  typeNewItem(productWithTwoRates());
  ClientDataSet& it = f->cdsItens;
  struct Case {
    double q, u, ucl, d, a;
    const char* total;
  } cases[] = {
      {3, 0.1, 0, 0, 0, "0,30"},
      {2, 10, 2, 0, 0, "24,00"},
      {1, 2.675, 0, 0, 0, "2,67"},
      {3, 1.15, 0.5, 0.2, 0.1, "4,85"},
  };
  for (const Case& c : cases) {
    it.fieldByName("QTPRODVEND").setAsFloat(c.q);
    it.fieldByName("VRUNITVEND").setAsFloat(c.u);
    it.fieldByName("VRUNITVENDCL").setAsFloat(c.ucl);
    it.fieldByName("VRDESITVEND").setAsFloat(c.d);
    it.fieldByName("VRACRITVEND").setAsFloat(c.a);
    ASSERT_TRUE(runGesture([&] { it.post(); })) << ui.lastText();
    EXPECT_EQ(item("VRTOTAL"), c.total);
    ASSERT_TRUE(runGesture([&] { it.edit(); }));
  }
  it.cancel();
}

TEST_F(ItemsScreen, PriceCellsTakeNoKeysWhenPricesMayNotBeTyped) {
  openOnTypedPendingSale();
  ASSERT_TRUE(runGesture([&] { f->cdsParametro.edit(); }));
  f->cdsParametro.fieldByName("IDALTPRECO").setAsString("2");
  f->cdsParametro.post();
  f->cdsItens.first();
  const double unit = itemNumber("VRUNITVEND");
  for (const char* field : {"VRUNITVEND", "VRUNITVENDCL"}) {
    SCOPED_TRACE(field);
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex(field));
    EXPECT_EQ(f->dbgItens.typeText("9"), 0);
    f->dbgItens.pressKey(platform::vk::Back);
    f->dbgItens.pressKey(platform::vk::Delete);
    EXPECT_FALSE(f->dbgItens.editorMode());
  }
  EXPECT_EQ(f->cdsItens.state(), DataSetState::Browse);
  EXPECT_DOUBLE_EQ(itemNumber("VRUNITVEND"), unit);
  // The other cells still take keys, and Tab still moves on.
  f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("VRUNITVEND"));
  EXPECT_TRUE(f->dbgItens.pressKey(platform::vk::Tab));
  EXPECT_EQ(f->dbgItens.selectedField()->name(), "VRUNITVENDCL");
  f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("QTPRODVEND"));
  EXPECT_EQ(f->dbgItens.typeText("3"), 1);
  EXPECT_EQ(f->cdsItens.state(), DataSetState::Edit);
}

TEST_F(ItemsScreen, ItemsOfASaleThatIsNotPendingTakeNoKeys) {
  openOnTypedPendingSale();
  ASSERT_TRUE(f->cdsPedidoVenda.locate("IDSITUVENDA", Value("O")));
  loadItems();
  ASSERT_FALSE(f->cdsItens.isEmpty());
  for (const char* field : {"QTPRODVEND", "VRUNITVEND", "VRDESITVEND", "VRACRITVEND"}) {
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex(field));
    EXPECT_EQ(f->dbgItens.typeText("1"), 0) << field;
    f->dbgItens.pressKey(platform::vk::Delete);
  }
  EXPECT_EQ(f->cdsItens.state(), DataSetState::Browse);
  // Nor can an item be added to it.
  EXPECT_FALSE(runGesture([&] { f->cdsItens.append(); }));
  EXPECT_EQ(f->cdsItens.state(), DataSetState::Browse);
}

TEST_F(ItemsScreen, PickListFillsTheItemWithTheChosenProductAndItsPrice) {
  openOnTypedPendingSale();
  ASSERT_TRUE(runGesture([&] { f->cdsItens.append(); }));
  f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("CDARVPROD"));
  f->dbgItens.columnByField("CDARVPROD")->setButtonStyle(platform::ButtonStyle::Ellipsis);
  ui.picks.push_back(2);
  ASSERT_TRUE(f->dbgItens.clickEditButton());
  EXPECT_EQ(ui.lookups, std::vector<std::string>{"Produto"});
  const std::string chosen = f->cdsProduto.fieldByName("CDPRODUTO").asString();
  EXPECT_EQ(item("CDPRODUTO"), chosen);
  EXPECT_EQ(item("CDARVPROD"), f->cdsProduto.fieldByName("CDARVPROD").asString());
  EXPECT_EQ(item("NMPRODUTO"), f->cdsProduto.fieldByName("NMPRODUTO").asString());
  const std::string price =
      scalar("SELECT VRPRECITEM FROM ITTABEPREC WHERE CDTABEPREC = '001' AND CDPRODUTO = :P", {{"P", chosen}});
  EXPECT_DOUBLE_EQ(itemNumber("VRUNITVEND"), std::stod(price));
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "getPesquisaProd(0001, 3)");
  EXPECT_EQ(calls.back().rfind("RetornaPrecoLib(0001, ", 0), 0u) << calls.back();
  EXPECT_NE(calls.back().find(chosen + ", "), std::string::npos);
  EXPECT_EQ(ui.progressDepth, 0);

  // Cancelling the list leaves the item as it was.
  ui.picks.push_back(0);
  ASSERT_TRUE(f->dbgItens.clickEditButton());
  EXPECT_EQ(item("CDPRODUTO"), chosen);
}

}  // namespace
