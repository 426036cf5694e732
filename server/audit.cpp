#include "server/audit.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "platform/datetime.h"
#include "platform/text.h"
#include "server/storage.h"

using namespace platform;
using Json = nlohmann::ordered_json;

namespace server {

namespace {

thread_local AuditTrail* innermost = nullptr;

// Date-times are kept as ISO text to the second: what is hashed is exactly
// what is read back on either database.
std::string isoNow() {
  const DateTime t = now();
  const CivilDate d = decodeDate(t);
  const ClockTime c = decodeTime(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, c.hour, c.minute, c.second);
  return buf;
}

Json toJson(const Value& v) {
  if (v.isNull()) return nullptr;
  if (v.isText()) return trimRight(v.text());
  if (v.isNumber()) {
    const double d = v.number();
    if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 1e15) return static_cast<long long>(d);
    return d;
  }
  if (v.isDateTime()) return formatDateTime(v.dateTime());
  if (v.isBoolean()) return v.boolean();
  return v.asText();
}

// A key value as the user reads it: codes without their padding, dates as
// dd/mm/yyyy hh:nn:ss.
std::string plain(const Value& v) {
  if (v.isNull()) return "null";
  const Json j = toJson(v);
  return j.is_string() ? j.get<std::string>() : j.dump();
}

std::string dump(const Json& j) { return j.empty() ? std::string() : j.dump(-1, ' ', false, Json::error_handler_t::replace); }

const Value* find(const RowImage& row, std::string_view column) {
  for (const auto& [name, value] : row)
    if (equalsIgnoreCase(name, column)) return &value;
  return nullptr;
}

std::string keyText(const RowImage& row, const std::vector<std::string>& keyColumns) {
  std::string out;
  for (const std::string& k : keyColumns) {
    const Value* v = find(row, k);
    out += (out.empty() ? "" : ", ") + k + "=" + (v ? plain(*v) : "null");
  }
  return out;
}

std::string textOf(const RowImage& row, std::string_view column) {
  const Value* v = find(row, column);
  return v && !v->isNull() ? trim(v->asText()) : std::string();
}

RowImage imageOf(const DataPacket& p, const PacketRow& row) {
  RowImage out;
  for (size_t i = 0; i < p.fields.size(); ++i) out.emplace_back(upperAscii(p.fields[i].name), row.values[i]);
  return out;
}

std::string tableName(std::string_view table) { return upperAscii(table); }

struct Cascade {
  std::vector<std::string> parentKey;
  std::vector<const char*> children;
};

const std::map<std::string, Cascade>& cascades() {
  static const std::map<std::string, Cascade> all = {
      {"VENDA",
       {{"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}, {"ITVENDAIMPOS", "ITVENDA", "ITVENDACANC", "MOVCAIXA", "MOVCONS"}}},
      // An item deleted on its own (DeletaItens, or an item row of the
      // sale's change log) takes its tax rows along.
      {"ITVENDA", {{"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND"}, {"ITVENDAIMPOS"}}},
      {"REDUCAOZ",
       {{"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ"},
        {"OBSREDUCAOZ", "FORMPGTOREDZ", "TOTNFISCREDZ", "IMPOSTOREDZ"}}},
  };
  return all;
}

}  // namespace

// --- recording ---------------------------------------------------------------

AuditTrail::AuditTrail(soci::session& db, AuditActor actor) : db_(db), actor_(std::move(actor)), outer_(innermost) {
  innermost = this;
}

AuditTrail::~AuditTrail() { innermost = outer_; }

AuditTrail* activeAuditTrail(soci::session& db) {
  for (AuditTrail* t = innermost; t; t = t->outer_)
    if (&t->db_ == &db) return t;
  return nullptr;
}

void AuditTrail::record(std::string_view table, const std::vector<std::string>& keyColumns, const RowImage* before,
                        const RowImage* after) {
  if (!before && !after) return;
  Change c;
  c.kind = !before ? 'I' : !after ? 'E' : 'A';
  c.table = tableName(table);
  // A changed row is named by the key it had, as the writer found it.
  const RowImage& named = before ? *before : *after;
  c.key = keyText(named, keyColumns);
  Json b = Json::object(), a = Json::object();
  if (c.kind == 'A') {
    for (const auto& [column, value] : *after) {
      const Value* old = find(*before, column);
      if (old && sameFieldValue(value, *old, FieldType::Float)) continue;
      b[column] = old ? toJson(*old) : Json(nullptr);
      a[column] = toJson(value);
    }
    if (a.empty()) return;
  } else {
    Json& image = before ? b : a;
    for (const auto& [column, value] : named)
      if (!value.isNull()) image[column] = toJson(value);
  }
  c.before = dump(b);
  c.after = dump(a);
  // Rows of a sale (its own, its items, taxes, cancelled items, receipts and
  // account movements) carry the sale's key, so its history is one lookup.
  const RowImage& current = after ? *after : *before;
  c.venda = textOf(current, "NRSEQVENDA");
  if (!c.venda.empty()) {
    c.filial = textOf(current, "CDFILIAL");
    c.caixa = textOf(current, "CDCAIXA");
  }
  changes_.push_back(std::move(c));
}

void AuditTrail::append() {
  if (changes_.empty()) return;
  std::string sql = "SELECT NRULTIMO, DSHASH FROM AUDITORIACADEIA WHERE NRCADEIA = 1";
  if (dialectOf(db_) == SqlDialect::PostgreSQL) sql += " FOR UPDATE";
  const DataPacket head = sqlSelect(db_, sql, {}, {{"NRULTIMO", FieldType::Float}, {"DSHASH", FieldType::String, 64}});
  if (head.rows.empty()) throw SqlError("Trilha de auditoria sem o registro de controle da cadeia.");
  long long last = std::llround(head.rows[0].values[0].asNumber());
  std::string previous = head.rows[0].values[1].asText();
  const std::string moment = isoNow();
  const std::string operation = utf8Left(actor_.operation, 40);
  auto orNull = [](const std::string& s) { return s.empty() ? Value() : Value(s); };
  for (const Change& c : changes_) {
    ++last;
    const std::vector<std::string> fields = {std::to_string(last), moment,  actor_.operatorCode, actor_.operatorName,
                                             actor_.branch,         actor_.session, operation,  std::string(1, c.kind),
                                             c.table,               c.key,   c.filial,           c.caixa,
                                             c.venda,               c.before, c.after};
    const std::string hash = auditRowHash(fields, previous);
    sqlExecute(db_,
               "INSERT INTO AUDITORIA (NRSEQAUDIT, DTAUDITORIA, CDOPERADOR, NMOPERADOR, CDFILIALSESS, DSSESSAO, "
               "NMOPERACAO, IDALTERACAO, NMTABELA, DSCHAVE, CDFILIAL, CDCAIXA, NRSEQVENDA, TXANTES, TXDEPOIS, DSHASH) "
               "VALUES (:N, :T, :O, :M, :B, :S, :P, :K, :A, :C, :F, :X, :V, :E, :D, :H)",
               {{"N", last},
                {"T", moment},
                {"O", orNull(actor_.operatorCode)},
                {"M", orNull(actor_.operatorName)},
                {"B", orNull(actor_.branch)},
                {"S", orNull(actor_.session)},
                {"P", operation},
                {"K", std::string(1, c.kind)},
                {"A", c.table},
                {"C", c.key},
                {"F", orNull(c.filial)},
                {"X", orNull(c.caixa)},
                {"V", orNull(c.venda)},
                {"E", orNull(c.before)},
                {"D", orNull(c.after)},
                {"H", hash}});
    previous = hash;
  }
  sqlExecute(db_, "UPDATE AUDITORIACADEIA SET NRULTIMO = :N, DSHASH = :H WHERE NRCADEIA = 1",
             {{"N", last}, {"H", previous}});
  changes_.clear();
}

const std::vector<std::string>& auditKeyOf(std::string_view table) {
  static const std::map<std::string, std::vector<std::string>> keys = {
      {"TURCAIXA", {"CDFILIAL", "CDCAIXA", "DTABERCAIX"}},
      {"VENDA", {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}},
      {"ITVENDA", {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND"}},
      {"ITVENDAIMPOS", {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND", "NRSEQITIMPOS"}},
      {"ITVENDACANC", {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQITVENDC"}},
      {"MOVCAIXA", {"CDFILIAL", "CDCAIXA", "DTABERCAIX", "NRSEQUMOVI"}},
      {"MOVCONS", {"CDCLIENTE", "CDCONSUMIDOR", "NRSEQMOVCONS"}},
      {"SALDOCONS", {"CDCLIENTE", "CDCONSUMIDOR"}},
      {"REDUCAOZ", {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ"}},
      {"IMPOSTOREDZ", {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "CDIMPOSTO", "VRALIQIMPRZ"}},
      {"TOTNFISCREDZ", {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "NRTOTNFISCRZ"}},
      {"FORMPGTOREDZ", {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "CDTIPORECE"}},
      {"OBSREDUCAOZ", {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "NRSEQOBSREDZ"}},
  };
  auto it = keys.find(tableName(table));
  if (it == keys.end()) throw SqlError("Tabela " + std::string(table) + " sem chave conhecida pela auditoria.");
  return it->second;
}

void auditedWrite(soci::session& db, std::string_view table, std::string_view where, const SqlParams& params,
                  const std::function<void()>& write) {
  AuditTrail* trail = activeAuditTrail(db);
  if (!trail) {
    write();
    return;
  }
  const std::vector<std::string>& key = auditKeyOf(table);
  const std::string sql = "SELECT * FROM " + tableName(table) + " WHERE " + std::string(where);
  std::map<std::string, RowImage> before;
  const DataPacket old = sqlSelect(db, sql, params);
  for (const PacketRow& r : old.rows) {
    RowImage image = imageOf(old, r);
    before.emplace(keyText(image, key), std::move(image));
  }
  write();
  const DataPacket now = sqlSelect(db, sql, params);
  for (const PacketRow& r : now.rows) {
    const RowImage image = imageOf(now, r);
    auto it = before.find(keyText(image, key));
    if (it == before.end()) {
      trail->record(table, key, nullptr, &image);
    } else {
      trail->record(table, key, &it->second, &image);
      before.erase(it);
    }
  }
  for (const auto& [k, image] : before) trail->record(table, key, &image, nullptr);
}

void auditCascade(soci::session& db, std::string_view table, const RowImage& row) {
  AuditTrail* trail = activeAuditTrail(db);
  if (!trail) return;
  auto it = cascades().find(tableName(table));
  if (it == cascades().end()) return;
  std::string where;
  SqlParams params;
  for (const std::string& k : it->second.parentKey) {
    const Value* v = find(row, k);
    if (!v || v->isNull()) return;
    const std::string p = "K" + std::to_string(params.size());
    where += (where.empty() ? "" : " AND ") + k + " = :" + p;
    params.push_back({p, *v});
  }
  for (const char* child : it->second.children) {
    const DataPacket rows = sqlSelect(db, std::string("SELECT * FROM ") + child + " WHERE " + where, params);
    for (const PacketRow& r : rows.rows) {
      const RowImage image = imageOf(rows, r);
      trail->record(child, auditKeyOf(child), &image, nullptr);
    }
  }
}

}  // namespace server
