// The screen's record sets and local queries: each subsystem declares its
// own; the screen frame declares the reference sets loaded with the filter,
// the sale total and the branch permission.
#include "platform/declare.h"
#include "register/daycheck.h"
#include "register/register.h"
#include "sale/sale.h"
#include "screen/frmmanutvenda.h"
#include "zreduction/zreduction.h"

namespace screen {

using namespace platform;

namespace {

constexpr FieldSpec kParametro[] = {
    {.name = "IDORIGVENDA", .size = 1},  {.name = "CDTABEPREC", .size = 3},   {.name = "IDALTPRECO", .size = 1},
    {.name = "CDGRPRODPDV", .size = 10}, {.name = "IDUTSUBTCONS", .size = 1},
};

constexpr FieldSpec kClientePV[] = {
    {.name = "CDCLIENTE", .size = 21},
    {.name = "NMRAZSOCCLIE", .size = 50},
    {.name = "NRINSJURCLIE", .size = 20},
};

constexpr FieldSpec kCadastroECF[] = {
    {.name = "CDFILIAL", .size = 4},
    {.name = "CDCAIXA", .size = 3},
    {.name = "NRSERIE", .size = 30},
    {.name = "NRECF", .size = 10},
};

constexpr FieldSpec kReducaoAnt[] = {{.name = "NRREDREDZ", .size = 10}};
constexpr FieldSpec kSumVenda[] = {{.name = "SOMA", .type = FieldType::Float}};
constexpr FieldSpec kPerManut[] = {{.name = "IDPERMANUTVEN", .size = 1}};

constexpr FieldSpec kVdDataAbe[] = {
    {.name = "DTPROCVND", .type = FieldType::DateTime},
    {.name = "IDPERLANCANTDP", .size = 1},
    {.name = "IDPERLANCPOSDP", .size = 1},
    {.name = "NRDIAANTLANC", .type = FieldType::Float},
    {.name = "NRDIAPOSLANC", .type = FieldType::Float},
};

constexpr FieldSpec kFilial[] = {
    {.name = "CDFILIAL", .size = 4, .label = "Código"},
    {.name = "NMFILIAL", .size = 30, .label = "Nome"},
    {.name = "CDSEGMER", .size = 5, .visible = false},
    {.name = "CDEMPRESA", .size = 2, .visible = false},
};

constexpr FieldSpec kPesqCaixa[] = {
    {.name = "CDCAIXA", .size = 3, .label = "Código"},
    {.name = "NMCAIXA", .size = 30, .label = "Nome"},
};

void declareFilterQueries(TADOIBQuery& qryFilial, TADOIBQuery& qryPesqCaixa) {
  qryFilial.SQL =
      "SELECT CDFILIAL, NMFILIAL, CDSEGMER, CDEMPRESA FROM FILIAL WHERE ((CDFILIAL = :P_CDFILIAL) OR "
      "(:P_TCDFILIAL = 'T')) ORDER BY CDFILIAL";
  declareFields(qryFilial, kFilial);
  // A null register lists every register of the branch.
  qryPesqCaixa.SQL_ORACLE =
      "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND (CDCAIXA = NVL(:P_CDCAIXA, "
      "CDCAIXA)) ORDER BY CDCAIXA";
  qryPesqCaixa.SQL_MSSQL =
      "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND (CDCAIXA = ISNULL(:P_CDCAIXA, "
      "CDCAIXA)) ORDER BY CDCAIXA";
  qryPesqCaixa.SQL_IB =
      "SELECT CDCAIXA, NMCAIXA FROM CAIXA, PARAM(:P_CDCAIXA) P_CDCAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND "
      "(CDCAIXA = NVLSTR(P_CDCAIXA.PARAM, CDCAIXA))";
  qryPesqCaixa.SQL =
      "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND (CDCAIXA = COALESCE(:P_CDCAIXA, "
      "CDCAIXA)) ORDER BY CDCAIXA";
  declareFields(qryPesqCaixa, kPesqCaixa);
}

}  // namespace

void TfrmManutVenda::declareRecordSets() {
  cashregister::declareAberCaixa(cdsAberCaixa);
  sale::declarePedidoVenda(cdsPedidoVenda);
  sale::declareItens(cdsItens);
  sale::declareImpostoItem(cdsImpostoItem);
  sale::declareTipoRece(cdsTipoRece);
  sale::declareItensCancelados(cdsItensCancelados);
  zreduction::declareReducaoZ(cdsReducaoZ);
  zreduction::declareImposto(cdsImposto);
  zreduction::declareTotaliz(cdsTotaliz);
  zreduction::declareFormaPag(cdsFormaPag);
  zreduction::declareObservacao(cdsObservacao);

  declareFields(cdsParametro, kParametro);
  declareFields(cdsClientePV, kClientePV);
  declareFields(cdsCadastroECF, kCadastroECF);
  declareFields(cdsReducaoAnt, kReducaoAnt);
  declareFields(cdsSumVenda, kSumVenda);
  declareFields(cdsPerManut, kPerManut);
  sale::declareConsumidor(cdsConsumidor);
  sale::declareTipoVenda(cdsTipoVenda);
  declareFields(cdsVdDataAbe, kVdDataAbe);

  sale::declareProduto(cdsProduto);
  sale::declareAliq(cdsAliq);
  sale::declareAliqImpFis(cdsAliqImpFis);
  sale::declareBloqSemImp(adqBloqSemImp);
  zreduction::declareTipReceOrig(cdsTipReceOrig);
  sale::declareSaldoCons(cdsSaldoCons);
  sale::declareIndice(cdsIndice);
  zreduction::declareSoma(cdsSoma);
  zreduction::declareSomaForma(cdsSomaForma);
  sale::declareVerifValorPag(cdsVerifValorPag);
  zreduction::declareValorTotal(cdsValorTotal);
  zreduction::declareGrandeTotal(cdsGrandeTotal);
  sale::declareCodItensCanc(cdsCodItensCanc);
  zreduction::declareVerifReducaoZ(cdsVerifReducaoZ);
  zreduction::declareImposto(cdsVdImpostoZ);
  zreduction::declareTotaliz(cdsVdTotaliz);
  zreduction::declareFormaPag(cdsVdPagto);
  zreduction::declareProxCod(cdsProxCod);
  cashregister::declareOperador(cdsOperador);
  cashregister::declareRegistro(cdsAbertura);
  cashregister::declareRegistro(cdsCaixaAberto);
  cashregister::declareConfereCaixa(cdsConfereCaixa);
  cashregister::declareReducaoZAnterior(cdsReducaoZAnterior);
  sale::declareHistorico(cdsHistorico);

  declareFilterQueries(qryFilial, qryPesqCaixa);
  sale::declareVdCliente(qryVdCliente);
  sale::declareCliente(qryCliente);
  sale::declareVendedor(qryVendedor);
  sale::declarePesqServico(qryPesqServico);
  sale::declareLojaVnd(qryLojaVnd);
  sale::declareProdValid(qryProdValid);
  sale::declarePesqTipoRece(qryPesqTipoRece);
  cashregister::declareVdOperador(qryVdOperador);
  zreduction::declarePesquisaImp(qryPesquisaImp);
  zreduction::declareTipoRec(qryTipoRec);

  sets_ = {&cdsAberCaixa,   &cdsPedidoVenda,  &cdsItens,        &cdsImpostoItem,   &cdsTipoRece,    &cdsItensCancelados,
           &cdsReducaoZ,    &cdsImposto,      &cdsTotaliz,      &cdsFormaPag,      &cdsObservacao,  &cdsParametro,
           &cdsClientePV,   &cdsCadastroECF,  &cdsReducaoAnt,   &cdsSumVenda,      &cdsPerManut,    &cdsConsumidor,
           &cdsTipoVenda,   &cdsVdDataAbe,    &cdsProduto,      &cdsAliq,          &cdsAliqImpFis,  &adqBloqSemImp,
           &cdsTipReceOrig, &cdsSaldoCons,    &cdsIndice,       &cdsSoma,          &cdsSomaForma,   &cdsVerifValorPag,
           &cdsValorTotal,  &cdsGrandeTotal,  &cdsCodItensCanc, &cdsVerifReducaoZ, &cdsVdImpostoZ,  &cdsVdTotaliz,
           &cdsVdPagto,     &cdsProxCod,      &cdsOperador,     &cdsAbertura,      &cdsCaixaAberto, &qryFilial,
           &qryPesqCaixa,   &qryVdCliente,    &qryCliente,      &qryVendedor,      &qryPesqServico, &qryLojaVnd,
           &qryProdValid,   &qryPesqTipoRece, &qryVdOperador,   &qryPesquisaImp,   &qryTipoRec,
           &cdsConfereCaixa, &cdsReducaoZAnterior, &cdsHistorico};

  const std::pair<DataSource*, ClientDataSet*> links[] = {
      {&dtsAberCaixa, &cdsAberCaixa},   {&dtsPedidoVenda, &cdsPedidoVenda},
      {&dtsItens, &cdsItens},           {&dtsImpostoItem, &cdsImpostoItem},
      {&dtsTipoRece, &cdsTipoRece},     {&dtsItensCancelados, &cdsItensCancelados},
      {&dtsReducaoZ, &cdsReducaoZ},     {&dtsImposto, &cdsImposto},
      {&dtsTotaliz, &cdsTotaliz},       {&dtsFormaPag, &cdsFormaPag},
      {&dtsObservacao, &cdsObservacao}, {&dtsFilial, &qryFilial},
      {&dtsPesqCaixa, &qryPesqCaixa},   {&dtsProduto, &cdsProduto},
      {&dtsOperador, &cdsOperador},     {&dtsPesqTipoRece, &qryPesqTipoRece},
      {&dtsConsumidor, &cdsConsumidor}, {&dtsTipoVenda, &cdsTipoVenda},
  };
  for (auto [source, set] : links) source->setDataSet(set);
}

}  // namespace screen
