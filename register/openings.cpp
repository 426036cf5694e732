#include "register/register.h"

#include "platform/declare.h"

namespace cashregister {

using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kAberCaixa[] = {
    {.name = "IDSITUACAO", .type = FieldType::DateTime, .label = "Situação"},
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CAIXA", .type = FieldType::String, .size = 36, .label = "Caixa", .visible = false},
    {.name = "DTABERCAIX", .type = FieldType::DateTime, .label = "Data Abertura"},
    {.name = "NMOPERADOR", .type = FieldType::String, .size = 40, .visible = false},
    {.name = "DTFECHCAIX", .type = FieldType::DateTime, .label = "Data Fechamento"},
    {.name = "NMOPEFECHA", .type = FieldType::String, .size = 40, .label = "Operador Fechamento", .visible = false},
    {.name = "VRMOVIVEND", .type = FieldType::Float, .visible = false},
    {.name = "CDTIPORECE", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NMTIPORECE", .type = FieldType::String, .size = 40, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NMCAIXA", .type = FieldType::String, .size = 30, .visible = false},
    {.name = "DTMOVTURCAIX", .type = FieldType::DateTime, .label = "Data Movimento", .visible = false},
    {.name = "NRECFTURCAIX", .type = FieldType::String, .size = 4, .label = "Nr. ECF", .visible = false},
    {.name = "CDOPERADOR", .type = FieldType::String, .size = 12, .visible = false},
    {.name = "CDOPERABER", .type = FieldType::String, .size = 12, .label = "Operador", .visible = false},
};

constexpr ColumnSpec kAberCaixaColumns[] = {
    {.field = "IDSITUACAO", .width = 47},   {.field = "DTABERCAIX", .width = 115},
    {.field = "DTMOVTURCAIX", .width = 95}, {.field = "CDOPERABER", .width = 148},
    {.field = "DTFECHCAIX", .width = 122},  {.field = "NMOPERADOR", .visible = false},
};

constexpr FieldSpec kOperador[] = {
    {.name = "CDOPERADOR", .size = 30, .label = "Código", .displayWidth = 20},
    {.name = "NMOPERADOR", .size = 100, .label = "Nome"},
};

constexpr FieldSpec kRegistro[] = {{.name = "REGISTRO", .type = FieldType::Float}};

constexpr FieldSpec kVdOperador[] = {
    {.name = "CDOPERADOR", .size = 12},
    {.name = "NMOPERADOR", .size = 50},
};

}  // namespace

void declareAberCaixa(platform::ClientDataSet& cdsAberCaixa) { platform::declareFields(cdsAberCaixa, kAberCaixa); }

void declareAberCaixaColumns(platform::DBGrid& dbgAberCaixa) {
  platform::declareColumns(dbgAberCaixa, kAberCaixaColumns);
  platform::GridOptions o;
  o.confirmDelete = true;
  dbgAberCaixa.setOptions(o);
}

void declareOperador(platform::ClientDataSet& cdsOperador) { platform::declareFields(cdsOperador, kOperador); }

void declareRegistro(platform::ClientDataSet& set) { platform::declareFields(set, kRegistro); }

void declareVdOperador(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CDOPERADOR, NMOPERADOR\nFROM\n   OPERADOR\nWHERE\n"
      "   (CDOPERADOR = :P_CDOPERADOR) OR (:P_TCDOPERADOR = 'T')\n ";
  platform::declareFields(q, kVdOperador);
}

std::string aberCaixaMask(const std::string& dateMask) {
  const size_t keep = dateMask.size() > 4 ? dateMask.size() - 4 : 0;
  return dateMask.substr(0, keep) + " !90:00:00;1; ";
}

}  // namespace cashregister
