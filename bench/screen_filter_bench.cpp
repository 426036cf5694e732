// The screen on a busy day of 10,000 sales, its application server reached
// over loopback HTTP (a server on threads of this process):
//
//   BM_LeavePanel      leaving the filter panel until the sales list is shown:
//                      GetBuscaManut, the opening's sales (GetPedidoVenda)
//                      and the first sale's details and total, each record
//                      set filled from the answer;
//   BM_LeavePanelRaw   the same rows read by hand with SOCI (every column
//                      read, nothing built), in the same run;
//   BM_MoveSale        one move to the next sale (GetItens, GetTipoRece,
//                      GetSumVenda); counter median_ms. Goal: under 5 ms;
//   BM_MoveSaleRaw     the same three reads by hand.
//
// Goal for the load: within twice the raw reads.

#include <benchmark/benchmark.h>
#include <soci/soci.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/screen_rig.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "screen/frmmanutvenda.h"
#include "server/demodata.h"
#include "server/salesquery.h"

using namespace platform;

namespace {

constexpr int kSales = 10000;
const DateTime kDay = encodeDate(2026, 3, 20);

struct Rig : benchrig::ScreenServer {
  std::unique_ptr<SqlConnection> raw;
  DateTime opened;
  std::vector<std::string> sales;  // the busy opening's sale numbers
};

Rig& rig() {
  static Rig r;
  if (r.session) return r;
  const std::string conn = benchrig::scratchDemoDatabase("vnd_bench_screen_");
  r.raw = std::make_unique<SqlConnection>(conn);
  r.opened = server::generateBusyDay(r.raw->session(), "0001", "001", kDay, kSales);
  const DataPacket numbers = sqlSelect(r.raw->session(),
                                       "SELECT NRSEQVENDA FROM VENDA WHERE CDFILIALTUR = '0001' AND "
                                       "CDCAIXATUR = '001' AND DTABERTUR = :D ORDER BY NRSEQVENDA",
                                       {{"D", Value(r.opened)}}, {{"NRSEQVENDA", FieldType::String, 10}});
  for (const PacketRow& row : numbers.rows) r.sales.push_back(row.values[0].asText());
  r.serve(conn);
  return r;
}

// Every column of every row read as SOCI describes it; the row count.
size_t readAll(soci::session& s, const std::string& text, std::vector<std::string> params) {
  soci::row row;
  soci::statement st(s);
  for (std::string& p : params) st.exchange(soci::use(p));
  st.exchange(soci::into(row));
  st.alloc();
  st.prepare(text);
  st.define_and_bind();
  st.execute();
  size_t rows = 0, chars = 0;
  double sum = 0;
  std::tm t{};
  while (st.fetch()) {
    ++rows;
    for (size_t i = 0; i < row.size(); ++i) {
      if (row.get_indicator(i) == soci::i_null) continue;
      switch (row.get_properties(i).get_data_type()) {
        case soci::dt_string:
          chars += row.get<std::string>(i).size();
          break;
        case soci::dt_double:
          sum += row.get<double>(i);
          break;
        case soci::dt_integer:
          sum += row.get<int>(i);
          break;
        case soci::dt_long_long:
          sum += static_cast<double>(row.get<long long>(i));
          break;
        case soci::dt_date:
          t = row.get<std::tm>(i);
          break;
        default:
          break;
      }
    }
  }
  benchmark::DoNotOptimize(chars);
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(t);
  return rows;
}

std::string sqlDateTime(DateTime d) {
  const CivilDate c = decodeDate(d);
  const ClockTime h = decodeTime(d);
  char out[32];
  std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, h.hour, h.minute, h.second);
  return out;
}

// The three reads of one sale's details: items with their taxes and
// cancelled items, receipts, and the item values the total is worked from.
void readSaleRaw(soci::session& s, const std::string& sale) {
  for (const char* table : {"ITVENDA", "ITVENDAIMPOS", "ITVENDACANC", "MOVCAIXA"})
    readAll(s, std::string("SELECT * FROM ") + table + " WHERE CDFILIAL = ? AND CDCAIXA = ? AND NRSEQVENDA = ?",
            {"0001", "001", sale});
  readAll(s,
          "SELECT QTPRODVEND, VRUNITVEND, VRUNITVENDCL, VRDESITVEND, VRACRITVEND FROM ITVENDA "
          "WHERE CDFILIAL = ? AND CDCAIXA = ? AND NRSEQVENDA = ?",
          {"0001", "001", sale});
}

void BM_LeavePanel(benchmark::State& state) {
  Rig& r = rig();
  screen::TfrmManutVenda* f = r.openScreen();
  if (!f) {
    state.SkipWithError(("screen did not open: " + r.ui.last).c_str());
    return;
  }
  for (auto _ : state) {
    f->filter.panFilialEnter();
    f->medFilial.setText("0001");
    f->medCdCaixa.setText("001");
    f->depDeEntrega.setDate(kDay);
    const auto start = std::chrono::steady_clock::now();
    f->filter.panFilialExit();
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    if (f->cdsPedidoVenda.recordCount() != kSales) {
      state.SkipWithError(("wrong sales count; " + r.ui.last).c_str());
      break;
    }
  }
}
BENCHMARK(BM_LeavePanel)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_LeavePanelRaw(benchmark::State& state) {
  Rig& r = rig();
  soci::session& s = r.raw->session();
  const std::string opened = sqlDateTime(r.opened);
  const std::string day = sqlDateTime(kDay);
  const std::string nextDay = sqlDateTime(DateTime(kDay.days + 1));
  std::string salesText = toPositional(server::salesOfOpeningSql(), r.raw->dialect()).text;
  for (auto _ : state) {
    readAll(s, "SELECT * FROM TURCAIXA WHERE CDFILIAL = ? AND CDCAIXA = ? AND DTMOVTURCAIX = ?", {"0001", "001", day});
    // GetBuscaManut's "T" brings the cancelled items of the whole day.
    readAll(s, "SELECT * FROM PARAMVENDA WHERE CDFILIAL = ?", {"0001"});
    readAll(s, "SELECT * FROM REDUCAOZ WHERE CDFILIAL = ? AND CDCAIXA = ? AND DTREDUCAOZ = ?", {"0001", "001", day});
    readAll(s,
            "SELECT C.* FROM ITVENDACANC C JOIN VENDA V ON V.CDFILIAL = C.CDFILIAL AND V.CDCAIXA = C.CDCAIXA "
            "AND V.NRSEQVENDA = C.NRSEQVENDA WHERE V.CDFILIAL = ? AND V.CDCAIXA = ? AND V.DTENTRVENDA >= ? "
            "AND V.DTENTRVENDA < ?",
            {"0001", "001", day, nextDay});
    if (readAll(s, salesText, {"0001", "001", opened}) != kSales) {
      state.SkipWithError("wrong sales count");
      break;
    }
    readSaleRaw(s, r.sales.front());
  }
}
BENCHMARK(BM_LeavePanelRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MoveSale(benchmark::State& state) {
  Rig& r = rig();
  screen::TfrmManutVenda* f = r.openScreen();
  if (!f) {
    state.SkipWithError(("screen did not open: " + r.ui.last).c_str());
    return;
  }
  if (f->cdsPedidoVenda.recordCount() != kSales) {
    f->medFilial.setText("0001");
    f->medCdCaixa.setText("001");
    f->depDeEntrega.setDate(kDay);
    f->filter.panFilialExit();
  }
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    f->cdsPedidoVenda.next();
    if (f->cdsPedidoVenda.eof()) f->cdsPedidoVenda.first();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  if (!ms.empty()) {
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
  }
}
BENCHMARK(BM_MoveSale)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MoveSaleRaw(benchmark::State& state) {
  Rig& r = rig();
  soci::session& s = r.raw->session();
  size_t n = 0;
  for (auto _ : state) readSaleRaw(s, r.sales[n++ % r.sales.size()]);
}
BENCHMARK(BM_MoveSaleRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
