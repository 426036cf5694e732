// Concluding and cancelling a pending sale: each one remote operation on the
// server, asked for confirmation, followed by the reload of the register's
// sales so the new status shows (also when the user answers No).

#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

bool confirmed(const std::string& question) {
  return ui().showMessage(question, MsgKind::Confirmation, MsgButtons::YesNo) == MsgResult::Yes;
}

}  // namespace

void SalePart::wire() {
  wireHeader();
  f.btnConcluiVenda.OnClick = handler(this, &SalePart::btnConcluiVendaClick);
  f.btnCancelaVenda.OnClick = handler(this, &SalePart::btnCancelaVendaClick);
  f.mnuHistVenda.OnClick = handler(this, &SalePart::mnuHistVendaClick);
}

void SalePart::btnConcluiVendaClick() {
  const ClientDataSet& v = f.cdsPedidoVenda;
  f.guards.vd_DataMov();
  f.vd_PerManut();
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(currentText(v, "CDFILIAL")), Value(currentText(v, "CDCAIXA")),
                            Value(currentText(v, "NRSEQVENDA"))};
    loadPacket(f.cdsVerifValorPag, CheckResultServ(f.netManutVenda.call("GetVerifValorPag", args)));
  }
  const auto none = [](const ClientDataSet& s) { return !s.active() || s.isEmpty(); };
  const bool noItems = none(f.cdsItens) && none(f.cdsItensCancelados);
  if (noItems) MensErro(f.Msg("ITE_N_INF"));
  if (none(f.cdsTipoRece)) MensErro(f.Msg("REC_N_INF"));
  // Both figures are amounts in cents; compared as cents, a total and a
  // payment that agree to the cent are never told apart by binary noise.
  const double total = RoundDec(f.nedTotal.value(), 2);
  const double paid =
      f.cdsVerifValorPag.isEmpty() ? 0.0 : RoundDec(f.cdsVerifValorPag.fieldByName("VALOR").asFloat(), 2);
  if (total > paid) MensErro(f.Msg("VALOR_DIF"));
  if (total < paid) MensErro(f.Msg("VALOR_DIFV"));

  const std::string number = currentText(v, "NRSEQVENDA");
  if (confirmed(f.Msg("CONF_CONC") + " " + number + " ?")) {
    std::string answer;
    {
      ProgressScope sending(kProgressSending, f.Msg("Concl_Vnd"));
      std::vector<Value> args{
          Value(currentText(v, "CDFILIAL")), Value(currentText(v, "CDCAIXA")), Value(number),
          currentDate(v, "DTENTRVENDA"),     Value(f.nedTotal.value()),        Value(f.Msg("VALORES_REDZ"))};
      const RemoteResult r = f.netManutVenda.call("ConcluiVenda", args);
      answer = r.ok ? r.value.asText() : r.error;
    }
    if (answer.empty() || answer[0] != '@') MensErro(answer == "Dif_Vr_Reduz" ? f.Msg("Dif_Vr_Reduz") : answer);
    f.msgPadrao.ShowMsg("VALORES_REDZ", MsgKind::Warning, MsgButtons::Ok);
  }
  f.registerPart.loadOpeningSales();
}

void SalePart::btnCancelaVendaClick() {
  const ClientDataSet& v = f.cdsPedidoVenda;
  if (currentText(v, "IDORIGEMVENDA") != "VND_MAN") MensErro(f.Msg("Oper_Bloc_Tlr"));
  f.guards.vd_DataMov();
  f.vd_PerManut();
  const std::string number = currentText(v, "NRSEQVENDA");
  if (confirmed(f.Msg("CONF_CANC") + " " + number + " ?")) {
    {
      ProgressScope sending(kProgressSending, f.Msg("Cancel_Vnd"));
      std::vector<Value> args{Value(f.medFilial.text()), Value(currentText(v, "CDCAIXA")), Value(number),
                              Value(Operador()), Value(f.Msg("cancela"))};
      CheckResultServ(f.netManutVenda.call("CancelaVenda", args));
    }
    f.msgPadrao.ShowMsg("canc_ok", MsgKind::Information, MsgButtons::Ok);
  }
  f.registerPart.loadOpeningSales();
}

}  // namespace screen
