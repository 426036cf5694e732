#include "screen/frmmanutvenda.h"

namespace screen {

void Saving::wire() {}
void Saving::sbtConfirmarClick() {}

}  // namespace screen
