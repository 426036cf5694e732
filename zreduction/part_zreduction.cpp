#include "screen/frmmanutvenda.h"

namespace screen {

void ZReductionPart::wire() {}
void ZReductionPart::pgcReducaoChange() {}

}  // namespace screen
