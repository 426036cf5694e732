#pragma once
// The application server's operations: each remote operation is registered
// by name with its argument signature and a handler. The registry checks
// every call's arity and argument types before the handler runs, runs the
// handler inside one database transaction (committed only when the handler
// returns normally) and turns failures into a RemoteResult the client's
// result check understands.
//
// Signatures use one letter per argument, in order: S text, D date-time,
// F number, P data packet; a following '&' marks an argument passed by
// reference (the handler may replace it and the caller gets it back).
// Null is accepted for every kind: the client sends Null for an empty
// change log or an empty date.
//
// Thread-safety: a registry is built once at start-up and then only read;
// call() may run concurrently on distinct contexts (one database session
// per context).

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/remoteresult.h"
#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

// A refusal meant for the user: its text is shown as it stands (Portuguese),
// or is a catalogue key the screen translates (e.g. "Dif_Vr_Reduz").
class OperationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OperationContext {
  OperationContext(soci::session& session, std::string code = {}, std::string name = {}, std::string branch = {},
                   std::string tag = {})
      : db(session),
        operatorCode(std::move(code)),
        operatorName(std::move(name)),
        branchCode(std::move(branch)),
        sessionTag(std::move(tag)) {}

  soci::session& db;
  std::string operatorCode;  // the logged-on operator of the calling session
  std::string operatorName;
  std::string branchCode;  // the branch the session logged on at
  std::string sessionTag;  // a short public tag of the session, for the audit trail
};

using OperationFn = std::function<platform::Value(OperationContext&, std::vector<platform::Value>& args)>;

struct ParamSpec {
  char kind = 'S';  // 'S', 'D', 'F' or 'P'
  bool byRef = false;
};

// Reads run in a deferred transaction (a consistent snapshot; on SQLite in
// WAL mode readers never wait for writers). Writes take the write lock when
// they begin, so two writers wait for each other instead of the second
// failing half-way with a stale snapshot.
enum class Access { Read, Write };

struct OperationSpec {
  std::string name;
  std::vector<ParamSpec> params;
  OperationFn handler;
  Access access = Access::Write;
};

// The access an operation gets when its registration does not say: the
// operations whose names ask for something (Get…, Prx…, Verif…, Vd…,
// Retorna…) only read; every other one may write.
Access defaultAccess(std::string_view name);

// Parses "SSD" / "P&P&P&S"; throws std::invalid_argument on a bad signature.
std::vector<ParamSpec> parseSignature(std::string_view signature);

class OperationRegistry {
 public:
  // Registers an operation; a second registration of the same name (compared
  // ignoring letter case) throws std::logic_error.
  void add(std::string name, std::string_view signature, OperationFn handler);
  void add(std::string name, std::string_view signature, Access access, OperationFn handler);

  // Operation names match ignoring letter case, as the client's calls do.
  const OperationSpec* find(std::string_view name) const;
  std::vector<std::string> names() const;

  // Why a call would be refused before its handler runs (an unknown
  // operation, a wrong number of arguments, an argument of the wrong type),
  // in Portuguese; empty when the call may run.
  std::string refusal(std::string_view name, const std::vector<platform::Value>& args) const;

  // Checks the arguments against the signature, then runs the handler in a
  // transaction. Unknown operations, wrong arity or types, OperationError
  // and any other failure come back as RemoteResult::failure with a
  // Portuguese text; the transaction is then rolled back, so a failing
  // write leaves nothing behind. By-reference arguments are updated in
  // `args` on success.
  // Every write operation records what it changed in the audit trail, in
  // its own transaction. Turning the trail off exists only to measure its
  // cost; a server never does it.
  platform::RemoteResult call(std::string_view name, std::vector<platform::Value>& args, OperationContext& ctx) const;
  void setAuditTrail(bool on) { auditTrail_ = on; }

 private:
  std::map<std::string, OperationSpec, std::less<>> ops_;  // key: upper-case name
  bool auditTrail_ = true;
};

}  // namespace server
