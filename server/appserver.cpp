#include "server/appserver.h"


#include <iostream>

#include "platform/consiste.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/password.h"
#include "server/storage.h"

namespace server {

using platform::RemoteResult;
using platform::Value;
using Clock = std::chrono::steady_clock;

const std::vector<OperatorArgument>& operatorArguments() {
  static const std::vector<OperatorArgument> table = {
      {"GravaVenda", 3, -1},
      {"CancelaVenda", 3, -1},
      {"DelTipoRece", 1, -1},
      {"GravaVendaReducao", 5, 6},
  };
  return table;
}

// A database session borrowed from the pool for one request.
class AppServer::Lease {
 public:
  explicit Lease(AppServer& server) : server_(server) {}
  ~Lease() {
    if (!conn_) return;
    std::lock_guard lock(server_.poolMutex_);
    server_.idle_.push_back(std::move(conn_));
    server_.poolFree_.notify_one();
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  // Waits for a free session, opening one while the pool is not full.
  // Answers an empty text, or why there is none.
  std::string acquire() {
    std::unique_lock lock(server_.poolMutex_);
    const bool free = server_.poolFree_.wait_for(lock, server_.options_.databaseWait, [&] {
      return !server_.idle_.empty() || server_.opened_ < server_.options_.databaseSessions;
    });
    if (!free) return "O servidor de aplicação está ocupado; tente novamente em instantes.";
    if (!server_.idle_.empty()) {
      conn_ = std::move(server_.idle_.back());
      server_.idle_.pop_back();
      lock.unlock();
      if (alive()) return {};
      // The database ended this session while it waited in the pool (a
      // restart, an administrator, a dropped network): a new one takes its
      // place, instead of every call that draws it failing from then on.
      std::cerr << "vnd-server: sessão do banco de dados perdida; abrindo outra.\n";
      conn_.reset();
    } else {
      ++server_.opened_;
      lock.unlock();
    }
    try {
      conn_ = std::make_unique<platform::SqlConnection>(server_.connString_);
      return {};
    } catch (const std::exception& e) {
      // The driver's text may name hosts and users: it goes to the server's
      // log, not to the client.
      std::cerr << "vnd-server: banco de dados indisponível: " << e.what() << '\n';
      lock.lock();
      --server_.opened_;
      server_.poolFree_.notify_one();
      return "O banco de dados do servidor de aplicação não está disponível.";
    }
  }

  soci::session& session() { return conn_->session(); }
  bool held() const { return conn_ != nullptr; }

 private:
  // Whether the database still answers on the leased session. For
  // PostgreSQL this costs one empty round trip, which the first statement
  // of the call would otherwise be the one to find failing.
  bool alive() {
    try {
      return conn_->session().is_connected();
    } catch (const std::exception&) {
      return false;
    }
  }

  AppServer& server_;
  std::unique_ptr<platform::SqlConnection> conn_;
};

AppServer::AppServer(std::string connString, OperationRegistry registry, AppServerOptions options)
    : connString_(std::move(connString)),
      registry_(std::move(registry)),
      options_(std::move(options)),
      throttle_(options_.logonThrottle) {
  if (options_.databaseSessions < 1) options_.databaseSessions = 1;
  for (const OperatorArgument& rule : operatorArguments()) {
    const OperationSpec* spec = registry_.find(rule.operation);
    if (!spec) continue;
    for (int index : {rule.codeIndex, rule.nameIndex})
      if (index >= 0 && (index >= static_cast<int>(spec->params.size()) || spec->params[index].kind != 'S'))
        throw std::logic_error("operation " + spec->name + " lacks its operator argument " + std::to_string(index + 1));
  }
}

AppServer::~AppServer() = default;

std::string AppServer::objectRefusal(std::string_view object) const {
  if (object.empty() || platform::equalsIgnoreCase(object, options_.serverObject)) return {};
  return "O servidor de aplicação não atende o objeto " + std::string(object) + " (atende " + options_.serverObject +
         ").";
}

namespace {

LogonOutcome refusedLogon(CallStatus status, std::string text) {
  LogonOutcome out;
  out.status = status;
  out.error = std::move(text);
  return out;
}

// Milliseconds since 1970 (UTC): the same on every server instance whose
// clock is kept in time.
double epochMs() {
  return static_cast<double>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
}

// What the database keeps of a token: whoever reads the table cannot use it.
std::string tokenHash(std::string_view token) { return sha256Hex(token); }

// Spends the time of a real check, so that the answer's delay does not tell
// an unknown operator from a wrong password.
void checkAgainstNothing(std::string_view password) {
  static const std::string dummy = hashPassword("", randomSalt());
  verifyPassword(password, dummy);
}

}  // namespace

LogonOutcome AppServer::logon(std::string_view operatorCode, std::string_view password, std::string_view branch,
                              std::string_view address) {
  const std::string code = platform::Ajusta(operatorCode, 12);
  const std::string branchCode = platform::Ajusta(branch, 4);
  if (const auto wait = throttle_.lockedFor(code, address); wait.count() > 0)
    return refusedLogon(CallStatus::Throttled, "Muitas tentativas de entrada sem sucesso. Tente novamente em " +
                                                   std::to_string((wait.count() + 999) / 1000) + " segundos.");
  platform::DataPacket op, fil;
  {
    Lease lease(*this);
    if (std::string why = lease.acquire(); !why.empty()) return refusedLogon(CallStatus::Unavailable, std::move(why));
    try {
      op = platform::sqlSelect(lease.session(),
                               "SELECT NMOPERADOR, DSHASHSENHA, IDATIVO FROM OPERADOR "
                               "WHERE CDOPERADOR = :C",
                               {{"C", code}});
      fil =
          platform::sqlSelect(lease.session(), "SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :F", {{"F", branchCode}});
    } catch (const std::exception& e) {
      std::cerr << "vnd-server: falha ao ler o operador e a filial: " << e.what() << '\n';
      return refusedLogon(CallStatus::Unavailable, "O banco de dados do servidor de aplicação não está disponível.");
    }
  }
  const char* const wrong = "Operador ou senha inválidos.";
  // Failures are logged (the operator code as typed is printable-only, at
  // most 12 characters after Ajusta) and slow the next guesses down.
  auto refuseGuess = [&] {
    std::string shown = code;
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
    const auto lock = throttle_.failed(code, address);
    std::cerr << "vnd-server: entrada recusada: operador " << shown << ", endereço " << address;
    if (lock.count() > 0) std::cerr << "; novas tentativas bloqueadas por " << (lock.count() + 999) / 1000 << " s";
    std::cerr << '\n';
    return refusedLogon(CallStatus::Unauthorized, wrong);
  };
  if (op.rows.empty()) {
    checkAgainstNothing(password);
    return refuseGuess();
  }
  const auto& row = op.rows.front().values;
  if (!verifyPassword(password, row[1].asText())) return refuseGuess();
  throttle_.succeeded(code, address);
  if (platform::trim(row[2].asText()) != "S")
    return refusedLogon(CallStatus::Unauthorized, "Operador " + code + " inativo.");
  if (fil.rows.empty()) return refusedLogon(CallStatus::Unauthorized, "Filial " + branchCode + " não cadastrada.");

  LogonOutcome out;
  out.token = randomToken();
  out.operatorCode = code;
  out.operatorName = platform::trim(row[0].asText());
  out.branchCode = branchCode;
  out.branchName = platform::trim(fil.rows.front().values[0].asText());
  Lease lease(*this);
  if (std::string why = lease.acquire(); !why.empty()) return refusedLogon(CallStatus::Unavailable, std::move(why));
  try {
    const double now = epochMs();
    server::Transaction tx(lease.session());
    platform::sqlExecute(lease.session(), "DELETE FROM SESSAOSERVIDOR WHERE NRULTUSO < :T", {{"T", now - idleMs()}});
    const double open = platform::sqlSelect(lease.session(), "SELECT COUNT(*) AS N FROM SESSAOSERVIDOR", {},
                                            {{"N", platform::FieldType::Integer}})
                            .rows[0]
                            .values[0]
                            .asNumber();
    if (open >= static_cast<double>(options_.maxSessions))
      return refusedLogon(CallStatus::Unavailable,
                          "Limite de sessões do servidor de aplicação atingido; tente mais tarde.");
    platform::sqlExecute(lease.session(),
                         "INSERT INTO SESSAOSERVIDOR (DSHASHTOKEN, CDOPERADOR, NMOPERADOR, "
                         "CDFILIAL, NMFILIAL, NRULTUSO) VALUES (:H, :C, :N, :F, :M, :T)",
                         {{"H", tokenHash(out.token)},
                          {"C", out.operatorCode},
                          {"N", out.operatorName},
                          {"F", out.branchCode},
                          {"M", out.branchName},
                          {"T", now}});
    tx.commit();
  } catch (const std::exception& e) {
    std::cerr << "vnd-server: falha ao registrar a sessão: " << e.what() << '\n';
    return refusedLogon(CallStatus::Unavailable, "O banco de dados do servidor de aplicação não está disponível.");
  }
  return out;
}

void AppServer::logoff(std::string_view token) {
  if (token.empty()) return;
  Lease lease(*this);
  if (!lease.acquire().empty()) return;
  try {
    platform::sqlExecute(lease.session(), "DELETE FROM SESSAOSERVIDOR WHERE DSHASHTOKEN = :H",
                         {{"H", tokenHash(token)}});
  } catch (const std::exception& e) {
    std::cerr << "vnd-server: falha ao encerrar a sessão: " << e.what() << '\n';
  }
}

std::size_t AppServer::sessionCount() {
  Lease lease(*this);
  if (!lease.acquire().empty()) return 0;
  try {
    return static_cast<std::size_t>(
        platform::sqlSelect(lease.session(), "SELECT COUNT(*) AS N FROM SESSAOSERVIDOR WHERE NRULTUSO >= :T",
                            {{"T", epochMs() - idleMs()}}, {{"N", platform::FieldType::Integer}})
            .rows[0]
            .values[0]
            .asNumber());
  } catch (const std::exception&) {
    return 0;
  }
}

std::string AppServer::sessionOf(Lease& lease, std::string_view token, Session& out, CallStatus& status) {
  status = CallStatus::Unauthorized;
  if (token.empty()) return "Sessão não iniciada: entre no sistema antes de usar o servidor de aplicação.";
  if (std::string why = lease.held() ? std::string() : lease.acquire(); !why.empty()) {
    status = CallStatus::Unavailable;
    return why;
  }
  try {
    const std::string hash = tokenHash(token);
    const platform::DataPacket p =
        platform::sqlSelect(lease.session(),
                            "SELECT CDOPERADOR, NMOPERADOR, CDFILIAL, NMFILIAL, NRULTUSO FROM SESSAOSERVIDOR "
                            "WHERE DSHASHTOKEN = :H",
                            {{"H", hash}},
                            {{"CDOPERADOR", platform::FieldType::String, 12},
                             {"NMOPERADOR", platform::FieldType::String, 50},
                             {"CDFILIAL", platform::FieldType::String, 4},
                             {"NMFILIAL", platform::FieldType::String, 30},
                             {"NRULTUSO", platform::FieldType::Float}});
    if (p.rows.empty()) return "Sessão inexistente ou encerrada. Entre novamente no sistema.";
    const auto& v = p.rows[0].values;
    const double now = epochMs(), lastUsed = v[4].asNumber();
    if (now - lastUsed > idleMs()) {
      platform::sqlExecute(lease.session(), "DELETE FROM SESSAOSERVIDOR WHERE DSHASHTOKEN = :H", {{"H", hash}});
      return "Sessão expirada por inatividade. Entre novamente no sistema.";
    }
    // The last use is written at most every tenth of the idle time (and a
    // minute): a call is a read, not a write to the sessions table.
    if (now - lastUsed > std::min(idleMs() / 10, 60000.0))
      platform::sqlExecute(lease.session(), "UPDATE SESSAOSERVIDOR SET NRULTUSO = :T WHERE DSHASHTOKEN = :H",
                           {{"T", now}, {"H", hash}});
    out = Session{v[0].asText(), v[1].asText(), v[2].asText(), v[3].asText(), tokenHash(hash).substr(0, 16)};
    status = CallStatus::Ok;
    return {};
  } catch (const std::exception& e) {
    std::cerr << "vnd-server: falha ao ler a sessão: " << e.what() << '\n';
    status = CallStatus::Unavailable;
    return "O banco de dados do servidor de aplicação não está disponível.";
  }
}

CallOutcome AppServer::checkSession(std::string_view token) {
  Lease lease(*this);
  Session session;
  CallStatus status;
  if (std::string why = sessionOf(lease, token, session, status); !why.empty())
    return {status, RemoteResult::failure(std::move(why))};
  return {};
}

namespace {

// The refusal when an operator argument names someone other than the
// session's operator; empty when the call may go on.
std::string operatorMismatch(const OperationSpec& spec, const std::vector<Value>& args, const std::string& code,
                             const std::string& name) {
  for (const OperatorArgument& rule : operatorArguments()) {
    if (!platform::equalsIgnoreCase(rule.operation, spec.name)) continue;
    const std::string given = platform::trim(args[rule.codeIndex].asText());
    if (given != code)
      return "Operação " + spec.name + ": o operador informado (" + given + ") não é o operador da sessão (" + code +
             ").";
    if (rule.nameIndex >= 0) {
      const std::string givenName = platform::trim(args[rule.nameIndex].asText());
      if (givenName != name)
        return "Operação " + spec.name + ": o nome de operador informado (" + givenName +
               ") não é o do operador da sessão (" + name + ").";
    }
  }
  return {};
}

}  // namespace

CallOutcome AppServer::call(std::string_view token, std::string_view operation, std::vector<Value>& args) {
  // The session is looked up on the database session the call then runs
  // on: one lease (and one liveness check) per request.
  Lease lease(*this);
  Session session;
  CallStatus status;
  if (std::string why = sessionOf(lease, token, session, status); !why.empty())
    return {status, RemoteResult::failure(std::move(why))};
  return callAs(lease, session, operation, args);
}

BatchOutcome AppServer::callBatch(std::string_view token, std::vector<platform::RemoteCall>& calls) {
  BatchOutcome out;
  auto refuse = [&out](CallStatus status, std::string why) {
    out.refusal = {status, RemoteResult::failure(std::move(why))};
    return out;
  };
  Lease lease(*this);
  Session session;
  CallStatus status;
  if (std::string why = sessionOf(lease, token, session, status); !why.empty()) return refuse(status, std::move(why));
  if (std::string why = platform::batchRefusal(calls); !why.empty())
    return refuse(CallStatus::BadRequest, std::move(why));
  for (const platform::RemoteCall& c : calls)
    if (const OperationSpec* spec = registry_.find(c.operation); spec && spec->access != Access::Read)
      return refuse(CallStatus::BadRequest,
                    "A operação " + spec->name + " altera dados e não pode ir num lote de chamadas.");
  std::vector<Value> answers;
  for (platform::RemoteCall& c : calls) {
    platform::resolveAnswerRefs(c, answers);
    out.calls.push_back(callAs(lease, session, c.operation, c.args));
    if (out.calls.back().status != CallStatus::Ok) break;
    answers.push_back(out.calls.back().result.value);
  }
  return out;
}

CallOutcome AppServer::callAs(Lease& lease, const Session& session, std::string_view operation,
                              std::vector<Value>& args) {
  const OperationSpec* spec = registry_.find(operation);
  if (std::string why = registry_.refusal(operation, args); !why.empty())
    return {spec ? CallStatus::BadRequest : CallStatus::UnknownOperation, RemoteResult::failure(std::move(why))};
  if (std::string why = operatorMismatch(*spec, args, session.operatorCode, session.operatorName); !why.empty())
    return {CallStatus::Forbidden, RemoteResult::failure(std::move(why))};
  // The operator was checked without its blanks; the operation records the
  // very code (and name) that was checked, as stored, not the typed text.
  for (const OperatorArgument& rule : operatorArguments()) {
    if (!platform::equalsIgnoreCase(rule.operation, spec->name)) continue;
    args[rule.codeIndex] = Value(session.operatorCode);
    if (rule.nameIndex >= 0) args[rule.nameIndex] = Value(session.operatorName);
  }

  if (std::string why = lease.held() ? std::string() : lease.acquire(); !why.empty())
    return {CallStatus::Unavailable, RemoteResult::failure(std::move(why))};
  OperationContext ctx{lease.session(), session.operatorCode, session.operatorName, session.branchCode, session.tag};
  RemoteResult result = registry_.call(operation, args, ctx);
  return {result.ok ? CallStatus::Ok : CallStatus::Refused, std::move(result)};
}

}  // namespace server
