#include <gtest/gtest.h>

#include "platform/controls.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::DataSetState;
using platform::Value;
namespace vk = platform::vk;
using saletest::SaleScreen;

class SalesGrid : public SaleScreen {
 protected:
  platform::CellPaint paint(const char* number, const char* field) {
    screen::TfrmManutVenda& f = *frmManutVenda;
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    return f.dbgPadrao.drawCell(f.dbgPadrao.currentRow(), f.dbgPadrao.columnIndex(field));
  }
  void select(const char* field) { frmManutVenda->dbgPadrao.setSelectedField(sale(field)); }
};

// Pending sales are blue even with cancelled items; otherwise cancelled
// items paint purple before the status colours.
TEST_F(SalesGrid, RowColoursFollowStatusAndCancelledItems) {
  openDay();
  struct Case {
    const char* number;
    platform::Color colour;
  };
  for (const Case& c : {Case{"0000000053", platform::clBlue},    // pending, cancelled items
                        Case{"0000000054", platform::clBlue},    // pending
                        Case{"0000000051", platform::clGreen},   // concluded
                        Case{"0000000052", platform::clRed},     // cancelled
                        Case{"0000000060", platform::clPurple}}) {  // cancelled, cancelled items
    SCOPED_TRACE(c.number);
    EXPECT_EQ(paint(c.number, "NRSEQVENDA").fontColor, c.colour);
  }
}

// The code columns show names; the cell under the in-place editor shows
// what is being typed.
TEST_F(SalesGrid, CodeColumnsShowNamesExceptUnderTheEditor) {
  screen::TfrmManutVenda& f = openDay();
  const platform::CellPaint seller = paint("0000000059", "CDVENDEDOR");
  EXPECT_EQ(seller.text, sale("NMRAZSOCVEN").asString());
  EXPECT_FALSE(seller.text.empty());
  EXPECT_EQ(paint("0000000059", "NRINSJURCLIE").text, "Consumidor final");
  EXPECT_EQ(paint("0000000059", "CDCONSUMIDOR").text, "");
  const platform::CellPaint service = paint("0000000053", "CDSERVFILI");
  EXPECT_EQ(service.text, sale("NMSERVICO").asString());
  EXPECT_EQ(service.text, "Delivery");

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000059")));
  select("CDVENDEDOR");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("4"); }));
  const platform::CellPaint typing =
      f.dbgPadrao.drawCell(f.dbgPadrao.currentRow(), f.dbgPadrao.columnIndex("CDVENDEDOR"));
  EXPECT_TRUE(typing.editorCell);
  EXPECT_EQ(typing.text, "4");
}

// On a sale that is not pending no key types into any column; Tab still
// moves between cells.
TEST_F(SalesGrid, ConcludedSaleTakesNoKeys) {
  screen::TfrmManutVenda& f = openDay();
  ASSERT_TRUE(gotoStatus("O"));
  for (const char* field : {"HRVENDA", "NRORDEMVND", "CDVENDEDOR", "NRSERIEVND"}) {
    SCOPED_TRACE(field);
    select(field);
    EXPECT_EQ(f.dbgPadrao.typeText("1"), 0);
    EXPECT_FALSE(f.dbgPadrao.pressKey(vk::Back));
    EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  }
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
  select("HRVENDA");
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Tab));
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "IDTPEMISVEND");
}

// In the client column of a saved sale only Tab, Enter and the arrows do
// anything; of a sale being inserted, typing a client drops the consumer.
TEST_F(SalesGrid, ClientColumnKeysDependOnInserting) {
  screen::TfrmManutVenda& f = openDay();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  select("NRINSJURCLIE");
  EXPECT_EQ(f.dbgPadrao.typeText("12"), 0);
  for (int key : {vk::Delete, vk::Home, vk::End, vk::F2, vk::Escape}) EXPECT_FALSE(f.dbgPadrao.pressKey(key)) << key;
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Right));
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "CDCONSUMIDOR");
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Left));
  // The sale type is never typed.
  select("IDTIPOVENDA");
  EXPECT_EQ(f.dbgPadrao.typeText("D"), 0);

  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.append(); }));
  sale("CDCONSUMIDOR").setAsString("000000000000000000001");
  sale("NMCONSUMIDOR").setAsString("Fulano");
  select("NRINSJURCLIE");
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Return));
  EXPECT_FALSE(sale("CDCONSUMIDOR").isNull());
  EXPECT_EQ(f.dbgPadrao.typeText("1"), 1);
  EXPECT_TRUE(sale("CDCONSUMIDOR").isNull());
  EXPECT_TRUE(sale("NMCONSUMIDOR").isNull());
}

// Leaving a code column runs its rule: a service is padded and named, an
// unknown one keeps the user in the column.
TEST_F(SalesGrid, LeavingTheServiceColumnChecksIt) {
  screen::TfrmManutVenda& f = openDay();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  f.serviceEditable = true;
  select("CDSERVFILI");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("9"); }));
  EXPECT_FALSE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); }));
  EXPECT_EQ(ui.lastText(), "Serviço não cadastrado.");
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "CDSERVFILI");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.pressKey(vk::Back); }));
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("1"); }));
  EXPECT_TRUE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); })) << ui.lastText();
  EXPECT_EQ(sale("CDSERVFILI").asString(), "00001");
  EXPECT_EQ(sale("NMSERVICO").asString(), "Balcão");
}

// The sale-type look-up offers exactly its two types and the choice
// changes only the sale's type.
TEST_F(SalesGrid, SaleTypeLookUpOffersTwoTypes) {
  screen::TfrmManutVenda& f = openDay();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  std::vector<std::string> before;
  for (int i = 0; i < f.cdsPedidoVenda.fieldCount(); ++i) before.push_back(f.cdsPedidoVenda.field(i).asString());
  select("IDTIPOVENDA");
  ui.picks.push_back(2);
  ASSERT_TRUE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); }));
  ASSERT_EQ(ui.lookups, std::vector<std::string>{"Tipo Venda"});
  ASSERT_EQ(f.cdsTipoVenda.recordCount(), 2);
  f.cdsTipoVenda.first();
  EXPECT_EQ(f.cdsTipoVenda.fieldByName("IDTIPOVENDA").asString(), "S");
  EXPECT_EQ(f.cdsTipoVenda.fieldByName("NMTIPOVENDA").asString(), "Digitada pelo usuário");
  f.cdsTipoVenda.next();
  EXPECT_EQ(f.cdsTipoVenda.fieldByName("IDTIPOVENDA").asString(), "D");
  EXPECT_EQ(f.cdsTipoVenda.fieldByName("NMTIPOVENDA").asString(), "Lançadas no Tillora");
  for (int i = 0; i < f.cdsPedidoVenda.fieldCount(); ++i) {
    const platform::Field& fld = f.cdsPedidoVenda.field(i);
    EXPECT_EQ(fld.asString(), fld.name() == "IDTIPOVENDA" ? "D" : before[static_cast<size_t>(i)]) << fld.name();
  }
  // Asked again, the list is rebuilt, not grown; no choice changes nothing.
  ASSERT_TRUE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); }));
  EXPECT_EQ(f.cdsTipoVenda.recordCount(), 2);
  EXPECT_EQ(sale("IDTIPOVENDA").asString(), "D");
}

// Without a client the consumer look-up stops at the client's rule, before
// any consumer is asked of the server; with one it lists its consumers.
TEST_F(SalesGrid, ConsumerLookUpNeedsTheClientFirst) {
  screen::TfrmManutVenda& f = openDay();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  sale("NRINSJURCLIE").clear();
  select("CDCONSUMIDOR");
  EXPECT_FALSE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); }));
  EXPECT_EQ(ui.lastText(), "Cliente deve ser informado.");
  EXPECT_EQ(callsOf("getConsumidor"), 0);
  EXPECT_TRUE(ui.lookups.empty());

  sale("NRINSJURCLIE").setAsString(
      lookup("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = :P", "000000000000000000006").asText());
  select("CDCONSUMIDOR");
  ui.picks.push_back(1);
  ASSERT_TRUE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); })) << ui.lastText();
  EXPECT_EQ(ui.lookups, std::vector<std::string>{"Consumidor"});
  EXPECT_EQ(calls.back(), "getConsumidor(000000000000000000006, , T)");
  EXPECT_EQ(sale("CDCONSUMIDOR").asString(), "000000000000000000001");
  EXPECT_EQ(ui.progressDepth, 0);
}

}  // namespace
