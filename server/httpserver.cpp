#include "server/httpserver.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <thread>

#include "platform/remoteprotocol.h"
#include "platform/text.h"

namespace server {

namespace proto = platform::protocol;
using platform::Value;
using platform::ValueArray;
using platform::WireFormat;

namespace {

int httpStatus(CallStatus status) {
  switch (status) {
    case CallStatus::Ok:
    case CallStatus::Refused:
      return 200;
    case CallStatus::BadRequest:
      return 400;
    case CallStatus::UnknownOperation:
      return 404;
    case CallStatus::Unauthorized:
      return 401;
    case CallStatus::Forbidden:
      return 403;
    case CallStatus::Unavailable:
      return 503;
  }
  return 500;
}

std::string_view replyCode(CallStatus status) {
  switch (status) {
    case CallStatus::Ok:
    case CallStatus::Refused:
      return proto::code::kRefused;
    case CallStatus::BadRequest:
      return proto::code::kBadRequest;
    case CallStatus::UnknownOperation:
      return proto::code::kUnknownOperation;
    case CallStatus::Unauthorized:
      return proto::code::kUnauthorized;
    case CallStatus::Forbidden:
      return proto::code::kForbidden;
    case CallStatus::Unavailable:
      return proto::code::kUnavailable;
  }
  return proto::code::kServerError;
}

// Answers in the request's format; a request without a body in a known
// format gets what its Accept header asks for, else JSON (the readable one).
WireFormat replyFormat(const httplib::Request& req) {
  if (auto f = proto::formatOfMediaType(req.get_header_value("Content-Type"))) return *f;
  const std::string accept = platform::lowerAscii(req.get_header_value("Accept"));
  return accept.find("msgpack") != std::string::npos ? WireFormat::Binary : WireFormat::Json;
}

// What a client sent, fit to quote in a reply or a log line: printable
// ASCII only (anything else becomes '?') and at most 100 characters, so that
// a hostile path or header can neither break the reply's encoding nor forge
// log lines.
std::string printable(std::string_view sent) {
  std::string out(sent.substr(0, 100));
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  return out;
}

void send(httplib::Response& res, int status, const proto::Reply& reply, WireFormat format) {
  res.status = status;
  if (status == 401) res.set_header("WWW-Authenticate", "Bearer");
  std::string body;
  try {
    body = proto::encodeReply(reply, format);
  } catch (const platform::PacketError&) {
    // A result the encoder refuses (a text that is not UTF-8...) must not
    // take the worker down with it.
    res.status = 500;
    body =
        proto::encodeReply(proto::Reply::failure("Erro interno do servidor de aplicação: resposta "
                                                 "impossível de codificar.",
                                                 proto::code::kServerError),
                           format);
  }
  res.set_content(body, std::string(proto::mediaTypeOf(format)));
}

void refuse(httplib::Response& res, int status, std::string text, std::string_view code,
            WireFormat format) {
  send(res, status, proto::Reply::failure(std::move(text), code), format);
}

std::string bearerToken(const httplib::Request& req) {
  const std::string auth = platform::trim(req.get_header_value("Authorization"));
  if (auth.size() < 7 || !platform::equalsIgnoreCase(auth.substr(0, 7), "Bearer ")) return {};
  return platform::trim(auth.substr(7));
}

// The time each worker thread started its current request, for the log line.
thread_local std::chrono::steady_clock::time_point requestStart;

std::string logLine(const httplib::Request& req, const httplib::Response& res) {
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - requestStart)
          .count();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  char line[512];
  std::snprintf(line, sizeof line, "%s %s %s %s %d %.2f ms", stamp, req.remote_addr.c_str(),
                printable(req.method).c_str(), printable(req.path).c_str(), res.status, ms);
  return line;
}

}  // namespace

struct HttpServer::Impl {
  Impl(AppServer& a, HttpServerOptions o) : app(a), options(std::move(o)) {}

  AppServer& app;
  HttpServerOptions options;
  httplib::Server svr;
  std::thread thread;
  std::atomic<bool> finished{false};

  // The format the request body is written in; refuses the request (415)
  // when its Content-Type is neither JSON nor binary.
  std::optional<WireFormat> bodyFormat(const httplib::Request& req, httplib::Response& res) {
    auto format = proto::formatOfMediaType(req.get_header_value("Content-Type"));
    if (!format)
      refuse(res, 415,
             "Tipo de conteúdo não suportado: \"" +
                 printable(req.get_header_value("Content-Type")) + "\". Use " +
                 std::string(proto::kBinaryMediaType) + " ou " +
                 std::string(proto::kJsonMediaType) + ".",
             proto::code::kUnsupportedMediaType, WireFormat::Json);
    return format;
  }

  bool objectServed(const httplib::Request& req, httplib::Response& res) {
    std::string why =
        app.objectRefusal(printable(req.get_header_value(std::string(proto::kObjectHeader))));
    if (why.empty()) return true;
    refuse(res, 404, std::move(why), proto::code::kUnknownObject, replyFormat(req));
    return false;
  }

  // The body as a list of arguments; refuses the request (400) otherwise.
  std::optional<ValueArray> arguments(const httplib::Request& req, httplib::Response& res,
                                      WireFormat format) {
    try {
      Value v = proto::decodeBody(req.body, format);
      if (v.isArray()) return v.array();
      refuse(res, 400, "O corpo da requisição deve ser a lista de argumentos.",
             proto::code::kBadRequest, format);
    } catch (const platform::PacketError& e) {
      refuse(res, 400, "Corpo da requisição malformado (" + printable(e.what()) + ").",
             proto::code::kBadRequest, format);
    }
    return std::nullopt;
  }

  void call(const httplib::Request& req, httplib::Response& res) {
    const auto format = bodyFormat(req, res);
    if (!format || !objectServed(req, res)) return;
    const std::string token = bearerToken(req);
    if (CallOutcome s = app.checkSession(token); s.status != CallStatus::Ok)
      return refuse(res, httpStatus(s.status), s.result.error, replyCode(s.status), *format);
    auto args = arguments(req, res, *format);
    if (!args) return;
    const std::string operation = req.matches[1];
    CallOutcome outcome = app.call(token, operation, *args);
    if (outcome.status != CallStatus::Ok)
      return refuse(res, httpStatus(outcome.status), outcome.result.error,
                    replyCode(outcome.status), *format);
    std::vector<std::pair<std::size_t, Value>> refs;
    const auto& params = app.registry().find(operation)->params;
    for (std::size_t i = 0; i < params.size(); ++i)
      if (params[i].byRef) refs.emplace_back(i, std::move((*args)[i]));
    send(res, 200, proto::Reply::success(std::move(outcome.result.value), std::move(refs)),
         *format);
  }

  void logon(const httplib::Request& req, httplib::Response& res) {
    const auto format = bodyFormat(req, res);
    if (!format || !objectServed(req, res)) return;
    auto args = arguments(req, res, *format);
    if (!args) return;
    if (args->size() != 3 || !(*args)[0].isText() || !(*args)[1].isText() || !(*args)[2].isText())
      return refuse(res, 400,
                    "A entrada no sistema espera o operador, a senha e a filial, como textos.",
                    proto::code::kBadRequest, *format);
    LogonOutcome out = app.logon((*args)[0].text(), (*args)[1].text(), (*args)[2].text());
    if (out.status != CallStatus::Ok)
      return refuse(res, httpStatus(out.status), std::move(out.error),
                    out.status == CallStatus::Unauthorized ? proto::code::kLogonRefused
                                                           : replyCode(out.status),
                    *format);
    send(res, 200,
         proto::Reply::success(ValueArray{out.token, out.operatorCode, out.operatorName,
                                          out.branchCode, out.branchName}),
         *format);
  }

  void logoff(const httplib::Request& req, httplib::Response& res) {
    const WireFormat format = replyFormat(req);
    const std::string token = bearerToken(req);
    if (token.empty())
      return refuse(res, 401, "Sessão não informada.", proto::code::kUnauthorized, format);
    app.logoff(token);
    send(res, 200, proto::Reply::success(Value()), format);
  }

  void health(const httplib::Request& req, httplib::Response& res) {
    if (!objectServed(req, res)) return;
    send(res, 200, proto::Reply::success(app.serverObject()), replyFormat(req));
  }

  // Answers httplib's own refusals (unknown path, oversized body, malformed
  // HTTP) with an envelope too; replies already written are left alone.
  void error(const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return;
    const WireFormat format = replyFormat(req);
    switch (res.status) {
      case 404:
        return refuse(res, 404,
                      "Recurso inexistente no servidor de aplicação: " + printable(req.path) + ".",
                      proto::code::kNotFound, format);
      case 413:
        return refuse(res, 413,
                      "A requisição excede o limite de " +
                          std::to_string(options.maxBodyBytes >> 20) +
                          " MiB do servidor de aplicação.",
                      proto::code::kTooLarge, format);
      case 400:
        return refuse(res, 400, "Requisição HTTP malformada.", proto::code::kBadRequest, format);
      default:
        return refuse(res, res.status, "Erro HTTP " + std::to_string(res.status) + ".",
                      res.status >= 500 ? proto::code::kServerError : proto::code::kBadRequest,
                      format);
    }
  }

  void log(const std::string& line) {
    if (options.log)
      options.log(line);
    else
      std::cerr << line << '\n';
  }
};

HttpServer::HttpServer(AppServer& app, HttpServerOptions options)
    : impl_(std::make_unique<Impl>(app, std::move(options))) {
  Impl& d = *impl_;
  const std::size_t workers = static_cast<std::size_t>(std::max(1, d.options.workers));
  d.svr.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  d.svr.set_payload_max_length(d.options.maxBodyBytes);
  // One desktop client keeps one connection for its whole session.
  d.svr.set_keep_alive_max_count(100000);
  d.svr.set_keep_alive_timeout(d.options.keepAlive.count());
  d.svr.set_tcp_nodelay(true);
  d.svr.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
    requestStart = std::chrono::steady_clock::now();
    return httplib::Server::HandlerResponse::Unhandled;
  });
  d.svr.Post(std::string(proto::kCallPath) + "([A-Za-z0-9_]+)",
             [&d](const httplib::Request& req, httplib::Response& res) { d.call(req, res); });
  d.svr.Post(std::string(proto::kLogonPath),
             [&d](const httplib::Request& req, httplib::Response& res) { d.logon(req, res); });
  d.svr.Post(std::string(proto::kLogoffPath),
             [&d](const httplib::Request& req, httplib::Response& res) { d.logoff(req, res); });
  d.svr.Get(std::string(proto::kHealthPath),
            [&d](const httplib::Request& req, httplib::Response& res) { d.health(req, res); });
  d.svr.set_error_handler(
      [&d](const httplib::Request& req, httplib::Response& res) { d.error(req, res); });
  d.svr.set_exception_handler(
      [&d](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
        std::string what = "?";
        try {
          std::rethrow_exception(ep);
        } catch (const std::exception& e) {
          what = e.what();
        } catch (...) {
        }
        d.log("vnd-server: falha ao atender " + printable(req.path) + ": " + printable(what));
        res.body.clear();
        refuse(res, 500, "Erro interno do servidor de aplicação.", proto::code::kServerError,
               replyFormat(req));
      });
  d.svr.set_logger([&d](const httplib::Request& req, const httplib::Response& res) {
    d.log(logLine(req, res));
  });
}

HttpServer::~HttpServer() { stop(); }

int HttpServer::start(const std::string& host, int port) {
  Impl& d = *impl_;
  int bound = port;
  if (port == 0)
    bound = d.svr.bind_to_any_port(host);
  else if (!d.svr.bind_to_port(host, port))
    bound = -1;
  if (bound <= 0)
    throw std::runtime_error("não foi possível escutar em " + host + ":" + std::to_string(port));
  d.finished = false;
  d.thread = std::thread([&d] {
    d.svr.listen_after_bind();
    d.finished = true;
  });
  // stop() only reaches a server that is already running.
  while (!d.svr.is_running() && !d.finished)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return bound;
}

void HttpServer::stop() {
  Impl& d = *impl_;
  if (!d.thread.joinable()) return;
  d.svr.stop();
  d.thread.join();
}

}  // namespace server
