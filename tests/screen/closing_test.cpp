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
  ASSERT_GE(calls.size(), 2u) << ui.lastText();
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

// Without a Z reduction, or with the day's one approved, the server is not
// asked at all.
TEST_F(Closing, MissingOrApprovedZReductionIsRefusedBeforeAsking) {
  sql(*session,
      "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTMOVTURCAIX = :D",
      {{"D", Value(demoDay(0))}});
  screen::TfrmManutVenda& f = open();
  for (auto [day, key] : {std::pair{4, "REDUCZ_N_INF"}, std::pair{0, "Oper_Bloc_S"}}) {
    loadDay(f, demoDay(day));
    calls.clear();
    EXPECT_FALSE(closeDay(f));
    EXPECT_EQ(ui.lastText(), f.Msg(key));
    EXPECT_TRUE(calls.empty());
  }
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
  std::vector<const char*> changes;  // statements run on the reopened day
  const char* key;                   // of the message shown
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
  const std::string key = GetParam().key;
  EXPECT_EQ(ui.lastText(), key == "VENDASERIEERRADA" ? f.msgPadrao.MsgFmt(key, {"ABC123"}) : f.Msg(key));
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
        VerdictCase{{"UPDATE VENDA SET IDSITUVENDA = 'P' WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                     "NRSEQVENDA = '0000000040'"},
                    "VENDASPENDENTES"},
        VerdictCase{{kNet.c_str()}, "VENDALIQERRADA"}, VerdictCase{{kCancelled.c_str()}, "VENDACANCERRADA"},
        VerdictCase{{"UPDATE IMPOSTOREDZ SET VRBCALCIMPRZ = VRBCALCIMPRZ + 1 WHERE CDFILIAL = '0001' AND "
                     "CDCAIXA = '001' AND DTREDUCAOZ = '2026-03-05 00:00:00' AND CDIMPOSTO = '01'"},
                    "ICMSERRADA"},
        VerdictCase{{kNonIncidence.c_str()}, "NINCIDERRADA"}, VerdictCase{{kExempt.c_str()}, "ISENTOERRADA"},
        VerdictCase{{kSubstitution.c_str()}, "SUBTRERRADA"},
        VerdictCase{{"DELETE FROM ITVENDAIMPOS WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = "
                     "'0000000038' AND NRSEQUITVEND = '002'",
                     kUnclassified.c_str()},
                    "IMPOSTODIF"},
        VerdictCase{{"UPDATE VENDA SET NRSERIEIMPVND = 'ABC123' WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
                     "NRSEQVENDA = '0000000041'"},
                    "VENDASERIEERRADA"}),
    [](const ::testing::TestParamInfo<VerdictCase>& info) { return std::string(info.param.key); });

// A server whose closing answers a scripted verdict; everything else goes
// to the embedded server.
class ScriptedVerdict : public platform::ForwardingTransport {
 public:
  ScriptedVerdict(std::unique_ptr<platform::RemoteTransport> inner, const std::string& verdict)
      : ForwardingTransport(std::move(inner)), verdict_(verdict) {}
  platform::RemoteResult call(const std::string& token, const std::string& op, std::vector<Value>& args) override {
    platform::RemoteResult r = inner().call(token, op, args);
    if (op == "SetFechaCaixa") return platform::RemoteResult::success(Value(verdict_));
    return r;
  }

 private:
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
  EXPECT_EQ(ui.lastText(), f.msgPadrao.MsgFmt("VENDASERIEERRADA", {"123456789012345678901234567890"}));
  verdict = "IMPOSTOVENDIF";
  EXPECT_FALSE(closeDay(f));
  EXPECT_EQ(ui.lastText(), f.Msg("IMPOSTOVENDIF"));
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
