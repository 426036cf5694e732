#include "screen/frmmanutvenda.h"

namespace screen {

void ScreenState::wire() {}
void ScreenState::pgcPadraoChange() {}
void ScreenState::dtsPadraoStateChange() {}
void ScreenState::dtsItensStateChange() {}
void ScreenState::dtsTiporeceStateChange() {}

}  // namespace screen
