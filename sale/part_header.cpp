#include "screen/frmmanutvenda.h"

namespace screen {

void SalePart::wireHeader() {}

}  // namespace screen
