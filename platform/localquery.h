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
// The query declares its fields (name, type, size, label, visibility), as
// the query component of the screens does; open() yields the rows with
// those fields, and result columns that are not declared with types taken
// from the database.
//
// A query is a read-only record set (a ClientDataSet): open() loads its
// rows with setData, so it can be listed by a look-up dialog, shown by a
// grid or read through its fields; declared fields keep their labels and
// visibility and every field is read-only; inserting, editing and deleting
// are refused (std::logic_error, through its before-events). Besides the
// record set's own navigation, the query keeps its cursor loop:
// `for (first(); !eof(); next())`, after which fieldByName reads null.
// fieldByName gives a value; the Field objects are reached through
// findField() or as a ClientDataSet.
//
// A query created without a connection runs on the shared local database
// connection (dtmDBGeral, logon.h) in force when it opens.
//
// Thread-safety: one thread at a time, like the connection it runs on.

#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/dataset.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "platform/value.h"

namespace platform {

struct QueryField {
  FieldDef def;
  std::string label;  // display label of a look-up column
  bool visible = true;
};

class TADOIBQuery : public ClientDataSet {
 public:
  explicit TADOIBQuery(SqlConnection* connection = nullptr) : TADOIBQuery(std::string(), connection) {}
  explicit TADOIBQuery(std::string name, SqlConnection* connection = nullptr);

  std::string SQL;  // generic text, used when the dialect has no text of its own
  std::string SQL_ORACLE, SQL_MSSQL, SQL_IB, SQL_SQLITE, SQL_POSTGRESQL;

  void setConnection(SqlConnection* connection) { connection_ = connection; }
  // The connection open() runs on: its own, else the shared one.
  SqlConnection* connection() const;

  // The text that runs on a dialect: the dialect's own, or the generic one.
  const std::string& textFor(SqlDialect dialect) const;

  // Declares a field (the query is closed first).
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

  // The rows as a plain packet.
  DataPacket packet() const { return data(); }
  void first();
  // From the last row, leaves the cursor past it (eof, values null).
  void next();

  // Value of a field on the current row; null when the query is closed,
  // empty or past its last row. An unknown field name throws SqlError.
  Value fieldByName(std::string_view name) const;

 private:
  SqlConnection* connection_;
  std::vector<QueryField> fields_;
  SqlParams params_;
  bool pastEnd_ = false;
};

}  // namespace platform
