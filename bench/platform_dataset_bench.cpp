// Record-set costs on a day of sales: loading, scanning, locating, and the
// change-log operations that must not depend on the number of rows.
//
// Memory is reported two ways: the record set's own accounting of its
// storage, and the heap bytes it holds as counted by this program's
// allocator. Both are compared with the packet's size when its rows are
// encoded as MessagePack.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "platform/dataset.h"
#include "platform/datetime.h"

// ---------------------------------------------------------------- heap counting

namespace {
std::atomic<long long> g_heapBytes{0};
// glibc keeps an 8-byte size word in front of each chunk.
constexpr long long kChunkOverhead = 8;
}  // namespace

void* operator new(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  g_heapBytes += static_cast<long long>(malloc_usable_size(p)) + kChunkOverhead;
  return p;
}
// Kept out of line: inlined into callers, GCC would pair the free() with
// their `new` and warn of a mismatch.
[[gnu::noinline]] void operator delete(void* p) noexcept {
  if (!p) return;
  g_heapBytes -= static_cast<long long>(malloc_usable_size(p)) + kChunkOverhead;
  std::free(p);
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

using namespace platform;

namespace {

// ---------------------------------------------------------------- a day of sales

const std::vector<FieldDef>& saleFields() {
  using T = FieldType;
  static const std::vector<FieldDef> kFields = {
      {"NRSEQVENDA", T::String, 10},   {"CDFILIAL", T::String, 4},       {"CDEMPRESA", T::String, 2},
      {"DTVENDA", T::DateTime, 0},     {"CDCLIENTE", T::String, 21},     {"CDCONSUMIDOR", T::String, 21},
      {"CDVENDEDOR", T::String, 4},    {"DTENTRVENDA", T::DateTime, 0},  {"IDSITUVENDA", T::String, 1},
      {"DSENDEVENDA", T::String, 60},  {"DSREFECLIE", T::String, 30},    {"NRINSJURCLIE", T::String, 20},
      {"NMRAZSOCCLIE", T::String, 50}, {"IDTPIJURCLIE", T::String, 1},   {"NMCONSUMIDOR", T::String, 50},
      {"NMRAZSOCVEN", T::String, 50},  {"NRFONECLIE", T::String, 25},    {"VRDESCVENDA", T::Float, 0},
      {"CDCAIXA", T::String, 3},       {"DTABERTUR", T::DateTime, 0},    {"CDFILIALTUR", T::String, 4},
      {"CDCAIXATUR", T::String, 3},    {"CDSERVFILI", T::String, 5},     {"NRVENDAEXT", T::String, 10},
      {"IDTIPOIMPV", T::String, 1},    {"DTFECHAVENDA", T::DateTime, 0}, {"NRCUPOMFIS", T::String, 10},
      {"CDLOJA", T::String, 10},       {"IDTIPOVENDA", T::String, 1},    {"IDESTOQUE", T::FixedString, 1},
      {"CDCCUSCLIE", T::String, 10},   {"CDTIPOCONS", T::String, 2},     {"CDOPERADOR", T::String, 12},
      {"HRVENDA", T::String, 10},      {"NMSERVICO", T::String, 40},     {"TXOBSVENDA", T::String, 2000},
      {"NRORDEMVND", T::String, 20},   {"NRSERIEVND", T::String, 20},    {"NRSUBSERIEVND", T::String, 20},
      {"NRINSCRCONS", T::String, 20},  {"ITENSCANC", T::String, 1},      {"IDORIGEMVENDA", T::String, 7},
      {"IDTPEMISVEND", T::String, 1},  {"NRSERIEIMPVND", T::String, 50},
  };
  return kFields;
}

std::string digits(std::mt19937& rng, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
  return s;
}

std::string pad(const std::string& s, size_t width) {
  return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

// One register's sales: mostly imported from the terminals, one in ten typed
// here with an observation, a third with a consumer.
DataPacket salesPacket(int rows) {
  static const char* const kClients[] = {"CONSUMIDOR FINAL", "PADARIA SÃO JOÃO LTDA", "RESTAURANTE SABOR & CIA",
                                         "MERCADO BOA ESPERANÇA"};
  static const char* const kSellers[] = {"JOÃO DA SILVA", "MARIA APARECIDA SOUZA", "JOSÉ CARLOS"};
  static const char* const kConsumers[] = {"ANA PAULA FERREIRA", "CARLOS EDUARDO LIMA", "FRANCISCA DAS CHAGAS"};
  std::mt19937 rng(20261208);
  const DateTime day = encodeDate(2026, 12, 8);
  DataPacket p;
  p.fields = saleFields();
  p.rows.reserve(static_cast<size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    const bool typed = i % 10 == 0;
    const bool consumer = i % 3 == 0;
    const int client = static_cast<int>(rng() % 4);
    const double seconds = 8 * 3600 + i * 5;
    const DateTime when(day.days + seconds / 86400.0);
    char hour[16];
    std::snprintf(hour, sizeof hour, "%02d:%02d:%02d", static_cast<int>(seconds) / 3600,
                  static_cast<int>(seconds) / 60 % 60, static_cast<int>(seconds) % 60);
    auto opt = [](bool on, Value v) { return on ? v : Value(); };
    p.rows.push_back({RowKind::Unchanged,
                      {Value(pad(std::to_string(i + 1), 10)),
                       Value("0001"),
                       Value("01"),
                       Value(when),
                       Value(pad(std::to_string(client + 1), 21)),
                       opt(consumer, Value(pad(std::to_string(rng() % 5000), 21))),
                       Value(pad(std::to_string(rng() % 40 + 1), 4)),
                       Value(day),
                       Value(typed ? "P" : "O"),
                       Value(),
                       Value(),
                       Value(client == 0 ? "00000000000" : digits(rng, 14)),
                       Value(kClients[client]),
                       Value(client == 0 ? "F" : "J"),
                       opt(consumer, Value(kConsumers[rng() % 3])),
                       Value(kSellers[rng() % 3]),
                       Value("(11) 3" + digits(rng, 3) + "-" + digits(rng, 4)),
                       Value(0.0),
                       Value("001"),
                       Value(DateTime(day.days + 7.0 / 24)),
                       Value("0001"),
                       Value("001"),
                       Value("00001"),
                       Value(),
                       Value("1"),
                       Value(),
                       Value(digits(rng, 6)),
                       Value("0000000001"),
                       Value(typed ? "S" : "T"),
                       Value("S"),
                       opt(consumer, Value("CC" + digits(rng, 3))),
                       opt(consumer, Value("01")),
                       Value("OPER" + digits(rng, 2)),
                       Value(hour),
                       Value("BALCÃO"),
                       opt(typed, Value("A venda foi inserida pelo operador \r\nOPER01-JOÃO DA SILVA-08/12/2026")),
                       Value("1"),
                       Value("ECF-IF " + digits(rng, 2)),
                       Value("1"),
                       opt(consumer, Value(digits(rng, 11))),
                       Value("N"),
                       Value(typed ? "VND_MAN" : "PDV"),
                       Value("1"),
                       Value("BE0" + digits(rng, 18))},
                      {}});
  }
  return p;
}

nlohmann::json toJson(const Value& v) {
  switch (v.type()) {
    case ValueType::Text:
      return v.text();
    case ValueType::Number:
      return v.number();
    case ValueType::DateTime:
      return v.dateTime().days;
    case ValueType::Boolean:
      return v.boolean();
    default:
      return nullptr;
  }
}

size_t msgpackSize(const DataPacket& p) {
  nlohmann::json rows = nlohmann::json::array();
  for (const PacketRow& r : p.rows) {
    nlohmann::json row = nlohmann::json::array();
    for (const Value& v : r.values) row.push_back(toJson(v));
    rows.push_back(std::move(row));
  }
  return nlohmann::json::to_msgpack(rows).size();
}

const DataPacket& packet(int rows) {
  static std::map<int, DataPacket> cache;
  auto it = cache.find(rows);
  if (it == cache.end()) it = cache.emplace(rows, salesPacket(rows)).first;
  return it->second;
}

void editOneSale(ClientDataSet& ds) {
  ds.setRecNo(ds.recordCount() / 2);
  ds.edit();
  ds.fieldByName("NRCUPOMFIS").setValue("999999");
  ds.post();
}

// ---------------------------------------------------------------- benchmarks

void BM_Load(benchmark::State& state) {
  const DataPacket& p = packet(static_cast<int>(state.range(0)));
  ClientDataSet ds("cdsPedidoVenda");
  for (auto _ : state) ds.setData(p);

  ClientDataSet measured("cdsPedidoVenda");
  measured.setData(packet(1));
  const long long before = g_heapBytes;
  measured.setData(p);
  const double heap = static_cast<double>(g_heapBytes - before);
  const double encoded = static_cast<double>(msgpackSize(p));
  state.counters["msgpack_bytes"] = encoded;
  state.counters["heap_bytes"] = heap;
  state.counters["storage_bytes"] = static_cast<double>(measured.storageBytes());
  state.counters["heap_per_msgpack"] = heap / encoded;
}
BENCHMARK(BM_Load)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ScanAllFields(benchmark::State& state) {
  ClientDataSet ds("cdsPedidoVenda");
  ds.setData(packet(static_cast<int>(state.range(0))));
  std::vector<Field*> fields;
  for (int i = 0; i < ds.fieldCount(); ++i) fields.push_back(&ds.field(i));
  for (auto _ : state) {
    for (ds.first(); !ds.eof(); ds.next())
      for (Field* f : fields) benchmark::DoNotOptimize(f->value());
  }
  state.SetItemsProcessed(state.iterations() * ds.recordCount());
}
BENCHMARK(BM_ScanAllFields)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LocateNearEnd(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  ClientDataSet ds("cdsPedidoVenda");
  ds.setData(packet(rows));
  const Value key(pad(std::to_string(rows - 10), 10));
  for (auto _ : state) {
    ds.first();
    if (!ds.locate("NRSEQVENDA", key)) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_LocateNearEnd)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_DeltaAfterOneEdit(benchmark::State& state) {
  ClientDataSet ds("cdsPedidoVenda");
  ds.setData(packet(static_cast<int>(state.range(0))));
  editOneSale(ds);
  for (auto _ : state) benchmark::DoNotOptimize(ds.delta());
}
BENCHMARK(BM_DeltaAfterOneEdit)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Only the merge is timed; the edit that feeds it is not.
void BM_MergeAfterOneEdit(benchmark::State& state) {
  ClientDataSet ds("cdsPedidoVenda");
  ds.setData(packet(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    editOneSale(ds);
    const auto start = std::chrono::steady_clock::now();
    ds.mergeChangeLog();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_MergeAfterOneEdit)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Undoing after a failed send, as the screens do.
void BM_CancelUpdatesAfterOneEdit(benchmark::State& state) {
  ClientDataSet ds("cdsPedidoVenda");
  ds.setData(packet(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    editOneSale(ds);
    const auto start = std::chrono::steady_clock::now();
    ds.cancelUpdates();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_CancelUpdatesAfterOneEdit)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
