#pragma once
// The screen's remote connection to the application server (the screen's
// netManutVenda is one) and the transports that carry its calls.
//
// TNetConnection names a server object ("Vnd02600.rdmManutVenda"), finds its
// server through Host and Port (set by the BeforeConnect event, just before
// connecting), keeps the session token of the logon and sends it with every
// call. It never raises for transport problems: an unreachable server, a
// dropped connection or an unreadable answer come back as a failed
// RemoteResult with a Portuguese text, which the screen's result check shows
// like any server error. A connection that could not open retries on the
// next call, so a server started after the screen is still found.
//
// Thread-safety: a connection and its transport are used by one thread at a
// time (the user-interface thread).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/remotebatch.h"
#include "platform/remoteresult.h"
#include "platform/value.h"

namespace platform {

// Where a transport finds the server object.
struct RemoteEndpoint {
  std::string serverObject;
  std::string host;
  int port = 0;
};

// The codes come back as the server stores them ("1" typed is
// "000000000001"): operations that record the operator expect exactly that.
struct LogonResult {
  bool ok = false;
  std::string operatorCode, operatorName;
  std::string branchCode, branchName;
  std::string token;  // the session token; the connection keeps it too
  std::string error;  // Portuguese refusal when !ok
};

// Carries logons and calls to a server: HttpTransport (httptransport.h) over
// the network, or the server's in-process transport. Implementations never
// throw; every failure is a Portuguese text.
class RemoteTransport {
 public:
  virtual ~RemoteTransport() = default;

  // Prepares calls to the endpoint and checks that the server object
  // answers there. Answers an empty text, or why it cannot.
  virtual std::string connect(const RemoteEndpoint& endpoint) = 0;
  virtual void disconnect() = 0;

  virtual LogonResult logon(const std::string& operatorCode, const std::string& password,
                            const std::string& branch) = 0;
  virtual void logoff(const std::string& token) = 0;

  // Runs an operation; on success by-reference arguments are updated in
  // `args`, on failure `args` is left as it was.
  virtual RemoteResult call(const std::string& token, const std::string& operation, std::vector<Value>& args) = 0;

  // Runs the calls in order, stopping at the first failure, and answers one
  // result per call run (a failure, if any, last). Each call's references
  // are resolved from the answers before it and its by-reference arguments
  // come back updated. This one runs them through call(), a round trip
  // each; a transport that can send them in one exchange does.
  virtual std::vector<RemoteResult> callBatch(const std::string& token, std::vector<RemoteCall>& calls);

  // The calls about to be made one by one through call(), in this order; a
  // transport that batches (BatchingTransport) sends them together at the
  // first of them. An empty list withdraws what was announced. Others
  // ignore it.
  virtual void expect(std::vector<RemoteCall> calls) { (void)calls; }
};

// A transport that passes everything on to another; a subclass overrides
// call() to watch or change the calls (recording them, failing some), and
// the rest keeps working as the inner transport does. A batch goes through
// call() one call at a time, so that such a subclass sees every call; the
// announced calls are passed on, to the transport that batches them.
class ForwardingTransport : public RemoteTransport {
 public:
  explicit ForwardingTransport(std::unique_ptr<RemoteTransport> inner) : inner_(std::move(inner)) {}
  std::string connect(const RemoteEndpoint& endpoint) override { return inner_->connect(endpoint); }
  void disconnect() override { inner_->disconnect(); }
  LogonResult logon(const std::string& operatorCode, const std::string& password, const std::string& branch) override {
    return inner_->logon(operatorCode, password, branch);
  }
  void logoff(const std::string& token) override { inner_->logoff(token); }
  RemoteResult call(const std::string& token, const std::string& operation, std::vector<Value>& args) override {
    return inner_->call(token, operation, args);
  }
  void expect(std::vector<RemoteCall> calls) override { inner_->expect(std::move(calls)); }

 protected:
  RemoteTransport& inner() { return *inner_; }

 private:
  std::unique_ptr<RemoteTransport> inner_;
};

class TNetConnection {
 public:
  // Without a transport the connection goes over HTTP, the calls one action
  // announces batched (BatchingTransport).
  explicit TNetConnection(std::string serverName, std::unique_ptr<RemoteTransport> transport = nullptr);
  ~TNetConnection();
  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  std::string ServerName;  // the server object
  std::string Host;        // a name or address, optionally with "http://"
  int Port = 0;
  // Runs at every open, before connecting; the screen sets Host and Port
  // from the logon context here.
  std::function<void(TNetConnection&)> BeforeConnect;

  // Replaces the transport (closing the connection first).
  void setTransport(std::unique_ptr<RemoteTransport> transport);

  // Runs BeforeConnect and connects. False when the server cannot be
  // reached; lastError() then says why and the next call tries again.
  bool open();
  void close();
  bool connected() const { return connected_; }
  const std::string& lastError() const { return lastError_; }

  // Opens the session the calls run in (opening the connection if needed).
  // On success the token is kept and sent with every call.
  LogonResult logon(const std::string& operatorCode, const std::string& password, const std::string& branch);
  // Ends the session on the server and forgets the token.
  void logoff();
  const std::string& sessionToken() const { return token_; }
  // Shares a session opened by another connection of the same client.
  void setSessionToken(std::string token) { token_ = std::move(token); }

  // Calls an operation by name with positional arguments; by-reference
  // arguments come back updated in `args`.
  RemoteResult call(const std::string& operation, std::vector<Value>& args);
  // Runs several calls in order in one exchange where the transport can,
  // stopping at the first failure (RemoteTransport::callBatch).
  std::vector<RemoteResult> callBatch(std::vector<RemoteCall>& calls);
  // Announces the calls one user action is about to make through call(),
  // so that they travel together (RemoteTransport::expect); an empty list
  // withdraws them.
  void expect(std::vector<RemoteCall> calls);

 private:
  std::unique_ptr<RemoteTransport> transport_;
  bool connected_ = false;
  std::string lastError_;
  std::string token_;
};

}  // namespace platform
