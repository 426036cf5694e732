#pragma once
// SqlConnection: one open database session, for the server's storage and
// for the client's local queries. A connection string names the database:
//
//   /var/lib/vnd/vnd.db, sqlite:/var/lib/vnd/vnd.db   SQLite file (":memory:" too)
//   postgresql://user:pw@host:5432/db                  PostgreSQL URI
//   dbname=db host=localhost user=u password=pw        PostgreSQL keywords
//
// SQLite is opened in WAL mode with foreign keys enforced and a busy timeout,
// so that several processes may share the file. Oracle, SQL Server and
// InterBase exist as dialects only so that a query can carry their texts;
// they cannot be opened here.
//
// Thread-safety: a connection is used by one thread at a time; open one
// connection per thread.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace soci {
class session;
}

namespace platform {

enum class SqlDialect { SQLite, PostgreSQL, Oracle, MSSQL, InterBase };

std::string_view dialectName(SqlDialect d);

// A database failure: a connection that cannot be opened, a statement that
// the database refuses, a result that does not fit what the caller declared.
class SqlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a connection string resolves to: the dialect and the text handed to
// the database driver (the SQLite file name, or libpq keywords).
struct SqlTarget {
  SqlDialect dialect = SqlDialect::SQLite;
  std::string target;
};

// Parses a connection string; throws SqlError for an empty string, a
// malformed PostgreSQL string or a dialect that cannot be opened.
SqlTarget parseConnectionString(std::string_view connString);

// The dialect of an open session (SQLite or PostgreSQL).
SqlDialect dialectOf(const soci::session& session);

class SqlConnection {
 public:
  // Opens the database; throws SqlError when it cannot be opened.
  explicit SqlConnection(std::string_view connString);
  ~SqlConnection();
  SqlConnection(const SqlConnection&) = delete;
  SqlConnection& operator=(const SqlConnection&) = delete;

  SqlDialect dialect() const { return dialect_; }
  soci::session& session() { return *session_; }

 private:
  SqlDialect dialect_;
  std::unique_ptr<soci::session> session_;
};

}  // namespace platform
