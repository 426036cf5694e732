// The guards every change of the day's data passes: the approval lock of
// the Z reduction, the open-register guard and the movement-date window
// around the branch's processing date.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "platform/datetime.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using livetest::LiveScreen;
using platform::DateTime;
using platform::encodeDate;
using platform::encodeDateTime;
using platform::Value;
using namespace registerday;

const char* const kOutsideWindow =
    "Operação não permitida. A data de movimento não se enquadra nos parâmetros definidos para a data de "
    "processamento.";
const char* const kClosed = "Operação Bloqueada! Caixa fechado.";
const char* const kApproved =
    "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a Redução Z "
    "deste dia está com status de Aprovada.";

class Guards : public LiveScreen {
 protected:
  void setWindow(const Value& processing, const char* before, int daysBefore, const char* after, int daysAfter) {
    sql(*session,
        "UPDATE PARAMPROC SET DTPROCVND = :P, IDPERLANCANTDP = :A, NRDIAANTLANC = :NA, IDPERLANCPOSDP = :D, "
        "NRDIAPOSLANC = :ND WHERE CDFILIAL = '0001'",
        {{"P", processing}, {"A", before}, {"NA", daysBefore}, {"D", after}, {"ND", daysAfter}});
  }
  // Runs the window check for a movement date; the refusal text, or
  // nullopt when accepted.
  std::optional<std::string> window(screen::TfrmManutVenda& f, DateTime movement) {
    f.depDeEntrega.setDate(movement);
    ui.shown.clear();
    if (gesture([&] { f.guards.vd_DataMov(); })) return std::nullopt;
    return ui.lastText();
  }
  long count(const std::string& call) { return std::count(calls.begin(), calls.end(), call); }
};

struct WindowCase {
  const char* what;
  DateTime processing;
  const char* before;
  int daysBefore;
  const char* after;
  int daysAfter;
  DateTime movement;
  bool accepted;
};

// The processing date and its allowance are read again on every check, so
// each row below changes them in the database under the open screen.
TEST_F(Guards, MovementDateWindowAroundTheProcessingDate) {
  screen::TfrmManutVenda& f = open();
  f.medFilial.setText("0001");
  const DateTime p = encodeDate(2026, 1, 10);
  const DateTime pAfternoon = encodeDateTime(2026, 1, 10, 14, 0, 0);
  const WindowCase cases[] = {
      {"two days after, two allowed", p, "N", 0, "S", 2, encodeDate(2026, 1, 12), true},
      {"two days after, one allowed", p, "N", 0, "S", 1, encodeDate(2026, 1, 12), false},
      {"after not allowed at all", p, "S", 30, "N", 30, encodeDate(2026, 1, 12), false},
      {"two days before, two allowed", p, "S", 2, "N", 0, encodeDate(2026, 1, 8), true},
      {"three days before, two allowed", p, "S", 2, "N", 0, encodeDate(2026, 1, 7), false},
      {"before not allowed at all", p, "N", 30, "S", 30, encodeDate(2026, 1, 9), false},
      {"the processing day itself", p, "N", 0, "N", 0, p, true},
      // A processing date stored with a time of day lies after the start
      // of its own day, so that day falls under the earlier-dates rule.
      {"same day, processing at 14:00, one day before allowed", pAfternoon, "S", 1, "N", 0, p, true},
      {"same day, processing at 14:00, no day before", pAfternoon, "S", 0, "S", 5, p, false},
      {"same day, processing at 14:00, before not allowed", pAfternoon, "N", 5, "S", 5, p, false},
      {"next day, processing at 14:00, one day after", pAfternoon, "N", 0, "S", 1, encodeDate(2026, 1, 11), true},
  };
  for (const WindowCase& c : cases) {
    setWindow(Value(c.processing), c.before, c.daysBefore, c.after, c.daysAfter);
    const std::optional<std::string> refusal = window(f, c.movement);
    if (c.accepted)
      EXPECT_FALSE(refusal) << c.what << ": " << *refusal;
    else
      EXPECT_EQ(refusal.value_or("accepted"), kOutsideWindow) << c.what;
  }
  EXPECT_EQ(count("getVdDataAber(0001)"), static_cast<long>(std::size(cases)));
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(Guards, NoProcessingDateAcceptsEveryMovementDate) {
  screen::TfrmManutVenda& f = open();
  f.medFilial.setText("0001");
  setWindow(Value(), "N", 0, "N", 0);
  for (DateTime d : {encodeDate(1999, 1, 1), encodeDate(2026, 3, 6), encodeDate(2040, 12, 31)})
    EXPECT_FALSE(window(f, d)) << platform::formatDate(d);
}

TEST_F(Guards, ClosedRegisterBlocksChangesOutsideTheZReductionPage) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  ASSERT_FALSE(f.cdsAberCaixa.fieldByName("DTFECHCAIX").isNull());
  calls.clear();

  EXPECT_FALSE(gesture([&] { f.guards.openRegisterGuard(); }));
  EXPECT_EQ(ui.lastText(), kClosed);
  // Editing a closed opening is refused by the same guard and leaves it
  // untouched.
  ui.shown.clear();
  EXPECT_FALSE(gesture([&] { f.cdsAberCaixa.edit(); }));
  EXPECT_EQ(ui.lastText(), kClosed);
  EXPECT_EQ(f.cdsAberCaixa.state(), platform::DataSetState::Browse);

  // The Z reduction of a closed day is still maintained.
  f.pgcPadrao.setActivePage(f.tshReducao);
  ui.shown.clear();
  calls.clear();
  EXPECT_TRUE(gesture([&] { f.guards.openRegisterGuard(); }));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(calls.empty());
}

TEST_F(Guards, OpenRegisterRunsTheWindowCheck) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  calls.clear();
  EXPECT_TRUE(gesture([&] { f.guards.openRegisterGuard(); })) << ui.lastText();
  EXPECT_EQ(count("getVdDataAber(0001)"), 1);
  // The same open opening outside the window (the branch allows one day
  // after its processing date, the demo's last day).
  setWindow(Value(demoDay(2)), "S", 7, "S", 1);
  EXPECT_FALSE(gesture([&] { f.guards.openRegisterGuard(); }));
  EXPECT_EQ(ui.lastText(), kOutsideWindow);
}

TEST_F(Guards, ApprovedZReductionLocksEveryChangeOfTheOpenings) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(0));
  ASSERT_EQ(f.cdsReducaoZ.fieldByName("IDSTATUS").asString(), "A");
  calls.clear();
  const int rows = f.cdsAberCaixa.recordCount();
  for (auto change :
       {&platform::ClientDataSet::append, &platform::ClientDataSet::edit, &platform::ClientDataSet::remove}) {
    ui.shown.clear();
    EXPECT_FALSE(gesture([&] { (f.cdsAberCaixa.*change)(); }));
    EXPECT_EQ(ui.lastText(), kApproved);
    EXPECT_EQ(f.cdsAberCaixa.state(), platform::DataSetState::Browse);
    EXPECT_EQ(f.cdsAberCaixa.recordCount(), rows);
  }
  // The lock refuses before anything is asked of the server.
  EXPECT_TRUE(calls.empty());

  // Without a Z reduction loaded nothing is locked.
  ui.shown.clear();
  f.cdsReducaoZ.close();
  EXPECT_TRUE(gesture([&] { f.guards.vd_RedStatus(); }));
  f.cdsReducaoZ.createDataSet();
  EXPECT_TRUE(gesture([&] { f.guards.vd_RedStatus(); }));
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
