#pragma once
// The screen against a real embedded application server on a fresh copy of
// the demonstration database, logged on as the demo operator "1" at branch
// "0001". What behaviour tests of the screen run on:
//
//   LiveScreen   fixture: database copy, client session, logon, a scripted
//                user interface and a screen host whose connections record
//                every remote call; open() creates and shows the screen.
//   ScriptedUi   answers questions and look-ups from queues (a question with
//                no queued answer is answered Yes, a look-up with no queued
//                choice is cancelled) and records everything shown.
//
// The demo database is built once per test process and copied per test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/session.h"
#include "platform/dataset.h"
#include "platform/remote.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/pkg_vnd02600.h"
#include "server/demodata.h"

namespace livetest {

struct Shown {
  platform::MsgKind kind;
  std::string text;
};

struct ScriptedUi : platform::UiServices {
  std::vector<Shown> shown;                  // every message box, in order
  std::deque<platform::MsgResult> answers;   // for Yes/No questions
  std::deque<int> picks;                     // 1-based row to choose, 0 = cancel
  std::vector<std::string> lookups;          // titles of the look-ups opened
  std::vector<std::string> captions;         // progress captions shown
  int progressDepth = 0;

  platform::MsgResult showMessage(const std::string& text, platform::MsgKind kind,
                                  platform::MsgButtons buttons) override {
    shown.push_back({kind, text});
    if (buttons == platform::MsgButtons::Ok) return platform::MsgResult::Ok;
    if (answers.empty()) return platform::MsgResult::Yes;
    const platform::MsgResult r = answers.front();
    answers.pop_front();
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
      return false;
    }
    if (picks.empty()) return false;
    const int row = picks.front();
    picks.pop_front();
    if (row <= 0) return false;
    set.setRecNo(row);
    return true;
  }
  void searchRecord(platform::ClientDataSet&) override {}

  // Texts of the messages shown, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Shown& s : shown) out.push_back(s.text);
    return out;
  }
  std::string lastText() const { return shown.empty() ? std::string() : shown.back().text; }
};

// Wraps a transport and records "Operation(arg0, arg1, ...)" of each call.
class RecordingTransport : public platform::RemoteTransport {
 public:
  RecordingTransport(std::unique_ptr<platform::RemoteTransport> inner, std::vector<std::string>& calls)
      : inner_(std::move(inner)), calls_(calls) {}
  std::string connect(const platform::RemoteEndpoint& e) override { return inner_->connect(e); }
  void disconnect() override { inner_->disconnect(); }
  platform::LogonResult logon(const std::string& o, const std::string& p, const std::string& b) override {
    return inner_->logon(o, p, b);
  }
  void logoff(const std::string& t) override { inner_->logoff(t); }
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<platform::Value>& args) override {
    std::string line = operation + "(";
    for (size_t i = 0; i < args.size(); ++i) {
      if (i) line += ", ";
      line += args[i].isPacket() ? std::string("<packet>") : args[i].isNull() ? std::string("Null") : args[i].asText();
    }
    calls_.push_back(line + ")");
    return inner_->call(token, operation, args);
  }

 private:
  std::unique_ptr<platform::RemoteTransport> inner_;
  std::vector<std::string>& calls_;
};

inline std::string demoTemplate() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("vnd_live_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "template.db").string();
    server::createDemoDatabase("sqlite:" + file);
    return file;
  }();
  return path;
}

class LiveScreen : public ::testing::Test, public platform::ScreenHost {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = std::filesystem::path(demoTemplate()).parent_path() / ("t" + std::to_string(++counter));
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(demoTemplate(), dir_ / "vnd.db");
    platform::setUi(&ui);
    platform::setScreenHost(this);
    client::SessionOptions o;
    o.database = "sqlite:" + (dir_ / "vnd.db").string();
    session = std::make_unique<client::Session>(o);
    const platform::LogonResult r = session->logon("1", demoPassword("1"), "0001");
    ASSERT_TRUE(r.ok) << r.error;
  }
  void TearDown() override {
    if (frmManutVenda) frmManutVenda->close();
    session.reset();
    platform::setScreenHost(nullptr);
    platform::setUi(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Opens the screen as the client does; answers it.
  screen::TfrmManutVenda& open() {
    CriaManutVenda();
    EXPECT_NE(frmManutVenda, nullptr) << ui.lastText();
    return *frmManutVenda;
  }

  static std::string demoPassword(const std::string& code) {
    for (const server::DemoOperator& o : server::demoOperators())
      if (o.code == code || o.code == std::string(12 - code.size(), '0') + code) return o.password;
    return {};
  }

  // ScreenHost.
  void showDocument(platform::Form&) override {}
  void closeDocument(platform::Form&) override {}
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<RecordingTransport>(session->makeTransport(), calls));
    c.setSessionToken(session->token());
  }

  ScriptedUi ui;
  std::unique_ptr<client::Session> session;
  std::vector<std::string> calls;  // every remote call of the screen, in order

 private:
  std::filesystem::path dir_;
};

}  // namespace livetest
