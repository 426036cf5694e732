#include "platform/remote.h"

#include <exception>

#include "platform/batchingtransport.h"
#include "platform/httptransport.h"

namespace platform {

namespace {

std::unique_ptr<RemoteTransport> defaultTransport() {
  return std::make_unique<BatchingTransport>(std::make_unique<HttpTransport>());
}

}  // namespace

TNetConnection::TNetConnection(std::string serverName, std::unique_ptr<RemoteTransport> transport)
    : ServerName(std::move(serverName)),
      transport_(transport ? std::move(transport) : defaultTransport()) {}

TNetConnection::~TNetConnection() { close(); }

void TNetConnection::setTransport(std::unique_ptr<RemoteTransport> transport) {
  close();
  transport_ = transport ? std::move(transport) : defaultTransport();
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

std::vector<RemoteResult> TNetConnection::callBatch(std::vector<RemoteCall>& calls) {
  if (!connected_ && !open()) return {RemoteResult::failure(lastError_)};
  return transport_->callBatch(token_, calls);
}

void TNetConnection::expect(std::vector<RemoteCall> calls) { transport_->expect(std::move(calls)); }

std::vector<RemoteResult> RemoteTransport::callBatch(const std::string& token, std::vector<RemoteCall>& calls) {
  std::vector<RemoteResult> results;
  std::vector<Value> answers;
  for (RemoteCall& c : calls) {
    resolveAnswerRefs(c, answers);
    results.push_back(call(token, c.operation, c.args));
    if (!results.back().ok) break;
    answers.push_back(results.back().value);
  }
  return results;
}

}  // namespace platform
