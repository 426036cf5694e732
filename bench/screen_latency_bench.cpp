// The screen as a far-away user sees it: every exchange with the server
// (a call alone, or the calls of one action together) takes a simulated
// 30 ms round trip on top of loopback HTTP, over the demo database.
//
//   BM_MoveSale/batch:B     one move to the next sale of the day (its
//                           items, receipts and total). Goal with batching:
//                           under 45 ms;
//   BM_LeavePanel/batch:B   leaving the filter panel: the day's openings,
//                           the first opening's sales, the first sale's
//                           details, the first Z reduction's sub-tables.
//                           Goal with batching: under 2 round trips plus the
//                           work.
//
// B = 1 batches the calls of an action, B = 0 sends each alone (as the
// screen did before). Counters: median_ms, round_trips (per action).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/screen_rig.h"
#include "platform/batchingtransport.h"
#include "platform/httptransport.h"
#include "server/demodata.h"

using namespace platform;

namespace {

constexpr auto kRoundTrip = std::chrono::milliseconds(30);

// The network's delay, once per exchange with the server.
class FarAway : public ForwardingTransport {
 public:
  FarAway(std::unique_ptr<RemoteTransport> inner, int& exchanges)
      : ForwardingTransport(std::move(inner)), exchanges_(exchanges) {}
  RemoteResult call(const std::string& token, const std::string& op, std::vector<Value>& args) override {
    wait();
    return inner().call(token, op, args);
  }
  std::vector<RemoteResult> callBatch(const std::string& token, std::vector<RemoteCall>& calls) override {
    wait();
    return inner().callBatch(token, calls);
  }

 private:
  void wait() {
    ++exchanges_;
    std::this_thread::sleep_for(kRoundTrip);
  }
  int& exchanges_;
};

struct FarHost : benchrig::Host {
  bool batching = true;
  int exchanges = 0;
  void prepareConnection(TNetConnection& c) override {
    std::unique_ptr<RemoteTransport> t = std::make_unique<FarAway>(std::make_unique<HttpTransport>(), exchanges);
    if (batching) t = std::make_unique<BatchingTransport>(std::move(t));
    c.setTransport(std::move(t));
    c.setSessionToken(session->token());
  }
};

struct Rig : benchrig::ScreenServer {
  FarHost far;
};

Rig& rig() {
  static Rig r;
  if (!r.session) r.serve(benchrig::scratchDemoDatabase("vnd_bench_latency_"));
  return r;
}

// The screen on this rig, its connection batching or not.
screen::TfrmManutVenda* screenFor(benchmark::State& state, bool batching) {
  Rig& r = rig();
  r.far.session = r.session.get();
  r.far.batching = batching;
  screen::TfrmManutVenda* f = r.openScreen();
  if (f) {
    platform::setScreenHost(&r.far);
    r.far.prepareConnection(f->netManutVenda);
  } else {
    state.SkipWithError(("screen did not open: " + r.ui.last).c_str());
  }
  return f;
}

// Back into the filter panel (which empties the pages, and is an action of
// its own), the filter set to the demo's first day: sales, and an approved
// Z reduction.
void enter(screen::TfrmManutVenda& f) {
  f.filter.panFilialEnter();
  f.medFilial.setText("0001");
  f.medCdCaixa.setText("001");
  f.depDeEntrega.setDate(server::demoFirstDay());
}

void report(benchmark::State& state, std::vector<double>& ms, int exchanges) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["round_trips"] = static_cast<double>(exchanges) / static_cast<double>(ms.size());
}

void BM_LeavePanel(benchmark::State& state) {
  screen::TfrmManutVenda* f = screenFor(state, state.range(0) != 0);
  if (!f) return;
  Rig& r = rig();
  std::vector<double> ms;
  int exchanges = 0;
  for (auto _ : state) {
    enter(*f);
    r.far.exchanges = 0;
    const auto start = std::chrono::steady_clock::now();
    f->filter.panFilialExit();
    exchanges += r.far.exchanges;
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    state.SetIterationTime(ms.back() / 1000);
    if (f->cdsPedidoVenda.isEmpty()) {
      state.SkipWithError(("no sales loaded; " + r.ui.last).c_str());
      break;
    }
  }
  report(state, ms, exchanges);
}
BENCHMARK(BM_LeavePanel)->ArgName("batch")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_MoveSale(benchmark::State& state) {
  screen::TfrmManutVenda* f = screenFor(state, state.range(0) != 0);
  if (!f) return;
  Rig& r = rig();
  enter(*f);
  f->filter.panFilialExit();
  std::vector<double> ms;
  r.far.exchanges = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    f->cdsPedidoVenda.next();
    if (f->cdsPedidoVenda.eof()) f->cdsPedidoVenda.first();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    state.SetIterationTime(ms.back() / 1000);
  }
  report(state, ms, r.far.exchanges);
}
BENCHMARK(BM_MoveSale)->ArgName("batch")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
