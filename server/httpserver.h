#pragma once
// The application server's HTTP endpoint (docs/protocol.md): one POST per
// operation call, logon, logoff and a health check, in the wire encoding of
// packetcodec.h or JSON when the request says so. Every refusal (bad
// request, unknown operation, missing session, oversized body...) gets its
// HTTP status and a reply envelope with a Portuguese text, changes nothing,
// and the server goes on serving. One line per request goes to the log:
// method, path, status and milliseconds, never the data.
//
// Thread-safety: start() and stop() from one thread. One network thread
// reads and writes every connection; complete requests are served by worker
// threads over the shared AppServer, reads and writes by pools of their own.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "server/appserver.h"

namespace server {

struct HttpServerOptions {
  // The biggest request the screen makes is a sale saved with its items;
  // one of 1,000 items with their taxes is under 400 KiB in JSON, so 8 MiB
  // leaves room for any real sale while a hostile body costs little memory.
  std::size_t maxBodyBytes = std::size_t{8} << 20;
  // Items (values and lists) a request body may decode to: what a user's
  // action sends is far below, and the decoded request stays within tens of
  // megabytes whatever the body holds.
  std::size_t maxBodyItems = 500000;
  // Requests served at once: this many reads, and as many writes.
  int workers = 8;
  // How long a connection may wait for its next request's header, whole;
  // an idle connection costs a socket, not a thread.
  std::chrono::seconds keepAlive{60};
  // How long a request's body may take to arrive, and its reply to leave.
  std::chrono::seconds requestTimeout{30};
  // How long stop() lets the requests in progress finish.
  std::chrono::seconds stopGrace{5};
  // Connections beyond this are closed as soon as they are accepted.
  std::size_t maxConnections = 10000;
  // Receives one line per request; empty: standard error.
  std::function<void(const std::string&)> log;
};

class HttpServer {
 public:
  HttpServer(AppServer& app, HttpServerOptions options = {});
  ~HttpServer();  // stops
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on host:port (port 0: any free port) and serves on threads of its
  // own; answers the port. Called once per HttpServer. Throws std::runtime_error when the address
  // cannot be bound.
  int start(const std::string& host, int port);
  // Stops accepting, closes idle connections and those still sending their
  // request, answers the requests in progress (for at most stopGrace) and
  // joins.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace server
