// A busy branch on one server: 200 clients connected and logged on over
// loopback HTTP (the server with its default 8 workers, on threads of this
// process), 50 of them active at one action per second each, for 60 s
// (VND_LOAD_SECONDS changes it: a short run is cheap). Each active client
// works on a pending typed sale of its own on the demo's open day and goes
// round the three actions the screen makes most:
//
//   move   moving to its sale: items, receipts and total, in one batch;
//   item   adding an item: the next item number (PrxItemVenda), then the
//          sale saved with the new item (GravaVenda);
//   save   saving a change of the sale's header (its remark) with GravaVenda.
//
// Counters per action: p50 and p99 in milliseconds; refused counts every
// action the server did not accept (the first refusal's text goes to
// standard error). Goal: p99 under 50 ms. Runs on SQLite, and on PostgreSQL
// when VND_TEST_PG names a database (the schema vnd_load is filled there).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/scratch_pg.h"
#include "platform/batchingtransport.h"
#include "platform/datapacket.h"
#include "platform/httptransport.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "server/appserver.h"
#include "server/demodata.h"
#include "server/httpserver.h"
#include "server/operations_all.h"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kConnected = 200;
constexpr int kActive = 50;

int loadSeconds() {
  const char* s = std::getenv("VND_LOAD_SECONDS");
  const int n = s ? std::atoi(s) : 60;
  return n > 0 ? n : 60;
}

// The demo database on the backend, made afresh; answers its connection.
std::string freshDemo(const std::string& backend) {
  std::string conn;
  if (backend == "SQLite") {
    static const auto dir = std::filesystem::temp_directory_path() / ("vnd_load_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    static const struct Remover {
      ~Remover() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
      }
    } remover;
    conn = "sqlite:" + (dir / "vnd.db").string();
  } else {
    conn = benchrig::freshPostgresSchema("vnd_load");
  }
  server::createDemoDatabase(conn);
  return conn;
}

struct SaleRef {
  std::string filial, caixa, nr;
  std::vector<Value> key() const { return {Value(filial), Value(caixa), Value(nr)}; }
};

// A pending typed sale of an open opening for each active client: copies of
// the first such sale of the demo, with numbers of their own.
std::vector<SaleRef> salesForClients(soci::session& db) {
  const DataPacket found = sqlSelect(db,
                                     "SELECT V.CDFILIAL, V.CDCAIXA, V.NRSEQVENDA FROM VENDA V JOIN TURCAIXA T "
                                     "ON T.CDFILIAL = V.CDFILIALTUR AND T.CDCAIXA = V.CDCAIXATUR "
                                     "AND T.DTABERCAIX = V.DTABERTUR WHERE T.DTFECHCAIX IS NULL "
                                     "AND V.IDSITUVENDA = 'P' AND V.IDTIPOVENDA = 'S' ORDER BY V.NRSEQVENDA",
                                     {});
  if (found.rows.empty()) throw std::runtime_error("no pending typed sale on an open opening");
  const auto& k = found.rows[0].values;
  const SaleRef model{k[0].asText(), k[1].asText(), k[2].asText()};
  const DataPacket columns =
      sqlSelect(db, "SELECT * FROM VENDA WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
                {{"F", model.filial}, {"C", model.caixa}, {"N", model.nr}});
  std::string names, picks;
  for (const FieldDef& f : columns.fields) {
    names += (names.empty() ? "" : ", ") + f.name;
    picks += (picks.empty() ? "" : ", ") + (f.name == "NRSEQVENDA" ? std::string(":NOVO") : f.name);
  }
  std::vector<SaleRef> sales;
  for (int i = 0; i < kActive; ++i) {
    SaleRef s{model.filial, model.caixa, std::to_string(9000000000LL + i)};
    sqlExecute(db,
               "INSERT INTO VENDA (" + names + ") SELECT " + picks +
                   " FROM VENDA WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
               {{"NOVO", s.nr}, {"F", model.filial}, {"C", model.caixa}, {"N", model.nr}});
    sales.push_back(s);
  }
  return sales;
}

struct Timings {
  std::mutex m;
  std::vector<double> move, item, save;
  std::atomic<int> refused{0};
  std::string firstRefusal;
  void refuse(const std::string& why) {
    if (refused++ == 0) {
      std::lock_guard lock(m);
      firstRefusal = why;
    }
  }
};

std::unique_ptr<TNetConnection> connect(int port) {
  auto c = std::make_unique<TNetConnection>(std::string(server::kServerObject),
                                            std::make_unique<BatchingTransport>(std::make_unique<HttpTransport>()));
  c->Host = "127.0.0.1";
  c->Port = port;
  return c;
}

// One active client: its sale, its connection, and an item row to copy.
class Client {
 public:
  Client(std::unique_ptr<TNetConnection> conn, SaleRef sale, std::string operatorCode, Timings& t)
      : conn_(std::move(conn)), sale_(std::move(sale)), operator_(std::move(operatorCode)), t_(t) {}

  // An item of the demo, copied into the sale at each item added.
  void prepare(const Value& itemModel) { itemModel_ = itemModel; }

  void act(int n, const DataPacket& sales) {
    const auto start = Clock::now();
    std::vector<double>* into = nullptr;
    std::string why;
    switch (n % 3) {
      case 0:
        into = &t_.move;
        why = move();
        break;
      case 1:
        into = &t_.item;
        why = addItem();
        break;
      default:
        into = &t_.save;
        why = save(sales);
        break;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!why.empty()) return t_.refuse(why);
    std::lock_guard lock(t_.m);
    into->push_back(ms);
  }

 private:
  std::string move() {
    std::vector<RemoteCall> calls{{"GetItens", sale_.key(), {}}, {"GetTipoRece", sale_.key(), {}},
                                  {"GetSumVenda", sale_.key(), {}}};
    for (const RemoteResult& r : conn_->callBatch(calls))
      if (!r.ok) return r.error;
    return {};
  }

  std::string addItem() {
    std::vector<Value> args = sale_.key();
    const RemoteResult next = conn_->call("PrxItemVenda", args);
    if (!next.ok) return next.error;
    DataPacket items = itemModel_.packet();
    items.delta = true;
    PacketRow row = items.rows.front();
    row.kind = RowKind::Insert;
    row.original.clear();
    const auto set = [&](const char* field, Value v) {
      if (const int i = items.fieldIndex(field); i >= 0) row.values[static_cast<std::size_t>(i)] = std::move(v);
    };
    set("CDFILIAL", Value(sale_.filial));
    set("CDCAIXA", Value(sale_.caixa));
    set("NRSEQVENDA", Value(sale_.nr));
    set("NRSEQUITVEND", Value(next.value.asText()));
    items.rows = {row};
    std::vector<Value> save{Value(), Value(items), Value(), Value(operator_)};
    const RemoteResult r = conn_->call("GravaVenda", save);
    return r.ok ? std::string() : r.error;
  }

  std::string save(const DataPacket& sales) {
    // The header as loaded, its remark changed.
    if (header_.fields.empty()) {
      const int nr = sales.fieldIndex("NRSEQVENDA");
      for (const PacketRow& row : sales.rows)
        if (row.values[static_cast<std::size_t>(nr)].asText() == sale_.nr) {
          header_.fields = sales.fields;
          header_.rows = {row};
        }
      if (header_.rows.empty()) return "sale " + sale_.nr + " not in the opening's list";
    }
    DataPacket delta = header_;
    delta.delta = true;
    PacketRow& row = delta.rows.front();
    row.kind = RowKind::Modify;
    row.original = row.values;
    const int remark = delta.fieldIndex("TXOBSVENDA");
    row.values[static_cast<std::size_t>(remark)] = Value("carga " + std::to_string(++saves_));
    std::vector<Value> args{Value(delta), Value(), Value(), Value(operator_)};
    const RemoteResult r = conn_->call("GravaVenda", args);
    if (!r.ok) return r.error;
    header_.rows.front().values = row.values;
    return {};
  }

  std::unique_ptr<TNetConnection> conn_;
  SaleRef sale_;
  std::string operator_;
  Timings& t_;
  Value itemModel_;
  DataPacket header_;
  int saves_ = 0;
};

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void BM_BusyBranch(benchmark::State& state, const std::string& backend) {
  if (backend != "SQLite" && !std::getenv("VND_TEST_PG")) {
    state.SkipWithError("VND_TEST_PG not set");
    return;
  }
  const std::string conn = freshDemo(backend);
  SqlConnection db(conn);
  const std::vector<SaleRef> sales = salesForClients(db.session());

  server::OperationRegistry registry;
  server::registerAllOperations(registry);
  server::AppServerOptions appOptions;
  appOptions.databaseSessions = 16;  // the 8 readers and 8 writers of the HTTP server
  server::AppServer app(conn, std::move(registry), appOptions);
  server::HttpServerOptions options;
  options.log = [](const std::string&) {};
  server::HttpServer http(app, options);
  const int port = http.start("127.0.0.1", 0);

  const server::DemoOperator& op = server::demoOperators().front();
  std::vector<std::unique_ptr<TNetConnection>> idle;
  Timings t;
  std::vector<std::unique_ptr<Client>> clients;
  Value itemModel;
  DataPacket openingSales;
  for (int i = 0; i < kConnected; ++i) {
    auto c = connect(port);
    const LogonResult r = c->logon(op.code, op.password, "0001");
    if (!r.ok) {
      state.SkipWithError(("logon refused: " + r.error).c_str());
      return;
    }
    if (i >= kActive) {
      idle.push_back(std::move(c));
      continue;
    }
    if (i == 0) {
      // An item of a sale of the demo, and the opening's sales list as the
      // screen loads it.
      const DataPacket anyItem = sqlSelect(db.session(),
                                           "SELECT CDFILIAL, CDCAIXA, NRSEQVENDA FROM ITVENDA ORDER BY NRSEQVENDA", {});
      std::vector<Value> key{anyItem.rows[0].values[0], anyItem.rows[0].values[1], anyItem.rows[0].values[2]};
      const RemoteResult items = c->call("GetItens", key);
      if (!items.ok) {
        state.SkipWithError(items.error.c_str());
        return;
      }
      DataPacket one = items.value.array()[0].packet();
      one.rows.resize(1);
      itemModel = Value(one);
      const DataPacket opening =
          sqlSelect(db.session(),
                    "SELECT CDFILIALTUR, CDCAIXATUR, DTABERTUR FROM VENDA WHERE CDFILIAL = :F AND CDCAIXA = :C "
                    "AND NRSEQVENDA = :N",
                    {{"F", sales[0].filial}, {"C", sales[0].caixa}, {"N", sales[0].nr}},
                    {{"CDFILIALTUR", FieldType::String, 4},
                     {"CDCAIXATUR", FieldType::String, 3},
                     {"DTABERTUR", FieldType::DateTime}});
      std::vector<Value> openingKey = opening.rows[0].values;
      const RemoteResult list = c->call("GetPedidoVenda", openingKey);
      if (!list.ok) {
        state.SkipWithError(list.error.c_str());
        return;
      }
      openingSales = list.value.array()[0].packet();
    }
    clients.push_back(std::make_unique<Client>(std::move(c), sales[static_cast<std::size_t>(i)], r.operatorCode, t));
    clients.back()->prepare(itemModel);
  }

  // The clients have been at work before: every active one moves to its
  // sale once, together, so the server's database sessions are open.
  {
    std::vector<std::thread> threads;
    for (auto& c : clients) threads.emplace_back([&c, &openingSales] { c->act(0, openingSales); });
    for (std::thread& th : threads) th.join();
    t.move.clear();
    t.refused = 0;
  }
  const int seconds = loadSeconds();
  for (auto _ : state) {
    const auto begin = Clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < kActive; ++i)
      threads.emplace_back([&, i] {
        // Spread over the first second, then one action a second.
        const auto first = begin + std::chrono::milliseconds(1000 * i / kActive);
        for (int n = 0; n < seconds; ++n) {
          std::this_thread::sleep_until(first + std::chrono::seconds(n));
          clients[static_cast<std::size_t>(i)]->act(n + i, openingSales);
        }
      });
    for (std::thread& th : threads) th.join();
  }
  const std::pair<const char*, std::vector<double>*> actions[] = {{"move", &t.move}, {"item", &t.item}, {"save", &t.save}};
  for (const auto& [name, times] : actions) {
    state.counters[std::string(name) + "_p50_ms"] = percentile(*times, 0.50);
    state.counters[std::string(name) + "_p99_ms"] = percentile(*times, 0.99);
    state.counters[std::string(name) + "_n"] = static_cast<double>(times->size());
  }
  state.counters["refused"] = t.refused.load();
  if (t.refused) std::cerr << "first refusal (" << backend << "): " << t.firstRefusal << '\n';
  for (auto& c : clients) c.reset();
  idle.clear();
  http.stop();
}
BENCHMARK_CAPTURE(BM_BusyBranch, SQLite, std::string("SQLite"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BusyBranch, PostgreSQL, std::string("PostgreSQL"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
