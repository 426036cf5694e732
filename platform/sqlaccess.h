#pragma once
// Running SQL with named parameters on a SOCI session and reading the rows
// as data packets; shared by the client's local queries and the server's
// storage.
//
// Parameters are written ":NAME" in the text; a name may occur several
// times, and every occurrence takes the same value. Values are always bound,
// never spliced into the text. Inside quotes, comments and PostgreSQL's "::"
// casts a colon is left alone.
//
// Thread-safety: as the session: one thread at a time per session.

#include <soci/soci.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/sqlconnection.h"
#include "platform/value.h"

namespace platform {

struct SqlParam {
  std::string name;  // without the colon; matched ignoring ASCII case
  Value value;       // null, text, number, date-time or boolean
};
using SqlParams = std::vector<SqlParam>;

// The text with each ":NAME" replaced by a marker of its own, bound by
// position: "?" for SQLite; ":p1", ":p2"... for PostgreSQL, which SOCI turns
// into $1, $2... (giving it names keeps its error reports intact). Comments
// are dropped. Also answers the name of each occurrence.
struct PositionalSql {
  std::string text;
  std::vector<std::string> names;
};
PositionalSql toPositional(std::string_view sql, SqlDialect dialect);

// Distinct parameter names of a text, in order of first occurrence.
std::vector<std::string> parameterNames(std::string_view sql);

// Runs a SELECT and returns its rows as a plain packet. With declared fields,
// the packet's fields are those definitions, in their order, each filled from
// the result column of the same name (ASCII case ignored) and converted to
// the declared type; result columns that are not declared follow with types
// inferred from the database. Without declared fields every column is
// inferred: texts get the size of their longest value. A declared field
// that the result lacks, a missing parameter or a value that does not convert
// throws SqlError; so does a failing statement.
DataPacket sqlSelect(soci::session& session, std::string_view sql, const SqlParams& params,
                     const std::vector<FieldDef>& declared = {});

// Runs a SELECT as sqlSelect does and hands each row's values, in the
// order sqlSelect's packet would hold them, to row instead of keeping them:
// for long results that are only added up. The values are valid during the
// call only.
void sqlEachRow(soci::session& session, std::string_view sql, const SqlParams& params,
                const std::vector<FieldDef>& declared, const std::function<void(const std::vector<Value>&)>& row);

// Runs a statement that returns no rows; answers the number of rows affected.
long long sqlExecute(soci::session& session, std::string_view sql, const SqlParams& params = {});

// A statement prepared once and executed many times (bulk inserts). Its
// parameters are given as types, one per distinct name in order of first
// occurrence; execute() takes the values in that same order and converts
// each to its parameter's type.
class SqlCommand {
 public:
  SqlCommand(soci::session& session, std::string_view sql, const std::vector<FieldType>& types);
  ~SqlCommand();
  SqlCommand(const SqlCommand&) = delete;
  SqlCommand& operator=(const SqlCommand&) = delete;

  long long execute(const std::vector<Value>& values);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
