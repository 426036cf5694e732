#pragma once
// Register openings and closing (screen/openings.cpp, openings_scroll.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/partfwd.h"

namespace screen {

class RegisterPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void cdsAberCaixaAfterScroll();
  // The current opening's sales and the first one's total.
  void loadOpeningSales();
  void btnFecharCaixaClick();

  void vd_Abertura();
  void vd_operador(bool required);
  void dbgAberCaixaColExit();
  void dbgAberCaixaEditButtonClick();

  // Handlers of the openings and their menu items, wired by wire().
  void cdsAberCaixaBeforeInsert(platform::ClientDataSet& s);
  void cdsAberCaixaAfterInsert(platform::ClientDataSet& s);
  void cdsAberCaixaBeforeEdit(platform::ClientDataSet&);
  void cdsAberCaixaBeforePost(platform::ClientDataSet& s);
  void cdsAberCaixaAfterPost(platform::ClientDataSet&);
  void cdsAberCaixaBeforeDelete(platform::ClientDataSet&);
  void cdsAberCaixaAfterDelete(platform::ClientDataSet&);
  void cdsAberCaixaIDSITUACAOGetText(platform::Field& field, std::string& text, bool);
  void dbgAberCaixaKeyPress(platform::Control&, char32_t& key);
  void dbgAberCaixaDrawColumnCell(platform::DBGrid&, const platform::CellContext& cell, platform::CellAppearance& look);
  void mnuAberCaixaClick(platform::Control&);
  void mnuFecharCaixaClick(platform::Control&);
  // Sends the openings' pending posts (the one just made, or one the server
  // refused before); a refused one stays on screen as typed, pending, for
  // the user to correct, send again with the confirm action, or cancel.
  void sendPendingOpenings();

 private:
  // Sends the openings' change log at once; with undoRefused a refusal
  // undoes every pending change of the openings.
  void sendAberCaixa(const char* captionKey, bool undoRefused);
};

}  // namespace screen
