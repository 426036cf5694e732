// Encoding and decoding a day's sales (10,000 rows of the 44 sale header
// fields) in each wire encoding. Counters: "bytes", the size of the
// document; on decoding, "free_ms", the time to free the decoded value,
// which is kept out of the decoding time (it is the same whatever reader
// built the value, and the screen pays it when it drops a list, not when it
// loads one).
//
// MessagePackViaJson is the wire flavour through nlohmann-json's model and
// SAX parser, as it was before the direct writer and reader; MessagePack
// is the direct code. CPU-time medians (minimum in brackets) of 10 runs,
// RelWithDebInfo, on this 2-core machine while other builds kept it loaded
// (load average 7 to 8):
//                          encode           decode         free_ms
//   MessagePackViaJson   136 ms (122)      76 ms (67)       10
//   MessagePack           12 ms   (9)      14 ms (11)       10
// Both write the same 3,431,356 bytes. Freeing the decoded packet (21 MB
// of values) costs about as much as reading it, and under load both swing
// with the state of the allocator.

#include <benchmark/benchmark.h>

#include <ctime>
#include <optional>

#include "bench/sale_packet.h"
#include "platform/packetcodec.h"
#include "platform/packetcodec_detail.h"

namespace {

using platform::BinaryFlavor;
using platform::Value;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kRows = 10000;

const Value& salePacket() {
  static const Value packet(bench::makeSalePacket(kRows));
  return packet;
}

double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <class Encode>
void encodeLoop(benchmark::State& state, Encode encode) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto doc = encode(salePacket());
    bytes = doc.size();
    benchmark::DoNotOptimize(doc.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

template <class Doc, class Decode>
void decodeLoop(benchmark::State& state, const Doc& doc, Decode decode) {
  double freeing = 0;
  for (auto _ : state) {
    std::optional<Value> v = decode(doc);
    benchmark::DoNotOptimize(&*v);
    state.PauseTiming();
    const double start = cpuSeconds();
    v.reset();
    freeing += cpuSeconds() - start;
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(doc.size());
  state.counters["free_ms"] = benchmark::Counter(freeing * 1e3, benchmark::Counter::kAvgIterations);
}

void BM_EncodeJson(benchmark::State& state) { encodeLoop(state, platform::encodeValueJson); }

void BM_DecodeJson(benchmark::State& state) {
  decodeLoop(state, platform::encodeValueJson(salePacket()),
             [](const std::string& doc) { return platform::decodeValueJson(doc); });
}

void BM_EncodeBinary(benchmark::State& state, BinaryFlavor flavor) {
  encodeLoop(state, [flavor](const Value& v) { return platform::encodeValueBinary(v, flavor); });
}

void BM_DecodeBinary(benchmark::State& state, BinaryFlavor flavor) {
  decodeLoop(state, platform::encodeValueBinary(salePacket(), flavor),
             [flavor](const Bytes& doc) { return platform::decodeValueBinary(doc.data(), doc.size(), flavor); });
}

void BM_EncodeMessagePackViaJson(benchmark::State& state) {
  encodeLoop(state, platform::detail::writeMessagePackViaJson);
}

void BM_DecodeMessagePackViaJson(benchmark::State& state) {
  decodeLoop(state, platform::encodeValueBinary(salePacket()),
             [](const Bytes& doc) { return platform::detail::readMessagePackViaJson(doc.data(), doc.size()); });
}

}  // namespace

BENCHMARK(BM_EncodeJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJson)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodeBinary, Cbor, BinaryFlavor::Cbor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeBinary, Cbor, BinaryFlavor::Cbor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeMessagePackViaJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeMessagePackViaJson)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodeBinary, MessagePack, BinaryFlavor::MessagePack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeBinary, MessagePack, BinaryFlavor::MessagePack)->Unit(benchmark::kMillisecond);
