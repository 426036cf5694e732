// Register openings: reading them, the duplicate and open-register look-ups,
// saving the screen's changes and closing a register's day.

#include <algorithm>

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/dayfigures.h"
#include "server/frame_guards.h"
#include "server/frame_queries.h"
#include "server/ops_frame_internal.h"
#include "server/queries.h"
#include "server/storage.h"

using namespace platform;

namespace server {
namespace {

const std::vector<std::string> kOpeningKey = {"CDFILIAL", "CDCAIXA", "DTABERCAIX"};

const char* const kRegisterOpen = "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data.";
const char* const kDuplicateOpening = "Data de abertura já cadastrada.";
const char* const kClosingOnlyByClose = "Uma abertura de caixa só é fechada pelo fechamento do caixa.";

double count(soci::session& db, const std::string& sql, const SqlParams& params) {
  return sqlSelect(db, sql, params, {{"N", FieldType::Float}}).rows.at(0).values[0].asNumber();
}

// Open openings of the register whose movement date is the day, leaving out
// the one opened at `except` (the opening being corrected).
double openOpenings(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day,
                    const Value& except = Value()) {
  const DateTime from = dateOf(day);
  SqlParams p = {{"F", filial}, {"C", caixa}, {"D0", from}, {"D1", DateTime(from.days + 1)}};
  std::string sql =
      "SELECT COUNT(*) AS N FROM TURCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C "
      "AND DTMOVTURCAIX >= :D0 AND DTMOVTURCAIX < :D1 AND DTFECHCAIX IS NULL";
  if (!except.isNull()) {
    sql += " AND DTABERCAIX <> :X";
    p.push_back({"X", except});
  }
  return count(db, sql, p);
}

double openingsAt(soci::session& db, const std::string& filial, const std::string& caixa, DateTime opened) {
  return count(db,
               "SELECT COUNT(*) AS N FROM TURCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C "
               "AND DTABERCAIX = :A",
               {{"F", filial}, {"C", caixa}, {"A", opened}});
}

// Sales and register movements (receipts, withdrawals) of an opening.
bool hasMovements(soci::session& db, const std::string& filial, const std::string& caixa, DateTime opened) {
  const SqlParams p = {{"F", filial}, {"C", caixa}, {"A", opened}};
  return count(db,
               "SELECT COUNT(*) AS N FROM VENDA WHERE CDFILIALTUR = :F AND CDCAIXATUR = :C "
               "AND DTABERTUR = :A",
               p) +
             count(db,
                   "SELECT COUNT(*) AS N FROM MOVCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C "
                   "AND DTABERCAIX = :A",
                   p) >
         0;
}

void checkOperator(soci::session& db, const std::string& code) {
  if (trim(code).empty()) throw OperationError("Operador deve ser informado.");
  if (count(db, "SELECT COUNT(*) AS N FROM OPERADOR WHERE CDOPERADOR = :O", {{"O", code}}) == 0)
    throw OperationError("Operador não cadastrado.");
}

// The movement date is the calendar day of the opening date-time.
DateTime checkedMovementDay(const DeltaRow& v) {
  const Value& movement = v["DTMOVTURCAIX"];
  if (movement.isNull() || movement.asDateTime() != dateOf(v["DTABERCAIX"].asDateTime()))
    throw OperationError("Data de abertura deve ser igual a data de movimento.");
  return movement.asDateTime();
}

void checkStillOpen(const DeltaRow& v) {
  if (!v["DTFECHCAIX"].isNull() || !trim(v.text("CDOPEFECHA")).empty()) throw OperationError(kClosingOnlyByClose);
}

void checkInsert(soci::session& db, const DeltaRow& v) {
  const std::string filial = v.text("CDFILIAL"), caixa = v.text("CDCAIXA");
  if (trim(filial).empty() || trim(caixa).empty() || v["DTABERCAIX"].isNull())
    throw OperationError("Filial, caixa e data de abertura devem ser informados.");
  const DateTime opened = v["DTABERCAIX"].asDateTime();
  checkBranchPermits(db, filial);
  checkStillOpen(v);
  const DateTime day = checkedMovementDay(v);
  checkDayNotApproved(db, filial, caixa, day);
  if (openOpenings(db, filial, caixa, day) > 0) throw OperationError(kRegisterOpen);
  if (openingsAt(db, filial, caixa, opened) > 0) throw OperationError(kDuplicateOpening);
  checkOperator(db, v.text("CDOPERABER"));
}

void checkModify(soci::session& db, const DataPacket& delta, const PacketRow& row) {
  const DeltaRow o(delta, row, true), v(delta, row, false);
  const std::string filial = o.text("CDFILIAL"), caixa = o.text("CDCAIXA");
  const auto stored = findOpening(db, filial, caixa, o["DTABERCAIX"].asDateTime());
  if (!stored) return;  // gone: the delta's own check reports who deleted it
  if (v.text("CDFILIAL") != filial || v.text("CDCAIXA") != caixa)
    throw OperationError("A filial e o caixa de uma abertura de caixa não podem ser alterados.");
  if (stored->closed) throw OperationError(kClosedRegister);
  checkStillOpen(v);
  checkBranchPermits(db, filial);
  checkDayNotApproved(db, filial, caixa, stored->movementDay);
  const DateTime day = checkedMovementDay(v);
  if (day != stored->movementDay) {
    checkDayNotApproved(db, filial, caixa, day);
    if (hasMovements(db, filial, caixa, o["DTABERCAIX"].asDateTime()))
      throw OperationError(
          "A abertura de caixa possui vendas ou movimentos; sua data de movimento não pode ser "
          "alterada.");
  }
  checkMovementWindow(db, filial, day);
  const DateTime opened = v["DTABERCAIX"].asDateTime();
  if (!sameFieldValue(v["DTABERCAIX"], o["DTABERCAIX"], FieldType::DateTime)) {
    if (openOpenings(db, filial, caixa, day, o["DTABERCAIX"]) > 0) throw OperationError(kRegisterOpen);
    if (openingsAt(db, filial, caixa, opened) > 0) throw OperationError(kDuplicateOpening);
  }
  if (v.has("CDOPERABER")) checkOperator(db, v.text("CDOPERABER"));
}

void checkDelete(soci::session& db, const DataPacket& delta, const PacketRow& row) {
  const DeltaRow o(delta, row, true);
  const std::string filial = o.text("CDFILIAL"), caixa = o.text("CDCAIXA");
  const DateTime opened = o["DTABERCAIX"].asDateTime();
  const auto stored = findOpening(db, filial, caixa, opened);
  if (!stored) return;
  checkBranchPermits(db, filial);
  checkDayNotApproved(db, filial, caixa, stored->movementDay);
  if (hasMovements(db, filial, caixa, opened))
    throw OperationError("A abertura de caixa possui vendas ou movimentos e não pode ser excluída.");
}

// Row by row, each checked against what the rows before it left stored, so
// two new openings of one delta cannot both be the day's open one.
Value setAberCaixa(OperationContext& ctx, std::vector<Value>& a) {
  const DataPacket* delta = packetArg(a[0]);
  if (!delta) return Value(true);
  for (const PacketRow& row : delta->rows) {
    switch (row.kind) {
      case RowKind::Insert:
        checkInsert(ctx.db, DeltaRow(*delta, row, false));
        break;
      case RowKind::Modify:
        checkModify(ctx.db, *delta, row);
        break;
      case RowKind::Delete:
        checkDelete(ctx.db, *delta, row);
        break;
      case RowKind::Unchanged:
        continue;
    }
    DataPacket one;
    one.fields = delta->fields;
    one.delta = true;
    one.rows.push_back(row);
    applyDelta(ctx.db, "TURCAIXA", kOpeningKey, one);
  }
  return Value(true);
}

// Verifies the register's day against its Z reductions and, on "OK" only,
// records the closing (now, or the opening moment if the clock is behind
// it) with the calling operator. The verdict texts are closingVerdict's.
Value setFechaCaixa(OperationContext& ctx, std::vector<Value>& a) {
  const std::string filial = textArg(a[0]), caixa = textArg(a[1]);
  const DateTime opened = dateArg(a[2]);
  const auto opening = findOpening(ctx.db, filial, caixa, opened);
  if (!opening) throw OperationError(kMissingOpening);
  if (opening->closed) throw OperationError(kClosedRegister);
  checkDayNotApproved(ctx.db, filial, caixa, opening->movementDay);
  const DayReductions z = dayReductions(ctx.db, filial, caixa, opening->movementDay);
  if (z.count == 0) throw OperationError("Redução Z deve ser informada.");
  const std::string verdict = closingVerdict(daySales(ctx.db, filial, caixa, opening->movementDay, false), z);
  if (verdict != "OK") return verdict;
  const bool knownOperator =
      !ctx.operatorCode.empty() &&
      count(ctx.db, "SELECT COUNT(*) AS N FROM OPERADOR WHERE CDOPERADOR = :O", {{"O", ctx.operatorCode}}) > 0;
  const SqlParams key = {{"F", filial}, {"C", caixa}, {"A", opened}};
  auditedWrite(ctx.db, "TURCAIXA", "CDFILIAL = :F AND CDCAIXA = :C AND DTABERCAIX = :A", key, [&] {
    SqlParams params = key;
    params.push_back({"X", DateTime(std::max(now().days, opened.days))});
    params.push_back({"O", knownOperator ? Value(ctx.operatorCode) : Value()});
    sqlExecute(ctx.db,
               "UPDATE TURCAIXA SET DTFECHCAIX = :X, CDOPEFECHA = :O "
               "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTABERCAIX = :A",
               params);
  });
  return verdict;
}

Value registro(double n) {
  DataPacket p;
  p.fields = registroFields();
  p.rows.push_back({RowKind::Unchanged, {Value(n)}, {}});
  return p;
}

}  // namespace

void registerRegisterOperations(OperationRegistry& r) {
  r.add("GetAberCaixa", "SSD", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return selectAberCaixa(ctx.db, textArg(a[0]), textArg(a[1]), dateArg(a[2]));
  });
  // Operators that may be chosen for an opening: the active ones.
  r.add("GetOperador", "", [](OperationContext& ctx, std::vector<Value>&) -> Value {
    return selectPacket(ctx.db,
                        "SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR WHERE IDATIVO = 'S' "
                        "ORDER BY CDOPERADOR",
                        {}, operadorFields());
  });
  r.add("getAbertura", "SSD", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return registro(openingsAt(ctx.db, textArg(a[0]), textArg(a[1]), dateArg(a[2])));
  });
  r.add("getCaixaAberto", "SSD", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return registro(openOpenings(ctx.db, textArg(a[0]), textArg(a[1]), dateArg(a[2])));
  });
  r.add("SetAberCaixa", "P", setAberCaixa);
  r.add("SetFechaCaixa", "SSD", setFechaCaixa);
}

}  // namespace server
