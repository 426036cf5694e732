#pragma once
// The application server's HTTP endpoint (docs/protocol.md): one POST per
// operation call, logon, logoff and a health check, in the wire encoding of
// packetcodec.h or JSON when the request says so. Every refusal (bad
// request, unknown operation, missing session, oversized body...) gets its
// HTTP status and a reply envelope with a Portuguese text, changes nothing,
// and the server goes on serving. One line per request goes to the log:
// method, path, status and milliseconds, never the data.
//
// Thread-safety: start() and stop() from one thread; requests are served by
// a pool of worker threads over the shared AppServer.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "server/appserver.h"

namespace server {

struct HttpServerOptions {
  std::size_t maxBodyBytes = std::size_t{64} << 20;
  int workers = 8;
  // How long an idle client connection is kept open; a worker thread waits
  // on it meanwhile, and stop() waits for it too.
  std::chrono::seconds keepAlive{5};
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
  // Stops accepting, finishes the requests in progress and joins.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace server
