// What the user may do, per current record set and state: the maintenance
// actions and screen actions, look-up buttons, pages, page menus, the
// navigator and the filter; and how pages, verify and sale moves fetch what
// they show.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/gesture.h"
#include "tests/livescreen.h"
#include "tests/sale/salescreen.h"
#include "tests/screen/registerday.h"

namespace {

using platform::ButtonStyle;
using platform::ClientDataSet;
using platform::DataSetState;
using platform::Value;
using registerday::demoDay;
using registerday::gesture;
using registerday::loadDay;
using registerday::sql;

// The maintenance actions and the screen actions, as the menu offers them.
struct Offer {
  bool include, alter, remove, search, verify, cancel, confirm;
  bool cancelSale, concludeSale, changeSeller, closeRegister;
};

Offer offered(const screen::TfrmManutVenda& f) {
  return {f.mnuIncluir.enabled(),    f.mnuAlterar.enabled(),      f.mnuExcluir.enabled(),
          f.mnuProcurar.enabled(),   f.mnuVerificar.enabled(),    f.mnuCancelar.enabled(),
          f.mnuConfirmar.enabled(),  f.mnuCancelaVenda.enabled(), f.mnuConcluiVenda.enabled(),
          f.mnuAlteraVend.enabled(), f.mnuFecharCaixa.enabled()};
}

std::string describe(const Offer& o) {
  std::string s;
  const std::pair<bool, const char*> parts[] = {{o.include, "incluir"},
                                                {o.alter, "alterar"},
                                                {o.remove, "excluir"},
                                                {o.search, "procurar"},
                                                {o.verify, "verificar"},
                                                {o.cancel, "cancelar"},
                                                {o.confirm, "confirmar"},
                                                {o.cancelSale, "cancelaVenda"},
                                                {o.concludeSale, "concluiVenda"},
                                                {o.changeSeller, "alteraVend"},
                                                {o.closeRegister, "fecharCaixa"}};
  for (const auto& [on, name] : parts)
    if (on) s += std::string(s.empty() ? "" : " ") + name;
  return s.empty() ? "(nada)" : s;
}

// The toolbar always mirrors the menu.
void expectMirrored(const screen::TfrmManutVenda& f) {
  const std::pair<const platform::MenuItem*, const platform::Button*> mirror[] = {
      {&f.mnuIncluir, &f.sbtIncluir},           {&f.mnuAlterar, &f.sbtAlterar},
      {&f.mnuExcluir, &f.sbtExcluir},           {&f.mnuProcurar, &f.sbtProcurar},
      {&f.mnuVerificar, &f.sbtVerificar},       {&f.mnuCancelar, &f.sbtCancelar},
      {&f.mnuConfirmar, &f.sbtConfirmar},       {&f.mnuCancelaVenda, &f.btnCancelaVenda},
      {&f.mnuConcluiVenda, &f.btnConcluiVenda}, {&f.mnuFecharCaixa, &f.btnFecharCaixa},
      {&f.mnuAlteraVend, &f.sbtAlteraVend}};
  for (const auto& [item, button] : mirror) EXPECT_EQ(button->enabled(), item->enabled()) << button->name();
}

bool ellipsis(const platform::DBGrid& g, const char* field) {
  const platform::Column* c = g.columnByField(field);
  return c && c->buttonStyle() == ButtonStyle::Ellipsis;
}

class ScreenState : public livetest::LiveScreen {
 protected:
  // The sales page of a day, with the sale `number` current.
  screen::TfrmManutVenda& salesPage(int day, const std::string& number) {
    screen::TfrmManutVenda& f = open();
    loadDay(f, demoDay(day));
    EXPECT_TRUE(f.mnuFolhaDados.click());
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    return f;
  }
  void goToPage(screen::TfrmManutVenda& f, platform::TabSheet& page) {
    f.pgcPadrao.setActivePage(page);
    f.state.pgcPadraoChange();
  }
};

TEST_F(ScreenState, NothingIsOfferedBeforeTheDayIsLoaded) {
  screen::TfrmManutVenda& f = open();
  EXPECT_EQ(describe(offered(f)), "(nada)");
  expectMirrored(f);
  EXPECT_TRUE(f.mnuAberCaixa.checked());
  EXPECT_FALSE(f.mnuFolhaDados.checked());
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshAberCaixa);
  EXPECT_EQ(f.pgcReducao.activePage(), &f.tshFolhaRZ);
  for (platform::TabSheet* p :
       {&f.tshFolhaDados, &f.tshFormulario, &f.tshRecebimento, &f.tshItensCancelados, &f.tshReducao})
    EXPECT_FALSE(p->enabled()) << p->name();
  EXPECT_FALSE(f.mnuFolhaDados.enabled());
  EXPECT_TRUE(f.medFilial.enabled());
}

// Openings: include while browsing, the rest on a row, close-register on an
// open day only; while editing, only cancel and confirm, with the operator
// look-up, the filter, navigator and other pages locked.
TEST_F(ScreenState, OpeningsRow) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  ASSERT_EQ(f.currentSet(), &f.cdsAberCaixa);
  EXPECT_EQ(describe(offered(f)), "incluir alterar excluir procurar verificar fecharCaixa");
  expectMirrored(f);
  EXPECT_TRUE(f.dbnPadrao.enabled());
  EXPECT_FALSE(ellipsis(f.dbgAberCaixa, "CDOPERABER"));
  EXPECT_TRUE(f.tshFolhaDados.enabled());
  EXPECT_TRUE(f.mnuFolhaDados.enabled());

  ASSERT_TRUE(gesture([&] { f.cdsAberCaixa.edit(); })) << ui.lastText();
  EXPECT_EQ(describe(offered(f)), "cancelar confirmar");
  expectMirrored(f);
  EXPECT_TRUE(ellipsis(f.dbgAberCaixa, "CDOPERABER"));
  EXPECT_FALSE(f.dbnPadrao.enabled());
  EXPECT_FALSE(f.medCdCaixa.enabled());
  EXPECT_FALSE(f.depDeEntrega.enabled());
  EXPECT_FALSE(f.btpFilial.enabled());
  // The active page stays enabled; every other one is locked.
  EXPECT_TRUE(f.tshAberCaixa.enabled());
  for (platform::TabSheet* p : {&f.tshFolhaDados, &f.tshFormulario, &f.tshReducao}) {
    EXPECT_FALSE(p->enabled()) << p->name();
  }
  EXPECT_FALSE(f.mnuFolhaDados.enabled());
  EXPECT_FALSE(f.mnuReducao.enabled());
  f.cdsAberCaixa.cancel();
  EXPECT_TRUE(f.medCdCaixa.enabled());
  EXPECT_TRUE(f.tshFolhaDados.enabled());
  EXPECT_FALSE(ellipsis(f.dbgAberCaixa, "CDOPERABER"));

  // A closed day cannot be closed again.
  loadDay(f, demoDay(3));
  EXPECT_EQ(describe(offered(f)), "incluir alterar excluir procurar verificar");
  // A day without openings offers only the include; no other page opens.
  loadDay(f, platform::encodeDate(2026, 1, 5));
  EXPECT_EQ(describe(offered(f)), "incluir");
  EXPECT_FALSE(f.tshFolhaDados.enabled());
  EXPECT_FALSE(f.tshReducao.enabled());
}

// Sales: status and stock rules for alter, cancel, conclude and the seller
// change; the fiscal coupon column typable only on pending sales.
TEST_F(ScreenState, SalesRowFollowsTheSaleStatus) {
  sql(*session, "UPDATE VENDA SET IDESTOQUE = 'S' WHERE NRSEQVENDA = '0000000055'");
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  ASSERT_EQ(f.currentSet(), &f.cdsPedidoVenda);
  const platform::Column& coupon = *f.dbgPadrao.columnByField("NRCUPOMFIS");
  struct Case {
    const char* sale;
    const char* offer;
  };
  for (const Case& c : {
           Case{"0000000054", "incluir alterar procurar verificar cancelaVenda concluiVenda alteraVend fecharCaixa"},
           Case{"0000000053", "incluir alterar procurar verificar cancelaVenda concluiVenda alteraVend fecharCaixa"},
           Case{"0000000051", "incluir procurar verificar cancelaVenda alteraVend fecharCaixa"},
           Case{"0000000055", "incluir procurar verificar fecharCaixa"},
           Case{"0000000052", "incluir procurar verificar fecharCaixa"},
       }) {
    ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(c.sale)));
    EXPECT_EQ(describe(offered(f)), c.offer) << c.sale;
    expectMirrored(f);
    EXPECT_EQ(coupon.readOnly(), f.cdsPedidoVenda.fieldByName("IDSITUVENDA").asString() != "P") << c.sale;
    // The navigator moves through the sales.
    EXPECT_EQ(f.dbnPadrao.dataSource(), &f.dtsPedidoVenda);
  }

  // An empty list: include only.
  platform::DataPacket none = f.cdsPedidoVenda.data();
  none.rows.clear();
  f.cdsPedidoVenda.setData(none);
  f.state.dtsPadraoStateChange();
  EXPECT_EQ(describe(offered(f)), "incluir fecharCaixa");
}

TEST_F(ScreenState, SalesLookUpButtonsWhileInsertingAndEditing) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  const platform::DBGrid& g = f.dbgPadrao;
  for (const char* field : {"NRINSJURCLIE", "CDCONSUMIDOR", "CDSERVFILI", "CDVENDEDOR", "IDTIPOVENDA"})
    EXPECT_FALSE(ellipsis(g, field)) << field;

  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.append(); })) << ui.lastText();
  ASSERT_EQ(f.cdsPedidoVenda.state(), DataSetState::Insert);
  for (const char* field : {"NRINSJURCLIE", "CDCONSUMIDOR", "CDSERVFILI", "CDVENDEDOR", "IDTIPOVENDA"})
    EXPECT_TRUE(ellipsis(g, field)) << field;
  EXPECT_EQ(describe(offered(f)), "cancelar confirmar");
  f.cdsPedidoVenda.cancel();

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  ASSERT_TRUE(gesture([&] { f.cdsPedidoVenda.edit(); })) << ui.lastText();
  EXPECT_FALSE(ellipsis(g, "NRINSJURCLIE"));
  EXPECT_FALSE(ellipsis(g, "CDCONSUMIDOR"));
  EXPECT_FALSE(ellipsis(g, "CDSERVFILI"));
  EXPECT_TRUE(ellipsis(g, "CDVENDEDOR"));
  EXPECT_TRUE(ellipsis(g, "IDTIPOVENDA"));
  // The receipt rules may open the consumer and the service to correction.
  f.consumerEditable = f.serviceEditable = true;
  f.state.dtsPadraoStateChange();
  EXPECT_TRUE(ellipsis(g, "CDCONSUMIDOR"));
  EXPECT_TRUE(ellipsis(g, "CDSERVFILI"));
  f.cdsPedidoVenda.cancel();
}

// Items, cancelled items and receipts change only on a pending sale typed
// by the user; item taxes only by alteration.
TEST_F(ScreenState, SaleDetailRowsNeedATypedPendingSale) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  struct Page {
    platform::TabSheet* page;
    ClientDataSet* set;
  };
  for (const Page& p : {Page{&f.tshFormulario, &f.cdsItens}, Page{&f.tshRecebimento, &f.cdsTipoRece},
                        Page{&f.tshItensCancelados, &f.cdsItensCancelados}}) {
    ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
    goToPage(f, *p.page);
    ASSERT_EQ(f.currentSet(), p.set) << p.page->name();
    const bool rows = !p.set->isEmpty();
    const std::string withRows =
        rows ? "incluir alterar excluir procurar verificar fecharCaixa" : "incluir fecharCaixa";
    EXPECT_EQ(describe(offered(f)), withRows) << p.page->name();
    // The imported pending sale (53) changes nothing here.
    goToPage(f, f.tshFolhaDados);
    ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000053")));
    goToPage(f, *p.page);
    const bool importedRows = !p.set->isEmpty();
    EXPECT_EQ(describe(offered(f)), importedRows ? "procurar verificar fecharCaixa" : "fecharCaixa") << p.page->name();
    goToPage(f, f.tshFolhaDados);
  }

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value("0000000054")));
  goToPage(f, f.tshFormulario);
  ASSERT_FALSE(f.cdsImpostoItem.isEmpty());
  f.setFocus(f.dbgImpostoItem);
  f.state.pgcPadraoChange();
  ASSERT_EQ(f.currentSet(), &f.cdsImpostoItem);
  EXPECT_EQ(describe(offered(f)), "alterar procurar verificar fecharCaixa");
}

// The receipt grid's own state handler gives the code column its look-up
// button while inserting only, also when the receipts are not the page's
// record set.
TEST_F(ScreenState, DetailGridOffersItsLookUpWhileInserting) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  ASSERT_EQ(f.currentSet(), &f.cdsPedidoVenda);
  ASSERT_TRUE(gesture([&] { f.cdsTipoRece.append(); })) << ui.lastText();
  EXPECT_TRUE(ellipsis(f.dbgTipoRece, "CDTIPORECE"));
  f.cdsTipoRece.cancel();
  EXPECT_FALSE(ellipsis(f.dbgTipoRece, "CDTIPORECE"));
}

// Z reductions: include while browsing; alter and delete on a row, never on
// the observations.
TEST_F(ScreenState, ZReductionRows) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  ASSERT_FALSE(f.cdsReducaoZ.isEmpty());
  ASSERT_TRUE(f.mnuFolhaRZ.click());
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshReducao);
  EXPECT_EQ(f.currentSet(), &f.cdsReducaoZ);
  EXPECT_EQ(describe(offered(f)), "incluir alterar excluir procurar verificar");

  ASSERT_TRUE(f.mnuImposto.click());
  EXPECT_EQ(f.currentSet(), &f.cdsImposto);
  for (platform::MenuItem* m :
       {&f.mnuFolhaRZ, &f.mnuForm, &f.mnuDadosAdic, &f.mnuTotFiscais, &f.mnuFormPag, &f.mnuObservacao})
    EXPECT_FALSE(m->checked()) << m->name();
  EXPECT_TRUE(f.mnuImposto.checked());

  ASSERT_TRUE(f.mnuObservacao.click());
  EXPECT_EQ(f.currentSet(), &f.cdsObservacao);
  const Offer o = offered(f);
  EXPECT_TRUE(o.include);
  EXPECT_FALSE(o.alter);
  EXPECT_FALSE(o.remove);
  EXPECT_FALSE(o.cancelSale || o.concludeSale);

  // The navigator moves through the Z reductions on their page.
  goToPage(f, f.tshReducao);
  EXPECT_EQ(f.dbnPadrao.dataSource(), &f.dtsReducaoZ);
  EXPECT_FALSE(f.lblVenda.visible());
}

TEST_F(ScreenState, PageMenusAreCheckedForTheActivePage) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  EXPECT_TRUE(f.mnuFolhaDados.checked());
  EXPECT_FALSE(f.mnuAberCaixa.checked());
  EXPECT_TRUE(f.lblVenda.visible());
  ASSERT_TRUE(f.mnuRecebimento.click());
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshRecebimento);
  EXPECT_TRUE(f.mnuRecebimento.checked());
  EXPECT_FALSE(f.mnuFolhaDados.checked());
  ASSERT_TRUE(f.mnuAberCaixa.click());
  EXPECT_FALSE(f.lblVenda.visible());
  EXPECT_FALSE(f.dbtNumero.visible());
  EXPECT_EQ(f.dbnPadrao.dataSource(), &f.dtsPedidoVenda);
}

// Verify refreshes the page shown, with its own caption.
TEST_F(ScreenState, VerifyFetchesThePageShownUnderItsCaption) {
  screen::TfrmManutVenda& f = salesPage(3, "0000000037");
  struct Case {
    platform::TabSheet* page;
    const char* call;
    const char* caption;
  };
  for (const Case& c : {Case{&f.tshFolhaDados, "GetPedidoVenda(", "Recebendo venda do servidor..."},
                        Case{&f.tshFormulario, "GetItens(", "Recebendo item de venda do servidor..."},
                        Case{&f.tshRecebimento, "GetTipoRece(", "Recebendo item de venda do servidor..."},
                        Case{&f.tshItensCancelados, "GetItensCancelados(", "Recebendo itens cancelados do servidor..."},
                        Case{&f.tshAberCaixa, "GetAberCaixa(", "Recebendo abertura de caixa do servidor..."}}) {
    goToPage(f, *c.page);
    calls.clear();
    ui.captions.clear();
    ASSERT_TRUE(gesture([&] { f.sbtVerificarClick(); })) << ui.lastText();
    ASSERT_FALSE(calls.empty()) << c.page->name();
    EXPECT_EQ(calls[0].rfind(c.call, 0), 0u) << calls[0];
    ASSERT_FALSE(ui.captions.empty());
    EXPECT_EQ(ui.captions[0], c.caption) << c.page->name();
    for (const std::string& call : calls)
      for (const char* z : {"Reducao", "GetImposto(", "GetTotaliz(", "GetFormaPag(", "GetObservacao("})
        EXPECT_EQ(call.find(z), std::string::npos) << call;
    EXPECT_EQ(ui.progressDepth, 0);
  }
}

// Verify on the sales page with no opening loaded asks for empty keys and
// the zero date, and loads what the server answers.
TEST_F(ScreenState, VerifyWithoutOpeningsSendsEmptyKeysAndTheZeroDate) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, platform::encodeDate(2026, 1, 5));
  ASSERT_TRUE(f.cdsAberCaixa.isEmpty());
  goToPage(f, f.tshFolhaDados);
  calls.clear();
  ASSERT_TRUE(gesture([&] { f.sbtVerificarClick(); })) << ui.lastText();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], "GetPedidoVenda(, , 30/12/1899)");
  EXPECT_TRUE(f.cdsPedidoVenda.active());
  EXPECT_TRUE(f.cdsPedidoVenda.isEmpty());
}

// Search on the items page opens on the items, and does nothing while they
// are not loaded.
TEST_F(ScreenState, SearchOnTheItemsPageUsesTheItems) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  goToPage(f, f.tshFormulario);
  ASSERT_GE(f.cdsItens.recordCount(), 2);
  ui.picks.push_back(2);
  ASSERT_TRUE(gesture([&] { f.sbtProcurarClick(); }));
  EXPECT_TRUE(ui.picks.empty());
  EXPECT_EQ(f.cdsItens.recNo(), 2);

  f.cdsItens.close();
  ui.picks.push_back(1);
  ASSERT_TRUE(gesture([&] { f.sbtProcurarClick(); }));
  EXPECT_EQ(ui.picks.size(), 1u);
  EXPECT_TRUE(ui.shown.empty());
}

// Each move between sales fetches that sale's items, receipts and total in
// three calls under one animation, and shows the total on the three pages.
TEST_F(ScreenState, EachSaleMoveFetchesItsDetailsInThreeCalls) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000051");
  f.cdsPedidoVenda.first();
  for (int move = 0; move < 10; ++move) {
    calls.clear();
    ui.captions.clear();
    f.cdsPedidoVenda.next();
    const std::string sale = f.cdsPedidoVenda.fieldByName("NRSEQVENDA").asString();
    const std::string key = "(0001, 001, " + sale + ")";
    EXPECT_EQ(calls, (std::vector<std::string>{"GetItens" + key, "GetTipoRece" + key, "GetSumVenda" + key}));
    EXPECT_EQ(ui.captions, std::vector<std::string>{"Recebendo item de venda do servidor..."});
    EXPECT_EQ(ui.progressDepth, 0);
    EXPECT_DOUBLE_EQ(f.nedTotal.value(), f.cdsSumVenda.fieldByName("SOMA").asFloat());
    EXPECT_DOUBLE_EQ(f.nedTotal1.value(), f.nedTotal.value());
    EXPECT_DOUBLE_EQ(f.nedTotal2.value(), f.nedTotal.value());
  }
}

// Going back into the panel empties every page, even with the same values;
// leaving it again reloads them.
TEST_F(ScreenState, EnteringThePanelEmptiesEveryPage) {
  screen::TfrmManutVenda& f = salesPage(4, "0000000054");
  ASSERT_TRUE(gesture([&] { f.setFocus(f.medCdCaixa); }));
  for (ClientDataSet* s : {&f.cdsAberCaixa, &f.cdsPedidoVenda, &f.cdsReducaoZ, &f.cdsParametro})
    EXPECT_FALSE(s->active()) << s->name();
  for (ClientDataSet* s : {&f.cdsItens, &f.cdsTipoRece}) EXPECT_TRUE(s->isEmpty()) << s->name();
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshAberCaixa);
  EXPECT_FALSE(f.mnuFecharCaixa.enabled());
  EXPECT_FALSE(f.btnFecharCaixa.enabled());
  EXPECT_FALSE(f.tshFolhaDados.enabled());

  ASSERT_TRUE(gesture([&] { f.setFocus(f.dbgAberCaixa); })) << ui.lastText();
  EXPECT_FALSE(f.cdsAberCaixa.isEmpty());
  EXPECT_FALSE(f.cdsPedidoVenda.isEmpty());
  EXPECT_TRUE(f.mnuFecharCaixa.enabled());
}

// A server failure while loading the day closes the animation and leaves
// the focus in the panel, with nothing loaded.
class FailingLoad : public saletest::SaleScreen {};

TEST_F(FailingLoad, ClosesTheAnimationAndKeepsTheFocusInThePanel) {
  screen::TfrmManutVenda& f = open();
  f.medCdCaixa.setText("001");
  f.depDeEntrega.setDate(demoDay(4));
  failing = {"GetBuscaManut"};
  EXPECT_FALSE(gesture([&] { f.setFocus(f.dbgAberCaixa); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em GetBuscaManut");
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_TRUE(f.panFilial.containsFocus());
  EXPECT_FALSE(f.cdsAberCaixa.active());
}

}  // namespace
