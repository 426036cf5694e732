#include "screen/frmmanutvenda.h"

namespace screen {

void SalePart::wireItems() {}

}  // namespace screen
