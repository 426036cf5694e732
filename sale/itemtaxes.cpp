#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kImpostoItem[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRSEQVENDA", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRSEQUITVEND", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRSEQITIMPOS", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "CDIMPOSTO", .type = FieldType::String, .size = 2, .label = "Imposto"},
    {.name = "VRPEALPRODIT",
     .type = FieldType::Float,
     .label = "Alíquota %",
     .displayFormat = "#,##0.00",
     .editFormat = "#,##0.00"},
    {.name = "VRIMPOPRODIT", .type = FieldType::Float, .label = "Valor Imposto", .displayFormat = "#,##0.00"},
    {.name = "CDIMPOSTOEX", .type = FieldType::Float, .visible = false},
    {.name = "SGIMPOSTO", .type = FieldType::String, .size = 10, .label = "Imposto"},
    {.name = "CDPRODUTO", .type = FieldType::FixedString, .size = 10},
};

constexpr ColumnSpec kImpostoItemColumns[] = {
    {.field = "SGIMPOSTO", .readOnly = true},
    {.field = "VRPEALPRODIT"},
    {.field = "VRIMPOPRODIT", .readOnly = true},
};

constexpr FieldSpec kAliq[] = {
    {.name = "VRPEALIMPFIS", .type = FieldType::Float},
    {.name = "VRIMPOSTO", .type = FieldType::Float},
    {.name = "CDIMPOSTO", .size = 2},
    {.name = "CDIMPOSTOEX", .size = 2},
    {.name = "SGIMPOSTO", .size = 10},
};

constexpr FieldSpec kAliqImpFis[] = {
    {.name = "VRPEALIMPFIS", .type = FieldType::Float},
    {.name = "CDINTIMPOSTO", .size = 10},
    {.name = "CDIMPOSTO", .size = 2},
    {.name = "SGIMPOSTO", .size = 10},
};

constexpr FieldSpec kBloqSemImp[] = {{.name = "IDBLOQSEMIMP", .size = 1}};

}  // namespace

void declareImpostoItem(platform::ClientDataSet& cdsImpostoItem) {
  platform::declareFields(cdsImpostoItem, kImpostoItem);
}

void declareImpostoItemColumns(platform::DBGrid& dbgImpostoItem) {
  platform::declareColumns(dbgImpostoItem, kImpostoItemColumns);
  for (const char* figure : {"VRPEALPRODIT", "VRIMPOPRODIT"})
    if (platform::Column* c = dbgImpostoItem.columnByField(figure)) c->setTitleAlignment(platform::Alignment::Right);
  dbgImpostoItem.setOptions(detailGridOptions());
}

void declareAliq(platform::ClientDataSet& cdsAliq) { platform::declareFields(cdsAliq, kAliq); }

void declareAliqImpFis(platform::ClientDataSet& cdsAliqImpFis) { platform::declareFields(cdsAliqImpFis, kAliqImpFis); }

void declareBloqSemImp(platform::ClientDataSet& adqBloqSemImp) { platform::declareFields(adqBloqSemImp, kBloqSemImp); }

}  // namespace sale
