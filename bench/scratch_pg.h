#pragma once
// A schema of its own on the PostgreSQL database VND_TEST_PG names, dropped
// and made afresh, for a benchmark that fills a database there.

#include <cstdlib>
#include <string>

#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"

namespace benchrig {

// Answers the connection string that works in `schema`; the caller checks
// that VND_TEST_PG is set.
inline std::string freshPostgresSchema(const std::string& schema) {
  const std::string base = std::getenv("VND_TEST_PG");
  {
    platform::SqlConnection admin(base);
    platform::sqlExecute(admin.session(), "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
    platform::sqlExecute(admin.session(), "CREATE SCHEMA " + schema);
  }
  if (base.find("://") == std::string::npos) return base + " options='-c search_path=" + schema + "'";
  return base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

}  // namespace benchrig
