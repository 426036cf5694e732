#pragma once
// The day check ("Conferir Caixa"): everything that stands between a
// register's day and its closing, at once and with the figures, where the
// closing answers one verdict at a time. It reads and changes nothing.
//
// The lines, in this order (each check's summary line first, then the
// lines it names one by one):
// - REDZ: the day has a Z reduction (found: how many);
// - VENDASPENDENTES: no sale is pending (found: how many), then
//   PENDENTE for each pending sale;
// - RECEB: every concluded sale is paid exactly (found: how many are
//   not), then RECEBVENDA for each such sale (expected its total, found
//   its receipts);
// - the closing's figure comparisons, in its verdicts' order (dayfigures.h:
//   VENDALIQERRADA ... IMPOSTOVENDIF), each with the ICMS split by rate
//   after the ICMS line (ALIQUOTA, detail "code rate");
// - FORMAPAG per receipt type: the receipts of the concluded and
//   returned sales (expected) against the Z payment forms of that origin
//   type (found);
// - VENDASERIEERRADA per fiscal printer series of the day's sales: some Z
//   reduction of the day carries it;
// - for each Z reduction of the day whose printer has an earlier one
//   stored: CONTREDUCAO, CONTGT, CONTCUPOM and
//   CONTREINICIO (platform/zcontinuity.h), detail the printer number.
// The closing's verdict is the first failing line among REDZ (a
// refusal there), VENDASPENDENTES, the figure comparisons and the series.
//
// Thread-safety: as the session.

#include <optional>
#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/datetime.h"
#include "platform/zcontinuity.h"

namespace soci {
class session;
}

namespace server {

class OperationRegistry;

// GetConfereCaixa (branch, register, day: the day check's lines) and
// GetReducaoZAnterior (branch, printer number, serial number, day: the
// previous reduction's counters and grand total, no row when there is
// none), both read-only.
void registerDayCheckOperations(OperationRegistry& registry);

struct DayCheckLine {
  std::string check;   // the check's code (the screen's catalogue key)
  std::string detail;  // sale number, tax and rate, receipt type, series, printer
  bool ok = true;
  bool money = true;  // the figures are amounts (else counts and numbers)
  std::optional<double> expected, found;
  // Where the user fixes it: a sale (with its opening), or a Z reduction's
  // page: "F" form, "A" additional data, "I" taxes, "P" payment forms.
  std::string sale;
  std::optional<platform::DateTime> saleOpening;
  std::string ecf, zPage;
};

std::vector<DayCheckLine> dayCheck(soci::session& db, const std::string& filial, const std::string& caixa,
                                   platform::DateTime day);

// The lines as the answer of GetConfereCaixa (fields in dayCheckFields()).
platform::DataPacket dayCheckPacket(const std::vector<DayCheckLine>& lines);
const std::vector<platform::FieldDef>& dayCheckFields();

// The Z reduction stored for the same printer (branch, NRECFREDZ and
// serial number) latest before the day, any register of the branch; none
// when the printer has no earlier one.
std::optional<platform::ZReadings> previousReduction(soci::session& db, const std::string& filial,
                                                     const std::string& ecf, const std::string& serial,
                                                     platform::DateTime day);

}  // namespace server
