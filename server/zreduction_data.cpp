#include "server/zreduction_data.h"

#include <cmath>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/format.h"
#include "server/storage.h"

using namespace platform;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, D = FieldType::DateTime, F = FieldType::Float;

// Branch, register and day of a Z reduction, plus its printer number; `alias`
// qualifies the columns when the table is joined.
std::string zFilter(const std::string& alias) {
  const std::string a = alias.empty() ? "" : alias + ".";
  return a + "CDFILIAL = :F AND " + a + "CDCAIXA = :C AND " + a + "NRECFREDZ = :E AND " + a + "DTREDUCAOZ >= :D0 AND " +
         a + "DTREDUCAOZ < :D1";
}

SqlParams zParams(const ZDay& z, const std::string& ecf) {
  SqlParams p = dayBounds(z.day);
  p.push_back({"F", z.filial});
  p.push_back({"C", z.caixa});
  p.push_back({"E", ecf});
  return p;
}

SqlParams registerDay(const ZDay& z) {
  SqlParams p = dayBounds(z.day);
  p.push_back({"F", z.filial});
  p.push_back({"C", z.caixa});
  return p;
}

long long sumCents(soci::session& db, const std::string& sql, const SqlParams& params) {
  const DataPacket p = sqlSelect(db, sql, params, {{"N", F}});
  return p.rows.empty() ? 0 : cents(p.rows[0].values[0]);
}

const std::string kImpostoSelect =
    "SELECT I.CDFILIAL, I.CDCAIXA, I.DTREDUCAOZ, T.SGIMPOSTO, I.VRALIQIMPRZ, I.VRBCALCIMPRZ, "
    "I.VRIMPOSTORZ, I.NRECFREDZ, I.CDIMPOSTO FROM IMPOSTOREDZ I "
    "JOIN IMPOSTO T ON T.CDIMPOSTO = I.CDIMPOSTO WHERE ";

}  // namespace

const std::vector<FieldDef>& impostoRedZFields() {
  static const std::vector<FieldDef> fields = {{"CDFILIAL", S, 4},    {"CDCAIXA", S, 3},     {"DTREDUCAOZ", D, 0},
                                               {"SGIMPOSTO", S, 10},  {"VRALIQIMPRZ", F, 0}, {"VRBCALCIMPRZ", F, 0},
                                               {"VRIMPOSTORZ", F, 0}, {"NRECFREDZ", S, 10},  {"CDIMPOSTO", S, 2}};
  return fields;
}

const std::vector<FieldDef>& totalizRedZFields() {
  static const std::vector<FieldDef> fields = {
      {"CDFILIAL", S, 4},      {"CDCAIXA", S, 3},       {"DTREDUCAOZ", D, 0},   {"NRTOTNFISCRZ", S, 10},
      {"DSTOTNFISCRZ", S, 50}, {"NRCONTOTNFIS", S, 10}, {"VRACUTOTNFIS", F, 0}, {"NRECFREDZ", S, 10}};
  return fields;
}

const std::vector<FieldDef>& formaPagRedZFields() {
  static const std::vector<FieldDef> fields = {{"CDFILIAL", S, 4},     {"CDCAIXA", S, 3},      {"DTREDUCAOZ", D, 0},
                                               {"CDTIPORECE", S, 3},   {"VRFORMPGTORZ", F, 0}, {"NMTIPORECE", S, 40},
                                               {"CDTPRECEORIG", S, 3}, {"NMTPORIGEM", S, 40},  {"NRECFREDZ", S, 10}};
  return fields;
}

const std::vector<FieldDef>& observacaoRedZFields() {
  static const std::vector<FieldDef> fields = {{"CDFILIAL", S, 4},      {"CDCAIXA", S, 3},      {"NRECFREDZ", S, 10},
                                               {"DTREDUCAOZ", D, 0},    {"NRSEQOBSREDZ", S, 4}, {"DTOBSERVREDZ", D, 0},
                                               {"DSOBSERVREDZ", S, 200}};
  return fields;
}

DataPacket selectImpostoRedZ(soci::session& db, const ZDay& z, const std::string& ecf) {
  return selectPacket(db, kImpostoSelect + zFilter("I") + " ORDER BY T.SGIMPOSTO, I.VRALIQIMPRZ", zParams(z, ecf),
                      impostoRedZFields());
}

DataPacket selectImpostoTaxa(soci::session& db, const ZDay& z, const std::string& ecf, const std::string& sigla,
                             double aliquota) {
  SqlParams p = zParams(z, ecf);
  p.push_back({"SG", sigla});
  p.push_back({"R", RoundDec(aliquota, 2)});
  return selectPacket(db, kImpostoSelect + zFilter("I") + " AND T.SGIMPOSTO = :SG AND ABS(I.VRALIQIMPRZ - :R) < 0.005",
                      p, impostoRedZFields());
}

DataPacket selectTotalizRedZ(soci::session& db, const ZDay& z, const std::string& ecf) {
  return selectPacket(db,
                      "SELECT CDFILIAL, CDCAIXA, DTREDUCAOZ, NRTOTNFISCRZ, DSTOTNFISCRZ, "
                      "NRCONTOTNFIS, VRACUTOTNFIS, NRECFREDZ FROM TOTNFISCREDZ WHERE " +
                          zFilter("") + " ORDER BY NRTOTNFISCRZ",
                      zParams(z, ecf), totalizRedZFields());
}

DataPacket selectFormaPagRedZ(soci::session& db, const ZDay& z, const std::string& ecf) {
  return selectPacket(db,
                      "SELECT P.CDFILIAL, P.CDCAIXA, P.DTREDUCAOZ, P.CDTIPORECE, P.VRFORMPGTORZ, T.NMTIPORECE, "
                      "P.CDTPRECEORIG, O.NMTIPORECE AS NMTPORIGEM, P.NRECFREDZ FROM FORMPGTOREDZ P "
                      "JOIN TIPORECE T ON T.CDTIPORECE = P.CDTIPORECE "
                      "LEFT JOIN TIPORECE O ON O.CDTIPORECE = P.CDTPRECEORIG WHERE " +
                          zFilter("P") + " ORDER BY P.CDTIPORECE",
                      zParams(z, ecf), formaPagRedZFields());
}

DataPacket selectObservacaoRedZ(soci::session& db, const ZDay& z, const std::string& ecf) {
  return selectPacket(db,
                      "SELECT CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, NRSEQOBSREDZ, "
                      "DTOBSERVREDZ, DSOBSERVREDZ FROM OBSREDUCAOZ WHERE " +
                          zFilter("") + " ORDER BY NRSEQOBSREDZ",
                      zParams(z, ecf), observacaoRedZFields());
}

long long daySalesCents(soci::session& db, const ZDay& z) {
  const DataPacket items =
      sqlSelect(db,
                "SELECT I.QTPRODVEND, I.VRUNITVEND, I.VRUNITVENDCL, I.VRDESITVEND, I.VRACRITVEND "
                "FROM ITVENDA I JOIN VENDA V ON V.CDFILIAL = I.CDFILIAL AND V.CDCAIXA = I.CDCAIXA "
                "AND V.NRSEQVENDA = I.NRSEQVENDA "
                "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 "
                "AND V.DTENTRVENDA < :D1 AND V.IDSITUVENDA IN ('O', 'D')",
                registerDay(z),
                {{"QTPRODVEND", F}, {"VRUNITVEND", F}, {"VRUNITVENDCL", F}, {"VRDESITVEND", F}, {"VRACRITVEND", F}});
  long long total = 0;
  for (const PacketRow& row : items.rows) {
    const auto& v = row.values;
    // The same text the items grid shows, so the total agrees to the cent.
    const std::string line =
        ItemTotalText(v[0].asNumber(), v[1].asNumber(), v[2].asNumber(), v[3].asNumber(), v[4].asNumber(), kNeutral);
    total += std::llround(FloatMask(line, kNeutral) * 100.0);
  }
  return total;
}

long long dayReceiptsCents(soci::session& db, const ZDay& z, const std::string& tipoRece) {
  SqlParams p = registerDay(z);
  p.push_back({"T", tipoRece});
  return sumCents(db,
                  "SELECT SUM(M.VRMOVIVEND) AS N FROM MOVCAIXA M "
                  "JOIN VENDA V ON V.CDFILIAL = M.CDFILIAL AND V.CDCAIXA = M.CDCAIXA "
                  "AND V.NRSEQVENDA = M.NRSEQVENDA "
                  "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 "
                  "AND V.DTENTRVENDA < :D1 AND V.IDSITUVENDA IN ('P', 'O', 'D') "
                  "AND M.IDTIPOMOVIVE = 'E' AND M.CDTIPORECE = :T",
                  p);
}

long long dayFormsCents(soci::session& db, const ZDay& z, const std::string& origem, const std::string& exceptTipo) {
  SqlParams p = registerDay(z);
  p.push_back({"O", origem});
  p.push_back({"X", exceptTipo});
  return sumCents(db,
                  "SELECT SUM(VRFORMPGTORZ) AS N FROM FORMPGTOREDZ "
                  "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTREDUCAOZ >= :D0 "
                  "AND DTREDUCAOZ < :D1 AND CDTPRECEORIG = :O AND CDTIPORECE <> :X",
                  p);
}

bool registerDayClosed(soci::session& db, const ZDay& z) {
  const DataPacket p = sqlSelect(db,
                                 "SELECT COUNT(*) AS N, SUM(CASE WHEN DTFECHCAIX IS NULL THEN 1 ELSE 0 END) AS ABERTOS "
                                 "FROM TURCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTMOVTURCAIX >= :D0 "
                                 "AND DTMOVTURCAIX < :D1",
                                 registerDay(z), {{"N", F}, {"ABERTOS", F}});
  return p.rows[0].values[0].asNumber() > 0 && p.rows[0].values[1].asNumber() == 0;
}

std::optional<double> previousGrandTotal(soci::session& db, const ZDay& z, const std::string& ecf) {
  SqlParams p = registerDay(z);
  p.push_back({"E", ecf});
  const DataPacket latest = sqlSelect(db,
                                      "SELECT VRGTREDZ FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                                      "AND DTREDUCAOZ < :D0 AND (NRECFREDZ = :E OR :E = '') "
                                      "ORDER BY DTREDUCAOZ DESC LIMIT 1",
                                      p, {{"VRGTREDZ", F}});
  if (latest.rows.empty() || latest.rows[0].values[0].isNull()) return std::nullopt;
  return latest.rows[0].values[0].asNumber();
}

SqlParams dayBounds(DateTime day) {
  const DateTime from = dateOf(day);
  return {{"D0", from}, {"D1", DateTime(from.days + 1)}};
}

long long cents(const Value& amount) { return std::llround(amount.asNumber() * 100.0); }

std::string moneyText(long long c) { return formatNumber(static_cast<double>(c) / 100.0, "#,##0.00"); }

}  // namespace server
