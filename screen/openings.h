#pragma once
// Register openings and closing (screen/openings.cpp, openings_scroll.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/screenpart.h"

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

 private:
  // Sends the openings' change log at once; a refusal undoes every pending
  // change of the openings.
  void sendAberCaixa(const char* captionKey);
};

}  // namespace screen
