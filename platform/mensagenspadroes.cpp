// The framework's standard catalogue: generic texts that every screen's own
// catalogue falls back to. It answers the framework's own keys and the keys
// a screen asks for without holding them, so those captions are never blank.
#include "platform/messages.h"

namespace platform {
namespace {

constexpr MessageEntry kMensagensPadroes[] = {
    // Base screen, look-ups and connection.
    {"Aguarde", "Aguarde..."},
    {"CONF_EXCL", "Confirma a exclusão do registro?"},
    {"Conectando", "Conectando ao servidor..."},
    {"Erro_Conexao", "Não foi possível conectar ao servidor de aplicação."},
    {"Alt_Pendentes",
     "Há alterações que não foram gravadas no servidor. Confirme para gravá-las ou cancele para desfazê-las."},
    {"REG_N_ENC", "Registro não encontrado."},
    {"Sair_Pendentes", "Há alterações que não foram gravadas no servidor. Fechar a tela e descartá-las?"},
    {"Resp_Invalida", "O servidor de aplicação respondeu num formato inesperado. Nada foi alterado."},

    // Typed values.
    {"Data_Inv", "'%s' não é uma data válida."},

    // Progress captions of server calls.
    {"DelAberCaixa", "Excluindo abertura de caixa no servidor..."},
    {"Get_ItensCancelados", "Recebendo itens cancelados do servidor..."},
    {"Get_Operador", "Recebendo operadores do servidor..."},
    {"Get_Preco", "Recebendo preço do servidor..."},
    {"InsAberCaixa", "Gravando abertura de caixa no servidor..."},

    // Look-up dialog titles and empty-list texts.
    {"OPERADOR", "Operador"},
    {"OPERADOR_NCAD", "Não há operador cadastrado."},
    {"PRODUTO", "Produto"},
};

}  // namespace

const TMessages& msgMensagensPadroes() {
  static const TMessages catalogue(kMensagensPadroes);
  return catalogue;
}

}  // namespace platform
