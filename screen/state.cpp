// Pages and the availability of everything the user can do. The record set
// of the page shown is the current one (dtsPadrao); each of its state
// changes recomputes actions, look-up buttons, pages, menus and the filter,
// so an edit in progress must be confirmed or cancelled before the user can
// go anywhere else.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/consiste.h"
#include "platform/dataset.h"
#include "platform/logon.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

bool isEditing(DataSetState s) { return s == DataSetState::Edit || s == DataSetState::Insert; }

bool hasRows(const ClientDataSet& s) { return s.active() && !s.isEmpty(); }

void setEllipsis(DBGrid& grid, std::string_view field, bool on) {
  if (Column* c = grid.columnByField(field)) c->setButtonStyle(on ? ButtonStyle::Ellipsis : ButtonStyle::None);
}

// What the maintenance menu offers for one current record set; an action
// not named is unavailable.
struct Actions {
  bool include = false, alter = false, remove = false, searchVerify = false, cancelConfirm = false;
  bool cancelSale = false, concludeSale = false, changeSeller = false;
};

// The state every step of the refresh decides from, read once.
struct Situation {
  const ClientDataSet* ds;  // the current record set (dtsPadrao's)
  bool inactive, browse, editing;
  bool browsedRow;  // browsing a current record set that has rows
  bool closingAllowed;
};

// 1. The filter is locked while anything is being edited. The two name
// boxes only show what the codes found and are never typed into.
void lockFilter(TfrmManutVenda& f, const Situation& s) {
  for (Control* c : f.panFilial.children())
    if (c != &f.edtFilial && c != &f.edtNmCaixa) c->setEnabled(!s.editing);
}

// 3 and 4. The maintenance menu for the current record set, and its grid's
// look-up buttons.
void offerRowActions(TfrmManutVenda& f, const Situation& s, bool typedPending) {
  const ClientDataSet* ds = s.ds;
  const bool b = s.browsedRow;
  const bool browse = s.browse;
  const bool editing = s.editing;
  const ClientDataSet& sale = f.cdsPedidoVenda;
  const std::string situation = currentText(sale, "IDSITUVENDA");
  std::optional<Actions> row;
  const bool zSet = ds == &f.cdsReducaoZ || ds == &f.cdsImposto || ds == &f.cdsTotaliz || ds == &f.cdsFormaPag ||
                    ds == &f.cdsObservacao;
  if (ds == &f.cdsAberCaixa) {
    row = Actions{.include = browse, .alter = b, .remove = b, .searchVerify = b, .cancelConfirm = editing};
    setEllipsis(f.dbgAberCaixa, "CDOPERABER", isEditing(f.cdsAberCaixa.state()));
  } else if (ds == &f.cdsPedidoVenda) {
    const bool cancellable = b && situation != "C" && currentText(sale, "IDESTOQUE").empty();
    row = Actions{.include = s.inactive || browse,
                  .alter = b && situation == "P",
                  .searchVerify = b,
                  .cancelConfirm = editing,
                  .cancelSale = cancellable,
                  .concludeSale = b && situation == "P",
                  .changeSeller = cancellable};
    const DataSetState ss = sale.state();
    const bool inserting = ss == DataSetState::Insert;
    const bool editingExisting = ss == DataSetState::Edit;
    DBGrid& g = f.dbgPadrao;
    setEllipsis(g, "NRINSJURCLIE", inserting);
    setEllipsis(g, "CDCONSUMIDOR", inserting || (editingExisting && f.consumerEditable));
    setEllipsis(g, "CDVENDEDOR", isEditing(ss));
    setEllipsis(g, "IDTIPOVENDA", isEditing(ss));
    setEllipsis(g, "CDSERVFILI", inserting || (editingExisting && f.serviceEditable));
    if (Column* c = g.columnByField("NRCUPOMFIS")) c->setReadOnly(situation != "P");
  } else if (ds == &f.cdsItens || ds == &f.cdsItensCancelados || ds == &f.cdsTipoRece) {
    const bool tp = typedPending;
    row = Actions{
        .include = browse && tp, .alter = b && tp, .remove = b && tp, .searchVerify = b, .cancelConfirm = editing};
    if (ds == &f.cdsItens) setEllipsis(f.dbgItens, "CDARVPROD", isEditing(f.cdsItens.state()));
    if (ds == &f.cdsItensCancelados)
      setEllipsis(f.dbgItensCancelados, "CDARVPROD", isEditing(f.cdsItensCancelados.state()));
    if (ds == &f.cdsTipoRece) setEllipsis(f.dbgTipoRece, "CDTIPORECE", isEditing(f.cdsTipoRece.state()));
  } else if (ds == &f.cdsImpostoItem) {
    row = Actions{.alter = b && typedPending, .searchVerify = b, .cancelConfirm = editing};
  } else if (zSet) {
    const bool observation = ds == &f.cdsObservacao;
    row = Actions{.include = browse,
                  .alter = b && !observation,
                  .remove = b && !observation,
                  .searchVerify = b,
                  .cancelConfirm = editing};
    setEllipsis(f.dbgImposto, "SGIMPOSTO", isEditing(f.cdsImposto.state()));
    setEllipsis(f.dbgFormPag, "CDTIPORECE", isEditing(f.cdsFormaPag.state()));
    setEllipsis(f.dbgFormPag, "CDTPRECEORIG", isEditing(f.cdsFormaPag.state()));
    const bool insertingZ = f.dtsReducaoZ.state() == DataSetState::Insert;
    for (const char* name : {"dbeNrECF", "dbeSerieRedZ"})
      if (Control* c = f.findControl(name)) c->setEnabled(insertingZ);
  }
  if (row) {
    f.mnuIncluir.setEnabled(row->include);
    f.mnuAlterar.setEnabled(row->alter);
    f.mnuExcluir.setEnabled(row->remove);
    f.mnuProcurar.setEnabled(row->searchVerify);
    f.mnuVerificar.setEnabled(row->searchVerify);
    f.mnuCancelar.setEnabled(row->cancelConfirm);
    f.mnuConfirmar.setEnabled(row->cancelConfirm);
    // Where the branch's personalisation forbids the screen's three actions
    // their menu items (and shortcuts) are unavailable, as the buttons are.
    f.mnuCancelaVenda.setEnabled(row->cancelSale && f.btnCancelaVenda.permitted());
    f.mnuConcluiVenda.setEnabled(row->concludeSale && f.btnConcluiVenda.permitted());
    f.mnuAlteraVend.setEnabled(row->changeSeller);
    f.mnuFecharCaixa.setEnabled(s.closingAllowed && f.btnFecharCaixa.permitted());
  }
}

// 5. Buttons mirror their menu items (the three screen buttons also carry
// the branch's permission, which Button::available() honours).
void mirrorButtons(TfrmManutVenda& f) {
  const std::pair<MenuItem*, Button*> mirror[] = {
      {&f.mnuIncluir, &f.sbtIncluir},           {&f.mnuAlterar, &f.sbtAlterar},
      {&f.mnuExcluir, &f.sbtExcluir},           {&f.mnuProcurar, &f.sbtProcurar},
      {&f.mnuVerificar, &f.sbtVerificar},       {&f.mnuCancelar, &f.sbtCancelar},
      {&f.mnuConfirmar, &f.sbtConfirmar},       {&f.mnuCancelaVenda, &f.btnCancelaVenda},
      {&f.mnuConcluiVenda, &f.btnConcluiVenda}, {&f.mnuFecharCaixa, &f.btnFecharCaixa},
      {&f.mnuAlteraVend, &f.sbtAlteraVend}};
  for (const auto& [item, button] : mirror) button->setEnabled(item->enabled());
}

// 7. Pages other than the active one: none while editing, and each only
// once what it shows is loaded.
void enablePages(TfrmManutVenda& f, const Situation& s) {
  const bool editing = s.editing;
  const bool openingsLoaded = hasRows(f.cdsAberCaixa);
  const bool salesLoaded = hasRows(f.cdsPedidoVenda);
  const bool zLoaded = hasRows(f.cdsReducaoZ);
  const auto enablePage = [](TabSheet& page, bool on) {
    if (page.pageControl()->activePage() != &page) page.setEnabled(on);
  };
  enablePage(f.tshAberCaixa, !editing);
  for (TabSheet* p : {&f.tshFolhaDados, &f.tshReducao, &f.tshFolhaRZ}) enablePage(*p, !editing && openingsLoaded);
  for (TabSheet* p : {&f.tshFormulario, &f.tshRecebimento, &f.tshItensCancelados})
    enablePage(*p, !editing && salesLoaded);
  const TabSheet* inner = f.pgcReducao.activePage();
  if (inner != &f.tshFormRed && inner != &f.tshDadosAdic) {
    f.tshFormRed.setEnabled(!editing && zLoaded);
    f.tshDadosAdic.setEnabled(!editing && zLoaded);
  }
  for (TabSheet* p : {&f.tshImposto, &f.tshTotaliz, &f.tshFormaPag, &f.tshObservacao})
    enablePage(*p, !editing && zLoaded);
}

// 9. A module bound to the processing branch never changes branch.
void bindBranch(TfrmManutVenda& f, const Situation& s) {
  if (s.inactive || s.browse) {
    f.medFilial.setEnabled(!ModuFili());
    f.btpFilial.setEnabled(f.medFilial.enabled());
  }
}

}  // namespace

void ScreenState::wire() {
  pageMenus_ = {{&f.mnuAberCaixa, &f.tshAberCaixa},     {&f.mnuFolhaDados, &f.tshFolhaDados},
                {&f.mnuFormulario, &f.tshFormulario},   {&f.mnuItensCancelados, &f.tshItensCancelados},
                {&f.mnuRecebimento, &f.tshRecebimento}, {&f.mnuReducao, &f.tshReducao},
                {&f.mnuFolhaRZ, &f.tshFolhaRZ},         {&f.mnuForm, &f.tshFormRed},
                {&f.mnuDadosAdic, &f.tshDadosAdic},     {&f.mnuImposto, &f.tshImposto},
                {&f.mnuTotFiscais, &f.tshTotaliz},      {&f.mnuFormPag, &f.tshFormaPag},
                {&f.mnuObservacao, &f.tshObservacao}};
  f.dtsItens.OnStateChange = handler(this, &ScreenState::dtsItensStateChange);
  f.dtsTipoRece.OnStateChange = handler(this, &ScreenState::dtsTiporeceStateChange);
  // Moving to another sale or Z reduction reloads its details: not over
  // changes still to be sent.
  f.cdsPedidoVenda.BeforeScroll = handler(this, &ScreenState::cdsPedidoVendaBeforeScroll);
  f.cdsReducaoZ.BeforeScroll = handler(this, &ScreenState::cdsReducaoZBeforeScroll);
  f.mnuRecebimento.OnClick = handler(this, &ScreenState::mnuRecebimentoClick);
  f.mnuItensCancelados.OnClick = handler(this, &ScreenState::mnuItensCanceladosClick);
  f.dbnPadrao.OnClick = handler(this, &ScreenState::dbnPadraoClick);
  f.mnuCancelaVenda.OnClick = handler(this, &ScreenState::mnuCancelaVendaClick);
  f.mnuConcluiVenda.OnClick = handler(this, &ScreenState::mnuConcluiVendaClick);
}

void ScreenState::cdsPedidoVendaBeforeScroll() { refuseWhileUnsent(); }

void ScreenState::cdsReducaoZBeforeScroll() { refuseWhileUnsent(); }

void ScreenState::mnuRecebimentoClick() {
  f.pgcPadrao.setActivePage(f.tshRecebimento);
  pgcPadraoChange();
}

void ScreenState::mnuItensCanceladosClick() {
  f.pgcPadrao.setActivePage(f.tshItensCancelados);
  pgcPadraoChange();
}

void ScreenState::dbnPadraoClick() { pgcPadraoChange(); }

// The shortcuts run the buttons' actions, and like the buttons only where
// the branch's personalisation permits them.
void ScreenState::mnuCancelaVendaClick() {
  if (f.btnCancelaVenda.permitted()) f.salePart.btnCancelaVendaClick();
}

void ScreenState::mnuConcluiVendaClick() {
  if (f.btnConcluiVenda.permitted()) f.salePart.btnConcluiVendaClick();
}

void ScreenState::pgcPadraoChange() {
  const TabSheet* page = f.pgcPadrao.activePage();
  ClientDataSet* current = f.dtsPadrao.dataSet();
  if (page == &f.tshFolhaDados)
    current = &f.cdsPedidoVenda;
  else if (page == &f.tshAberCaixa)
    current = &f.cdsAberCaixa;
  else if (page == &f.tshFormulario)
    current = f.activeControl() == &f.dbgImpostoItem ? &f.cdsImpostoItem : &f.cdsItens;
  else if (page == &f.tshItensCancelados)
    current = &f.cdsItensCancelados;
  else if (page == &f.tshRecebimento)
    current = &f.cdsTipoRece;
  f.dtsPadrao.setDataSet(current);

  if (page == &f.tshReducao) {
    if (!hasRows(f.cdsReducaoZ) && f.pgcReducao.activePage() != &f.tshFolhaRZ) f.pgcReducao.setActivePage(f.tshFolhaRZ);
    f.zReductionPart.pgcReducaoChange();
  }

  // The current sale's details and total are fetched again on every change.
  f.retrieval.cdsPedidoVendaAfterScroll();

  const bool showSale = page != &f.tshAberCaixa && page != &f.tshReducao;
  f.lblVenda.setVisible(showSale);
  f.dbtNumero.setVisible(showSale);
  // Everywhere but on the Z reduction the navigator moves through the sales.
  f.dbnPadrao.setDataSource(page == &f.tshReducao ? &f.dtsReducaoZ : &f.dtsPedidoVenda);
  checkPageMenus();
  f.TfrmPadrao::pgcPadraoChange();
}

void ScreenState::checkPageMenus() {
  for (const auto& [item, page] : pageMenus_) item->setChecked(page->pageControl()->activePage() == page);
}

bool ScreenState::typedPendingSale() const {
  return currentText(f.cdsPedidoVenda, "IDTIPOVENDA") == "S" && currentText(f.cdsPedidoVenda, "IDSITUVENDA") == "P";
}

bool ScreenState::unsentChanges() const {
  for (const ClientDataSet* set : f.saving.savedSets())
    if (set->active() && set->changeCount() > 0) return true;
  return false;
}

void ScreenState::refuseWhileUnsent() const {
  if (unsentChanges()) MensErro(f.Msg("Alt_Pendentes"));
}

void ScreenState::dtsPadraoStateChange() {
  const ClientDataSet* ds = f.dtsPadrao.dataSet();
  const DataSetState state = f.dtsPadrao.state();
  // Unsent changes hold the screen as an edit does, until they are sent
  // again or undone.
  const bool unsent = unsentChanges();
  Situation s{};
  s.ds = ds;
  s.inactive = state == DataSetState::Inactive && !unsent;
  s.browse = state == DataSetState::Browse && !unsent;
  s.editing = isEditing(state) || unsent;
  s.browsedRow = s.browse && ds && !ds->isEmpty();
  const ClientDataSet& openings = f.cdsAberCaixa;
  s.closingAllowed = (s.inactive || s.browse) && hasRows(openings) && openings.fieldByName("DTFECHCAIX").isNull();

  lockFilter(f, s);  // 1
  // 2. Only the sales row below offers the seller change.
  f.mnuAlteraVend.setEnabled(false);
  // A sale's history is offered whenever a sale is current and nothing is
  // being edited.
  f.mnuHistVenda.setEnabled(!s.editing && hasRows(f.cdsPedidoVenda));
  offerRowActions(f, s, typedPendingSale());  // 3 and 4
  mirrorButtons(f);                           // 5
  // 6. The navigator moves only between browsed rows.
  f.dbnPadrao.setEnabled(s.browse);
  enablePages(f, s);  // 7
  // 8. Page menu items follow their pages.
  checkPageMenus();
  for (const auto& [item, page] : pageMenus_) item->setEnabled(page->enabled());
  bindBranch(f, s);  // 9
  f.dayCheckPart.refreshAction();
}

void ScreenState::dtsItensStateChange() {
  setEllipsis(f.dbgItens, "CDARVPROD", f.cdsItens.state() == DataSetState::Insert);
}

void ScreenState::dtsTiporeceStateChange() {
  setEllipsis(f.dbgTipoRece, "CDTIPORECE", f.cdsTipoRece.state() == DataSetState::Insert);
}

}  // namespace screen
