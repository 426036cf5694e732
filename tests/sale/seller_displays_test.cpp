#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/logon.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::DataSetState;
using platform::Value;
namespace vk = platform::vk;
using saletest::SaleScreen;

// Each code shows its word while the value stays the code; codes compare
// exactly and each field has its own fall-back.
TEST_F(SaleScreen, SaleCodesShowTheirTexts) {
  screen::TfrmManutVenda& f = openDay();
  const platform::DataPacket base = f.cdsPedidoVenda.data();
  const auto shown = [&](const char* field, const Value& code) {
    platform::DataPacket p = base;
    p.rows.resize(1);
    p.rows[0].values.at(static_cast<size_t>(p.fieldIndex(field))) = code;
    f.cdsPedidoVenda.setData(p);
    return sale(field).displayText();
  };
  struct Case {
    const char* field;
    Value code;
    const char* text;
  };
  for (const Case& c : {Case{"IDSITUVENDA", Value("P"), "Pe"}, Case{"IDSITUVENDA", Value("D"), "De"},
                        Case{"IDSITUVENDA", Value("X"), "Ca"}, Case{"IDSITUVENDA", Value("p"), "Ca"},
                        Case{"IDSITUVENDA", Value(), "Ca"}, Case{"IDTIPOVENDA", Value("C"), "Lançada no caixa"},
                        Case{"IDTIPOVENDA", Value("D"), "Lançadas no Tillora"}, Case{"IDTIPOVENDA", Value("E"), ""},
                        Case{"IDESTOQUE", Value("S"), "Atualizado"}, Case{"IDESTOQUE", Value(), "Não atualizado"},
                        Case{"IDTPEMISVEND", Value("N"), "NFC-e"}, Case{"IDTPEMISVEND", Value(), "ECF"},
                        Case{"IDORIGEMVENDA", Value("DLV_SAT"), "Delivey SAT"}, Case{"IDORIGEMVENDA", Value("ABC"), ""},
                        Case{"IDORIGEMVENDA", Value("vnd_man"), ""}}) {
    EXPECT_EQ(shown(c.field, c.code), c.text) << c.field << " " << c.code.asText();
  }
  EXPECT_EQ(sale("IDORIGEMVENDA").asString(), "vnd_man");
}

class SellerChange : public SaleScreen {
 protected:
  // Starts the change on a concluded sale and types the seller in the grid.
  screen::TfrmManutVenda& changeSeller(const char* seller) {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000051")));
    EXPECT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
    EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Edit);
    f.dbgPadrao.setSelectedField(sale("CDVENDEDOR"));
    EXPECT_TRUE(gesture([&] { f.dbgPadrao.typeText(std::string("\r\b\b\b\b") + seller); }));
    return f;
  }
  static std::string note(const std::string& seller) {
    return "Operador " + platform::Operador() + "-" + platform::NomeOperador() + " - Novo vendedor: " + seller + " - " +
           platform::formatDate(platform::today());
  }
};

// A concluded sale takes a new seller: only the seller can be typed and is
// checked, the last operator stays, and the observation records the change.
TEST_F(SellerChange, ConcludedSaleTakesANewSellerAndANote) {
  screen::TfrmManutVenda& f = changeSeller("99");
  const std::string lastOperator = sale("CDOPERADOR").asString();
  EXPECT_FALSE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); }));
  EXPECT_EQ(ui.lastText(), "Vendedor não cadastrado.");
  EXPECT_TRUE(gesture([&] { f.dbgPadrao.typeText("\b\b3\t"); })) << ui.lastText();
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "0003");
  EXPECT_EQ(f.dbgPadrao.typeText("1"), 0);  // the next column
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), " - " + note("0003"));
  EXPECT_EQ(sale("CDOPERADOR").asString(), lastOperator);
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  loadSales();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000051")));
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "0003");
}

// The observation keeps its first 2000 characters, so a full one loses the
// note; the same seller again appends nothing.
TEST_F(SellerChange, NoteIsCutAt2000CharactersAndSameSellerAddsNothing) {
  screen::TfrmManutVenda& f = changeSeller("4");
  const std::string start = std::string(1990, 'y') + "ação";
  sale("TXOBSVENDA").setAsString(start);
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), start + " - Ope");

  const std::string full(2000, 'x');
  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
  sale("TXOBSVENDA").setAsString(full);
  sale("CDVENDEDOR").setAsString("1");
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), full);

  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
  sale("TXOBSVENDA").setAsString("antes");
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), "antes");
}

// Cancelling the edit ends the change, and so does a post however it
// comes: editing the concluded sale is refused again.
TEST_F(SellerChange, CancelOrPostEndsTheMode) {
  screen::TfrmManutVenda& f = changeSeller("3");
  f.cdsPedidoVenda.cancel();
  EXPECT_FALSE(f.sellerChangeMode);
  EXPECT_EQ(f.dtsPadrao.dataSet(), &f.cdsPedidoVenda);
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.edit(); }));

  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
  sale("CDVENDEDOR").setAsString("0004");
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.next(); })) << ui.lastText();
  EXPECT_FALSE(f.sellerChangeMode);
  EXPECT_EQ(callsOf("GravaVenda"), 1);
  EXPECT_FALSE(gesture([&] {
    f.cdsPedidoVenda.prior();
    f.cdsPedidoVenda.edit();
  }));
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
}

}  // namespace
