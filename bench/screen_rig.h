#pragma once
// What the screen benchmarks share: a user interface that answers every
// question Yes and shows nothing, and a screen host that hands the screen
// the benchmark session's connection.

#include <string>

#include "client/session.h"
#include "platform/dataset.h"
#include "platform/form.h"
#include "platform/remote.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"

namespace benchrig {

struct QuietUi : platform::UiServices {
  std::string last;  // the last message shown, for a benchmark's error
  platform::MsgResult showMessage(const std::string& text, platform::MsgKind, platform::MsgButtons) override {
    last = text;
    return platform::MsgResult::Yes;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(platform::ClientDataSet&, const std::string&, const std::string&) override { return false; }
  void searchRecord(platform::ClientDataSet&) override {}
};

struct Host : platform::ScreenHost {
  client::Session* session = nullptr;
  void showDocument(platform::Form&) override {}
  void closeDocument(platform::Form&) override {}
  void prepareConnection(platform::TNetConnection& c) override { session->prepare(c); }
};

}  // namespace benchrig
