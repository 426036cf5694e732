// Reading a busy register day (10,000 sales, every column of the sales
// grid's record set) as a data packet, against the plain SOCI loop that
// reads the same rows into C++ values without building a packet, and the
// whole fetch the screen makes over loopback HTTP. Runs on
// SQLite, and on PostgreSQL too when VND_TEST_PG names a database (the
// bench fills the schema vnd_bench there).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "bench/scratch_pg.h"
#include "platform/dataset.h"
#include "platform/datetime.h"
#include "platform/httptransport.h"
#include "platform/remote.h"
#include "platform/sqlaccess.h"
#include "server/appserver.h"
#include "server/demodata.h"
#include "server/httpserver.h"
#include "server/operations_all.h"
#include "server/salesquery.h"

using namespace platform;

namespace {

constexpr int kSales = 10000;

struct BusyDay {
  std::string connString;
  std::unique_ptr<SqlConnection> conn;
  DateTime opened;
  std::filesystem::path dir;  // the SQLite database's own folder, removed at exit

  ~BusyDay() {
    conn.reset();
    if (!dir.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  }
};

BusyDay& busyDay(const std::string& backend) {
  static std::map<std::string, BusyDay> days;
  BusyDay& d = days[backend];
  if (d.conn) return d;
  std::string conn;
  if (backend == "SQLite") {
    const auto dir = std::filesystem::temp_directory_path() / ("vnd_bench_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    conn = "sqlite:" + (dir / "vnd.db").string();
    d.dir = dir;
  } else {
    conn = benchrig::freshPostgresSchema("vnd_bench");
  }
  server::createDemoDatabase(conn);
  d.connString = conn;
  d.conn = std::make_unique<SqlConnection>(conn);
  d.opened = server::generateBusyDay(d.conn->session(), "0001", "001", encodeDate(2026, 3, 20), kSales);
  return d;
}

SqlParams dayParams(const BusyDay& d) { return {{"CDFILIAL", "0001"}, {"CDCAIXA", "001"}, {"DTABERCAIX", d.opened}}; }

void BM_SelectPacket(benchmark::State& state, const std::string& backend) {
  BusyDay& d = busyDay(backend);
  for (auto _ : state) {
    DataPacket p = sqlSelect(d.conn->session(), server::salesOfOpeningSql(), dayParams(d), server::saleFields());
    if (p.rows.size() != kSales) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(p);
  }
  state.SetItemsProcessed(state.iterations() * kSales);
}

// The same statement run by hand: every column read into a std::string,
// double or std::tm as SOCI describes it, nothing else built.
void BM_RawSociLoop(benchmark::State& state, const std::string& backend) {
  BusyDay& d = busyDay(backend);
  soci::session& s = d.conn->session();
  const PositionalSql p = toPositional(server::salesOfOpeningSql(), d.conn->dialect());
  std::string branch = "0001", reg = "001";
  std::tm t{};
  const CivilDate c = decodeDate(d.opened);
  const ClockTime h = decodeTime(d.opened);
  char opened[32];
  std::snprintf(opened, sizeof opened, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, h.hour, h.minute,
                h.second);
  std::string openedText = opened;
  std::string text = p.text;
  if (d.conn->dialect() == SqlDialect::PostgreSQL) {
    const size_t m = text.find(":p3");
    text.replace(m, 3, "CAST(:p3 AS TIMESTAMP)");
  }
  for (auto _ : state) {
    soci::row r;
    soci::statement st = (s.prepare << text, soci::use(branch), soci::use(reg), soci::use(openedText), soci::into(r));
    st.execute();
    size_t rows = 0, chars = 0;
    double sum = 0;
    while (st.fetch()) {
      ++rows;
      for (size_t i = 0; i < r.size(); ++i) {
        if (r.get_indicator(i) == soci::i_null) continue;
        switch (r.get_properties(i).get_data_type()) {
          case soci::dt_string:
            chars += r.get<std::string>(i).size();
            break;
          case soci::dt_double:
            sum += r.get<double>(i);
            break;
          case soci::dt_integer:
            sum += r.get<int>(i);
            break;
          case soci::dt_long_long:
            sum += static_cast<double>(r.get<long long>(i));
            break;
          case soci::dt_date:
            t = r.get<std::tm>(i);
            break;
          default:
            break;
        }
      }
    }
    if (rows != kSales) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(chars);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations() * kSales);
}

// What the user waits for when the sales list of that day is shown: the
// screen's GetPedidoVenda over loopback HTTP (query, packet, encoding,
// socket, decoding) and the sales record set filled from the answer.
void BM_FetchDayHttp(benchmark::State& state, const std::string& backend) {
  BusyDay& d = busyDay(backend);
  server::OperationRegistry registry;
  server::registerAllOperations(registry);
  if (!registry.find("GetPedidoVenda")) {
    state.SkipWithError("GetPedidoVenda is not registered");
    return;
  }
  server::AppServer app(d.connString, std::move(registry));
  server::HttpServerOptions options;
  options.log = [](const std::string&) {};
  server::HttpServer http(app, options);
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<HttpTransport>());
  conn.Host = "127.0.0.1";
  conn.Port = http.start("127.0.0.1", 0);
  const server::DemoOperator& op = server::demoOperators().front();
  if (!conn.logon(op.code, op.password, "0001").ok) {
    state.SkipWithError("logon refused");
    return;
  }
  ClientDataSet sales("cdsPedidoVenda");
  for (auto _ : state) {
    std::vector<Value> args{"0001", "001", d.opened};
    RemoteResult r = conn.call("GetPedidoVenda", args);
    if (!r.ok || !r.value.isArray() || r.value.array().empty()) {
      state.SkipWithError(r.ok ? "unexpected answer" : r.error.c_str());
      break;
    }
    sales.setData(r.value.array()[0].packet());
    if (sales.recordCount() != kSales) state.SkipWithError("wrong row count");
  }
  state.SetItemsProcessed(state.iterations() * kSales);
}

BENCHMARK_CAPTURE(BM_SelectPacket, SQLite, std::string("SQLite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawSociLoop, SQLite, std::string("SQLite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FetchDayHttp, SQLite, std::string("SQLite"))->Unit(benchmark::kMillisecond)->UseRealTime();

const bool kPostgres = [] {
  const char* pg = std::getenv("VND_TEST_PG");
  if (!pg || !*pg) return false;
  benchmark::RegisterBenchmark("BM_SelectPacket/PostgreSQL", BM_SelectPacket, std::string("PostgreSQL"))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_RawSociLoop/PostgreSQL", BM_RawSociLoop, std::string("PostgreSQL"))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_FetchDayHttp/PostgreSQL", BM_FetchDayHttp, std::string("PostgreSQL"))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return true;
}();

}  // namespace
