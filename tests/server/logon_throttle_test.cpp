// Password guessing is slowed down per operator and per address, and a
// guesser elsewhere keeps the real user out for a short while only.

#include "server/logonthrottle.h"

#include <gtest/gtest.h>

#include "tests/server/http_fixture.h"

namespace {

using namespace std::chrono_literals;
using server::LogonThrottle;

TEST(LogonThrottle, LocksGrowPerKeyAndTheOperatorsStayShort) {
  LogonThrottle t({.freeFailures = 3, .firstLock = 1s, .operatorCap = 4s, .addressCap = 60s});
  auto now = LogonThrottle::Clock::now();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(t.failed("op", "10.0.0.9", now), 0ms);
  EXPECT_EQ(t.failed("op", "10.0.0.9", now), 1s);
  EXPECT_EQ(t.lockedFor("op", "10.0.0.1", now), 1s) << "the operator is locked from anywhere";
  EXPECT_EQ(t.lockedFor("outro", "10.0.0.9", now), 1s) << "and the address for any operator";
  EXPECT_EQ(t.lockedFor("outro", "10.0.0.1", now), 0ms);

  // Each failure after a lock doubles it: the operator's up to its short
  // cap, the guessing address's much further.
  std::chrono::milliseconds lock{};
  for (int i = 0; i < 6; ++i) {
    now += 61s;
    lock = t.failed("op", "10.0.0.9", now);
  }
  EXPECT_EQ(lock, 60s);
  EXPECT_EQ(t.lockedFor("op", "10.0.0.1", now + 5s), 0ms);
  EXPECT_EQ(t.lockedFor("op", "10.0.0.9", now + 5s), 55s);

  // A success clears both; quiet time forgets the count.
  t.succeeded("op", "10.0.0.9");
  EXPECT_EQ(t.lockedFor("op", "10.0.0.9", now), 0ms);
  for (int i = 0; i < 3; ++i) t.failed("b", "x", now + i * 20min);
  EXPECT_EQ(t.failed("b", "x", now + 60min), 0ms);
}

class LogonThrottling : public httptest::HttpServerTest {};

TEST_F(LogonThrottling, ALockedLogonIsRefusedWithoutCheckingThePassword) {
  server::AppServerOptions options;
  options.logonThrottle.freeFailures = 2;
  options.logonThrottle.firstLock = 30s;
  startServer(options);
  auto conn = httpConnection();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(conn->logon("000000000001", "errada", "0001").ok);
  const platform::LogonResult r = conn->logon("000000000001", "ana123", "0001");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Muitas tentativas de entrada sem sucesso. Tente novamente em 30 segundos.");
  // The lock is the address's too: another operator from here waits as well.
  EXPECT_FALSE(conn->logon("000000000002", "bruno123", "0001").ok);
  auto local = inProcessConnection();
  EXPECT_TRUE(local->logon("000000000002", "bruno123", "0001").ok);
}

}  // namespace
