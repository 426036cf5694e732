#pragma once
// The screen on a pending sale typed at branch 0001, register 001, on the
// demo's open day (06/03/2026), with its items and item taxes loaded and
// the items page in front. The transport can fail an operation or rewrite
// its answer, so that server refusals and server answers the demo data
// never gives can be driven.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "platform/controls.h"
#include "platform/datetime.h"
#include "platform/gesture.h"
#include "platform/sqlaccess.h"
#include "tests/livescreen.h"

namespace itemstest {

using platform::ClientDataSet;
using platform::RemoteResult;
using platform::Value;

// Fails or rewrites the answers of named operations; everything else goes
// through unchanged.
class SteeredTransport : public platform::ForwardingTransport {
 public:
  struct Steering {
    std::set<std::string> failing;
    std::map<std::string, std::function<void(RemoteResult&)>> rewrite;
  };
  SteeredTransport(std::unique_ptr<platform::RemoteTransport> inner, Steering& steering)
      : ForwardingTransport(std::move(inner)), steering_(steering) {}
  RemoteResult call(const std::string& token, const std::string& op, std::vector<Value>& args) override {
    if (steering_.failing.contains(op)) return RemoteResult::failure("Falha simulada em " + op + ".");
    RemoteResult r = inner().call(token, op, args);
    if (auto it = steering_.rewrite.find(op); it != steering_.rewrite.end()) it->second(r);
    return r;
  }

 private:
  Steering& steering_;
};

class ItemsScreen : public livetest::LiveScreen {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<SteeredTransport>(
        std::make_unique<livetest::RecordingTransport>(session->makeTransport(), calls), steering));
    c.setSessionToken(session->token());
  }

  soci::session& db() { return session->database().session(); }
  void sql(const std::string& text, const platform::SqlParams& params = {}) {
    platform::sqlExecute(db(), text, params);
  }
  std::string scalar(const std::string& text, const platform::SqlParams& params = {}) {
    const platform::DataPacket p = platform::sqlSelect(db(), text, params);
    return p.rows.empty() ? std::string() : p.rows[0].values[0].asText();
  }

  platform::Value serverCall(const std::string& op, std::vector<Value> args) {
    const RemoteResult r = f->netManutVenda.call(op, args);
    EXPECT_TRUE(r.ok) << op << ": " << r.error;
    return r.value;
  }
  static void load(ClientDataSet& ds, const Value& v) { ds.setData(v.packet()); }

  // Opens the screen on the first pending typed sale of register 001 on
  // the open day, loading what the filter panel and the sale's retrieval
  // load.
  screen::TfrmManutVenda& openOnTypedPendingSale() {
    f = &open();
    f->medCdCaixa.setText("001");
    f->depDeEntrega.setDate(day());
    EXPECT_TRUE(platform::runGesture([&] { f->setFocus(f->dbgAberCaixa); })) << ui.lastText();
    f->cdsAberCaixa.last();
    EXPECT_TRUE(f->cdsPedidoVenda.locate("IDSITUVENDA;IDTIPOVENDA", std::vector<Value>{Value("P"), Value("S")}))
        << "the demo day has a pending typed sale";
    f->pgcPadrao.setActivePage(f->tshFormulario);
    f->state.pgcPadraoChange();
    f->setFocus(f->dbgItens);
    calls.clear();
    return *f;
  }

  // Reloads the current sale's items and item taxes from the server.
  void loadItems() {
    const Value items =
        serverCall("GetItens", {Value(sale("CDFILIAL")), Value(sale("CDCAIXA")), Value(sale("NRSEQVENDA"))});
    load(f->cdsItens, items.array()[0]);
    load(f->cdsImpostoItem, items.array()[1]);
  }

  static platform::DateTime day() { return platform::encodeDate(2026, 3, 6); }
  std::string sale(const char* field) const { return f->cdsPedidoVenda.fieldByName(field).asString(); }
  std::string item(const char* field) const { return f->cdsItens.fieldByName(field).asString(); }
  double itemNumber(const char* field) const { return f->cdsItens.fieldByName(field).asFloat(); }

  // A product sold in branch 0001 at 10.00 (client share 0), whose only
  // taxes there are ICMS 18 % and ISS 5 %. Answers its tree code.
  std::string productWithTwoRates(double unit = 10, double client = 0) {
    const std::string cd = scalar(
        "SELECT MIN(P.CDPRODUTO) FROM PRODUTO P JOIN PRODFILIAL F ON F.CDPRODUTO = P.CDPRODUTO "
        "WHERE P.CDNVPRODUTO = 3 AND F.CDFILIAL = '0001' AND F.IDPERVENDA = 'S' AND P.IDATIVO = 'S'");
    sql("DELETE FROM ALIQIMPFIS WHERE CDFILIAL = '0001' AND CDPRODUTO = :P", {{"P", cd}});
    sql("INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, CDINTIMPOSTO) "
        "VALUES ('0001', :P, '01', 18, '101')",
        {{"P", cd}});
    sql("INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, CDINTIMPOSTO) "
        "VALUES ('0001', :P, '07', 5, '107')",
        {{"P", cd}});
    sql("UPDATE ITTABEPREC SET VRPRECITEM = :U, VRPRECCLIE = :C WHERE CDTABEPREC = '001' AND CDPRODUTO = :P",
        {{"U", unit}, {"C", client}, {"P", cd}});
    return scalar("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = :P", {{"P", cd}});
  }

  // Starts a new item (the include action) and types the code, leaving the code
  // cell (validation and price).
  void typeNewItem(const std::string& code) {
    ASSERT_TRUE(platform::runGesture([&] { f->cdsItens.append(); }));
    ASSERT_EQ(f->cdsItens.state(), platform::DataSetState::Insert) << ui.lastText();
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex("CDARVPROD"));
    f->dbgItens.typeText(code);
    f->dbgItens.selectColumn("QTPRODVEND");
  }

  // Types into a cell and leaves it for the next column; true when the
  // column exit let the user go.
  bool typeCell(const char* field, const std::string& text, const char* next) {
    f->dbgItens.setSelectedIndex(f->dbgItens.columnIndex(field));
    f->dbgItens.typeText(text);
    return platform::runGesture([&] { f->dbgItens.selectColumn(next); }) && f->dbgItens.selectedField()->name() == next;
  }

  SteeredTransport::Steering steering;
  screen::TfrmManutVenda* f = nullptr;
};

}  // namespace itemstest
