// Fetching what the user looks at: verify refreshes the record set of the
// page shown, moving to another sale reloads its details and total, search
// opens the search dialog on the page's records.

#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// The current sale's key; empty texts when there is no sale.
std::vector<Value> saleKey(const ClientDataSet& sales) {
  return {Value(currentText(sales, "CDFILIAL")), Value(currentText(sales, "CDCAIXA")),
          Value(currentText(sales, "NRSEQVENDA"))};
}

}  // namespace

void Retrieval::wire() { f.cdsPedidoVenda.AfterScroll = handler(this, &Retrieval::cdsPedidoVendaAfterScroll); }

void Retrieval::sbtVerificarClick() {
  const TabSheet* page = f.pgcPadrao.activePage();
  const Value branch(f.medFilial.text());
  const Value reg(f.medCdCaixa.text());
  const Value day = filterDay(f);

  if (page == &f.tshAberCaixa) fetchInto(f, "Get_AberCaixa", "GetAberCaixa", {branch, reg, day}, f.cdsAberCaixa);
  if (page == &f.tshFolhaDados) {
    const ClientDataSet& a = f.cdsAberCaixa;
    fetch(f, "Get_PedidoVenda", "GetPedidoVenda",
          {Value(currentText(a, "CDFILIAL")), Value(currentText(a, "CDCAIXA")), currentDate(a, "DTABERCAIX")},
          [this](const Value& all) { loadPacket(f.cdsPedidoVenda, element(f, all, 0)); });
  }
  if (page == &f.tshFormulario)
    fetch(f, "Get_ItemVenda", "GetItens", saleKey(f.cdsPedidoVenda), [this](const Value& all) {
      loadPacket(f.cdsItens, element(f, all, 0));
      loadPacket(f.cdsImpostoItem, element(f, all, 1));
    });
  if (page == &f.tshRecebimento) fetchInto(f, "Get_ItemVenda", "GetTipoRece", saleKey(f.cdsPedidoVenda), f.cdsTipoRece);
  if (page == &f.tshItensCancelados)
    fetchInto(f, "Get_ItensCancelados", "GetItensCancelados",
              {branch, reg, Value(currentText(f.cdsPedidoVenda, "NRSEQVENDA"))}, f.cdsItensCancelados);
  if (page != &f.tshReducao) return;
  const TabSheet* inner = f.pgcReducao.activePage();
  if (inner == &f.tshFolhaRZ) fetchInto(f, "Get_ReducaoZ", "GetReducaoZ", {branch, reg, day}, f.cdsReducaoZ);
  struct SubTable {
    const TabSheet* page;
    const char* captionKey;
    const char* operation;
    ClientDataSet* target;
  };
  const SubTable subTables[] = {{&f.tshImposto, "Get_ImpostoZ", "GetImposto", &f.cdsImposto},
                                {&f.tshTotaliz, "Get_Totaliz", "GetTotaliz", &f.cdsTotaliz},
                                {&f.tshFormaPag, "Get_FormaPag", "GetFormaPag", &f.cdsFormaPag},
                                {&f.tshObservacao, "Get_Observacao", "GetObservacao", &f.cdsObservacao}};
  for (const SubTable& t : subTables)
    if (inner == t.page)
      fetchInto(f, t.captionKey, t.operation, {branch, reg, day, Value(currentText(f.cdsReducaoZ, "NRECFREDZ"))},
                *t.target);
}

void Retrieval::sbtProcurarClick() {
  if (f.pgcPadrao.activePage() == &f.tshFormulario) {
    ClientDataSet* items = f.dtsItens.dataSet();
    if (items && items->active()) ui().searchRecord(*items);
    return;
  }
  f.TfrmPadrao::sbtProcurarClick();
}

std::vector<RemoteCall> Retrieval::saleMoveCalls(const std::vector<Value>& key) {
  return {{"GetItens", key, {}}, {"GetTipoRece", key, {}}, {"GetSumVenda", key, {}}};
}

void Retrieval::cdsPedidoVendaAfterScroll() {
  const ClientDataSet& v = f.cdsPedidoVenda;
  const std::vector<Value> key = saleKey(v);
  {
    BatchScope batch(f, saleMoveCalls(key));
    // One animation for the three calls of a move.
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_ItemVenda"));
    std::vector<Value> args = key;
    const Value items = CheckResultServ(f.netManutVenda.call("GetItens", args));
    loadPacket(f.cdsItens, element(f, items, 0));
    loadPacket(f.cdsImpostoItem, element(f, items, 1));
    loadPacket(f.cdsItensCancelados, element(f, items, 2));
    args = key;
    loadPacket(f.cdsTipoRece, CheckResultServ(f.netManutVenda.call("GetTipoRece", args)));
    args = key;
    loadPacket(f.cdsSumVenda, CheckResultServ(f.netManutVenda.call("GetSumVenda", args)));
  }
  showSumVenda();
  const std::string pict = PictPess(currentText(v, "IDTPIJURCLIE"));
  for (const char* document : {"NRINSJURCLIE", "NRINSCRCONS"})
    if (Field* field = v.findField(document)) field->setEditMask(pict);
  f.state.dtsPadraoStateChange();
}

void Retrieval::showSumVenda() {
  const ClientDataSet& sum = f.cdsSumVenda;
  const double soma = sum.active() && !sum.isEmpty() ? sum.fieldByName("SOMA").asFloat() : 0.0;
  for (NumberBox* total : {&f.nedTotal, &f.nedTotal1, &f.nedTotal2}) total->setValue(soma);
}

}  // namespace screen
