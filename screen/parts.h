#pragma once
// The screen's concerns and subsystems, each an object composed by
// TfrmManutVenda that wires the handlers of its own components:
//
//   FilterPanel    branch, register and movement date; leaving the panel
//                  loads the day's openings and reference sets
//   Retrieval      the verify action and the reloads on record moves
//   ScreenState    page changes and the availability of actions and pages
//   Saving         the save action and the change logs sent to the server
//   ChangeGuards   the approval lock, open-register guard and date window
//   SalePart       sale header, items, item taxes, receipts, cancelled items
//   RegisterPart   register openings and closing
//   ZReductionPart the Z reduction record and its sub-tables
//
// Each is constructed with the screen (its components already exist) and
// wired once by the screen's constructor; one whose behaviour is not built
// yet wires nothing.
//
// Subsystem parts are declared here and implemented in their folders; the
// screen library and the subsystem libraries link each other.
//
// Thread-safety: none; the user-interface thread only.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/datasource.h"

namespace platform {
class Control;
class DBGrid;
class ClientDataSet;
class Field;
class MenuItem;
class TabSheet;
struct CellContext;
struct CellAppearance;
}  // namespace platform

namespace screen {

class TfrmManutVenda;

class ScreenPart {
 public:
  explicit ScreenPart(TfrmManutVenda& screen) : f(screen) {}
  virtual ~ScreenPart() = default;
  ScreenPart(const ScreenPart&) = delete;
  ScreenPart& operator=(const ScreenPart&) = delete;
  virtual void wire() {}

 protected:
  TfrmManutVenda& f;
};

// Filter panel (screen/filter.cpp).
class FilterPanel : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void Vd_Filial(bool required);
  void Vd_Caixa(bool required);
  void panFilialEnter();
  void panFilialExit();
};

// Verify, search and the sale after-scroll (screen/retrieval.cpp).
class Retrieval : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void sbtVerificarClick();
  void sbtProcurarClick();
  void cdsPedidoVendaAfterScroll();
  // Shows the loaded cdsSumVenda's SOMA in the three total boxes.
  void showSumVenda();
};

// Page change and the availability of actions (screen/state.cpp).
class ScreenState : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void pgcPadraoChange();
  void dtsPadraoStateChange();
  void dtsItensStateChange();
  void dtsTiporeceStateChange();
  // Changes the save action sends that the server has not taken yet (left
  // by a failed save). While there are any, the screen behaves as while
  // editing: only confirm (send again) and cancel (undo them) are offered,
  // and nothing that would reload the records is allowed.
  bool unsentChanges() const;
  // The current sale was typed on this screen and is still pending: only
  // such a sale's details may be changed.
  bool typedPendingSale() const;
  // Refuses, with a message, an action that would reload records holding
  // unsent changes.
  void refuseWhileUnsent() const;

 private:
  // Each page menu item with its page, outer pages first.
  std::vector<std::pair<platform::MenuItem*, platform::TabSheet*>> pageMenus_;
  // Checks the page menu items whose pages are active.
  void checkPageMenus();
};

// The save action (screen/saving.cpp).
class Saving : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void sbtConfirmarClick();
  // Cancels the edit in progress; with none, undoes the changes a failed
  // save left unsent.
  void sbtCancelarClick();
  // The record sets whose change logs the save action sends (sale and Z
  // reduction branches); the others send each change at once.
  std::array<platform::ClientDataSet*, 9> savedSets() const;

 private:
  void saveVenda();
  void saveReducao();
};

// Approval lock, open-register guard, movement-date window (screen/guards.cpp).
class ChangeGuards : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void vd_RedStatus();
  void openRegisterGuard();
  void vd_DataMov();
};

// Sale header, items, taxes, receipts, cancelled items, conclude/cancel,
// seller change (sale/part_*.cpp).
class SalePart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void btnCancelaVendaClick();
  void btnConcluiVendaClick();

  // Sale header (sale/part_header.cpp, part_salesgrid.cpp, part_displays.cpp,
  // part_seller.cpp).
  // Field rules of the sale being typed; each reports through MensErro and
  // leaves the sale in its edit state. `required` false lets an empty code
  // pass.
  void Vd_Cliente(bool required);
  void Vd_Consumidor(bool required);
  void Vd_Servico(bool required);
  void Vd_Vendedor(bool required);
  void Vd_DtVenda();
  void Vd_Hora();

  void cdsPedidoVendaNewRecord();
  void cdsPedidoVendaAfterInsert();
  void cdsPedidoVendaBeforeInsert();
  void cdsPedidoVendaBeforeDelete();
  void cdsPedidoVendaBeforeEdit();
  void cdsPedidoVendaBeforePost();
  void cdsPedidoVendaAfterPost();
  void cdsPedidoVendaAfterCancel();
  void cdsPedidoVendaAfterDelete();
  void cdsPedidoVendaDTENTRVENDASetText(platform::Field& field, const std::string& text);

  // The sales grid.
  void dbgPadraoDrawColumnCell(platform::DBGrid& grid, const platform::CellContext& cell,
                               platform::CellAppearance& look);
  void dbgPadraoKeyPress(char32_t& key);
  void dbgPadraoKeyDown(platform::DBGrid& grid, int& key, unsigned shift);
  void dbgPadraoColExit();
  void dbgPadraoEditButtonClick();

  // Code-to-text displays of the sale's code fields.
  std::string cdsPedidoVendaIDSITUVENDAGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDTIPOVENDAGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDESTOQUEGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDTPEMISVENDGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDORIGEMVENDAGetText(const platform::Field& field) const;

  // Seller change of an existing sale, whatever its status.
  void sbtAlteraVendClick();
  void mnuAlteraVendClick();
  void sellerChangeBeforePost();
  // The seller the sale had when the change started.
  std::string sellerChangeOldSeller;

  // Look-up sources of the sales grid's columns.
  platform::DataSource dtsCliente{"dtsCliente"};
  platform::DataSource dtsVendedor{"dtsVendedor"};
  platform::DataSource dtsPesqServico{"dtsPesqServico"};

 private:
  void wireSalesGrid();
  void wireDisplays();
  void wireSeller();
  // The guards shared by before-insert, before-delete and before-edit.
  void openRegisterAndPermission();
  // Brings the sales page to front and puts the user on the field, for a
  // rule that failed.
  void focusSaleField(const char* fieldName, bool salesPage);
  void pickSeller();

 public:
  // Each area wires its own handlers (sale/part_<area>.cpp).
  void wireHeader();
  void wireItems();

  // The receipt check run by the save action before the receipts' change
  // log is sent (sale/part_receipts.cpp); false or a raise stops the save.
  bool Verifica_Recebimento();

  // Items and item taxes (sale/part_items.cpp, sale/part_product.cpp,
  // sale/part_itemtaxes.cpp).
  // The item being posted is new (set by the item's before-post, read by
  // the tax insertion that follows it).
  bool boState = false;
  // A key was typed in the quantity cell of a new item that already shows
  // tax rows; cleared when the quantity column (or the cancelled items'
  // quantity column) is left.
  bool quantityTyped = false;
  void Vd_CdProduto(bool required);
  void Vd_Quantidade(bool required);
  void Vd_VrDesc();
  void Vd_VrAcre();
  void Vd_PrecoVazio();
  // Asks the server for the item's unit and client prices.
  void retornaPrecoItem(const std::string& cdProduto);
  // The product pick list of the item's code cell.
  void pesquisaProduto();
  // Creates the tax rows of a new item or re-posts those of an existing one.
  void InsereImpostoItens();
  // Recomputes the item's tax values after its unit price changed.
  void recalculaImpostoItem();
  // GetSumVenda for the current sale, shown in the three total boxes.
  void atualizaTotalVenda();

  // Cancelled items (sale/part_cancelled.cpp): the items' figure rules on
  // the cancelled-item fields; each change is sent at once.
  void Vd_CdProdutoCanc(bool required);
  void Vd_QuantidadeCanc(bool required);
  void Vd_PrecoVazioCanc();
  void Vd_VrDescCanc();
  void Vd_VrAcreCanc();
  // Asks the server for the cancelled item's unit and client prices.
  void precoItemCancelado(const std::string& cdProduto);

 private:
  void wireCancelledItems();
  void wireItemTaxes();
  void applyItemTaxFilter();
  bool itemKeyBlocked(const std::string& fieldName) const;
  // The user may not insert tax rows; the screen's own insertion lifts this.
  bool blockTaxInsert_ = true;
};

// Register openings and closing (register/part_*.cpp).
class RegisterPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void cdsAberCaixaAfterScroll();  // register/part_scroll.cpp
  // The current opening's sales and the first one's total.
  void loadOpeningSales();
  void btnFecharCaixaClick();

  // Openings (register/part_register.cpp).
  void vd_Abertura();
  void vd_operador(bool required);
  void dbgAberCaixaColExit();
  void dbgAberCaixaEditButtonClick();

 private:
  // Sends the openings' change log at once; a refusal undoes every pending
  // change of the openings.
  void sendAberCaixa(const char* captionKey);
};

// The Z reduction record and its sub-tables (zreduction/part_*.cpp).
class ZReductionPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  // Inner page change: points dtsPadrao at the inner page's record set.
  void pgcReducaoChange();
  // Entry into the "Redução Z" page: page change, state refresh, and the Z
  // reductions fetched when they are not loaded yet.
  void tshReducaoEnter();
  // The current Z reduction changed: its four sub-tables are fetched again.
  void cdsReducaoZAfterScroll();
};

}  // namespace screen
