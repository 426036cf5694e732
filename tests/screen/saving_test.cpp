// The save action: what it sends on the sales pages and on the Z reduction
// page, the total it refreshes, and the edits a refused save keeps.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/datetime.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using livetest::LiveScreen;
using platform::Value;
using namespace registerday;

class Saving : public LiveScreen {
 protected:
  long count(const std::string& prefix) const {
    return std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); });
  }
  bool confirm(screen::TfrmManutVenda& f) {
    return gesture([&] { f.sbtConfirmarClick(); });
  }
  std::string storedObservation(const std::string& sale) {
    const platform::DataPacket p = select(*session,
                                          "SELECT TXOBSVENDA FROM VENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
                                          "AND NRSEQVENDA = :N",
                                          {{"N", Value(sale)}});
    return p.rows.at(0).values[0].asText();
  }
  double storedQuantity(const std::string& sale) {
    const platform::DataPacket p = select(*session,
                                          "SELECT QTPRODVEND FROM ITVENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
                                          "AND NRSEQVENDA = :N AND NRSEQUITVEND = '001'",
                                          {{"N", Value(sale)}});
    return p.rows.at(0).values[0].asNumber();
  }
  void loadItems(screen::TfrmManutVenda& f, const std::string& sale) {
    const Value items = callServer(f, "GetItens", {"0001", "001", sale});
    f.cdsItens.setData(items.array().at(0).packet());
    f.cdsImpostoItem.setData(items.array().at(1).packet());
    calls.clear();
  }
  // The open day with its pending sale 53 current.
  screen::TfrmManutVenda& openSale() {
    screen::TfrmManutVenda& f = open();
    loadDay(f, demoDay(4));
    loadSales(f, "0000000053");
    f.pgcPadrao.setActivePage(f.tshFolhaDados);
    calls.clear();
    return f;
  }
};

TEST_F(Saving, NothingPendingOnTheSalesPagesOnlyRefreshesTheTotal) {
  screen::TfrmManutVenda& f = openSale();
  const double total =
      callServer(f, "GetSumVenda", {"0001", "001", "0000000053"}).packet().rows.at(0).values.at(0).asNumber();
  calls.clear();
  f.cdsSumVenda.close();
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  EXPECT_EQ(calls, std::vector<std::string>{"GetSumVenda(0001, 001, 0000000053)"});
  EXPECT_DOUBLE_EQ(f.cdsSumVenda.fieldByName("SOMA").asFloat(), total);
  EXPECT_EQ(ui.captions.back(), "Gravando venda no servidor...");
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(Saving, NothingPendingOnTheZReductionPageStillSendsTheReduction) {
  screen::TfrmManutVenda& f = openSale();
  f.pgcPadrao.setActivePage(f.tshReducao);
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  EXPECT_EQ(calls, std::vector<std::string>{
                       "GravaVendaReducao(Null, Null, Null, Null, Null, 000000000001, Ana Paula Ferraz)"});
}

TEST_F(Saving, EditedSaleIsPostedSentAndTheSellerChangeModeEnds) {
  screen::TfrmManutVenda& f = openSale();
  platform::ClientDataSet& sale = f.cdsPedidoVenda;
  f.dtsPadrao.setDataSet(&sale);
  ASSERT_TRUE(gesture([&] { f.salePart.sbtAlteraVendClick(); })) << ui.lastText();
  ASSERT_TRUE(f.sellerChangeMode);
  sale.fieldByName("TXOBSVENDA").setAsString("Entregar no balcão");
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  EXPECT_EQ(count("GravaVenda(<packet>, Null, Null, 000000000001)"), 1);
  EXPECT_TRUE(calls.back().starts_with("GetSumVenda("));
  EXPECT_EQ(sale.state(), platform::DataSetState::Browse);
  EXPECT_EQ(sale.changeCount(), 0);
  EXPECT_FALSE(f.sellerChangeMode);
  EXPECT_EQ(storedObservation("0000000053"), "Entregar no balcão");
}

// A save the server refuses keeps what the user typed, still pending, and
// confirming again once the cause is gone sends it.
TEST_F(Saving, RefusedSaveKeepsTheEditsForTheNextConfirm) {
  screen::TfrmManutVenda& f = openSale();
  loadItems(f, "0000000053");
  platform::ClientDataSet& items = f.cdsItens;
  ASSERT_TRUE(gesture([&] { items.edit(); })) << ui.lastText();
  items.fieldByName("QTPRODVEND").setAsFloat(13);
  sql(*session, "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");

  EXPECT_FALSE(confirm(f));
  EXPECT_EQ(ui.lastText(), "Filial não permite realizar manutenção das vendas.");
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_EQ(items.state(), platform::DataSetState::Browse);
  EXPECT_GE(items.changeCount(), 1);
  EXPECT_DOUBLE_EQ(items.fieldByName("QTPRODVEND").asFloat(), 13);
  EXPECT_DOUBLE_EQ(storedQuantity("0000000053"), 12);

  sql(*session, "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'S' WHERE CDFILIAL = '0001'");
  calls.clear();
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  // The item's tax rows were re-posted with its new quantity and go along.
  EXPECT_EQ(count("GravaVenda(Null, <packet>, <packet>"), 1);
  EXPECT_EQ(items.changeCount(), 0);
  EXPECT_DOUBLE_EQ(storedQuantity("0000000053"), 13);
}

// Until they are sent again or undone, unsent changes hold the screen as an
// edit does: only confirm and cancel are offered, and moving to another
// sale (which would reload the items over them) is refused. Cancel undoes
// them.
TEST_F(Saving, UnsentChangesHoldTheScreenUntilCancelUndoesThem) {
  screen::TfrmManutVenda& f = openSale();
  loadItems(f, "0000000053");
  f.pgcPadrao.setActivePage(f.tshFormulario);
  f.state.pgcPadraoChange();
  platform::ClientDataSet& items = f.cdsItens;
  ASSERT_TRUE(gesture([&] { items.edit(); })) << ui.lastText();
  items.fieldByName("QTPRODVEND").setAsFloat(13);
  sql(*session, "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");
  EXPECT_FALSE(confirm(f));
  ASSERT_GE(items.changeCount(), 1);

  EXPECT_TRUE(f.mnuConfirmar.enabled());
  EXPECT_TRUE(f.mnuCancelar.enabled());
  EXPECT_TRUE(f.sbtConfirmar.enabled());
  for (platform::MenuItem* m : {&f.mnuIncluir, &f.mnuAlterar, &f.mnuExcluir, &f.mnuVerificar})
    EXPECT_FALSE(m->enabled()) << m->name();
  EXPECT_FALSE(f.tshFolhaDados.enabled());
  EXPECT_FALSE(f.medCdCaixa.enabled());
  EXPECT_FALSE(f.dbnPadrao.enabled());
  EXPECT_FALSE(gesture([&] { f.cdsPedidoVenda.next(); }));
  EXPECT_EQ(ui.lastText(), f.Msg("Alt_Pendentes"));
  EXPECT_DOUBLE_EQ(items.fieldByName("QTPRODVEND").asFloat(), 13);

  ASSERT_TRUE(gesture([&] { f.sbtCancelarClick(); }));
  EXPECT_EQ(items.changeCount(), 0);
  EXPECT_EQ(f.cdsImpostoItem.changeCount(), 0);
  EXPECT_DOUBLE_EQ(items.fieldByName("QTPRODVEND").asFloat(), 12);
  EXPECT_TRUE(f.tshFolhaDados.enabled());
  EXPECT_FALSE(f.mnuConfirmar.enabled());
  EXPECT_TRUE(gesture([&] { f.cdsPedidoVenda.next(); })) << ui.lastText();
}

// Closing the screen over unsent changes asks first; No keeps the screen
// and the changes.
TEST_F(Saving, ClosingOverUnsentChangesAsksFirst) {
  screen::TfrmManutVenda& f = openSale();
  loadItems(f, "0000000053");
  ASSERT_TRUE(gesture([&] { f.cdsItens.edit(); })) << ui.lastText();
  f.cdsItens.fieldByName("QTPRODVEND").setAsFloat(13);
  sql(*session, "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");
  EXPECT_FALSE(confirm(f));
  ui.answers.push_back(platform::MsgResult::No);
  EXPECT_EQ(f.close(), platform::CloseAction::None);
  EXPECT_EQ(ui.lastText(), f.Msg("Sair_Pendentes"));
  ASSERT_EQ(frmManutVenda, &f);
  EXPECT_GE(f.cdsItens.changeCount(), 1);
  ui.answers.push_back(platform::MsgResult::Yes);
  EXPECT_NE(f.close(), platform::CloseAction::None);
}

TEST_F(Saving, OnlyItemTaxesChangedSendsTheirLogAlone) {
  screen::TfrmManutVenda& f = openSale();
  loadItems(f, "0000000053");
  f.pgcPadrao.setActivePage(f.tshFormulario);
  calls.clear();
  platform::ClientDataSet& taxes = f.cdsImpostoItem;
  ASSERT_TRUE(taxes.locate("NRSEQITIMPOS", Value("002")));
  ASSERT_TRUE(gesture([&] { taxes.edit(); })) << ui.lastText();
  taxes.fieldByName("VRPEALPRODIT").setAsFloat(0.7);
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  EXPECT_EQ(count("GravaVenda(Null, Null, <packet>, 000000000001)"), 1);
  EXPECT_EQ(count("GravaVenda("), 1);
  EXPECT_EQ(taxes.changeCount(), 0);
}

TEST_F(Saving, OnlyReceiptsChangedSendsNoSale) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  loadSales(f, "0000000059");
  f.cdsTipoRece.setData(callServer(f, "GetTipoRece", {"0001", "001", "0000000059"}).packet());
  f.pgcPadrao.setActivePage(f.tshRecebimento);
  calls.clear();
  platform::ClientDataSet& receipts = f.cdsTipoRece;
  ASSERT_FALSE(receipts.isEmpty());
  ASSERT_TRUE(gesture([&] { receipts.edit(); })) << ui.lastText();
  receipts.fieldByName("VRMOVIVEND").setAsFloat(receipts.fieldByName("VRMOVIVEND").asFloat());
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  EXPECT_EQ(count("GravaTipoRece(<packet>, Inclusão de débito realizada pelo operador.)"), 1);
  EXPECT_EQ(count("GravaVenda("), 0);
  EXPECT_TRUE(calls.back().starts_with("GetSumVenda(0001, 001, 0000000059)"));
  EXPECT_EQ(receipts.changeCount(), 0);
}

TEST_F(Saving, EditedZReductionIsSentWithNullSubTables) {
  // The figures of a closed day's Z reduction are frozen; reopened, the
  // day's Z reduction may be corrected.
  sql(*session,
      "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTMOVTURCAIX = :D",
      {{"D", Value(demoDay(3))}});
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  f.pgcPadrao.setActivePage(f.tshReducao);
  platform::ClientDataSet& z = f.cdsReducaoZ;
  ASSERT_TRUE(gesture([&] { z.edit(); })) << ui.lastText();
  z.fieldByName("QTMEMRESREDZ").setAsFloat(1250);
  calls.clear();
  ASSERT_TRUE(confirm(f)) << ui.lastText();
  // The post checks the reduction against the day's sales first.
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "GetTotais(0001, 001, 05/03/2026, 05/03/2026, 00105/03/2026, N)",
                       "GravaVendaReducao(<packet>, Null, Null, Null, Null, 000000000001, Ana Paula Ferraz)"}));
  EXPECT_EQ(z.state(), platform::DataSetState::Browse);
  EXPECT_EQ(z.changeCount(), 0);
  const platform::DataPacket stored = select(
      *session, "SELECT QTMEMRESREDZ FROM REDUCAOZ WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTREDUCAOZ = :D",
      {{"D", Value(demoDay(3))}});
  EXPECT_DOUBLE_EQ(stored.rows.at(0).values[0].asNumber(), 1250);
}

}  // namespace
