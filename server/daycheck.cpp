#include "server/daycheck.h"

#include <cmath>
#include <map>
#include <unordered_map>

#include "platform/format.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/dayfigures.h"

using namespace platform;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, F = FieldType::Float;

long long cents(double v) { return std::llround(v * 100.0); }
double amount(long long c) { return static_cast<double>(c) / 100.0; }

SqlParams dayParams(const std::string& filial, const std::string& caixa, DateTime day) {
  const DateTime from = dateOf(day);
  return {{"F", filial}, {"C", caixa}, {"D0", from}, {"D1", DateTime(from.days + 1)}};
}

// A Z reduction of the day as the checks see it.
struct DayZ {
  std::string ecf, serial;
  ZReadings readings;
};

std::optional<double> number(const Value& v) {
  if (v.isNull()) return std::nullopt;
  return v.asNumber();
}

ZReadings readingsOf(const std::vector<Value>& v, size_t first) {
  return {v[first].asText(),     v[first + 1].asText(), v[first + 2].asText(),
          v[first + 3].asText(), number(v[first + 4]),  number(v[first + 5])};
}

const char* const kReadingColumns = "NRREINIREDZ, NRREDREDZ, NRPRIMCFREDZ, NRULTCFREDZ, VRGTREDZ, VRVENBRUREDZ";
const std::vector<FieldDef> kReadingFields = {{"NRREINIREDZ", S, 10}, {"NRREDREDZ", S, 10}, {"NRPRIMCFREDZ", S, 10},
                                              {"NRULTCFREDZ", S, 10}, {"VRGTREDZ", F},      {"VRVENBRUREDZ", F}};

std::vector<DayZ> dayZs(soci::session& db, const SqlParams& day) {
  std::vector<FieldDef> fields = {{"NRECFREDZ", S, 10}, {"NRSERIEREDZ", S, 30}};
  fields.insert(fields.end(), kReadingFields.begin(), kReadingFields.end());
  std::vector<DayZ> out;
  for (const PacketRow& r : sqlSelect(db,
                                      std::string("SELECT NRECFREDZ, NRSERIEREDZ, ") + kReadingColumns +
                                          " FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                                          "AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 ORDER BY NRECFREDZ",
                                      day, fields)
                                .rows)
    out.push_back({r.values[0].asText(), r.values[1].asText(), readingsOf(r.values, 2)});
  return out;
}

// Receipts ("E") of the day's concluded and returned sales: by sale (the
// concluded ones) and by receipt type.
struct DayReceipts {
  std::unordered_map<std::string, long long> bySale;
  std::map<std::string, long long> byType;
};

DayReceipts dayReceipts(soci::session& db, const SqlParams& day) {
  DayReceipts out;
  sqlEachRow(db,
             "SELECT M.NRSEQVENDA, V.IDSITUVENDA, M.CDTIPORECE, SUM(M.VRMOVIVEND) AS VALOR "
             "FROM VENDA V JOIN MOVCAIXA M ON M.CDFILIAL = V.CDFILIAL "
             "AND M.CDCAIXA = V.CDCAIXA AND M.NRSEQVENDA = V.NRSEQVENDA "
             "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.DTENTRVENDA >= :D0 "
             "AND V.DTENTRVENDA < :D1 AND V.IDSITUVENDA IN ('O', 'D') "
             "AND M.IDTIPOMOVIVE = 'E' "
             "GROUP BY M.NRSEQVENDA, V.IDSITUVENDA, M.CDTIPORECE",
             day, {{"NRSEQVENDA", S, 10}, {"IDSITUVENDA", S, 1}, {"CDTIPORECE", S, 3}, {"VALOR", F}},
             [&](const std::vector<Value>& v) {
               const long long value = cents(v[3].asNumber());
               if (v[1].asText() == "O") out.bySale[v[0].asText()] += value;
               out.byType[trim(v[2].asText())] += value;
             });
  return out;
}

// The Z payment forms of the day by the receipt type they stand for: their
// origin type when given, else their own.
std::map<std::string, long long> dayForms(soci::session& db, const SqlParams& day) {
  std::map<std::string, long long> out;
  for (const PacketRow& r : sqlSelect(db,
                                      "SELECT CDTIPORECE, CDTPRECEORIG, VRFORMPGTORZ FROM FORMPGTOREDZ "
                                      "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1",
                                      day, {{"CDTIPORECE", S, 3}, {"CDTPRECEORIG", S, 3}, {"VRFORMPGTORZ", F}})
                                .rows) {
    const std::string origin = trim(r.values[1].asText());
    out[origin.empty() ? trim(r.values[0].asText()) : origin] += cents(r.values[2].asNumber());
  }
  return out;
}

class Lines {
 public:
  explicit Lines(std::string firstEcf) : firstEcf_(std::move(firstEcf)) {}

  DayCheckLine& add(std::string check, std::string detail, bool ok) {
    DayCheckLine& l = lines_.emplace_back();
    l.check = std::move(check);
    l.detail = std::move(detail);
    l.ok = ok;
    return l;
  }
  // An amount compared: the difference shows what is missing or over.
  DayCheckLine& money(std::string check, std::string detail, long long expected, long long found,
                      const char* zPage = "") {
    DayCheckLine& l = add(std::move(check), std::move(detail), expected == found);
    l.expected = amount(expected);
    l.found = amount(found);
    onZ(l, zPage);
    return l;
  }
  DayCheckLine& count(std::string check, std::string detail, bool ok, std::optional<double> expected, double found) {
    DayCheckLine& l = add(std::move(check), std::move(detail), ok);
    l.money = false;
    l.expected = expected;
    l.found = found;
    return l;
  }
  void onZ(DayCheckLine& l, const char* zPage, const std::string& ecf = {}) {
    if (*zPage == 0 || (ecf.empty() && firstEcf_.empty())) return;
    l.zPage = zPage;
    l.ecf = ecf.empty() ? firstEcf_ : ecf;
  }
  static void onSale(DayCheckLine& l, const DaySale& s) {
    l.sale = s.number;
    l.saleOpening = s.opening;
  }
  std::vector<DayCheckLine> take() { return std::move(lines_); }

 private:
  std::string firstEcf_;
  std::vector<DayCheckLine> lines_;
};

const char* zPageOf(const std::string& verdict) {
  if (verdict == "ICMSERRADA") return "I";
  if (verdict == "NINCIDERRADA" || verdict == "ISENTOERRADA" || verdict == "SUBTRERRADA") return "A";
  return "F";
}

std::string rateText(const TaxRate& rate) { return trim(rate.first) + " " + formatNumber(amount(rate.second), "0.00"); }

const char* continuityCheck(ZBreakKind kind) {
  switch (kind) {
    case ZBreakKind::Reduction:
      return "CONTREDUCAO";
    case ZBreakKind::GrandTotal:
      return "CONTGT";
    case ZBreakKind::FirstCoupon:
      return "CONTCUPOM";
    case ZBreakKind::Restart:
      return "CONTREINICIO";
  }
  return "";
}

// The four continuity lines of one reduction against the previous one of
// its printer; the figures of a line that holds are shown too.
void addContinuity(Lines& lines, const DayZ& z, const ZReadings& previous) {
  const std::vector<ZBreak> breaks = zContinuityBreaks(previous, z.readings);
  const auto broken = [&](ZBreakKind k) -> const ZBreak* {
    for (const ZBreak& b : breaks)
      if (b.kind == k) return &b;
    return nullptr;
  };
  const auto counter = [](const std::string& text, long long plus = 0) -> std::optional<double> {
    const auto v = zCounter(text);
    if (!v) return std::nullopt;
    return static_cast<double>(*v + plus);
  };
  const ZReadings& cur = z.readings;
  struct Figures {
    ZBreakKind kind;
    std::optional<double> expected, found;
  };
  std::optional<double> initialGt;
  if (cur.grandTotal && cur.grossSale) initialGt = amount(cents(*cur.grandTotal) - cents(*cur.grossSale));
  std::optional<double> previousGt;
  if (previous.grandTotal) previousGt = amount(cents(*previous.grandTotal));
  for (const Figures& f : {Figures{ZBreakKind::Reduction, counter(previous.reduction, 1), counter(cur.reduction)},
                           Figures{ZBreakKind::GrandTotal, previousGt, initialGt},
                           Figures{ZBreakKind::FirstCoupon, counter(previous.lastCoupon, 1), counter(cur.firstCoupon)},
                           Figures{ZBreakKind::Restart, counter(previous.restart), counter(cur.restart)}}) {
    const ZBreak* b = broken(f.kind);
    DayCheckLine& l = lines.add(continuityCheck(f.kind), trim(z.ecf), b == nullptr);
    l.money = f.kind == ZBreakKind::GrandTotal;
    l.expected = b ? std::optional<double>(b->expected) : f.expected;
    l.found = b ? std::optional<double>(b->found) : f.found;
    lines.onZ(l, "F", z.ecf);
  }
}

}  // namespace

std::optional<ZReadings> previousReduction(soci::session& db, const std::string& filial, const std::string& ecf,
                                           const std::string& serial, DateTime day) {
  const DataPacket p = sqlSelect(db,
                                 std::string("SELECT ") + kReadingColumns +
                                     " FROM REDUCAOZ WHERE CDFILIAL = :F AND NRECFREDZ = :E "
                                     "AND COALESCE(TRIM(NRSERIEREDZ), '') = :S AND DTREDUCAOZ < :D "
                                     "ORDER BY DTREDUCAOZ DESC LIMIT 1",
                                 {{"F", filial}, {"E", ecf}, {"S", trim(serial)}, {"D", dateOf(day)}}, kReadingFields);
  if (p.rows.empty()) return std::nullopt;
  return readingsOf(p.rows[0].values, 0);
}

std::vector<DayCheckLine> dayCheck(soci::session& db, const std::string& filial, const std::string& caixa,
                                   DateTime day) {
  const SqlParams params = dayParams(filial, caixa, day);
  const DaySales sales = daySales(db, filial, caixa, day);
  const DayReductions z = dayReductions(db, filial, caixa, day);
  const std::vector<DayZ> zs = dayZs(db, params);
  Lines lines(zs.empty() ? std::string() : zs.front().ecf);

  lines.count("REDZ", "", z.count > 0, std::nullopt, z.count);

  lines.count("VENDASPENDENTES", "", sales.pending == 0, 0, sales.pending);
  for (const DaySale& s : sales.pendingSales) Lines::onSale(lines.add("PENDENTE", s.number, false), s);

  const DayReceipts receipts = dayReceipts(db, params);
  std::vector<std::pair<const DaySale*, long long>> unpaid;
  for (const DaySale& s : sales.concludedSales) {
    const auto paid = receipts.bySale.find(s.number);
    const long long value = paid == receipts.bySale.end() ? 0 : paid->second;
    if (value != s.total) unpaid.push_back({&s, value});
  }
  lines.count("RECEB", "", unpaid.empty(), 0, static_cast<double>(unpaid.size()));
  for (const auto& [s, paid] : unpaid) Lines::onSale(lines.money("RECEBVENDA", s->number, s->total, paid), *s);

  for (const FigureCheck& c : figureChecks(sales, z)) {
    lines.money(c.verdict, "", c.expected, c.found, zPageOf(c.verdict));
    if (std::string_view(c.verdict) != "ICMSERRADA") continue;
    std::map<TaxRate, std::pair<long long, long long>> rates;  // sales, Z
    for (const auto& [rate, base] : sales.icmsByRate) rates[rate].first += base;
    for (const auto& [rate, base] : z.icmsByRate) rates[rate].second += base;
    for (const auto& [rate, figures] : rates)
      lines.money("ALIQUOTA", rateText(rate), figures.first, figures.second, "I");
  }

  std::map<std::string, std::pair<long long, long long>> forms;  // receipts, Z
  for (const auto& [type, value] : receipts.byType) forms[type].first += value;
  for (const auto& [type, value] : dayForms(db, params)) forms[type].second += value;
  for (const auto& [type, figures] : forms) lines.money("FORMAPAG", type, figures.first, figures.second, "P");

  for (const std::string& s : sales.series) {
    DayCheckLine& l = lines.add("VENDASERIEERRADA", s, z.series.count(s) > 0);
    lines.onZ(l, "F");
  }

  for (const DayZ& dz : zs)
    if (const auto previous = previousReduction(db, filial, dz.ecf, dz.serial, day))
      addContinuity(lines, dz, *previous);
  return lines.take();
}

const std::vector<FieldDef>& dayCheckFields() {
  static const std::vector<FieldDef> fields = {
      {"CDCONFERE", S, 20}, {"DSDETALHE", S, 40},  {"IDCONFERE", S, 1},
      {"IDVALOR", S, 1},    {"VRESPERADO", F},     {"VRENCONTRADO", F},
      {"VRDIFERENCA", F},   {"NRSEQVENDA", S, 10}, {"DTABERTUR", FieldType::DateTime},
      {"NRECFREDZ", S, 10}, {"IDPAGINAZ", S, 1}};
  return fields;
}

DataPacket dayCheckPacket(const std::vector<DayCheckLine>& lines) {
  DataPacket p;
  p.fields = dayCheckFields();
  const auto orNull = [](const std::optional<double>& v) { return v ? Value(*v) : Value(); };
  const auto textOrNull = [](const std::string& t) { return t.empty() ? Value() : Value(t); };
  for (const DayCheckLine& l : lines) {
    Value difference;
    if (l.expected && l.found)
      difference = l.money ? Value(amount(cents(*l.found) - cents(*l.expected))) : Value(*l.found - *l.expected);
    p.rows.push_back({RowKind::Unchanged,
                      {Value(l.check), textOrNull(l.detail), Value(l.ok ? "S" : "N"), Value(l.money ? "S" : "N"),
                       orNull(l.expected), orNull(l.found), difference, textOrNull(l.sale),
                       l.saleOpening ? Value(*l.saleOpening) : Value(), textOrNull(l.ecf), textOrNull(l.zPage)},
                      {}});
  }
  return p;
}

}  // namespace server
