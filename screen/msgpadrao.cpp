// The screen's catalogue as data, one entry per line, grouped by screen area.
// Texts are the system's own, byte for byte: trailing blanks (the question
// texts are followed by the sale number), CR LF breaks and "%s" placeholders
// filled by the screen are part of them.
#include "screen/msgpadrao.h"

namespace screen {
namespace {

using platform::MessageEntry;

constexpr MessageEntry kMsgPadrao[] = {
    // Filter panel and branch permission.
    {"fili_inf", "Filial deve ser informada."},
    {"fili_n_cad", "Filial não cadastrada."},
    {"Caixa_inf", "Caixa deve ser informado."},
    {"Caixa_n_cad", "Caixa não cadastrado."},
    {"DtDeve", "Data do movimento deve ser informada."},
    {"DataAber_Inc", "Data incluída inferior ou igual a 31/12/1899 não é permitida."},
    {"Filial_PerManut", "Filial não permite realizar manutenção das vendas."},

    // Progress captions: receiving.
    {"Get_Vendas", "Recebendo dados de vendas do servidor ...."},
    {"Get_AberCaixa", "Recebendo abertura de caixa do servidor..."},
    {"Get_PedidoVenda", "Recebendo venda do servidor..."},
    {"Get_ItemVenda", "Recebendo item de venda do servidor..."},
    {"Get_ReducaoZ", "Recebendo redução z do servidor..."},
    {"Get_ImpostoZ", "Recebendo imposto do servidor..."},
    {"Get_Totaliz", "Recebendo totalizadores não fiscais do servidor..."},
    {"Get_FormaPag", "Recebendo forma de pagamento do servidor..."},
    {"Get_Observacao", "Recebendo observação da redução Z do servidor..."},
    {"Get_Indice", "Recebendo índice financeiro do servidor..."},
    {"Get_SaldoCons", "Recebendo saldo do consumidor do servidor..."},
    {"Get_ReceOrig", "Recebendo recebimento origem do servidor..."},

    // Progress captions: sending.
    {"Grava_Vnd", "Gravando venda no servidor..."},
    {"DelVenda", "Excluindo venda no servidor..."},
    {"DelReducaoZ", "Excluindo Redução Z no servidor..."},
    {"Concl_Vnd", "Concluindo venda no servidor..."},
    {"Cancel_Vnd", "Cancelando venda no servidor..."},
    {"VdFormPgtoZ", "Validando forma de pagamento no servidor..."},

    // Change guards.
    {"Oper_Bloc", "Operação Bloqueada! Caixa fechado."},
    {"Oper_Bloc_S",
     "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a Redução Z deste dia "
     "está com status de Aprovada."},
    {"dtMov_NEnq",
     "Operação não permitida. A data de movimento não se enquadra nos parâmetros definidos para a data de "
     "processamento."},

    // Sales grid look-ups: title, then the empty-list text.
    {"CLIENTE", "Cliente"},
    {"CLIENTE_NCAD", "Não há cliente cadastrado."},
    {"CONSUMIDOR", "Consumidor"},
    {"CONSUMIDOR_NCAD", "Não há consumidor cadastrado."},
    {"Servico", "Serviço"},
    {"Servico_NCad", "Não há serviço cadastrado."},
    {"VENDEDOR", "Vendedor"},
    {"VENDEDOR_NCAD", "Não há vendedor cadastrado."},
    {"TipoVenda", "Tipo Venda"},
    {"TipoVenda_N", "Tipo Venda Não Cadastrado"},

    // Sale header.
    {"CLIENE_DEVE_SER", "Cliente deve ser informado."},
    {"CLIENTE_N_CAD", "Cliente não cadastrado."},
    {"CONS_DEVE_SER", "Consumidor deve ser informado."},
    {"CONS_N_CAD", "Consumidor não cadastrado."},
    {"Servico_deve", "Serviço deve ser informado."},
    {"Servico_NExist", "Serviço não cadastrado."},
    {"VEND_DEVE_SER", "Vendedor deve ser informado."},
    {"VEND_N_CAD", "Vendedor não cadastrado."},
    {"DATA_NULL", "Data da venda deve ser informada."},
    {"HORA_INV", "não é hora válida."},
    {"NrSerie_Dev", "Nr. de série deve ser informado."},
    {"insere", "A venda foi inserida pelo operador \r\n"},

    // Sale status words.
    {"PENDENTE", "Pe"},
    {"CONCLUIDA", "Co"},
    {"DEVOLVIDA", "De"},
    {"CANCELADA", "Ca"},

    // Sale types (how the sale was entered).
    {"Sistema", "Digitada pelo usuário"},
    {"Importada", "Importada"},
    {"Caixa", "Lançada no caixa"},
    {"Tillora", "Lançadas no Tillora"},

    // Fiscal emission types.
    {"NFCE", "NFC-e"},
    {"SAT", "SAT"},
    {"ECF", "ECF"},

    // Sale origins: the origin code is the key.
    {"BAL_TLR", "Balcão Tillora"},
    {"BAL_AUT", "Balcão Auto Atendimento"},
    {"BAL_BAN", "Balcão Bandejão"},
    {"MES_PKR", "Mesa Pocket"},
    {"MES_TLR", "Mesa Tillora"},
    {"MES_MOB", "Mesa Mobile"},
    {"CMD_PKC", "Comanda Pocket"},
    {"CMD_TLR", "Comanda Tillora"},
    {"CMD_MOB", "Comanda Mobile"},
    {"CMD_MIC", "Comanda Microterminal"},
    {"DLV_TLR", "Delivery Tillora"},
    {"DLV_SIT", "Delivery Site"},
    {"DLV_CAL", "Delivery Call Center"},
    {"TLR_MAN", "Manual Tillora"},
    {"VND_MAN", "Manutenção da Venda"},
    {"VND_CAT", "Importação Catraca"},
    {"INDEFIN", "Indefinido"},
    {"BAL_FNC", "Balcão NFC-e"},
    {"MES_FNC", "Mesa NFC-e"},
    {"CMD_FNC", "Comanda NFC-e"},
    {"DLV_FNC", "Delivery NFC-e"},
    {"QKV", "Quikvend"},
    {"AJU_TLR", "Ajuste Tillora"},
    {"BAL_SAT", "Balcão SAT"},
    {"MES_SAT", "Mesa SAT"},
    {"CMD_SAT", "Comanda SAT"},
    {"DLV_SAT", "Delivey SAT"},

    // Sale items and cancelled items.
    {"Produto", "Produto"},
    {"PRODUTO_DEVE_SER", "Produto deve ser informado."},
    {"QT_DEVE_SER", "Quantidade deve ser informada."},
    {"QTMAIOR", "Quantidade de produtos deve ser maior que zero."},
    {"DESC_GRANDE", "Valor do desconto deve ser menor que o valor total do produto."},
    {"DESC_MAIOR", "Desconto deve ser maior ou igual a zero."},
    {"ACRE_MAIOR", "Acréscimo deve ser maior ou igual a zero."},
    {"PRECO_NULL", "Vr. Unit. deve ser informado."},
    {"PRECO_ZERO", "Vr. Unit. deve ser maior ou igual a zero."},
    {"PRECOCL_ZERO", "Vr. Cliente deve ser maior ou igual a zero."},
    {"VRMENOR_ZERO", "Vr.Unit ou Vr.Cliente deve ser maior que zero."},

    // Item taxes.
    {"IMP_CAD2", "Não há imposto cadastrado para o produto informado."},
    {"IMP_CAD",
     "Imposto para produto informado não está cadastrado. Favor realizar o cadastro de imposto para lançá-lo "
     "novamente.\r\n\r\n%s"},

    // Concluding and cancelling a sale.
    {"ITE_N_INF", "Operação bloqueada. Não há itens na venda."},
    {"REC_N_INF", "Operação bloqueada. Não há recebimento na venda."},
    {"VALOR_DIF", "Operação bloqueada. A venda não foi totalmente paga."},
    {"VALOR_DIFV", "Valor dos recebimentos deve igual ao valor total da venda."},
    {"CONF_CONC", "Confirma conclusão da venda "},
    {"VALORES_REDZ", "Atenção. Os valores da venda bruta e venda líquida da redução Z devem ser atualizados."},
    {"Dif_Vr_Reduz", "Operação bloqueada. Valor total da venda difere do valor da venda líquida da Redução Z."},
    {"Oper_Bloc_Tlr", "Operação bloqueada! Venda lançada no Tillora."},
    {"CONF_CANC", "Confirma o cancelamento da venda"},
    {"cancela", "A venda foi cancelada pelo operador \r\n"},
    {"canc_ok", "Cancelamento realizado com sucesso."},

    // Sale receipts.
    {"TIPORECE", "Tipo de recebimento"},
    {"TIPO_N_CAD", "Tipo de recebimento não cadastrado."},
    {"TIPOREC_DEVE", "Tipo de Recebimento deve ser informado."},
    {"Valor_deve", "Valor deve ser informado."},
    {"CONS_DEVE_venda", "Operação Bloqueada. Consumidor da venda deve ser informado."},
    {"Servico_deve_venda", "Operação Bloqueada. Serviço da venda deve ser informado."},
    {"COTACAO_NULL",
     "Operação não permitida. Não existe cotação cadastrada para o índice do tipo de recebimento para a data do "
     "movimento."},
    {"VENDA_NPAGA", "Atenção. Valor dos recebimentos difere do valor total da venda."},
    {"SALDO_INV", "Saldo do consumidor não é suficiente para realizar a venda. (%s)\r\nDeseja continuar?"},
    {"MOVICLIE", "Inclusão de débito realizada pelo operador."},

    // Register openings.
    {"Aberto", "Aberto"},
    {"Fechado", "Fechado"},
    {"Operador", "Operador"},
    {"CAIXA_ABERTO", "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data."},
    {"ABERT_DUP", "Data de abertura já cadastrada."},
    {"Ope_Inf", "Operador deve ser informado."},
    {"OPER_N_CAD", "Operador não cadastrado."},
    {"DataAber_Dif", "Data de abertura deve ser igual a data de movimento."},

    // Register closing: the server's verdicts are the keys.
    {"REDUCZ_N_INF", "Redução Z deve ser informada."},
    {"VENDASPENDENTES", "Operação bloqueada. Existem vendas pendentes."},
    {"VENDALIQERRADA", "Operação Bloqueada. Total de vendas difere do valor de venda liquida informado na Redução Z."},
    {"VENDACANCERRADA",
     "Operação bloqueda. Total de cancelamentos das vendas difere do valor de cancelamentos informados na Redução Z."},
    {"ICMSERRADA",
     "Operação bloqueada. Total das vendas com ICMS difere do valor de imposto ICMS informado na Redução Z."},
    {"NINCIDERRADA",
     "Operação bloqueada. Total das vendas com não incidência difere do valor de não incidência informado na Redução "
     "Z."},
    {"ISENTOERRADA",
     "Operação bloqueada. Total das vendas com isenção difere do valor de isenção informado na Redução Z."},
    {"SUBTRERRADA",
     "Operação bloqueada. Total das vendas com substituição tributária difere do valor de substituição tributária "
     "informado na Redução Z."},
    {"IMPOSTODIF",
     "Operação bloqueada. Somatório dos valores de ICMS, Substitituição Tributária, Isenção e Não Incidência "
     "informados na Redução Z difere do valor de venda líquida informado na Redução Z."},
    {"IMPOSTOVENDIF",
     "Operação bloqueada. Somatório do ICMS, Substitituição Tributária, Isenção e Não Incidência das vendas difere do "
     "valor de venda líquida informado na Redução Z."},
    {"VENDASERIEERRADA",
     "Operação Bloqueada. Existem vendas para o nr. de série '%s' e não existe Redução Z para este mesmo nr. de "
     "série."},
    {"OK", "Caixa fechado com sucesso."},

    // Z reduction record.
    {"Dig_VND", "Digitada no VND"},
    {"Dig_Tlr", "Digitada no Tillora"},
    {"Imp_Fis", "Impressora Fiscal"},
    {"Vr_Inv", "'%s' não é um valor válido para o campo %s."},
    {"Red_Ja_Inc", "Redução Z já incluida nessa data e esse ECF."},
    {"Oper_Bloc_Observ", "Existe registro de observação na redução Z. Deseja continuar?"},
    {"NRECF_NULL", "Nº do ECF deve ser informado."},
    {"NRREINICIO_NULL", "Reinicio deve ser informado."},
    {"NRSERIE_NULL", "Nr. de Série deve ser informado."},
    {"REDZ_NULL", "Nr. Redução deve ser informada."},
    {"NRPRIM_NULL", "Cupom fiscal inicial deve ser informado."},
    {"NRFIN_NULL", "Cupom fiscal final deve ser informado."},
    {"VRGTREDZ_INF", "Totalizador Geral (Grande total final) deve ser informado."},
    {"VENBRU_NULL", "Venda bruta deve ser informada."},
    {"VRCANC_NULL", "Total de cancelamentos deve ser informado."},
    {"VENLIQ_NULL", "Venda líquida deve ser informada."},
    {"TOTGER_MAIOR", "Totalizador Geral (Grande Total Final) deve ser maior que a Venda Bruta."},
    {"VENLIQ_DIF",
     "Valor informado na (Venda Bruta - Cancelamentos - Descontos) deve ser igual ao valor informado na Venda "
     "Líquida."},
    {"Mod_Va", "A Marca/Modelo deve ser informada."},
    {"NCupom_inv", "Cupom Fiscal Inicial deve ser menor ou igual ao Cupom Fiscal Final."},
    {"Total", "Valor digitado difere do valor total da venda. Deseja Continuar?"},
    {"VRSIT_NULL", "Valor de Substituição Tributária deve ser informado."},
    {"VRISEN_NULL", "Valor isenção deve ser informado."},
    {"VRNINC_NULL", "Valor não incidência deve ser informado."},

    // Z reduction taxes by rate.
    {"IMPOSTO", "Imposto"},
    {"IMPOSTO_NULL", "Imposto deve ser informado."},
    {"IMP_NAO_CAD", "Imposto não cadastrado."},
    {"IMP_JA_CAD", "Imposto já cadastrado."},
    {"VRPER_DV_INF", "Valor percentual deve ser informado."},
    {"VRBA_DV_INF", "Valor base deve ser informada."},

    // Z reduction non-fiscal totalizers.
    {"NR_DV_INF", "Número deve ser informado."},
    {"NR_Ja_CAD", "Número já cadastrado."},
    {"DS_DV_INF", "Descrição deve ser informada."},
    {"CONT_DV_INF", "Contador deve ser informado."},
    {"VRACUM_DV_INF", "Valor acumulado deve ser informado."},

    // Z reduction payment forms.
    {"FORMPAG", "Forma de pagamento"},
    {"N_H_CAD", "Não há forma de pagamento cadastrada."},
    {"RecebOrigem", "Recebimento de Origem"},
    {"N_Ha_Cad", "Não há Recebimento de Origem cadastrado."},
    {"FORMPAG_DV_INF", "Forma de pagamento deve ser informado."},
    {"FORMPAG_JA_CAD", "Forma de pagamento já cadastrada"},
    {"FORMPAG_N_CAD", "Forma de pagamento não cadastrada."},
    {"VR_DV_INF", "Valor deve ser informado."},
    {"TpRece_inf", "Recebimento origem deve ser informado."},
    {"TpRece_cad", "Tipo de recebimento não cadastrado."},
    {"VrForPag",
     "O novo valor da forma de pagamento deve ser menor ou igual que o valor da venda líquida da Redução Z."},
    {"ValFormPagRec",
     "O novo valor da forma de pagamento deve ser menor ou igual que o valor total dos recebimentos para as vendas "
     "pendentes e concluídas."},

    // Z reduction observations.
    {"Obs_Inf", "Observação deve ser informada."},

    // Day check: the list's title and words, and one description per check
    // the server answers ("Conf_" and its code; %s is the line's detail).
    {"Get_ConfereCaixa", "Recebendo conferência do caixa do servidor..."},
    {"Conf_Titulo", "Conferir Caixa"},
    {"Conf_Vazia", "Não há o que conferir neste caixa e data."},
    {"Conf_OK", "OK"},
    {"Conf_Dif", "Divergente"},
    {"Conf_Venda_N_Enc", "Venda %s não encontrada nas aberturas deste caixa e data."},
    {"Conf_REDZ", "Redução Z informada para o dia"},
    {"Conf_VENDASPENDENTES", "Vendas pendentes"},
    {"Conf_PENDENTE", "Venda %s pendente"},
    {"Conf_RECEB", "Vendas concluídas com recebimentos diferentes do total"},
    {"Conf_RECEBVENDA", "Venda %s: total da venda × recebimentos"},
    {"Conf_VENDALIQERRADA", "Venda líquida: vendas concluídas e devolvidas × Redução Z"},
    {"Conf_VENDACANCERRADA", "Cancelamentos: vendas canceladas × Redução Z"},
    {"Conf_ICMSERRADA", "ICMS: itens das vendas × bases de cálculo da Redução Z"},
    {"Conf_ALIQUOTA", "ICMS alíquota %s: itens das vendas × Redução Z"},
    {"Conf_NINCIDERRADA", "Não incidência: itens das vendas × Redução Z"},
    {"Conf_ISENTOERRADA", "Isenção: itens das vendas × Redução Z"},
    {"Conf_SUBTRERRADA", "Substituição tributária: itens das vendas × Redução Z"},
    {"Conf_IMPOSTODIF", "Venda líquida × ICMS, substituição, isenção e não incidência da Redução Z"},
    {"Conf_IMPOSTOVENDIF", "Venda líquida da Redução Z × ICMS, substituição, isenção e não incidência das vendas"},
    {"Conf_FORMAPAG", "Forma de pagamento %s: recebimentos × Redução Z"},
    {"Conf_VENDASERIEERRADA", "Redução Z para o nr. de série %s das vendas"},
    {"Conf_CONTREDUCAO", "ECF %s: contador de redução segue o da redução anterior"},
    {"Conf_CONTGT", "ECF %s: grande total inicial × grande total final da redução anterior"},
    {"Conf_CONTCUPOM", "ECF %s: cupom fiscal inicial após o cupom final da redução anterior"},
    {"Conf_CONTREINICIO", "ECF %s: reinício não menor que o da redução anterior"},

    // Z reduction continuity: warnings beside the form's fields.
    {"Get_ReducaoZAnt", "Recebendo redução Z anterior do ECF do servidor..."},
    {"Aviso_ContReducao", "Atenção: pela redução anterior deste ECF, a redução esperada é %s."},
    {"Aviso_ContGT", "Atenção: o grande total final da redução anterior deste ECF é %s."},
    {"Aviso_ContCupom", "Atenção: o cupom fiscal final da redução anterior deste ECF é %s."},
    {"Aviso_ContReinicio", "Atenção: o reinício da redução anterior deste ECF é %s; não pode diminuir."},

    // A sale's history: the list's title and empty text, the kinds of
    // change, what was changed, and the operations a line may come from.
    {"Get_Historico", "Recebendo histórico da venda do servidor..."},
    {"Hist_Titulo", "Histórico da venda"},
    {"Hist_Vazio", "Não há alterações registradas para esta venda."},
    {"Hist_I", "Inclusão"},
    {"Hist_A", "Alteração"},
    {"Hist_E", "Exclusão"},
    {"Hist_VENDA", "da venda"},
    {"Hist_ITVENDA", "do item"},
    {"Hist_ITVENDAIMPOS", "do imposto do item"},
    {"Hist_ITVENDACANC", "do item cancelado"},
    {"Hist_MOVCAIXA", "do recebimento"},
    {"Hist_MOVCONS", "do movimento da conta do consumidor"},
    {"Hist_GravaVenda", "Gravação da venda"},
    {"Hist_DelPedidoVenda", "Exclusão da venda"},
    {"Hist_DeletaItens", "Exclusão de itens"},
    {"Hist_DelImpostoItem", "Exclusão de impostos do item"},
    {"Hist_ConcluiVenda", "Conclusão da venda"},
    {"Hist_CancelaVenda", "Cancelamento da venda"},
    {"Hist_GravaTipoRece", "Gravação dos recebimentos"},
    {"Hist_DelTipoRece", "Exclusão de recebimentos"},
    {"Hist_SetItensCancelados", "Gravação dos itens cancelados"},

    // Display words of the pages: the sale statuses, the sales list's legend,
    // what an empty list says, the line naming the current sale and item,
    // and the notice of a save the server took.
    {"Sit_P", "Pendente"},
    {"Sit_O", "Concluída"},
    {"Sit_C", "Cancelada"},
    {"Sit_D", "Devolvida"},
    {"Leg_ItensCanc", "Com itens cancelados"},
    {"Vazio_AberCaixa", "Nenhuma abertura de caixa neste dia."},
    {"Vazio_Vendas", "Nenhuma venda nesta abertura de caixa."},
    {"Vazio_Itens", "Esta venda não tem itens."},
    {"Vazio_Impostos", "Este item não tem impostos."},
    {"Vazio_ItensCanc", "Esta venda não tem itens cancelados."},
    {"Vazio_Recebimentos", "Esta venda não tem recebimentos."},
    {"Ctx_Venda", "Venda"},
    {"Ctx_Cupom", "Cupom"},
    {"Ctx_Hora", "Hora"},
    {"Ctx_Cliente", "Cliente:"},
    {"Ctx_Total", "Total"},
    {"Ctx_ImpostoItem", "Impostos do item"},
    {"Grav_OK", "Alterações gravadas no servidor."},
};

}  // namespace

const platform::TMessages& msgPadrao() {
  static const platform::TMessages catalogue(kMsgPadrao, &platform::msgMensagensPadroes());
  return catalogue;
}

}  // namespace screen
