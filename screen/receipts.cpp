#include "screen/frmmanutvenda.h"

namespace screen {

// The receipts are accepted as they are until their own check is in place.
bool ReceiptsPart::Verifica_Recebimento() { return true; }

}  // namespace screen
