#include "server/httpserver.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "platform/remoteprotocol.h"
#include "platform/requestbody.h"
#include "platform/text.h"

namespace server {

namespace proto = platform::protocol;
namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using platform::Value;
using platform::ValueArray;
using platform::WireFormat;

namespace {

using Request = http::request<http::string_body>;

// Logon while the operator or the address is locked after failed logons.
constexpr std::string_view kTooManyAttempts = "too_many_attempts";

std::string header(const Request& req, std::string_view name) {
  auto it = req.find(beast::string_view(name.data(), name.size()));
  return it == req.end() ? std::string() : std::string(it->value());
}

// The path of a request target: without its query, percent-escapes decoded.
std::string targetPath(beast::string_view target) {
  std::string_view t(target.data(), target.size());
  t = t.substr(0, t.find('?'));
  std::string out;
  out.reserve(t.size());
  auto hex = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '%' && i + 2 < t.size() && std::isxdigit(static_cast<unsigned char>(t[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(t[i + 2]))) {
      out += static_cast<char>(hex(t[i + 1]) * 16 + hex(t[i + 2]));
      i += 2;
    } else {
      out += t[i];
    }
  }
  return out;
}

// A reply being built: status, body and its media type.
struct Response {
  int status = 200;
  std::string body;
  std::string contentType;
};

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
    case CallStatus::Throttled:
      return 429;
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
    case CallStatus::Throttled:
      return kTooManyAttempts;
  }
  return proto::code::kServerError;
}

// Answers in the request's format; a request without a body in a known
// format gets what its Accept header asks for, else JSON (the readable one).
WireFormat replyFormat(const Request& req) {
  if (auto f = proto::formatOfMediaType(header(req, "Content-Type"))) return *f;
  const std::string accept = platform::lowerAscii(header(req, "Accept"));
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

void send(Response& res, int status, const proto::Reply& reply, WireFormat format) {
  res.status = status;
  std::string body;
  try {
    body = proto::encodeReply(reply, format);
  } catch (const platform::PacketError&) {
    // A result the encoder refuses (a text that is not UTF-8...) must not
    // take the worker down with it.
    res.status = 500;
    body = proto::encodeReply(proto::Reply::failure("Erro interno do servidor de aplicação: resposta "
                                                    "impossível de codificar.",
                                                    proto::code::kServerError),
                              format);
  }
  res.body = std::move(body);
  res.contentType = std::string(proto::mediaTypeOf(format));
}

void refuse(Response& res, int status, std::string text, std::string_view code, WireFormat format) {
  send(res, status, proto::Reply::failure(std::move(text), code), format);
}

std::string bearerToken(const Request& req) {
  const std::string auth = platform::trim(header(req, "Authorization"));
  if (auth.size() < 7 || !platform::equalsIgnoreCase(auth.substr(0, 7), "Bearer ")) return {};
  return platform::trim(auth.substr(7));
}

std::string logLine(const std::string& peer, std::string_view method, std::string_view path, int status,
                    std::chrono::steady_clock::time_point started) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  char line[512];
  std::snprintf(line, sizeof line, "%s %s %s %s %d %.2f ms", stamp, peer.c_str(), printable(method).c_str(),
                printable(path).c_str(), status, ms);
  return line;
}

// The request handlers: run on the worker threads, they only see a complete
// request and fill a reply.
class Handlers {
 public:
  Handlers(AppServer& app, const HttpServerOptions& options) : app_(app), options_(options) {}

  Response handle(const Request& req, const std::string& path, const std::string& peer) {
    Response res;
    const bool post = req.method() == http::verb::post;
    const std::string callPrefix(proto::kCallPath);
    if (post && path.rfind(callPrefix, 0) == 0 && path.size() > callPrefix.size() &&
        std::all_of(path.begin() + static_cast<std::ptrdiff_t>(callPrefix.size()), path.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }))
      call(req, path.substr(callPrefix.size()), res);
    else if (post && path == proto::kBatchPath)
      batch(req, res);
    else if (post && path == proto::kLogonPath)
      logon(req, peer, res);
    else if (post && path == proto::kLogoffPath)
      logoff(req, res);
    else if (req.method() == http::verb::get && path == proto::kHealthPath)
      health(req, res);
    else
      refuse(res, 404, "Recurso inexistente no servidor de aplicação: " + printable(path) + ".", proto::code::kNotFound,
             replyFormat(req));
    return res;
  }

  // Whether a call is a read, which is served by workers of its own so that
  // readers do not queue behind writers waiting for the database's lock. A
  // batch holds reads only.
  bool isRead(const std::string& path) const {
    const std::string callPrefix(proto::kCallPath);
    if (path.rfind(callPrefix, 0) != 0) return true;
    const OperationSpec* spec = app_.registry().find(path.substr(callPrefix.size()));
    return !spec || spec->access == Access::Read;
  }

 private:
  // The format the request body is written in; refuses the request (415)
  // when its Content-Type is neither JSON nor binary.
  std::optional<WireFormat> bodyFormat(const Request& req, Response& res) {
    auto format = proto::formatOfMediaType(header(req, "Content-Type"));
    if (!format)
      refuse(res, 415,
             "Tipo de conteúdo não suportado: \"" + printable(header(req, "Content-Type")) + "\". Use " +
                 std::string(proto::kBinaryMediaType) + " ou " + std::string(proto::kJsonMediaType) + ".",
             proto::code::kUnsupportedMediaType, WireFormat::Json);
    return format;
  }

  bool objectServed(const Request& req, Response& res) {
    std::string why = app_.objectRefusal(printable(header(req, proto::kObjectHeader)));
    if (why.empty()) return true;
    refuse(res, 404, std::move(why), proto::code::kUnknownObject, replyFormat(req));
    return false;
  }

  // The body as a list of arguments; refuses the request (400) otherwise.
  std::optional<ValueArray> arguments(const Request& req, Response& res, WireFormat format) {
    try {
      Value v = proto::decodeBodyWithin(req.body(), format, options_.maxBodyItems);
      if (v.isArray()) return v.array();
      refuse(res, 400, "O corpo da requisição deve ser a lista de argumentos.", proto::code::kBadRequest, format);
    } catch (const platform::PacketError& e) {
      refuse(res, 400, "Corpo da requisição malformado (" + printable(e.what()) + ").", proto::code::kBadRequest,
             format);
    }
    return std::nullopt;
  }

  // A call's or a batch's request as far as its session: the body's format,
  // the object served, a live session and the body's list. Empty when the
  // request was refused (the reply is filled); the session is checked before
  // the body is decoded, so that a caller without one learns nothing more.
  struct SessionRequest {
    WireFormat format;
    std::string token;
    ValueArray body;
  };
  std::optional<SessionRequest> sessionRequest(const Request& req, Response& res) {
    const auto format = bodyFormat(req, res);
    if (!format || !objectServed(req, res)) return std::nullopt;
    std::string token = bearerToken(req);
    if (CallOutcome s = app_.checkSession(token); s.status != CallStatus::Ok) {
      refuse(res, httpStatus(s.status), s.result.error, replyCode(s.status), *format);
      return std::nullopt;
    }
    auto body = arguments(req, res, *format);
    if (!body) return std::nullopt;
    return SessionRequest{*format, std::move(token), std::move(*body)};
  }

  // A successful call's reply: its result and the by-reference arguments as
  // the operation left them.
  proto::Reply success(const std::string& operation, CallOutcome& outcome, ValueArray& args) {
    std::vector<std::pair<std::size_t, Value>> refs;
    const auto& params = app_.registry().find(operation)->params;
    for (std::size_t i = 0; i < params.size(); ++i)
      if (params[i].byRef) refs.emplace_back(i, std::move(args[i]));
    return proto::Reply::success(std::move(outcome.result.value), std::move(refs));
  }

  void call(const Request& req, const std::string& operation, Response& res) {
    auto in = sessionRequest(req, res);
    if (!in) return;
    CallOutcome outcome = app_.call(in->token, operation, in->body);
    if (outcome.status != CallStatus::Ok)
      return refuse(res, httpStatus(outcome.status), outcome.result.error, replyCode(outcome.status), in->format);
    send(res, 200, success(operation, outcome, in->body), in->format);
  }

  // Answers [true, [reply, ...], []]: one reply envelope per call run, as
  // each call would have been answered alone, the first failure last. Only
  // what fails the whole batch (no session, a malformed batch) is a refusal
  // of the request itself.
  void batch(const Request& req, Response& res) {
    auto in = sessionRequest(req, res);
    if (!in) return;
    std::vector<platform::RemoteCall> calls;
    try {
      calls = platform::batchFromValue(Value(std::move(in->body)));
    } catch (const platform::PacketError& e) {
      return refuse(res, 400, "Lote de chamadas malformado (" + printable(e.what()) + ").", proto::code::kBadRequest,
                    in->format);
    }
    BatchOutcome batch = app_.callBatch(in->token, calls);
    if (const CallOutcome& r = batch.refusal; r.status != CallStatus::Ok)
      return refuse(res, httpStatus(r.status), r.result.error, replyCode(r.status), in->format);
    ValueArray replies;
    for (std::size_t i = 0; i < batch.calls.size(); ++i) {
      CallOutcome& outcome = batch.calls[i];
      replies.push_back(proto::replyToValue(
          outcome.status == CallStatus::Ok ? success(calls[i].operation, outcome, calls[i].args)
                                           : proto::Reply::failure(outcome.result.error, replyCode(outcome.status))));
    }
    send(res, 200, proto::Reply::success(std::move(replies)), in->format);
  }

  void logon(const Request& req, const std::string& peer, Response& res) {
    const auto format = bodyFormat(req, res);
    if (!format || !objectServed(req, res)) return;
    auto args = arguments(req, res, *format);
    if (!args) return;
    if (args->size() != 3 || !(*args)[0].isText() || !(*args)[1].isText() || !(*args)[2].isText())
      return refuse(res, 400, "A entrada no sistema espera o operador, a senha e a filial, como textos.",
                    proto::code::kBadRequest, *format);
    LogonOutcome out = app_.logon((*args)[0].text(), (*args)[1].text(), (*args)[2].text(), peer);
    if (out.status != CallStatus::Ok)
      return refuse(res, httpStatus(out.status), std::move(out.error),
                    out.status == CallStatus::Unauthorized ? proto::code::kLogonRefused : replyCode(out.status),
                    *format);
    send(res, 200,
         proto::Reply::success(
             ValueArray{out.token, out.operatorCode, out.operatorName, out.branchCode, out.branchName}),
         *format);
  }

  void logoff(const Request& req, Response& res) {
    const WireFormat format = replyFormat(req);
    const std::string token = bearerToken(req);
    if (token.empty()) return refuse(res, 401, "Sessão não informada.", proto::code::kUnauthorized, format);
    app_.logoff(token);
    send(res, 200, proto::Reply::success(Value()), format);
  }

  void health(const Request& req, Response& res) {
    if (!objectServed(req, res)) return;
    send(res, 200, proto::Reply::success(app_.serverObject()), replyFormat(req));
  }

  AppServer& app_;
  const HttpServerOptions& options_;
};

}  // namespace

// Connections are served by one network thread that only reads and writes:
// an idle or slow client holds a socket, never a thread. A complete request
// goes to a worker pool (reads and writes have pools of their own), and its
// reply back to the network thread.
struct HttpServer::Impl {
  Impl(AppServer& a, HttpServerOptions o)
      : app(a),
        options(std::move(o)),
        handlers(app, options),
        readers(static_cast<std::size_t>(std::max(1, options.workers))),
        writers(static_cast<std::size_t>(std::max(1, options.workers))) {}

  class Connection;

  AppServer& app;
  HttpServerOptions options;
  Handlers handlers;
  // Connections leave this table when they are destroyed, which may happen
  // while the network context itself is torn down: it outlives the context.
  std::mutex liveMutex;
  std::condition_variable liveChanged;
  std::unordered_map<Connection*, std::weak_ptr<Connection>> live;
  std::atomic<bool> stopping{false};
  bool started = false;
  asio::io_context ioc{1};
  tcp::acceptor acceptor{ioc};
  asio::thread_pool readers;
  asio::thread_pool writers;
  std::thread network;

  void log(const std::string& line) {
    if (options.log)
      options.log(line);
    else
      std::cerr << line << '\n';
  }

  void accept();
};

class HttpServer::Impl::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Impl& d, tcp::socket socket) : d_(d), stream_(std::move(socket)) {
    beast::error_code ec;
    const auto remote = stream_.socket().remote_endpoint(ec);
    peer_ = ec ? "?" : remote.address().to_string();
  }
  ~Connection() {
    std::lock_guard lock(d_.liveMutex);
    d_.live.erase(this);
    d_.liveChanged.notify_all();
  }

  void start() {
    asio::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->readHeader(); });
  }

  // Ends the connection unless a request is being answered; that one closes
  // after its reply. Runs on the connection's strand.
  void closeWhenIdle() {
    asio::dispatch(stream_.get_executor(), [self = shared_from_this()] {
      if (!self->busy_) self->close();
    });
  }

 private:
  void readHeader() {
    if (d_.stopping) return close();
    parser_.emplace();
    parser_->body_limit(d_.options.maxBodyBytes);
    parser_->header_limit(kHeaderLimit);
    // Waiting for the next request and receiving its header share one
    // deadline: a client dripping bytes loses its connection as an idle one.
    stream_.expires_after(d_.options.keepAlive);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onHeader(ec); });
  }

  void onHeader(beast::error_code ec) {
    if (ec) return readFailed(ec);
    started_ = std::chrono::steady_clock::now();
    stream_.expires_after(d_.options.requestTimeout);
    if (beast::iequals(parser_->get()[http::field::expect], "100-continue")) {
      auto go = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
      http::async_write(stream_, *go, [self = shared_from_this(), go](beast::error_code e, std::size_t) {
        if (e) return self->close();
        self->readBody();
      });
      return;
    }
    readBody();
  }

  void readBody() {
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRequest(ec); });
  }

  // A request that could not be read: a closed or timed-out connection ends
  // quietly; an oversized or malformed one gets its refusal, then ends.
  void readFailed(beast::error_code ec) {
    Response res;
    const Request& req = parser_->get();
    if (ec == http::error::body_limit) {
      refuse(res, 413,
             "A requisição excede o limite de " + std::to_string(d_.options.maxBodyBytes >> 20) +
                 " MiB do servidor de aplicação.",
             proto::code::kTooLarge, replyFormat(req));
    } else if (ec.category() == http::make_error_code(http::error::bad_target).category() &&
               ec != http::error::end_of_stream && ec != http::error::partial_message) {
      refuse(res, 400, "Requisição HTTP malformada.", proto::code::kBadRequest, replyFormat(req));
    } else {
      return close();
    }
    if (!parser_->is_header_done()) started_ = std::chrono::steady_clock::now();
    busy_ = true;
    unread_ = true;
    write(std::move(res), req.method_string(), req.target(), false);
  }

  void onRequest(beast::error_code ec) {
    if (ec) return readFailed(ec);
    busy_ = true;
    stream_.expires_never();
    auto req = std::make_shared<Request>(parser_->release());
    std::string path = targetPath(req->target());
    asio::thread_pool& pool = d_.handlers.isRead(path) ? d_.readers : d_.writers;
    asio::post(pool, [self = shared_from_this(), req, path = std::move(path)] {
      Response res;
      try {
        res = self->d_.handlers.handle(*req, path, self->peer_);
      } catch (const std::exception& e) {
        self->d_.log("vnd-server: falha ao atender " + printable(path) + ": " + printable(e.what()));
        res = Response{};
        refuse(res, 500, "Erro interno do servidor de aplicação.", proto::code::kServerError, replyFormat(*req));
      }
      asio::post(self->stream_.get_executor(), [self, req, res = std::move(res)]() mutable {
        self->write(std::move(res), req->method_string(), req->target(), req->keep_alive());
      });
    });
  }

  void write(Response res, beast::string_view method, beast::string_view target, bool keepAlive) {
    const std::string path = targetPath(target);
    d_.log(logLine(peer_, std::string_view(method.data(), method.size()), path, res.status, started_));
    auto reply = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(res.status), 11);
    reply->set(http::field::content_type, res.contentType);
    if (res.status == 401) reply->set(http::field::www_authenticate, "Bearer");
    reply->body() = std::move(res.body);
    reply->keep_alive(keepAlive && !d_.stopping);
    reply->prepare_payload();
    stream_.expires_after(d_.options.requestTimeout);
    http::async_write(stream_, *reply, [self = shared_from_this(), reply](beast::error_code ec, std::size_t) {
      self->busy_ = false;
      if (!ec && self->unread_) return self->drainThenClose();
      if (ec || !reply->keep_alive()) return self->close();
      self->readHeader();
    });
  }

  // After refusing a request whose body was not read: a socket closed with
  // unread data is reset, and the client, still sending, would lose the
  // refusal. What keeps coming is read and dropped, for a short while only.
  void drainThenClose() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    stream_.expires_after(std::chrono::seconds(2));
    drain_.resize(16 * 1024);
    stream_.async_read_some(asio::buffer(drain_), [self = shared_from_this()](beast::error_code e, std::size_t) {
      if (e) return self->close();
      self->drainThenClose();
    });
  }

  void close() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
    stream_.close();
  }

  static constexpr std::uint32_t kHeaderLimit = 64 * 1024;

  Impl& d_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::string peer_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  bool busy_ = false;
  bool unread_ = false;  // a refused request's body is still coming
  std::vector<char> drain_;
};

void HttpServer::Impl::accept() {
  acceptor.async_accept(asio::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
    if (ec) {
      if (!acceptor.is_open()) return;  // stopping
      // Out of descriptors or a client that left before being accepted:
      // the listener goes on.
      return accept();
    }
    socket.set_option(tcp::no_delay(true), ec);
    auto conn = std::make_shared<Connection>(*this, std::move(socket));
    {
      std::lock_guard lock(liveMutex);
      if (live.size() >= options.maxConnections) {
        log("vnd-server: limite de conexões atingido; conexão recusada");
        conn.reset();
      } else {
        live.emplace(conn.get(), conn);
      }
    }
    if (conn) conn->start();
    accept();
  });
}

HttpServer::HttpServer(AppServer& app, HttpServerOptions options)
    : impl_(std::make_unique<Impl>(app, std::move(options))) {}

HttpServer::~HttpServer() { stop(); }

int HttpServer::start(const std::string& host, int port) {
  Impl& d = *impl_;
  beast::error_code ec;
  const auto address = asio::ip::make_address(host == "localhost" ? "127.0.0.1" : host, ec);
  if (!ec) {
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    d.acceptor.open(endpoint.protocol(), ec);
    if (!ec) d.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) d.acceptor.bind(endpoint, ec);
    if (!ec) d.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  }
  if (ec) throw std::runtime_error("não foi possível escutar em " + host + ":" + std::to_string(port));
  const int bound = d.acceptor.local_endpoint().port();
  d.accept();
  d.started = true;
  d.network = std::thread([&d] { d.ioc.run(); });
  return bound;
}

void HttpServer::stop() {
  Impl& d = *impl_;
  if (!d.started) return;
  d.started = false;
  d.stopping = true;
  asio::post(d.ioc, [&d] {
    beast::error_code ec;
    d.acceptor.close(ec);
  });
  std::vector<std::shared_ptr<Impl::Connection>> open;
  {
    std::lock_guard lock(d.liveMutex);
    for (auto& [raw, weak] : d.live)
      if (auto c = weak.lock()) open.push_back(std::move(c));
  }
  for (auto& c : open) c->closeWhenIdle();
  open.clear();
  // Requests in progress finish and are answered; past the grace time the
  // server goes anyway.
  {
    std::unique_lock lock(d.liveMutex);
    d.liveChanged.wait_for(lock, d.options.stopGrace, [&d] { return d.live.empty(); });
  }
  d.ioc.stop();
  d.network.join();
  d.readers.join();
  d.writers.join();
}

}  // namespace server
