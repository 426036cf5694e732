#pragma once
// client::Session: how a client program (the desktop client, the scenario
// runner, the screen tests) reaches its application server and its local
// database, and logs an operator on.
//
// Embedded: the client opens the database itself and runs an application
// server of its own in the process (calls go in process, through the same
// rules as the HTTP server). Remote: calls go over HTTP to a vnd-server; the
// local queries still read the database given.
//
// A session owns the shared local database connection (dtmDBGeral) while it
// lives and, after a successful logon, the logon context the screens read.
// prepare() hands a screen's connection a transport to the same server and
// the session's token, so the screen's calls run as the logged operator.
//
// Thread-safety: the user-interface thread only.

#include <memory>
#include <string>

#include "platform/logon.h"
#include "platform/remote.h"

namespace platform {
class SqlConnection;
}
namespace server {
class AppServer;
}

namespace client {

struct SessionOptions {
  // The database: "sqlite:FILE" or a PostgreSQL connection string.
  std::string database;
  // Create and fill the demonstration database when it has no schema yet
  // (otherwise only migrate it).
  bool demo = false;
  // Empty: embedded server. Otherwise the server's address ("host:port" or
  // "http://host:port").
  std::string server;
  // The calls one user action makes in a row travel together, one round
  // trip for all (platform/batchingtransport.h); off, each call goes alone,
  // which is only of use to compare the two.
  bool batching = true;
};

class Session {
 public:
  // Opens the database (creating or upgrading it) and the embedded server,
  // or points at the remote one. Throws std::runtime_error with a
  // Portuguese text when the database cannot be opened.
  explicit Session(SessionOptions options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Checks the operator and branch on the server. On success fills the logon
  // context (codes as stored, names, server address) and keeps the token.
  platform::LogonResult logon(const std::string& operatorCode, const std::string& password, const std::string& branch);
  bool loggedOn() const { return !token_.empty(); }
  const std::string& token() const { return token_; }

  // A transport to this session's server (batching as the options say).
  std::unique_ptr<platform::RemoteTransport> makeTransport() const;
  // Gives a screen's connection this session's transport and token.
  void prepare(platform::TNetConnection& connection) const;

  platform::SqlConnection& database() { return *local_; }
  const std::shared_ptr<server::AppServer>& embeddedServer() const { return server_; }

 private:
  SessionOptions options_;
  std::unique_ptr<platform::SqlConnection> local_;
  std::shared_ptr<server::AppServer> server_;
  std::string host_;
  int port_ = 0;
  std::string token_;
  platform::LogonContext previous_;
};

// Creates or migrates the database as the options ask (used by Session).
void prepareDatabase(const std::string& connString, bool demo);

}  // namespace client
