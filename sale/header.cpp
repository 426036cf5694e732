#include <array>

#include "platform/declare.h"
#include "sale/sale.h"

namespace sale {

using platform::Alignment;
using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kPedidoVenda[] = {
    {.name = "NRSEQVENDA", .type = FieldType::String, .size = 10, .label = "Nr.Venda"},
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDEMPRESA", .type = FieldType::String, .size = 2, .visible = false},
    {.name = "DTVENDA", .type = FieldType::DateTime, .label = "Data Venda"},
    {.name = "CDCLIENTE", .type = FieldType::String, .size = 21, .visible = false},
    {.name = "CDCONSUMIDOR", .type = FieldType::String, .size = 21, .label = "Consumidor", .visible = false},
    {.name = "CDVENDEDOR", .type = FieldType::String, .size = 4, .label = "Vendedor", .visible = false},
    {.name = "DTENTRVENDA", .type = FieldType::DateTime, .label = "Data Entrega", .visible = false},
    {.name = "IDSITUVENDA", .type = FieldType::String, .size = 1, .label = "Sit.", .visible = false},
    {.name = "DSENDEVENDA", .type = FieldType::String, .size = 60, .visible = false},
    {.name = "DSREFECLIE", .type = FieldType::String, .size = 30, .visible = false},
    {.name = "NRINSJURCLIE", .type = FieldType::String, .size = 20, .label = "Cliente", .visible = false},
    {.name = "NMRAZSOCCLIE", .type = FieldType::String, .size = 50, .label = "Cliente"},
    {.name = "IDTPIJURCLIE", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "NMCONSUMIDOR", .type = FieldType::String, .size = 50, .label = "Consumidor", .visible = false},
    {.name = "NMRAZSOCVEN", .type = FieldType::String, .size = 50, .label = "Vendedor"},
    {.name = "NRFONECLIE", .type = FieldType::String, .size = 25, .visible = false},
    {.name = "VRDESCVENDA", .type = FieldType::Float, .visible = false, .displayFormat = "0.00"},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .label = "Caixa", .visible = false},
    {.name = "DTABERTUR", .type = FieldType::DateTime, .visible = false},
    {.name = "CDFILIALTUR", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXATUR", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "CDSERVFILI", .type = FieldType::String, .size = 5, .label = "Serviço", .visible = false},
    {.name = "NRVENDAEXT", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "IDTIPOIMPV", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "DTFECHAVENDA", .type = FieldType::DateTime, .visible = false},
    {.name = "NRCUPOMFIS", .type = FieldType::String, .size = 10, .label = "Nr. Cupom/ Nr. Nota Fiscal"},
    {.name = "CDLOJA", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "IDTIPOVENDA", .type = FieldType::String, .size = 1, .label = "Tipo Venda", .visible = false},
    {.name = "IDESTOQUE", .type = FieldType::FixedString, .size = 1, .label = "Estoque", .visible = false},
    {.name = "CDCCUSCLIE", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDTIPOCONS", .type = FieldType::String, .size = 2, .visible = false},
    {.name = "CDOPERADOR", .type = FieldType::String, .size = 12, .visible = false, .displayWidth = 12},
    {.name = "HRVENDA", .type = FieldType::String, .size = 10, .label = "Hora Venda", .editMask = "99:99:99;1; "},
    {.name = "NMSERVICO", .type = FieldType::String, .size = 40, .label = "Serviço"},
    {.name = "TXOBSVENDA", .type = FieldType::String, .size = 2000, .visible = false},
    {.name = "NRORDEMVND", .type = FieldType::String, .size = 20, .label = "Nr. de ordem"},
    {.name = "NRSERIEVND", .type = FieldType::String, .size = 20, .label = "Nr. Série Manual"},
    {.name = "NRSUBSERIEVND", .type = FieldType::String, .size = 20, .label = "Nr. de subsérie"},
    {.name = "NRINSCRCONS", .type = FieldType::String, .size = 20, .label = "Inscrição (CPF/CNPJ)", .readOnly = true},
    {.name = "ITENSCANC", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "IDORIGEMVENDA", .type = FieldType::String, .size = 7, .label = "Origem Venda"},
    {.name = "IDTPEMISVEND", .type = FieldType::String, .size = 1, .label = "Tipo de Emissão"},
    {.name = "NRSERIEIMPVND", .type = FieldType::String, .size = 50, .label = "Nr. Série Redução", .displayWidth = 50},
};

constexpr ColumnSpec kPedidoVendaColumns[] = {
    {.field = "IDSITUVENDA", .readOnly = true},
    {.field = "CDCAIXA", .readOnly = true},
    {.field = "NRSEQVENDA", .readOnly = true},
    {.field = "NRCUPOMFIS", .width = 134, .readOnly = true},
    {.field = "DTENTRVENDA", .title = "Data Mov. Venda"},
    {.field = "HRVENDA"},
    {.field = "IDTPEMISVEND"},
    {.field = "NRINSJURCLIE"},
    {.field = "CDCONSUMIDOR"},
    {.field = "NRINSCRCONS"},
    {.field = "IDTIPOVENDA", .width = 95, .readOnly = true},
    {.field = "CDVENDEDOR", .width = 78},
    {.field = "CDSERVFILI"},
    {.field = "IDESTOQUE", .width = 66},
    {.field = "IDORIGEMVENDA", .width = 125},
    {.field = "NRORDEMVND", .width = 82},
    {.field = "NRSERIEVND", .width = 155},
    {.field = "NRSERIEIMPVND", .width = 145},
    {.field = "NRSUBSERIEVND", .width = 82},
};

constexpr FieldSpec kConsumidor[] = {
    {.name = "CDCONSUMIDOR", .size = 21, .label = "Código", .displayWidth = 25},
    {.name = "NMCONSUMIDOR", .size = 50, .label = "Nome"},
    {.name = "CDCCUSCLIE", .size = 10, .visible = false},
    {.name = "CDTIPOCONS", .size = 2, .visible = false},
    {.name = "IDVERSALDCON", .size = 1, .visible = false},
};

constexpr FieldSpec kTipoVenda[] = {
    {.name = "IDTIPOVENDA", .size = 1, .visible = false},
    {.name = "NMTIPOVENDA", .size = 30, .label = "Tipo Venda"},
};

constexpr FieldSpec kClienteFields[] = {
    {.name = "CDCLIENTE", .size = 21, .label = "Código"},
    {.name = "NMRAZSOCCLIE", .size = 50, .label = "Nome"},
    {.name = "NRINSJURCLIE", .size = 20, .label = "Insc. Jurídica"},
};

constexpr FieldSpec kVendedor[] = {
    {.name = "CDVENDEDOR", .size = 4, .label = "Código"},
    {.name = "NMRAZSOCVEN", .size = 50, .label = "Nome"},
};

constexpr FieldSpec kPesqServico[] = {
    {.name = "CDSERVFILI", .size = 5, .label = "Código"},
    {.name = "NMSERVICO", .size = 40, .label = "Nome"},
};

constexpr FieldSpec kLojaVnd[] = {
    {.name = "CDFILIAL", .size = 4},
    {.name = "CDCAIXA", .size = 3},
    {.name = "CDLOJA", .size = 10},
};

}  // namespace

void declarePedidoVenda(platform::ClientDataSet& cdsPedidoVenda) {
  platform::declareFields(cdsPedidoVenda, kPedidoVenda);
}

void declarePedidoVendaColumns(platform::DBGrid& dbgPadrao) {
  platform::declareColumns(dbgPadrao, kPedidoVendaColumns);
  platform::GridOptions o = detailGridOptions();
  o.alwaysShowSelection = true;
  // Status, register and sale number say which sale a row is.
  o.frozenColumns = 3;
  dbgPadrao.setOptions(o);
}

void declareConsumidor(platform::ClientDataSet& cdsConsumidor) { platform::declareFields(cdsConsumidor, kConsumidor); }

void declareTipoVenda(platform::ClientDataSet& cdsTipoVenda) { platform::declareFields(cdsTipoVenda, kTipoVenda); }

// The stored lines of each text are kept as lines, so the statement the
// database receives is the one the branch's administrators know.
void declareVdCliente(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CL.NRINSJURCLIE, CL.CDCLIENTE, CL.NMRAZSOCCLIE\nFROM\n   CLIENTE CL, CLIENFILIAL CF\n"
      "WHERE\n   (CF.CDFILIAL   = :P_CDFILIAL) AND\n"
      "   ((CL.NRINSJURCLIE = :P_NRINSJURCLIE) OR (:P_TODOS = 'T')) AND\n   (CF.CDCLIENTE  = CL.CDCLIENTE)";
  platform::declareFields(q, kClienteFields);
}

void declareCliente(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CL.NRINSJURCLIE, CL.CDCLIENTE, CL.NMRAZSOCCLIE\nFROM\n   CLIENTE CL, CLIENFILIAL CF\n"
      "WHERE\n   (CF.CDFILIAL   = :P_CDFILIAL) AND\n"
      "   ((CL.CDCLIENTE = :P_CDCLIENTE) OR (:P_TCDCLIENTE = 'T')) AND\n   (CF.CDCLIENTE  = CL.CDCLIENTE) \n"
      "ORDER BY\n   CL.CDCLIENTE";
  platform::declareFields(q, kClienteFields);
}

void declareVendedor(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CDVENDEDOR, NMRAZSOCVEN\nFROM\n   VENDEDOR\nWHERE\n"
      "   ((CDVENDEDOR = :P_CDVENDEDOR) OR (:P_TCDVENDEDOR = 'T'))\nORDER BY\n   CDVENDEDOR";
  platform::declareFields(q, kVendedor);
}

void declarePesqServico(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CDSERVFILI, NMSERVICO\nFROM\n   SERVICO\nWHERE\n   (CDFILIAL   = :P_CDFILIAL) AND\n"
      "   (CDSERVFILI = :P_CDSERVFILI OR :P_TODOS = 'T')\nORDER BY\n   CDSERVFILI";
  platform::declareFields(q, kPesqServico);
}

void declareLojaVnd(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT\n   CDFILIAL,\n   CDCAIXA,\n   CDLOJA\nFROM\n   CAIXA\nWHERE\n   (CDFILIAL = :P_CDFILIAL) AND\n"
      "   (CDCAIXA  = :P_CDCAIXA)";
  platform::declareFields(q, kLojaVnd);
}

platform::GridOptions detailGridOptions() {
  platform::GridOptions o;
  o.editing = o.titles = o.columnResize = o.colLines = o.rowLines = o.tabs = true;
  o.confirmDelete = true;
  return o;
}

}  // namespace sale
