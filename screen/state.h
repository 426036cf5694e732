#pragma once
// Page changes and the availability of actions and pages
// (screen/state.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <utility>
#include <vector>

#include "screen/screenpart.h"

namespace platform {
class MenuItem;
class TabSheet;
}  // namespace platform

namespace screen {

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
  void cdsPedidoVendaBeforeScroll();
  void cdsReducaoZBeforeScroll();
  void mnuRecebimentoClick();
  void mnuItensCanceladosClick();
  void dbnPadraoClick();
  void mnuCancelaVendaClick();
  void mnuConcluiVendaClick();
  // Each page menu item with its page, outer pages first.
  std::vector<std::pair<platform::MenuItem*, platform::TabSheet*>> pageMenus_;
  // Checks the page menu items whose pages are active.
  void checkPageMenus();
};

}  // namespace screen
