#pragma once
// What the screen benchmarks share: a scratch demo database removed when the
// program ends, an application server serving it on loopback HTTP (threads
// of this process), a client session logged on to it as the first demo
// operator at branch 0001, a user interface that answers every question Yes
// and shows nothing, and a screen host that hands the screen that session's
// connection.

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/session.h"
#include "platform/dataset.h"
#include "platform/form.h"
#include "platform/remote.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/pkg_vnd02600.h"
#include "server/appserver.h"
#include "server/demodata.h"
#include "server/httpserver.h"
#include "server/operations_all.h"

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

// A demo database in a scratch folder named `prefix` + the process id, made
// afresh and removed at the program's end; answers its connection string.
inline std::string scratchDemoDatabase(const std::string& prefix) {
  struct Remover {
    std::vector<std::filesystem::path> dirs;
    ~Remover() {
      std::error_code ignored;
      for (const auto& dir : dirs) std::filesystem::remove_all(dir, ignored);
    }
  };
  const auto dir = std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  static Remover remover;
  remover.dirs.push_back(dir);
  const std::string conn = "sqlite:" + (dir / "vnd.db").string();
  server::createDemoDatabase(conn);
  return conn;
}

// The server, the logged-on session and what the screen needs around it.
struct ScreenServer {
  std::shared_ptr<server::AppServer> app;
  std::unique_ptr<server::HttpServer> http;
  std::unique_ptr<client::Session> session;
  QuietUi ui;
  Host host;

  // Starts serving `conn` and logs on. Without the audit trail only to
  // measure what the trail costs.
  void serve(const std::string& conn, bool auditTrail = true) {
    server::OperationRegistry registry;
    server::registerAllOperations(registry);
    registry.setAuditTrail(auditTrail);
    app = std::make_shared<server::AppServer>(conn, std::move(registry));
    server::HttpServerOptions options;
    options.log = [](const std::string&) {};
    http = std::make_unique<server::HttpServer>(*app, options);
    const int port = http->start("127.0.0.1", 0);
    client::SessionOptions so;
    so.database = conn;
    so.server = "127.0.0.1:" + std::to_string(port);
    session = std::make_unique<client::Session>(so);
    const server::DemoOperator& op = server::demoOperators().front();
    if (!session->logon(op.code, op.password, "0001").ok) throw std::runtime_error("logon refused");
  }

  // Opens the screen (or brings the open one back) on this session; null
  // when it did not open (the reason is in ui.last).
  screen::TfrmManutVenda* openScreen() {
    platform::setUi(&ui);
    host.session = session.get();
    platform::setScreenHost(&host);
    CriaManutVenda();
    return frmManutVenda;
  }
};

}  // namespace benchrig
