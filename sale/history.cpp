// The record set a sale's history is shown in: one line per recorded
// change, oldest first, read only.
#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::FieldSpec;

namespace {

constexpr FieldSpec kHistorico[] = {
    {.name = "DTAUDITORIA", .size = 19, .label = "Data e hora", .readOnly = true, .displayWidth = 19},
    {.name = "NMOPERADOR", .size = 50, .label = "Operador", .readOnly = true, .displayWidth = 20},
    {.name = "DSOPERACAO", .size = 40, .label = "Operação", .readOnly = true, .displayWidth = 22},
    {.name = "DSREGISTRO", .size = 120, .label = "Registro", .readOnly = true, .displayWidth = 28},
    {.name = "DSALTERACAO", .size = 4000, .label = "Alteração (antes → depois)", .readOnly = true,
     .displayWidth = 60},
};

}  // namespace

void declareHistorico(platform::ClientDataSet& cdsHistorico) { platform::declareFields(cdsHistorico, kHistorico); }

}  // namespace sale
