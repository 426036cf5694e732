#include "server/dayfigures.h"

#include <cmath>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"

using namespace platform;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, F = FieldType::Float;

long long cents(double v) { return std::llround(v * 100.0); }

SqlParams dayParams(const std::string& filial, const std::string& caixa, DateTime day) {
  const DateTime from = dateOf(day);
  return {{"F", filial}, {"C", caixa}, {"D0", from}, {"D1", DateTime(from.days + 1)}};
}

void addToColumn(TaxColumns& t, const std::string& fiscalClass, long long amount) {
  if (fiscalClass == "T")
    t.icms += amount;
  else if (fiscalClass == "F")
    t.substitution += amount;
  else if (fiscalClass == "I")
    t.exempt += amount;
  else if (fiscalClass == "N")
    t.nonIncidence += amount;
}

}  // namespace

DaySales daySales(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day) {
  const SqlParams params = dayParams(filial, caixa, day);
  const std::string ofDay = "V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1";
  DaySales out;
  for (const PacketRow& r : sqlSelect(db, "SELECT V.IDSITUVENDA, V.NRSERIEIMPVND FROM VENDA V WHERE " + ofDay, params,
                                      {{"IDSITUVENDA", S, 1}, {"NRSERIEIMPVND", S, 50}})
                                .rows) {
    if (r.values[0].asText() == "P") ++out.pending;
    const std::string series = trim(r.values[1].asText());
    if (!series.empty()) out.series.insert(series);
  }
  const DataPacket items =
      sqlSelect(db,
                "SELECT V.IDSITUVENDA, I.QTPRODVEND, I.VRUNITVEND, I.VRUNITVENDCL, I.VRDESITVEND, "
                "I.VRACRITVEND, "
                "(SELECT IM.IDTIPOIMPOS FROM ITVENDAIMPOS T JOIN IMPOSTO IM ON IM.CDIMPOSTO = T.CDIMPOSTO "
                " WHERE T.CDFILIAL = I.CDFILIAL AND T.CDCAIXA = I.CDCAIXA AND T.NRSEQVENDA = I.NRSEQVENDA "
                " AND T.NRSEQUITVEND = I.NRSEQUITVEND AND IM.IDTIPOIMPOS IN ('T', 'F', 'I', 'N') "
                " ORDER BY T.NRSEQITIMPOS LIMIT 1) AS CLASSE "
                "FROM VENDA V JOIN ITVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
                "AND I.NRSEQVENDA = V.NRSEQVENDA WHERE " +
                    ofDay,
                params,
                {{"IDSITUVENDA", S, 1},
                 {"QTPRODVEND", F},
                 {"VRUNITVEND", F},
                 {"VRUNITVENDCL", F},
                 {"VRDESITVEND", F},
                 {"VRACRITVEND", F},
                 {"CLASSE", S, 1}});
  for (const PacketRow& r : items.rows) {
    const auto& v = r.values;
    const std::string status = v[0].asText();
    const long long line =
        cents(ItemTotal(v[1].asNumber(), v[2].asNumber(), v[3].asNumber(), v[4].asNumber(), v[5].asNumber()));
    if (status == "C") {
      out.cancelled += line;
    } else if (status == "O" || status == "D") {
      out.net += line;
      addToColumn(out.taxes, v[6].asText(), line);
    }
  }
  return out;
}

DayReductions dayReductions(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day) {
  const SqlParams params = dayParams(filial, caixa, day);
  const std::string ofDay = "Z.CDFILIAL = :F AND Z.CDCAIXA = :C AND Z.DTREDUCAOZ >= :D0 AND Z.DTREDUCAOZ < :D1";
  DayReductions out;
  for (const PacketRow& r : sqlSelect(db,
                                      "SELECT Z.VRVENLIQREDZ, Z.VRTOTCANREDZ, Z.VRSTRIBREDZ, Z.VRISENCREDZ, "
                                      "Z.VRNINCIDREDZ, Z.NRSERIEREDZ FROM REDUCAOZ Z WHERE " +
                                          ofDay,
                                      params,
                                      {{"VRVENLIQREDZ", F},
                                       {"VRTOTCANREDZ", F},
                                       {"VRSTRIBREDZ", F},
                                       {"VRISENCREDZ", F},
                                       {"VRNINCIDREDZ", F},
                                       {"NRSERIEREDZ", S, 30}})
                                .rows) {
    const auto& v = r.values;
    ++out.count;
    out.net += cents(v[0].asNumber());
    out.cancelled += cents(v[1].asNumber());
    out.taxes.substitution += cents(v[2].asNumber());
    out.taxes.exempt += cents(v[3].asNumber());
    out.taxes.nonIncidence += cents(v[4].asNumber());
    const std::string series = trim(v[5].asText());
    if (!series.empty()) out.series.insert(series);
  }
  for (const PacketRow& r : sqlSelect(db,
                                      "SELECT R.VRBCALCIMPRZ FROM IMPOSTOREDZ R "
                                      "JOIN REDUCAOZ Z ON Z.CDFILIAL = R.CDFILIAL AND Z.CDCAIXA = R.CDCAIXA "
                                      "AND Z.NRECFREDZ = R.NRECFREDZ AND Z.DTREDUCAOZ = R.DTREDUCAOZ "
                                      "JOIN IMPOSTO I ON I.CDIMPOSTO = R.CDIMPOSTO "
                                      "WHERE I.IDTIPOIMPOS = 'T' AND " +
                                          ofDay,
                                      params, {{"VRBCALCIMPRZ", F}})
                                .rows)
    out.taxes.icms += cents(r.values[0].asNumber());
  return out;
}

std::string closingVerdict(const DaySales& sales, const DayReductions& z) {
  if (sales.pending > 0) return "VENDASPENDENTES";
  if (sales.net != z.net) return "VENDALIQERRADA";
  if (sales.cancelled != z.cancelled) return "VENDACANCERRADA";
  if (sales.taxes.icms != z.taxes.icms) return "ICMSERRADA";
  if (sales.taxes.nonIncidence != z.taxes.nonIncidence) return "NINCIDERRADA";
  if (sales.taxes.exempt != z.taxes.exempt) return "ISENTOERRADA";
  if (sales.taxes.substitution != z.taxes.substitution) return "SUBTRERRADA";
  if (z.taxes.sum() != z.net) return "IMPOSTODIF";
  if (sales.taxes.sum() != z.net) return "IMPOSTOVENDIF";
  for (const std::string& s : sales.series)
    if (!z.series.count(s)) return "VENDASERIEERRADA" + s;
  return "OK";
}

}  // namespace server
