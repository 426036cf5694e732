#pragma once
// Cancelled items (screen/cancelled.cpp): the items' figure rules on the
// cancelled-item fields; each change is sent at once.
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "screen/screenpart.h"

namespace screen {

class CancelledItemsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void Vd_CdProdutoCanc(bool required);
  void Vd_QuantidadeCanc(bool required);
  void Vd_PrecoVazioCanc();
  void Vd_VrDescCanc();
  void Vd_VrAcreCanc();
  // Asks the server for the cancelled item's unit and client prices.
  void precoItemCancelado(const std::string& cdProduto);
};

}  // namespace screen
