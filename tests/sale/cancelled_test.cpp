// Cancelled items on the demo server: numbering, the figure rules when a
// cell is left and on post, the price asked even for an empty code, and
// every change reaching the server at once (undone when refused).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sale/items_fixture.h"

namespace {

using platform::DataSetState;
using platform::runGesture;
using platform::Value;

class CancelledItems : public itemstest::ItemsScreen {
 protected:
  // The cancelled items' page of the pending typed sale, a new row started.
  void startNewRow() {
    openOnTypedPendingSale();
    f->pgcPadrao.setActivePage(f->tshItensCancelados);
    f->state.pgcPadraoChange();
    f->setFocus(f->dbgItensCancelados);
    calls.clear();
    ASSERT_TRUE(runGesture([&] { f->cdsItensCancelados.append(); })) << ui.lastText();
    ASSERT_EQ(f->cdsItensCancelados.state(), DataSetState::Insert);
  }
  platform::Field& field(const char* name) { return f->cdsItensCancelados.fieldByName(name); }
  bool typeCell(const char* name, const std::string& text, const char* next) {
    platform::DBGrid& g = f->dbgItensCancelados;
    g.setSelectedIndex(g.columnIndex(name));
    g.pressKey(platform::vk::Delete);
    g.typeText(text);
    return runGesture([&] { g.selectColumn(next); }) && g.selectedField()->name() == next;
  }
  int storedRows() {
    return std::stoi(
        scalar("SELECT COUNT(*) FROM ITVENDACANC WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
               "NRSEQVENDA = :N",
               {{"N", sale("NRSEQVENDA")}}));
  }
};

TEST_F(CancelledItems, NewRowIsNumberedPricedCheckedAndSentAtOnce) {
  const std::string code = productWithTwoRates(10, 1.5);
  startNewRow();
  EXPECT_EQ(calls.back().rfind("getCodItensCanc(0001, 001, ", 0), 0u) << calls.back();
  EXPECT_FALSE(field("NRSEQITVENDC").asString().empty());

  ASSERT_TRUE(typeCell("CDARVPROD", code, "NMPRODUTO")) << ui.lastText();
  EXPECT_EQ(calls.back().rfind("RetornaPrecoLib(0001, ", 0), 0u) << calls.back();
  EXPECT_DOUBLE_EQ(field("VRUNITVENDC").asFloat(), 10);
  EXPECT_DOUBLE_EQ(field("VRUNITVENCLC").asFloat(), 1.5);
  EXPECT_FALSE(field("NMPRODUTO").asString().empty());

  struct Case {
    const char* field;
    const char* typed;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {"QTPRODVENDC", "0", "Quantidade de produtos deve ser maior que zero."},
      {"QTPRODVENDC", "2", nullptr},
      {"VRDESITVENDC", "-1", "Desconto deve ser maior ou igual a zero."},
      {"VRDESITVENDC", "20,01", "Valor do desconto deve ser menor que o valor total do produto."},
      {"VRDESITVENDC", "20", nullptr},
      {"VRACRITVENDC", "-0,5", "Acréscimo deve ser maior ou igual a zero."},
      {"VRACRITVENDC", "500", nullptr},
      {"VRACRITVENDC", "0,5", nullptr},
      {"VRDESITVENDC", "3", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = " + c.typed);
    ui.shown.clear();
    const bool left = typeCell(c.field, c.typed, "VRTOTAL");
    if (c.message) {
      EXPECT_FALSE(left);
      EXPECT_EQ(ui.texts(), std::vector<std::string>{c.message});
      EXPECT_EQ(f->dbgItensCancelados.selectedField()->name(), c.field);
    } else {
      EXPECT_TRUE(left) << ui.lastText();
    }
  }

  // 2 × (10.00 + 1.50) − (3.00 − 0.50) = 20.50; the post sends it at once.
  calls.clear();
  ASSERT_TRUE(runGesture([&] { f->cdsItensCancelados.post(); })) << ui.lastText();
  EXPECT_EQ(f->cdsItensCancelados.changeCount(), 0);
  EXPECT_EQ(field("VRTOTAL").asString(), "20,50");
  EXPECT_EQ(calls, std::vector<std::string>{"SetItensCancelados(<packet>)"});
  EXPECT_DOUBLE_EQ(field("VRPERCVENDC").asFloat(), 0);
  EXPECT_EQ(storedRows(), 1);
}

TEST_F(CancelledItems, PricesMustLeaveSomethingToPay) {
  const std::string code = productWithTwoRates();
  startNewRow();
  ASSERT_TRUE(typeCell("CDARVPROD", code, "NMPRODUTO")) << ui.lastText();
  field("QTPRODVENDC").setAsFloat(1);
  field("VRUNITVENDC").setAsFloat(0);
  field("VRUNITVENCLC").setAsFloat(0);
  EXPECT_FALSE(runGesture([&] { f->cdsItensCancelados.post(); }));
  EXPECT_EQ(ui.lastText(), "Vr.Unit ou Vr.Cliente deve ser maior que zero.");
  EXPECT_EQ(f->cdsItensCancelados.state(), DataSetState::Insert);
  field("VRUNITVENCLC").setAsFloat(2);
  field("VRDESITVENDC").clear();
  field("VRACRITVENDC").clear();
  ASSERT_TRUE(runGesture([&] { f->cdsItensCancelados.post(); })) << ui.lastText();
  EXPECT_DOUBLE_EQ(field("VRDESITVENDC").asFloat(), 0);
  EXPECT_DOUBLE_EQ(field("VRACRITVENDC").asFloat(), 0);
}

TEST_F(CancelledItems, EmptyCodeIsRequiredOnPostButStillPricedWhenLeft) {
  startNewRow();
  calls.clear();
  ASSERT_TRUE(typeCell("CDARVPROD", "", "NMPRODUTO")) << ui.lastText();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "RetornaPrecoLib(0001, " + sale("CDCLIENTE") + ", , " + sale("CDCONSUMIDOR") + ", " +
                              sale("CDLOJA") + ", VND_)");
  EXPECT_FALSE(runGesture([&] { f->cdsItensCancelados.post(); }));
  EXPECT_EQ(ui.lastText(), "Produto deve ser informado.");
}

TEST_F(CancelledItems, RefusedChangeIsUndone) {
  const std::string code = productWithTwoRates();
  startNewRow();
  ASSERT_TRUE(typeCell("CDARVPROD", code, "NMPRODUTO")) << ui.lastText();
  field("QTPRODVENDC").setAsFloat(1);
  steering.failing.insert("SetItensCancelados");
  const int before = storedRows();
  EXPECT_FALSE(runGesture([&] { f->cdsItensCancelados.post(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em SetItensCancelados.");
  EXPECT_EQ(f->cdsItensCancelados.changeCount(), 0);
  EXPECT_EQ(f->cdsItensCancelados.recordCount(), 0);
  EXPECT_EQ(storedRows(), before);
  EXPECT_EQ(ui.progressDepth, 0);
}

// The product look-up of the code cell fills and prices the row; a row
// without quantity is not posted; leaving the quantity cell ends the
// quantity typing the items' tax rows watch for.
TEST_F(CancelledItems, LookUpQuantityRequiredAndTypingFlagCleared) {
  const std::string code = productWithTwoRates(10, 1.5);
  startNewRow();
  platform::DBGrid& g = f->dbgItensCancelados;
  g.setSelectedIndex(g.columnIndex("CDARVPROD"));
  const std::string position = scalar(
      "SELECT COUNT(*) FROM PRODUTO P JOIN PRODFILIAL F ON F.CDPRODUTO = P.CDPRODUTO "
      "WHERE P.CDNVPRODUTO = 3 AND F.CDFILIAL = '0001' AND F.IDPERVENDA = 'S' AND P.IDATIVO = 'S' "
      "AND P.CDARVPROD <= :C",
      {{"C", code}});
  ui.picks.push_back(std::stoi(position));
  calls.clear();
  ASSERT_TRUE(runGesture([&] { g.OnEditButtonClick(g); })) << ui.lastText();
  ASSERT_EQ(ui.lookups.size(), 1u);
  EXPECT_EQ(field("CDARVPROD").asString(), code);
  EXPECT_DOUBLE_EQ(field("VRUNITVENDC").asFloat(), 10);
  EXPECT_DOUBLE_EQ(field("VRUNITVENCLC").asFloat(), 1.5);
  EXPECT_EQ(calls.back().rfind("RetornaPrecoLib(0001, ", 0), 0u) << calls.back();
  EXPECT_FALSE(field("CDPRODUTO").asString().empty());

  ui.shown.clear();
  EXPECT_FALSE(runGesture([&] { f->cdsItensCancelados.post(); }));
  EXPECT_EQ(ui.lastText(), "Quantidade deve ser informada.");

  f->itemsPart.quantityTyped = true;
  ASSERT_TRUE(typeCell("QTPRODVENDC", "1", "VRTOTAL")) << ui.lastText();
  EXPECT_FALSE(f->itemsPart.quantityTyped);
}

}  // namespace
