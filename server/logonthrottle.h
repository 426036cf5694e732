#pragma once
// Slows password guessing down. Failed logons are counted per operator code
// and per client address; past a few free failures each new failure locks
// that operator (or address) for a time that doubles with every further
// failure, up to a cap. While locked, logons are refused without checking
// the password, so guesses during a lock tell nothing. The operator's cap is
// short, so that someone guessing from elsewhere cannot keep the real user
// out for long; an address's cap is long. A success clears the operator and
// the address; counts are forgotten after a quiet while.
//
// Thread-safety: every member may be called from any thread.

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace server {

struct LogonThrottleOptions {
  int freeFailures = 5;
  std::chrono::milliseconds firstLock = std::chrono::seconds(1);
  std::chrono::milliseconds operatorCap = std::chrono::seconds(30);
  std::chrono::milliseconds addressCap = std::chrono::minutes(5);
  std::chrono::milliseconds forgetAfter = std::chrono::minutes(15);
  std::size_t maxTracked = 100000;
};

class LogonThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  explicit LogonThrottle(LogonThrottleOptions options = {}) : options_(options) {}

  // How long the operator or the address stays locked (zero: may try now).
  std::chrono::milliseconds lockedFor(std::string_view operatorCode, std::string_view address,
                                      Clock::time_point now = Clock::now());
  // Records a failed logon; answers the lock it starts (zero: none yet).
  std::chrono::milliseconds failed(std::string_view operatorCode, std::string_view address,
                                   Clock::time_point now = Clock::now());
  void succeeded(std::string_view operatorCode, std::string_view address);

 private:
  struct Entry {
    int failures = 0;
    Clock::time_point lastFailure, lockedUntil;
  };
  using Table = std::unordered_map<std::string, Entry>;

  std::chrono::milliseconds fail(Table& table, std::string_view key, std::chrono::milliseconds cap,
                                 Clock::time_point now);
  static std::chrono::milliseconds remaining(const Table& table, std::string_view key, Clock::time_point now);
  void forgetQuiet(Table& table, Clock::time_point now);

  LogonThrottleOptions options_;
  std::mutex mutex_;
  Table operators_, addresses_;
};

}  // namespace server
