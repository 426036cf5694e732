// Concluding and cancelling a sale, and the paid amount the conclusion is
// checked against.

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/frame_queries.h"
#include "server/ops_sale_common.h"

using namespace platform;

namespace server::sale {
namespace {

constexpr const char* kSemItens = "Operação bloqueada. Não há itens na venda.";
constexpr const char* kSemRecebimento = "Operação bloqueada. Não há recebimento na venda.";
constexpr const char* kNaoPaga = "Operação bloqueada. A venda não foi totalmente paga.";
constexpr const char* kPagoAMais = "Valor dos recebimentos deve igual ao valor total da venda.";
constexpr const char* kTotalAlterado =
    "Operação bloqueada. O total da venda foi alterado por outro usuário. Recarregue os dados "
    "e tente novamente.";
// A catalogue key: the screen shows its text.
constexpr const char* kDifReducao = "Dif_Vr_Reduz";
constexpr const char* kLancadaNoPdv = "Operação bloqueada! Venda lançada no Tillora.";
constexpr const char* kJaCancelada = "Operação bloqueada. A venda já está cancelada.";
constexpr const char* kEstoqueAtualizado = "Operação bloqueada. O estoque da venda já foi atualizado.";
constexpr const char* kEstornoCancelamento = "Estorno de débito: venda cancelada pelo operador.";
constexpr size_t kObservationSize = 2000;

SqlParams keyParams(const SaleKey& k) { return {{"F", k.filial}, {"C", k.caixa}, {"N", k.nrSeq}}; }

constexpr const char* kSaleWhere = "CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N";

// A status update of one sale, recorded in the audit trail; answers the
// number of rows it changed.
long long updateSale(soci::session& db, const SaleKey& key, const std::string& sql, const SqlParams& params) {
  long long changed = 0;
  auditedWrite(db, "VENDA", kSaleWhere, keyParams(key), [&] { changed = sqlExecute(db, sql, params); });
  return changed;
}

double number(soci::session& db, const std::string& sql, const SqlParams& params) {
  const DataPacket p = sqlSelect(db, sql, params, {{"N", FieldType::Float}});
  return p.rows.empty() ? 0.0 : p.rows[0].values[0].asNumber();
}

// Entries ("E") of the sale's register movements, rounded to cents so that
// both databases answer the same figure for the same amounts.
double paidAmount(soci::session& db, const SaleKey& k) {
  return cents(number(db,
                      "SELECT COALESCE(SUM(VRMOVIVEND), 0) AS N FROM MOVCAIXA WHERE CDFILIAL = :F "
                      "AND CDCAIXA = :C AND NRSEQVENDA = :N AND IDTIPOMOVIVE = 'E'",
                      keyParams(k)));
}

// Whether concluding a sale of `total` would take the concluded and returned
// sales of its register day beyond the net sale of the day's Z reductions.
// A day without a Z reduction yet is not checked: its reduction, once typed,
// is checked against the sales when the register is closed.
bool breaksReduction(soci::session& db, const SaleInfo& sale, double total) {
  const SqlParams day = {
      {"F", sale.key.filial}, {"C", sale.key.caixa}, {"D0", sale.day}, {"D1", DateTime(sale.day.days + 1)}};
  const DataPacket z = sqlSelect(db,
                                 "SELECT COUNT(*) AS N, COALESCE(SUM(VRVENLIQREDZ), 0) AS NET FROM REDUCAOZ "
                                 "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1",
                                 day, {{"N", FieldType::Integer}, {"NET", FieldType::Float}});
  if (z.rows[0].values[0].asNumber() == 0) return false;
  // Each sale total is the sum of its item totals cut to cents, as the
  // screen shows them; so is the day's.
  const FieldType F = FieldType::Float;
  const DataPacket items = sqlSelect(
      db,
      "SELECT I.QTPRODVEND, I.VRUNITVEND, I.VRUNITVENDCL, I.VRDESITVEND, I.VRACRITVEND "
      "FROM VENDA V JOIN ITVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
      "AND I.NRSEQVENDA = V.NRSEQVENDA "
      "WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND V.IDSITUVENDA IN ('O', 'D') "
      "AND V.DTENTRVENDA >= :D0 AND V.DTENTRVENDA < :D1",
      day, {{"QTPRODVEND", F}, {"VRUNITVEND", F}, {"VRUNITVENDCL", F}, {"VRDESITVEND", F}, {"VRACRITVEND", F}});
  double concluded = 0;
  for (const PacketRow& r : items.rows) {
    const std::vector<Value>& v = r.values;
    concluded += ItemTotal(v[0].asNumber(), v[1].asNumber(), v[2].asNumber(), v[3].asNumber(), v[4].asNumber());
  }
  return cents(concluded + total) > cents(z.rows[0].values[1].asNumber());
}

// The verdict on concluding the sale: empty when it may be concluded, else
// the refusal the screen shows (a text, or a catalogue key).
std::string conclusionRefusal(soci::session& db, const SaleInfo& sale, const Value& screenTotal) {
  if (sale.status != "P") return kVendaNaoPendente;
  if (std::string reason = lockedReason(db, sale); !reason.empty()) return reason;
  const SqlParams k = keyParams(sale.key);
  const std::string where = " WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N";
  if (number(db, "SELECT COUNT(*) AS N FROM ITVENDA" + where, k) +
          number(db, "SELECT COUNT(*) AS N FROM ITVENDACANC" + where, k) ==
      0)
    return kSemItens;
  if (number(db, "SELECT COUNT(*) AS N FROM MOVCAIXA" + where + " AND IDTIPOMOVIVE = 'E'", k) == 0)
    return kSemRecebimento;
  const double total = cents(saleTotal(db, sale.key.filial, sale.key.caixa, sale.key.nrSeq));
  if (!screenTotal.isNull() && cents(screenTotal.asNumber()) != total) return kTotalAlterado;
  const double paid = paidAmount(db, sale.key);
  if (total > paid) return kNaoPaga;
  if (total < paid) return kPagoAMais;
  if (breaksReduction(db, sale, total)) return kDifReducao;
  return "";
}

// Answers "@" followed by the text the screen sent (the Z reduction warning
// it shows) when the sale is concluded; any other answer is the refusal.
// Refusals are answers, not errors: the screen reads this result unchecked.
Value concluiVenda(OperationContext& ctx, std::vector<Value>& args) {
  const SaleKey key{textArg(args[0]), textArg(args[1]), textArg(args[2])};
  const std::optional<SaleInfo> sale = findSale(ctx.db, key);
  if (!sale) return "Venda " + key.nrSeq + " do caixa " + key.caixa + " da filial " + key.filial + " não encontrada.";
  if (std::string refusal = conclusionRefusal(ctx.db, *sale, args[4]); !refusal.empty()) return refusal;
  SqlParams params = keyParams(key);
  params.push_back({"D", now()});
  if (updateSale(ctx.db, key,
                 "UPDATE VENDA SET IDSITUVENDA = 'O', DTFECHAVENDA = :D WHERE CDFILIAL = :F "
                 "AND CDCAIXA = :C AND NRSEQVENDA = :N AND IDSITUVENDA = 'P'",
                 params) != 1)
    return kVendaNaoPendente;
  return "@" + textArg(args[5]);
}

// The observation with the cancellation note appended on a line of its own.
// When the two exceed the column, the older text gives way at its end: the
// note of who cancelled the sale is always kept whole.
std::string withNote(const std::string& observation, const std::string& note) {
  std::string old = trimRight(observation);
  const std::string tail = (old.empty() ? "" : "\r\n") + note;
  const size_t room = kObservationSize > utf8Length(tail) ? kObservationSize - utf8Length(tail) : 0;
  if (utf8Length(old) > room) old = utf8Left(old, room);
  return utf8Left(old + tail, kObservationSize);
}

// Cancels a sale typed on this screen whose stock was not yet updated: its
// status becomes "C", the note with the operator and the date is appended to
// its observation, and what its account receipts debited is credited back.
Value cancelaVenda(OperationContext& ctx, std::vector<Value>& args) {
  const SaleInfo sale = requireSale(ctx.db, {textArg(args[0]), textArg(args[1]), textArg(args[2])});
  if (sale.origin != "VND_MAN") throw OperationError(kLancadaNoPdv);
  if (sale.status == "C") throw OperationError(kJaCancelada);
  if (!sale.stock.empty()) throw OperationError(kEstoqueAtualizado);
  requireChangeable(ctx.db, sale, false);

  const std::string given = trim(textArg(args[3]));
  const Value op = operatorOrNull(ctx.db, given.empty() ? ctx.operatorCode : given);
  std::string name;
  if (!op.isNull())
    name = sqlSelect(ctx.db, "SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = :O", {{"O", op}},
                     {{"NMOPERADOR", FieldType::String, 50}})
               .rows[0]
               .values[0]
               .asText();
  const std::string note = textArg(args[4]) + op.asText() + "-" + name + "-" + formatDate(today());

  SqlParams params = keyParams(sale.key);
  params.push_back({"T", withNote(sale.observation, note)});
  params.push_back({"S", sale.status});
  if (updateSale(ctx.db, sale.key,
                 "UPDATE VENDA SET IDSITUVENDA = 'C', TXOBSVENDA = :T WHERE CDFILIAL = :F "
                 "AND CDCAIXA = :C AND NRSEQVENDA = :N AND IDSITUVENDA = :S",
                 params) != 1)
    throw OperationError("A venda " + sale.key.nrSeq +
                         " foi alterada por outro usuário. Recarregue os dados e tente novamente.");
  refundSaleDebits(ctx.db, sale, kEstornoCancelamento, op);
  return Value();
}

Value getVerifValorPag(OperationContext& ctx, std::vector<Value>& args) {
  DataPacket p;
  p.fields = {{"VALOR", FieldType::Float, 0}};
  const SaleKey key{textArg(args[0]), textArg(args[1]), textArg(args[2])};
  p.rows.push_back({RowKind::Unchanged, {paidAmount(ctx.db, key)}, {}});
  return p;
}

}  // namespace

void registerConcludeOperations(OperationRegistry& registry) {
  registry.add("ConcluiVenda", "SSSDFS", concluiVenda);
  registry.add("CancelaVenda", "SSSSS", cancelaVenda);
  registry.add("GetVerifValorPag", "SSS", getVerifValorPag);
}

}  // namespace server::sale
