#pragma once
// The application server object: the operation registry, a pool of database
// sessions and the table of logged-on sessions. Every transport (HTTP,
// in-process) goes through it, so both serve exactly the same rules:
//
// - Only logged-on sessions are served. A logon checks the operator's code
//   and password against OPERADOR and the branch against FILIAL and issues a
//   random token (256 bits from OpenSSL's generator). Sessions live in the
//   database (SESSAOSERVIDOR, the token only as its hash), so a restart logs
//   nobody off and every server instance over the database serves them. A
//   session expires after `sessionIdle` without calls.
// - The operator an operation records must be the session's operator: write
//   operations that carry the operator's code (and name) as an argument are
//   refused when it differs, so that nobody books work under another
//   operator's name.
// - Arguments are checked against the operation's signature before anything
//   runs; each call runs in its own transaction on a pooled session. A
//   pooled session the database has ended (restart, administrator, dropped
//   network) is found before the call and replaced by a new one.
//
// Thread-safety: every member may be called from any number of threads at
// once; calls wait for a free database session.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/remotebatch.h"
#include "platform/remoteresult.h"
#include "platform/sqlconnection.h"
#include "platform/value.h"
#include "server/logonthrottle.h"
#include "server/operation.h"

namespace server {

inline constexpr std::string_view kServerObject = "Vnd02600.rdmManutVenda";

struct AppServerOptions {
  std::string serverObject{kServerObject};
  int databaseSessions = 4;
  // A working shift: the screen has no way to log on again by itself.
  std::chrono::milliseconds sessionIdle = std::chrono::hours(8);
  std::chrono::milliseconds databaseWait = std::chrono::seconds(30);
  std::size_t maxSessions = 10000;
  LogonThrottleOptions logonThrottle;
};

// How a request ended, for the transport to report (HTTP maps each to its
// status code).
enum class CallStatus {
  Ok,
  Refused,     // the operation ran and failed (its own refusal, a conflict...)
  BadRequest,  // wrong number or types of arguments
  UnknownOperation,
  Unauthorized,  // no session, an expired one, or a refused logon
  Forbidden,     // operator argument of another operator
  Unavailable,   // the database cannot be reached or every session stays busy
  Throttled,     // too many failed logons of the operator or from the address
};

struct CallOutcome {
  CallStatus status = CallStatus::Ok;
  platform::RemoteResult result;  // the failure text when status != Ok
};

struct BatchOutcome {
  CallOutcome refusal;  // of the whole batch, when its status is not Ok
  std::vector<CallOutcome> calls;
};

struct LogonOutcome {
  CallStatus status = CallStatus::Ok;
  std::string error;
  std::string token;
  std::string operatorCode, operatorName;
  std::string branchCode, branchName;
};

// Which argument (0-based) of a write operation carries the operator's code,
// and which its name (-1: none).
struct OperatorArgument {
  std::string_view operation;
  int codeIndex;
  int nameIndex;
};
const std::vector<OperatorArgument>& operatorArguments();

class AppServer {
 public:
  // Database sessions are opened on demand; a database that cannot be
  // opened makes calls Unavailable rather than failing here.
  AppServer(std::string connString, OperationRegistry registry, AppServerOptions options = {});
  ~AppServer();
  AppServer(const AppServer&) = delete;
  AppServer& operator=(const AppServer&) = delete;

  const std::string& serverObject() const { return options_.serverObject; }
  const OperationRegistry& registry() const { return registry_; }
  // Empty when a request for `object` is this server's (names compare
  // ignoring case; a request that names none is), else the refusal.
  std::string objectRefusal(std::string_view object) const;

  // `address` is the client's (for throttling failed logons).
  LogonOutcome logon(std::string_view operatorCode, std::string_view password, std::string_view branch,
                     std::string_view address = "local");
  // Ends a session; an unknown or expired token is no error.
  void logoff(std::string_view token);
  // Ok when the token names a live session (and restarts its idle clock),
  // else Unauthorized with the reason.
  CallOutcome checkSession(std::string_view token);
  // Runs an operation for a session; by-reference arguments come back
  // updated in `args` when the status is Ok.
  CallOutcome call(std::string_view token, std::string_view operation, std::vector<platform::Value>& args);
  // Runs reads for a session in order, each as call() runs it alone (its
  // checks, its own transaction), its references resolved from the answers
  // before it, and stops after the first that does not succeed: one outcome
  // per call run, the failure last. A session that is not live, or a batch
  // that cannot run as sent (too many calls, a bad reference, an operation
  // that writes: a write's failure is handled by the screen call by call),
  // refuses the whole batch and nothing runs.
  BatchOutcome callBatch(std::string_view token, std::vector<platform::RemoteCall>& calls);

  // Live sessions in the database (all instances'); 0 when it cannot be read.
  std::size_t sessionCount();

 private:
  struct Session {
    std::string operatorCode, operatorName, branchCode, branchName;
    std::string tag;  // names the session in the audit trail without revealing its token
  };
  class Lease;
  double idleMs() const { return static_cast<double>(options_.sessionIdle.count()); }

  // Empty when the token names a live session (then in `out`), else why not.
  // Unavailable is set when the database could not be asked.
  // `lease` is acquired when it is not held yet.
  std::string sessionOf(Lease& lease, std::string_view token, Session& out, CallStatus& status);
  CallOutcome callAs(Lease& lease, const Session& session, std::string_view operation,
                     std::vector<platform::Value>& args);

  std::string connString_;
  OperationRegistry registry_;
  AppServerOptions options_;
  LogonThrottle throttle_;

  std::mutex poolMutex_;
  std::condition_variable poolFree_;
  std::vector<std::unique_ptr<platform::SqlConnection>> idle_;
  int opened_ = 0;
};

}  // namespace server
