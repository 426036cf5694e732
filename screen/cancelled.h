#pragma once
// Cancelled items (screen/cancelled.cpp): the items' figure rules on the
// cancelled-item fields; each change is sent at once.
//
// Thread-safety: none; the user-interface thread only.

#include "screen/partfwd.h"

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

  // Handlers of the cancelled items, wired by wire().
  void cdsItensCanceladosCalcFields(platform::ClientDataSet& ds);
  void cdsItensCanceladosBeforeInsert(platform::ClientDataSet&);
  void cdsItensCanceladosBeforeEdit(platform::ClientDataSet&);
  void cdsItensCanceladosBeforeDelete(platform::ClientDataSet&);
  void cdsItensCanceladosAfterInsert(platform::ClientDataSet& ds);
  void cdsItensCanceladosBeforePost(platform::ClientDataSet& ds);
  void cdsItensCanceladosAfterPost(platform::ClientDataSet&);
  void cdsItensCanceladosAfterDelete(platform::ClientDataSet&);
  void dbgItensCanceladosColExit(platform::Control& sender);
  void dbgItensCanceladosEditButtonClick(platform::Control&);
};

}  // namespace screen
