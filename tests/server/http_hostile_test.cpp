// Clients that hold connections without finishing requests, bodies that try
// to get around the limits, and stopping while such clients are connected.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>

#include "tests/server/http_fixture.h"

namespace {

using namespace httptest;
using Clock = std::chrono::steady_clock;

// A plain TCP connection to the server, for clients no HTTP library would
// write: idle, dripping, lying about their bodies.
class RawSocket {
 public:
  explicit RawSocket(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    timeval tv{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }
  ~RawSocket() { ::close(fd_); }
  RawSocket(const RawSocket&) = delete;
  RawSocket& operator=(const RawSocket&) = delete;

  bool connected() const { return connected_; }
  bool send(std::string_view bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  // What the server sent until it closed or went quiet.
  std::string receive() {
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd_, buf, sizeof buf, 0)) > 0;) out.append(buf, static_cast<size_t>(n));
    return out;
  }

 private:
  int fd_;
  bool connected_ = false;
};

class HttpHostile : public HttpServerTest {};

// Connections that never finish a request take no worker: with two workers,
// hundreds of idle and dripping connections leave a real client served at
// once, and stopping does not wait for them.
TEST_F(HttpHostile, IdleAndDrippingConnectionsNeitherStarveCallsNorHoldTheStop) {
  server::HttpServerOptions few;
  few.workers = 2;
  startServer({}, few);
  std::vector<std::unique_ptr<RawSocket>> held;
  for (int i = 0; i < 300; ++i) held.push_back(std::make_unique<RawSocket>(port_));
  for (int i = 0; i < 8; ++i) {
    held.push_back(std::make_unique<RawSocket>(port_));
    held.back()->send("POST /api/v1/logon HTTP/1.1\r\nHost: x\r\nContent-Le");
  }
  for (const auto& s : held) ASSERT_TRUE(s->connected());

  auto conn = httpConnection();
  const auto before = Clock::now();
  logOn(*conn);
  std::vector<Value> args{"0001"};
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(conn->call("getPerManut", args).ok);
  EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));

  const auto stopping = Clock::now();
  http_.reset();
  EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(3));
}

// A chunked body is held to the same limit as a declared one, and a body of
// tiny items is refused before it is decoded into gigabytes.
TEST_F(HttpHostile, BodiesCannotGetAroundTheLimits) {
  server::HttpServerOptions small;
  small.maxBodyBytes = 1 << 20;
  small.maxBodyItems = 1000;
  startServer({}, small);

  RawSocket chunked(port_);
  chunked.send(
      "POST /api/v1/logon HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
      "Transfer-Encoding: chunked\r\n\r\n");
  const std::string chunk = "10000\r\n" + std::string(0x10000, ' ') + "\r\n";
  for (int i = 0; i < 32 && chunked.send(chunk); ++i) {
  }
  const std::string reply = chunked.receive();
  EXPECT_EQ(reply.substr(0, 12), "HTTP/1.1 413") << reply.substr(0, 200);
  EXPECT_NE(reply.find("too_large"), std::string::npos);

  httplib::Client client("127.0.0.1", port_);
  const std::string emptyLists = "\xdc\x07\xd0" + std::string(2000, '\x90');  // 2000 x []
  auto res = client.Post("/api/v1/logon", emptyLists, "application/msgpack");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  std::string json = "[";
  for (int i = 0; i < 2000; ++i) json += i ? ",[]" : "[]";
  res = client.Post("/api/v1/logon", json + "]", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);

  auto conn = httpConnection();
  logOn(*conn);  // a real logon is far below the budget
}

}  // namespace
