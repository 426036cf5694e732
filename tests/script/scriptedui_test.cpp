#include <gtest/gtest.h>

#include <memory>

#include "platform/dataset.h"
#include "script/recording.h"
#include "script/scriptedui.h"

namespace {

using platform::MsgButtons;
using platform::MsgKind;
using platform::MsgResult;

struct Traced : script::ScriptedUi {
  std::vector<std::string> lines;
  Traced() {
    trace = [this](const std::string& l) { lines.push_back(l); };
  }
};

TEST(ScriptedUi, QuestionsTakeQueuedAnswersThenTheDefault) {
  Traced ui;
  ui.defaultAnswer = MsgResult::No;
  ui.answers = {MsgResult::Yes};
  EXPECT_EQ(ui.showMessage("Excluir?", MsgKind::Confirmation, MsgButtons::YesNo), MsgResult::Yes);
  EXPECT_EQ(ui.showMessage("Excluir?", MsgKind::Confirmation, MsgButtons::YesNo), MsgResult::No);
  // A notice is never answered from the queue.
  ui.answers = {MsgResult::Yes};
  EXPECT_EQ(ui.showMessage("Falhou.", MsgKind::Error, MsgButtons::Ok), MsgResult::Ok);
  EXPECT_EQ(ui.answers.size(), 1u);
  EXPECT_EQ(ui.lines,
            (std::vector<std::string>{"pergunta: Excluir? -> sim", "pergunta: Excluir? -> não (sem resposta preparada)",
                                      "erro: Falhou."}));
  EXPECT_EQ(ui.texts().size(), 3u);
}

TEST(ScriptedUi, LookUpsChooseQueuedRowsAndAnEmptyListTakesNoPick) {
  platform::ClientDataSet set("qryFilial");
  set.addField("CDFILIAL", platform::FieldType::String, 4);
  set.createDataSet();
  Traced ui;
  ui.picks = {2};
  // An empty list shows its message and leaves the pick for the next look-up.
  EXPECT_FALSE(ui.pickRecord(set, "Filial", "Não há filial cadastrada"));
  EXPECT_EQ(ui.picks.size(), 1u);
  for (const char* code : {"0001", "0002", "0003"}) {
    set.append();
    set.fieldByName("CDFILIAL").setAsString(code);
    set.post();
  }
  set.first();
  EXPECT_TRUE(ui.pickRecord(set, "Filial", ""));
  EXPECT_EQ(set.fieldByName("CDFILIAL").asString(), "0002");
  // No pick left: cancelled. A row past the end is no choice either.
  EXPECT_FALSE(ui.pickRecord(set, "Filial", ""));
  ui.picks = {9};
  EXPECT_FALSE(ui.pickRecord(set, "Filial", ""));
  EXPECT_EQ(set.fieldByName("CDFILIAL").asString(), "0002");
  EXPECT_EQ(ui.lines,
            (std::vector<std::string>{"pesquisa: Filial -> lista vazia: Não há filial cadastrada",
                                      "pesquisa: Filial (3 linhas) -> linha 2", "pesquisa: Filial (3 linhas) -> nenhum",
                                      "pesquisa: Filial (3 linhas) -> nenhum"}));
}

// A transport that answers every call with an empty result.
struct NullTransport : platform::RemoteTransport {
  std::string connect(const platform::RemoteEndpoint&) override { return {}; }
  void disconnect() override {}
  platform::LogonResult logon(const std::string&, const std::string&, const std::string&) override { return {}; }
  void logoff(const std::string&) override {}
  platform::RemoteResult call(const std::string&, const std::string&, std::vector<platform::Value>&) override {
    ++calls;
    return {};
  }
  int calls = 0;
};

TEST(RecordingTransport, RecordsEachCallWithItsArgumentsBeforePassingItOn) {
  auto inner = std::make_unique<NullTransport>();
  NullTransport& seen = *inner;
  std::vector<std::string> calls;
  std::vector<std::string> traced;
  script::RecordingTransport t(std::move(inner), calls, [&](const std::string& l) { traced.push_back(l); });
  std::vector<platform::Value> args{platform::Value("0001"), platform::Value(), platform::Value(3LL)};
  t.call("token", "GetBuscaManut", args);
  std::vector<platform::Value> none;
  t.call("token", "GetProxNumero", none);
  EXPECT_EQ(seen.calls, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"GetBuscaManut(0001, Null, 3)", "GetProxNumero()"}));
  EXPECT_EQ(traced, calls);
}

}  // namespace
