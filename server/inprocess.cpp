#include "server/inprocess.h"

#include <exception>

#include "server/operations_all.h"

namespace server {

std::shared_ptr<AppServer> embeddedServer(const std::string& connString) {
  OperationRegistry registry;
  registerAllOperations(registry);
  AppServerOptions options;
  options.databaseSessions = 1;
  return std::make_shared<AppServer>(connString, std::move(registry), options);
}

InProcessTransport::InProcessTransport(std::shared_ptr<AppServer> server) : server_(std::move(server)) {}

std::string InProcessTransport::connect(const platform::RemoteEndpoint& endpoint) {
  return server_->objectRefusal(endpoint.serverObject);
}

namespace {

// What the HTTP server answers with 500: the transports never raise.
std::string internalError(const std::exception& e) {
  return std::string("Erro interno do servidor de aplicação: ") + e.what();
}

}  // namespace

platform::LogonResult InProcessTransport::logon(const std::string& operatorCode, const std::string& password,
                                                const std::string& branch) {
  platform::LogonResult result;
  LogonOutcome outcome;
  try {
    outcome = server_->logon(operatorCode, password, branch);
  } catch (const std::exception& e) {
    result.error = internalError(e);
    return result;
  }
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

platform::RemoteResult InProcessTransport::call(const std::string& token, const std::string& operation,
                                                std::vector<platform::Value>& args) {
  try {
    return server_->call(token, operation, args).result;
  } catch (const std::exception& e) {
    return platform::RemoteResult::failure(internalError(e));
  }
}

std::vector<platform::RemoteResult> InProcessTransport::callBatch(const std::string& token,
                                                                 std::vector<platform::RemoteCall>& calls) {
  std::vector<platform::RemoteResult> results;
  try {
    BatchOutcome batch = server_->callBatch(token, calls);
    if (batch.refusal.status != CallStatus::Ok) return {std::move(batch.refusal.result)};
    for (CallOutcome& outcome : batch.calls) results.push_back(std::move(outcome.result));
  } catch (const std::exception& e) {
    results.push_back(platform::RemoteResult::failure(internalError(e)));
  }
  return results;
}

}  // namespace server
