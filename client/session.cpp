#include "client/session.h"

#include <stdexcept>

#include "platform/batchingtransport.h"
#include "platform/httptransport.h"
#include "platform/sqlconnection.h"
#include "server/demodata.h"
#include "server/inprocess.h"
#include "server/schema.h"

namespace client {

void prepareDatabase(const std::string& connString, bool demo) {
  bool empty;
  {
    platform::SqlConnection conn(connString);
    empty = server::schemaVersion(conn.session()) == 0;
    if (!empty || !demo) {
      server::migrate(conn.session());
      return;
    }
  }
  server::createDemoDatabase(connString);
}

namespace {

// "host:port" or "http://host:port" -> host and port (8600 when none).
void splitAddress(const std::string& address, std::string& host, int& port) {
  std::string rest = address;
  std::string scheme;
  if (const auto p = rest.find("://"); p != std::string::npos) {
    scheme = rest.substr(0, p + 3);
    rest = rest.substr(p + 3);
  }
  port = 8600;
  if (const auto c = rest.rfind(':'); c != std::string::npos) {
    try {
      port = std::stoi(rest.substr(c + 1));
    } catch (const std::exception&) {
      throw std::runtime_error("Endereço do servidor inválido: " + address);
    }
    rest = rest.substr(0, c);
  }
  host = scheme + rest;
}

}  // namespace

Session::Session(SessionOptions options) : options_(std::move(options)), previous_(platform::logon()) {
  if (options_.database.empty()) throw std::runtime_error("Informe o banco de dados.");
  try {
    if (options_.server.empty()) prepareDatabase(options_.database, options_.demo);
    local_ = std::make_unique<platform::SqlConnection>(options_.database);
  } catch (const std::exception& e) {
    throw std::runtime_error("Não foi possível abrir o banco de dados " + options_.database + ": " + e.what());
  }
  if (options_.server.empty()) {
    server_ = server::embeddedServer(options_.database);
    host_ = "embutido";
  } else {
    splitAddress(options_.server, host_, port_);
  }
  platform::setDtmDBGeral(local_.get());
}

Session::~Session() {
  if (!token_.empty()) makeTransport()->logoff(token_);
  platform::setLogon(previous_);
  if (platform::dtmDBGeral() == local_.get()) platform::setDtmDBGeral(nullptr);
}

std::unique_ptr<platform::RemoteTransport> Session::makeTransport() const {
  std::unique_ptr<platform::RemoteTransport> transport;
  if (server_)
    transport = std::make_unique<server::InProcessTransport>(server_);
  else
    transport = std::make_unique<platform::HttpTransport>();
  if (!options_.batching) return transport;
  return std::make_unique<platform::BatchingTransport>(std::move(transport));
}

void Session::prepare(platform::TNetConnection& connection) const {
  connection.setTransport(makeTransport());
  connection.setSessionToken(token_);
}

platform::LogonResult Session::logon(const std::string& operatorCode, const std::string& password,
                                     const std::string& branch) {
  platform::TNetConnection connection("Vnd02600.rdmManutVenda", makeTransport());
  connection.Host = host_;
  connection.Port = port_;
  platform::LogonResult result = connection.logon(operatorCode, password, branch);
  if (!result.ok) return result;
  if (!token_.empty()) makeTransport()->logoff(token_);
  token_ = result.token;
  platform::LogonContext context = platform::logon();
  context.operador = result.operatorCode;
  context.nomeOperador = result.operatorName;
  context.filiProc = result.branchCode;
  context.nomeFiliProc = result.branchName;
  context.webURL = host_;
  context.webPort = port_;
  platform::setLogon(context);
  return result;
}

}  // namespace client
