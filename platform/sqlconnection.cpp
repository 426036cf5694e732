#include "platform/sqlconnection.h"

#include <libpq-fe.h>
#include <soci/postgresql/soci-postgresql.h>
#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <cctype>

#include "platform/text.h"

namespace platform {
namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

// "name=" at the start: the keyword form of a PostgreSQL connection string.
bool looksLikeKeywords(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  const size_t start = i;
  while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
  if (i == start) return false;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i < s.size() && s[i] == '=';
}

// SOCI's PostgreSQL backend rewrites the string it is given and mangles URIs,
// so every form is brought to libpq keywords first, with libpq's own parser.
std::string toLibpqKeywords(const std::string& conn) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conn.c_str(), &error);
  if (!options) {
    std::string why = error ? error : "formato inválido";
    if (error) PQfreemem(error);
    throw SqlError("Cadeia de conexão PostgreSQL inválida: " + trim(why));
  }
  std::string out;
  for (PQconninfoOption* o = options; o->keyword; ++o) {
    if (!o->val) continue;
    if (!out.empty()) out += ' ';
    out += o->keyword;
    out += "='";
    for (const char* c = o->val; *c; ++c) {
      if (*c == '\'' || *c == '\\') out += '\\';
      out += *c;
    }
    out += '\'';
  }
  PQconninfoFree(options);
  return out;
}

std::string sqliteTarget(std::string_view path) {
  if (path.empty()) throw SqlError("Caminho do banco SQLite não informado.");
  const std::string p(path);
  if (p.find('"') == std::string::npos) return "db=\"" + p + "\"";
  if (p.find('\'') == std::string::npos) return "db='" + p + "'";
  throw SqlError("Caminho do banco SQLite com aspas simples e duplas não é aceito: " + p);
}

}  // namespace

std::string_view dialectName(SqlDialect d) {
  switch (d) {
    case SqlDialect::SQLite:
      return "SQLite";
    case SqlDialect::PostgreSQL:
      return "PostgreSQL";
    case SqlDialect::Oracle:
      return "Oracle";
    case SqlDialect::MSSQL:
      return "SQL Server";
    case SqlDialect::InterBase:
      return "InterBase";
  }
  return "?";
}

SqlTarget parseConnectionString(std::string_view connString) {
  const std::string s = trim(connString);
  if (s.empty()) throw SqlError("Cadeia de conexão vazia.");
  struct Unsupported {
    std::string_view prefix;
    SqlDialect dialect;
  };
  static const Unsupported kUnsupported[] = {
      {"oracle:", SqlDialect::Oracle},       {"mssql:", SqlDialect::MSSQL},        {"sqlserver:", SqlDialect::MSSQL},
      {"interbase:", SqlDialect::InterBase}, {"firebird:", SqlDialect::InterBase},
  };
  for (const auto& u : kUnsupported)
    if (startsWithNoCase(s, u.prefix))
      throw SqlError("Banco de dados " + std::string(dialectName(u.dialect)) +
                     " não pode ser aberto por esta aplicação.");
  if (startsWithNoCase(s, "sqlite:")) return {SqlDialect::SQLite, sqliteTarget(trim(s.substr(7)))};
  if (startsWithNoCase(s, "postgresql://") || startsWithNoCase(s, "postgres://") || looksLikeKeywords(s))
    return {SqlDialect::PostgreSQL, toLibpqKeywords(s)};
  return {SqlDialect::SQLite, sqliteTarget(s)};
}

SqlDialect dialectOf(const soci::session& session) {
  return const_cast<soci::session&>(session).get_backend_name() == "postgresql" ? SqlDialect::PostgreSQL
                                                                                : SqlDialect::SQLite;
}

SqlConnection::SqlConnection(std::string_view connString) {
  const SqlTarget t = parseConnectionString(connString);
  dialect_ = t.dialect;
  try {
    if (t.dialect == SqlDialect::PostgreSQL) {
      session_ = std::make_unique<soci::session>(soci::postgresql, t.target);
      *session_ << "SET client_encoding TO 'UTF8'";
      // Notices (an object that already exists, a cascade) are not errors;
      // libpq would print them on the console.
      *session_ << "SET client_min_messages TO WARNING";
      return;
    }
    session_ = std::make_unique<soci::session>(soci::sqlite3, t.target);
    // WAL lets readers go on while one writer commits; NORMAL synchronous is
    // the durable-enough setting WAL is designed for. Writers that meet a
    // lock wait up to the busy timeout instead of failing at once.
    std::string mode;
    *session_ << "PRAGMA journal_mode=WAL", soci::into(mode);
    *session_ << "PRAGMA synchronous=NORMAL";
    *session_ << "PRAGMA foreign_keys=ON";
    *session_ << "PRAGMA busy_timeout=10000";
    // Pages are read through a shared memory map rather than copied by a
    // system call each into every connection's small private cache: a
    // day's closing reads tens of thousands of item rows, and the map costs
    // no memory of its own beyond the file's pages the system caches anyway.
    *session_ << "PRAGMA mmap_size=268435456";
  } catch (const soci::soci_error& e) {
    session_.reset();
    throw SqlError(std::string("Não foi possível abrir o banco de dados ") + std::string(dialectName(dialect_)) + ": " +
                   trim(e.what()));
  }
}

SqlConnection::~SqlConnection() = default;

}  // namespace platform
