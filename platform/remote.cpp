#include "platform/remote.h"

#include <exception>

#include "platform/httptransport.h"

namespace platform {

TNetConnection::TNetConnection(std::string serverName, std::unique_ptr<RemoteTransport> transport)
    : ServerName(std::move(serverName)),
      transport_(transport ? std::move(transport) : std::make_unique<HttpTransport>()) {}

TNetConnection::~TNetConnection() { close(); }

void TNetConnection::setTransport(std::unique_ptr<RemoteTransport> transport) {
  close();
  transport_ = transport ? std::move(transport) : std::make_unique<HttpTransport>();
}

bool TNetConnection::open() {
  close();
  try {
    if (BeforeConnect) BeforeConnect(*this);
  } catch (const std::exception& e) {
    // The connection raises nothing itself; the reason reaches the user with
    // the first call instead.
    lastError_ = std::string("Não foi possível preparar a conexão com o servidor de aplicação: ") + e.what();
    return false;
  }
  lastError_ = transport_->connect({ServerName, Host, Port});
  connected_ = lastError_.empty();
  return connected_;
}

void TNetConnection::close() {
  if (connected_) transport_->disconnect();
  connected_ = false;
}

LogonResult TNetConnection::logon(const std::string& operatorCode, const std::string& password,
                                  const std::string& branch) {
  if (!connected_ && !open()) {
    LogonResult refused;
    refused.error = lastError_;
    return refused;
  }
  LogonResult result = transport_->logon(operatorCode, password, branch);
  if (result.ok) token_ = result.token;
  return result;
}

void TNetConnection::logoff() {
  if (!token_.empty() && connected_) transport_->logoff(token_);
  token_.clear();
}

RemoteResult TNetConnection::call(const std::string& operation, std::vector<Value>& args) {
  if (!connected_ && !open()) return RemoteResult::failure(lastError_);
  return transport_->call(token_, operation, args);
}

}  // namespace platform
