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
#include "script/recording.h"
#include "script/scriptedui.h"
#include "server/demodata.h"

namespace livetest {

// The scenario runner's scripted user interface and recording transport.
using Shown = script::Shown;
using ScriptedUi = script::ScriptedUi;
using RecordingTransport = script::RecordingTransport;

// The folder is named by the process id, which the system reuses: a folder
// left by an earlier process is cleared first, and this one is removed at
// the process's end.
inline std::string demoTemplate() {
  struct Template {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vnd_live_" + std::to_string(getpid()));
    std::string file = (dir / "template.db").string();
    Template() {
      std::filesystem::remove_all(dir);
      std::filesystem::create_directories(dir);
      server::createDemoDatabase("sqlite:" + file);
    }
    ~Template() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  };
  static const Template t;
  return t.file;
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
