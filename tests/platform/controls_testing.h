#pragma once
// Shared pieces of the control-model tests: scripted UI services and an
// event journal.

#include <deque>
#include <string>
#include <vector>

#include "platform/dataset.h"
#include "platform/uiservice.h"

namespace platform::testing {

// Installs itself as the UI services for its lifetime. Message boxes answer
// from `answers` (Yes when it runs dry); the look-up dialog chooses the row
// `pickRow` (1-based; 0 chooses nothing) and records what it listed.
class ScriptedUi : public UiServices {
 public:
  std::vector<std::string> messages;
  std::deque<MsgResult> answers;
  int pickRow = 0;
  std::vector<std::string> picks;  // "title|empty message|row count"
  int searches = 0;

  ScriptedUi() { setUi(this); }
  ~ScriptedUi() override { setUi(nullptr); }

  MsgResult showMessage(const std::string& text, MsgKind, MsgButtons buttons) override {
    messages.push_back(text);
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (answers.empty()) return MsgResult::Yes;
    const MsgResult r = answers.front();
    answers.pop_front();
    return r;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(ClientDataSet& set, const std::string& title, const std::string& empty) override {
    picks.push_back(title + "|" + empty + "|" + std::to_string(set.recordCount()));
    if (pickRow <= 0 || pickRow > set.recordCount()) return false;
    set.setRecNo(pickRow);
    return true;
  }
  void searchRecord(ClientDataSet&) override { ++searches; }
};

// Events in the order they ran.
struct Journal {
  std::vector<std::string> lines;
  void add(std::string s) { lines.push_back(std::move(s)); }
  std::string take() {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : ",") + l;
    lines.clear();
    return out;
  }
};

}  // namespace platform::testing
