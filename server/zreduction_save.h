#pragma once
// Writing a Z reduction and its sub-tables from the screen's change logs.
//
// The caller's transaction holds the whole write: every rule below refuses
// with OperationError (a Portuguese text for the user), a stored row changed
// by someone else with ConflictError, and either undoes everything.
// Thread-safety: as the session.
//
// Order: deletions first, children before their Z reduction (observations,
// payment forms, totalizers, taxes, then the record); then new and changed
// Z reductions; then new and changed sub-table rows, in the same order as
// the screen lists its pages (taxes, totalizers, payment forms,
// observations). So a row deleted and typed again goes through, a sub-table
// row may belong to a Z reduction created in the same call, and a row of a
// deleted Z reduction is refused.
//
// Rules, checked on the stored state before anything is written:
// - An approved Z reduction (IDSTATUS "A") and its sub-tables take no change
//   at all; a sub-table row of a Z reduction that does not exist is refused.
// - Once the register's day is closed, the figures the closing verified (the
//   record and its taxes by rate) can no longer be changed or deleted.
// And on each new or changed row, with the screen's own texts:
// - Z reduction: the mandatory fields; grand total not below the gross sale;
//   net sale = gross − cancellations − discounts (to the cent); first coupon
//   not after the last; at most one Z reduction per printer number and per
//   serial number on a day; printer number, date, serial number and approval
//   status are never changed through this screen.
// - Tax by rate: a registered tax (found by its abbreviation when the code is
//   missing), rate and base given, a tax and rate only once per Z reduction;
//   the tax amount is the server's: rate × base / 100 cut to cents.
// - Totalizer: number, description, counter and value given, a number only
//   once per Z reduction.
// - Payment form: a registered payment type given once per Z reduction, a
//   value, a registered origin receipt type when one is given.
// - Observation: a numeric code of up to 4 digits not yet used, a text;
//   observations are never changed; a new one is stamped with the operator.
// And after the writes, on the Z reductions whose taxes or payment forms
// were written:
// - ICMS bases by rate + tax substitution + exempt + non-incidence totals
//   must not exceed the net sale;
// - the payment forms must not exceed the net sale, and for each origin
//   receipt type written, the day's payment forms of that origin must not
//   exceed the receipts of that type of the day's sales.

#include <string>

#include "platform/datapacket.h"

namespace soci {
class session;
}

namespace server {

// The change logs of one save; null (or an empty packet) where a record set
// has no pending changes.
struct ZReductionChanges {
  const platform::DataPacket* record = nullptr;        // cdsReducaoZ -> REDUCAOZ
  const platform::DataPacket* taxes = nullptr;         // cdsImposto -> IMPOSTOREDZ
  const platform::DataPacket* totalizers = nullptr;    // cdsTotaliz -> TOTNFISCREDZ
  const platform::DataPacket* forms = nullptr;         // cdsFormaPag -> FORMPGTOREDZ
  const platform::DataPacket* observations = nullptr;  // cdsObservacao -> OBSREDUCAOZ
};

// Applies the changes as described above. `operatorCode` stamps new
// observations (left empty when it is not a registered operator).
void saveZReduction(soci::session& db, const ZReductionChanges& changes, const std::string& operatorCode);

// Texts shared with the check operations.
extern const char* const kApprovedText;  // the approval lock's text
extern const char* const kClosedText;    // "Operação Bloqueada! Caixa fechado."

}  // namespace server
