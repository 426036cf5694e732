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

std::string saleText(const TfrmManutVenda& f, const char* field) {
  const ClientDataSet& v = f.cdsPedidoVenda;
  return v.active() && !v.isEmpty() ? v.fieldByName(field).asString() : std::string();
}

bool confirmed(const std::string& question) {
  return ui().showMessage(question, MsgKind::Confirmation, MsgButtons::YesNo) == MsgResult::Yes;
}

// The register's sales again, the first one current.
void reloadSales(TfrmManutVenda& f) {
  const ClientDataSet& a = f.cdsAberCaixa;
  const bool row = a.active() && !a.isEmpty();
  fetch(f, "Get_PedidoVenda", "GetPedidoVenda",
        {Value(row ? a.fieldByName("CDFILIAL").asString() : std::string()),
         Value(row ? a.fieldByName("CDCAIXA").asString() : std::string()),
         row ? Value(a.fieldByName("DTABERCAIX").asDateTime()) : Value(DateTime(0))},
        [&f](const Value& all) {
          loadPacket(f.cdsPedidoVenda, element(f, all, 0));
          loadPacket(f.cdsSumVenda, element(f, all, 1));
        });
}

}  // namespace

void SalePart::wire() {
  wireHeader();
  wireItems();
  wireCancelledItems();
  f.btnConcluiVenda.OnClick = [this](Control&) { btnConcluiVendaClick(); };
  f.btnCancelaVenda.OnClick = [this](Control&) { btnCancelaVendaClick(); };
}

void SalePart::btnConcluiVendaClick() {
  f.guards.vd_DataMov();
  f.vd_PerManut();
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(saleText(f, "CDFILIAL")), Value(saleText(f, "CDCAIXA")),
                            Value(saleText(f, "NRSEQVENDA"))};
    loadPacket(f.cdsVerifValorPag, CheckResultServ(f.netManutVenda.call("GetVerifValorPag", args)));
  }
  const bool noItems = (!f.cdsItens.active() || f.cdsItens.isEmpty()) &&
                       (!f.cdsItensCancelados.active() || f.cdsItensCancelados.isEmpty());
  if (noItems) MensErro(f.Msg("ITE_N_INF"));
  if (!f.cdsTipoRece.active() || f.cdsTipoRece.isEmpty()) MensErro(f.Msg("REC_N_INF"));
  // Both figures are amounts in cents; compared as cents, a total and a
  // payment that agree to the cent are never told apart by binary noise.
  const double total = RoundDec(f.nedTotal.value(), 2);
  const double paid =
      f.cdsVerifValorPag.isEmpty() ? 0.0 : RoundDec(f.cdsVerifValorPag.fieldByName("VALOR").asFloat(), 2);
  if (total > paid) MensErro(f.Msg("VALOR_DIF"));
  if (total < paid) MensErro(f.Msg("VALOR_DIFV"));

  const std::string number = saleText(f, "NRSEQVENDA");
  if (confirmed(f.Msg("CONF_CONC") + " " + number + " ?")) {
    std::string answer;
    {
      ProgressScope sending(kProgressSending, f.Msg("Concl_Vnd"));
      std::vector<Value> args{Value(saleText(f, "CDFILIAL")),
                              Value(saleText(f, "CDCAIXA")),
                              Value(number),
                              Value(f.cdsPedidoVenda.fieldByName("DTENTRVENDA").asDateTime()),
                              Value(f.nedTotal.value()),
                              Value(f.Msg("VALORES_REDZ"))};
      const RemoteResult r = f.netManutVenda.call("ConcluiVenda", args);
      answer = r.ok ? r.value.asText() : r.error;
    }
    if (answer.empty() || answer[0] != '@') MensErro(answer == "Dif_Vr_Reduz" ? f.Msg("Dif_Vr_Reduz") : answer);
    f.msgPadrao.ShowMsg("VALORES_REDZ", MsgKind::Warning, MsgButtons::Ok);
  }
  reloadSales(f);
}

void SalePart::btnCancelaVendaClick() {
  if (saleText(f, "IDORIGEMVENDA") != "VND_MAN") MensErro(f.Msg("Oper_Bloc_Tlr"));
  f.guards.vd_DataMov();
  f.vd_PerManut();
  const std::string number = saleText(f, "NRSEQVENDA");
  if (confirmed(f.Msg("CONF_CANC") + " " + number + " ?")) {
    {
      ProgressScope sending(kProgressSending, f.Msg("Cancel_Vnd"));
      std::vector<Value> args{Value(f.medFilial.text()), Value(saleText(f, "CDCAIXA")), Value(number),
                              Value(Operador()), Value(f.Msg("cancela"))};
      CheckResultServ(f.netManutVenda.call("CancelaVenda", args));
    }
    f.msgPadrao.ShowMsg("canc_ok", MsgKind::Information, MsgButtons::Ok);
  }
  reloadSales(f);
}

}  // namespace screen
