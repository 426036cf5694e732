#include <gtest/gtest.h>

#include <algorithm>

#include "platform/datetime.h"
#include "platform/logon.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::DataSetState;
using platform::Value;
using saletest::SaleScreen;

const char* const kPendingTyped = "0000000054";  // pending, typed on this screen, no seller

class SaleHeader : public SaleScreen {
 protected:
  screen::TfrmManutVenda& editPending() {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
    EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
    return f;
  }
  // Posts the sale; answers the message of a refusal, "" when posted.
  std::string postRefusal() {
    if (gesture([&] { frmManutVenda->cdsPedidoVenda.post(); })) return {};
    return ui.lastText();
  }
  std::string selectedField() { return frmManutVenda->dbgPadrao.selectedField()->name(); }
};

// The post stops at the first failing rule with its message, keeps the
// sale in edit with what was typed and puts the user on the offending cell
// of the sales page; once every rule passes, the defaults are filled in.
TEST_F(SaleHeader, PostChecksRulesInOrder) {
  screen::TfrmManutVenda& f = editPending();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  // The grid's client cell decides, whatever client code the sale holds.
  sale("NRINSJURCLIE").setAsString("   ");
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
  EXPECT_EQ(sale("CDVENDEDOR").asString(), "99");  // a refused post leaves the typed values
  sale("CDVENDEDOR").setAsString("  ");
  for (const char* bad : {"25:00:00", "99:99:99"}) {
    sale("HRVENDA").setAsString(bad);
    EXPECT_EQ(postRefusal(), std::string(bad) + " não é hora válida.");
    EXPECT_EQ(selectedField(), "HRVENDA");
  }
  sale("HRVENDA").setAsString("10:30:00");
  sale("NRSERIEVND").clear();
  EXPECT_EQ(postRefusal(), "Nr. de série deve ser informado.");
  sale("NRSERIEVND").setAsString("SERIE-A");

  sale("NRORDEMVND").clear();
  sale("NRSUBSERIEVND").setAsString(" ");
  EXPECT_EQ(postRefusal(), "");
  // The posted sale is saved at once.
  EXPECT_EQ(callsOf("GravaVenda"), 1);
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  EXPECT_EQ(sale("NRORDEMVND").asString(), "1");
  EXPECT_EQ(sale("NRSUBSERIEVND").asString(), "1");
  EXPECT_TRUE(sale("CDVENDEDOR").isNull());
  EXPECT_EQ(sale("CDOPERADOR").asString(), platform::Operador());
  EXPECT_EQ(sale("CDLOJA").asString(),
            lookup("SELECT CDLOJA FROM CAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = :P", "001").asText());
  const platform::DateTime movement = f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime();
  EXPECT_EQ(platform::formatDateTime(sale("DTVENDA").asDateTime()), platform::formatDate(movement) + " 10:30:00");

  // A blank hour dates the sale at the movement date as the opening holds it.
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); }));
  sale("HRVENDA").clear();
  EXPECT_EQ(postRefusal(), "");
  EXPECT_EQ(sale("DTVENDA").asDateTime(), movement);
}

// A short consumer code is brought to its 21-character width before the
// server is asked; the consumer's data comes into the sale.
TEST_F(SaleHeader, ConsumerIsPaddedBeforeTheServerIsAsked) {
  editPending();
  const std::string client(20, '0');
  sale("NRINSJURCLIE")
      .setAsString(lookup("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = :P", client + "6").asText());
  sale("CDCONSUMIDOR").setAsString("1");
  EXPECT_EQ(postRefusal(), "");
  EXPECT_EQ(sale("CDCONSUMIDOR").asString(), client + "1");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "getConsumidor(" + client + "6, " + client + "1, )"), calls.end());
  EXPECT_FALSE(sale("NMCONSUMIDOR").asString().empty());
  EXPECT_EQ(sale("CDCCUSCLIE").asString(), frmManutVenda->cdsConsumidor.fieldByName("CDCCUSCLIE").asString());
}

// Concluded and cancelled sales are not edited, and nothing says so.
TEST_F(SaleHeader, EditOfSalesNotPendingIsRefusedSilently) {
  screen::TfrmManutVenda& f = openDay();
  for (const char* status : {"O", "C"}) {
    ASSERT_TRUE(gotoStatus(status));
    EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.edit(); })) << status;
    EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);
  }
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
}

// The approval lock speaks first, then a sale not pending is refused
// silently, then a closed register blocks.
TEST_F(SaleHeader, GuardsRunInOrderOnClosedDays) {
  const platform::DateTime first = platform::encodeDate(2026, 3, 2);  // approved Z, closed
  screen::TfrmManutVenda& f = openDay("001", first);
  ASSERT_TRUE(gotoStatus("O"));
  for (const auto& change : {std::function<void()>([&] { f.cdsPedidoVenda.edit(); }),
                             std::function<void()>([&] { f.cdsPedidoVenda.append(); })}) {
    EXPECT_FALSE(gesture(change));
    EXPECT_EQ(ui.lastText(), f.Msg("Oper_Bloc_S"));
  }
  f.close();
  ui.shown.clear();

  openDay("001", platform::DateTime(first.days + 1));  // closed, not approved
  for (const char* status : {"O", "D"}) {
    ASSERT_TRUE(gotoStatus(status));
    EXPECT_FALSE(gesture([&] { frmManutVenda->cdsPedidoVenda.edit(); }));
  }
  EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
  EXPECT_FALSE(gesture([&] { frmManutVenda->cdsPedidoVenda.append(); }));
  EXPECT_EQ(ui.lastText(), "Operação Bloqueada! Caixa fechado.");
  EXPECT_EQ(callsOf("PrxPedidoVenda"), 0);
}

// A new sale takes the server's next number, its opening, the default
// client and printer series, and a note of who typed it. A refused number
// is reported and starts no sale.
TEST_F(SaleHeader, NewSaleStartsFromTheOpeningAndDefaults) {
  screen::TfrmManutVenda& f = openDay();
  failing.insert("PrxPedidoVenda");
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.append(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em PrxPedidoVenda");
  EXPECT_EQ(f.cdsPedidoVenda.state(), DataSetState::Browse);

  failing.clear();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.append(); }));
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_EQ(sale("NRSEQVENDA").asString(), "0000000062");
  EXPECT_EQ(sale("DTENTRVENDA").asDateTime(), f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime());
  EXPECT_EQ(sale("CDEMPRESA").asString(), "01");
  EXPECT_EQ(sale("IDSITUVENDA").asString() + sale("IDTIPOVENDA").asString() + sale("IDORIGEMVENDA").asString(),
            "PSVND_MAN");
  EXPECT_EQ(sale("NRINSJURCLIE").asString(), f.cdsClientePV.fieldByName("NRINSJURCLIE").asString());
  EXPECT_EQ(sale("NRSERIEVND").asString(), f.cdsCadastroECF.fieldByName("NRSERIE").asString());
  EXPECT_EQ(sale("TXOBSVENDA").asString(), "A venda foi inserida pelo operador \r\n" + platform::Operador() + "-" +
                                               platform::NomeOperador() + "-" +
                                               platform::formatDate(platform::today()));
  EXPECT_EQ(selectedField(), "NRCUPOMFIS");
}

// A deletion the server refuses brings the sale back with nothing pending;
// an accepted one is gone from the server.
TEST_F(SaleHeader, DeleteRefusedByTheServerRestoresTheSale) {
  screen::TfrmManutVenda& f = openDay();
  const int before = f.cdsPedidoVenda.recordCount();
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
  failing.insert("DelPedidoVenda");
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.remove(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em DelPedidoVenda");
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_EQ(ui.captions.back(), "Excluindo venda no servidor...");
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));

  failing.clear();
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.remove(); })) << ui.lastText();
  EXPECT_EQ(f.cdsPedidoVenda.changeCount(), 0);
  loadSales();
  EXPECT_EQ(f.cdsPedidoVenda.recordCount(), before - 1);
}

}  // namespace
