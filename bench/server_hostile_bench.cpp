// A logged-on client's small call (getPerManut) while 1,000 connections sit
// idle and 8 clients drip a request one byte at a time, against a server
// with the default 8 workers; then the server's resident memory after the
// hostile bodies (oversized, chunked past the limit, a body of empty
// lists). Goals: every call under 50 ms (the p99 and max counters), memory
// under 100 MB (the rss_mb counter; rss_before_mb is the figure before the
// hostile bodies). sale_1000_items_kb is the size of the biggest request a
// real user could make, against which the body limit is set.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "platform/datapacket.h"
#include "platform/remote.h"
#include "platform/remoteprotocol.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "server/appserver.h"
#include "server/demodata.h"
#include "server/httpserver.h"
#include "server/operations_all.h"

using namespace platform;

namespace {

int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

double residentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void BM_CallAmidIdleAndDrippingConnections(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / ("vnd_bench_hostile_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string db = "sqlite:" + (dir / "vnd.db").string();
  server::createDemoDatabase(db);
  server::OperationRegistry registry;
  server::registerAllOperations(registry);
  server::AppServerOptions appOptions;
  appOptions.databaseSessions = 16;
  auto app = std::make_shared<server::AppServer>(db, std::move(registry), appOptions);
  server::HttpServerOptions options;
  options.log = [](const std::string&) {};
  server::HttpServer http(*app, options);
  const int port = http.start("127.0.0.1", 0);

  std::vector<int> idle;
  for (int i = 0; i < 1000; ++i)
    if (const int fd = connectTo(port); fd >= 0) idle.push_back(fd);
  std::vector<int> drip;
  for (int i = 0; i < 8; ++i) drip.push_back(connectTo(port));
  std::atomic<bool> done{false};
  std::thread dripper([&] {
    const std::string request = "POST /api/v1/logon HTTP/1.1\r\nHost: x\r\nContent-Length: 40\r\n";
    for (size_t k = 0; !done; k = (k + 1) % request.size()) {
      for (int fd : drip) sendAll(fd, request.substr(k, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });

  TNetConnection conn("Vnd02600.rdmManutVenda");
  conn.BeforeConnect = [port](TNetConnection& c) {
    c.Host = "127.0.0.1";
    c.Port = port;
  };
  const server::DemoOperator& op = server::demoOperators().front();
  if (!conn.logon(op.code, op.password, "0001").ok) state.SkipWithError("logon refused");
  std::vector<double> ms;
  for (auto _ : state) {
    std::vector<Value> args{"0001"};
    const auto t0 = std::chrono::steady_clock::now();
    const RemoteResult r = conn.call("getPerManut", args);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    if (!r.ok) state.SkipWithError(r.error.c_str());
  }

  // The biggest request the screen sends in earnest is a sale saved with
  // its items: every posted item is saved at once, so a save carries one
  // item, but a sale typed offline or pasted arrives whole. A sale of 1,000
  // items with their taxes, as inserts, in JSON (the bigger encoding), is
  // far beyond any sale the branch makes.
  {
    SqlConnection raw(db);
    const DataPacket busiest = sqlSelect(raw.session(),
                                         "SELECT CDFILIAL, CDCAIXA, NRSEQVENDA, COUNT(*) AS N FROM ITVENDA "
                                         "GROUP BY CDFILIAL, CDCAIXA, NRSEQVENDA ORDER BY 4 DESC",
                                         {});
    std::vector<Value> key(busiest.rows[0].values.begin(), busiest.rows[0].values.begin() + 3);
    const RemoteResult items = conn.call("GetItens", key);
    if (items.ok) {
      const DataPacket& itemRows = items.value.array()[0].packet();
      const DataPacket& taxRows = items.value.array()[1].packet();
      // The sale's items and taxes, repeated until it has 1,000 items.
      const std::size_t times = 1000 / std::max<std::size_t>(1, itemRows.rows.size()) + 1;
      ValueArray save;
      for (const DataPacket* model : {&itemRows, &taxRows}) {
        DataPacket delta = *model;
        delta.delta = true;
        delta.rows.clear();
        for (std::size_t i = 0; i < times; ++i)
          for (PacketRow row : model->rows) {
            row.kind = RowKind::Insert;
            row.original.clear();
            delta.rows.push_back(std::move(row));
          }
        save.push_back(Value(delta));
      }
      save.insert(save.begin(), Value());
      save.push_back(Value(op.code));
      state.counters["sale_1000_items_kb"] =
          static_cast<double>(protocol::encodeBody(Value(save), WireFormat::Json).size()) / 1024.0;
    }
  }
  state.counters["rss_before_mb"] = residentMegabytes();

  // Hostile bodies, then the memory they left.
  for (int i = 0; i < 5; ++i) {
    const int fd = connectTo(port);
    sendAll(fd,
            "POST /api/v1/logon HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
            "Transfer-Encoding: chunked\r\n\r\n");
    const std::string chunk = "100000\r\n" + std::string(0x100000, ' ') + "\r\n";
    for (int k = 0; k < 80; ++k) sendAll(fd, chunk);
    ::close(fd);
    const std::string lists(16 << 20, '\x90');
    const int fd2 = connectTo(port);
    sendAll(fd2,
            "POST /api/v1/logon HTTP/1.1\r\nHost: x\r\nContent-Type: application/msgpack\r\n"
            "Content-Length: " +
                std::to_string(lists.size() + 5) + "\r\n\r\n\xdd\x01\x00\x00\x00" + lists);
    char buf[256];
    (void)::recv(fd2, buf, sizeof buf, 0);
    ::close(fd2);
  }
  state.counters["rss_mb"] = residentMegabytes();

  done = true;
  dripper.join();
  for (int fd : idle) ::close(fd);
  for (int fd : drip) ::close(fd);
  std::sort(ms.begin(), ms.end());
  if (!ms.empty()) {
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["max_ms"] = ms.back();
  }
  state.counters["idle_connections"] = static_cast<double>(idle.size());
  http.stop();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CallAmidIdleAndDrippingConnections)->Iterations(500)->Unit(benchmark::kMillisecond);

}  // namespace
