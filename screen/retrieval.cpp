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

bool hasCurrentRow(const ClientDataSet& s) {
  return s.active() && (!s.isEmpty() || s.state() == DataSetState::Insert);
}

// A key of the current row; empty text when there is none, so the server is
// asked for nothing rather than the screen failing.
Value keyText(const ClientDataSet& s, const char* field) {
  return Value(hasCurrentRow(s) ? s.fieldByName(field).asString() : std::string());
}

// A date of the current row; the zero date when there is none.
Value keyDate(const ClientDataSet& s, const char* field) {
  if (!hasCurrentRow(s) || s.fieldByName(field).isNull()) return Value(DateTime(0));
  return Value(s.fieldByName(field).asDateTime());
}

}  // namespace

void Retrieval::wire() {
  f.cdsPedidoVenda.AfterScroll = [this](ClientDataSet&) { cdsPedidoVendaAfterScroll(); };
}

void Retrieval::sbtVerificarClick() {
  const TabSheet* page = f.pgcPadrao.activePage();
  const Value branch(f.medFilial.text());
  const Value reg(f.medCdCaixa.text());
  const Value day = f.depDeEntrega.date() ? Value(*f.depDeEntrega.date()) : Value(DateTime(0));
  const auto saleKey = [this] {
    return std::vector<Value>{keyText(f.cdsPedidoVenda, "CDFILIAL"), keyText(f.cdsPedidoVenda, "CDCAIXA"),
                              keyText(f.cdsPedidoVenda, "NRSEQVENDA")};
  };

  if (page == &f.tshAberCaixa)
    fetchInto(f, "Get_AberCaixa", "GetAberCaixa", {branch, reg, day}, f.cdsAberCaixa);
  if (page == &f.tshFolhaDados) {
    const ClientDataSet& a = f.cdsAberCaixa;
    fetch(f, "Get_PedidoVenda", "GetPedidoVenda",
          {keyText(a, "CDFILIAL"), keyText(a, "CDCAIXA"), keyDate(a, "DTABERCAIX")},
          [this](const Value& all) { loadPacket(f.cdsPedidoVenda, element(f, all, 0)); });
  }
  if (page == &f.tshFormulario)
    fetch(f, "Get_ItemVenda", "GetItens", saleKey(), [this](const Value& all) {
      loadPacket(f.cdsItens, element(f, all, 0));
      loadPacket(f.cdsImpostoItem, element(f, all, 1));
    });
  if (page == &f.tshRecebimento) fetchInto(f, "Get_ItemVenda", "GetTipoRece", saleKey(), f.cdsTipoRece);
  if (page == &f.tshItensCancelados)
    fetchInto(f, "Get_ItensCancelados", "GetItensCancelados",
              {branch, reg, keyText(f.cdsPedidoVenda, "NRSEQVENDA")}, f.cdsItensCancelados);
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
      fetchInto(f, t.captionKey, t.operation, {branch, reg, day, keyText(f.cdsReducaoZ, "NRECFREDZ")}, *t.target);
}

void Retrieval::sbtProcurarClick() {
  if (f.pgcPadrao.activePage() == &f.tshFormulario) {
    ClientDataSet* items = f.dtsItens.dataSet();
    if (items && items->active()) ui().searchRecord(*items);
    return;
  }
  f.TfrmPadrao::sbtProcurarClick();
}

void Retrieval::cdsPedidoVendaAfterScroll() {
  const ClientDataSet& v = f.cdsPedidoVenda;
  const std::vector<Value> key{keyText(v, "CDFILIAL"), keyText(v, "CDCAIXA"), keyText(v, "NRSEQVENDA")};
  {
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
  const std::string pict = PictPess(hasCurrentRow(v) ? v.fieldByName("IDTPIJURCLIE").asString() : std::string());
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
