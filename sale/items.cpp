#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::Alignment;
using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kItens[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "NRSEQVENDA", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRSEQUITVEND", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NMPRODUTO", .type = FieldType::String, .size = 50, .label = "Nome"},
    {.name = "CDARVPROD", .type = FieldType::String, .size = 20, .label = "Código"},
    {.name = "CDPRODUTO", .type = FieldType::String, .size = 20, .label = "Código", .visible = false},
    {.name = "SGUNIDADE", .type = FieldType::String, .size = 10, .label = "Un."},
    {.name = "QTPRODVEND",
     .type = FieldType::Float,
     .label = "Qtde.",
     .displayFormat = "#,##0.000",
     .editFormat = "0.000"},
    {.name = "VRUNITVEND",
     .type = FieldType::Float,
     .label = "Vr.Unit.",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "VRPERCVEND",
     .type = FieldType::Float,
     .label = "Perc.Desc.",
     .displayFormat = "#,##0.00",
     .editFormat = "0.00"},
    {.name = "VRDESITVEND",
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
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "VRUNITVENDCL", .type = FieldType::Float, .label = "Vr. Cliente", .displayFormat = "#,##0.00"},
    {.name = "CDGRUPPROD", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDSUBGRPROD", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDFISUBGRVND", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "VRACRITVEND", .type = FieldType::Float, .label = "Vr. Acréscimo", .displayFormat = "#,##0.00"},
};

constexpr ColumnSpec kItensColumns[] = {
    {.field = "CDARVPROD", .width = 122},
    {.field = "NMPRODUTO", .readOnly = true},
    {.field = "SGUNIDADE", .readOnly = true},
    {.field = "QTPRODVEND"},
    {.field = "VRUNITVEND"},
    {.field = "VRUNITVENDCL"},
    {.field = "VRPERCVEND", .visible = false},
    {.field = "VRACRITVEND", .title = "Acréscimo"},
    {.field = "VRDESITVEND"},
    {.field = "VRTOTAL", .readOnly = true},
};

constexpr FieldSpec kProduto[] = {
    {.name = "CDARVPROD", .size = 20, .label = "Código"},
    {.name = "CDPRODUTO", .size = 10, .visible = false},
    {.name = "CDPRODINTE", .size = 20, .label = "Código Externo"},
    {.name = "NMPRODUTO", .size = 50, .label = "Nome"},
    {.name = "SGUNIDADE", .size = 10, .label = "Un."},
};

// The same typed code is accepted as tree code, bar code or external code,
// at the last level of the product tree only.
constexpr const char* kProdValidSql =
    "SELECT P.CDPRODUTO, P.CDPRODINTE, P.NMPRODUTO, P.SGUNIDADE, P.CDARVPROD\n"
    "FROM   PRODUTO P\n"
    "WHERE ((CDARVPROD   = :P_CDPRODUTO) OR (:P_TCDPRODUTO = 'T'))  AND\n"
    "      (CDNVPRODUTO = :P_NIVEL)\n"
    "\n"
    "UNION\n"
    "\n"
    "SELECT P.CDPRODUTO, P.CDPRODINTE, P.NMPRODUTO, P.SGUNIDADE, P.CDARVPROD\n"
    "FROM   PRODUTO P\n"
    "WHERE ((CDBARPRODUTO = :P_CDPRODUTO) OR (:P_TCDPRODUTO = 'T')) AND\n"
    "      (CDNVPRODUTO  = :P_NIVEL)\n"
    "\n"
    "UNION\n"
    "\n"
    "SELECT P.CDPRODUTO, P.CDPRODINTE, P.NMPRODUTO, P.SGUNIDADE, P.CDARVPROD\n"
    "FROM   PRODUTO P\n"
    "WHERE ((CDPRODINTE  = :P_CDPRODUTO) OR (:P_TCDPRODUTO = 'T')) AND\n"
    "      (CDNVPRODUTO = :P_NIVEL)\n"
    "\n";

constexpr FieldSpec kProdValid[] = {
    {.name = "CDPRODUTO", .size = 10}, {.name = "CDPRODINTE", .size = 20}, {.name = "NMPRODUTO", .size = 50},
    {.name = "SGUNIDADE", .size = 10}, {.name = "CDARVPROD", .size = 20},
};

}  // namespace

void declareItens(platform::ClientDataSet& cdsItens) { platform::declareFields(cdsItens, kItens); }

void declareItensColumns(platform::DBGrid& dbgItens) {
  platform::declareColumns(dbgItens, kItensColumns);
  dbgItens.setOptions(detailGridOptions());
}

void declareProduto(platform::ClientDataSet& cdsProduto) { platform::declareFields(cdsProduto, kProduto); }

void declareProdValid(platform::TADOIBQuery& q) {
  q.SQL = kProdValidSql;
  platform::declareFields(q, kProdValid);
}

}  // namespace sale
