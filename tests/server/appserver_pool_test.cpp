#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/sqlaccess.h"
#include "server/appserver.h"
#include "server/password.h"
#include "server/schema.h"
#include "tests/testdb.h"

using platform::Value;

namespace {

// A pooled database session the database ends between two calls (restart,
// administrator, dropped network) is replaced on the next call rather than
// failing it, and every call after.
class PooledSession : public ::testing::Test {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE("PostgreSQL");
    db_ = std::make_unique<testdb::Database>("PostgreSQL");
    admin_ = db_->connect();
    soci::session& s = admin_->session();
    server::migrate(s);
    platform::sqlExecute(s,
                         "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA) "
                         "VALUES ('0001', 'Matriz', '01')");
    platform::sqlExecute(s,
                         "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSHASHSENHA, IDATIVO) "
                         "VALUES ('000000000001', 'Ana', :H, 'S')",
                         {{"H", server::hashPassword("ana123", server::randomSalt(), 1000)}});

    server::OperationRegistry registry;
    registry.add("Processo", "", [](server::OperationContext& ctx, std::vector<Value>&) {
      return platform::sqlSelect(ctx.db, "SELECT pg_backend_pid() AS PID", {}, {{"PID", platform::FieldType::Integer}})
          .rows[0]
          .values[0];
    });
    server::AppServerOptions options;
    options.databaseSessions = 1;  // every call draws the same pooled session
    app_ = std::make_unique<server::AppServer>(db_->connectionString(), std::move(registry), options);
    const server::LogonOutcome logon = app_->logon("000000000001", "ana123", "0001");
    ASSERT_EQ(logon.status, server::CallStatus::Ok) << logon.error;
    token_ = logon.token;
  }

  // The database process serving the pooled session.
  double backend() {
    std::vector<Value> args;
    const server::CallOutcome out = app_->call(token_, "Processo", args);
    EXPECT_EQ(out.status, server::CallStatus::Ok) << out.result.error;
    return out.result.value.asNumber();
  }

  // Ends that process and waits until it is gone.
  void terminate(double pid) {
    soci::session& s = admin_->session();
    platform::sqlSelect(s, "SELECT CAST(pg_terminate_backend(:P) AS INTEGER) AS OK", {{"P", pid}});
    for (int i = 0; i < 500; ++i) {
      if (platform::sqlSelect(s, "SELECT pid FROM pg_stat_activity WHERE pid = :P", {{"P", pid}}).rows.empty()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "database process " << pid << " still running";
  }

  std::unique_ptr<testdb::Database> db_;
  std::unique_ptr<platform::SqlConnection> admin_;
  std::unique_ptr<server::AppServer> app_;
  std::string token_;
};

TEST_F(PooledSession, EndedByTheDatabaseIsReopenedOnTheNextCall) {
  const double first = backend();
  ASSERT_GT(first, 0);
  EXPECT_EQ(backend(), first);  // kept in the pool between calls

  terminate(first);
  const double second = backend();
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
  EXPECT_EQ(backend(), second);

  // Logging on draws from the same pool.
  terminate(second);
  EXPECT_EQ(app_->logon("000000000001", "ana123", "0001").status, server::CallStatus::Ok);
  EXPECT_GT(backend(), 0);
}

}  // namespace
