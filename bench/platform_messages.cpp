#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/messages.h"

namespace {

// A catalogue the size of the screen's (about 200 keys) over the standard one.
struct Catalogue {
  std::vector<std::string> keys, texts;
  std::vector<platform::MessageEntry> entries;
  platform::TMessages messages;
  Catalogue() {
    for (int i = 0; i < 200; ++i) {
      keys.push_back("Chave_" + std::to_string(i));
      texts.push_back("Texto da mensagem número " + std::to_string(i) + ".");
    }
    for (size_t i = 0; i < keys.size(); ++i) entries.push_back({keys[i], texts[i]});
    messages = platform::TMessages(entries, &platform::msgMensagensPadroes());
  }
};

const Catalogue& catalogue() {
  static const Catalogue c;
  return c;
}

void BM_MsgHitOtherCase(benchmark::State& state) {
  const auto& m = catalogue().messages;
  for (auto _ : state) benchmark::DoNotOptimize(m.Msg("CHAVE_137"));
}
BENCHMARK(BM_MsgHitOtherCase);

void BM_MsgFallback(benchmark::State& state) {
  const auto& m = catalogue().messages;
  for (auto _ : state) benchmark::DoNotOptimize(m.Msg("get_preco"));
}
BENCHMARK(BM_MsgFallback);

void BM_MsgFmtTwoArgs(benchmark::State& state) {
  const platform::TMessages m{{"Vr_Inv", "'%s' não é um valor válido para o campo %s."}};
  for (auto _ : state) benchmark::DoNotOptimize(m.MsgFmt("Vr_Inv", {"12a", "Leitura X"}));
}
BENCHMARK(BM_MsgFmtTwoArgs);

}  // namespace
