// What the Z reduction's sub-tables share: the key copied
// from the Z reduction, the deletion sent at once, and the checks' helpers.
#include "screen/zsubtables.h"

#include <vector>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/sendnow.h"

namespace screen::zsub {

using namespace platform;

void copyZKey(TfrmManutVenda& f, ClientDataSet& set) {
  for (const char* field : {"CDFILIAL", "CDCAIXA", "DTREDUCAOZ", "NRECFREDZ"})
    set.fieldByName(field).setValue(f.cdsReducaoZ.fieldByName(field).value());
}

void sendDeletion(TfrmManutVenda& f, ClientDataSet& set, const char* operation) {
  try {
    sendAtOnce(f, set, operation, "DelReducaoZ", {.trailing = {Value(Operador()), Value(NomeOperador())}});
  } catch (...) {
    f.state.dtsPadraoStateChange();
    throw;
  }
}

bool holdsCode(ClientDataSet& copy, std::string_view field, const std::string& code) {
  if (!copy.active()) return false;
  return copy.locate(field, Value(code), LocateOptions{.caseInsensitive = true});
}

bool blank(const ClientDataSet& set, std::string_view field) { return EmptyString(set.fieldByName(field).asString()); }

void failOn(TfrmManutVenda& f, ClientDataSet& set, std::string_view field, std::string_view key) {
  set.fieldByName(field).focusControl();
  MensErro(f.Msg(key));
}

}  // namespace screen::zsub
