// Closing a register day: the screen's own refusals before asking, each
// verdict of the server produced from real data of a reopened demo day,
// the reload and notice on success, and the verdicts the screen ignores.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/datetime.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using livetest::LiveScreen;
using platform::Value;
using namespace registerday;

class Closing : public LiveScreen {
 protected:
  // Day 3 of register 001 was closed with sales that agree with its Z
  // reduction; reopened, it closes again.
  void reopen() {
    sql(*session,
        "UPDATE TURCAIXA SET DTFECHCAIX = NULL, CDOPEFECHA = NULL WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
        "AND DTMOVTURCAIX = :D",
        {{"D", Value(demoDay(3))}});
  }
  bool called(const std::string& prefix) const {
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); });
  }
  bool closeDay(screen::TfrmManutVenda& f) {
    return gesture([&] { f.registerPart.btnFecharCaixaClick(); });
  }
};

TEST_F(Closing, AgreeingDayClosesAndTheOpeningsAreReloaded) {
  reopen();
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  ASSERT_TRUE(f.cdsAberCaixa.fieldByName("DTFECHCAIX").isNull());
  calls.clear();
  f.mnuFecharCaixa.setEnabled(true);
  ASSERT_TRUE(f.mnuFecharCaixa.click());
  ASSERT_EQ(calls.size(), 2u) << ui.lastText();
  EXPECT_EQ(calls[0], "SetFechaCaixa(0001, 001, 05/03/2026 06:00:00)");
  EXPECT_TRUE(calls[1].starts_with("GetAberCaixa(0001, 001, 05/03/2026"));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].kind, platform::MsgKind::Information);
  EXPECT_EQ(ui.shown[0].text, "Caixa fechado com sucesso.");
  EXPECT_FALSE(f.cdsAberCaixa.fieldByName("DTFECHCAIX").isNull());
  EXPECT_EQ(f.cdsAberCaixa.fieldByName("IDSITUACAO").displayText(), "Fechado");
  EXPECT_NE(std::find(ui.captions.begin(), ui.captions.end(), "Recebendo abertura de caixa do servidor..."),
            ui.captions.end());
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(Closing, WithoutZReductionTheServerIsNotAsked) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  calls.clear();
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(), "Redução Z deve ser informada.");
  EXPECT_TRUE(calls.empty());
}

TEST_F(Closing, ApprovedDayIsNotAsked) {
  sql(*session, "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTMOVTURCAIX = :D",
      {{"D", Value(demoDay(0))}});
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(0));
  calls.clear();
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(),
            "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a Redução Z "
            "deste dia está com status de Aprovada.");
  EXPECT_TRUE(calls.empty());
}

// A refusal of the call itself (here: the opening is already closed) is
// shown, and nothing is reloaded.
TEST_F(Closing, RefusedCallIsShownAndNothingReloaded) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(2));
  calls.clear();
  EXPECT_FALSE(closeDay(f));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].kind, platform::MsgKind::Error);
  EXPECT_FALSE(called("GetAberCaixa("));
  EXPECT_EQ(ui.progressDepth, 0);
}

struct VerdictCase {
  const char* name;
  std::vector<const char*> changes;  // statements run on the reopened day
  const char* message;
};

class ClosingVerdicts : public Closing, public ::testing::WithParamInterface<VerdictCase> {};

const char* const kZDay =
    "CDFILIAL = '0001' AND CDCAIXA = '001' AND DTREDUCAOZ = (SELECT DTMOVTURCAIX FROM TURCAIXA WHERE "
    "CDFILIAL = '0001' AND CDCAIXA = '001' AND DTFECHCAIX IS NULL AND DTMOVTURCAIX < '2026-03-06')";

std::string zUpdate(const std::string& set) { return "UPDATE REDUCAOZ SET " + set + " WHERE " + kZDay; }

TEST_P(ClosingVerdicts, RefusalIsShownAndTheDayStaysOpen) {
  reopen();
  for (const char* change : GetParam().changes) sql(*session, change);
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  calls.clear();
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(), GetParam().message);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_TRUE(f.cdsAberCaixa.fieldByName("DTFECHCAIX").isNull());
  EXPECT_TRUE(select(*session,
                     "SELECT DTFECHCAIX FROM TURCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                     "DTMOVTURCAIX = :D",
                     {{"D", Value(demoDay(3))}})
                  .rows.at(0)
                  .values[0]
                  .isNull());
}

const std::string kNet = zUpdate("VRVENLIQREDZ = VRVENLIQREDZ + 1");
const std::string kCancelled = zUpdate("VRTOTCANREDZ = VRTOTCANREDZ + 1");
const std::string kNonIncidence = zUpdate("VRNINCIDREDZ = VRNINCIDREDZ + 1");
const std::string kExempt = zUpdate("VRISENCREDZ = VRISENCREDZ + 1");
const std::string kSubstitution = zUpdate("VRSTRIBREDZ = VRSTRIBREDZ + 1");
// Item 002 of sale 38 (3 x 5,09) is the day's substitution item; without
// its taxes it counts in no column, and with the Z's substitution total
// lowered to match, the Z's columns no longer add up to its net sale.
const std::string kUnclassified = zUpdate("VRSTRIBREDZ = VRSTRIBREDZ - 15.27");

INSTANTIATE_TEST_SUITE_P(
    RealData, ClosingVerdicts,
    ::testing::Values(
        VerdictCase{"pending",
                    {"UPDATE VENDA SET IDSITUVENDA = 'P' WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                     "NRSEQVENDA = '0000000040'"},
                    "Operação bloqueada. Existem vendas pendentes."},
        VerdictCase{"net",
                    {kNet.c_str()},
                    "Operação Bloqueada. Total de vendas difere do valor de venda liquida informado na Redução Z."},
        VerdictCase{"cancelled",
                    {kCancelled.c_str()},
                    "Operação bloqueda. Total de cancelamentos das vendas difere do valor de cancelamentos "
                    "informados na Redução Z."},
        VerdictCase{"icms",
                    {"UPDATE IMPOSTOREDZ SET VRBCALCIMPRZ = VRBCALCIMPRZ + 1 WHERE CDFILIAL = '0001' AND "
                     "CDCAIXA = '001' AND DTREDUCAOZ = '2026-03-05 00:00:00' AND CDIMPOSTO = '01'"},
                    "Operação bloqueada. Total das vendas com ICMS difere do valor de imposto ICMS informado na "
                    "Redução Z."},
        VerdictCase{"non-incidence",
                    {kNonIncidence.c_str()},
                    "Operação bloqueada. Total das vendas com não incidência difere do valor de não incidência "
                    "informado na Redução Z."},
        VerdictCase{"exempt",
                    {kExempt.c_str()},
                    "Operação bloqueada. Total das vendas com isenção difere do valor de isenção informado na "
                    "Redução Z."},
        VerdictCase{"substitution",
                    {kSubstitution.c_str()},
                    "Operação bloqueada. Total das vendas com substituição tributária difere do valor de "
                    "substituição tributária informado na Redução Z."},
        VerdictCase{"unclassified item",
                    {"DELETE FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = "
                     "'0000000038' AND NRSEQUITVEND = '002'",
                     kUnclassified.c_str()},
                    "Operação bloqueada. Somatório dos valores de ICMS, Substitituição Tributária, Isenção e Não "
                    "Incidência informados na Redução Z difere do valor de venda líquida informado na Redução Z."},
        VerdictCase{"series",
                    {"UPDATE VENDA SET NRSERIEIMPVND = 'ABC123' WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                     "NRSEQVENDA = '0000000041'"},
                    "Operação Bloqueada. Existem vendas para o nr. de série 'ABC123' e não existe Redução Z para "
                    "este mesmo nr. de série."}),
    [](const ::testing::TestParamInfo<VerdictCase>& info) {
      std::string n;
      for (char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c))) n += c;
      return n;
    });

// A server whose closing answers a scripted verdict; everything else goes
// to the embedded server.
class ScriptedVerdict : public platform::RemoteTransport {
 public:
  ScriptedVerdict(std::unique_ptr<platform::RemoteTransport> inner, const std::string& verdict)
      : inner_(std::move(inner)), verdict_(verdict) {}
  std::string connect(const platform::RemoteEndpoint& e) override { return inner_->connect(e); }
  void disconnect() override { inner_->disconnect(); }
  platform::LogonResult logon(const std::string& o, const std::string& p, const std::string& b) override {
    return inner_->logon(o, p, b);
  }
  void logoff(const std::string& t) override { inner_->logoff(t); }
  platform::RemoteResult call(const std::string& token, const std::string& op, std::vector<Value>& args) override {
    platform::RemoteResult r = inner_->call(token, op, args);
    if (op == "SetFechaCaixa") return platform::RemoteResult::success(Value(verdict_));
    return r;
  }

 private:
  std::unique_ptr<platform::RemoteTransport> inner_;
  const std::string& verdict_;
};

class ClosingAnswers : public Closing {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<ScriptedVerdict>(
        std::make_unique<livetest::RecordingTransport>(session->makeTransport(), calls), verdict));
    c.setSessionToken(session->token());
  }
  std::string verdict;
};

TEST_F(ClosingAnswers, SeriesVerdictShowsAtMostThirtyCharactersOfTheSeries) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  verdict = "VENDASERIEERRADA123456789012345678901234567890XYZ";
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(),
            "Operação Bloqueada. Existem vendas para o nr. de série '123456789012345678901234567890' e não existe "
            "Redução Z para este mesmo nr. de série.");
  verdict = "IMPOSTOVENDIF";
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(),
            "Operação bloqueada. Somatório do ICMS, Substitituição Tributária, Isenção e Não Incidência das vendas "
            "difere do valor de venda líquida informado na Redução Z.");
}

TEST_F(ClosingAnswers, UnknownVerdictsAreIgnored) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  for (const char* answer : {"ok", "OK ", "", "FECHADO", "vendaspendentes"}) {
    verdict = answer;
    calls.clear();
    ui.shown.clear();
    EXPECT_TRUE(closeDay(f)) << answer;
    EXPECT_TRUE(ui.shown.empty()) << answer;
    EXPECT_FALSE(called("GetAberCaixa(")) << answer;
  }
  EXPECT_EQ(ui.progressDepth, 0);
}

}  // namespace
