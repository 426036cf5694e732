#pragma once
// What the sale operations share: reading a sale together with its register
// opening, the guards every change of a sale passes, next numbers, reading
// arguments and delta rows, and applying a delta so that a conflict with
// another user's change is the operation's refusal.
//
// Everything runs on the caller's session, inside the transaction the
// operation registry opened around the call.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/sqlaccess.h"
#include "platform/value.h"
#include "server/operation.h"
#include "server/storage.h"

namespace server::sale {

using platform::DataPacket;
using platform::DateTime;
using platform::FieldDef;
using platform::PacketRow;
using platform::Value;

// Texts the screen's catalogue also shows; the server answers with them so
// that a refusal reads the same wherever it is detected.
inline constexpr const char* kCaixaFechado = "Operação Bloqueada! Caixa fechado.";
inline constexpr const char* kReducaoAprovada =
    "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a "
    "Redução Z deste dia está com status de Aprovada.";
inline constexpr const char* kVendaNaoPendente = "Operação bloqueada. A venda não está pendente.";
inline constexpr const char* kConsumidorDeveSer = "Operação Bloqueada. Consumidor da venda deve ser informado.";

struct SaleKey {
  std::string filial, caixa, nrSeq;
  friend bool operator==(const SaleKey&, const SaleKey&) = default;
};

struct SaleInfo {
  SaleKey key;
  std::string status, origin, stock, client, consumer, observation;
  SaleKey opening;    // CDFILIALTUR, CDCAIXATUR (nrSeq unused)
  DateTime openedAt;  // DTABERTUR: the register opening the sale belongs to
  DateTime day;       // DTENTRVENDA: the movement date, the sale's fiscal day
  bool registerClosed = false;
};

// The sale, or nothing when it does not exist. On PostgreSQL the sale row is
// locked until the transaction ends, so that changes of its receipts, items
// and status are serialised with its conclusion and cancellation.
std::optional<SaleInfo> findSale(soci::session& db, const SaleKey& key);
// As findSale; a missing sale is refused.
SaleInfo requireSale(soci::session& db, const SaleKey& key);

// Why the sale's day may no longer change (its register opening is closed,
// or a Z reduction of its register and day is approved); empty when it may.
std::string lockedReason(soci::session& db, const SaleInfo& sale);
// Refuses (OperationError) a locked day and, with pendingOnly, a sale that
// is not pending.
void requireChangeable(soci::session& db, const SaleInfo& sale, bool pendingOnly);

// MAX + 1 of a zero-padded numbering, as text of `width` digits. `maxSql`
// selects the highest number stored as one column M (null when none).
// Computed inside the caller's transaction; two callers may still be given
// the same number, and the table's primary key refuses the second insert.
std::string nextNumber(soci::session& db, const std::string& maxSql, const platform::SqlParams& params, int width);

// Like nextNumber, but the number is reserved when it is handed out: the
// numbering `series` of `scope` (e.g. "VENDA" of branch and register) keeps
// the last number given in table NUMERACAO, and the answer is above both
// that and the highest stored one. Two callers never receive the same
// number; a number given to an insert that is then cancelled stays unused.
// Needs a write transaction: the counter row is locked until the caller's
// transaction ends.
std::string reserveNumber(soci::session& db, const std::string& series, const std::string& scope,
                          const std::string& maxSql, const platform::SqlParams& params, int width);

// Rounded to cents, half away from zero (the screen's RoundDec).
double cents(double value);

// Arguments as the registry hands them over (Null for any kind).
std::string textArg(const Value& v);
DateTime dateArg(const Value& v);
// The packet, or an empty one for Null.
const DataPacket& packetArg(const Value& v);

// The values a delta row stands for: new values for Insert and Modify, the
// stored values for Delete.
const std::vector<Value>& rowValues(const PacketRow& row);
// The values the client read: originals for Modify and Delete, empty for Insert.
const std::vector<Value>& readValues(const PacketRow& row);
// A field of those values by name; Null when the delta does not carry it.
Value fieldOf(const DataPacket& delta, const std::vector<Value>& values, std::string_view name);
// The sale that row values of a sale's child record set belong to.
SaleKey saleOf(const DataPacket& delta, const std::vector<Value>& values);

// Checks each distinct sale the delta's rows belong to, once, with
// requireChangeable; answers them in order of first appearance.
std::vector<SaleInfo> requireChangeableSales(soci::session& db, const DataPacket& delta, bool pendingOnly);

// Sets the named fields that are null in Insert and Modify rows to 0 (money
// columns that default to zero but refuse an explicit null).
DataPacket zeroNulls(const DataPacket& delta, const std::vector<std::string>& fields);

// applyDelta, with a conflict (row changed or deleted by another user, key
// already taken) turned into the operation's refusal.
DeltaCounts applyChanges(soci::session& db, std::string_view table, const std::vector<std::string>& keyFields,
                         const DataPacket& delta);

// A consumer account.
struct Consumer {
  std::string client, code;
  bool empty() const;
  friend bool operator==(const Consumer&, const Consumer&) = default;
};

// The operator to record with a movement: Null for an empty code; an
// unregistered code is refused.
Value operatorOrNull(soci::session& db, const std::string& code);

// Books one consumer-account movement tied to a sale, numbered per consumer:
// kind 'D' (debit) lowers the consumer's balance by `amount`, 'C' (credit)
// raises it. A consumer without a balance row gets one.
void bookConsumer(soci::session& db, const Consumer& consumer, char kind, double amount, const std::string& description,
                  const SaleKey& sale, const Value& op);

// Credits back, per consumer, whatever the sale's account movements still
// hold debited (used when the sale is cancelled).
void refundSaleDebits(soci::session& db, const SaleInfo& sale, const std::string& description, const Value& op);

// Registration of each file's operations (called by registerSaleOperations).
void registerItemOperations(OperationRegistry& registry);
void registerReceiptOperations(OperationRegistry& registry);
void registerConcludeOperations(OperationRegistry& registry);
void registerCancelledItemOperations(OperationRegistry& registry);

}  // namespace server::sale
