#include "platform/frmpadrao.h"

#include "platform/dataset.h"
#include "platform/field.h"

namespace platform {

TfrmPadrao::TfrmPadrao(std::string name)
    : Form(std::move(name)),
      panMenu(add<Panel>("panMenu")),
      sbtAjuda(add<Button>("sbtAjuda", &panMenu)),
      sbtImprimir(add<Button>("sbtImprimir", &panMenu)),
      sbtFechar(add<Button>("sbtFechar", &panMenu)),
      sbtIncluir(add<Button>("sbtIncluir", &panMenu)),
      sbtAlterar(add<Button>("sbtAlterar", &panMenu)),
      sbtExcluir(add<Button>("sbtExcluir", &panMenu)),
      sbtProcurar(add<Button>("sbtProcurar", &panMenu)),
      sbtVerificar(add<Button>("sbtVerificar", &panMenu)),
      sbtCancelar(add<Button>("sbtCancelar", &panMenu)),
      sbtConfirmar(add<Button>("sbtConfirmar", &panMenu)),
      lblCodTela(add<Label>("lblCodTela", &panMenu)),
      mnuOperacao(add<MenuItem>("mnuOperacao", nullptr, "&Operação")),
      mnuFolhaDados(add<MenuItem>("mnuFolhaDados", &mnuOperacao, "&Folha de Dados")),
      mnuFormulario(add<MenuItem>("mnuFormulario", &mnuOperacao, "F&ormulário")),
      mnuManutencao(add<MenuItem>("mnuManutencao", nullptr, "&Manutenção")),
      mnuIncluir(add<MenuItem>("mnuIncluir", &mnuManutencao, "&Incluir", "Ctrl+I")),
      mnuAlterar(add<MenuItem>("mnuAlterar", &mnuManutencao, "&Alterar", "Ctrl+A")),
      mnuExcluir(add<MenuItem>("mnuExcluir", &mnuManutencao, "&Excluir", "Ctrl+E")),
      mnuProcurar(add<MenuItem>("mnuProcurar", &mnuManutencao, "&Procurar", "Ctrl+P")),
      mnuVerificar(add<MenuItem>("mnuVerificar", &mnuManutencao, "&Verificar", "F5")),
      mnuCancelar(add<MenuItem>("mnuCancelar", &mnuManutencao, "&Cancelar", "Ctrl+Z")),
      mnuConfirmar(add<MenuItem>("mnuConfirmar", &mnuManutencao, "Co&nfirmar", "Ctrl+S")),
      mnuListagem(add<MenuItem>("mnuListagem", &mnuManutencao, "&Listagem")),
      mnuConfigImpressora(add<MenuItem>("mnuConfigImpressora", &mnuManutencao, "Configurar Impre&ssora")),
      pgcPadrao(add<PageControl>("pgcPadrao")),
      tshFolhaDados(add<TabSheet>("tshFolhaDados", &pgcPadrao, "Folha de Dados")),
      dbgPadrao(add<DBGrid>("dbgPadrao", &tshFolhaDados)),
      tshFormulario(add<TabSheet>("tshFormulario", &pgcPadrao, "Formulário")),
      panNavegador(add<Panel>("panNavegador")),
      dbnPadrao(add<DBNavigator>("dbnPadrao", &panNavegador)),
      msgMensagensPadroes(platform::msgMensagensPadroes()) {
  msgPadrao.setFallback(&msgMensagensPadroes);
  panMenu.setAlign(Align::Top);
  pgcPadrao.setAlign(Align::Client);
  panNavegador.setAlign(Align::Bottom);
  dbgPadrao.setAlign(Align::Client);
  struct Tool {
    Button& button;
    const char* caption;
    const char* hint;
  };
  for (const Tool& t :
       {Tool{sbtAjuda, "Ajuda", "Ajuda"}, Tool{sbtImprimir, "Imprimir", "Imprimir"},
        Tool{sbtFechar, "Fechar", "Fechar a tela"}, Tool{sbtIncluir, "Incluir", "Incluir registro"},
        Tool{sbtAlterar, "Alterar", "Alterar registro"}, Tool{sbtExcluir, "Excluir", "Excluir registro"},
        Tool{sbtProcurar, "Procurar", "Procurar registro"}, Tool{sbtVerificar, "Verificar", "Atualizar os dados"},
        Tool{sbtCancelar, "Cancelar", "Cancelar alterações"},
        Tool{sbtConfirmar, "Confirmar", "Confirmar alterações"}}) {
    t.button.setCaption(t.caption);
    t.button.setHint(t.hint);
  }
  dbgPadrao.setDataSource(&dtsPadrao);
  dbnPadrao.setDataSource(&dtsPadrao);
  wire();
}

TfrmPadrao::~TfrmPadrao() = default;

// Every event calls the virtual step of the same name, so the screen's
// override runs instead of the base one.
void TfrmPadrao::wire() {
  OnCreate = [this](Control&) { FormCreate(); };
  OnActivate = [this](Control&) { FormActivate(); };
  OnClose = [this](Form&, CloseAction& action) { FormClose(action); };
  pgcPadrao.OnChange = [this](Control&) { pgcPadraoChange(); };
  mnuFolhaDados.OnClick = [this](Control&) { mnuFolhaDadosClick(); };
  mnuFormulario.OnClick = [this](Control&) { mnuFormularioClick(); };
  const auto both = [](MenuItem& item, Button& button, std::function<void()> step) {
    item.OnClick = [step](Control&) { step(); };
    button.OnClick = [step](Control&) { step(); };
  };
  both(mnuIncluir, sbtIncluir, [this] { sbtIncluirClick(); });
  both(mnuAlterar, sbtAlterar, [this] { sbtAlterarClick(); });
  both(mnuExcluir, sbtExcluir, [this] { sbtExcluirClick(); });
  both(mnuProcurar, sbtProcurar, [this] { sbtProcurarClick(); });
  both(mnuVerificar, sbtVerificar, [this] { sbtVerificarClick(); });
  both(mnuCancelar, sbtCancelar, [this] { sbtCancelarClick(); });
  both(mnuConfirmar, sbtConfirmar, [this] { sbtConfirmarClick(); });
  both(mnuListagem, sbtImprimir, [this] { mnuListagemClick(); });
  mnuConfigImpressora.OnClick = [this](Control&) { mnuConfigImpressoraClick(); };
  sbtFechar.OnClick = [this](Control&) { close(); };
  sbtAjuda.OnClick = [this](Control&) { helpRequested.emit(*this); };
  dbgPadrao.OnKeyDown = [this](Control& grid, int& key, ShiftState shift) {
    dbgPadraoKeyDown(static_cast<DBGrid&>(grid), key, shift);
  };
  dtsPadrao.OnStateChange = [this](DataSource&) { dtsPadraoStateChange(); };
}

void TfrmPadrao::FormCreate() {
  dbgPadrao.setDataSource(&dtsPadrao);
  dbnPadrao.setDataSource(&dtsPadrao);
  pgcPadrao.setActivePage(tshFolhaDados);
  dtsPadraoStateChange();
}

void TfrmPadrao::FormClose(CloseAction& action) {
  if (ClientDataSet* ds = currentSet(); ds && ds->editing()) ds->cancel();
  action = CloseAction::Free;
}

void TfrmPadrao::pgcPadraoChange() {
  mnuFolhaDados.setChecked(pgcPadrao.activePage() == &tshFolhaDados);
  mnuFormulario.setChecked(pgcPadrao.activePage() == &tshFormulario);
  dtsPadraoStateChange();
}

void TfrmPadrao::mnuFormularioClick() {
  if (!tshFormulario.enabled()) return;
  pgcPadrao.setActivePage(tshFormulario);
  pgcPadraoChange();
}

void TfrmPadrao::mnuFolhaDadosClick() {
  if (!tshFolhaDados.enabled()) return;
  pgcPadrao.setActivePage(tshFolhaDados);
  pgcPadraoChange();
}

void TfrmPadrao::sbtIncluirClick() {
  if (ClientDataSet* ds = currentSet(); ds && ds->active()) ds->append();
}

void TfrmPadrao::sbtAlterarClick() {
  if (ClientDataSet* ds = currentSet(); ds && ds->active()) ds->edit();
}

void TfrmPadrao::sbtExcluirClick() {
  ClientDataSet* ds = currentSet();
  if (!ds || !ds->active() || (ds->isEmpty() && ds->state() != DataSetState::Insert)) return;
  if (msgPadrao.ShowMsg("CONF_EXCL", MsgKind::Confirmation, MsgButtons::YesNo) == MsgResult::Yes) ds->remove();
}

void TfrmPadrao::sbtProcurarClick() {
  if (ClientDataSet* ds = currentSet(); ds && ds->active()) ui().searchRecord(*ds);
}

void TfrmPadrao::sbtVerificarClick() {
  if (ClientDataSet* ds = currentSet(); ds && ds->active()) ds->checkBrowseMode();
}

void TfrmPadrao::sbtCancelarClick() {
  if (ClientDataSet* ds = currentSet()) ds->cancel();
}

void TfrmPadrao::sbtConfirmarClick() {
  if (ClientDataSet* ds = currentSet(); ds && ds->editing()) ds->post();
}

void TfrmPadrao::dbgPadraoKeyDown(DBGrid& grid, int& key, ShiftState shift) {
  ClientDataSet* ds = grid.dataSet();
  if (!ds || !ds->active()) return;
  if (key == vk::Delete && (shift & ssCtrl)) {
    key = 0;
    if (sbtExcluir.available()) sbtExcluirClick();
    return;
  }
  const bool plain = !(shift & (ssCtrl | ssAlt | ssShift));
  if (plain && key == vk::Insert) {
    key = 0;
    if (ds == currentSet() && sbtIncluir.available()) sbtIncluirClick();
    return;
  }
  if (plain && key == vk::Down && grid.currentRow() == grid.rowCount() - 1) {
    key = 0;
    if (ds != currentSet()) return;
    if (ds->editing()) {
      grid.updateData();
      // An untouched new row stays; a changed row is confirmed first.
      if (ds->state() == DataSetState::Insert && !ds->modified()) return;
      if (!sbtConfirmar.available()) return;
      sbtConfirmarClick();
    }
    if (sbtIncluir.available()) sbtIncluirClick();
    return;
  }
  // Field-tag rule: bit 0 marks a field typable only while inserting.
  const Field* f = grid.selectedField();
  if (f && (f->tag() & 1) && f->dataSet().state() != DataSetState::Insert && isTypingKey(key, shift)) key = 0;
}

void TfrmPadrao::dtsPadraoStateChange() {
  ClientDataSet* ds = currentSet();
  const DataSetState s = dtsPadrao.state();
  const bool browse = s == DataSetState::Browse;
  const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
  const bool row = browse && ds && !ds->isEmpty();
  mnuIncluir.setEnabled(browse);
  mnuAlterar.setEnabled(row);
  mnuExcluir.setEnabled(row);
  mnuProcurar.setEnabled(row);
  mnuVerificar.setEnabled(browse);
  mnuCancelar.setEnabled(editing);
  mnuConfirmar.setEnabled(editing);
  const std::pair<MenuItem*, Button*> mirror[] = {{&mnuIncluir, &sbtIncluir},     {&mnuAlterar, &sbtAlterar},
                                                  {&mnuExcluir, &sbtExcluir},     {&mnuProcurar, &sbtProcurar},
                                                  {&mnuVerificar, &sbtVerificar}, {&mnuCancelar, &sbtCancelar},
                                                  {&mnuConfirmar, &sbtConfirmar}};
  for (const auto& [item, button] : mirror) button->setEnabled(item->enabled());
  dbnPadrao.setEnabled(browse);
  for (TabSheet* page : pgcPadrao.pages())
    if (page != pgcPadrao.activePage()) page->setEnabled(!editing);
}

}  // namespace platform
