#pragma once
// Verify, search and the reloads on record moves (screen/retrieval.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <vector>

#include "platform/remotebatch.h"
#include "screen/screenpart.h"

namespace screen {

class Retrieval : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void sbtVerificarClick();
  void sbtProcurarClick();
  void cdsPedidoVendaAfterScroll();
  // The calls moving to the sale `key` names makes, in their order.
  static std::vector<platform::RemoteCall> saleMoveCalls(const std::vector<platform::Value>& key);
  // Shows the loaded cdsSumVenda's SOMA in the three total boxes.
  void showSumVenda();
};

}  // namespace screen
