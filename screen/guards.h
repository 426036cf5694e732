#pragma once
// The approval lock, the open-register guard and the movement-date window
// (screen/guards.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/screenpart.h"

namespace screen {

class ChangeGuards : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void vd_RedStatus();
  void openRegisterGuard();
  void vd_DataMov();
};

}  // namespace screen
