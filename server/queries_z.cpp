// The Z reductions of a register and day, the fiscal printer registered for
// the register and the reduction number proposed for a new Z reduction, as
// the screen's record sets declare them.

#include <cctype>
#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "server/queries.h"
#include "server/storage.h"

using platform::FieldDef;
using platform::FieldType;
using platform::PacketRow;
using platform::Value;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, D = FieldType::DateTime, F = FieldType::Float;

// The stored fields of the Z reduction record set, in its order. The
// initial grand total is calculated by the screen and never travels.
const std::vector<FieldDef>& reducaoZFields() {
  static const std::vector<FieldDef> fields = {
      {"CDFILIAL", S, 4},       {"CDCAIXA", S, 3},       {"NRECFREDZ", S, 10},   {"DTREDUCAOZ", D, 0},
      {"NRREINIREDZ", S, 10},   {"NRREDREDZ", S, 10},    {"NRLEITREDZ", S, 10},  {"NRGERCNFREDZ", S, 10},
      {"NRCANCFREDZ", S, 10},   {"NRPRIMCFREDZ", S, 10}, {"NRULTCFREDZ", S, 10}, {"VRGTREDZ", F, 0},
      {"VRVENBRUREDZ", F, 0},   {"VRISSREDZ", F, 0},     {"VRTOTCANREDZ", F, 0}, {"VRTOTDESREDZ", F, 0},
      {"VRVENLIQREDZ", F, 0},   {"VRTOTACRREDZ", F, 0},  {"VRSTRIBREDZ", F, 0},  {"VRISENCREDZ", F, 0},
      {"VRNINCIDREDZ", F, 0},   {"QTTEMLIGREDZ", S, 6},  {"QTTEMPCFREDZ", S, 6}, {"QTMEMRESREDZ", F, 0},
      {"IDORIGEMREDZ", S, 3},   {"NRSERIEREDZ", S, 30},  {"IDSTATUS", S, 1},     {"CDOPERADOR", S, 12},
      {"DSMODMARCAECF", S, 30},
  };
  return fields;
}

std::string columnList(const std::vector<FieldDef>& fields) {
  std::string out;
  for (const FieldDef& f : fields) out += (out.empty() ? "" : ", ") + f.name;
  return out;
}

// The reduction counter that follows a stored one, at the counter's width;
// empty when the stored counter is not a whole number.
std::string nextCounter(const std::string& stored) {
  const std::string digits = platform::trim(stored);
  if (digits.empty() || digits.size() > 18) return {};
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return {};
  return platform::Ajusta(std::to_string(std::stoll(digits) + 1), 10);
}

}  // namespace

// Every reduction of the day, whatever the time stored with its date, one
// per printer, in printer order.
DataPacket selectReducaoZ(soci::session& db, const std::string& filial, const std::string& caixa,
                          DateTime dtMovimento) {
  const DateTime day = platform::dateOf(dtMovimento);
  return selectPacket(db,
                      "SELECT " + columnList(reducaoZFields()) +
                          " FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                          "AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 "
                          "ORDER BY NRECFREDZ, DTREDUCAOZ",
                      {{"F", filial}, {"C", caixa}, {"D0", day}, {"D1", DateTime(day.days + 1)}}, reducaoZFields());
}

// The register's active printers; the screen proposes the first one's
// numbers for a new Z reduction.
DataPacket selectCadastroECF(soci::session& db, const std::string& filial, const std::string& caixa) {
  static const std::vector<FieldDef> fields = {
      {"CDFILIAL", S, 4}, {"CDCAIXA", S, 3}, {"NRSERIE", S, 30}, {"NRECF", S, 10}};
  return selectPacket(db,
                      "SELECT CDFILIAL, CDCAIXA, NRSERIE, NRECF FROM ECFCAIXA "
                      "WHERE CDFILIAL = :F AND CDCAIXA = :C AND IDATIVO = 'S' ORDER BY NRSERIE",
                      {{"F", filial}, {"C", caixa}}, fields);
}

// The reduction counter of the latest Z reduction before the day, plus one:
// a printer's counter grows by one per reduction. Only the reductions of the
// register's active printers count when it has any, since a replaced printer
// starts its own counter. No row when there is no earlier reduction (or its
// counter is not a number): the user types the counter.
DataPacket selectReducaoAnt(soci::session& db, const std::string& filial, const std::string& caixa,
                            DateTime dtMovimento) {
  static const std::vector<FieldDef> fields = {{"NRREDREDZ", S, 10}};
  DataPacket latest = selectPacket(db,
                                   "SELECT R.NRREDREDZ FROM REDUCAOZ R "
                                   "WHERE R.CDFILIAL = :F AND R.CDCAIXA = :C AND R.DTREDUCAOZ < :D "
                                   "AND (R.NRSERIEREDZ IN (SELECT E.NRSERIE FROM ECFCAIXA E WHERE E.CDFILIAL = :F "
                                   "AND E.CDCAIXA = :C AND E.IDATIVO = 'S') "
                                   "OR NOT EXISTS (SELECT 1 FROM ECFCAIXA E WHERE E.CDFILIAL = :F AND E.CDCAIXA = :C "
                                   "AND E.IDATIVO = 'S')) "
                                   "ORDER BY R.DTREDUCAOZ DESC, R.NRREDREDZ DESC LIMIT 1",
                                   {{"F", filial}, {"C", caixa}, {"D", platform::dateOf(dtMovimento)}}, fields);
  DataPacket out;
  out.fields = fields;
  if (!latest.rows.empty()) {
    const std::string next = nextCounter(latest.rows[0].values[0].asText());
    if (!next.empty()) out.rows.push_back(PacketRow{platform::RowKind::Unchanged, {Value(next)}, {}});
  }
  return out;
}

}  // namespace server
