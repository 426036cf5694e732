#pragma once
// What the screen tests run the screen with: a recording UI, a recording
// screen host whose connections go to a scripted server, and a logon
// context of their own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/logon.h"
#include "platform/remote.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"

namespace screentest {

struct Recorder : platform::UiServices {
  std::vector<std::string> messages;
  std::vector<int> progressKinds;
  int progressDepth = 0;
  platform::MsgResult showMessage(const std::string& text, platform::MsgKind, platform::MsgButtons) override {
    messages.push_back(text);
    return platform::MsgResult::Ok;
  }
  void showProgress(int kind, const std::string&) override {
    progressKinds.push_back(kind);
    ++progressDepth;
  }
  void hideProgress() override { --progressDepth; }
  bool pickRecord(platform::ClientDataSet&, const std::string&, const std::string&) override { return false; }
  void searchRecord(platform::ClientDataSet&) override {}
};

// The server side of the fake connection: counts connections and answers
// getPerManut with `perManut` (a failure when `failCalls`).
struct ScriptedServer {
  int connects = 0;
  std::string perManut = "S";
  bool failCalls = false;
  std::vector<std::string> calls;
  std::vector<platform::RemoteEndpoint> endpoints;
};

class ScriptedTransport : public platform::RemoteTransport {
 public:
  explicit ScriptedTransport(ScriptedServer& server) : server_(server) {}
  std::string connect(const platform::RemoteEndpoint& endpoint) override {
    ++server_.connects;
    server_.endpoints.push_back(endpoint);
    return {};
  }
  void disconnect() override {}
  platform::LogonResult logon(const std::string&, const std::string&, const std::string&) override { return {}; }
  void logoff(const std::string&) override {}
  platform::RemoteResult call(const std::string&, const std::string& operation,
                              std::vector<platform::Value>& args) override {
    server_.calls.push_back(operation + "(" + (args.empty() ? "" : args[0].asText()) + ")");
    if (server_.failCalls) return platform::RemoteResult::failure("Servidor fora do ar.");
    platform::DataPacket p;
    p.fields = {{"IDPERMANUTVEN", platform::FieldType::String, 1, false}};
    p.rows.push_back({platform::RowKind::Unchanged, {platform::Value(server_.perManut)}, {}});
    return platform::RemoteResult::success(platform::Value(std::move(p)));
  }

 private:
  ScriptedServer& server_;
};

struct Host : platform::ScreenHost {
  ScriptedServer server;
  int shown = 0, closedCount = 0;
  void showDocument(platform::Form&) override { ++shown; }
  void closeDocument(platform::Form&) override { ++closedCount; }
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<ScriptedTransport>(server));
  }
};

inline platform::LogonContext logonFor(bool moduFili) {
  platform::LogonContext c;
  c.filiProc = "0001";
  c.nomeFiliProc = "Matriz Centro";
  c.operador = "000000000001";
  c.moduFili = moduFili;
  c.webURL = "servidor.local";
  c.webPort = 8600;
  return c;
}

// Installs the recorder and the host for one test and removes them after.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setUi(&ui);
    platform::setScreenHost(&host);
  }
  void TearDown() override {
    platform::setScreenHost(nullptr);
    platform::setUi(nullptr);
  }
  Recorder ui;
  Host host;
};

}  // namespace screentest
