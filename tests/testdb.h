#pragma once
// A fresh, empty database per test, on SQLite and on PostgreSQL. Storage
// tests are parameterised over backends(); the PostgreSQL ones skip when
// VND_TEST_PG holds no connection string (scripts/start-postgres.sh prints
// one), so every run lists the same tests.

#include <gtest/gtest.h>
#include <soci/soci.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"

namespace testdb {

inline std::vector<std::string> backends() { return {"SQLite", "PostgreSQL"}; }

inline bool available(const std::string& backend) {
  const char* pg = std::getenv("VND_TEST_PG");
  return backend == "SQLite" || (pg && *pg);
}

// In a fixture's SetUp: skips the test when its backend is not available.
#define VND_SKIP_UNAVAILABLE(backend) \
  if (!testdb::available(backend)) GTEST_SKIP() << "VND_TEST_PG não definido"

inline std::string backendName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

class Database {
 public:
  explicit Database(const std::string& backend) {
    static std::atomic<int> counter{0};
    const std::string id = std::to_string(getpid()) + "_" + std::to_string(++counter);
    if (backend == "SQLite") {
      dir_ = std::filesystem::temp_directory_path() / ("vnd_test_" + id);
      // Process ids are reused: what an earlier process left is cleared.
      std::filesystem::remove_all(dir_);
      std::filesystem::create_directories(dir_);
      connString_ = "sqlite:" + (dir_ / "vnd.db").string();
      return;
    }
    base_ = std::getenv("VND_TEST_PG");
    schema_ = "vnd_test_" + id;
    platform::SqlConnection admin(base_);
    platform::sqlExecute(admin.session(), "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    platform::sqlExecute(admin.session(), "CREATE SCHEMA " + schema_);
    // Every connection of the test works in its own schema.
    connString_ =
        base_ + (base_.find("://") == std::string::npos ? " options='-c search_path=" + schema_ + "'"
                                                        : (base_.find('?') == std::string::npos ? "?" : "&") +
                                                              std::string("options=-csearch_path%3D") + schema_);
  }
  ~Database() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
    if (!schema_.empty()) {
      try {
        platform::SqlConnection admin(base_);
        platform::sqlExecute(admin.session(), "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
      } catch (...) {  // a schema left behind only costs space in the test database
      }
    }
  }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& connectionString() const { return connString_; }
  std::unique_ptr<platform::SqlConnection> connect() const {
    return std::make_unique<platform::SqlConnection>(connString_);
  }

 private:
  std::filesystem::path dir_;
  std::string base_, schema_, connString_;
};

}  // namespace testdb
