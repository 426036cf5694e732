#include "server/dayfigures.h"

#include <array>
#include <cmath>
#include <unordered_map>

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

// Line totals in cents, remembered by their five amounts: a day's items
// repeat the same products, quantities and prices over and over, and each
// item total costs a round trip through its printed form.
class LineTotals {
 public:
  using Amounts = std::array<double, 5>;
  long long operator()(const Amounts& a) {
    const auto [it, added] = known_.try_emplace(a, 0);
    if (added) it->second = cents(ItemTotal(a[0], a[1], a[2], a[3], a[4]));
    return it->second;
  }

 private:
  struct Hash {
    size_t operator()(const Amounts& a) const {
      size_t h = 0;
      for (double d : a) h = h * 1000003u ^ std::hash<double>()(d);
      return h;
    }
  };
  std::unordered_map<Amounts, long long, Hash> known_;
};

}  // namespace

DaySales daySales(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day) {
  const SqlParams params = dayParams(filial, caixa, day);
  const std::string ofDay = "V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1";
  DaySales out;
  std::unordered_map<std::string, size_t> concluded;  // number -> index in concludedSales
  for (const PacketRow& r :
       sqlSelect(
           db,
           "SELECT V.NRSEQVENDA, V.DTABERTUR, V.IDSITUVENDA, V.NRSERIEIMPVND FROM VENDA V "
           "WHERE " +
               ofDay + " ORDER BY V.NRSEQVENDA",
           params,
           {{"NRSEQVENDA", S, 10}, {"DTABERTUR", FieldType::DateTime}, {"IDSITUVENDA", S, 1}, {"NRSERIEIMPVND", S, 50}})
           .rows) {
    const std::string status = r.values[2].asText();
    DaySale sale{r.values[0].asText(), r.values[1].isNull() ? DateTime() : r.values[1].asDateTime(), 0};
    if (status == "P") {
      ++out.pending;
      out.pendingSales.push_back(std::move(sale));
    } else if (status == "O") {
      concluded.emplace(sale.number, out.concludedSales.size());
      out.concludedSales.push_back(std::move(sale));
    }
    const std::string series = trim(r.values[3].asText());
    if (!series.empty()) out.series.insert(series);
  }
  // Each item counts under its first fiscal tax (lowest NRSEQITIMPOS of
  // class ICMS, substitution, exempt or non-incidence). The day's items
  // and their fiscal taxes are read in two plain passes and matched here:
  // asking the database for each item's first tax costs a lookup per item.
  std::unordered_map<std::string, std::string> classOf;  // CDIMPOSTO -> IDTIPOIMPOS
  for (const PacketRow& r : sqlSelect(db,
                                      "SELECT CDIMPOSTO, IDTIPOIMPOS FROM IMPOSTO "
                                      "WHERE IDTIPOIMPOS IN ('T', 'F', 'I', 'N')",
                                      {}, {{"CDIMPOSTO", S, 2}, {"IDTIPOIMPOS", S, 1}})
                                .rows)
    classOf[r.values[0].asText()] = r.values[1].asText();
  struct FiscalTax {
    std::string seq, code;
    double rate = 0;
  };
  std::unordered_map<std::string, FiscalTax> firstTax;  // sale number + "|" + item number
  // Both long reads below are added up as they come, not kept.
  sqlEachRow(
      db,
      "SELECT T.NRSEQVENDA, T.NRSEQUITVEND, T.NRSEQITIMPOS, T.CDIMPOSTO, T.VRPEALPRODIT "
      "FROM VENDA V JOIN ITVENDAIMPOS T ON T.CDFILIAL = V.CDFILIAL AND T.CDCAIXA = V.CDCAIXA "
      "AND T.NRSEQVENDA = V.NRSEQVENDA WHERE " +
          ofDay +
          " AND V.IDSITUVENDA IN ('O', 'D') AND T.CDIMPOSTO IN "
          "(SELECT CDIMPOSTO FROM IMPOSTO WHERE IDTIPOIMPOS IN ('T', 'F', 'I', 'N'))",
      params,
      {{"NRSEQVENDA", S, 10}, {"NRSEQUITVEND", S, 3}, {"NRSEQITIMPOS", S, 3}, {"CDIMPOSTO", S, 2}, {"VRPEALPRODIT", F}},
      [&](const std::vector<Value>& v) {
        FiscalTax& t = firstTax[v[0].asText() + "|" + v[1].asText()];
        if (t.seq.empty() || v[2].asText() < t.seq) t = {v[2].asText(), v[3].asText(), v[4].asNumber()};
      });
  LineTotals lineTotals;
  constexpr size_t kNoSale = static_cast<size_t>(-1);
  std::string lastSale;  // the concluded sale of the previous line, and where it is kept
  size_t lastIndex = kNoSale;
  sqlEachRow(db,
             "SELECT V.NRSEQVENDA, V.IDSITUVENDA, I.NRSEQUITVEND, I.QTPRODVEND, I.VRUNITVEND, I.VRUNITVENDCL, "
             "I.VRDESITVEND, I.VRACRITVEND "
             "FROM VENDA V JOIN ITVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
             "AND I.NRSEQVENDA = V.NRSEQVENDA WHERE " +
                 ofDay,
             params,
             {{"NRSEQVENDA", S, 10},
              {"IDSITUVENDA", S, 1},
              {"NRSEQUITVEND", S, 3},
              {"QTPRODVEND", F},
              {"VRUNITVEND", F},
              {"VRUNITVENDCL", F},
              {"VRDESITVEND", F},
              {"VRACRITVEND", F}},
             [&](const std::vector<Value>& v) {
               const std::string status = v[1].asText();
               const long long line =
                   lineTotals({v[3].asNumber(), v[4].asNumber(), v[5].asNumber(), v[6].asNumber(), v[7].asNumber()});
               if (status == "C") {
                 out.cancelled += line;
               } else if (status == "O" || status == "D") {
                 out.net += line;
                 const auto tax = firstTax.find(v[0].asText() + "|" + v[2].asText());
                 if (tax != firstTax.end()) {
                   const std::string& fiscalClass = classOf[tax->second.code];
                   addToColumn(out.taxes, fiscalClass, line);
                   if (fiscalClass == "T") out.icmsByRate[{tax->second.code, cents(tax->second.rate)}] += line;
                 }
                 if (status == "O") {
                   // A sale's lines usually come one after another: its
                   // number is looked up once for them.
                   std::string number = v[0].asText();
                   if (number != lastSale) {
                     const auto sale = concluded.find(number);
                     lastIndex = sale == concluded.end() ? kNoSale : sale->second;
                     lastSale = std::move(number);
                   }
                   if (lastIndex != kNoSale) out.concludedSales[lastIndex].total += line;
                 }
               }
             });
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
                                      "SELECT R.VRBCALCIMPRZ, R.CDIMPOSTO, R.VRALIQIMPRZ FROM IMPOSTOREDZ R "
                                      "JOIN REDUCAOZ Z ON Z.CDFILIAL = R.CDFILIAL AND Z.CDCAIXA = R.CDCAIXA "
                                      "AND Z.NRECFREDZ = R.NRECFREDZ AND Z.DTREDUCAOZ = R.DTREDUCAOZ "
                                      "JOIN IMPOSTO I ON I.CDIMPOSTO = R.CDIMPOSTO "
                                      "WHERE I.IDTIPOIMPOS = 'T' AND " +
                                          ofDay,
                                      params, {{"VRBCALCIMPRZ", F}, {"CDIMPOSTO", S, 2}, {"VRALIQIMPRZ", F}})
                                .rows) {
    const long long base = cents(r.values[0].asNumber());
    out.taxes.icms += base;
    out.icmsByRate[{r.values[1].asText(), cents(r.values[2].asNumber())}] += base;
  }
  return out;
}

std::vector<FigureCheck> figureChecks(const DaySales& sales, const DayReductions& z) {
  return {{"VENDALIQERRADA", sales.net, z.net},
          {"VENDACANCERRADA", sales.cancelled, z.cancelled},
          {"ICMSERRADA", sales.taxes.icms, z.taxes.icms},
          {"NINCIDERRADA", sales.taxes.nonIncidence, z.taxes.nonIncidence},
          {"ISENTOERRADA", sales.taxes.exempt, z.taxes.exempt},
          {"SUBTRERRADA", sales.taxes.substitution, z.taxes.substitution},
          {"IMPOSTODIF", z.net, z.taxes.sum()},
          {"IMPOSTOVENDIF", z.net, sales.taxes.sum()}};
}

std::string closingVerdict(const DaySales& sales, const DayReductions& z) {
  if (sales.pending > 0) return "VENDASPENDENTES";
  for (const FigureCheck& c : figureChecks(sales, z))
    if (c.expected != c.found) return c.verdict;
  for (const std::string& s : sales.series)
    if (!z.series.count(s)) return "VENDASERIEERRADA" + s;
  return "OK";
}

}  // namespace server
