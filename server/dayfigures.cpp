#include "server/dayfigures.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"

using namespace platform;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, F = FieldType::Float;

// A text cell without a copy; a null (a column the schema lets be empty)
// reads as blank.
const std::string& textOf(const Value& v) {
  static const std::string blank;
  return v.isText() ? v.text() : blank;
}

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

// A short text as a number in the same order: its first seven bytes, big
// end first, with a leading 1 so that even an empty text is above 0. Item
// tax numbers are three characters, far inside that.
uint64_t textOrder(const std::string& t) {
  uint64_t n = 1;
  for (size_t i = 0; i < 7; ++i) n = (n << 8) | (i < t.size() ? static_cast<unsigned char>(t[i]) : 0u);
  return n;
}

// An item's fiscal tax, by its item. Sale and item numbers are zero-padded
// digit strings, so a pair packs into one integer that is far cheaper to
// hash and compare than the joined texts: the day's items are matched to
// their taxes tens of thousands of times. The packing keeps each number's
// length, so "1" and "001" stay apart; a number that does not pack (not
// digits, or longer than any this system writes) is kept by its text.
template <class T>
class ByItem {
 public:
  // The entry of an item, made empty when it has none yet.
  T& slot(const std::string& sale, const std::string& item) {
    const uint64_t k = pack(sale, item);
    return k ? packed_[k] : other_[sale + "|" + item];
  }
  const T* find(const std::string& sale, const std::string& item) const {
    if (const uint64_t k = pack(sale, item)) {
      const auto it = packed_.find(k);
      return it == packed_.end() ? nullptr : &it->second;
    }
    const auto it = other_.find(sale + "|" + item);
    return it == other_.end() ? nullptr : &it->second;
  }

 private:
  // 0 when the pair does not pack: up to 12 sale digits and 3 item digits,
  // with both lengths, fit in 63 bits (10^15 < 2^50).
  static uint64_t pack(const std::string& sale, const std::string& item) {
    if (sale.empty() || sale.size() > 12 || item.empty() || item.size() > 3) return 0;
    uint64_t n = 0;
    for (const std::string* part : {&sale, &item})
      for (char c : *part) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<uint64_t>(c - '0');
      }
    return (uint64_t{1} << 62) | (static_cast<uint64_t>(sale.size()) << 54) |
           (static_cast<uint64_t>(item.size()) << 52) | n;
  }
  std::unordered_map<uint64_t, T> packed_;
  std::unordered_map<std::string, T> other_;
};

}  // namespace

DaySales daySales(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day, bool bySale) {
  const SqlParams params = dayParams(filial, caixa, day);
  const std::string ofDay = "V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1";
  DaySales out;
  std::unordered_map<std::string, size_t> concluded;  // number -> index in concludedSales
  auto addSeries = [&](const Value& v) {
    if (textOf(v).empty()) return;
    std::string series = trim(textOf(v));
    if (!series.empty()) out.series.insert(std::move(series));
  };
  if (bySale) {
    sqlEachRow(db,
               "SELECT V.NRSEQVENDA, V.DTABERTUR, V.IDSITUVENDA, V.NRSERIEIMPVND FROM VENDA V WHERE " + ofDay +
                   " ORDER BY V.NRSEQVENDA",
               params,
               {{"NRSEQVENDA", S, 10}, {"DTABERTUR", FieldType::DateTime}, {"IDSITUVENDA", S, 1}, {"NRSERIEIMPVND", S, 50}},
               [&](const std::vector<Value>& v) {
                 const std::string& status = textOf(v[2]);
                 if (status == "P") {
                   ++out.pending;
                   out.pendingSales.push_back({textOf(v[0]), v[1].isNull() ? DateTime() : v[1].asDateTime(), 0});
                 } else if (status == "O") {
                   concluded.emplace(textOf(v[0]), out.concludedSales.size());
                   out.concludedSales.push_back({textOf(v[0]), v[1].isNull() ? DateTime() : v[1].asDateTime(), 0});
                 }
                 addSeries(v[3]);
               });
  } else {
    // Only counts and series: the database groups the day's sales.
    sqlEachRow(db,
               "SELECT V.IDSITUVENDA, V.NRSERIEIMPVND, COUNT(*) AS N FROM VENDA V WHERE " + ofDay +
                   " GROUP BY V.IDSITUVENDA, V.NRSERIEIMPVND",
               params, {{"IDSITUVENDA", S, 1}, {"NRSERIEIMPVND", S, 50}, {"N", FieldType::Integer}},
               [&](const std::vector<Value>& v) {
                 if (textOf(v[0]) == "P") out.pending += static_cast<int>(v[2].asNumber());
                 addSeries(v[1]);
               });
  }
  // Each item counts under its first fiscal tax (lowest NRSEQITIMPOS of
  // class ICMS, substitution, exempt or non-incidence). The day's items
  // and their fiscal taxes are read in two plain passes and matched here:
  // asking the database for each item's first tax costs a lookup per item.
  // The fiscal taxes, each with its class; an item's first tax is kept by
  // its place here, so the tens of thousands of items carry small entries.
  struct Tax {
    std::string code, fiscalClass;
  };
  std::vector<Tax> taxes;
  for (const PacketRow& r : sqlSelect(db,
                                      "SELECT CDIMPOSTO, IDTIPOIMPOS FROM IMPOSTO "
                                      "WHERE IDTIPOIMPOS IN ('T', 'F', 'I', 'N')",
                                      {}, {{"CDIMPOSTO", S, 2}, {"IDTIPOIMPOS", S, 1}})
                                .rows)
    taxes.push_back({r.values[0].asText(), r.values[1].asText()});
  auto taxIndex = [&](const std::string& code) {
    for (size_t i = 0; i < taxes.size(); ++i)
      if (taxes[i].code == code) return static_cast<int>(i);
    return -1;
  };
  struct FiscalTax {
    uint64_t seq = 0;  // NRSEQITIMPOS in text order; 0 while none is known
    int tax = -1;
    double rate = 0;
  };
  ByItem<FiscalTax> firstTax;
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
        FiscalTax& t = firstTax.slot(textOf(v[0]), textOf(v[1]));
        const uint64_t seq = textOrder(textOf(v[2]));
        if (t.seq == 0 || seq < t.seq) t = {seq, taxIndex(textOf(v[3])), v[4].asNumber()};
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
               const std::string& status = textOf(v[1]);
               const long long line =
                   lineTotals({v[3].asNumber(), v[4].asNumber(), v[5].asNumber(), v[6].asNumber(), v[7].asNumber()});
               if (status == "C") {
                 out.cancelled += line;
               } else if (status == "O" || status == "D") {
                 out.net += line;
                 const FiscalTax* tax = firstTax.find(textOf(v[0]), textOf(v[2]));
                 if (tax && tax->tax >= 0) {
                   const Tax& t = taxes[static_cast<size_t>(tax->tax)];
                   addToColumn(out.taxes, t.fiscalClass, line);
                   if (t.fiscalClass == "T") out.icmsByRate[{t.code, cents(tax->rate)}] += line;
                 }
                 if (status == "O" && bySale) {
                   // A sale's lines usually come one after another: its
                   // number is looked up once for them.
                   const std::string& number = textOf(v[0]);
                   if (number != lastSale) {
                     const auto sale = concluded.find(number);
                     lastIndex = sale == concluded.end() ? kNoSale : sale->second;
                     lastSale = number;
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
