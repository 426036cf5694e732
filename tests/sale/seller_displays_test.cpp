#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/logon.h"
#include "sale/sale.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::DataSetState;
using platform::Value;
namespace vk = platform::vk;
using saletest::SaleScreen;

class SaleDisplays : public SaleScreen {};

// Each code shows its word; codes are compared exactly and the fall-backs
// differ per field.
TEST_F(SaleDisplays, CodesShowTheirTexts) {
  screen::TfrmManutVenda& f = openDay();
  platform::ClientDataSet row("row");
  sale::declarePedidoVenda(row);
  row.createDataSet();
  row.append();
  row.post();
  row.edit();
  const auto show = [&](const char* field, Value code) {
    row.fieldByName(field).setValue(code);
    const screen::SalePart& p = f.salePart;
    const platform::Field& fld = row.fieldByName(field);
    const std::string name = field;
    if (name == "IDSITUVENDA") return p.cdsPedidoVendaIDSITUVENDAGetText(fld);
    if (name == "IDTIPOVENDA") return p.cdsPedidoVendaIDTIPOVENDAGetText(fld);
    if (name == "IDESTOQUE") return p.cdsPedidoVendaIDESTOQUEGetText(fld);
    if (name == "IDTPEMISVEND") return p.cdsPedidoVendaIDTPEMISVENDGetText(fld);
    return p.cdsPedidoVendaIDORIGEMVENDAGetText(fld);
  };
  struct Case {
    const char* field;
    Value code;
    const char* text;
  };
  const Case cases[] = {
      {"IDSITUVENDA", Value("P"), "Pe"},          {"IDSITUVENDA", Value("O"), "Co"},
      {"IDSITUVENDA", Value("D"), "De"},          {"IDSITUVENDA", Value("X"), "Ca"},
      {"IDSITUVENDA", Value("p"), "Ca"},          {"IDSITUVENDA", Value(), "Ca"},
      {"IDTIPOVENDA", Value("S"), "Digitada pelo usuário"},
      {"IDTIPOVENDA", Value("I"), "Importada"},   {"IDTIPOVENDA", Value("C"), "Lançada no caixa"},
      {"IDTIPOVENDA", Value("D"), "Lançadas no Tillora"},
      {"IDTIPOVENDA", Value("E"), ""},            {"IDESTOQUE", Value("S"), "Atualizado"},
      {"IDESTOQUE", Value("N"), "Não atualizado"}, {"IDESTOQUE", Value(), "Não atualizado"},
      {"IDTPEMISVEND", Value("N"), "NFC-e"},      {"IDTPEMISVEND", Value("S"), "SAT"},
      {"IDTPEMISVEND", Value(), "ECF"},           {"IDORIGEMVENDA", Value("BAL_TLR"), "Balcão Tillora"},
      {"IDORIGEMVENDA", Value("VND_MAN"), "Manutenção da Venda"},
      {"IDORIGEMVENDA", Value("DLV_SAT"), "Delivey SAT"},
      {"IDORIGEMVENDA", Value("ABC"), ""},        {"IDORIGEMVENDA", Value("bal_tlr"), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(show(c.field, c.code), c.text) << c.field << " " << c.code.asText();

  // An empty sale list shows no sale type.
  row.cancel();
  row.remove();
  ASSERT_TRUE(row.isEmpty());
  EXPECT_EQ(f.salePart.cdsPedidoVendaIDTIPOVENDAGetText(row.fieldByName("IDTIPOVENDA")), "");

  // The sales' own fields show the words, their values stay codes.
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000051")));
  EXPECT_EQ(sale("IDSITUVENDA").displayText(), "Co");
  EXPECT_EQ(sale("IDSITUVENDA").asString(), "O");
  EXPECT_EQ(sale("IDORIGEMVENDA").text(), "Balcão Tillora");
  EXPECT_EQ(sale("IDTIPOVENDA").displayText(), "Lançadas no Tillora");
}

class SellerChange : public SaleScreen {
 protected:
  // Starts the change on a concluded sale and types the seller in the grid.
  screen::TfrmManutVenda& changeSeller(const char* number, const char* seller) {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    old = sale("CDVENDEDOR").asString();
    EXPECT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
    EXPECT_TRUE(f.sellerChangeMode);
    EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Edit);
    f.dbgPadrao.setSelectedField(sale("CDVENDEDOR"));
    EXPECT_TRUE(gesture([&] {
      f.dbgPadrao.pressKey(vk::Return);  // the editor opens on the code
      while (!f.dbgPadrao.editText().empty()) f.dbgPadrao.pressKey(vk::Back);
      f.dbgPadrao.typeText(seller);
    }));
    return f;
  }
  std::string note(const std::string& seller) {
    return "Operador " + platform::Operador() + "-" + platform::NomeOperador() + " - Novo vendedor: " + seller +
           " - " + platform::formatDate(platform::today());
  }
  std::string old;
};

// A concluded sale takes a new seller: only the seller is checked, the
// operator who last posted the sale stays, and the observation records the
// change.
TEST_F(SellerChange, ConcludedSaleTakesANewSellerAndANote) {
  screen::TfrmManutVenda& f = changeSeller("0000000051", "3");
  const std::string lastOperator = sale("CDOPERADOR").asString();
  EXPECT_TRUE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); })) << ui.lastText();
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "0003");
  // Other columns are not typed into during the change.
  EXPECT_EQ(f.dbgPadrao.typeText("1"), 0);
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), " - " + note("0003"));
  EXPECT_EQ(sale("CDOPERADOR").asString(), lastOperator);
  EXPECT_FALSE(sale("NMRAZSOCVEN").asString().empty());
}

// An unknown seller is refused when the column is left and on the post.
TEST_F(SellerChange, UnknownSellerIsRefused) {
  screen::TfrmManutVenda& f = changeSeller("0000000051", "99");
  EXPECT_FALSE(gesture([&] { f.dbgPadrao.pressKey(vk::Tab); }));
  EXPECT_EQ(ui.lastText(), "Vendedor não cadastrado.");
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.post(); }));
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Edit);
}

// The observation keeps its first 2000 characters: a full one loses the
// note. Changing back to the same seller appends nothing.
TEST_F(SellerChange, NoteIsCutAt2000CharactersAndSameSellerAddsNothing) {
  screen::TfrmManutVenda& f = changeSeller("0000000051", "4");
  const std::string full(2000, 'x');
  sale("TXOBSVENDA").setAsString(full);
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), full);

  const std::string start = std::string(1990, 'y') + "ação";
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000057")));
  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
  sale("TXOBSVENDA").setAsString(start);
  sale("CDVENDEDOR").setAsString("1");
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), start + " - Ope");

  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); }));
  sale("TXOBSVENDA").setAsString("  antes  ");
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.post(); })) << ui.lastText();
  EXPECT_EQ(sale("TXOBSVENDA").asString(), "  antes  ");
}

// Cancelling the edit ends the change: the next edit of a concluded sale
// is refused again.
TEST_F(SellerChange, CancelEndsTheMode) {
  screen::TfrmManutVenda& f = changeSeller("0000000051", "3");
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  f.cdsPedidoVenda.cancel();
  EXPECT_FALSE(f.sellerChangeMode);
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_EQ(f.dtsPadrao.dataSet(), &f.cdsPedidoVenda);
  EXPECT_EQ(sale("CDVENDEDOR").asString(), old);
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
}

// The menu entry only brings the sales page to front.
TEST_F(SellerChange, MenuEntryOnlyShowsTheSalesPage) {
  screen::TfrmManutVenda& f = openDay();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  f.salePart.mnuAlteraVendClick();
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_FALSE(f.sellerChangeMode);
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
}

}  // namespace
