// The cost of one small remote call (getPerManut: one branch's maintenance
// permission, a one-row query) through the screen's connection: in process,
// and over loopback HTTP to a server running on a thread of this process, in
// the binary wire format and in JSON. The HTTP figures include the
// encoding, the socket round trip, session and argument checks, the
// transaction and the request log line (written to a sink that drops it).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/httptransport.h"
#include "platform/remote.h"
#include "server/appserver.h"
#include "server/demodata.h"
#include "server/httpserver.h"
#include "server/inprocess.h"
#include "server/operations_all.h"
#include "server/storage.h"

using namespace platform;

namespace {

struct Rig {
  std::shared_ptr<server::AppServer> app;
  std::unique_ptr<server::HttpServer> http;
  int port = 0;
};

Rig& rig() {
  static Rig r = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("vnd_bench_http_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string conn = "sqlite:" + (dir / "vnd.db").string();
    server::createDemoDatabase(conn);

    server::OperationRegistry registry;
    server::registerAllOperations(registry);
    if (!registry.find("getPerManut"))  // a stand-in with the same query shape
      registry.add("getPerManut", "S", [](server::OperationContext& ctx, std::vector<Value>& a) {
        return Value(server::selectPacket(ctx.db, "SELECT IDPERMANUTVEN FROM PARAMVENDA WHERE CDFILIAL = :F",
                                          {{"F", a[0]}}, {{"IDPERMANUTVEN", FieldType::String, 1}}));
      });
    Rig out;
    out.app = std::make_shared<server::AppServer>(conn, std::move(registry));
    server::HttpServerOptions options;
    options.log = [](const std::string&) {};
    out.http = std::make_unique<server::HttpServer>(*out.app, options);
    out.port = out.http->start("127.0.0.1", 0);
    return out;
  }();
  return r;
}

void callPerManut(benchmark::State& state, TNetConnection& conn) {
  const server::DemoOperator& op = server::demoOperators().front();
  if (!conn.logon(op.code, op.password, "0001").ok) {
    state.SkipWithError("logon refused");
    return;
  }
  for (auto _ : state) {
    std::vector<Value> args{"0001"};
    RemoteResult r = conn.call("getPerManut", args);
    if (!r.ok) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    benchmark::DoNotOptimize(r);
  }
}

void BM_CallInProcess(benchmark::State& state) {
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<server::InProcessTransport>(rig().app));
  callPerManut(state, conn);
}
BENCHMARK(BM_CallInProcess)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CallHttp(benchmark::State& state) {
  HttpTransportOptions options;
  options.format = state.range(0) ? WireFormat::Json : WireFormat::Binary;
  TNetConnection conn("Vnd02600.rdmManutVenda", std::make_unique<HttpTransport>(options));
  conn.Host = "127.0.0.1";
  conn.Port = rig().port;
  callPerManut(state, conn);
}
BENCHMARK(BM_CallHttp)->Arg(0)->Arg(1)->ArgName("json")->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
