#pragma once
// The sale's receipts (screen/receipts.cpp): the receipt type rule, the
// completion of a receipt before it is posted (movement keys, foreign
// currency, the consumer-account requirements), the check run before the
// receipts are sent (screen/receipts_check.cpp) and the receipts grid.
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "screen/screenpart.h"

namespace platform {
class ClientDataSet;
class Control;
}  // namespace platform

namespace screen {

class ReceiptsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;

  // Validates the receipt type of the current row and copies its name;
  // `required` false lets an empty type pass.
  void Vd_Recebe(bool required);

  // The receipt check run by the save action before the receipts' change
  // log is sent: the paid amount against the sale total and the consumer's
  // balance. A refusal raises; the receipts not sent stay pending, on the
  // receipts page, for the user to correct or undo.
  bool Verifica_Recebimento();

  void cdsTipoReceBeforeInsert(platform::ClientDataSet& ds);
  void cdsTipoReceAfterInsert(platform::ClientDataSet& ds);
  void cdsTipoReceBeforeEdit(platform::ClientDataSet& ds);
  void cdsTipoReceBeforePost(platform::ClientDataSet& ds);
  void cdsTipoReceAfterPost(platform::ClientDataSet& ds);
  void cdsTipoReceAfterCancel(platform::ClientDataSet& ds);
  void cdsTipoReceBeforeDelete(platform::ClientDataSet& ds);
  void cdsTipoReceAfterDelete(platform::ClientDataSet& ds);

  void dbgTipoReceColExit(platform::Control& sender);
  void dbgTipoReceExit(platform::Control& sender);
  void dbgTipoReceEditButtonClick(platform::Control& sender);
  void dbgTipoReceKeyPress(platform::Control& sender, char32_t& key);
  void dbgTipoReceKeyDown(platform::Control& sender, int& key, unsigned shift);

 private:
  // The approval lock, the open-register guard and the branch permission.
  void changeGuards();
  // The quotation of the receipt's index on the filter's day, into
  // cdsIndice; fetched once per index code and filter.
  void loadQuotation(const std::string& index);
  double saleTotal();
  double paidAmount();
  void checkConsumerBalance(const std::string& kind);

  // The index code cdsIndice holds the quotation of.
  std::string quotationIndex_;
};

}  // namespace screen
