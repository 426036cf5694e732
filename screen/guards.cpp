#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

void ChangeGuards::wire() {}

// Once the day's Z reduction is approved, nothing of that register and day
// may change. Without a Z reduction loaded there is nothing to honour.
void ChangeGuards::vd_RedStatus() {
  if (!f.cdsReducaoZ.active() || f.cdsReducaoZ.isEmpty()) return;
  if (f.cdsReducaoZ.fieldByName("IDSTATUS").asString() == "A") MensErro(f.Msg("Oper_Bloc_S"));
}

// The Z reduction page edits the fiscal record of the day, which is kept
// even after the register is closed; every other page edits the register's
// own movements, which a closed register no longer accepts.
void ChangeGuards::openRegisterGuard() {
  if (f.pgcPadrao.activePage() == &f.tshReducao) return;
  const Field& closing = f.cdsAberCaixa.fieldByName("DTFECHCAIX");
  if (closing.isNull() || EmptyString(closing.asString()))
    vd_DataMov();
  else
    MensErro(f.Msg("Oper_Bloc"));
}

// The branch's processing date P (as stored, time of day included) and
// its allowance of days before and after decide whether the filter's
// movement date D may still be touched. The later bound is inclusive on the
// day of D; the earlier bound compares D itself with P minus the days, so a
// processing date stored with a time of day moves that bound within the day.
// The parameters may be changed by the back office at any moment, so they
// are read again on every check.
void ChangeGuards::vd_DataMov() {
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(f.medFilial.text())};
    const Value answer = CheckResultServ(f.netManutVenda.call("getVdDataAber", args));
    if (answer.isPacket())
      f.cdsVdDataAbe.setData(answer.packet());
    else
      f.cdsVdDataAbe.createDataSet();
  }
  const Field& procDate = f.cdsVdDataAbe.fieldByName("DTPROCVND");
  if (procDate.isNull()) return;

  const double p = procDate.asDateTime().days;
  const double d = f.depDeEntrega.date().value_or(DateTime()).days;
  const double t = dateOf(DateTime(d)).days;
  bool accepted = true;
  if (t > p) {
    accepted = f.cdsVdDataAbe.fieldByName("IDPERLANCPOSDP").asString() == "S" &&
               t <= p + f.cdsVdDataAbe.fieldByName("NRDIAPOSLANC").asFloat();
  } else if (t < p) {
    accepted = f.cdsVdDataAbe.fieldByName("IDPERLANCANTDP").asString() == "S" &&
               d >= p - f.cdsVdDataAbe.fieldByName("NRDIAANTLANC").asFloat();
  }
  if (!accepted) MensErro(f.Msg("dtMov_NEnq"));
}

}  // namespace screen
