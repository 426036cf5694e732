#include "screen/frmmanutvenda.h"

namespace screen {

void SalePart::wire() {
  wireHeader();
  wireItems();
}

void SalePart::btnCancelaVendaClick() {}
void SalePart::btnConcluiVendaClick() {}

}  // namespace screen
