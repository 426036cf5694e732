// Encoding and decoding a day's sales (10,000 rows of the sale header) in
// each wire encoding; the "bytes" counter is the size of the document.

#include <benchmark/benchmark.h>

#include "bench/sale_packet.h"
#include "platform/packetcodec.h"

namespace {

using platform::BinaryFlavor;
using platform::Value;

constexpr std::size_t kRows = 10000;

const Value& salePacket() {
  static const Value packet(bench::makeSalePacket(kRows));
  return packet;
}

void BM_EncodeJson(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string doc = platform::encodeValueJson(salePacket());
    bytes = doc.size();
    benchmark::DoNotOptimize(doc.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_DecodeJson(benchmark::State& state) {
  const std::string doc = platform::encodeValueJson(salePacket());
  for (auto _ : state) {
    const Value v = platform::decodeValueJson(doc);
    benchmark::DoNotOptimize(&v);
  }
  state.counters["bytes"] = static_cast<double>(doc.size());
}

void BM_EncodeBinary(benchmark::State& state, BinaryFlavor flavor) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto doc = platform::encodeValueBinary(salePacket(), flavor);
    bytes = doc.size();
    benchmark::DoNotOptimize(doc.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_DecodeBinary(benchmark::State& state, BinaryFlavor flavor) {
  const auto doc = platform::encodeValueBinary(salePacket(), flavor);
  for (auto _ : state) {
    const Value v = platform::decodeValueBinary(doc.data(), doc.size(), flavor);
    benchmark::DoNotOptimize(&v);
  }
  state.counters["bytes"] = static_cast<double>(doc.size());
}

}  // namespace

BENCHMARK(BM_EncodeJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJson)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodeBinary, Cbor, BinaryFlavor::Cbor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeBinary, Cbor, BinaryFlavor::Cbor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodeBinary, MessagePack, BinaryFlavor::MessagePack)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeBinary, MessagePack, BinaryFlavor::MessagePack)
    ->Unit(benchmark::kMillisecond);
