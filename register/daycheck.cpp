#include "register/daycheck.h"

#include "platform/declare.h"

namespace cashregister {

using platform::Alignment;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kConfereCaixa[] = {
    {.name = "DSCONFERE", .size = 120, .label = "Conferência", .displayWidth = 60},
    {.name = "DSSITUACAO", .size = 12, .label = "Situação"},
    {.name = "DSESPERADO", .size = 20, .label = "Esperado", .alignment = Alignment::Right},
    {.name = "DSENCONTRADO", .size = 20, .label = "Encontrado", .alignment = Alignment::Right},
    {.name = "DSDIFERENCA", .size = 20, .label = "Diferença", .alignment = Alignment::Right},
    {.name = "NRSEQVENDA", .size = 10, .visible = false},
    {.name = "DTABERTUR", .type = FieldType::DateTime, .visible = false},
    {.name = "NRECFREDZ", .size = 10, .visible = false},
    {.name = "IDPAGINAZ", .size = 1, .visible = false},
};

constexpr FieldSpec kReducaoZAnterior[] = {
    {.name = "NRREINIREDZ", .size = 10},
    {.name = "NRREDREDZ", .size = 10},
    {.name = "NRPRIMCFREDZ", .size = 10},
    {.name = "NRULTCFREDZ", .size = 10},
    {.name = "VRGTREDZ", .type = FieldType::Float},
    {.name = "VRVENBRUREDZ", .type = FieldType::Float},
};

}  // namespace

void declareConfereCaixa(platform::ClientDataSet& set) { platform::declareFields(set, kConfereCaixa); }
void declareReducaoZAnterior(platform::ClientDataSet& set) { platform::declareFields(set, kReducaoZAnterior); }

}  // namespace cashregister
