// The sale header's operations: saving a sale with its items and item taxes,
// deleting sales, numbering them and the consumers of a client.

#include <optional>
#include <set>

#include "platform/consiste.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/frame_guards.h"
#include "server/frame_queries.h"
#include "server/ops_frame_internal.h"
#include "server/ops_sale_common.h"
#include "server/storage.h"

using namespace platform;

namespace server {
namespace {

const std::vector<std::string> kSaleKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"};
const std::vector<std::string> kItemKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND"};
const std::vector<std::string> kTaxKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND", "NRSEQITIMPOS"};
// What a seller change writes; allowed on a sale in any state.
const std::vector<std::string> kSellerChange = {"CDVENDEDOR", "TXOBSVENDA"};

struct SaleKey {
  std::string filial, caixa, nr;
  friend auto operator<=>(const SaleKey&, const SaleKey&) = default;
};
SaleKey keyOf(const DeltaRow& r) { return {r.text("CDFILIAL"), r.text("CDCAIXA"), r.text("NRSEQVENDA")}; }

// What the guards need of a sale: its status, its opening and its day.
struct SaleState {
  std::string status;
  std::string filialTur, caixaTur;
  Value opened, movement;
};

std::optional<SaleState> findSale(soci::session& db, const SaleKey& k) {
  const DataPacket p = sqlSelect(db,
                                 "SELECT IDSITUVENDA, CDFILIALTUR, CDCAIXATUR, DTABERTUR, DTENTRVENDA FROM VENDA "
                                 "WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
                                 {{"F", k.filial}, {"C", k.caixa}, {"N", k.nr}},
                                 {{"IDSITUVENDA", FieldType::String, 1},
                                  {"CDFILIALTUR", FieldType::String, 4},
                                  {"CDCAIXATUR", FieldType::String, 3},
                                  {"DTABERTUR", FieldType::DateTime},
                                  {"DTENTRVENDA", FieldType::DateTime}});
  if (p.rows.empty()) return std::nullopt;
  const auto& v = p.rows[0].values;
  return SaleState{v[0].asText(), v[1].asText(), v[2].asText(), v[3], v[4]};
}

// A sale's state as a delta row would leave it: the row's values where it
// carries them, the stored ones elsewhere.
SaleState stateOf(const DeltaRow& v, const SaleState& base = {}) {
  auto pick = [&](const char* f, const Value& stored) { return v.has(f) ? v[f] : stored; };
  return {pick("IDSITUVENDA", base.status).asText(), pick("CDFILIALTUR", base.filialTur).asText(),
          pick("CDCAIXATUR", base.caixaTur).asText(), pick("DTABERTUR", base.opened),
          pick("DTENTRVENDA", base.movement)};
}

std::string saleText(const SaleKey& k) { return trim(k.nr); }

// The register guards a sale's money passes: the branch permits
// maintenance, the sale's opening is of its own register and still open,
// and its movement day is neither approved nor outside the branch's window.
void guardSale(soci::session& db, const SaleKey& k, const SaleState& s) {
  if (s.movement.isNull()) throw OperationError("Data da venda deve ser informada.");
  if (s.filialTur != k.filial || s.caixaTur != k.caixa || s.opened.isNull())
    throw OperationError("A venda " + saleText(k) + " deve pertencer a uma abertura do seu próprio caixa.");
  checkBranchPermits(db, k.filial);
  const auto opening = findOpening(db, s.filialTur, s.caixaTur, s.opened.asDateTime());
  if (!opening) throw OperationError(kMissingOpening);
  if (opening->closed) throw OperationError(kClosedRegister);
  checkDayNotApproved(db, k.filial, k.caixa, s.movement.asDateTime());
  checkMovementWindow(db, k.filial, s.movement.asDateTime());
}

[[noreturn]] void notPending(const SaleKey& k, const std::string& what) {
  throw OperationError("Operação não permitida. A venda " + saleText(k) + " não está pendente" + what);
}

// An item's figures, as the items grid checks them before posting; only the
// fields the delta carries are looked at.
void checkItemFigures(const DeltaRow& v) {
  auto num = [&](const char* f) { return v[f].asNumber(); };
  if (v.has("QTPRODVEND")) {
    if (v["QTPRODVEND"].isNull()) throw OperationError("Quantidade deve ser informada.");
    if (num("QTPRODVEND") <= 0) throw OperationError("Quantidade de produtos deve ser maior que zero.");
  }
  if (v.has("VRUNITVEND")) {
    if (v["VRUNITVEND"].isNull()) throw OperationError("Vr. Unit. deve ser informado.");
    if (num("VRUNITVEND") < 0) throw OperationError("Vr. Unit. deve ser maior ou igual a zero.");
  }
  if (num("VRUNITVENDCL") < 0) throw OperationError("Vr. Cliente deve ser maior ou igual a zero.");
  if (v.has("VRUNITVEND") && num("VRUNITVEND") + num("VRUNITVENDCL") <= 0)
    throw OperationError("Vr.Unit ou Vr.Cliente deve ser maior que zero.");
  if (num("VRDESITVEND") < 0) throw OperationError("Desconto deve ser maior ou igual a zero.");
  // A discount above the product's value passes while the surcharge keeps
  // the line total positive; up to the product's value it always passes.
  if (v.has("QTPRODVEND")) {
    const double gross = RoundDec(num("QTPRODVEND") * num("VRUNITVEND"), 2);
    const double discount = RoundDec(num("VRDESITVEND"), 2);
    if (discount > gross && discount >= RoundDec(gross + num("VRACRITVEND"), 2))
      throw OperationError("Valor do desconto deve ser menor que o valor total do produto.");
  }
  if (num("VRACRITVEND") < 0) throw OperationError("Acréscimo deve ser maior ou igual a zero.");
}

// Applies a sale's three change logs in one transaction, in the order the
// keys need: sales inserted or changed, then items, then taxes; deletions in
// the reverse order (taxes, items, sales). Every row is checked before its
// table is written.
class SaleWriter {
 public:
  SaleWriter(soci::session& db, std::string operatorCode) : db_(db), operator_(std::move(operatorCode)) {}

  void write(const DataPacket* sales, const DataPacket* items, const DataPacket* taxes) {
    if (sales) {
      DataPacket upserts = deltaRows(*sales, {RowKind::Insert, RowKind::Modify});
      for (PacketRow& row : upserts.rows) checkSale(upserts, row);
      applyDelta(db_, "VENDA", kSaleKey, upserts);
    }
    if (items) applyChildren(*items, "ITVENDA", kItemKey, {RowKind::Insert, RowKind::Modify});
    if (taxes) applyChildren(*taxes, "ITVENDAIMPOS", kTaxKey, {RowKind::Insert, RowKind::Modify});
    if (taxes) applyChildren(*taxes, "ITVENDAIMPOS", kTaxKey, {RowKind::Delete});
    if (items) applyChildren(*items, "ITVENDA", kItemKey, {RowKind::Delete});
    if (sales) {
      DataPacket deletes = deltaRows(*sales, {RowKind::Delete});
      for (PacketRow& row : deletes.rows) checkSale(deletes, row);
      applyDelta(db_, "VENDA", kSaleKey, deletes);
    }
  }

 private:
  void checkSale(DataPacket& delta, PacketRow& row) {
    const DeltaRow o(delta, row, true), v(delta, row, false);
    if (row.kind == RowKind::Insert) {
      if (v.text("IDSITUVENDA") != "P") throw OperationError("Uma venda incluída deve estar pendente.");
      guardSale(db_, keyOf(v), stateOf(v));
      stampOperator(delta, row);
      return;
    }
    const SaleKey key = keyOf(o);
    const auto stored = findSale(db_, key);
    if (!stored) return;  // gone: the delta's own check reports who deleted it
    if (row.kind == RowKind::Delete) {
      if (stored->status != "P") notPending(key, " e não pode ser excluída.");
      guardSale(db_, key, *stored);
      restoreConsumerBalances(key);
      return;
    }
    if (keyOf(v) != key) throw OperationError("A filial, o caixa e o número de uma venda não podem ser alterados.");
    bool sellerOnly = true;
    for (const std::string& c : changedColumns(delta, row, tableColumns(db_, "VENDA")))
      sellerOnly = sellerOnly && (c == kSellerChange[0] || c == kSellerChange[1]);
    if (sellerOnly) return;
    if (stored->status != "P") notPending(key, ": só o vendedor e a observação podem ser alterados.");
    const SaleState next = stateOf(v, *stored);
    if (next.status != stored->status) throw OperationError("A situação da venda só muda ao concluí-la ou cancelá-la.");
    guardSale(db_, key, *stored);
    guardSale(db_, key, next);
  }

  // A new sale without an operator is recorded with the one who saves it.
  void stampOperator(const DataPacket& delta, PacketRow& row) {
    const int i = delta.fieldIndex("CDOPERADOR");
    if (i >= 0 && trim(row.values[static_cast<size_t>(i)].asText()).empty() && !operator_.empty())
      row.values[static_cast<size_t>(i)] = operator_;
  }

  // Debits a sale's account receipts booked on consumers go with the sale;
  // their amounts return to the consumers' balances.
  void restoreConsumerBalances(const SaleKey& k) {
    const std::string debited =
        "EXISTS (SELECT 1 FROM MOVCONS M WHERE M.CDCLIENTE = SALDOCONS.CDCLIENTE "
        "AND M.CDCONSUMIDOR = SALDOCONS.CDCONSUMIDOR AND M.CDFILIAL = :F AND "
        "M.CDCAIXA = :C AND M.NRSEQVENDA = :N AND M.IDTIPOMOVCONS = 'D')";
    const SqlParams params = {{"F", k.filial}, {"C", k.caixa}, {"N", k.nr}};
    auditedWrite(db_, "SALDOCONS", debited, params, [&] {
      sqlExecute(db_,
                 "UPDATE SALDOCONS SET VRSALDOCONS = VRSALDOCONS + (SELECT SUM(M.VRMOVCONS) "
                 "FROM MOVCONS M WHERE M.CDCLIENTE = SALDOCONS.CDCLIENTE AND M.CDCONSUMIDOR = "
                 "SALDOCONS.CDCONSUMIDOR AND M.CDFILIAL = :F AND M.CDCAIXA = :C AND "
                 "M.NRSEQVENDA = :N AND M.IDTIPOMOVCONS = 'D') WHERE " +
                     debited,
                 params);
    });
  }

  // Items and item taxes change only on a pending sale whose register day
  // may still be touched; item figures follow the items grid's rules.
  void applyChildren(const DataPacket& delta, const char* table, const std::vector<std::string>& key,
                     std::initializer_list<RowKind> kinds) {
    const DataPacket rows = deltaRows(delta, kinds);
    const bool items = std::string(table) == "ITVENDA";
    for (const PacketRow& row : rows.rows) {
      const DeltaRow o(rows, row, true), v(rows, row, false);
      if (row.kind != RowKind::Insert) requireEditable(keyOf(o));
      if (row.kind != RowKind::Delete) {
        requireEditable(keyOf(v));
        if (items) checkItemFigures(v);
      }
    }
    applyDelta(db_, table, key, rows);
  }

  void requireEditable(const SaleKey& k) {
    if (editable_.count(k)) return;
    const auto stored = findSale(db_, k);
    if (!stored) throw OperationError("Venda " + saleText(k) + " não encontrada.");
    if (stored->status != "P") notPending(k, ": seus itens não podem ser alterados.");
    guardSale(db_, k, *stored);
    editable_.insert(k);
  }

  soci::session& db_;
  std::string operator_;
  std::set<SaleKey> editable_;  // sales already found editable in this call
};

// The sale the answer's total is of: the first one the deltas name.
std::optional<SaleKey> firstSale(std::initializer_list<const DataPacket*> deltas) {
  for (const DataPacket* d : deltas)
    if (d && !d->rows.empty()) return keyOf(DeltaRow(*d, d->rows.front(), d->rows.front().kind == RowKind::Delete));
  return std::nullopt;
}

Value gravaVenda(OperationContext& ctx, std::vector<Value>& a) {
  const DataPacket *sales = packetArg(a[0]), *items = packetArg(a[1]), *taxes = packetArg(a[2]);
  SaleWriter(ctx.db, textArg(a[3])).write(sales, items, taxes);
  const auto sale = firstSale({sales, items, taxes});
  return sumVendaPacket(sale ? saleTotal(ctx.db, sale->filial, sale->caixa, sale->nr) : 0.0);
}

Value delPedidoVenda(OperationContext& ctx, std::vector<Value>& a) {
  SaleWriter(ctx.db, ctx.operatorCode).write(packetArg(a[0]), nullptr, nullptr);
  return Value(true);
}

// Sale numbers are 10-digit texts, zero-padded, per branch and register,
// reserved when handed out.
Value prxPedidoVenda(OperationContext& ctx, std::vector<Value>& a) {
  const std::string f = textArg(a[0]), c = textArg(a[1]);
  return sale::reserveNumber(ctx.db, "VENDA", f + "|" + c,
                             "SELECT MAX(NRSEQVENDA) AS M FROM VENDA WHERE CDFILIAL = :F AND CDCAIXA = :C",
                             {{"F", f}, {"C", c}}, 10);
}

// The consumers of a client: the one of the given code, or all of them
// when the third argument is "T".
Value getConsumidor(OperationContext& ctx, std::vector<Value>& a) {
  return selectPacket(ctx.db,
                      "SELECT CDCONSUMIDOR, NMCONSUMIDOR, CDCCUSCLIE, CDTIPOCONS, IDVERSALDCON "
                      "FROM CONSUMIDOR WHERE CDCLIENTE = :C AND (CDCONSUMIDOR = :K OR :T = 'T') "
                      "ORDER BY CDCONSUMIDOR",
                      {{"C", textArg(a[0])}, {"K", textArg(a[1])}, {"T", textArg(a[2])}}, consumidorFields());
}

}  // namespace

void registerSaleHeaderOperations(OperationRegistry& r) {
  r.add("GravaVenda", "P&P&P&S", gravaVenda);
  r.add("DelPedidoVenda", "P", delPedidoVenda);
  r.add("PrxPedidoVenda", "SS", Access::Write, prxPedidoVenda);
  r.add("getConsumidor", "SSS", getConsumidor);
}

}  // namespace server
