#pragma once
// The server's storage primitives: reading a SELECT as the data packet a
// client record set loads, applying a record set's change log (delta) to a
// table, and a scoped transaction.
//
// Delta application is optimistic: a modified or deleted row is found by its
// key as the client read it, and the stored row must still hold the original
// values of every field the delta carries; otherwise another user changed or
// deleted it in the meantime and the whole operation is refused with a
// ConflictError, never overwriting silently. Nothing is committed here: the
// caller runs applyDelta inside its Transaction, so a refused or failing row
// leaves nothing of the operation behind.
//
// Thread-safety: as the session: one thread at a time per session.

#include <soci/soci.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/abort.h"
#include "platform/datapacket.h"
#include "platform/sqlaccess.h"

namespace server {

// Rolls back unless committed. On SQLite the write lock is taken at begin,
// so that two writers wait for each other (busy timeout) instead of failing
// half-way with a stale snapshot.
class Transaction {
 public:
  explicit Transaction(soci::session& session);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();
  void rollback();

 private:
  soci::session& session_;
  bool open_ = true;
};

// The stored row no longer matches what the client read, or a new row's key
// is already taken. The text is meant for the user.
class ConflictError : public platform::UserError {
 public:
  using platform::UserError::UserError;
};

// Runs a parameterised SELECT and yields the packet a client record set
// declares: exactly the given fields, in their order, filled from the result
// columns of the same names and converted to their types. A declared field
// the result lacks, or a result column not declared, throws SqlError.
platform::DataPacket selectPacket(soci::session& session, std::string_view sql, const platform::SqlParams& params,
                                  const std::vector<platform::FieldDef>& fields);

struct DeltaOptions {
  // Delta fields written to the table. Empty: every delta field that is a
  // column of the table (joined and calculated fields are left out).
  std::vector<std::string> columns;
};

struct DeltaCounts {
  int inserted = 0, modified = 0, deleted = 0;
  friend bool operator==(const DeltaCounts&, const DeltaCounts&) = default;
};

// Applies the Insert, Modify and Delete rows of a delta to a table whose key
// is keyFields (all of them must be among the delta's fields). Throws
// ConflictError as described above, SqlError on a database failure.
DeltaCounts applyDelta(soci::session& session, std::string_view table, const std::vector<std::string>& keyFields,
                       const platform::DataPacket& delta, const DeltaOptions& options = {});

// Whether two values of a field of this type are the same for the
// concurrency rule above: texts without trailing blanks, an empty text equal
// to null; numbers within a 1e-9 relative tolerance; date-times to the
// second.
bool sameFieldValue(const platform::Value& a, const platform::Value& b, platform::FieldType type);

// Column names of a table, upper case, in table order.
std::vector<std::string> tableColumns(soci::session& session, std::string_view table);

}  // namespace server
