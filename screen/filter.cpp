#include "screen/frmmanutvenda.h"

namespace screen {

void FilterPanel::wire() {}
void FilterPanel::Vd_Filial(bool) {}
void FilterPanel::Vd_Caixa(bool) {}
void FilterPanel::panFilialEnter() {}
void FilterPanel::panFilialExit() {}

}  // namespace screen
