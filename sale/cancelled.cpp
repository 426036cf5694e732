#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::Alignment;
using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kItensCancelados[] = {
    {.name = "CDARVPROD", .type = FieldType::String, .size = 20, .label = "Código"},
    {.name = "NMPRODUTO", .type = FieldType::String, .size = 50, .label = "Nome"},
    {.name = "SGUNIDADE", .type = FieldType::String, .size = 10, .label = "Un."},
    {.name = "QTPRODVENDC",
     .type = FieldType::Float,
     .label = "Qtde.",
     .displayFormat = "#,##0.000",
     .editFormat = "0.000"},
    {.name = "VRUNITVENDC",
     .type = FieldType::Float,
     .label = "Vr. Unit",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "VRUNITVENCLC",
     .type = FieldType::Float,
     .label = "Vr. Cliente",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "VRACRITVENDC", .type = FieldType::Float, .label = "Acréscimo", .displayFormat = "#,##0.00"},
    {.name = "VRDESITVENDC",
     .type = FieldType::Float,
     .label = "Desconto",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "VRTOTAL",
     .type = FieldType::String,
     .size = 20,
     .label = "Vr.Total",
     .alignment = Alignment::Right,
     .calculated = true},
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRSEQVENDA", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRSEQITVENDC", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "VRPERCVENDC", .type = FieldType::Float, .visible = false},
    {.name = "CDPRODUTO", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDGRUPPROD", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDSUBGRPROD", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDFISUBGRVNC", .type = FieldType::String, .size = 4, .visible = false},
};

constexpr ColumnSpec kItensCanceladosColumns[] = {
    {.field = "CDARVPROD"},
    {.field = "NMPRODUTO", .width = 138},
    {.field = "SGUNIDADE", .width = 30, .readOnly = true},
    {.field = "QTPRODVENDC", .width = 41},
    {.field = "VRUNITVENDC"},
    {.field = "VRUNITVENCLC"},
    {.field = "VRACRITVENDC"},
    {.field = "VRDESITVENDC", .width = 52},
    {.field = "VRTOTAL", .width = 75},
};

constexpr FieldSpec kCodItensCanc[] = {{.name = "NRSEQITVENDC", .size = 3}};

}  // namespace

void declareItensCancelados(platform::ClientDataSet& cdsItensCancelados) {
  platform::declareFields(cdsItensCancelados, kItensCancelados);
}

void declareItensCanceladosColumns(platform::DBGrid& dbgItensCancelados) {
  platform::declareColumns(dbgItensCancelados, kItensCanceladosColumns);
  dbgItensCancelados.setOptions(detailGridOptions());
}

void declareCodItensCanc(platform::ClientDataSet& cdsCodItensCanc) {
  platform::declareFields(cdsCodItensCanc, kCodItensCanc);
}

}  // namespace sale
