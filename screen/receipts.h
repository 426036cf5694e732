#pragma once
// The sale's receipts (screen/receipts.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/screenpart.h"

namespace screen {

class ReceiptsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;

  // The receipt check run by the save action before the receipts' change
  // log is sent; false or a raise stops the save.
  bool Verifica_Recebimento();
};

}  // namespace screen
