#pragma once
// The HTTP transport of the remote connection: one keep-alive connection to
// the application server at host:port, requests in the wire encoding of
// packetcodec.h (JSON on request, for debugging), answers decoded from the
// reply envelope of remoteprotocol.h. Transport failures (nothing listening,
// timeouts, a dropped connection, an answer that is not an envelope) become
// Portuguese texts naming host:port; nothing throws.
//
// Calls are never retried: a write whose answer was lost may have been
// committed, and sending it again could book it twice.
//
// Thread-safety: one thread at a time.

#include <chrono>
#include <memory>
#include <string>

#include "platform/packetcodec.h"
#include "platform/remote.h"
#include "platform/remoteprotocol.h"

namespace httplib {
class Client;
enum class Error;
}  // namespace httplib

namespace platform {

struct HttpTransportOptions {
  std::chrono::milliseconds connectTimeout{5000};
  // Long enough for the heaviest operations (closing a register day).
  std::chrono::milliseconds readTimeout{120000};
  std::chrono::milliseconds writeTimeout{60000};
  WireFormat format = defaultWireFormat();
};

class HttpTransport : public RemoteTransport {
 public:
  explicit HttpTransport(HttpTransportOptions options = {});
  ~HttpTransport() override;

  std::string connect(const RemoteEndpoint& endpoint) override;
  void disconnect() override;
  LogonResult logon(const std::string& operatorCode, const std::string& password, const std::string& branch) override;
  void logoff(const std::string& token) override;
  RemoteResult call(const std::string& token, const std::string& operation, std::vector<Value>& args) override;
  // One request for the whole batch.
  std::vector<RemoteResult> callBatch(const std::string& token, std::vector<RemoteCall>& calls) override;

 private:
  struct Exchange;
  Exchange post(const std::string& path, const std::string& token, const Value& body);
  std::string where() const;
  std::string transportFailure(httplib::Error error) const;
  // The answer to `operation`: its result, its by-reference arguments put
  // into `args`; a failure when the server names an argument not sent.
  RemoteResult answer(const std::string& operation, protocol::Reply& reply, std::vector<Value>& args) const;

  HttpTransportOptions options_;
  RemoteEndpoint endpoint_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace platform
