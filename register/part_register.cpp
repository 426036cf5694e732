#include "screen/frmmanutvenda.h"

namespace screen {

void RegisterPart::wire() {}
void RegisterPart::btnFecharCaixaClick() {}

}  // namespace screen
