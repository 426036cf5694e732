#include "server/logonthrottle.h"

#include <algorithm>

namespace server {

using std::chrono::milliseconds;

milliseconds LogonThrottle::remaining(const Table& table, std::string_view key, Clock::time_point now) {
  auto it = table.find(std::string(key));
  if (it == table.end() || it->second.lockedUntil <= now) return milliseconds(0);
  return std::chrono::ceil<milliseconds>(it->second.lockedUntil - now);
}

milliseconds LogonThrottle::lockedFor(std::string_view operatorCode, std::string_view address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  return std::max(remaining(operators_, operatorCode, now), remaining(addresses_, address, now));
}

void LogonThrottle::forgetQuiet(Table& table, Clock::time_point now) {
  if (table.size() < options_.maxTracked) return;
  std::erase_if(table, [&](const auto& kv) {
    return now - kv.second.lastFailure > options_.forgetAfter && kv.second.lockedUntil <= now;
  });
  // Still full: an attack from very many addresses; the oldest knowledge
  // goes rather than the memory.
  if (table.size() >= options_.maxTracked) table.clear();
}

milliseconds LogonThrottle::fail(Table& table, std::string_view key, milliseconds cap, Clock::time_point now) {
  forgetQuiet(table, now);
  Entry& e = table[std::string(key)];
  if (now - e.lastFailure > options_.forgetAfter) e.failures = 0;
  e.lastFailure = now;
  ++e.failures;
  const int over = e.failures - options_.freeFailures;
  if (over <= 0) return milliseconds(0);
  milliseconds lock = options_.firstLock;
  for (int i = 1; i < over && lock < cap; ++i) lock *= 2;
  lock = std::min(lock, cap);
  e.lockedUntil = now + lock;
  return lock;
}

milliseconds LogonThrottle::failed(std::string_view operatorCode, std::string_view address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  return std::max(fail(operators_, operatorCode, options_.operatorCap, now),
                  fail(addresses_, address, options_.addressCap, now));
}

void LogonThrottle::succeeded(std::string_view operatorCode, std::string_view address) {
  std::lock_guard lock(mutex_);
  operators_.erase(std::string(operatorCode));
  addresses_.erase(std::string(address));
}

}  // namespace server
