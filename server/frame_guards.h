#pragma once
// The server's side of the screen's change guards. The screen checks them
// before it lets a user touch a register's day; the server checks them again
// before it writes, so a client that skips a check (or a stale screen) cannot
// change what the back office has already settled. Each refusal throws
// OperationError with the text the screen itself shows for the same case.
//
// All functions run on the caller's session, inside its transaction.

#include <optional>
#include <string>

#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

// The branch's sale parameters forbid sales maintenance (IDPERMANUTVEN "N").
// A branch without parameters permits it, as the screen does.
void checkBranchPermits(soci::session& db, const std::string& filial);

// The register's Z reduction of the day (any printer) is approved ("A").
void checkDayNotApproved(soci::session& db, const std::string& filial, const std::string& caixa,
                         platform::DateTime day);

// The branch's movement-date window around its processing date: a day after
// the processing date needs IDPERLANCPOSDP "S" and at most NRDIAPOSLANC days;
// a day before it needs IDPERLANCANTDP "S" and at most NRDIAANTLANC days; the
// processing day itself, or a branch without one, always passes.
void checkMovementWindow(soci::session& db, const std::string& filial, platform::DateTime day);

struct OpeningState {
  platform::DateTime movementDay;
  bool closed = false;
};
// The register opening (TURCAIXA) with this key, if stored.
std::optional<OpeningState> findOpening(soci::session& db, const std::string& filial, const std::string& caixa,
                                        platform::DateTime opened);

// Refusal texts shared by several operations.
extern const char* const kClosedRegister;  // "Operação Bloqueada! Caixa fechado."
extern const char* const kMissingOpening;  // the opening named does not exist

}  // namespace server
