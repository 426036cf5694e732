#include "server/storage.h"
#include "platform/sqlconstraint.h"

#include <cctype>
#include <cmath>

#include "platform/datetime.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/valuedomain.h"

using namespace platform;

namespace server {
namespace {

// Table and column names are spliced into the statements (only values are
// bound), so they must be plain identifiers.
const std::string& identifier(const std::string& name) {
  bool ok = !name.empty() && (std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_');
  for (char c : name) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (!ok) throw SqlError("Nome de tabela ou coluna inválido: '" + name + "'.");
  return name;
}

bool isText(FieldType t) { return t == FieldType::String || t == FieldType::FixedString; }

struct Plan {
  std::string table;
  std::vector<size_t> keys;           // delta field indexes of the key
  std::vector<size_t> columns;        // delta field indexes written to the table
  std::vector<ColumnDomain> domains;  // of each written column
};

// The declared types of a table's columns, upper-case names first.
std::vector<std::pair<std::string, ColumnDomain>> columnDomains(soci::session& session, const std::string& table) {
  std::vector<std::pair<std::string, ColumnDomain>> out;
  if (dialectOf(session) == SqlDialect::SQLite) {
    const DataPacket p =
        sqlSelect(session, "SELECT name AS NOME, type AS TIPO FROM pragma_table_info(:T)", {{"T", table}},
                  {{"NOME", FieldType::String, 128}, {"TIPO", FieldType::String, 128}});
    for (const PacketRow& r : p.rows)
      out.emplace_back(upperAscii(r.values[0].asText()), columnDomain(r.values[1].asText()));
    return out;
  }
  // The catalog itself rather than information_schema, whose views cost
  // milliseconds a call (over ten on a busy machine) where the catalog
  // answers in a fraction of one: every save asks this of each table it
  // writes. format_type gives the declared type ("character varying(10)",
  // "numeric(15,2)").
  const DataPacket p = sqlSelect(session,
                                 "SELECT CAST(UPPER(a.attname) AS VARCHAR(128)) AS NOME, "
                                 "CAST(format_type(a.atttypid, a.atttypmod) AS VARCHAR(128)) AS TIPO "
                                 "FROM pg_catalog.pg_attribute a WHERE a.attrelid = to_regclass(LOWER(:T)) "
                                 "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
                                 {{"T", table}}, {{"NOME", FieldType::String, 128}, {"TIPO", FieldType::String, 128}});
  for (const PacketRow& r : p.rows) out.emplace_back(r.values[0].asText(), columnDomain(r.values[1].asText()));
  return out;
}

// Refuses (as the user's error) a value its column cannot hold, before the
// database either keeps it (SQLite) or fails with its own text.
void checkDomains(const Plan& plan, const DataPacket& delta, const PacketRow& row,
                  const std::vector<Value>* unchangedFrom = nullptr) {
  for (size_t n = 0; n < plan.columns.size(); ++n) {
    const size_t c = plan.columns[n];
    if (unchangedFrom && sameFieldValue(row.values[c], (*unchangedFrom)[c], delta.fields[c].type)) continue;
    if (std::string why = columnRefusal(row.values[c], plan.domains[n], delta.fields[c].name); !why.empty())
      throw UserError(why);
  }
}

Plan makePlan(soci::session& session, std::string_view table, const std::vector<std::string>& keyFields,
              const DataPacket& delta, const DeltaOptions& options) {
  Plan plan;
  plan.table = upperAscii(table);
  identifier(plan.table);
  // One look at the table gives both its columns and what each can hold.
  const auto domains = columnDomains(session, plan.table);
  std::vector<std::string> columns = options.columns;
  if (columns.empty())
    for (const auto& d : domains) columns.push_back(d.first);
  auto isColumn = [&](const std::string& name) {
    for (const std::string& c : columns)
      if (equalsIgnoreCase(c, name)) return true;
    return false;
  };
  for (size_t i = 0; i < delta.fields.size(); ++i) {
    if (!isColumn(delta.fields[i].name)) continue;
    plan.columns.push_back(i);
    ColumnDomain domain;
    for (const auto& [name, d] : domains)
      if (equalsIgnoreCase(name, delta.fields[i].name)) domain = d;
    plan.domains.push_back(domain);
  }
  if (keyFields.empty()) throw SqlError("Tabela " + plan.table + " sem chave para gravação.");
  for (const std::string& k : keyFields) {
    const int i = delta.fieldIndex(k);
    if (i < 0 || !isColumn(k)) throw SqlError("Campo chave " + k + " ausente na gravação de " + plan.table + ".");
    plan.keys.push_back(static_cast<size_t>(i));
  }
  return plan;
}

std::string keyText(const Plan& plan, const DataPacket& delta, const std::vector<Value>& values) {
  std::string out;
  for (size_t k : plan.keys) {
    if (!out.empty()) out += ", ";
    const Value& v = values[k];
    out += delta.fields[k].name + "=" + (v.isDateTime() ? formatDateTime(v.dateTime()) : v.asText());
  }
  return plan.table + " (" + out + ")";
}

std::string whereKey(const Plan& plan, const DataPacket& delta, const std::vector<Value>& values, SqlParams& params) {
  std::string where;
  for (size_t n = 0; n < plan.keys.size(); ++n) {
    const size_t k = plan.keys[n];
    if (values[k].isNull())
      throw SqlError("Chave " + delta.fields[k].name + " nula na gravação de " + plan.table + ".");
    const std::string p = "K" + std::to_string(n);
    where += (n ? " AND " : "") + identifier(delta.fields[k].name) + " = :" + p;
    params.push_back({p, values[k]});
  }
  return where;
}

// What the client read of a modified or deleted row. A deleted row may carry
// its read values as its current values only.
const std::vector<Value>& originalOf(const PacketRow& row) {
  return row.kind == RowKind::Delete && row.original.empty() ? row.values : row.original;
}

// The stored row of a modified or deleted record, read with the delta's field
// types and locked until the transaction ends; throws ConflictError when it
// is gone or no longer holds the original values.
void checkStored(soci::session& session, const Plan& plan, const DataPacket& delta, const PacketRow& row) {
  const std::vector<Value>& original = originalOf(row);
  if (original.size() != delta.fields.size())
    throw SqlError("Registro de " + plan.table + " sem valores originais no delta.");
  SqlParams params;
  const std::string where = whereKey(plan, delta, original, params);
  std::string sql;
  std::vector<FieldDef> defs;
  for (size_t c : plan.columns) {
    sql += (sql.empty() ? "SELECT " : ", ") + identifier(delta.fields[c].name);
    defs.push_back({delta.fields[c].name, delta.fields[c].type, delta.fields[c].size, false});
  }
  sql += " FROM " + plan.table + " WHERE " + where;
  if (dialectOf(session) == SqlDialect::PostgreSQL) sql += " FOR UPDATE";
  const DataPacket stored = sqlSelect(session, sql, params, defs);
  const std::string again = " Recarregue os dados e tente novamente.";
  if (stored.rows.empty())
    throw ConflictError("O registro " + keyText(plan, delta, original) + " foi excluído por outro usuário." + again);
  for (size_t n = 0; n < plan.columns.size(); ++n) {
    const size_t c = plan.columns[n];
    if (!sameFieldValue(stored.rows[0].values[n], original[c], delta.fields[c].type))
      throw ConflictError("O registro " + keyText(plan, delta, original) + " foi alterado por outro usuário." + again);
  }
}

// The written columns of a row, as the audit trail records them.
RowImage imageOf(const Plan& plan, const DataPacket& delta, const std::vector<Value>& values) {
  RowImage out;
  for (size_t c : plan.columns) out.emplace_back(upperAscii(delta.fields[c].name), values[c]);
  return out;
}

std::vector<std::string> keyNames(const Plan& plan, const DataPacket& delta) {
  std::vector<std::string> out;
  for (size_t k : plan.keys) out.push_back(upperAscii(delta.fields[k].name));
  return out;
}

// Reports a written row to the operation's audit trail, if one is recording.
void audit(soci::session& session, const Plan& plan, const DataPacket& delta, const std::vector<Value>* before,
           const std::vector<Value>* after) {
  AuditTrail* trail = activeAuditTrail(session);
  if (!trail) return;
  const RowImage b = before ? imageOf(plan, delta, *before) : RowImage{};
  const RowImage a = after ? imageOf(plan, delta, *after) : RowImage{};
  trail->record(plan.table, keyNames(plan, delta), before ? &b : nullptr, after ? &a : nullptr);
}

void insertRow(soci::session& session, const Plan& plan, const DataPacket& delta, const PacketRow& row) {
  checkDomains(plan, delta, row);
  SqlParams keyParams;
  const std::string where = whereKey(plan, delta, row.values, keyParams);
  if (!sqlSelect(session, "SELECT 1 AS EXISTE FROM " + plan.table + " WHERE " + where, keyParams).rows.empty())
    throw ConflictError("O registro " + keyText(plan, delta, row.values) +
                        " já existe. Recarregue os dados e tente novamente.");
  std::string names, marks;
  SqlParams params;
  for (size_t c : plan.columns) {
    if (row.values[c].isNull()) continue;
    const std::string p = "V" + std::to_string(params.size());
    names += (names.empty() ? "" : ", ") + identifier(delta.fields[c].name);
    marks += (marks.empty() ? ":" : ", :") + p;
    params.push_back({p, row.values[c]});
  }
  try {
    sqlExecute(session, "INSERT INTO " + plan.table + " (" + names + ") VALUES (" + marks + ")", params);
  } catch (const SqlConstraintError& e) {
    // Another writer inserted the same key between the check above and this
    // insert (PostgreSQL does not lock a key that does not exist yet).
    if (e.kind() != SqlConstraintError::Kind::Unique) throw;
    throw ConflictError("O registro " + keyText(plan, delta, row.values) +
                        " já existe. Recarregue os dados e tente novamente.");
  }
  audit(session, plan, delta, nullptr, &row.values);
}

void modifyRow(soci::session& session, const Plan& plan, const DataPacket& delta, const PacketRow& row) {
  checkDomains(plan, delta, row, row.original.size() == row.values.size() ? &row.original : nullptr);
  checkStored(session, plan, delta, row);
  std::string set;
  SqlParams params;
  for (size_t c : plan.columns) {
    if (sameFieldValue(row.values[c], row.original[c], delta.fields[c].type)) continue;
    const std::string p = "V" + std::to_string(params.size());
    set += (set.empty() ? "" : ", ") + identifier(delta.fields[c].name) + " = :" + p;
    params.push_back({p, row.values[c]});
  }
  if (set.empty()) return;
  const std::string where = whereKey(plan, delta, row.original, params);
  sqlExecute(session, "UPDATE " + plan.table + " SET " + set + " WHERE " + where, params);
  audit(session, plan, delta, &row.original, &row.values);
}

void deleteRow(soci::session& session, const Plan& plan, const DataPacket& delta, const PacketRow& row) {
  checkStored(session, plan, delta, row);
  SqlParams params;
  const std::string where = whereKey(plan, delta, originalOf(row), params);
  // Rows the database deletes along with this one are recorded too.
  if (activeAuditTrail(session)) auditCascade(session, plan.table, imageOf(plan, delta, originalOf(row)));
  sqlExecute(session, "DELETE FROM " + plan.table + " WHERE " + where, params);
  audit(session, plan, delta, &originalOf(row), nullptr);
}

}  // namespace

// Whether a stored value still is what the client read. Texts compare
// without trailing blanks (fixed-width fields come back padded) and an empty
// text equals null, as the client turns empty fields into nulls; numbers
// compare with a relative tolerance, since a value may pass through a text
// form; dates to the second, the resolution they are stored with.
bool sameFieldValue(const Value& stored, const Value& original, FieldType type) {
  if (isText(type) || stored.isText() || original.isText()) {
    if (stored.isNull() || original.isNull())
      return trimRight(stored.asText()).empty() && trimRight(original.asText()).empty();
    return trimRight(stored.asText()) == trimRight(original.asText());
  }
  if (stored.isNull() || original.isNull()) return stored.isNull() && original.isNull();
  if (stored.isNumber() && original.isNumber()) {
    const double a = stored.number(), b = original.number();
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
  }
  if (stored.isDateTime() && original.isDateTime())
    return std::fabs(stored.dateTime().days - original.dateTime().days) * 86400.0 < 0.5;
  return stored == original;
}

Transaction::Transaction(soci::session& session) : session_(session) {
  try {
    session_ << (dialectOf(session_) == SqlDialect::SQLite ? "BEGIN IMMEDIATE" : "BEGIN");
  } catch (const soci::soci_error& e) {
    throw SqlError(std::string("Não foi possível iniciar a transação: ") + trim(e.what()));
  }
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    session_ << "ROLLBACK";
  } catch (...) {  // the connection is gone: the database dropped the transaction itself
  }
}

void Transaction::commit() {
  if (!open_) throw SqlError("Transação já encerrada.");
  open_ = false;
  try {
    session_ << "COMMIT";
  } catch (const soci::soci_error& e) {
    try {
      session_ << "ROLLBACK";
    } catch (...) {  // nothing more to undo when the rollback fails too
    }
    throw SqlError(std::string("Não foi possível gravar a transação: ") + trim(e.what()));
  }
}

void Transaction::rollback() {
  if (!open_) return;
  open_ = false;
  session_ << "ROLLBACK";
}

DataPacket selectPacket(soci::session& session, std::string_view sql, const SqlParams& params,
                        const std::vector<FieldDef>& fields) {
  if (fields.empty()) throw SqlError("Consulta do servidor sem campos declarados.");
  DataPacket p = sqlSelect(session, sql, params, fields);
  if (p.fields.size() != fields.size())
    throw SqlError("Consulta do servidor devolve a coluna não declarada " + p.fields[fields.size()].name + ".");
  return p;
}

std::vector<std::string> tableColumns(soci::session& session, std::string_view table) {
  const std::string t = upperAscii(table);
  std::vector<std::string> names;
  for (const FieldDef& f : sqlSelect(session, "SELECT * FROM " + identifier(t) + " WHERE 1 = 0", {}).fields)
    names.push_back(f.name);
  return names;
}

DeltaCounts applyDelta(soci::session& session, std::string_view table, const std::vector<std::string>& keyFields,
                       const DataPacket& delta, const DeltaOptions& options) {
  DeltaCounts counts;
  if (delta.rows.empty()) return counts;
  const Plan plan = makePlan(session, table, keyFields, delta, options);
  for (const PacketRow& row : delta.rows) {
    if (row.values.size() != delta.fields.size())
      throw SqlError("Registro de " + plan.table + " com número errado de valores no delta.");
    switch (row.kind) {
      case RowKind::Insert:
        insertRow(session, plan, delta, row);
        ++counts.inserted;
        break;
      case RowKind::Modify:
        modifyRow(session, plan, delta, row);
        ++counts.modified;
        break;
      case RowKind::Delete:
        deleteRow(session, plan, delta, row);
        ++counts.deleted;
        break;
      case RowKind::Unchanged:
        break;
    }
  }
  return counts;
}

}  // namespace server
