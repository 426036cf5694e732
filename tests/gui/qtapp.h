#pragma once
// Shared pieces of the client's tests: one QApplication for the whole test
// program on Qt's off-screen platform (no display needed), and UI services
// that record the messages shown instead of opening boxes.

#include <QApplication>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/uiservice.h"

namespace guitest {

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *instance;
}

class RecordingUi : public platform::UiServices {
 public:
  RecordingUi() { platform::setUi(this); }
  ~RecordingUi() override { platform::setUi(nullptr); }
  platform::MsgResult showMessage(const std::string& text, platform::MsgKind kind, platform::MsgButtons) override {
    shown.push_back(text);
    kinds.push_back(kind);
    return platform::MsgResult::Ok;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(platform::ClientDataSet&, const std::string& title, const std::string&) override {
    picked.push_back(title);
    return false;
  }
  void searchRecord(platform::ClientDataSet&) override {}
  void showNotice(const std::string& text) override { notices.push_back(text); }
  std::vector<std::string> shown;
  std::vector<std::string> notices;
  std::vector<platform::MsgKind> kinds;
  std::vector<std::string> picked;  // titles of the look-ups opened
};

}  // namespace guitest
