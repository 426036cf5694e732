#pragma once
// The user interface of a scripted run (the scenario runner, the behaviour
// tests): questions and look-ups are answered from queues filled in advance,
// and everything shown is recorded, in order.
//
//   - a Yes/No question takes the next queued answer; with none queued it
//     gets `defaultAnswer` (the runner sets No, the safe choice; the tests
//     keep Yes);
//   - a look-up takes the next queued pick (1-based row, 0 = cancel); with
//     none queued it is cancelled; an empty list shows its empty-list
//     message instead and takes no pick;
//   - the search dialog takes a pick the same way.
//
// `trace`, when set, receives one transcript line per event as it happens,
// so a transcript interleaves the screen's messages with its remote calls.
//
// Header-only so that test programs can use it without linking the runner.
// Thread-safety: the user-interface thread only.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dataset.h"
#include "platform/uiservice.h"

namespace script {

struct Shown {
  platform::MsgKind kind;
  std::string text;
};

// The word a transcript uses for a message kind.
inline const char* kindWord(platform::MsgKind kind) {
  switch (kind) {
    case platform::MsgKind::Error:
      return "erro";
    case platform::MsgKind::Warning:
      return "aviso";
    case platform::MsgKind::Information:
      return "informação";
    case platform::MsgKind::Confirmation:
      return "pergunta";
  }
  return "mensagem";
}

struct ScriptedUi : platform::UiServices {
  std::vector<Shown> shown;                 // every message box, in order
  std::deque<platform::MsgResult> answers;  // for Yes/No questions
  std::deque<int> picks;                    // 1-based row to choose, 0 = cancel
  std::vector<std::string> lookups;         // titles of the look-ups opened
  std::vector<std::string> captions;        // progress captions shown
  int progressDepth = 0;
  platform::MsgResult defaultAnswer = platform::MsgResult::Yes;
  std::function<void(const std::string&)> trace;

  platform::MsgResult showMessage(const std::string& text, platform::MsgKind kind,
                                  platform::MsgButtons buttons) override {
    shown.push_back({kind, text});
    if (buttons == platform::MsgButtons::Ok) {
      emit(std::string(kindWord(kind)) + ": " + text);
      return platform::MsgResult::Ok;
    }
    platform::MsgResult r = defaultAnswer;
    bool queued = false;
    if (!answers.empty()) {
      r = answers.front();
      answers.pop_front();
      queued = true;
    }
    emit("pergunta: " + text + " -> " + (r == platform::MsgResult::Yes ? "sim" : "não") +
         (queued ? "" : " (sem resposta preparada)"));
    return r;
  }
  void showProgress(int, const std::string& caption) override {
    captions.push_back(caption);
    ++progressDepth;
  }
  void hideProgress() override { --progressDepth; }
  bool pickRecord(platform::ClientDataSet& set, const std::string& title, const std::string& empty) override {
    lookups.push_back(title);
    if (set.isEmpty()) {
      shown.push_back({platform::MsgKind::Information, empty});
      emit("pesquisa: " + title + " -> lista vazia: " + empty);
      return false;
    }
    const int row = nextPick();
    if (row <= 0 || row > set.recordCount()) {
      emit("pesquisa: " + title + " (" + std::to_string(set.recordCount()) + " linhas) -> nenhum");
      return false;
    }
    set.setRecNo(row);
    emit("pesquisa: " + title + " (" + std::to_string(set.recordCount()) + " linhas) -> linha " + std::to_string(row));
    return true;
  }
  void searchRecord(platform::ClientDataSet& set) override {
    const int row = nextPick();
    if (row <= 0 || row > set.recordCount()) {
      emit("procura: " + set.name() + " -> nenhum");
      return;
    }
    set.setRecNo(row);
    emit("procura: " + set.name() + " -> linha " + std::to_string(row));
  }

  // Texts of the messages shown, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Shown& s : shown) out.push_back(s.text);
    return out;
  }
  std::string lastText() const { return shown.empty() ? std::string() : shown.back().text; }

 private:
  int nextPick() {
    if (picks.empty()) return 0;
    const int row = picks.front();
    picks.pop_front();
    return row;
  }
  void emit(const std::string& line) {
    if (trace) trace(line);
  }
};

}  // namespace script
