#include "platform/httptransport.h"

#include <httplib.h>

#include <cctype>

#include "platform/remoteprotocol.h"
#include "platform/text.h"

namespace platform {

namespace proto = protocol;

// What came back from one request: the decoded envelope, or why there is none.
struct HttpTransport::Exchange {
  std::string failure;  // empty when `reply` holds the server's answer
  proto::Reply reply;
};

HttpTransport::HttpTransport(HttpTransportOptions options) : options_(options) {}

HttpTransport::~HttpTransport() = default;

std::string HttpTransport::where() const { return endpoint_.host + ":" + std::to_string(endpoint_.port); }

std::string HttpTransport::transportFailure(httplib::Error error) const {
  switch (error) {
    case httplib::Error::Connection:
      return "Não foi possível conectar ao servidor de aplicação em " + where() + ".";
    case httplib::Error::ConnectionTimeout:
      return "O servidor de aplicação em " + where() + " não aceitou a conexão a tempo.";
    case httplib::Error::Read:
    case httplib::Error::Write:
      return "O servidor de aplicação em " + where() +
             " não respondeu: a conexão caiu ou o tempo de espera se esgotou.";
    default:
      return "A comunicação com o servidor de aplicação em " + where() + " falhou (" + httplib::to_string(error) + ").";
  }
}

namespace {

// "http://server:8600/app" -> "server"; the port always comes from Port.
std::string hostOf(const std::string& address, std::string& error) {
  std::string host = trim(address);
  const size_t scheme = host.find("://");
  if (scheme != std::string::npos) {
    if (lowerAscii(host.substr(0, scheme)) != "http") {
      error = "Endereço do servidor de aplicação não suportado: " + host + " (use http://).";
      return {};
    }
    host.erase(0, scheme + 3);
  }
  host = host.substr(0, host.find('/'));
  if (!host.empty() && host.front() == '[')
    host = host.substr(1, host.find(']') - 1);  // an IPv6 address: [::1]:8600
  else
    host = host.substr(0, host.find(':'));
  if (host.empty()) error = "Endereço do servidor de aplicação não configurado.";
  return host;
}

bool validOperationName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (!std::isalnum(c) && c != '_') return false;
  return true;
}

bool isTextList(const Value& v, size_t size) {
  if (!v.isArray() || v.array().size() != size) return false;
  for (const Value& e : v.array())
    if (!e.isText()) return false;
  return true;
}

}  // namespace

std::string HttpTransport::connect(const RemoteEndpoint& endpoint) {
  disconnect();
  std::string error;
  endpoint_ = endpoint;
  endpoint_.host = hostOf(endpoint.host, error);
  if (!error.empty()) return error;
  if (endpoint.port <= 0 || endpoint.port > 65535)
    return "Porta do servidor de aplicação inválida: " + std::to_string(endpoint.port) + ".";

  client_ = std::make_unique<httplib::Client>(endpoint_.host, endpoint_.port);
  client_->set_keep_alive(true);
  // A request goes out as headers and body in two writes; without this the
  // body waits for the server's delayed acknowledgement (some 40 ms).
  client_->set_tcp_nodelay(true);
  client_->set_connection_timeout(options_.connectTimeout);
  client_->set_read_timeout(options_.readTimeout);
  client_->set_write_timeout(options_.writeTimeout);
  const std::string mediaType(proto::mediaTypeOf(options_.format));
  client_->set_default_headers({{std::string(proto::kObjectHeader), endpoint_.serverObject}, {"Accept", mediaType}});

  httplib::Result res = client_->Get(std::string(proto::kHealthPath));
  if (!res) {
    client_.reset();
    return transportFailure(res.error());
  }
  try {
    const auto format = proto::formatOfMediaType(res->get_header_value("Content-Type"));
    if (!format) throw PacketError("no envelope");
    const proto::Reply reply = proto::decodeReply(res->body, *format);
    if (reply.ok) return {};
    error = reply.error;
  } catch (const PacketError&) {
    error = "O endereço " + where() + " não é de um servidor de aplicação.";
  }
  client_.reset();
  return error;
}

void HttpTransport::disconnect() { client_.reset(); }

HttpTransport::Exchange HttpTransport::post(const std::string& path, const std::string& token, const Value& body) {
  Exchange out;
  if (!client_) {
    out.failure = "Sem conexão com o servidor de aplicação.";
    return out;
  }
  std::string content;
  try {
    content = proto::encodeBody(body, options_.format);
  } catch (const PacketError& e) {
    out.failure = std::string("Não foi possível codificar os dados da chamada: ") + e.what();
    return out;
  }
  httplib::Headers headers;
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  httplib::Result res = client_->Post(path, headers, content, std::string(proto::mediaTypeOf(options_.format)));
  if (!res) {
    out.failure = transportFailure(res.error());
    return out;
  }
  const auto format = proto::formatOfMediaType(res->get_header_value("Content-Type"));
  try {
    if (!format) throw PacketError("no envelope");
    out.reply = proto::decodeReply(res->body, *format);
  } catch (const PacketError&) {
    out.failure = "Resposta inválida do servidor de aplicação em " + where() + " (estado HTTP " +
                  std::to_string(res->status) + ").";
  }
  return out;
}

LogonResult HttpTransport::logon(const std::string& operatorCode, const std::string& password,
                                 const std::string& branch) {
  LogonResult result;
  Exchange ex = post(std::string(proto::kLogonPath), {}, ValueArray{operatorCode, password, branch});
  if (!ex.failure.empty()) {
    result.error = std::move(ex.failure);
  } else if (!ex.reply.ok) {
    result.error = std::move(ex.reply.error);
  } else if (const Value& v = ex.reply.result; isTextList(v, 5)) {
    const ValueArray& a = v.array();
    result.ok = true;
    result.token = a[0].text();
    result.operatorCode = a[1].text();
    result.operatorName = a[2].text();
    result.branchCode = a[3].text();
    result.branchName = a[4].text();
  } else {
    result.error = "Resposta inválida do servidor de aplicação em " + where() + " à entrada no sistema.";
  }
  return result;
}

void HttpTransport::logoff(const std::string& token) { post(std::string(proto::kLogoffPath), token, ValueArray{}); }

RemoteResult HttpTransport::answer(const std::string& operation, proto::Reply& reply, std::vector<Value>& args) const {
  if (!reply.ok) return RemoteResult::failure(std::move(reply.error));
  for (const auto& [index, value] : reply.refs)
    if (index >= args.size())
      return RemoteResult::failure("Resposta inválida do servidor de aplicação em " + where() + " à operação " +
                                   operation + ".");
  for (auto& [index, value] : reply.refs) args[index] = std::move(value);
  return RemoteResult::success(std::move(reply.result));
}

RemoteResult HttpTransport::call(const std::string& token, const std::string& operation, std::vector<Value>& args) {
  if (!validOperationName(operation)) return RemoteResult::failure("Nome de operação inválido: \"" + operation + "\".");
  Exchange ex = post(std::string(proto::kCallPath) + operation, token, ValueArray(args));
  if (!ex.failure.empty()) return RemoteResult::failure(std::move(ex.failure));
  return answer(operation, ex.reply, args);
}

std::vector<RemoteResult> HttpTransport::callBatch(const std::string& token, std::vector<RemoteCall>& calls) {
  if (calls.empty()) return {};
  for (const RemoteCall& c : calls)
    if (!validOperationName(c.operation))
      return {RemoteResult::failure("Nome de operação inválido: \"" + c.operation + "\".")};
  Exchange ex = post(std::string(proto::kBatchPath), token, batchToValue(calls));
  // A refusal of the whole batch (no session, a malformed batch) is what
  // its first call would have got alone.
  if (!ex.failure.empty()) return {RemoteResult::failure(std::move(ex.failure))};
  if (!ex.reply.ok) return {RemoteResult::failure(std::move(ex.reply.error))};
  const std::string invalid = "Resposta inválida do servidor de aplicação em " + where() + " ao lote de chamadas.";
  if (!ex.reply.result.isArray() || ex.reply.result.array().empty() ||
      ex.reply.result.array().size() > calls.size())
    return {RemoteResult::failure(invalid)};
  std::vector<RemoteResult> results;
  std::vector<Value> answers;
  for (const Value& envelope : ex.reply.result.array()) {
    RemoteCall& c = calls[results.size()];
    resolveAnswerRefs(c, answers);
    proto::Reply reply;
    try {
      reply = proto::replyFromValue(envelope);
    } catch (const PacketError&) {
      results.push_back(RemoteResult::failure(invalid));
      break;
    }
    results.push_back(answer(c.operation, reply, c.args));
    if (!results.back().ok) break;
    answers.push_back(results.back().value);
  }
  return results;
}

}  // namespace platform
