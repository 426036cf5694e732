#include "server/operation.h"
#include "platform/sqlconstraint.h"

#include <soci/soci.h>

#include <iostream>

#include "platform/abort.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/storage.h"
#include "server/valuedomain.h"

namespace server {

using platform::RemoteResult;
using platform::Value;
using platform::ValueType;

std::vector<ParamSpec> parseSignature(std::string_view signature) {
  std::vector<ParamSpec> out;
  for (char c : signature) {
    if (c == '&') {
      if (out.empty() || out.back().byRef) throw std::invalid_argument("bad signature");
      out.back().byRef = true;
    } else if (c == 'S' || c == 'D' || c == 'F' || c == 'P') {
      out.push_back({c, false});
    } else {
      throw std::invalid_argument("bad signature");
    }
  }
  return out;
}

Access defaultAccess(std::string_view name) {
  const std::string upper = platform::upperAscii(name);
  for (const char* prefix : {"GET", "PRX", "VERIF", "VD", "RETORNA"})
    if (upper.rfind(prefix, 0) == 0) return Access::Read;
  return Access::Write;
}

void OperationRegistry::add(std::string name, std::string_view signature, OperationFn handler) {
  const Access access = defaultAccess(name);
  add(std::move(name), signature, access, std::move(handler));
}

void OperationRegistry::add(std::string name, std::string_view signature, Access access, OperationFn handler) {
  std::string key = platform::upperAscii(name);
  if (ops_.count(key)) throw std::logic_error("operation registered twice: " + name);
  ops_.emplace(std::move(key), OperationSpec{std::move(name), parseSignature(signature), std::move(handler), access});
}

const OperationSpec* OperationRegistry::find(std::string_view name) const {
  auto it = ops_.find(platform::upperAscii(name));
  return it == ops_.end() ? nullptr : &it->second;
}

std::vector<std::string> OperationRegistry::names() const {
  std::vector<std::string> out;
  for (const auto& [key, spec] : ops_) out.push_back(spec.name);
  return out;
}

namespace {

bool accepts(char kind, const Value& v) {
  if (v.isNull()) return true;
  switch (kind) {
    case 'S':
      return v.isText();
    case 'D':
      return v.isDateTime() || v.isNumber();
    case 'F':
      return v.isNumber();
    case 'P':
      return v.isPacket();
  }
  return false;
}

const char* kindName(char kind) {
  switch (kind) {
    case 'S':
      return "texto";
    case 'D':
      return "data";
    case 'F':
      return "número";
    case 'P':
      return "pacote de dados";
  }
  return "?";
}

}  // namespace

std::string OperationRegistry::refusal(std::string_view name, const std::vector<Value>& args) const {
  const OperationSpec* spec = find(name);
  if (!spec) return "Operação desconhecida no servidor: " + std::string(name) + ".";
  if (args.size() != spec->params.size())
    return "Operação " + spec->name + ": esperados " + std::to_string(spec->params.size()) + " argumentos, recebidos " +
           std::to_string(args.size()) + ".";
  for (size_t i = 0; i < args.size(); ++i)
    if (!accepts(spec->params[i].kind, args[i]))
      return "Operação " + spec->name + ": o argumento " + std::to_string(i + 1) + " deve ser " +
             kindName(spec->params[i].kind) + ".";
  for (size_t i = 0; i < args.size(); ++i)
    if (std::string why = valueRefusal(args[i], "argumento " + std::to_string(i + 1)); !why.empty())
      return "Operação " + spec->name + ": " + why;
  return {};
}

RemoteResult OperationRegistry::call(std::string_view name, std::vector<Value>& args, OperationContext& ctx) const {
  if (std::string why = refusal(name, args); !why.empty()) return RemoteResult::failure(std::move(why));
  const OperationSpec* spec = find(name);
  // The handler works on a copy, so that only by-reference arguments change
  // for the caller. Dates may arrive as plain day counts from clients that
  // have no date type.
  std::vector<Value> work = args;
  for (size_t i = 0; i < work.size(); ++i)
    if (spec->params[i].kind == 'D' && work[i].isNumber()) work[i] = platform::DateTime(work[i].number());
  try {
    Value result;
    if (spec->access == Access::Read) {
      soci::transaction tr(ctx.db);
      result = spec->handler(ctx, work);
      tr.commit();
    } else {
      Transaction tr(ctx.db);
      if (auditTrail_) {
        AuditTrail trail(ctx.db, {spec->name, ctx.operatorCode, ctx.operatorName, ctx.branchCode, ctx.sessionTag});
        result = spec->handler(ctx, work);
        trail.append();
      } else {
        result = spec->handler(ctx, work);
      }
      tr.commit();
    }
    for (size_t i = 0; i < args.size(); ++i)
      if (spec->params[i].byRef) args[i] = std::move(work[i]);
    return RemoteResult::success(std::move(result));
  } catch (const OperationError& e) {
    return RemoteResult::failure(e.what());
  } catch (const platform::UserError& e) {
    // Conflicts and other refusals of the storage layer are already worded
    // for the user.
    return RemoteResult::failure(e.what());
  } catch (const platform::SqlConstraintError& e) {
    // The driver's text carries the statement and every bound value: the
    // log gets it, the user a sentence about what to do.
    std::cerr << "vnd-server: " << spec->name << ": " << e.what() << '\n';
    switch (e.kind()) {
      case platform::SqlConstraintError::Kind::Unique:
        return RemoteResult::failure("Operação " + spec->name +
                                     ": o registro já existe. Recarregue os dados e tente novamente.");
      case platform::SqlConstraintError::Kind::ForeignKey:
        return RemoteResult::failure("Operação " + spec->name +
                                     ": um código informado não está cadastrado ou o registro "
                                     "ainda é usado por outros. Recarregue os dados e tente novamente.");
      case platform::SqlConstraintError::Kind::Other:
        break;
    }
    return RemoteResult::failure("Operação " + spec->name + ": o banco de dados recusou um dos valores informados.");
  } catch (const std::exception& e) {
    std::cerr << "vnd-server: " << spec->name << ": " << e.what() << '\n';
    return RemoteResult::failure("Erro no servidor ao executar " + spec->name +
                                 ". O detalhe foi registrado no log do servidor de aplicação.");
  }
}

}  // namespace server
