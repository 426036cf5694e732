// The register closing (SetFechaCaixa) and the day check (GetConfereCaixa)
// on a busy register day (10,000 sales, 5% still pending, so the closing
// computes every figure and answers without writing), each against the raw
// aggregate queries its figures rest on: the same sums and counts asked of
// the database as GROUP BY queries, nothing read row by row. All four run
// in one program run on the same SQLite database, so the ratios compare
// like with like. The goals: each operation under 100 ms median and within
// 1.5x of its raw aggregates.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "server/demodata.h"
#include "server/operation.h"
#include "server/operations_all.h"
#include "server/storage.h"

using namespace platform;

namespace {

constexpr int kSales = 10000;

struct BusyDay {
  std::filesystem::path dir;
  std::unique_ptr<SqlConnection> conn;
  server::OperationRegistry registry;
  DateTime day, opened;

  BusyDay() {
    dir = std::filesystem::temp_directory_path() / ("vnd_daycheck_bench_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string cs = "sqlite:" + (dir / "vnd.db").string();
    server::createDemoDatabase(cs);
    conn = std::make_unique<SqlConnection>(cs);
    day = encodeDate(2026, 3, 20);
    opened = server::generateBusyDay(conn->session(), "0001", "001", day, kSales);
    // The day's Z reduction, with a tax row and a payment form, so that
    // every comparison has both sides.
    soci::session& s = conn->session();
    const SqlParams z = {{"D", day}};
    sqlExecute(s,
               "INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, NRREINIREDZ, NRREDREDZ, "
               "NRPRIMCFREDZ, NRULTCFREDZ, VRGTREDZ, VRVENBRUREDZ, VRTOTCANREDZ, VRVENLIQREDZ, VRSTRIBREDZ, "
               "VRISENCREDZ, VRNINCIDREDZ, NRSERIEREDZ, IDORIGEMREDZ) "
               "SELECT '0001', '001', NRECF, :D, '0000000001', '0000000900', '0000100000', '0000110000', "
               "1000000, 500000, 0, 500000, 0, 0, 0, NRSERIE, 'VND' FROM ECFCAIXA "
               "WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND IDATIVO = 'S'",
               z);
    sqlExecute(s,
               "INSERT INTO IMPOSTOREDZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, CDIMPOSTO, VRALIQIMPRZ, "
               "VRBCALCIMPRZ, VRIMPOSTORZ) SELECT CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, '01', 18, 1000, 180 "
               "FROM REDUCAOZ WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTREDUCAOZ = :D",
               z);
    sqlExecute(s,
               "INSERT INTO FORMPGTOREDZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, CDTIPORECE, VRFORMPGTORZ, "
               "CDTPRECEORIG) SELECT CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, '001', 1000, '001' "
               "FROM REDUCAOZ WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND DTREDUCAOZ = :D",
               z);
    server::registerAllOperations(registry);
  }
  ~BusyDay() {
    conn.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  RemoteResult call(const char* op, std::vector<Value> args) {
    server::OperationContext ctx{conn->session(), "000000000001", "Ana Paula Ferraz"};
    return registry.call(op, args, ctx);
  }
  SqlParams dayParams() const { return {{"F", "0001"}, {"C", "001"}, {"D0", day}, {"D1", DateTime(day.days + 1)}}; }
};

BusyDay& busyDay() {
  static BusyDay d;
  return d;
}

const char* const kSalesOfDay =
    " FROM VENDA V WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1";
const char* const kZOfDay = " WHERE Z.CDFILIAL = :F AND Z.CDCAIXA = :C AND Z.DTREDUCAOZ >= :D0 AND Z.DTREDUCAOZ < :D1";

// What the closing's figures are, asked of the database as sums: sales by
// status and series, item line totals by status, the items' fiscal taxes
// by code and rate, the Z reductions' totals and their ICMS bases by rate.
size_t closingAggregates(soci::session& s, const SqlParams& p) {
  size_t rows = 0;
  rows += sqlSelect(s, std::string("SELECT V.IDSITUVENDA, COUNT(*) AS N") + kSalesOfDay + " GROUP BY V.IDSITUVENDA", p)
              .rows.size();
  rows += sqlSelect(s, std::string("SELECT DISTINCT V.NRSERIEIMPVND") + kSalesOfDay, p).rows.size();
  rows += sqlSelect(s,
                    "SELECT V.IDSITUVENDA, "
                    "SUM(I.QTPRODVEND * (I.VRUNITVEND + I.VRUNITVENDCL) - (I.VRDESITVEND - I.VRACRITVEND)) AS TOTAL "
                    "FROM VENDA V JOIN ITVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
                    "AND I.NRSEQVENDA = V.NRSEQVENDA "
                    "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1 "
                    "GROUP BY V.IDSITUVENDA",
                    p)
              .rows.size();
  rows += sqlSelect(s,
                    "SELECT T.CDIMPOSTO, T.VRPEALPRODIT, COUNT(*) AS N, MIN(T.NRSEQITIMPOS) AS S "
                    "FROM VENDA V JOIN ITVENDAIMPOS T ON T.CDFILIAL = V.CDFILIAL AND T.CDCAIXA = V.CDCAIXA "
                    "AND T.NRSEQVENDA = V.NRSEQVENDA "
                    "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1 "
                    "AND V.IDSITUVENDA IN ('O', 'D') AND T.CDIMPOSTO IN "
                    "(SELECT CDIMPOSTO FROM IMPOSTO WHERE IDTIPOIMPOS IN ('T', 'F', 'I', 'N')) "
                    "GROUP BY T.CDIMPOSTO, T.VRPEALPRODIT",
                    p)
              .rows.size();
  rows += sqlSelect(s,
                    std::string("SELECT COUNT(*) AS N, SUM(Z.VRVENLIQREDZ) AS L, SUM(Z.VRTOTCANREDZ) AS C, "
                                "SUM(Z.VRSTRIBREDZ) AS S, SUM(Z.VRISENCREDZ) AS I, SUM(Z.VRNINCIDREDZ) AS N2 "
                                "FROM REDUCAOZ Z") +
                        kZOfDay,
                    p)
              .rows.size();
  rows += sqlSelect(s,
                    std::string("SELECT R.CDIMPOSTO, R.VRALIQIMPRZ, SUM(R.VRBCALCIMPRZ) AS B FROM IMPOSTOREDZ R "
                                "JOIN REDUCAOZ Z ON Z.CDFILIAL = R.CDFILIAL AND Z.CDCAIXA = R.CDCAIXA "
                                "AND Z.NRECFREDZ = R.NRECFREDZ AND Z.DTREDUCAOZ = R.DTREDUCAOZ "
                                "JOIN IMPOSTO I ON I.CDIMPOSTO = R.CDIMPOSTO AND I.IDTIPOIMPOS = 'T'") +
                        kZOfDay + " GROUP BY R.CDIMPOSTO, R.VRALIQIMPRZ",
                    p)
              .rows.size();
  return rows;
}

// The day check's further sums: each sale's receipts and the receipts and
// payment forms by type.
size_t dayCheckAggregates(soci::session& s, const SqlParams& p) {
  size_t rows = closingAggregates(s, p);
  rows += sqlSelect(s,
                    "SELECT M.NRSEQVENDA, V.IDSITUVENDA, M.CDTIPORECE, SUM(M.VRMOVIVEND) AS VALOR "
                    "FROM VENDA V JOIN MOVCAIXA M ON M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA "
                    "AND M.NRSEQVENDA = V.NRSEQVENDA WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C "
                    "AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1 AND V.IDSITUVENDA IN ('O', 'D') "
                    "AND M.IDTIPOMOVIVE = 'E' GROUP BY M.NRSEQVENDA, V.IDSITUVENDA, M.CDTIPORECE",
                    p)
              .rows.size();
  rows += sqlSelect(s,
                    std::string("SELECT Z.CDTPRECEORIG, SUM(Z.VRFORMPGTORZ) AS V FROM FORMPGTOREDZ Z") + kZOfDay +
                        " GROUP BY Z.CDTPRECEORIG",
                    p)
              .rows.size();
  return rows;
}

void BM_SetFechaCaixa(benchmark::State& state) {
  BusyDay& d = busyDay();
  for (auto _ : state) {
    const RemoteResult r = d.call("SetFechaCaixa", {"0001", "001", d.opened});
    if (!r.ok || r.value.asText() != "VENDASPENDENTES")
      state.SkipWithError(r.ok ? r.value.asText().c_str() : r.error.c_str());
  }
}

void BM_ClosingRawAggregates(benchmark::State& state) {
  BusyDay& d = busyDay();
  const SqlParams p = d.dayParams();
  for (auto _ : state) {
    server::Transaction tx(d.conn->session());
    benchmark::DoNotOptimize(closingAggregates(d.conn->session(), p));
  }
}

void BM_ConfereCaixa(benchmark::State& state) {
  BusyDay& d = busyDay();
  for (auto _ : state) {
    const RemoteResult r = d.call("GetConfereCaixa", {"0001", "001", d.day});
    if (!r.ok || !r.value.isPacket()) {
      state.SkipWithError(r.ok ? "unexpected answer" : r.error.c_str());
      break;
    }
    state.counters["lines"] = static_cast<double>(r.value.packet().rows.size());
  }
}

void BM_DayCheckRawAggregates(benchmark::State& state) {
  BusyDay& d = busyDay();
  const SqlParams p = d.dayParams();
  for (auto _ : state) {
    server::Transaction tx(d.conn->session());
    benchmark::DoNotOptimize(dayCheckAggregates(d.conn->session(), p));
  }
}

// The ratio itself, robust to a machine whose speed drifts between one
// benchmark and the next: each iteration runs the operation and then its
// raw aggregates, and the counters give the median of each and their ratio.
template <class Op, class Raw>
void againstRaw(benchmark::State& state, Op op, Raw raw) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> opMs, rawMs;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!op()) {
      state.SkipWithError("unexpected answer");
      return;
    }
    const auto t1 = Clock::now();
    raw();
    const auto t2 = Clock::now();
    opMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    rawMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  const double o = median(opMs), r = median(rawMs);
  state.counters["op_ms"] = o;
  state.counters["raw_ms"] = r;
  state.counters["ratio"] = r > 0 ? o / r : 0;
}

void BM_ClosingAgainstRaw(benchmark::State& state) {
  BusyDay& d = busyDay();
  const SqlParams p = d.dayParams();
  againstRaw(
      state,
      [&] {
        const RemoteResult r = d.call("SetFechaCaixa", {"0001", "001", d.opened});
        return r.ok && r.value.asText() == "VENDASPENDENTES";
      },
      [&] {
        server::Transaction tx(d.conn->session());
        benchmark::DoNotOptimize(closingAggregates(d.conn->session(), p));
      });
}

void BM_DayCheckAgainstRaw(benchmark::State& state) {
  BusyDay& d = busyDay();
  const SqlParams p = d.dayParams();
  againstRaw(
      state,
      [&] {
        const RemoteResult r = d.call("GetConfereCaixa", {"0001", "001", d.day});
        return r.ok && r.value.isPacket();
      },
      [&] {
        server::Transaction tx(d.conn->session());
        benchmark::DoNotOptimize(dayCheckAggregates(d.conn->session(), p));
      });
}

BENCHMARK(BM_SetFechaCaixa)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClosingRawAggregates)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ConfereCaixa)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DayCheckRawAggregates)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClosingAgainstRaw)->Unit(benchmark::kMillisecond)->Iterations(21);
BENCHMARK(BM_DayCheckAgainstRaw)->Unit(benchmark::kMillisecond)->Iterations(21);

}  // namespace
