#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/logon.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::DataSetState;
using platform::DateTime;
using platform::Value;
using saletest::SaleScreen;

const char* const kPendingTyped = "0000000054";  // pending, typed on this screen, no seller
const char* const kClientWithConsumers = "000000000000000000006";

class SaleHeader : public SaleScreen {
 protected:
  screen::TfrmManutVenda& editPending() {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
    EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
    return f;
  }
  // Posts the sale; answers the message shown when the post was refused.
  std::string postRefusal() {
    const size_t before = ui.shown.size();
    if (gesture([&] { frmManutVenda->cdsPedidoVenda.post(); })) return {};
    return ui.shown.size() > before ? ui.lastText() : std::string("(aborted silently)");
  }
  std::string selectedField() {
    const platform::Field* fld = frmManutVenda->dbgPadrao.selectedField();
    return fld ? fld->name() : std::string();
  }
};

// The post checks its rules in order, stops at the first failure with its
// message, keeps the sale in edit with what was typed and puts the user on
// the offending cell of the sales page.
TEST_F(SaleHeader, PostChecksRulesInOrderAndKeepsTheEdit) {
  screen::TfrmManutVenda& f = editPending();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);

  // The grid's client cell decides, whatever client code the sale holds.
  sale("NRINSJURCLIE").setAsString("   ");
  ASSERT_FALSE(sale("CDCLIENTE").asString().empty());
  EXPECT_EQ(postRefusal(), "Cliente deve ser informado.");
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Edit);
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_EQ(selectedField(), "NRINSJURCLIE");

  sale("NRINSJURCLIE").setAsString("99999999999");
  EXPECT_EQ(postRefusal(), "Cliente não cadastrado.");

  sale("NRINSJURCLIE").setAsString("00000000000");
  sale("CDCONSUMIDOR").setAsString("77");
  EXPECT_EQ(postRefusal(), "Consumidor não cadastrado.");
  EXPECT_EQ(selectedField(), "CDCONSUMIDOR");
  sale("CDCONSUMIDOR").clear();

  sale("CDVENDEDOR").setAsString("99");
  EXPECT_EQ(postRefusal(), "Vendedor não cadastrado.");
  // A refused post leaves the values as typed.
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "99");
  EXPECT_EQ(selectedField(), "CDVENDEDOR");
  sale("CDVENDEDOR").setAsString("3");

  for (const char* bad : {"25:00:00", "99:99:99"}) {
    sale("HRVENDA").setAsString(bad);
    EXPECT_EQ(postRefusal(), std::string(bad) + " não é hora válida.");
    EXPECT_EQ(selectedField(), "HRVENDA");
  }
  sale("HRVENDA").setAsString("10:30:00");

  sale("NRSERIEVND").clear();
  EXPECT_EQ(postRefusal(), "Nr. de série deve ser informado.");
  EXPECT_EQ(selectedField(), "NRSERIEVND");
  EXPECT_EQ(sale("HRVENDA").asString(), "10:30:00");
  sale("NRSERIEVND").setAsString("SERIE-A");

  // Empty order and sub-series numbers default to "1".
  sale("NRORDEMVND").clear();
  sale("NRSUBSERIEVND").setAsString(" ");
  EXPECT_EQ(postRefusal(), "");
  EXPECT_EQ(sale("NRORDEMVND").asString(), "1");
  EXPECT_EQ(sale("NRSUBSERIEVND").asString(), "1");
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "0003");
  EXPECT_FALSE(sale("NMRAZSOCVEN").asString().empty());
  EXPECT_EQ(sale("NRINSJURCLIE").asString(), "00000000000");
  EXPECT_EQ(sale("CDOPERADOR").asString(), platform::Operador());
  EXPECT_EQ(sale("CDLOJA").asString(),
            lookup("SELECT CDLOJA FROM CAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = :P", "001").asText());
  EXPECT_TRUE(sale("CDCCUSCLIE").isNull());
  const DateTime movement = f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime();
  EXPECT_EQ(platform::formatDateTime(sale("DTVENDA").asDateTime()),
            platform::formatDate(movement) + " 10:30:00");
}

// Empty consumer, seller and service pass the post; an empty seller is
// stored as no seller; a blank hour dates the sale at the movement date as
// the opening holds it.
TEST_F(SaleHeader, EmptyOptionalCodesPassAndBlankHourTakesTheMovementDate) {
  screen::TfrmManutVenda& f = editPending();
  sale("CDCONSUMIDOR").clear();
  sale("CDVENDEDOR").setAsString("  ");
  sale("CDSERVFILI").clear();
  sale("HRVENDA").clear();
  EXPECT_EQ(postRefusal(), "");
  EXPECT_TRUE(sale("CDVENDEDOR").isNull());
  EXPECT_EQ(sale("DTVENDA").asDateTime(), f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime());
  EXPECT_EQ(callsOf("getConsumidor"), 0);
}

// A short consumer code is brought to the 21-character width before the
// server is asked, and the consumer's data comes into the sale.
TEST_F(SaleHeader, ConsumerIsPaddedBeforeTheServerIsAsked) {
  editPending();
  const std::string number =
      lookup("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = :P", kClientWithConsumers).asText();
  sale("NRINSJURCLIE").setAsString(number);
  sale("CDCONSUMIDOR").setAsString("1");
  EXPECT_EQ(postRefusal(), "");
  const std::string padded(20, '0');
  EXPECT_EQ(sale("CDCONSUMIDOR").asString(), padded + "1");
  EXPECT_EQ(sale("CDCLIENTE").asString(), kClientWithConsumers);
  ASSERT_EQ(callsOf("getConsumidor"), 1);
  for (const std::string& c : calls) {
    if (c.rfind("getConsumidor(", 0) == 0) {
      EXPECT_EQ(c, std::string("getConsumidor(") + kClientWithConsumers + ", " + padded + "1, )");
    }
  }
  EXPECT_FALSE(sale("NMCONSUMIDOR").asString().empty());
  EXPECT_EQ(sale("CDTIPOCONS").asString(), "01");
  EXPECT_EQ(sale("CDCCUSCLIE").asString(), frmManutVenda->cdsConsumidor.fieldByName("CDCCUSCLIE").asString());
  EXPECT_FALSE(sale("CDCCUSCLIE").asString().empty());
}

// Concluded and cancelled sales cannot be edited, and nothing says so:
// the grid's colours already do.
TEST_F(SaleHeader, EditOfSalesNotPendingIsRefusedSilently) {
  screen::TfrmManutVenda& f = openDay();
  for (const char* status : {"O", "C"}) {
    SCOPED_TRACE(status);
    ASSERT_TRUE(gotoStatus(status));
    EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.edit(); }));
    EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  }
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
  ASSERT_TRUE(gotoStatus("P"));
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
}

TEST_F(SaleHeader, ClearingTheMovementDateKeepsItAndAnInvalidDateIsRefused) {
  editPending();
  const DateTime before = sale("DTENTRVENDA").asDateTime();
  sale("DTENTRVENDA").setText("");
  EXPECT_EQ(sale("DTENTRVENDA").asDateTime(), before);
  EXPECT_THROW(sale("DTENTRVENDA").setText("31/02/2026"), platform::UserError);
  EXPECT_EQ(sale("DTENTRVENDA").asDateTime(), before);
  sale("DTENTRVENDA").setText("05/03/2026");
  EXPECT_EQ(sale("DTENTRVENDA").asDateTime(), platform::encodeDate(2026, 3, 5));
}

// A new sale takes the server's next number, the opening it belongs to,
// the branch's default client and printer series, and an observation
// saying who typed it.
TEST_F(SaleHeader, NewSaleStartsFromTheOpeningAndTheDefaults) {
  screen::TfrmManutVenda& f = openDay();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.append(); }));
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_EQ(callsOf("PrxPedidoVenda"), 1);
  EXPECT_EQ(sale("NRSEQVENDA").asString(), "0000000062");
  EXPECT_EQ(sale("CDFILIAL").asString(), "0001");
  EXPECT_EQ(sale("CDCAIXA").asString(), "001");
  EXPECT_EQ(sale("CDCAIXATUR").asString(), "001");
  EXPECT_EQ(sale("DTABERTUR").asDateTime(), f.cdsAberCaixa.fieldByName("DTABERCAIX").asDateTime());
  EXPECT_EQ(sale("DTENTRVENDA").asDateTime(), f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime());
  EXPECT_EQ(sale("CDEMPRESA").asString(), "01");
  EXPECT_EQ(sale("IDSITUVENDA").asString(), "P");
  EXPECT_EQ(sale("IDTIPOVENDA").asString(), "S");
  EXPECT_EQ(sale("IDORIGEMVENDA").asString(), "VND_MAN");
  EXPECT_EQ(sale("CDCLIENTE").asString(), f.cdsClientePV.fieldByName("CDCLIENTE").asString());
  EXPECT_EQ(sale("NRINSJURCLIE").asString(), f.cdsClientePV.fieldByName("NRINSJURCLIE").asString());
  EXPECT_EQ(sale("NRSERIEVND").asString(), f.cdsCadastroECF.fieldByName("NRSERIE").asString());
  EXPECT_EQ(sale("TXOBSVENDA").asString(), "A venda foi inserida pelo operador \r\n" + platform::Operador() + "-" +
                                               platform::NomeOperador() + "-" +
                                               platform::formatDate(platform::today()));
  EXPECT_EQ(selectedField(), "NRCUPOMFIS");
}

// A refused number request is reported and no sale is started, instead of
// a sale without a number that could only fail when saved.
TEST_F(SaleHeader, NewSaleIsNotStartedWhenTheNumberIsRefused) {
  screen::TfrmManutVenda& f = openDay();
  const int before = f.cdsPedidoVenda.recordCount();
  failing.insert("PrxPedidoVenda");
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.append(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em PrxPedidoVenda");
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  EXPECT_EQ(f.cdsPedidoVenda.recordCount(), before);
}

// A deletion the server refuses brings the sale back, with nothing left
// pending and the progress closed; an accepted one is gone from the server.
TEST_F(SaleHeader, DeleteRefusedByTheServerRestoresTheSale) {
  screen::TfrmManutVenda& f = openDay();
  const int before = f.cdsPedidoVenda.recordCount();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
  failing.insert("DelPedidoVenda");
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.remove(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em DelPedidoVenda");
  EXPECT_EQ(ui.progressDepth, 0);
  ASSERT_FALSE(ui.captions.empty());
  EXPECT_EQ(ui.captions.back(), "Excluindo venda no servidor...");
  EXPECT_EQ(f.cdsPedidoVenda.recordCount(), before);
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));

  failing.clear();
  const size_t shown = ui.shown.size();
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.remove(); })) << ui.lastText();
  EXPECT_EQ(ui.shown.size(), shown);
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  loadSales();
  EXPECT_EQ(f.cdsPedidoVenda.recordCount(), before - 1);
  EXPECT_FALSE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
}

}  // namespace
