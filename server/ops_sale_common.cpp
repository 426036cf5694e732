#include "server/ops_sale_common.h"

#include <algorithm>
#include <cctype>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlconnection.h"
#include "platform/text.h"
#include "server/ops_sales.h"

using namespace platform;

namespace server {

void registerSaleOperations(OperationRegistry& registry) {
  sale::registerItemOperations(registry);
  sale::registerReceiptOperations(registry);
  sale::registerConcludeOperations(registry);
  sale::registerCancelledItemOperations(registry);
}

namespace sale {

std::optional<SaleInfo> findSale(soci::session& db, const SaleKey& key) {
  std::string sql =
      "SELECT V.IDSITUVENDA, V.IDORIGEMVENDA, V.IDESTOQUE, V.CDCLIENTE, V.CDCONSUMIDOR, "
      "V.TXOBSVENDA, V.CDFILIALTUR, V.CDCAIXATUR, V.DTABERTUR, V.DTENTRVENDA, T.DTFECHCAIX "
      "FROM VENDA V LEFT JOIN TURCAIXA T ON T.CDFILIAL = V.CDFILIALTUR "
      "AND T.CDCAIXA = V.CDCAIXATUR AND T.DTABERCAIX = V.DTABERTUR "
      "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.NRSEQVENDA = :N";
  if (dialectOf(db) == SqlDialect::PostgreSQL) sql += " FOR UPDATE OF V";
  const FieldType S = FieldType::String, D = FieldType::DateTime;
  const DataPacket p = sqlSelect(db, sql, {{"F", key.filial}, {"C", key.caixa}, {"N", key.nrSeq}},
                                 {{"IDSITUVENDA", S, 1},
                                  {"IDORIGEMVENDA", S, 7},
                                  {"IDESTOQUE", S, 1},
                                  {"CDCLIENTE", S, 21},
                                  {"CDCONSUMIDOR", S, 21},
                                  {"TXOBSVENDA", S, 2000},
                                  {"CDFILIALTUR", S, 4},
                                  {"CDCAIXATUR", S, 3},
                                  {"DTABERTUR", D, 0},
                                  {"DTENTRVENDA", D, 0},
                                  {"DTFECHCAIX", D, 0}});
  if (p.rows.empty()) return std::nullopt;
  const std::vector<Value>& v = p.rows[0].values;
  SaleInfo s;
  s.key = key;
  s.status = trim(v[0].asText());
  s.origin = trim(v[1].asText());
  s.stock = trim(v[2].asText());
  s.client = v[3].asText();
  s.consumer = v[4].asText();
  s.observation = v[5].asText();
  s.opening = {v[6].asText(), v[7].asText(), ""};
  s.openedAt = v[8].asDateTime();
  s.day = dateOf(v[9].asDateTime());
  s.registerClosed = !v[10].isNull();
  return s;
}

SaleInfo requireSale(soci::session& db, const SaleKey& key) {
  std::optional<SaleInfo> s = findSale(db, key);
  if (!s)
    throw OperationError("Venda " + key.nrSeq + " do caixa " + key.caixa + " da filial " + key.filial +
                         " não encontrada.");
  return *s;
}

std::string lockedReason(soci::session& db, const SaleInfo& sale) {
  if (sale.registerClosed) return kCaixaFechado;
  const DataPacket p =
      sqlSelect(db,
                "SELECT COUNT(*) AS N FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                "AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 AND IDSTATUS = 'A'",
                {{"F", sale.key.filial}, {"C", sale.key.caixa}, {"D0", sale.day}, {"D1", DateTime(sale.day.days + 1)}},
                {{"N", FieldType::Integer}});
  return p.rows[0].values[0].asNumber() > 0 ? kReducaoAprovada : "";
}

void requireChangeable(soci::session& db, const SaleInfo& sale, bool pendingOnly) {
  const std::string reason = lockedReason(db, sale);
  if (!reason.empty()) throw OperationError(reason);
  if (pendingOnly && sale.status != "P") throw OperationError(kVendaNaoPendente);
}

namespace {

long long highestStored(soci::session& db, const std::string& maxSql, const SqlParams& params) {
  const DataPacket p = sqlSelect(db, maxSql, params, {{"M", FieldType::String, 20}});
  const std::string top = p.rows.empty() ? "" : trim(p.rows[0].values[0].asText());
  if (!std::all_of(top.begin(), top.end(), [](unsigned char c) { return std::isdigit(c); }) || top.size() > 18)
    throw OperationError("Numeração inválida encontrada: '" + top + "'.");
  return top.empty() ? 0 : std::stoll(top);
}

std::string numberText(long long number, int width) {
  const std::string text = Ajusta(std::to_string(number), static_cast<size_t>(width));
  if (text.size() > static_cast<size_t>(width))
    throw OperationError("Numeração esgotada: o próximo número (" + text + ") passa de " + std::to_string(width) +
                         " dígitos.");
  return text;
}

}  // namespace

std::string nextNumber(soci::session& db, const std::string& maxSql, const SqlParams& params, int width) {
  return numberText(highestStored(db, maxSql, params) + 1, width);
}

std::string reserveNumber(soci::session& db, const std::string& series, const std::string& scope,
                          const std::string& maxSql, const SqlParams& params, int width) {
  const SqlParams key{{"S", series}, {"K", scope}};
  sqlExecute(db,
             "INSERT INTO NUMERACAO (IDNUMERACAO, DSCHAVE, NRULTIMO) VALUES (:S, :K, 0) "
             "ON CONFLICT DO NOTHING",
             key);
  // The increment takes the row's lock first: a concurrent caller waits here
  // until this transaction ends, then reads what it left.
  sqlExecute(db, "UPDATE NUMERACAO SET NRULTIMO = NRULTIMO + 1 WHERE IDNUMERACAO = :S AND DSCHAVE = :K", key);
  const DataPacket counter = sqlSelect(db, "SELECT NRULTIMO FROM NUMERACAO WHERE IDNUMERACAO = :S AND DSCHAVE = :K",
                                       key, {{"NRULTIMO", FieldType::Float}});
  const auto given = static_cast<long long>(counter.rows.at(0).values[0].asNumber());
  // Rows written without a reserved number (imported sales, older servers)
  // keep the numbering above them.
  const long long next = std::max(given, highestStored(db, maxSql, params) + 1);
  const std::string text = numberText(next, width);
  if (next != given)
    sqlExecute(db, "UPDATE NUMERACAO SET NRULTIMO = :N WHERE IDNUMERACAO = :S AND DSCHAVE = :K",
               {{"N", static_cast<double>(next)}, {"S", series}, {"K", scope}});
  return text;
}

bool Consumer::empty() const { return trim(client).empty() || trim(code).empty(); }

double cents(double value) { return RoundDec(value, 2); }

std::string textArg(const Value& v) { return v.isText() ? v.text() : v.asText(); }

DateTime dateArg(const Value& v) { return v.asDateTime(); }

const DataPacket& packetArg(const Value& v) {
  static const DataPacket empty;
  return v.isPacket() ? v.packet() : empty;
}

const std::vector<Value>& rowValues(const PacketRow& row) {
  return row.kind == platform::RowKind::Delete && !row.original.empty() ? row.original : row.values;
}

const std::vector<Value>& readValues(const PacketRow& row) {
  static const std::vector<Value> none;
  switch (row.kind) {
    case platform::RowKind::Modify:
      return row.original;
    case platform::RowKind::Delete:
      return rowValues(row);
    default:
      return none;
  }
}

Value fieldOf(const DataPacket& delta, const std::vector<Value>& values, std::string_view name) {
  const int i = delta.fieldIndex(name);
  if (i < 0 || static_cast<size_t>(i) >= values.size()) return Value();
  return values[static_cast<size_t>(i)];
}

SaleKey saleOf(const DataPacket& delta, const std::vector<Value>& values) {
  return {fieldOf(delta, values, "CDFILIAL").asText(), fieldOf(delta, values, "CDCAIXA").asText(),
          fieldOf(delta, values, "NRSEQVENDA").asText()};
}

std::vector<SaleInfo> requireChangeableSales(soci::session& db, const DataPacket& delta, bool pendingOnly) {
  std::vector<SaleInfo> sales;
  for (const PacketRow& row : delta.rows) {
    if (row.kind == platform::RowKind::Unchanged) continue;
    // A Modify may move a row to another sale; both sales change then.
    std::vector<SaleKey> keys = {saleOf(delta, rowValues(row))};
    if (row.kind == platform::RowKind::Modify) keys.push_back(saleOf(delta, row.original));
    for (const SaleKey& key : keys) {
      if (std::any_of(sales.begin(), sales.end(), [&](const SaleInfo& s) { return s.key == key; })) continue;
      sales.push_back(requireSale(db, key));
      requireChangeable(db, sales.back(), pendingOnly);
    }
  }
  return sales;
}

DataPacket zeroNulls(const DataPacket& delta, const std::vector<std::string>& fields) {
  DataPacket out = delta;
  for (PacketRow& row : out.rows) {
    if (row.kind != platform::RowKind::Insert && row.kind != platform::RowKind::Modify) continue;
    for (const std::string& name : fields) {
      const int i = out.fieldIndex(name);
      if (i >= 0 && static_cast<size_t>(i) < row.values.size() && row.values[static_cast<size_t>(i)].isNull())
        row.values[static_cast<size_t>(i)] = 0.0;
    }
  }
  return out;
}

DeltaCounts applyChanges(soci::session& db, std::string_view table, const std::vector<std::string>& keyFields,
                         const DataPacket& delta) {
  try {
    return applyDelta(db, table, keyFields, delta);
  } catch (const ConflictError& e) {
    throw OperationError(e.what());
  }
}

}  // namespace sale
}  // namespace server
