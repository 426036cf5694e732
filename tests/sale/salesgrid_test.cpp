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
  screen::TfrmManutVenda& openAt(const char* number) {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    return f;
  }
  platform::CellPaint paint(const char* number, const char* field) {
    platform::DBGrid& g = frmManutVenda->dbgPadrao;
    EXPECT_TRUE(frmManutVenda->cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    return g.drawCell(g.currentRow(), g.columnIndex(field));
  }
  void select(const char* field) { frmManutVenda->dbgPadrao.setSelectedField(sale(field)); }
};

// Pending sales are blue even with cancelled items; otherwise cancelled
// items paint purple before the status colours. Code columns show names,
// but under the in-place editor what is typed.
TEST_F(SalesGrid, PaintsStatusColoursAndNames) {
  screen::TfrmManutVenda& f = openDay();
  EXPECT_EQ(paint("0000000053", "NRSEQVENDA").fontColor, platform::clBlue);    // cancelled items
  EXPECT_EQ(paint("0000000051", "NRSEQVENDA").fontColor, platform::clGreen);   // concluded
  EXPECT_EQ(paint("0000000052", "NRSEQVENDA").fontColor, platform::clRed);     // cancelled
  EXPECT_EQ(paint("0000000060", "NRSEQVENDA").fontColor, platform::clPurple);  // both
  EXPECT_EQ(paint("0000000059", "NRINSJURCLIE").text, "Consumidor final");
  EXPECT_EQ(paint("0000000053", "CDSERVFILI").text, "Delivery");
  EXPECT_EQ(paint("0000000059", "CDCONSUMIDOR").text, "");
  select("CDVENDEDOR");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("4"); }));
  EXPECT_EQ(f.dbgPadrao.drawCell(f.dbgPadrao.currentRow(), f.dbgPadrao.selectedIndex()).text, "4");
}

// On a concluded sale no key types into any column, and nothing is said;
// Tab still moves on.
TEST_F(SalesGrid, ConcludedSaleTakesNoKeys) {
  screen::TfrmManutVenda& f = openAt("0000000051");
  for (const char* field : {"HRVENDA", "NRORDEMVND", "CDVENDEDOR"}) {
    select(field);
    EXPECT_EQ(f.dbgPadrao.typeText("1"), 0) << field;
    EXPECT_FALSE(f.dbgPadrao.pressKey(vk::Back)) << field;
  }
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
  select("HRVENDA");
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Tab));
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "IDTPEMISVEND");
}

// The client column of a saved sale lets only Tab, Enter and the arrows
// through; typing a client into a new sale drops its consumer.
TEST_F(SalesGrid, ClientColumnKeysDependOnInserting) {
  screen::TfrmManutVenda& f = openAt("0000000054");
  select("NRINSJURCLIE");
  EXPECT_EQ(f.dbgPadrao.typeText("12"), 0);
  for (int key : {vk::Delete, vk::Home, vk::F2, vk::Escape}) EXPECT_FALSE(f.dbgPadrao.pressKey(key)) << key;
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Right));
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "CDCONSUMIDOR");

  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.append(); }));
  sale("CDCONSUMIDOR").setAsString("000000000000000000001");
  select("NRINSJURCLIE");
  EXPECT_TRUE(f.dbgPadrao.pressKey(vk::Return));
  EXPECT_FALSE(sale("CDCONSUMIDOR").isNull());
  EXPECT_EQ(f.dbgPadrao.typeText("1"), 1);
  EXPECT_TRUE(sale("CDCONSUMIDOR").isNull());
}

// Leaving a column checks it: an unknown service keeps the user there, a
// known one is padded and named; a movement date not after 31/12/1899 is
// refused.
TEST_F(SalesGrid, LeavingAColumnChecksIt) {
  screen::TfrmManutVenda& f = openAt("0000000054");
  f.serviceEditable = true;
  select("CDSERVFILI");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("9"); }));
  EXPECT_FALSE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); }));
  EXPECT_EQ(ui.lastText(), "Serviço não cadastrado.");
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "CDSERVFILI");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("\b1\t"); })) << ui.lastText();
  EXPECT_EQ(sale("CDSERVFILI").asString(), "00001");
  EXPECT_EQ(sale("NMSERVICO").asString(), "Balcão");

  select("DTENTRVENDA");
  ASSERT_TRUE(gesture([&] { f.dbgPadrao.typeText("31/12/1899"); }));
  EXPECT_FALSE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); }));
  EXPECT_EQ(ui.lastText(), "Data incluída inferior ou igual a 31/12/1899 não é permitida.");
  EXPECT_EQ(f.dbgPadrao.selectedField()->name(), "DTENTRVENDA");
}

// The sale-type look-up offers exactly its two types, rebuilt each time,
// and the choice changes only the sale's type.
TEST_F(SalesGrid, SaleTypeLookUpOffersTwoTypes) {
  screen::TfrmManutVenda& f = openAt("0000000054");
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  std::vector<std::string> before;
  for (int i = 0; i < f.cdsPedidoVenda.fieldCount(); ++i) before.push_back(f.cdsPedidoVenda.field(i).asString());
  select("IDTIPOVENDA");
  for (int pick : {2, 2}) {
    ui.picks.push_back(pick);
    ASSERT_TRUE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); }));
  }
  ASSERT_EQ(f.cdsTipoVenda.recordCount(), 2);
  f.cdsTipoVenda.first();
  EXPECT_EQ(f.cdsTipoVenda.fieldByName("NMTIPOVENDA").asString(), "Digitada pelo usuário");
  EXPECT_EQ(ui.lookups.back(), "Tipo Venda");
  before[static_cast<size_t>(sale("IDTIPOVENDA").index())] = "D";
  for (int i = 0; i < f.cdsPedidoVenda.fieldCount(); ++i)
    EXPECT_EQ(f.cdsPedidoVenda.field(i).asString(), before[static_cast<size_t>(i)]) << f.cdsPedidoVenda.field(i).name();
}

// Without a client the consumer look-up stops at the client's rule before
// the server is asked for consumers.
TEST_F(SalesGrid, ConsumerLookUpNeedsTheClientFirst) {
  screen::TfrmManutVenda& f = openAt("0000000054");
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  sale("NRINSJURCLIE").clear();
  select("CDCONSUMIDOR");
  EXPECT_FALSE(gesture([&] { f.salePart.dbgPadraoEditButtonClick(); }));
  EXPECT_EQ(ui.lastText(), "Cliente deve ser informado.");
  EXPECT_EQ(callsOf("getConsumidor"), 0);
  EXPECT_TRUE(ui.lookups.empty());
}

}  // namespace
