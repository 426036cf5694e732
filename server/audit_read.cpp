// Reading the audit trail: the chain's verification and a sale's history.
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/text.h"
#include "server/audit.h"
#include "server/password.h"

using namespace platform;
using Json = nlohmann::ordered_json;

namespace server {
namespace {

// The columns a row's hash covers, in the order they are hashed.
constexpr const char* kHashed[] = {"NRSEQAUDIT", "DTAUDITORIA", "CDOPERADOR", "NMOPERADOR", "CDFILIALSESS",
                                   "DSSESSAO",   "NMOPERACAO",  "IDALTERACAO", "NMTABELA",  "DSCHAVE",
                                   "CDFILIAL",   "CDCAIXA",     "NRSEQVENDA", "TXANTES",   "TXDEPOIS"};

std::string number(const Value& v) { return std::to_string(std::llround(v.asNumber())); }

constexpr long long kPage = 5000;

}  // namespace

std::string auditRowHash(const std::vector<std::string>& fields, const std::string& previous) {
  std::string text;
  for (const std::string& f : fields) text += std::to_string(f.size()) + ":" + f + "\n";
  return sha256Hex(text + previous);
}

AuditCheck verifyAuditTrail(soci::session& db) {
  AuditCheck out;
  std::vector<FieldDef> defs;
  std::string columns;
  for (const char* c : kHashed) {
    defs.push_back({c, std::string_view(c) == "NRSEQAUDIT" ? FieldType::Float : FieldType::String, 0});
    columns += (columns.empty() ? "" : ", ") + std::string(c);
  }
  defs.push_back({"DSHASH", FieldType::String, 64});
  const auto broken = [&out](long long at, std::string why) {
    out.ok = false;
    out.brokenAt = at;
    out.message = std::move(why);
    return out;
  };

  long long last = 0;
  std::string previous(64, '0');
  for (;;) {
    const DataPacket page =
        sqlSelect(db,
                  "SELECT " + columns + ", DSHASH FROM AUDITORIA WHERE NRSEQAUDIT > :L ORDER BY NRSEQAUDIT LIMIT " +
                      std::to_string(kPage),
                  {{"L", last}}, defs);
    for (const PacketRow& r : page.rows) {
      const long long id = std::llround(r.values[0].asNumber());
      if (id != last + 1)
        return broken(last + 1, "Trilha de auditoria violada: falta o registro " + std::to_string(last + 1) +
                                    (id > last + 2 ? " (e os seguintes até o " + std::to_string(id - 1) + ")" : "") +
                                    ", excluído da trilha.");
      std::vector<std::string> fields;
      fields.push_back(number(r.values[0]));
      for (size_t i = 1; i < std::size(kHashed); ++i) fields.push_back(r.values[i].asText());
      const std::string stored = trim(r.values[std::size(kHashed)].asText());
      if (auditRowHash(fields, previous) != stored)
        return broken(id, "Trilha de auditoria violada no registro " + std::to_string(id) +
                              ": seu conteúdo não confere com o hash gravado (registro alterado, ou o anterior "
                              "alterado ou excluído).");
      last = id;
      previous = stored;
      ++out.rows;
    }
    if (static_cast<long long>(page.rows.size()) < kPage) break;
  }

  const DataPacket head =
      sqlSelect(db, "SELECT NRULTIMO, DSHASH FROM AUDITORIACADEIA WHERE NRCADEIA = 1", {},
                {{"NRULTIMO", FieldType::Float}, {"DSHASH", FieldType::String, 64}});
  if (head.rows.empty()) return broken(last + 1, "Trilha de auditoria violada: o controle da cadeia foi excluído.");
  const long long recorded = std::llround(head.rows[0].values[0].asNumber());
  if (recorded > last)
    return broken(last + 1, "Trilha de auditoria violada: a trilha termina no registro " + std::to_string(last) +
                                ", mas o último gravado foi o " + std::to_string(recorded) +
                                " (registros finais excluídos).");
  if (recorded < last || trim(head.rows[0].values[1].asText()) != previous)
    return broken(recorded + 1, "Trilha de auditoria violada: o controle da cadeia não confere com o registro " +
                                    std::to_string(last) + ".");
  out.message = "Trilha de auditoria ok: " + std::to_string(out.rows) + " registros; último hash " + previous + ".";
  return out;
}

// --- a sale's history --------------------------------------------------------

namespace {

// Key parts a sale's history does not repeat on every line: the sale's own
// key, the opening a receipt belongs to, the consumer of a movement.
bool shownKeyPart(std::string_view column) {
  for (const char* c : {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "DTABERCAIX", "CDCLIENTE", "CDCONSUMIDOR"})
    if (column == c) return false;
  return true;
}

std::string shortKey(const std::string& key) {
  std::string out;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find(", ", start);
    if (end == std::string::npos) end = key.size();
    const std::string part = key.substr(start, end - start);
    const size_t eq = part.find('=');
    if (eq != std::string::npos && shownKeyPart(part.substr(0, eq)))
      out += (out.empty() ? "" : "/") + part.substr(eq + 1);
    start = end + 2;
  }
  return out;
}

// A value as the history shows it: texts as stored, numbers with the
// decimal comma, an empty value as a dash.
std::string shown(const Json& v) {
  if (v.is_null()) return "—";
  if (v.is_string()) return v.get<std::string>();
  std::string s = v.dump();
  if (v.is_number_float()) {
    // Unrounded computed values carry binary noise in their last digits.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v.get<double>());
    s = buf;
  }
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

Json parsed(const Value& v) {
  const std::string text = v.asText();
  if (text.empty()) return Json::object();
  Json j = Json::parse(text, nullptr, false);
  return j.is_object() ? j : Json::object();
}

// The key's columns are named by the line already; a new or deleted row
// lists its other values.
std::string changesText(const std::string& kind, const std::string& key, const Json& before, const Json& after) {
  std::string out;
  auto add = [&out](const std::string& s) { out += (out.empty() ? "" : "; ") + s; };
  if (kind == "A") {
    for (const auto& [column, value] : after.items())
      add(column + ": " + shown(before.contains(column) ? before[column] : Json()) + " → " + shown(value));
  } else {
    for (const auto& [column, value] : (kind == "I" ? after : before).items())
      if (key.find(column + "=") != 0 && key.find(", " + column + "=") == std::string::npos)
        add(column + ": " + shown(value));
  }
  return out;
}

// ISO "yyyy-mm-dd hh:nn:ss" as dd/mm/yyyy hh:nn:ss.
std::string brazilian(const std::string& iso) {
  if (iso.size() < 19) return iso;
  return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4) + iso.substr(10, 9);
}

}  // namespace

std::vector<FieldDef> saleHistoryFields() {
  return {{"NRSEQAUDIT", FieldType::Integer, 0},   {"DTAUDITORIA", FieldType::String, 19},
          {"CDOPERADOR", FieldType::String, 12},   {"NMOPERADOR", FieldType::String, 50},
          {"NMOPERACAO", FieldType::String, 40},   {"IDALTERACAO", FieldType::String, 1},
          {"NMTABELA", FieldType::String, 30},     {"DSCHAVE", FieldType::String, 100},
          {"DSALTERACAO", FieldType::String, 4000}};
}

DataPacket saleHistory(soci::session& db, const std::string& branch, const std::string& register_,
                       const std::string& sale) {
  const DataPacket rows =
      sqlSelect(db,
                "SELECT NRSEQAUDIT, DTAUDITORIA, CDOPERADOR, NMOPERADOR, NMOPERACAO, IDALTERACAO, NMTABELA, DSCHAVE, "
                "TXANTES, TXDEPOIS FROM AUDITORIA WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N "
                "ORDER BY NRSEQAUDIT",
                {{"F", branch}, {"C", register_}, {"N", sale}},
                {{"NRSEQAUDIT", FieldType::Float},
                 {"DTAUDITORIA", FieldType::String, 19},
                 {"CDOPERADOR", FieldType::String, 12},
                 {"NMOPERADOR", FieldType::String, 50},
                 {"NMOPERACAO", FieldType::String, 40},
                 {"IDALTERACAO", FieldType::String, 1},
                 {"NMTABELA", FieldType::String, 30},
                 {"DSCHAVE", FieldType::String, 400},
                 {"TXANTES", FieldType::String, 0},
                 {"TXDEPOIS", FieldType::String, 0}});
  DataPacket out;
  out.fields = saleHistoryFields();
  for (const PacketRow& r : rows.rows) {
    const auto& v = r.values;
    const std::string kind = trim(v[5].asText());
    out.rows.push_back({RowKind::Unchanged,
                        {Value(std::llround(v[0].asNumber())), Value(brazilian(v[1].asText())), Value(v[2].asText()),
                         Value(v[3].asText()), Value(v[4].asText()), Value(kind), Value(v[6].asText()),
                         Value(utf8Left(shortKey(v[7].asText()), 100)),
                         Value(utf8Left(changesText(kind, v[7].asText(), parsed(v[8]), parsed(v[9])), 4000))},
                        {}});
  }
  return out;
}

}  // namespace server
