// The Z reduction's sub-tables on the demo server, where the scenarios
// cannot reach: server refusals of a deletion, the observation number
// answered by the server, and the origin column's drawing.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/datetime.h"
#include "platform/gesture.h"
#include "tests/livescreen.h"

namespace {

using platform::ClientDataSet;
using platform::DataSetState;
using platform::RemoteResult;
using platform::runGesture;
using platform::Value;

// Answers the operations named in `answers` itself, passing every other
// call on.
class Answering : public platform::ForwardingTransport {
 public:
  Answering(std::unique_ptr<platform::RemoteTransport> inner, const std::map<std::string, RemoteResult>& answers)
      : ForwardingTransport(std::move(inner)), answers_(answers) {}
  RemoteResult call(const std::string& token, const std::string& operation, std::vector<Value>& args) override {
    if (auto it = answers_.find(operation); it != answers_.end()) return it->second;
    return inner().call(token, operation, args);
  }

 private:
  const std::map<std::string, RemoteResult>& answers_;
};

RemoteResult proxCod(const std::string& highest) {
  platform::DataPacket p;
  p.fields = {{"NRSEQOBSREDZ", platform::FieldType::String, 4, false}};
  p.rows.push_back({platform::RowKind::Unchanged, {Value(highest)}, {}});
  return RemoteResult::success(Value(std::move(p)));
}

class ZSubTables : public livetest::LiveScreen {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<livetest::RecordingTransport>(
        std::make_unique<Answering>(session->makeTransport(), answers), calls));
    c.setSessionToken(session->token());
  }

  // A closed demo day with its Z reduction, on the sub-table's page.
  using PageItem = platform::MenuItem& (*)(screen::TfrmManutVenda&);
  static platform::MenuItem& totaliz(screen::TfrmManutVenda& f) { return f.mnuTotFiscais; }
  static platform::MenuItem& formPag(screen::TfrmManutVenda& f) { return f.mnuFormPag; }
  static platform::MenuItem& observacao(screen::TfrmManutVenda& f) { return f.mnuObservacao; }

  screen::TfrmManutVenda& openPage(PageItem item) {
    screen::TfrmManutVenda& f = open();
    f.medFilial.setText("0001");
    f.medCdCaixa.setText("001");
    f.depDeEntrega.setDate(platform::DateTime(server::demoFirstDay().days + 1));
    EXPECT_TRUE(runGesture([&] { f.setFocus(f.dbgAberCaixa); })) << ui.lastText();
    f.pgcPadrao.setActivePage(f.tshReducao);
    f.state.pgcPadraoChange();
    EXPECT_TRUE(runGesture([&] { item(f).click(); })) << ui.lastText();
    calls.clear();
    return f;
  }

  int callsOf(const std::string& op) const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind(op + "(", 0) == 0;
    return n;
  }

  std::map<std::string, RemoteResult> answers;
};

TEST_F(ZSubTables, RefusedDeletionBringsTheRowBack) {
  struct Case {
    PageItem page;
    ClientDataSet screen::TfrmManutVenda::*set;
    const char* operation;
  };
  const Case cases[] = {{&totaliz, &screen::TfrmManutVenda::cdsTotaliz, "SetTotaliz"},
                        {&formPag, &screen::TfrmManutVenda::cdsFormaPag, "SetFormaPag"},
                        {&observacao, &screen::TfrmManutVenda::cdsObservacao, "GravaVendaReducao"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    answers = {{c.operation, RemoteResult::failure("Falha simulada")}};
    screen::TfrmManutVenda& f = openPage(c.page);
    ClientDataSet& set = f.*c.set;
    ASSERT_FALSE(set.isEmpty());
    const int rows = set.recordCount();
    EXPECT_FALSE(runGesture([&] { set.remove(); }));
    EXPECT_EQ(ui.lastText(), "Falha simulada");
    EXPECT_EQ(callsOf(c.operation), 1);
    EXPECT_EQ(set.recordCount(), rows);
    EXPECT_EQ(set.changeCount(), 0);

    answers.clear();
    ASSERT_TRUE(runGesture([&] { set.remove(); })) << ui.lastText();
    EXPECT_EQ(set.recordCount(), rows - 1);
    EXPECT_EQ(set.changeCount(), 0);
    f.close();
  }
}

TEST_F(ZSubTables, NewRemarkIsNumberedAfterTheServersHighestOrNotBegun) {
  answers = {{"GetProxCod", proxCod("7")}};
  screen::TfrmManutVenda& f = openPage(&observacao);
  ClientDataSet& obs = f.cdsObservacao;
  ASSERT_TRUE(runGesture([&] { obs.insert(); })) << ui.lastText();
  EXPECT_EQ(obs.fieldByName("NRSEQOBSREDZ").asString(), "0008");
  EXPECT_EQ(obs.fieldByName("DTOBSERVREDZ").asDateTime().days, platform::today().days);
  obs.cancel();

  // An answer that is no number, or a failed call, leaves no new row and
  // reloads nothing.
  for (const RemoteResult& answer : {proxCod("7a"), RemoteResult::failure("Servidor fora do ar.")}) {
    answers = {{"GetProxCod", answer}};
    calls.clear();
    EXPECT_FALSE(runGesture([&] { obs.insert(); }));
    EXPECT_FALSE(ui.lastText().empty());
    EXPECT_EQ(obs.state(), DataSetState::Browse);
    EXPECT_EQ(obs.changeCount(), 0);
    EXPECT_EQ(callsOf("GetObservacao"), 0);
  }
}

TEST_F(ZSubTables, OriginColumnShowsTheOriginsNameUnlessBeingTyped) {
  screen::TfrmManutVenda& f = openPage(&formPag);
  platform::DBGrid& g = f.dbgFormPag;
  const int origin = g.columnIndex("CDTPRECEORIG");
  EXPECT_EQ(g.drawCell(0, origin).text, f.cdsFormaPag.fieldByName("NMTPORIGEM").asString());
  EXPECT_NE(g.drawCell(0, origin).text, "");

  g.setSelectedIndex(origin);
  ASSERT_TRUE(runGesture([&] { g.setEditorMode(true); })) << ui.lastText();
  ASSERT_TRUE(g.editorMode());
  EXPECT_EQ(g.drawCell(0, origin).text, f.cdsFormaPag.fieldByName("CDTPRECEORIG").asString());
}

}  // namespace
