#include "screen/frmmanutvenda.h"

namespace screen {

void ChangeGuards::wire() {}
void ChangeGuards::vd_RedStatus() {}
void ChangeGuards::openRegisterGuard() {}
void ChangeGuards::vd_DataMov() {}

}  // namespace screen
