#pragma once
// The filter panel: branch, register and movement date. Leaving the panel
// loads the day's openings and the reference sets (screen/filter.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/screenpart.h"

namespace screen {

class FilterPanel : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void Vd_Filial(bool required);
  void Vd_Caixa(bool required);
  void panFilialEnter();
  void panFilialExit();

 private:
  void medFilialChange();
  void medFilialExit();
  void btpFilialBeforeDialog();
  void btpFilialAfterChoice();
  void medCdCaixaChange();
  void medCdCaixaExit();
  void btnPesqCaixaBeforeDialog();
  void btnPesqCaixaAfterChoice();
};

}  // namespace screen
