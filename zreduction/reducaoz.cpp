#include "zreduction/zreduction.h"

#include "platform/declare.h"

namespace zreduction {

using platform::ColumnSpec;
using platform::FieldSpec;
using platform::FieldType;

namespace {

constexpr FieldSpec kReducaoZ[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRECFREDZ", .type = FieldType::String, .size = 10, .label = "Nº do ECF"},
    {.name = "DTREDUCAOZ", .type = FieldType::DateTime, .label = "Data"},
    {.name = "NRREINIREDZ", .type = FieldType::String, .size = 10, .label = "Reinício", .visible = false},
    {.name = "NRREDREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRLEITREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRGERCNFREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRCANCFREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "NRPRIMCFREDZ", .type = FieldType::String, .size = 10, .visible = false, .editMask = "9999999999;0; "},
    {.name = "NRULTCFREDZ", .type = FieldType::String, .size = 10, .visible = false, .editMask = "9999999999;0; "},
    {.name = "VRGTREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRVENBRUREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRISSREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRTOTCANREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRTOTDESREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRVENLIQREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRTOTACRREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRSTRIBREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRISENCREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "VRNINCIDREDZ", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "QTTEMLIGREDZ", .type = FieldType::String, .size = 6, .visible = false},
    {.name = "QTTEMPCFREDZ", .type = FieldType::String, .size = 6, .visible = false},
    {.name = "QTMEMRESREDZ", .type = FieldType::Float, .visible = false},
    {.name = "VRGTREDZINI", .type = FieldType::Float, .visible = false, .displayFormat = "0.00", .calculated = true},
    {.name = "IDORIGEMREDZ", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRSERIEREDZ", .type = FieldType::String, .size = 30, .label = "Nº de série", .visible = false},
    {.name = "IDSTATUS", .type = FieldType::String, .size = 1, .visible = false},
    {.name = "CDOPERADOR", .type = FieldType::String, .size = 12, .visible = false},
    {.name = "DSMODMARCAECF", .type = FieldType::String, .size = 30},
};

// cdsVerifReducaoZ declares the columns up to VRGTREDZINI.
constexpr size_t kVerifReducaoZCount = 25;

constexpr ColumnSpec kFolhaRZColumns[] = {
    {.field = "DTREDUCAOZ", .title = "Data Redução Z"},
    {.field = "NRECFREDZ"},
};

constexpr FieldSpec kImposto[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .label = "Código", .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .label = "Caixa", .visible = false},
    {.name = "DTREDUCAOZ", .type = FieldType::DateTime, .label = "Data", .visible = false},
    {.name = "SGIMPOSTO", .type = FieldType::String, .size = 10, .label = "Imposto"},
    {.name = "VRALIQIMPRZ",
     .type = FieldType::Float,
     .label = "Valor Percentual",
     .displayFormat = "#,##0.00",
     .editFormat = "#,##0.00"},
    {.name = "VRBCALCIMPRZ", .type = FieldType::Float, .label = "Valor Base", .displayFormat = "#,##0.00"},
    {.name = "VRIMPOSTORZ", .type = FieldType::Float, .label = "Vr. Imposto", .displayFormat = "#,##0.00"},
    {.name = "NRECFREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "CDIMPOSTO", .type = FieldType::String, .size = 2, .visible = false},
};

constexpr ColumnSpec kImpostoColumns[] = {
    {.field = "SGIMPOSTO", .ellipsis = true},
    {.field = "VRALIQIMPRZ", .width = 109},
    {.field = "VRBCALCIMPRZ", .width = 87},
    {.field = "VRIMPOSTORZ", .title = "Valor Imposto", .width = 71, .readOnly = true},
};

constexpr FieldSpec kTotaliz[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "DTREDUCAOZ", .type = FieldType::DateTime, .visible = false},
    {.name = "NRTOTNFISCRZ", .type = FieldType::String, .size = 10, .label = "Número"},
    {.name = "DSTOTNFISCRZ", .type = FieldType::String, .size = 50, .label = "Descrição"},
    {.name = "NRCONTOTNFIS", .type = FieldType::String, .size = 10, .label = "Contador"},
    {.name = "VRACUTOTNFIS",
     .type = FieldType::Float,
     .label = "Valor Acumulado",
     .displayFormat = "0.00",
     .editFormat = "0.00"},
    {.name = "NRECFREDZ", .type = FieldType::String, .size = 10, .visible = false},
};

constexpr ColumnSpec kTotalizColumns[] = {
    {.field = "NRTOTNFISCRZ", .width = 88},
    {.field = "DSTOTNFISCRZ", .width = 243},
    {.field = "NRCONTOTNFIS", .width = 89},
    {.field = "VRACUTOTNFIS", .width = 87},
};

constexpr FieldSpec kFormaPag[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "DTREDUCAOZ", .type = FieldType::DateTime, .visible = false},
    {.name = "CDTIPORECE", .type = FieldType::String, .size = 3, .label = "Código"},
    {.name = "VRFORMPGTORZ", .type = FieldType::Float, .label = "Valor", .displayFormat = "0.00", .editFormat = "0.00"},
    {.name = "NMTIPORECE", .type = FieldType::String, .size = 40, .label = "Nome"},
    {.name = "CDTPRECEORIG", .type = FieldType::String, .size = 3, .label = "Código Receb. Origem"},
    {.name = "NMTPORIGEM", .type = FieldType::String, .size = 40, .label = "Nome Receb. Origem"},
    {.name = "NRECFREDZ", .type = FieldType::String, .size = 10, .visible = false},
};

constexpr ColumnSpec kFormaPagColumns[] = {
    {.field = "CDTIPORECE", .width = 54, .ellipsis = true},
    {.field = "NMTIPORECE"},
    {.field = "VRFORMPGTORZ", .width = 95},
    {.field = "CDTPRECEORIG", .title = "Recebimento Origem", .width = 160},
};

constexpr FieldSpec kObservacao[] = {
    {.name = "CDFILIAL", .type = FieldType::String, .size = 4, .visible = false},
    {.name = "CDCAIXA", .type = FieldType::String, .size = 3, .visible = false},
    {.name = "NRECFREDZ", .type = FieldType::String, .size = 10, .visible = false},
    {.name = "DTREDUCAOZ", .type = FieldType::DateTime, .visible = false},
    {.name = "NRSEQOBSREDZ", .type = FieldType::String, .size = 4, .label = "Código"},
    {.name = "DTOBSERVREDZ", .type = FieldType::DateTime, .label = "Data"},
    {.name = "DSOBSERVREDZ", .type = FieldType::String, .size = 200, .label = "Observação"},
};

constexpr ColumnSpec kObservacaoColumns[] = {
    {.field = "CDFILIAL", .visible = false},
    {.field = "CDCAIXA", .visible = false},
    {.field = "NRECFREDZ", .visible = false},
    {.field = "DTREDUCAOZ", .visible = false},
    {.field = "NRSEQOBSREDZ"},
    {.field = "DTOBSERVREDZ"},
    {.field = "DSOBSERVREDZ"},
};

constexpr FieldSpec kValorTotal[] = {{.name = "VRTOTAL", .type = FieldType::Float, .readOnly = true}};
constexpr FieldSpec kValor[] = {{.name = "VALOR", .type = FieldType::Float, .readOnly = true}};
constexpr FieldSpec kSoma[] = {{.name = "VRMOVIVEND", .type = FieldType::Float, .readOnly = true}};
constexpr FieldSpec kProxCod[] = {{.name = "NRSEQOBSREDZ", .size = 4, .readOnly = true}};

constexpr FieldSpec kTipoRecFields[] = {
    {.name = "CDTIPORECE", .size = 3, .label = "Código"},
    {.name = "NMTIPORECE", .size = 40, .label = "Nome"},
};

constexpr FieldSpec kTipReceOrig[] = {
    {.name = "CDTIPORECE", .size = 3, .label = "Código"},
    {.name = "NMTIPORECE", .size = 40, .label = "Nome"},
    {.name = "CDFPIMPFIS", .size = 10, .visible = false},
};

constexpr FieldSpec kPesquisaImp[] = {
    {.name = "CDIMPOSTO", .size = 2},
    {.name = "SGIMPOSTO", .size = 10, .label = "Sigla"},
    {.name = "NMIMPOSTO", .size = 30, .label = "Nome"},
};

using enum EditEnabled;

constexpr EditSpec kFormRedEdits[] = {
    {"depReducaoZ", "DTREDUCAOZ", "Data Redução Z ", "", false, Never},
    {"dbeNrECF", "NRECFREDZ", "Nº do ECF", "", true, Inserting},
    {"dbeReInicio", "NRREINIREDZ", "Reinício", "", true},
    {"dbeSerieRedZ", "NRSERIEREDZ", "Nº de Série", "", true, Inserting},
    {"dbeReducao", "NRREDREDZ", "Redução", "Contadores", true},
    {"dbeLeituraX", "NRLEITREDZ", "Leitura X", "Contadores", false},
    {"dbeComprNFiscal", "NRGERCNFREDZ", "Comprovante não Fiscal", "Contadores", false},
    {"dbeCancelamento", "NRCANCFREDZ", "Canc. de Cupom Fiscal", "Contadores", false},
    {"dbePrimCFiscal", "NRPRIMCFREDZ", "Cupom Fiscal Inicial", "Contadores", true},
    {"dbeUltCFiscal", "NRULTCFREDZ", "Cupom Fiscal Final", "Contadores", true},
    {"dbeGranTotal", "VRGTREDZ", "Totalizador Geral (Grande Total Final)", "Totalizadores Fiscais", true},
    {"dbeVendBruta", "VRVENBRUREDZ", "Venda Bruta", "Totalizadores Fiscais", true},
    {"debTotIss", "VRISSREDZ", "Total de ISS", "Totalizadores Fiscais", false},
    {"dbeTotCancel", "VRTOTCANREDZ", "Total de Cancelamentos", "Totalizadores Fiscais", true},
    {"dbeTotDesc", "VRTOTDESREDZ", "Total de Descontos", "Totalizadores Fiscais", false},
    {"dbeVendLiq", "VRVENLIQREDZ", "Venda Líquida", "Totalizadores Fiscais", true},
    {"dbeTotAcre", "VRTOTACRREDZ", "Total Acréscimos", "Totalizadores Fiscais", false},
    {"dbeGranTotIni", "VRGTREDZINI", "Grande Total Inicial", "Totalizadores Fiscais", false, Never},
    {"dbeOrigemRed", "IDORIGEMREDZ", "Origem Redução", "Totalizadores Fiscais", false, Never},
    {"dbeMarcMode", "DSMODMARCAECF", "Marca/Modelo", "Totalizadores Fiscais", true, Always, "Ex: Bematech mp4000"},
};

constexpr EditSpec kDadosAdicEdits[] = {
    {"dbeSubsTributaria", "VRSTRIBREDZ", "Substituição Tributária", "NãoTributados", true},
    {"dbeIsencao", "VRISENCREDZ", "Isenção", "NãoTributados", true},
    {"dbeNaoIncid", "VRNINCIDREDZ", "Não Incidência", "NãoTributados", true},
    {"debTotLig", "QTTEMLIGREDZ", "Total Ligado", "Tempo", false},
    {"dbeEmitCupomFis", "QTTEMPCFREDZ", "Emitindo Cupom Fiscal", "Tempo", false},
    {"dbeMenRes", "QTMEMRESREDZ", "Memória Restante (em dias)", "Tempo", false},
};

platform::GridOptions subTableOptions() {
  platform::GridOptions o;
  o.confirmDelete = true;
  return o;
}

}  // namespace

void declareReducaoZ(platform::ClientDataSet& s) { platform::declareFields(s, kReducaoZ); }

void declareVerifReducaoZ(platform::ClientDataSet& s) {
  platform::declareFields(s, std::span(kReducaoZ).first(kVerifReducaoZCount));
}

void declareFolhaRZColumns(platform::DBGrid& g) {
  platform::declareColumns(g, kFolhaRZColumns);
  platform::GridOptions o;
  o.editing = false;
  o.rowSelect = true;
  g.setOptions(o);
  g.setReadOnly(true);
}

void declareImposto(platform::ClientDataSet& s) { platform::declareFields(s, kImposto); }

void declareImpostoColumns(platform::DBGrid& g) {
  platform::declareColumns(g, kImpostoColumns);
  g.setOptions(subTableOptions());
}

void declareTotaliz(platform::ClientDataSet& s) { platform::declareFields(s, kTotaliz); }

void declareTotalizColumns(platform::DBGrid& g) {
  platform::declareColumns(g, kTotalizColumns);
  g.setOptions(subTableOptions());
}

void declareFormaPag(platform::ClientDataSet& s) { platform::declareFields(s, kFormaPag); }

void declareFormaPagColumns(platform::DBGrid& g) {
  platform::declareColumns(g, kFormaPagColumns);
  g.setOptions(subTableOptions());
}

void declareObservacao(platform::ClientDataSet& s) { platform::declareFields(s, kObservacao); }

void declareObservacaoColumns(platform::DBGrid& g) {
  platform::declareColumns(g, kObservacaoColumns);
  g.setOptions(subTableOptions());
}

void declareValorTotal(platform::ClientDataSet& s) { platform::declareFields(s, kValorTotal); }
void declareGrandeTotal(platform::ClientDataSet& s) { platform::declareFields(s, kValor); }
void declareSoma(platform::ClientDataSet& s) { platform::declareFields(s, kSoma); }
void declareSomaForma(platform::ClientDataSet& s) { platform::declareFields(s, kValor); }
void declareProxCod(platform::ClientDataSet& s) { platform::declareFields(s, kProxCod); }
void declareTipReceOrig(platform::ClientDataSet& s) { platform::declareFields(s, kTipReceOrig); }

void declarePesquisaImp(platform::TADOIBQuery& q) {
  q.SQL =
      "SELECT CDIMPOSTO, SGIMPOSTO, NMIMPOSTO FROM IMPOSTO WHERE ((SGIMPOSTO = :P_SGIMPOSTO)  OR "
      "(:P_TSGIMPOSTO = 'T'))";
  platform::declareFields(q, kPesquisaImp);
}

// One text per dialect; the generic one serves the databases the suite's
// own dialects do not name.
void declareTipoRec(platform::TADOIBQuery& q) {
  q.SQL_ORACLE =
      "SELECT CDTIPORECE, NMTIPORECE FROM TIPORECE WHERE CDTIPORECE = NVL(:P_CDTIPORECE, CDTIPORECE) "
      "ORDER BY CDTIPORECE";
  q.SQL_MSSQL =
      "SELECT CDTIPORECE, NMTIPORECE FROM TIPORECE WHERE CDTIPORECE = ISNULL(:P_CDTIPORECE, CDTIPORECE) "
      "ORDER BY CDTIPORECE";
  q.SQL_IB =
      "SELECT CDTIPORECE, NMTIPORECE FROM TIPORECE, PARAM(:P_CDTIPORECE) P_CDTIPORECE WHERE CDTIPORECE = "
      "NVLSTR(P_CDTIPORECE.PARAM, CDTIPORECE) ORDER BY CDTIPORECE";
  q.SQL =
      "SELECT CDTIPORECE, NMTIPORECE FROM TIPORECE WHERE CDTIPORECE = COALESCE(:P_CDTIPORECE, CDTIPORECE) "
      "ORDER BY CDTIPORECE";
  platform::declareFields(q, kTipoRecFields);
}

std::span<const EditSpec> formRedEdits() { return kFormRedEdits; }
std::span<const EditSpec> dadosAdicEdits() { return kDadosAdicEdits; }

}  // namespace zreduction
