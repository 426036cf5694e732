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
  return {{&f.tshFolhaRZ, &f.mnuFolhaRZ, &f.cdsReducaoZ},        {&f.tshFormRed, &f.mnuForm, &f.cdsReducaoZ},
          {&f.tshDadosAdic, &f.mnuDadosAdic, &f.cdsReducaoZ},    {&f.tshImposto, &f.mnuImposto, &f.cdsImposto},
          {&f.tshTotaliz, &f.mnuTotFiscais, &f.cdsTotaliz},      {&f.tshFormaPag, &f.mnuFormPag, &f.cdsFormaPag},
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
  wireRecord();
  wireGridKeys();
  f.pgcReducao.OnChange = handler(this, &ZReductionPart::pgcReducaoChange);
  f.tshReducao.OnEnter = handler(this, &ZReductionPart::tshReducaoEnter);
  f.cdsReducaoZ.AfterScroll = handler(this, &ZReductionPart::cdsReducaoZAfterScroll);
  for (const InnerPage& p : innerPages(f)) {
    TabSheet* page = p.page;
    p.item->OnClick = [this, page](Control&) { innerPageMenuClick(*page); };
  }
}

// Records are deleted only through the screen's delete command, which
// runs its confirmation and guards: the grids swallow the keyboard's delete.
void ZReductionPart::wireGridKeys() {
  const auto ctrlDelete = [](Control&, int& key, ShiftState shift) {
    if (key == vk::Delete && (shift & ssCtrl) != 0) key = 0;
  };
  for (DBGrid* g : {&f.dbgFolhaRZ, &f.dbgTotalizadores, &f.dbgFormPag}) g->OnKeyDown = ctrlDelete;
  f.dbgObservacao.OnKeyDown = [](Control&, int& key, ShiftState shift) {
    if (key == vk::Delete && shift == ssCtrl) key = 0;
  };
  // A visit of the observation page ends when another page is shown.
  const auto leftObservations = [this](Control&, Prop p) {
    if (p != Prop::ActivePage) return;
    if (f.pgcPadrao.activePage() != &f.tshReducao || f.pgcReducao.activePage() != &f.tshObservacao)
      observationsFetched_ = false;
  };
  f.pgcPadrao.changed.connect(leftObservations);
  f.pgcReducao.changed.connect(leftObservations);
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
  const ClientDataSet* before = f.dtsPadrao.dataSet();
  for (const InnerPage& p : innerPages(f))
    if (p.page == active) f.dtsPadrao.setDataSet(p.set);
  // The toolbar acts on the record set now current: a page whose set is in
  // the same state as the previous one announces no state change itself.
  if (f.dtsPadrao.dataSet() != before) f.state.dtsPadraoStateChange();
  // The observations are fetched once per visit of their page, however
  // many ways the visit announces itself (menu, tab, the page's entry).
  if (active == &f.tshObservacao && !observationsFetched_) {
    observationsFetched_ = true;
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

std::vector<RemoteCall> ZReductionPart::subTableCalls(const std::vector<Value>& key) {
  return {{"GetImposto", key, {}}, {"GetTotaliz", key, {}}, {"GetFormaPag", key, {}}, {"GetObservacao", key, {}}};
}

void ZReductionPart::cdsReducaoZAfterScroll() {
  BatchScope batch(f, subTableCalls(subTableKey(f)));
  fetchInto(f, "Get_ImpostoZ", "GetImposto", subTableKey(f), f.cdsImposto);
  fetchInto(f, "Get_Totaliz", "GetTotaliz", subTableKey(f), f.cdsTotaliz);
  fetchInto(f, "Get_FormaPag", "GetFormaPag", subTableKey(f), f.cdsFormaPag);
  fetchInto(f, "Get_Observacao", "GetObservacao", subTableKey(f), f.cdsObservacao);
}

}  // namespace screen
