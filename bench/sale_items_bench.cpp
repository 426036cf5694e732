// Adding an item to a pending typed sale of 200 items, as a user does it on
// the items page, with the application server reached over loopback HTTP
// (a server on threads of this process, its own connection to the same
// demo database): the include action (guards and the next item number),
// the product code typed and its cell left (product query, library check,
// price), the quantity typed and its cell left, the post (checks again, the
// item's taxes worked out and inserted, the sale saved with GravaVenda) and
// the new total. Goal: under 20 ms median per item.
//
// Run with the server's audit trail (trilha:1, as served) and without it
// (trilha:0, each on a database of its own), so that one run shows what the
// trail adds to saving an item. Goal: under 20 %.
//
// Each iteration adds one item; the median of the items' times is reported
// as the counter median_ms (the mean is the benchmark's own time).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/screen_rig.h"
#include "platform/gesture.h"
#include "platform/localquery.h"
#include "platform/logon.h"
#include "screen/frmmanutvenda.h"

using namespace platform;

namespace {

constexpr int kSaleItems = 200;

struct Rig : benchrig::ScreenServer {
  screen::TfrmManutVenda* f = nullptr;
  std::vector<std::string> products;
  size_t next = 0;
};

// The open day loaded by leaving the filter panel, its last opening's
// pending typed sale current, on the items page.
void openOnTypedPendingSale(screen::TfrmManutVenda& f) {
  const bool left = runGesture([&f] {
    f.setFocus(f.medCdCaixa);
    f.medCdCaixa.setText("001");
    f.depDeEntrega.setDate(encodeDate(2026, 3, 6));
    f.setFocus(f.dbgAberCaixa);
  });
  if (!left) throw std::runtime_error("the filter panel refused the day");
  f.cdsAberCaixa.last();
  if (!f.cdsPedidoVenda.locate("IDSITUVENDA;IDTIPOVENDA", std::vector<Value>{Value("P"), Value("S")}))
    throw std::runtime_error("no pending typed sale on the demo day");
  f.pgcPadrao.setActivePage(f.tshFormulario);
  f.state.pgcPadraoChange();
  f.setFocus(f.dbgItens);
}

// One item typed and posted; false (with the reason in the rig's ui) when
// the screen refused it.
bool addItem(Rig& r) {
  screen::TfrmManutVenda& f = *r.f;
  const std::string& code = r.products[r.next++ % r.products.size()];
  const bool ok = runGesture([&] {
    f.cdsItens.append();
    f.dbgItens.setSelectedIndex(f.dbgItens.columnIndex("CDARVPROD"));
    f.dbgItens.typeText(code);
    f.dbgItens.selectColumn("QTPRODVEND");
    f.dbgItens.typeText("2");
    f.dbgItens.selectColumn("VRUNITVEND");
    f.cdsItens.post();
  });
  return ok && !f.cdsItens.editing();
}

Rig& rig(bool auditTrail) {
  static Rig rigs[2];
  Rig& r = rigs[auditTrail ? 1 : 0];
  if (!r.session)
    r.serve(benchrig::scratchDemoDatabase(auditTrail ? "vnd_bench_items_" : "vnd_bench_items_sem_trilha_"), auditTrail);
  return r;
}

void BM_AddItemToTypedSale(benchmark::State& state) {
  Rig& r = rig(state.range(0) != 0);
  r.f = r.openScreen();
  if (!r.f) {
    state.SkipWithError(("screen did not open: " + r.ui.last).c_str());
    return;
  }
  openOnTypedPendingSale(*r.f);

  TADOIBQuery q;
  q.SQL =
      "SELECT P.CDARVPROD FROM PRODUTO P JOIN PRODFILIAL F ON F.CDPRODUTO = P.CDPRODUTO "
      "JOIN ITTABEPREC T ON T.CDPRODUTO = P.CDPRODUTO AND T.CDTABEPREC = '001' "
      "WHERE P.CDNVPRODUTO = 3 AND P.IDATIVO = 'S' AND F.CDFILIAL = '0001' AND F.IDPERVENDA = 'S' "
      "AND T.VRPRECITEM > 0 AND EXISTS (SELECT 1 FROM ALIQIMPFIS A WHERE A.CDFILIAL = '0001' "
      "AND A.CDPRODUTO = P.CDPRODUTO) ORDER BY P.CDARVPROD";
  q.open();
  for (q.first(); !q.eof(); q.next()) r.products.push_back(q.fieldByName("CDARVPROD").asText());

  while (r.f->cdsItens.recordCount() < kSaleItems)
    if (!addItem(r)) {
      state.SkipWithError(("item refused while filling the sale: " + r.ui.last).c_str());
      return;
    }

  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!addItem(r)) {
      state.SkipWithError(("item refused: " + r.ui.last).c_str());
      break;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  if (!ms.empty()) {
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["items_in_sale"] = r.f->cdsItens.recordCount();
  }
  r.f->close();
  setScreenHost(nullptr);
  setUi(nullptr);
}
BENCHMARK(BM_AddItemToTypedSale)->ArgName("trilha")->Arg(1)->Arg(0)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
