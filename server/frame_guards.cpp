#include "server/frame_guards.h"

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "server/operation.h"

using namespace platform;

namespace server {

const char* const kClosedRegister = "Operação Bloqueada! Caixa fechado.";
const char* const kMissingOpening = "Abertura de caixa não encontrada.";

void checkBranchPermits(soci::session& db, const std::string& filial) {
  const DataPacket p = sqlSelect(db, "SELECT IDPERMANUTVEN FROM PARAMVENDA WHERE CDFILIAL = :F", {{"F", filial}},
                                 {{"IDPERMANUTVEN", FieldType::String, 1}});
  if (!p.rows.empty() && p.rows[0].values[0].asText() == "N")
    throw OperationError("Filial não permite realizar manutenção das vendas.");
}

void checkDayNotApproved(soci::session& db, const std::string& filial, const std::string& caixa, DateTime day) {
  const DateTime from = dateOf(day);
  const DataPacket p = sqlSelect(db,
                                 "SELECT COUNT(*) AS N FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                                 "AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 AND IDSTATUS = 'A'",
                                 {{"F", filial}, {"C", caixa}, {"D0", from}, {"D1", DateTime(from.days + 1)}},
                                 {{"N", FieldType::Integer}});
  if (p.rows[0].values[0].asNumber() > 0)
    throw OperationError(
        "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, "
        "pois a Redução Z deste dia está com status de Aprovada.");
}

void checkMovementWindow(soci::session& db, const std::string& filial, DateTime day) {
  const DataPacket p = sqlSelect(db,
                                 "SELECT DTPROCVND, IDPERLANCANTDP, IDPERLANCPOSDP, NRDIAANTLANC, NRDIAPOSLANC "
                                 "FROM PARAMPROC WHERE CDFILIAL = :F",
                                 {{"F", filial}},
                                 {{"DTPROCVND", FieldType::DateTime},
                                  {"IDPERLANCANTDP", FieldType::String, 1},
                                  {"IDPERLANCPOSDP", FieldType::String, 1},
                                  {"NRDIAANTLANC", FieldType::Float},
                                  {"NRDIAPOSLANC", FieldType::Float}});
  if (p.rows.empty() || p.rows[0].values[0].isNull()) return;
  const auto& v = p.rows[0].values;
  const double processing = v[0].dateTime().days;
  const double t = dateOf(day).days;
  bool ok = true;
  if (t > processing)
    ok = v[2].asText() == "S" && t <= processing + v[4].asNumber();
  else if (t < processing)
    ok = v[1].asText() == "S" && day.days >= processing - v[3].asNumber();
  if (!ok)
    throw OperationError(
        "Operação não permitida. A data de movimento não se enquadra nos parâmetros definidos "
        "para a data de processamento.");
}

std::optional<OpeningState> findOpening(soci::session& db, const std::string& filial, const std::string& caixa,
                                        DateTime opened) {
  const DataPacket p = sqlSelect(db,
                                 "SELECT DTMOVTURCAIX, DTFECHCAIX FROM TURCAIXA "
                                 "WHERE CDFILIAL = :F AND CDCAIXA = :C AND DTABERCAIX = :A",
                                 {{"F", filial}, {"C", caixa}, {"A", opened}},
                                 {{"DTMOVTURCAIX", FieldType::DateTime}, {"DTFECHCAIX", FieldType::DateTime}});
  if (p.rows.empty()) return std::nullopt;
  return OpeningState{p.rows[0].values[0].asDateTime(), !p.rows[0].values[1].isNull()};
}

}  // namespace server
