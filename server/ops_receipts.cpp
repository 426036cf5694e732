// Sale receipts: the register movements that pay a sale, the consumer-account
// debits booked for account receipts, movement numbering, quotations,
// consumer balances and the origin receipt types of a register day.

#include <cmath>
#include <map>

#include "platform/datetime.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/ops_sale_common.h"

using namespace platform;

namespace server::sale {
namespace {

const std::vector<std::string> kReceiptKey = {"CDFILIAL", "CDCAIXA", "DTABERCAIX", "NRSEQUMOVI"};

constexpr const char* kDebitText = "Inclusão de débito realizada pelo operador.";
constexpr const char* kReversalText = "Estorno de débito realizado pelo operador.";
constexpr const char* kDeletionReversalText = "Estorno de débito: recebimento excluído pelo operador.";

// cdsTipReceOrig
const std::vector<FieldDef>& originTypeFields() {
  static const std::vector<FieldDef> f = {{"CDTIPORECE", FieldType::String, 3},
                                          {"NMTIPORECE", FieldType::String, 40},
                                          {"CDFPIMPFIS", FieldType::String, 10}};
  return f;
}

// cdsSaldoCons
const std::vector<FieldDef>& balanceFields() {
  static const std::vector<FieldDef> f = {{"VRSALDOCONS", FieldType::Float, 0}, {"VRSALDPECONS", FieldType::Float, 0}};
  return f;
}

// cdsIndice
const std::vector<FieldDef>& quotationFields() {
  static const std::vector<FieldDef> f = {{"CDTPINDICE", FieldType::String, 1},
                                          {"IDPERVALOR", FieldType::String, 1},
                                          {"CDINDICE", FieldType::String, 4},
                                          {"DTREFIND", FieldType::DateTime, 0},
                                          {"VRINDICE", FieldType::Float, 0}};
  return f;
}

// The kind of each receipt type met (IDTIPORECE: "A" consumer account...).
class ReceiptTypes {
 public:
  explicit ReceiptTypes(soci::session& db) : db_(db) {}

  // Empty when the type is not registered.
  const std::string& kind(const std::string& code) {
    auto it = kinds_.find(code);
    if (it != kinds_.end()) return it->second;
    const DataPacket p = sqlSelect(db_, "SELECT IDTIPORECE FROM TIPORECE WHERE CDTIPORECE = :C", {{"C", code}},
                                   {{"IDTIPORECE", FieldType::String, 1}});
    return kinds_[code] = p.rows.empty() ? "" : trim(p.rows[0].values[0].asText());
  }
  bool registered(const std::string& code) { return !kind(code).empty(); }

 private:
  soci::session& db_;
  std::map<std::string, std::string> kinds_;
};

// The amount a receipt charges to the consumer's account: its value when it
// is an entry ("E") of an account type ("A"), else nothing.
double accountCharge(ReceiptTypes& types, const DataPacket& delta, const std::vector<Value>& v) {
  if (v.empty()) return 0.0;
  const std::string movement = trim(fieldOf(delta, v, "IDTIPOMOVIVE").asText());
  if (movement != "E" || types.kind(trim(fieldOf(delta, v, "CDTIPORECE").asText())) != "A") return 0.0;
  return cents(fieldOf(delta, v, "VRMOVIVEND").asNumber());
}

// The consumer whose account the sale's earlier debits went to (the sale's
// consumer may have been changed since), or the sale's consumer.
Consumer debitedConsumer(soci::session& db, const SaleInfo& sale) {
  const DataPacket p =
      sqlSelect(db,
                "SELECT CDCLIENTE, CDCONSUMIDOR FROM MOVCONS WHERE CDFILIAL = :F AND CDCAIXA = :C "
                "AND NRSEQVENDA = :N AND IDTIPOMOVCONS = 'D' ORDER BY DTMOVCONS DESC, NRSEQMOVCONS DESC",
                {{"F", sale.key.filial}, {"C", sale.key.caixa}, {"N", sale.key.nrSeq}},
                {{"CDCLIENTE", FieldType::String, 21}, {"CDCONSUMIDOR", FieldType::String, 21}});
  if (p.rows.empty()) return {sale.client, sale.consumer};
  return {p.rows[0].values[0].asText(), p.rows[0].values[1].asText()};
}

void checkReceipt(ReceiptTypes& types, const DataPacket& delta, const PacketRow& row, const SaleInfo& sale) {
  const std::vector<Value>& v = row.values;
  if (!types.registered(trim(fieldOf(delta, v, "CDTIPORECE").asText())))
    throw OperationError("Tipo de recebimento não cadastrado.");
  const Value amount = fieldOf(delta, v, "VRMOVIVEND");
  if (amount.isNull()) throw OperationError("Valor deve ser informado.");
  if (amount.asNumber() < 0) throw OperationError("O valor do recebimento não pode ser negativo.");
  const DateTime opened = fieldOf(delta, v, "DTABERCAIX").asDateTime();
  if (fieldOf(delta, v, "CDFILIAL").asText() != sale.opening.filial ||
      fieldOf(delta, v, "CDCAIXA").asText() != sale.opening.caixa ||
      std::abs(opened.days - sale.openedAt.days) * 86400.0 >= 0.5)
    throw OperationError("O recebimento deve ser lançado na abertura de caixa da venda " + sale.key.nrSeq + ".");
}

const SaleInfo& saleIn(const std::vector<SaleInfo>& sales, const SaleKey& key) {
  for (const SaleInfo& s : sales)
    if (s.key == key) return s;
  throw OperationError("Venda " + key.nrSeq + " não encontrada.");
}

// Applies a change log of receipts of pending sales and books, in the same
// transaction, what each change means to the consumer's account: an account
// receipt added or raised debits the sale's consumer, one removed or lowered
// credits back the consumer that was debited.
void applyReceipts(soci::session& db, const DataPacket& delta, const std::string& debitText,
                   const std::string& reversalText, const Value& op) {
  ReceiptTypes types(db);
  const std::vector<SaleInfo> sales = requireChangeableSales(db, delta, true);
  for (const PacketRow& row : delta.rows)
    if (row.kind == RowKind::Insert || row.kind == RowKind::Modify)
      checkReceipt(types, delta, row, saleIn(sales, saleOf(delta, row.values)));
  applyChanges(db, "MOVCAIXA", kReceiptKey, delta);

  for (const PacketRow& row : delta.rows) {
    const bool writes = row.kind == RowKind::Insert || row.kind == RowKind::Modify;
    const double before = accountCharge(types, delta, readValues(row));
    const double after = writes ? accountCharge(types, delta, row.values) : 0.0;
    if (before == 0 && after == 0) continue;
    const SaleInfo& sale = saleIn(sales, saleOf(delta, rowValues(row)));
    const SaleInfo& read = before > 0 ? saleIn(sales, saleOf(delta, readValues(row))) : sale;
    const Consumer charged{sale.client, sale.consumer};
    if (after > 0 && charged.empty()) throw OperationError(kConsumidorDeveSer);
    const Consumer refunded = before > 0 ? debitedConsumer(db, read) : charged;
    if (refunded == charged && read.key == sale.key) {
      const double change = cents(after - before);
      if (change > 0) bookConsumer(db, charged, 'D', change, debitText, sale.key, op);
      if (change < 0 && !charged.empty()) bookConsumer(db, charged, 'C', -change, reversalText, sale.key, op);
      continue;
    }
    if (before > 0 && !refunded.empty()) bookConsumer(db, refunded, 'C', before, reversalText, read.key, op);
    if (after > 0) bookConsumer(db, charged, 'D', after, debitText, sale.key, op);
  }
}

Value gravaTipoRece(OperationContext& ctx, std::vector<Value>& args) {
  const std::string text = trim(textArg(args[1]));
  applyReceipts(ctx.db, packetArg(args[0]), text.empty() ? kDebitText : text, kReversalText,
                operatorOrNull(ctx.db, ctx.operatorCode));
  return Value();
}

Value delTipoRece(OperationContext& ctx, std::vector<Value>& args) {
  const std::string op = trim(textArg(args[1]));
  applyReceipts(ctx.db, packetArg(args[0]), kDebitText, kDeletionReversalText,
                operatorOrNull(ctx.db, op.empty() ? ctx.operatorCode : op));
  return Value();
}

Value prxMovCaixa(OperationContext& ctx, std::vector<Value>& args) {
  const std::string f = textArg(args[0]), c = textArg(args[1]);
  const DateTime opened = dateArg(args[2]);
  // The opening is named by its date-time to the second.
  const std::string scope = f + "|" + c + "|" + std::to_string(std::llround(opened.days * 86400.0));
  return reserveNumber(ctx.db, "MOVCAIXA", scope,
                       "SELECT MAX(NRSEQUMOVI) AS M FROM MOVCAIXA "
                       "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTABERCAIX = :D",
                       {{"F", f}, {"C", c}, {"D", opened}}, 10);
}

// Receipt types used by the receipts of the register's pending, concluded and
// returned sales of the movement date: the origins a Z reduction payment
// form may name, as its payment forms are checked against those receipts.
Value getTipReceOrig(OperationContext& ctx, std::vector<Value>& args) {
  const DateTime day = dateOf(dateArg(args[2]));
  return selectPacket(ctx.db,
                      "SELECT T.CDTIPORECE, T.NMTIPORECE, T.CDFPIMPFIS FROM TIPORECE T WHERE EXISTS ("
                      "SELECT 1 FROM MOVCAIXA M JOIN VENDA V ON V.CDFILIAL = M.CDFILIAL "
                      "AND V.CDCAIXA = M.CDCAIXA AND V.NRSEQVENDA = M.NRSEQVENDA "
                      "WHERE M.CDTIPORECE = T.CDTIPORECE AND V.CDFILIAL = :F AND V.CDCAIXA = :C "
                      "AND M.IDTIPOMOVIVE = 'E' AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1 "
                      "AND V.IDSITUVENDA IN ('P', 'O', 'D')) ORDER BY T.CDTIPORECE",
                      {{"F", textArg(args[0])}, {"C", textArg(args[1])}, {"D0", day}, {"D1", DateTime(day.days + 1)}},
                      originTypeFields());
}

Value getSaldoCons(OperationContext& ctx, std::vector<Value>& args) {
  return selectPacket(ctx.db,
                      "SELECT VRSALDOCONS, VRSALDPECONS FROM SALDOCONS "
                      "WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K",
                      {{"C", textArg(args[0])}, {"K", textArg(args[1])}}, balanceFields());
}

// The quotations of an index on the day (latest first); none when the day
// has no quotation.
Value getIndice(OperationContext& ctx, std::vector<Value>& args) {
  const DateTime day = dateOf(dateArg(args[1]));
  return selectPacket(ctx.db,
                      "SELECT CDTPINDICE, IDPERVALOR, CDINDICE, DTREFIND, VRINDICE FROM MOVINDICE "
                      "WHERE CDINDICE = :I AND DTREFIND >= :D0 AND DTREFIND < :D1 "
                      "ORDER BY DTREFIND DESC",
                      {{"I", textArg(args[0])}, {"D0", day}, {"D1", DateTime(day.days + 1)}}, quotationFields());
}

}  // namespace

Value operatorOrNull(soci::session& db, const std::string& code) {
  if (trim(code).empty()) return Value();
  if (sqlSelect(db, "SELECT CDOPERADOR FROM OPERADOR WHERE CDOPERADOR = :O", {{"O", code}}).rows.empty())
    throw OperationError("Operador " + code + " não cadastrado.");
  return code;
}

void bookConsumer(soci::session& db, const Consumer& c, char kind, double amount, const std::string& description,
                  const SaleKey& sale, const Value& op) {
  const DateTime when = now();
  const double change = kind == 'D' ? -amount : amount;
  // The balance first: its row lock queues concurrent bookings of the same
  // consumer, so that each numbers its movement after the other's.
  const SqlParams consumer = {{"C", c.client}, {"K", c.code}};
  auditedWrite(db, "SALDOCONS", "CDCLIENTE = :C AND CDCONSUMIDOR = :K", consumer, [&] {
    if (sqlExecute(db,
                   "UPDATE SALDOCONS SET VRSALDOCONS = VRSALDOCONS + :V, DTULTMOVCONS = :D "
                   "WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K",
                   {{"V", change}, {"D", when}, {"C", c.client}, {"K", c.code}}) == 0)
      sqlExecute(db,
                 "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, VRSALDOCONS, VRSALDPECONS, "
                 "DTULTMOVCONS) VALUES (:C, :K, :V, 0, :D)",
                 {{"C", c.client}, {"K", c.code}, {"V", change}, {"D", when}});
  });
  const DataPacket top =
      sqlSelect(db, "SELECT MAX(NRSEQMOVCONS) AS M FROM MOVCONS WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K",
                {{"C", c.client}, {"K", c.code}}, {{"M", FieldType::Integer}});
  const long long number = static_cast<long long>(top.rows[0].values[0].asNumber()) + 1;
  SqlParams movement = consumer;
  movement.push_back({"N", number});
  auditedWrite(db, "MOVCONS", "CDCLIENTE = :C AND CDCONSUMIDOR = :K AND NRSEQMOVCONS = :N", movement, [&] {
    sqlExecute(db,
               "INSERT INTO MOVCONS (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCONS, DTMOVCONS, "
               "IDTIPOMOVCONS, VRMOVCONS, DSMOVCONS, CDFILIAL, CDCAIXA, NRSEQVENDA, CDOPERADOR) "
               "VALUES (:C, :K, :N, :D, :T, :V, :S, :F, :X, :Y, :O)",
               {{"C", c.client},
                {"K", c.code},
                {"N", number},
                {"D", when},
                {"T", std::string(1, kind)},
                {"V", amount},
                {"S", utf8Left(description, 100)},
                {"F", sale.filial},
                {"X", sale.caixa},
                {"Y", sale.nrSeq},
                {"O", op}});
  });
}

void refundSaleDebits(soci::session& db, const SaleInfo& sale, const std::string& description, const Value& op) {
  const DataPacket p = sqlSelect(
      db,
      "SELECT CDCLIENTE, CDCONSUMIDOR, SUM(CASE WHEN IDTIPOMOVCONS = 'D' THEN VRMOVCONS "
      "ELSE -VRMOVCONS END) AS SALDO FROM MOVCONS WHERE CDFILIAL = :F AND CDCAIXA = :C "
      "AND NRSEQVENDA = :N GROUP BY CDCLIENTE, CDCONSUMIDOR ORDER BY CDCLIENTE, CDCONSUMIDOR",
      {{"F", sale.key.filial}, {"C", sale.key.caixa}, {"N", sale.key.nrSeq}},
      {{"CDCLIENTE", FieldType::String, 21}, {"CDCONSUMIDOR", FieldType::String, 21}, {"SALDO", FieldType::Float}});
  for (const PacketRow& row : p.rows) {
    const double owed = cents(row.values[2].asNumber());
    if (owed > 0)
      bookConsumer(db, {row.values[0].asText(), row.values[1].asText()}, 'C', owed, description, sale.key, op);
  }
}

void registerReceiptOperations(OperationRegistry& registry) {
  registry.add("GravaTipoRece", "P&S", gravaTipoRece);
  registry.add("DelTipoRece", "PS", delTipoRece);
  registry.add("PrxMovCaixa", "SSD", Access::Write, prxMovCaixa);
  registry.add("GetTipReceOrig", "SSD", getTipReceOrig);
  registry.add("GetSaldoCons", "SS", getSaldoCons);
  registry.add("GetIndice", "SD", getIndice);
}

}  // namespace server::sale
