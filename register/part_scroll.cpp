#include "screen/frmmanutvenda.h"

namespace screen {

void RegisterPart::cdsAberCaixaAfterScroll() {}

}  // namespace screen
