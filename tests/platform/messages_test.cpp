#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/uiservice.h"

using namespace platform;

namespace {

// Records every message box and answers with a fixed button.
class RecordingUi final : public UiServices {
 public:
  struct Shown {
    std::string text;
    MsgKind kind;
    MsgButtons buttons;
  };
  std::vector<Shown> shown;
  MsgResult answer = MsgResult::Ok;

  MsgResult showMessage(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    shown.push_back({text, kind, buttons});
    return answer;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(ClientDataSet&, const std::string&, const std::string&) override { return false; }
  void searchRecord(ClientDataSet&) override {}
};

class UiInstalled : public ::testing::Test {
 protected:
  void SetUp() override { setUi(&fake); }
  void TearDown() override { setUi(nullptr); }
  RecordingUi fake;
};

}  // namespace

TEST(Messages, KeysMatchRegardlessOfAsciiCaseOnly) {
  const TMessages m{{"Produto", "Produto"}, {"Ação", "texto"}, {"Get_Vendas", "Recebendo..."}};
  EXPECT_EQ(m.Msg("PRODUTO"), "Produto");
  EXPECT_EQ(m.Msg("produto"), "Produto");
  EXPECT_EQ(m.Msg("get_VENDAS"), "Recebendo...");
  EXPECT_EQ(m.Msg("ação"), "texto");
  // Accented capitals are other letters, not a case variant.
  EXPECT_FALSE(m.contains("AÇÃO"));
  EXPECT_FALSE(m.contains("Produt"));
  EXPECT_FALSE(m.contains("Produtos"));
  EXPECT_EQ(m.size(), 3u);
}

TEST(Messages, MissFallsBackAlongTheChainAndNeverYieldsBlank) {
  const TMessages base{{"Aguarde", "Aguarde..."}, {"Produto", "Produto padrão"}};
  const TMessages standard({{"Get_Preco", "Recebendo preço do servidor..."}}, &base);
  const TMessages own({{"Produto", "Produto"}}, &standard);

  EXPECT_EQ(own.Msg("PRODUTO"), "Produto");  // own entry shadows the fallback's
  EXPECT_EQ(own.Msg("get_preco"), "Recebendo preço do servidor...");
  EXPECT_EQ(own.Msg("AGUARDE"), "Aguarde...");         // two levels down
  EXPECT_EQ(own.Msg("Get_Operador"), "Get_Operador");  // nowhere: the key itself
  EXPECT_EQ(own.find("Get_Operador"), nullptr);
  EXPECT_TRUE(own.contains("produto"));
  EXPECT_FALSE(own.contains("Get_Preco"));  // held by the fallback only
  EXPECT_EQ(own.fallback(), &standard);
  EXPECT_EQ(TMessages().Msg("X"), "X");
}

TEST(Messages, RefusesEntriesThatWouldBreakTheLookup) {
  EXPECT_THROW(TMessages({{"Oper_Bloc", "a"}, {"OPER_BLOC", "b"}}), std::invalid_argument);
  EXPECT_THROW(TMessages({{"Vazio", ""}}), std::invalid_argument);
  EXPECT_THROW(TMessages({{"Branco", "  \r\n"}}), std::invalid_argument);
  EXPECT_THROW(TMessages({{"", "texto"}}), std::invalid_argument);
  EXPECT_THROW(TMessages::fromLines({"semBarra"}), std::invalid_argument);
  EXPECT_THROW(TMessages::fromLines({" |texto"}), std::invalid_argument);

  TMessages a{{"a", "A"}};
  TMessages b({{"b", "B"}}, &a);
  EXPECT_THROW(a.setFallback(&b), std::invalid_argument);
  EXPECT_THROW(a.setFallback(&a), std::invalid_argument);
  EXPECT_EQ(a.fallback(), nullptr);
  EXPECT_EQ(b.Msg("zzz"), "zzz");  // the refused cycle left no loop behind
}

TEST(Messages, LinesSplitAtTheFirstBarAndKeepTheTextByteForByte) {
  const TMessages m = TMessages::fromLines({
      "CONF_CONC|Confirma conclusão da venda ",
      " insere |A venda foi inserida pelo operador \r\n",
      "Titulo|Cliente|Não há cliente cadastrado.",
  });
  EXPECT_EQ(m.Msg("conf_conc"), "Confirma conclusão da venda ");
  EXPECT_EQ(m.Msg("INSERE"), "A venda foi inserida pelo operador \r\n");
  EXPECT_EQ(m.Msg("Titulo"), "Cliente|Não há cliente cadastrado.");
}

TEST(FormatMsg, FillsPlaceholdersInOrderAndToleratesMismatches) {
  EXPECT_EQ(formatMsg("'%s' não é um valor válido para o campo %s.", {"12a", "Leitura X"}),
            "'12a' não é um valor válido para o campo Leitura X.");
  EXPECT_EQ(formatMsg("'%s' campo %s.", {"12a"}), "'12a' campo .");
  EXPECT_EQ(formatMsg("%s e %s", {}), " e ");
  EXPECT_EQ(formatMsg("(%s)", {"20,00", "sobra"}), "(20,00)");
  EXPECT_EQ(formatMsg("100%% pago, %d, 50%", {"x"}), "100% pago, %d, 50%");
  EXPECT_EQ(formatMsg("%s", {"%s%%"}), "%s%%");  // arguments are not formatted again
  EXPECT_EQ(formatMsg("", {"a"}), "");
}

TEST(FormatMsg, MsgFmtFormatsTheLookedUpText) {
  const TMessages m{{"SALDO_INV", "Saldo insuficiente. (%s)\r\nDeseja continuar?"}};
  EXPECT_EQ(m.MsgFmt("saldo_inv", {"20.00"}), "Saldo insuficiente. (20.00)\r\nDeseja continuar?");
  EXPECT_EQ(m.MsgFmt("Sem_Chave_%s", {"x"}), "Sem_Chave_x");
}

TEST_F(UiInstalled, ShowMsgShowsTheTextModallyAndReturnsTheButton) {
  const TMessages standard{{"Get_Preco", "Recebendo preço do servidor..."}};
  const TMessages m({{"canc_ok", "Cancelamento realizado com sucesso."},
                     {"Oper_Bloc_Observ", "Existe registro de observação na redução Z. Deseja continuar?"}},
                    &standard);

  EXPECT_EQ(m.ShowMsg("CANC_OK", MsgKind::Information, MsgButtons::Ok), MsgResult::Ok);
  fake.answer = MsgResult::No;
  EXPECT_EQ(m.ShowMsg("Oper_Bloc_Observ", MsgKind::Confirmation, MsgButtons::YesNo), MsgResult::No);
  fake.answer = MsgResult::Yes;
  EXPECT_EQ(m.ShowMsg("Get_Preco", MsgKind::Warning, MsgButtons::YesNo), MsgResult::Yes);
  m.ShowMsg("Nenhuma", MsgKind::Warning, MsgButtons::Ok);

  ASSERT_EQ(fake.shown.size(), 4u);
  EXPECT_EQ(fake.shown[0].text, "Cancelamento realizado com sucesso.");
  EXPECT_EQ(fake.shown[0].kind, MsgKind::Information);
  EXPECT_EQ(fake.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(fake.shown[1].kind, MsgKind::Confirmation);
  EXPECT_EQ(fake.shown[1].buttons, MsgButtons::YesNo);
  EXPECT_EQ(fake.shown[2].text, "Recebendo preço do servidor...");
  EXPECT_EQ(fake.shown[3].text, "Nenhuma");
}

TEST(StandardCatalogue, AnswersTheKeysScreensAskForWithoutHolding) {
  const TMessages& standard = msgMensagensPadroes();
  EXPECT_EQ(standard.Msg("Get_ItensCancelados"), "Recebendo itens cancelados do servidor...");
  EXPECT_EQ(standard.Msg("Get_Preco"), "Recebendo preço do servidor...");
  EXPECT_EQ(standard.Msg("Get_Operador"), "Recebendo operadores do servidor...");
  EXPECT_EQ(standard.Msg("InsAberCaixa"), "Gravando abertura de caixa no servidor...");
  EXPECT_EQ(standard.Msg("DelAberCaixa"), "Excluindo abertura de caixa no servidor...");
  EXPECT_EQ(standard.Msg("OPERADOR"), "Operador");
  EXPECT_EQ(standard.Msg("OPERADOR_NCAD"), "Não há operador cadastrado.");
  EXPECT_EQ(standard.Msg("PRODUTO"), "Produto");
  EXPECT_EQ(standard.fallback(), nullptr);
}
