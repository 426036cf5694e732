#pragma once
// The in-process transport: the remote connection's calls go straight to an
// AppServer in the same process, without a socket and without encoding.
// This is the embedded default of a client with no separate application
// server; it serves the same rules as the HTTP server (sessions, argument
// checks, the operator rule), because both go through AppServer.
//
// Thread-safety: one thread at a time per transport; several transports may
// share one AppServer.

#include <memory>
#include <string>

#include "platform/remote.h"
#include "server/appserver.h"

namespace server {

// An application server of the client's own on the database: every
// operation, one database session. What a client without a separate server
// hands its in-process transports.
std::shared_ptr<AppServer> embeddedServer(const std::string& connString);

class InProcessTransport : public platform::RemoteTransport {
 public:
  explicit InProcessTransport(std::shared_ptr<AppServer> server);

  // Host and port are not used; the server object must be the server's.
  std::string connect(const platform::RemoteEndpoint& endpoint) override;
  void disconnect() override {}
  platform::LogonResult logon(const std::string& operatorCode, const std::string& password,
                              const std::string& branch) override;
  void logoff(const std::string& token) override;
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<platform::Value>& args) override;
  std::vector<platform::RemoteResult> callBatch(const std::string& token,
                                                std::vector<platform::RemoteCall>& calls) override;

 private:
  std::shared_ptr<AppServer> server_;
};

}  // namespace server
