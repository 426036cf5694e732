#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/pkg_vnd02600.h"
#include "script/runner.h"

namespace {

using script::Runner;

// A runner on a fresh temporary demonstration database.
class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { runner = std::make_unique<Runner>(script::RunOptions{}, out); }
  void TearDown() override { runner.reset(); }

  // Runs the script; answers its exit status. `out` holds the transcript.
  int run(std::string_view text) { return runner->run(text); }
  std::string transcript() const { return out.str(); }
  bool has(std::string_view line) const { return transcript().find(line) != std::string::npos; }

  std::ostringstream out;
  std::unique_ptr<Runner> runner;
};

constexpr const char* kOpen = "logon 1 ana123 0001\nabrir\n";

TEST_F(RunnerTest, ScriptErrorsRunNothingOrStopAtTheirLine) {
  // A misspelt command is found before anything runs.
  EXPECT_EQ(run("logon 1 ana123 0001\nabrri\n"), script::kRunFailed);
  EXPECT_EQ(transcript(), "!! linha 2: comando desconhecido: \"abrri\"\n");
  EXPECT_EQ(frmManutVenda, nullptr);

  // An unknown control stops the script at its line; what follows does not run.
  out.str("");
  EXPECT_EQ(run(std::string(kOpen) + "digitar medFilia 0002\ndigitar medFilial 0002\n"), script::kRunFailed);
  EXPECT_TRUE(has("!! linha 3: controle desconhecido: medFilia\n"));
  EXPECT_FALSE(has("> digitar medFilial 0002"));
  EXPECT_EQ(runner->error(), "linha 3: controle desconhecido: medFilia");
}

TEST_F(RunnerTest, ControlCommandsNeedTheScreenAndTheRightKindOfControl) {
  EXPECT_EQ(run("mostrar medFilial"), script::kRunFailed);
  EXPECT_TRUE(has("!! linha 1: a tela não está aberta (use abrir)"));
  ASSERT_EQ(run(kOpen), script::kRunOk);
  for (const auto& [line, error] : std::vector<std::pair<std::string, std::string>>{
           {"digitar sbtIncluir x", "sbtIncluir não aceita digitação"},
           {"menu sbtIncluir", "sbtIncluir não é um item de menu"},
           {"pagina medFilial", "medFilial não é uma página"},
           {"celula dbgItens NAOEXISTE 1", "a grade dbgItens não tem a coluna NAOEXISTE"},
           {"registro cdsNada proximo", "conjunto de registros desconhecido: cdsNada"},
           {"mostrar cdsAberCaixa", ""},
           {"sair depDeEntrega", "o foco não está em depDeEntrega (está em medFilial)"}}) {
    out.str("");
    const int status = run(line);
    if (error.empty()) {
      EXPECT_EQ(status, script::kRunOk) << transcript();
    } else {
      EXPECT_EQ(status, script::kRunFailed) << line;
      EXPECT_TRUE(has("!! linha 1: " + error)) << transcript();
    }
  }
}

TEST_F(RunnerTest, LeavingAControlTabsOnEvenFromOneOutOfTheTabOrder) {
  // The branch field is no tab stop; Tab from it still reaches the register.
  ASSERT_EQ(run(std::string(kOpen) + "sair medFilial\n"), script::kRunOk) << transcript();
  EXPECT_TRUE(has("> sair medFilial\n  foco: medCdCaixa\n"));
  // Leaving the panel from inside it lands outside it, unless the panel's
  // own exit step refused with a message.
  out.str("");
  ASSERT_EQ(run("foco medCdCaixa\nsair panFilial\n"), script::kRunOk) << transcript();
  const bool refused = has("  erro: ") || has("  aviso: ");
  EXPECT_TRUE(refused || !frmManutVenda->panFilial.containsFocus()) << transcript();
}

TEST_F(RunnerTest, ObservationsOfTheScreenAreWrittenWithoutChangingIt) {
  ASSERT_EQ(run(std::string(kOpen) + "digitar medCdCaixa 12345\nclicar sbtImprimir\nregistro cdsPedidoVenda proximo\n"
                                     "mostrar cdsPedidoVenda CDFILIAL\nmostrar edtFilial\ntecla dbgItens Insert\n"),
            script::kRunOk)
      << transcript();
  EXPECT_TRUE(has("> digitar medCdCaixa 12345\n  (aceitos 3 de 5 caracteres)\n  foco: medCdCaixa\n"));
  EXPECT_TRUE(has("> clicar sbtImprimir\n  (sbtImprimir indisponível)\n"));
  EXPECT_TRUE(has("> registro cdsPedidoVenda proximo\n  (cdsPedidoVenda fechado)\n"));
  EXPECT_TRUE(has("  cdsPedidoVenda: fechado\n"));
  EXPECT_TRUE(has("  edtFilial: \"Matriz Centro\" [desabilitado]\n"));
  // A key for a grid on a page not shown never reaches it.
  EXPECT_TRUE(has("> tecla dbgItens Insert\n  (dbgItens não pode receber o foco)\n"));
  EXPECT_EQ(run("mostrar cdsPedidoVenda NAOEXISTE"), script::kRunFailed);
}

TEST_F(RunnerTest, RecordSetContentsShowEveryRowAndTheCurrentOne) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  platform::ClientDataSet& set = frmManutVenda->cdsSumVenda;
  out.str("");
  // cdsSumVenda is declared with its fields; fill two rows of them.
  set.close();
  set.createDataSet();
  ASSERT_GT(set.fieldCount(), 0);
  platform::Field& f = set.field(0);
  for (const char* v : {"1", "2"}) {
    set.append();
    f.setText(v);
    set.post();
  }
  set.first();
  ASSERT_EQ(run("registro cdsSumVenda ultimo\nmostrar cdsSumVenda " + f.name() + "\n"), script::kRunOk) << transcript();
  EXPECT_TRUE(has("  cdsSumVenda: registro 2 de 2 (navegação)\n"));
  EXPECT_TRUE(has("  cdsSumVenda: 2 registro(s), atual 2 (navegação)\n    1 | " + f.name() + "="));
  EXPECT_TRUE(has("  * 2 | " + f.name() + "="));
}

TEST_F(RunnerTest, AbortedActionsAreSwallowedAtTheGestureBoundaryAndTheScriptGoesOn) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  screen::TfrmManutVenda& f = *frmManutVenda;
  f.sbtAjuda.OnClick = [](platform::Control&) { platform::MensErro("Ajuda indisponível."); };
  f.sbtFechar.OnClick = [](platform::Control&) { throw platform::UserError("Não pode fechar."); };
  out.str("");
  EXPECT_EQ(run("clicar sbtAjuda\nesperar-mensagem \"indisponível\"\nclicar sbtFechar\n"
                "esperar-mensagem \"Não pode fechar.\"\nmostrar foco\n"),
            script::kRunOk);
  EXPECT_TRUE(has("> clicar sbtAjuda\n  erro: Ajuda indisponível.\n"));
  EXPECT_TRUE(has("> clicar sbtFechar\n  erro: Não pode fechar.\n"));
  EXPECT_TRUE(has("  foco: medFilial\n"));
}

TEST_F(RunnerTest, FailedExpectationsStopTheScript) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  out.str("");
  EXPECT_EQ(run("esperar-foco medCdCaixa\nabrir"), script::kRunFailed);
  EXPECT_TRUE(has("!! linha 1: o foco devia estar em medCdCaixa e está em medFilial"));
  EXPECT_FALSE(has("> abrir"));
  frmManutVenda->sbtAjuda.OnClick = [](platform::Control&) { platform::MensErro("Primeira."); };
  EXPECT_EQ(run("clicar sbtAjuda\nesperar-mensagem \"Segunda\""), script::kRunFailed);
  EXPECT_TRUE(has("a mensagem \"Segunda\" não apareceu (apareceu: \"Primeira.\")"));
  // A message belongs to the action that showed it, not to later ones.
  EXPECT_EQ(run("clicar sbtAjuda\nfoco medCdCaixa\nesperar-mensagem \"Primeira\""), script::kRunFailed);
  EXPECT_EQ(run("clicar sbtAjuda\nesperar-nenhuma-mensagem"), script::kRunFailed);
  EXPECT_EQ(run("esperar-texto medFilial 0002"), script::kRunFailed);
  EXPECT_TRUE(has("medFilial mostra \"0001\", não \"0002\""));
}

TEST_F(RunnerTest, AFaultOfTheScreenEndsTheRunAsInternal) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  frmManutVenda->sbtAjuda.OnClick = [](platform::Control&) { throw std::logic_error("estado impossível"); };
  EXPECT_EQ(run("clicar sbtAjuda\nabrir"), script::kRunInternal);
  EXPECT_TRUE(has("!! linha 1: erro inesperado da tela: estado impossível"));
}

TEST_F(RunnerTest, AProgressAnimationLeftOpenIsReported) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  frmManutVenda->sbtAjuda.OnClick = [](platform::Control&) {
    platform::ui().showProgress(platform::kProgressReceiving, "");
    platform::Abort();
  };
  out.str("");
  EXPECT_EQ(run("clicar sbtAjuda\nclicar sbtAjuda"), script::kRunOk);
  EXPECT_EQ(transcript(),
            "> clicar sbtAjuda\n  (animação de progresso não fechada)\n"
            "> clicar sbtAjuda\n  (animação de progresso não fechada)\n");
}

TEST_F(RunnerTest, TheScreenClosingItselfIsInTheTranscript) {
  ASSERT_EQ(run(kOpen), script::kRunOk);
  out.str("");
  ASSERT_EQ(run("clicar sbtFechar\nabrir\n"), script::kRunOk);
  EXPECT_EQ(transcript(),
            "> clicar sbtFechar\n  tela fechada\n> abrir\n  tela: Manutenção da Venda\n"
            // The branch field takes the focus: entering the filter panel
            // empties the pages and asks for the (absent) sale's details.
            "  chamada: GetItens(, , )\n  chamada: GetTipoRece(, , )\n  chamada: GetSumVenda(, , )\n"
            "  foco: medFilial\n");
}

TEST_F(RunnerTest, UnusedAnswersAndPicksAreNotedAtTheEnd) {
  EXPECT_EQ(run("responder sim\nescolher 1\nescolher nenhum"), script::kRunOk);
  EXPECT_TRUE(has("(1 resposta(s) preparada(s) sem pergunta)"));
  EXPECT_TRUE(has("(2 escolha(s) preparada(s) sem pesquisa)"));
}

TEST(RunnerOptions, ARemoteServerNeedsTheLocalDatabase) {
  std::ostringstream out;
  script::RunOptions o;
  o.server = "127.0.0.1:8600";
  EXPECT_THROW(Runner(o, out), std::runtime_error);
}

}  // namespace

namespace {

TEST(ExpectedTranscript, ComparedByLinesIgnoringCarriageReturns) {
  EXPECT_TRUE(script::sameTranscript("> abrir\r\n  foco: medFilial\r\n", "> abrir\n  foco: medFilial\n"));
  EXPECT_FALSE(script::sameTranscript("> abrir\n", "> abrir\n  erro: x\n"));
  const script::TranscriptDifference d =
      script::firstDifference("> abrir\n  foco: medFilial\n", "> abrir\n  foco: medCdCaixa\n");
  EXPECT_EQ(d.line, 2);
  EXPECT_EQ(d.expected, "  foco: medFilial");
  EXPECT_EQ(d.actual, "  foco: medCdCaixa");
  // A transcript cut short shows where it ended.
  const script::TranscriptDifference cut = script::firstDifference("> abrir\n> fechar\n", "> abrir\n");
  EXPECT_EQ(cut.line, 2);
  EXPECT_EQ(cut.actual, "(fim)");
}

}  // namespace
