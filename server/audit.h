#pragma once
// The audit trail: every row a write operation changes in the server's own
// records (sales and their items, item taxes, cancelled items, receipts and
// account movements, consumer balances, register openings and closings, Z
// reductions and their sub-tables) is recorded in AUDITORIA with who wrote
// it (operator, logged-on branch, session), when, through which operation,
// which table and key, and the changed columns before and after (compact
// JSON objects).
//
// Recording is tied to the write operation's transaction: the registry opens
// an AuditTrail around each write handler, the storage layer and the few
// direct writes report their changes to it, and append() writes them just
// before the commit. A refused or failing operation therefore leaves no
// audit row, and an accepted one never leaves its changes unrecorded.
//
// Rows are chained: each stores the SHA-256 of its content followed by the
// previous row's hash, and AUDITORIACADEIA keeps the last number and hash.
// Appending locks that head row (PostgreSQL; SQLite's writer lock is held
// from the transaction's start), so concurrent writers queue and the chain
// never forks. verifyAuditTrail() walks it and names the first broken link.
//
// Thread-safety: a trail belongs to the thread and session that opened it;
// verifying and reading need a session of their own.

#include <soci/soci.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/datapacket.h"
#include "platform/sqlaccess.h"
#include "platform/value.h"

namespace server {

// Who writes, and through which remote operation.
struct AuditActor {
  std::string operation;
  std::string operatorCode, operatorName;
  std::string branch;   // the branch the session logged on at
  std::string session;  // a short public tag of the session (never its token)
};

// A row as column name and value pairs, in table order.
using RowImage = std::vector<std::pair<std::string, platform::Value>>;

class AuditTrail {
 public:
  // Starts recording the changes made on `db` by this thread.
  AuditTrail(soci::session& db, AuditActor actor);
  ~AuditTrail();
  AuditTrail(const AuditTrail&) = delete;
  AuditTrail& operator=(const AuditTrail&) = delete;

  // Records one row's change: an insert has no `before`, a deletion no
  // `after`; a change keeps only the columns whose value differs (and is
  // dropped when none does).
  void record(std::string_view table, const std::vector<std::string>& keyColumns, const RowImage* before,
              const RowImage* after);

  // Writes the recorded changes to the chain, in the order they were made.
  void append();

  std::size_t pending() const { return changes_.size(); }

 private:
  friend AuditTrail* activeAuditTrail(soci::session& db);
  struct Change {
    char kind;  // 'I' insert, 'A' change, 'E' deletion
    std::string table, key, filial, caixa, venda, before, after;
  };
  soci::session& db_;
  AuditActor actor_;
  std::vector<Change> changes_;
  AuditTrail* outer_;
};

// The trail recording on this thread for `db`, or nullptr.
AuditTrail* activeAuditTrail(soci::session& db);

// The key columns of the tables whose direct writes are audited.
const std::vector<std::string>& auditKeyOf(std::string_view table);

// Runs `write` (a statement on `table` touching the rows `where` selects)
// and records how those rows changed. Without an active trail it just runs
// `write`.
void auditedWrite(soci::session& db, std::string_view table, std::string_view where, const platform::SqlParams& params,
                  const std::function<void()>& write);

// Records as deleted the rows that go along with a deleted row of `table`
// through the schema's ON DELETE CASCADE (a sale's items, taxes, cancelled
// items, receipts and account movements; an item's taxes; a Z reduction's
// sub-tables). Call it before deleting the row; `row` carries at least the
// parent's key.
void auditCascade(soci::session& db, std::string_view table, const RowImage& row);

// The hash of a row of the chain: its fields (in the order of AUDITORIA's
// columns, number first, hash last left out) each with its length in front,
// so that no two different rows give the same text, then the previous row's
// hash (64 zeros before the first row).
std::string auditRowHash(const std::vector<std::string>& fields, const std::string& previous);

// --- reading the trail -------------------------------------------------------

struct AuditCheck {
  bool ok = true;
  long long rows = 0;     // rows walked (all of them when ok)
  long long brokenAt = 0; // the first row whose link is broken
  std::string message;    // Portuguese: "ok" with the count, or what broke
};

// Walks the whole chain in order: each row's number follows the previous
// one, its stored hash is the hash of its content and the previous hash, and
// the head row names the last row and its hash.
AuditCheck verifyAuditTrail(soci::session& db);

// A sale's audit rows (the sale, its items, item taxes, cancelled items,
// receipts and account movements), oldest first: when (dd/mm/yyyy
// hh:nn:ss), operator, operation, kind ("I", "A", "E"), table, the row's key
// beyond the sale's, and the changes ("COLUMN: old → new; ...").
platform::DataPacket saleHistory(soci::session& db, const std::string& branch, const std::string& register_,
                                 const std::string& sale);
std::vector<platform::FieldDef> saleHistoryFields();

}  // namespace server
