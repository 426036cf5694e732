#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/messages.h"
#include "platform/text.h"
#include "screen/msgpadrao.h"

using platform::msgMensagensPadroes;
using screen::msgPadrao;

namespace {

// Every key the screen raises, shows or captions with a text of its own.
constexpr std::string_view kScreenKeys[] = {
    "fili_inf",
    "fili_n_cad",
    "Caixa_inf",
    "Caixa_n_cad",
    "DtDeve",
    "DataAber_Inc",
    "Filial_PerManut",
    "Get_Vendas",
    "Get_AberCaixa",
    "Get_PedidoVenda",
    "Get_ItemVenda",
    "Get_ReducaoZ",
    "Get_ImpostoZ",
    "Get_Totaliz",
    "Get_FormaPag",
    "Get_Observacao",
    "Get_Indice",
    "Get_SaldoCons",
    "Get_ReceOrig",
    "Grava_Vnd",
    "DelVenda",
    "DelReducaoZ",
    "Concl_Vnd",
    "Cancel_Vnd",
    "VdFormPgtoZ",
    "Oper_Bloc",
    "Oper_Bloc_S",
    "dtMov_NEnq",
    "CLIENTE",
    "CLIENTE_NCAD",
    "CONSUMIDOR",
    "CONSUMIDOR_NCAD",
    "Servico",
    "Servico_NCad",
    "VENDEDOR",
    "VENDEDOR_NCAD",
    "TipoVenda",
    "TipoVenda_N",
    "CLIENE_DEVE_SER",
    "CLIENTE_N_CAD",
    "CONS_DEVE_SER",
    "CONS_N_CAD",
    "Servico_deve",
    "Servico_NExist",
    "VEND_DEVE_SER",
    "VEND_N_CAD",
    "DATA_NULL",
    "HORA_INV",
    "NrSerie_Dev",
    "insere",
    "PENDENTE",
    "CONCLUIDA",
    "DEVOLVIDA",
    "CANCELADA",
    "Sistema",
    "Importada",
    "Caixa",
    "Tillora",
    "NFCE",
    "SAT",
    "ECF",
    "BAL_TLR",
    "BAL_AUT",
    "BAL_BAN",
    "MES_PKR",
    "MES_TLR",
    "MES_MOB",
    "CMD_PKC",
    "CMD_TLR",
    "CMD_MOB",
    "CMD_MIC",
    "DLV_TLR",
    "DLV_SIT",
    "DLV_CAL",
    "TLR_MAN",
    "VND_MAN",
    "VND_CAT",
    "INDEFIN",
    "BAL_FNC",
    "MES_FNC",
    "CMD_FNC",
    "DLV_FNC",
    "QKV",
    "AJU_TLR",
    "BAL_SAT",
    "MES_SAT",
    "CMD_SAT",
    "DLV_SAT",
    "Produto",
    "PRODUTO_DEVE_SER",
    "QT_DEVE_SER",
    "QTMAIOR",
    "DESC_GRANDE",
    "DESC_MAIOR",
    "ACRE_MAIOR",
    "PRECO_NULL",
    "PRECO_ZERO",
    "PRECOCL_ZERO",
    "VRMENOR_ZERO",
    "IMP_CAD2",
    "IMP_CAD",
    "ITE_N_INF",
    "REC_N_INF",
    "VALOR_DIF",
    "VALOR_DIFV",
    "CONF_CONC",
    "VALORES_REDZ",
    "Dif_Vr_Reduz",
    "Oper_Bloc_Tlr",
    "CONF_CANC",
    "cancela",
    "canc_ok",
    "TIPORECE",
    "TIPO_N_CAD",
    "TIPOREC_DEVE",
    "Valor_deve",
    "CONS_DEVE_venda",
    "Servico_deve_venda",
    "COTACAO_NULL",
    "VENDA_NPAGA",
    "SALDO_INV",
    "MOVICLIE",
    "Aberto",
    "Fechado",
    "Operador",
    "CAIXA_ABERTO",
    "ABERT_DUP",
    "Ope_Inf",
    "OPER_N_CAD",
    "DataAber_Dif",
    "REDUCZ_N_INF",
    "VENDASPENDENTES",
    "VENDALIQERRADA",
    "VENDACANCERRADA",
    "ICMSERRADA",
    "NINCIDERRADA",
    "ISENTOERRADA",
    "SUBTRERRADA",
    "IMPOSTODIF",
    "IMPOSTOVENDIF",
    "VENDASERIEERRADA",
    "OK",
    "Dig_VND",
    "Dig_Tlr",
    "Imp_Fis",
    "Vr_Inv",
    "Red_Ja_Inc",
    "Oper_Bloc_Observ",
    "NRECF_NULL",
    "NRREINICIO_NULL",
    "NRSERIE_NULL",
    "REDZ_NULL",
    "NRPRIM_NULL",
    "NRFIN_NULL",
    "VRGTREDZ_INF",
    "VENBRU_NULL",
    "VRCANC_NULL",
    "VENLIQ_NULL",
    "TOTGER_MAIOR",
    "VENLIQ_DIF",
    "Mod_Va",
    "NCupom_inv",
    "Total",
    "VRSIT_NULL",
    "VRISEN_NULL",
    "VRNINC_NULL",
    "IMPOSTO",
    "IMPOSTO_NULL",
    "IMP_NAO_CAD",
    "IMP_JA_CAD",
    "VRPER_DV_INF",
    "VRBA_DV_INF",
    "NR_DV_INF",
    "NR_Ja_CAD",
    "DS_DV_INF",
    "CONT_DV_INF",
    "VRACUM_DV_INF",
    "FORMPAG",
    "N_H_CAD",
    "RecebOrigem",
    "N_Ha_Cad",
    "FORMPAG_DV_INF",
    "FORMPAG_JA_CAD",
    "FORMPAG_N_CAD",
    "VR_DV_INF",
    "TpRece_inf",
    "TpRece_cad",
    "VrForPag",
    "ValFormPagRec",
    "Obs_Inf",
    "Get_ConfereCaixa",
    "Conf_Titulo",
    "Conf_Vazia",
    "Conf_OK",
    "Conf_Dif",
    "Conf_Venda_N_Enc",
    "Conf_REDZ",
    "Conf_VENDASPENDENTES",
    "Conf_PENDENTE",
    "Conf_RECEB",
    "Conf_RECEBVENDA",
    "Conf_VENDALIQERRADA",
    "Conf_VENDACANCERRADA",
    "Conf_ICMSERRADA",
    "Conf_ALIQUOTA",
    "Conf_NINCIDERRADA",
    "Conf_ISENTOERRADA",
    "Conf_SUBTRERRADA",
    "Conf_IMPOSTODIF",
    "Conf_IMPOSTOVENDIF",
    "Conf_FORMAPAG",
    "Conf_VENDASERIEERRADA",
    "Conf_CONTREDUCAO",
    "Conf_CONTGT",
    "Conf_CONTCUPOM",
    "Conf_CONTREINICIO",
    "Get_ReducaoZAnt",
    "Aviso_ContReducao",
    "Aviso_ContGT",
    "Aviso_ContCupom",
    "Aviso_ContReinicio",
    // A sale's history.
    "Get_Historico",
    "Hist_Titulo",
    "Hist_Vazio",
    "Hist_I",
    "Hist_A",
    "Hist_E",
    "Hist_VENDA",
    "Hist_ITVENDA",
    "Hist_ITVENDAIMPOS",
    "Hist_ITVENDACANC",
    "Hist_MOVCAIXA",
    "Hist_MOVCONS",
    "Hist_GravaVenda",
    "Hist_DelPedidoVenda",
    "Hist_DeletaItens",
    "Hist_DelImpostoItem",
    "Hist_ConcluiVenda",
    "Hist_CancelaVenda",
    "Hist_GravaTipoRece",
    "Hist_DelTipoRece",
    "Hist_SetItensCancelados",
    // Display words of the pages.
    "Sit_P",
    "Sit_O",
    "Sit_C",
    "Sit_D",
    "Leg_ItensCanc",
    "Vazio_AberCaixa",
    "Vazio_Vendas",
    "Vazio_Itens",
    "Vazio_Impostos",
    "Vazio_ItensCanc",
    "Vazio_Recebimentos",
    "Ctx_Venda",
    "Ctx_Cupom",
    "Ctx_Hora",
    "Ctx_Cliente",
    "Ctx_Total",
    "Ctx_ImpostoItem",
    "Grav_OK",
};

// The keys the screen asks for without holding them.
constexpr std::string_view kBorrowedKeys[] = {
    "Get_ItensCancelados", "Get_Preco", "Get_Operador", "InsAberCaixa", "DelAberCaixa", "OPERADOR_NCAD",
};

}  // namespace

TEST(MsgPadrao, HoldsEveryKeyOfTheScreenAndNothingElse) {
  for (std::string_view key : kScreenKeys) EXPECT_TRUE(msgPadrao().contains(key)) << key;
  EXPECT_EQ(msgPadrao().size(), std::size(kScreenKeys));
  for (std::string_view key : kScreenKeys) EXPECT_NE(platform::trim(msgPadrao().Msg(key)), "") << key;
}

TEST(MsgPadrao, TextsAreTheSystemsOwnByteForByte) {
  struct Case {
    const char* key;
    const char* text;
  };
  const Case cases[] = {
      {"fili_inf", "Filial deve ser informada."},
      {"DataAber_Inc", "Data incluída inferior ou igual a 31/12/1899 não é permitida."},
      {"Get_Vendas", "Recebendo dados de vendas do servidor ...."},
      {"HORA_INV", "não é hora válida."},
      {"insere", "A venda foi inserida pelo operador \r\n"},
      {"cancela", "A venda foi cancelada pelo operador \r\n"},
      {"CONF_CONC", "Confirma conclusão da venda "},
      {"CONF_CANC", "Confirma o cancelamento da venda"},
      {"IMP_CAD",
       "Imposto para produto informado não está cadastrado. Favor realizar o cadastro de imposto "
       "para lançá-lo novamente.\r\n\r\n%s"},
      {"SALDO_INV", "Saldo do consumidor não é suficiente para realizar a venda. (%s)\r\nDeseja continuar?"},
      {"Oper_Bloc_S",
       "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a "
       "Redução Z deste dia está com status de Aprovada."},
      {"Oper_Bloc", "Operação Bloqueada! Caixa fechado."},
      {"dtMov_NEnq",
       "Operação não permitida. A data de movimento não se enquadra nos parâmetros definidos para "
       "a data de processamento."},
      {"MOVICLIE", "Inclusão de débito realizada pelo operador."},
      {"Oper_Bloc_Tlr", "Operação bloqueada! Venda lançada no Tillora."},
      {"REDUCZ_N_INF", "Redução Z deve ser informada."},
      {"VENDACANCERRADA",
       "Operação bloqueda. Total de cancelamentos das vendas difere do valor de cancelamentos "
       "informados na Redução Z."},
      {"IMPOSTODIF",
       "Operação bloqueada. Somatório dos valores de ICMS, Substitituição Tributária, Isenção e "
       "Não Incidência informados na Redução Z difere do valor de venda líquida informado na "
       "Redução Z."},
      {"VENDASERIEERRADA",
       "Operação Bloqueada. Existem vendas para o nr. de série '%s' e não existe Redução Z para "
       "este mesmo nr. de série."},
      {"OK", "Caixa fechado com sucesso."},
      {"Vr_Inv", "'%s' não é um valor válido para o campo %s."},
      {"NRECF_NULL", "Nº do ECF deve ser informado."},
      {"Red_Ja_Inc", "Redução Z já incluida nessa data e esse ECF."},
      {"VENLIQ_DIF",
       "Valor informado na (Venda Bruta - Cancelamentos - Descontos) deve ser igual ao valor "
       "informado na Venda Líquida."},
      {"Total", "Valor digitado difere do valor total da venda. Deseja Continuar?"},
      {"FORMPAG_JA_CAD", "Forma de pagamento já cadastrada"},
      {"Caixa", "Lançada no caixa"},
      {"Tillora", "Lançadas no Tillora"},
      {"CANCELADA", "Ca"},
      {"NFCE", "NFC-e"},
      {"DLV_SAT", "Delivey SAT"},
      {"Dig_Tlr", "Digitada no Tillora"},
      {"Aberto", "Aberto"},
  };
  for (const Case& c : cases) EXPECT_EQ(msgPadrao().Msg(c.key), c.text) << c.key;
}

TEST(MsgPadrao, KeysMatchRegardlessOfCase) {
  EXPECT_EQ(msgPadrao().Msg("FILI_INF"), "Filial deve ser informada.");
  EXPECT_EQ(msgPadrao().Msg("oper_bloc_s"), msgPadrao().Msg("Oper_Bloc_S"));
  // The look-up titles are asked for in capitals and held capitalised.
  EXPECT_EQ(msgPadrao().Msg("PRODUTO"), "Produto");
  EXPECT_EQ(msgPadrao().Msg("OPERADOR"), "Operador");
}

TEST(MsgPadrao, KeysItLacksFallBackToTheStandardCatalogueNeverToBlank) {
  EXPECT_EQ(msgPadrao().fallback(), &msgMensagensPadroes());
  for (std::string_view key : kBorrowedKeys) {
    EXPECT_FALSE(msgPadrao().contains(key)) << key;
    EXPECT_EQ(msgPadrao().Msg(key), msgMensagensPadroes().Msg(key)) << key;
    EXPECT_NE(msgPadrao().Msg(key), key) << key;
  }
  EXPECT_EQ(msgPadrao().Msg("Get_Preco"), "Recebendo preço do servidor...");
  EXPECT_EQ(msgPadrao().Msg("Chave_Inexistente"), "Chave_Inexistente");
}

TEST(MsgPadrao, PlaceholdersAreFilledAsTheScreenShowsThem) {
  EXPECT_EQ(msgPadrao().MsgFmt("IMP_CAD", {"01.001 - Refrigerante"}),
            "Imposto para produto informado não está cadastrado. Favor realizar o cadastro de "
            "imposto para lançá-lo novamente.\r\n\r\n01.001 - Refrigerante");
  EXPECT_EQ(msgPadrao().MsgFmt("SALDO_INV", {"20.00"}),
            "Saldo do consumidor não é suficiente para realizar a venda. (20.00)\r\n"
            "Deseja continuar?");
  EXPECT_EQ(msgPadrao().MsgFmt("VENDASERIEERRADA", {"ABC123"}),
            "Operação Bloqueada. Existem vendas para o nr. de série 'ABC123' e não existe "
            "Redução Z para este mesmo nr. de série.");
  EXPECT_EQ(msgPadrao().MsgFmt("Vr_Inv", {"", "Marca/Modelo"}), "'' não é um valor válido para o campo Marca/Modelo.");
  // The conclusion question puts a second blank before the sale number.
  EXPECT_EQ(msgPadrao().Msg("CONF_CONC") + " " + "0000000042" + " ?", "Confirma conclusão da venda  0000000042 ?");
}
