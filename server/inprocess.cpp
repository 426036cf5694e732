#include "server/inprocess.h"

namespace server {

InProcessTransport::InProcessTransport(std::shared_ptr<AppServer> server)
    : server_(std::move(server)) {}

std::string InProcessTransport::connect(const platform::RemoteEndpoint& endpoint) {
  return server_->objectRefusal(endpoint.serverObject);
}

platform::LogonResult InProcessTransport::logon(const std::string& operatorCode,
                                                const std::string& password,
                                                const std::string& branch) {
  LogonOutcome outcome = server_->logon(operatorCode, password, branch);
  platform::LogonResult result;
  result.ok = outcome.status == CallStatus::Ok;
  result.error = std::move(outcome.error);
  result.token = std::move(outcome.token);
  result.operatorCode = std::move(outcome.operatorCode);
  result.operatorName = std::move(outcome.operatorName);
  result.branchCode = std::move(outcome.branchCode);
  result.branchName = std::move(outcome.branchName);
  return result;
}

void InProcessTransport::logoff(const std::string& token) { server_->logoff(token); }

platform::RemoteResult InProcessTransport::call(const std::string& token,
                                                const std::string& operation,
                                                std::vector<platform::Value>& args) {
  return server_->call(token, operation, args).result;
}

}  // namespace server
