// Register openings: a new opening's defaults, the checks before it is
// sent, the operator's validation and look-up, the display of the grid,
// and every post and delete sent to the server at once (undone when the
// server refuses it).

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/datetime.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using livetest::LiveScreen;
using platform::DataSetState;
using platform::encodeDateTime;
using platform::Value;
using namespace registerday;

class Openings : public LiveScreen {
 protected:
  long count(const std::string& prefix) const {
    return std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); });
  }
  bool called(const std::string& prefix) const { return count(prefix) > 0; }
  // The stored openings of branch 0001, register 001 on a day: date-time,
  // operator, closing.
  platform::DataPacket stored(platform::DateTime day) {
    return select(*session,
                  "SELECT DTABERCAIX, CDOPERABER, DTFECHCAIX, CDOPERADOR FROM TURCAIXA WHERE CDFILIAL = '0001' AND "
                  "CDCAIXA = '001' AND DTMOVTURCAIX = :D ORDER BY DTABERCAIX",
                  {{"D", Value(day)}});
  }
  std::string selectedField(screen::TfrmManutVenda& f) {
    const platform::Field* fld = f.dbgAberCaixa.selectedField();
    return fld ? fld->name() : std::string();
  }
};

TEST_F(Openings, NewOpeningStartsAtSixOnTheFilterDayAndIsSavedAtOnce) {
  screen::TfrmManutVenda& f = open();
  const platform::DateTime day = demoDay(5);
  loadDay(f, day);
  ASSERT_TRUE(f.cdsAberCaixa.isEmpty());
  platform::ClientDataSet& a = f.cdsAberCaixa;
  calls.clear();

  ASSERT_TRUE(gesture([&] { a.append(); })) << ui.lastText();
  EXPECT_EQ(a.fieldByName("DTABERCAIX").asDateTime(), encodeDateTime(2026, 3, 7, 6, 0, 0));
  EXPECT_EQ(a.fieldByName("DTMOVTURCAIX").asDateTime(), day);
  EXPECT_EQ(a.fieldByName("CDOPERADOR").asString(), "000000000001");
  EXPECT_EQ(a.fieldByName("CDOPERABER").asString(), "000000000001");
  EXPECT_EQ(selectedField(f), "DTABERCAIX");

  ASSERT_TRUE(gesture([&] { a.post(); })) << ui.lastText();
  EXPECT_TRUE(called("getCaixaAberto(0001, 001, 07/03/2026"));
  EXPECT_TRUE(called("getAbertura(0001, 001, 07/03/2026 06:00:00"));
  EXPECT_TRUE(called("SetAberCaixa(<packet>)"));
  EXPECT_NE(std::find(ui.captions.begin(), ui.captions.end(), f.Msg("InsAberCaixa")), ui.captions.end());
  EXPECT_EQ(a.changeCount(), 0);
  EXPECT_EQ(a.fieldByName("CDFILIAL").asString(), "0001");
  EXPECT_EQ(a.fieldByName("NMOPERADOR").asString(), "Ana Paula Ferraz");
  const platform::DataPacket rows = stored(day);
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].values[1].asText(), "000000000001");
  EXPECT_TRUE(rows.rows[0].values[2].isNull());
  EXPECT_EQ(ui.progressDepth, 0);
}

// The opening date must fall on the movement date; leaving the column
// with another day is refused and the cell keeps the focus.
TEST_F(Openings, OpeningDateMustBeTheMovementDate) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(5));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.append(); }));
  f.dbgAberCaixa.setSelectedField(a.fieldByName("DTABERCAIX"));
  a.fieldByName("DTABERCAIX").setAsDateTime(encodeDateTime(2026, 3, 8, 8, 0, 0));
  EXPECT_FALSE(gesture([&] { f.dbgAberCaixa.selectColumn("CDOPERABER"); }));
  EXPECT_EQ(ui.lastText(), "Data de abertura deve ser igual a data de movimento.");
  EXPECT_EQ(selectedField(f), "DTABERCAIX");
  EXPECT_EQ(a.state(), DataSetState::Insert);

  a.fieldByName("DTABERCAIX").setAsDateTime(encodeDateTime(2026, 3, 7, 9, 30, 0));
  EXPECT_TRUE(gesture([&] { f.dbgAberCaixa.selectColumn("CDOPERABER"); }));
  EXPECT_EQ(a.fieldByName("DTMOVTURCAIX").asDateTime(), demoDay(5));
}

TEST_F(Openings, SecondOpenOpeningIsRefusedBeforeTheDuplicateCheck) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.append(); }));
  calls.clear();
  EXPECT_FALSE(gesture([&] { a.post(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data.");
  EXPECT_TRUE(called("getCaixaAberto("));
  EXPECT_FALSE(called("getAbertura("));
  EXPECT_FALSE(called("SetAberCaixa("));
  EXPECT_EQ(a.state(), DataSetState::Insert);
  EXPECT_EQ(selectedField(f), "DTABERCAIX");
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(Openings, RepeatedOpeningDateTimeIsRefused) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));  // closed, opened at 06:00 like the default
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.append(); })) << ui.lastText();
  EXPECT_FALSE(gesture([&] { a.post(); }));
  EXPECT_EQ(ui.lastText(), "Data de abertura já cadastrada.");
  EXPECT_FALSE(called("SetAberCaixa("));
  EXPECT_EQ(a.state(), DataSetState::Insert);
}

TEST_F(Openings, OperatorIsBroughtToItsWidthAndMustBeRegistered) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(5));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  platform::Field& op = a.fieldByName("CDOPERABER");
  ASSERT_TRUE(gesture([&] { a.append(); }));

  f.dbgAberCaixa.setSelectedField(op);
  op.setAsString("7");
  EXPECT_FALSE(gesture([&] { f.dbgAberCaixa.selectColumn("DTABERCAIX"); }));
  EXPECT_EQ(ui.lastText(), "Operador não cadastrado.");
  EXPECT_EQ(op.asString(), "000000000007");
  EXPECT_EQ(selectedField(f), "CDOPERABER");

  op.setAsString("5");
  EXPECT_TRUE(gesture([&] { f.dbgAberCaixa.selectColumn("DTABERCAIX"); })) << ui.lastText();
  EXPECT_EQ(op.asString(), "000000000005");
  EXPECT_EQ(a.fieldByName("NMOPERADOR").asString(), "Elisa Moreira");
  // The opening's own operator code stays the logged one.
  EXPECT_EQ(a.fieldByName("CDOPERADOR").asString(), "000000000001");

  // Leaving an empty operator is allowed; posting it is not.
  f.dbgAberCaixa.setSelectedField(op);
  op.clear();
  EXPECT_TRUE(gesture([&] { f.dbgAberCaixa.selectColumn("DTABERCAIX"); }));
  EXPECT_FALSE(gesture([&] { a.post(); }));
  EXPECT_EQ(ui.lastText(), "Operador deve ser informado.");
  EXPECT_EQ(selectedField(f), "CDOPERABER");
  EXPECT_EQ(a.state(), DataSetState::Insert);
}

TEST_F(Openings, ChangingOnlyTheOperatorSkipsTheOpeningChecks) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.edit(); })) << ui.lastText();
  a.fieldByName("CDOPERABER").setAsString("2");
  calls.clear();
  ASSERT_TRUE(gesture([&] { a.post(); })) << ui.lastText();
  EXPECT_FALSE(called("getCaixaAberto("));
  EXPECT_FALSE(called("getAbertura("));
  EXPECT_TRUE(called("SetAberCaixa("));
  EXPECT_EQ(stored(demoDay(4)).rows.at(0).values[1].asText(), "000000000002");
}

// The server counts the open opening being corrected among the day's open
// openings; it is not another open register, so moving its time is allowed,
// while a second open opening of the day still refuses it.
TEST_F(Openings, CorrectingTheTimeOfTheOpenOpening) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.edit(); })) << ui.lastText();
  a.fieldByName("DTABERCAIX").setAsDateTime(encodeDateTime(2026, 3, 6, 7, 0, 0));
  ASSERT_TRUE(gesture([&] { a.post(); })) << ui.lastText();
  EXPECT_EQ(a.changeCount(), 0);
  platform::DataPacket rows = stored(demoDay(4));
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].values[0].asDateTime(), encodeDateTime(2026, 3, 6, 7, 0, 0));

  sql(*session,
      "INSERT INTO TURCAIXA (CDFILIAL, CDCAIXA, DTABERCAIX, DTMOVTURCAIX, CDOPERADOR, CDOPERABER) "
      "VALUES ('0001', '001', :A, :D, '000000000003', '000000000003')",
      {{"A", Value(encodeDateTime(2026, 3, 6, 12, 0, 0))}, {"D", Value(demoDay(4))}});
  ASSERT_TRUE(gesture([&] { a.edit(); })) << ui.lastText();
  a.fieldByName("DTABERCAIX").setAsDateTime(encodeDateTime(2026, 3, 6, 8, 0, 0));
  EXPECT_FALSE(gesture([&] { a.post(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data.");
  EXPECT_EQ(a.state(), DataSetState::Edit);
}

// A refused new opening stays pending as typed; the cancel button drops it.
TEST_F(Openings, RefusedNewOpeningStaysUntilCancelled) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(5));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.append(); }));
  // The branch stops permitting maintenance before the opening is sent.
  sql(*session, "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");
  EXPECT_FALSE(gesture([&] { a.post(); }));
  EXPECT_TRUE(called("SetAberCaixa("));
  EXPECT_EQ(ui.lastText(), "Filial não permite realizar manutenção das vendas.");
  EXPECT_EQ(a.state(), DataSetState::Browse);
  EXPECT_EQ(a.recordCount(), 1);
  EXPECT_EQ(a.changeCount(), 1);
  EXPECT_TRUE(f.sbtCancelar.enabled());
  EXPECT_EQ(ui.progressDepth, 0);

  ASSERT_TRUE(gesture([&] { f.sbtCancelar.click(); })) << ui.lastText();
  EXPECT_TRUE(a.isEmpty());
  EXPECT_EQ(a.changeCount(), 0);
  EXPECT_TRUE(stored(demoDay(5)).rows.empty());
}

// A closed register does not keep its opening from being deleted; the
// server refuses it while it has sales, and the opening comes back.
TEST_F(Openings, RefusedDeletionBringsTheOpeningBack) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_EQ(a.recordCount(), 1);
  calls.clear();
  EXPECT_FALSE(gesture([&] { a.remove(); }));
  EXPECT_EQ(count("SetAberCaixa("), 1);
  EXPECT_EQ(ui.lastText(), "A abertura de caixa possui vendas ou movimentos e não pode ser excluída.");
  EXPECT_EQ(a.recordCount(), 1);
  EXPECT_EQ(a.changeCount(), 0);
  EXPECT_NE(std::find(ui.captions.begin(), ui.captions.end(), f.Msg("DelAberCaixa")), ui.captions.end());
}

TEST_F(Openings, SituationOperatorNameAndUntypedColumns) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(3));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  EXPECT_EQ(a.fieldByName("IDSITUACAO").displayText(), "Fechado");
  const int opCol = f.dbgAberCaixa.columnIndex("CDOPERABER");
  EXPECT_EQ(f.dbgAberCaixa.drawCell(0, opCol).text, "Diego Siqueira");

  for (const char* column : {"IDSITUACAO", "DTMOVTURCAIX", "DTFECHCAIX"}) {
    f.dbgAberCaixa.setSelectedField(a.fieldByName(column));
    EXPECT_EQ(f.dbgAberCaixa.typeText("1"), 0) << column;
    EXPECT_EQ(a.state(), DataSetState::Browse) << column;
  }

  loadDay(f, demoDay(4));
  EXPECT_EQ(a.fieldByName("IDSITUACAO").displayText(), "Aberto");
  a.close();
  a.createDataSet();
  EXPECT_EQ(a.fieldByName("IDSITUACAO").displayText(), "");
}

TEST_F(Openings, OperatorLookUpFillsTheOpening) {
  screen::TfrmManutVenda& f = open();
  loadDay(f, demoDay(4));
  platform::ClientDataSet& a = f.cdsAberCaixa;
  ASSERT_TRUE(gesture([&] { a.edit(); }));
  platform::Column* col = f.dbgAberCaixa.columnByField("CDOPERABER");
  col->setButtonStyle(platform::ButtonStyle::Ellipsis);
  f.dbgAberCaixa.setSelectedField(a.fieldByName("CDOPERABER"));
  ui.picks.push_back(2);
  calls.clear();
  ASSERT_TRUE(gesture([&] { f.dbgAberCaixa.clickEditButton(); })) << ui.lastText();
  EXPECT_EQ(calls, std::vector<std::string>{"GetOperador()"});
  ASSERT_EQ(ui.lookups.size(), 1u);
  EXPECT_EQ(ui.lookups[0], f.Msg("OPERADOR"));
  EXPECT_EQ(a.fieldByName("CDOPERABER").asString(), "000000000002");
  EXPECT_EQ(a.fieldByName("CDOPERADOR").asString(), "000000000002");
  EXPECT_EQ(a.fieldByName("NMOPERADOR").asString(), "Bruno Cardoso");
}

}  // namespace
