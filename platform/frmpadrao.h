#pragma once
// TfrmPadrao: the suite's base maintenance screen. A screen derives from it,
// adds its own controls, record sets and catalogue texts, and replaces base
// steps by overriding the virtual method of the same name (calling the base
// one where it wants the framework's behaviour as well). The controls'
// events are wired to these methods once, in the constructor, so the
// screen's method runs whenever the event fires.
//
// Components:
//   panMenu        toolbar: sbtAjuda, sbtImprimir, sbtFechar, sbtIncluir,
//                  sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar,
//                  sbtCancelar, sbtConfirmar; lblCodTela (the screen code)
//   mnuOperacao    "&Operação": mnuFolhaDados, mnuFormulario
//   mnuManutencao  "&Manutenção": mnuIncluir, mnuAlterar, mnuExcluir,
//                  mnuProcurar, mnuVerificar, mnuCancelar, mnuConfirmar,
//                  mnuListagem, mnuConfigImpressora
//   pgcPadrao      tshFolhaDados (grid dbgPadrao), tshFormulario
//   panNavegador   dbnPadrao
//   dtsPadrao      the current record set's data source (grid, navigator
//                  and toolbar follow it)
//   msgPadrao      the screen's catalogue, falling back to
//                  msgMensagensPadroes (the framework's standard one)
//
// The base steps work on the current record set, the one behind dtsPadrao;
// with none, they do nothing. Life cycle: construct, then create() runs
// FormCreate; close() runs FormClose, which asks for CloseAction::Free.
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "platform/dbcontrols.h"
#include "platform/form.h"
#include "platform/messages.h"

namespace platform {

class TfrmPadrao : public Form {
 public:
  explicit TfrmPadrao(std::string name = "frmPadrao");
  ~TfrmPadrao() override;

  // The record set behind dtsPadrao, or nullptr.
  ClientDataSet* currentSet() const { return dtsPadrao.dataSet(); }

  // --- Base steps (events call these; a screen overrides them).
  // Points the grid and the navigator at dtsPadrao, makes the list page
  // active and runs the state refresh.
  virtual void FormCreate();
  // Cancels a pending edit of the current record set and frees the screen.
  virtual void FormClose(CloseAction& action);
  virtual void FormActivate() {}
  // Checks the page menu item of the active page and runs the state
  // refresh for the record set now current.
  virtual void pgcPadraoChange();
  // Make the form page / the list page active (when enabled) and run the
  // page change.
  virtual void mnuFormularioClick();
  virtual void mnuFolhaDadosClick();
  // Append a row / edit the current row.
  virtual void sbtIncluirClick();
  virtual void sbtAlterarClick();
  // Asks the standard delete confirmation ("CONF_EXCL" of msgPadrao) and
  // deletes the current row on Yes.
  virtual void sbtExcluirClick();
  // The search dialog (ui().searchRecord) on the current record set.
  virtual void sbtProcurarClick();
  // Verify: the record set's refresh belongs to the screen; the base posts
  // or cancels a pending edit (check browse mode).
  virtual void sbtVerificarClick();
  // Cancel / post the pending edit.
  virtual void sbtCancelarClick();
  virtual void sbtConfirmarClick();
  // Printing is the screen's; the base does nothing.
  virtual void mnuListagemClick() {}
  virtual void mnuConfigImpressoraClick() {}
  // The base grid key handling, shared by the screen's grids:
  //   - Ctrl+Delete deletes through sbtExcluirClick (while the delete
  //     action is available), never by the grid's own deletion;
  //   - Insert appends through sbtIncluirClick while the include action
  //     is available and the grid shows the current record set; Down on the
  //     last row does the same, after confirming a changed row through
  //     sbtConfirmarClick (an untouched new row stays as it is); otherwise
  //     both keys are cancelled;
  //   - the field-tag rule: when the selected field's tag has bit 0 set,
  //     keys that would type into the cell are cancelled unless the field's
  //     record set is inserting (codes of existing rows are not retyped).
  virtual void dbgPadraoKeyDown(DBGrid& grid, int& key, ShiftState shift);
  // The default state rule: include while browsing (or on an open empty
  // set), alter, delete and search on a current row, verify while
  // browsing, cancel and confirm while editing; the toolbar mirrors the
  // maintenance menu; navigator enabled while browsing; the page that is
  // not active is enabled only while not editing.
  virtual void dtsPadraoStateChange();

  // --- Components.
  Panel& panMenu;
  Button& sbtAjuda;
  Button& sbtImprimir;
  Button& sbtFechar;
  Button& sbtIncluir;
  Button& sbtAlterar;
  Button& sbtExcluir;
  Button& sbtProcurar;
  Button& sbtVerificar;
  Button& sbtCancelar;
  Button& sbtConfirmar;
  Label& lblCodTela;
  MenuItem& mnuOperacao;
  MenuItem& mnuFolhaDados;
  MenuItem& mnuFormulario;
  MenuItem& mnuManutencao;
  MenuItem& mnuIncluir;
  MenuItem& mnuAlterar;
  MenuItem& mnuExcluir;
  MenuItem& mnuProcurar;
  MenuItem& mnuVerificar;
  MenuItem& mnuCancelar;
  MenuItem& mnuConfirmar;
  MenuItem& mnuListagem;
  MenuItem& mnuConfigImpressora;
  PageControl& pgcPadrao;
  TabSheet& tshFolhaDados;
  DBGrid& dbgPadrao;
  TabSheet& tshFormulario;
  Panel& panNavegador;
  DBNavigator& dbnPadrao;
  DataSource dtsPadrao{"dtsPadrao"};
  TMessages msgPadrao;
  const TMessages& msgMensagensPadroes;

 private:
  void wire();
};

}  // namespace platform
