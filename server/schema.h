#pragma once
// The database schema of the suite's reference data and of the server's own
// records, kept as numbered migrations. SCHEMA_VERSION records each applied
// migration; migrate() brings a database of any older version (or an empty
// one) up to date, each migration in its own transaction, so a failing
// migration leaves the database at the previous version. The DDL is one text
// for SQLite and PostgreSQL; only column types differ (date-times are
// DATETIME in SQLite, which its driver reads back as dates, and TIMESTAMP in
// PostgreSQL).
//
// Thread-safety: as the session. Two processes migrating the same database
// at once are serialised by the database (write lock / table lock).

#include <soci/soci.h>

#include <string>
#include <vector>

namespace server {

struct Migration {
  int version;
  std::string description;
  std::vector<std::string> statements;  // "{TS}" stands for the date-time column type
};

const std::vector<Migration>& migrations();
int latestSchemaVersion();

// Version of the database's schema; 0 for a database without one.
int schemaVersion(soci::session& session);

// Applies the migrations after the database's version up to target (the
// latest by default); answers the version reached. Throws SqlError when a
// migration fails or the database is newer than this program knows.
int migrate(soci::session& session, int target = -1);

}  // namespace server
