// The Z reduction's pages: which record set each inner page makes current,
// and fetching the Z reductions and the current one's sub-tables.

#include <vector>

#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

struct InnerPage {
  TabSheet* page;
  MenuItem* item;
  ClientDataSet* set;
};

std::vector<InnerPage> innerPages(TfrmManutVenda& f) {
  return {{&f.tshFolhaRZ, &f.mnuFolhaRZ, &f.cdsReducaoZ},   {&f.tshFormRed, &f.mnuForm, &f.cdsReducaoZ},
          {&f.tshDadosAdic, &f.mnuDadosAdic, &f.cdsReducaoZ}, {&f.tshImposto, &f.mnuImposto, &f.cdsImposto},
          {&f.tshTotaliz, &f.mnuTotFiscais, &f.cdsTotaliz},   {&f.tshFormaPag, &f.mnuFormPag, &f.cdsFormaPag},
          {&f.tshObservacao, &f.mnuObservacao, &f.cdsObservacao}};
}

// Filter branch, register and date, and the current Z reduction's ECF number
// (empty text when there is none).
std::vector<Value> subTableKey(const TfrmManutVenda& f) {
  return {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f),
          Value(currentText(f.cdsReducaoZ, "NRECFREDZ"))};
}

}  // namespace

void ZReductionPart::wire() {
  f.pgcReducao.OnChange = [this](Control&) { pgcReducaoChange(); };
  f.tshReducao.OnEnter = [this](Control&) { tshReducaoEnter(); };
  f.cdsReducaoZ.AfterScroll = [this](ClientDataSet&) { cdsReducaoZAfterScroll(); };
  for (const InnerPage& p : innerPages(f)) {
    TabSheet* page = p.page;
    p.item->OnClick = [this, page](Control&) { innerPageMenuClick(*page); };
  }
}

void ZReductionPart::innerPageMenuClick(TabSheet& page) {
  f.pgcPadrao.setActivePage(f.tshReducao);
  f.pgcReducao.setActivePage(page);
  pgcReducaoChange();
  // The toolbar follows the record set now current.
  f.state.dtsPadraoStateChange();
}

void ZReductionPart::pgcReducaoChange() {
  const TabSheet* active = f.pgcReducao.activePage();
  // Back on the data sheet, an observation being typed is given up.
  if (f.cdsObservacao.editing() && active == &f.tshFolhaRZ) f.cdsObservacao.cancel();
  for (const InnerPage& p : innerPages(f))
    if (p.page == active) f.dtsPadrao.setDataSet(p.set);
  if (active == &f.tshObservacao) {
    fetchInto(f, "Get_Observacao", "GetObservacao", subTableKey(f), f.cdsObservacao);
    f.dbgObservacao.setFocus();
  }
  for (const InnerPage& p : innerPages(f)) p.item->setChecked(p.page == active);
}

void ZReductionPart::tshReducaoEnter() {
  pgcReducaoChange();
  f.state.dtsPadraoStateChange();
  if (!f.cdsReducaoZ.active())
    fetchInto(f, "Get_ReducaoZ", "GetReducaoZ", {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f)},
              f.cdsReducaoZ);
}

void ZReductionPart::cdsReducaoZAfterScroll() {
  fetchInto(f, "Get_ImpostoZ", "GetImposto", subTableKey(f), f.cdsImposto);
  fetchInto(f, "Get_Totaliz", "GetTotaliz", subTableKey(f), f.cdsTotaliz);
  fetchInto(f, "Get_FormaPag", "GetFormaPag", subTableKey(f), f.cdsFormaPag);
  fetchInto(f, "Get_Observacao", "GetObservacao", subTableKey(f), f.cdsObservacao);
}

}  // namespace screen
