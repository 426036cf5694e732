#include "screen/frmmanutvenda.h"

namespace screen {

void Retrieval::wire() {}
void Retrieval::sbtVerificarClick() {}
void Retrieval::sbtProcurarClick() {}
void Retrieval::cdsPedidoVendaAfterScroll() {}
void Retrieval::showSumVenda() {}

}  // namespace screen
