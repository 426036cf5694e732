#pragma once
// The screen on the demo database with a register day loaded by leaving the
// filter panel, the first opening's sales on the sales page. Tests then drive the sales grid and the sale record set.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/gesture.h"
#include "server/demodata.h"
#include "tests/livescreen.h"

namespace saletest {

// Fails the operations named in `failing` with a server refusal, passing
// every other call on.
class FailingTransport : public platform::ForwardingTransport {
 public:
  FailingTransport(std::unique_ptr<platform::RemoteTransport> inner, const std::set<std::string>& failing)
      : ForwardingTransport(std::move(inner)), failing_(failing) {}
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<platform::Value>& args) override {
    if (failing_.count(operation)) return platform::RemoteResult::failure("Falha simulada em " + operation);
    return inner().call(token, operation, args);
  }

 private:
  const std::set<std::string>& failing_;
};

class SaleScreen : public livetest::LiveScreen {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<FailingTransport>(
        std::make_unique<livetest::RecordingTransport>(session->makeTransport(), calls), failing));
    c.setSessionToken(session->token());
  }

  // The demo's last day is the processing date, its openings still open.
  static platform::DateTime lastDay() {
    return platform::DateTime(server::demoFirstDay().days + server::kDemoDays - 1);
  }

  screen::TfrmManutVenda& openDay(const std::string& reg = "001", platform::DateTime day = lastDay()) {
    screen::TfrmManutVenda& f = open();
    f.medFilial.setText("0001");
    f.medCdCaixa.setText(reg);
    f.depDeEntrega.setDate(day);
    // Leaving the panel for the openings grid loads the day and the first
    // opening's sales.
    EXPECT_TRUE(gesture([&] { f.setFocus(f.dbgAberCaixa); })) << ui.lastText();
    f.pgcPadrao.setActivePage(f.tshFolhaDados);
    f.state.pgcPadraoChange();
    calls.clear();
    return f;
  }

  // The current opening's sales, as the server has them now.
  void loadSales() {
    screen::TfrmManutVenda& f = *frmManutVenda;
    std::vector<platform::Value> args{platform::Value("0001"), platform::Value(f.medCdCaixa.text()),
                                      f.cdsAberCaixa.fieldByName("DTABERCAIX").value()};
    const platform::Value v = platform::CheckResultServ(f.netManutVenda.call("GetPedidoVenda", args));
    f.cdsPedidoVenda.setData(v.array().at(0).packet());
  }

  // Makes the first sale of the status current; false when there is none.
  bool gotoStatus(const std::string& status) {
    return frmManutVenda->cdsPedidoVenda.locate("IDSITUVENDA", platform::Value(status));
  }

  // Runs a user's gesture; true when it ran to its end.
  static bool gesture(const std::function<void()>& g) { return platform::runGesture(g); }

  platform::Field& sale(const char* name) { return frmManutVenda->cdsPedidoVenda.fieldByName(name); }

  // A value of the local database.
  static platform::Value lookup(const std::string& sql, const std::string& param) {
    platform::TADOIBQuery q;
    q.SQL = sql;
    q.setParam("P", platform::Value(param));
    q.open();
    return q.isEmpty() ? platform::Value() : q.field(0).value();
  }

  // Calls whose text starts with `op`.
  int callsOf(const std::string& op) const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind(op + "(", 0) == 0;
    return n;
  }

  std::set<std::string> failing;  // operations the server refuses
};

}  // namespace saletest
