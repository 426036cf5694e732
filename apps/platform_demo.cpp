// Console tour of the platform layer: the date scale and the Brazilian number
// and date forms the screen shows. Stands in for the desktop client until it
// exists.
#include <cstdio>

#include "platform/datetime.h"
#include "platform/format.h"
#include "platform/text.h"

using namespace platform;

int main() {
  std::printf("Manutenção da Venda (Vnd02600) — camada de plataforma\n\n");
  std::printf("Data zero da escala: %s\n", formatDate(DateTime(0)).c_str());
  std::printf("Dia 1 da escala:     %s\n", formatDate(DateTime(1)).c_str());
  std::printf("Hoje:                %s\n", formatDate(today()).c_str());
  std::printf("Agora:               %s\n", formatDateTime(now()).c_str());
  std::printf("Total da venda:      %s\n", formatNumber(1234567.891, "#,##0.00").c_str());
  std::printf("Quantidade:          %s\n", formatNumber(2.5, "#,##0.000").c_str());
  std::printf("\"Manutenção\" tem %zu caracteres.\n", utf8Length("Manutenção"));
  return 0;
}
