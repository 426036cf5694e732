#pragma once
// TADOIBQuery: a read-only SQL query on the shared local database connection,
// as the screens use it for look-ups and validations. It carries one text per
// database dialect (SQL_ORACLE, SQL_MSSQL, SQL_IB, SQL_SQLITE,
// SQL_POSTGRESQL) and a generic text SQL used where the dialect has none;
// open() runs the text for the connection's dialect.
//
// Parameters are named in the texts (":P_CDFILIAL"); a name may occur
// several times. Every parameter of the text is bound: one never set is
// null. Values are never spliced into the text.
//
// The query declares its fields (name, type, size, label), as the query
// component of the screens does; open() yields the rows with those fields,
// and result columns that are not declared with types taken from the
// database. A cursor walks the rows (first, next, eof).
//
// Thread-safety: one thread at a time, like the connection it runs on.

#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "platform/value.h"

namespace platform {

struct QueryField {
  FieldDef def;
  std::string label;  // display label of a look-up column
  bool visible = true;
};

class TADOIBQuery {
 public:
  explicit TADOIBQuery(SqlConnection* connection = nullptr) : connection_(connection) {}

  std::string SQL;  // generic text, used when the dialect has no text of its own
  std::string SQL_ORACLE, SQL_MSSQL, SQL_IB, SQL_SQLITE, SQL_POSTGRESQL;

  void setConnection(SqlConnection* connection) { connection_ = connection; }

  // The text that runs on a dialect: the dialect's own, or the generic one.
  const std::string& textFor(SqlDialect dialect) const;

  void declareField(FieldDef def, std::string label = {}, bool visible = true);
  const std::vector<QueryField>& declaredFields() const { return fields_; }

  // Sets a parameter by name (ASCII case ignored); null clears it.
  void setParam(std::string_view name, Value value);
  Value param(std::string_view name) const;
  void clearParams() { params_.clear(); }

  // Runs the text for the connection's dialect and loads its rows; the
  // cursor is on the first row. Throws SqlError (no connection, no text for
  // the dialect, a statement that is not a query, a database failure); the
  // query is then closed.
  void open();
  void close();
  bool active() const { return active_; }

  const DataPacket& packet() const { return packet_; }
  int recordCount() const { return static_cast<int>(packet_.rows.size()); }
  bool isEmpty() const { return packet_.rows.empty(); }
  void first() { row_ = 0; }
  void next() {
    if (row_ < packet_.rows.size()) ++row_;
  }
  bool eof() const { return row_ >= packet_.rows.size(); }

  // Value of a field on the current row; null when there is no current row.
  // An unknown field name throws SqlError.
  Value fieldByName(std::string_view name) const;

 private:
  SqlConnection* connection_;
  std::vector<QueryField> fields_;
  SqlParams params_;
  DataPacket packet_;
  size_t row_ = 0;
  bool active_ = false;
};

}  // namespace platform
