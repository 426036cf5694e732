#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kTipoRece[] = {
    {.name = "NMTIPORECE", .type = FieldType::String, .size = 40, .label = "Nome"},
    {.name = "CDTIPORECE", .type = FieldType::String, .size = 3, .label = "Código"},
    {.name = "VRMOVIVEND",
     .type = FieldType::Float,
     .label = "Valor",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "DTABERCAIX", .type = FieldType::DateTime, .visible = false},
    {.name = "NRSEQUMOVI", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "IDTIPOMOVIVE", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "DTHRINCMOV", .type = FieldType::DateTime, .visible = false},
    {.name = "NRSEQVENDA", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "DTMOVIMCAIXA", .type = FieldType::DateTime, .visible = false},
    {.name = "VRMOVIVEOUT", .type = FieldType::Float, .visible = false},
    {.name = "IDTIPORECE", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "CDINDICE", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "VRCOTINDOUT", .type = FieldType::Float, .visible = false},
    {.name = "QTPARCRECEB", .type = FieldType::Float},
};

constexpr ColumnSpec kTipoReceColumns[] = {
    {.field = "IDTIPOMOVIVE", .title = "Tipo", .width = 26},
    {.field = "CDTIPORECE", .ellipsis = true},
    {.field = "NMTIPORECE", .readOnly = true},
    {.field = "VRMOVIVEND"},
    {.field = "VRMOVIVEOUT", .title = "Valor (Outras Moedas)", .width = 120, .readOnly = true},
    {.field = "QTPARCRECEB", .title = "Qt.Parcelas"},
};

constexpr FieldSpec kIndice[] = {
    {.name = "CDTPINDICE", .size = 1},
    {.name = "IDPERVALOR", .size = 1},
    {.name = "CDINDICE", .size = 4},
    {.name = "DTREFIND", .type = FieldType::DateTime},
    {.name = "VRINDICE", .type = FieldType::Float},
};

constexpr FieldSpec kSaldoCons[] = {
    {.name = "VRSALDOCONS", .type = FieldType::Float},
    {.name = "VRSALDPECONS", .type = FieldType::Float},
};

constexpr FieldSpec kVerifValorPag[] = {{.name = "VALOR", .type = FieldType::Float, .readOnly = true}};

constexpr FieldSpec kPesqTipoRece[] = {
    {.name = "CDTIPORECE", .size = 3, .label = "Código", .displayWidth = 4},
    {.name = "NMTIPORECE", .size = 40, .label = "Nome"},
    {.name = "IDTIPORECE", .size = 1, .visible = false},
    {.name = "CDINDICE", .size = 4, .visible = false},
};

}  // namespace

void declareTipoRece(platform::ClientDataSet& cdsTipoRece) { platform::declareFields(cdsTipoRece, kTipoRece); }

void declareTipoReceColumns(platform::DBGrid& dbgTipoRece) {
  platform::declareColumns(dbgTipoRece, kTipoReceColumns);
  if (platform::Column* c = dbgTipoRece.columnByField("VRMOVIVEOUT")) c->setTitleAlignment(platform::Alignment::Right);
  if (platform::Column* c = dbgTipoRece.columnByField("QTPARCRECEB")) c->setTitleAlignment(platform::Alignment::Center);
  platform::GridOptions o = detailGridOptions();
  o.indicator = false;
  dbgTipoRece.setOptions(o);
}

void declareIndice(platform::ClientDataSet& cdsIndice) { platform::declareFields(cdsIndice, kIndice); }

void declareSaldoCons(platform::ClientDataSet& cdsSaldoCons) { platform::declareFields(cdsSaldoCons, kSaldoCons); }

void declareVerifValorPag(platform::ClientDataSet& cdsVerifValorPag) {
  platform::declareFields(cdsVerifValorPag, kVerifValorPag);
}

void declarePesqTipoRece(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n  CDTIPORECE,\n  NMTIPORECE,\n  IDTIPORECE,\n  CDINDICE\nFROM\n  TIPORECE\nWHERE\n"
      "   ((CDTIPORECE = :P_CDTIPORECE) OR (:P_TCDTIPORECE = 'T'))\nORDER BY\n   CDTIPORECE";
  platform::declareFields(q, kPesqTipoRece);
}

}  // namespace sale
