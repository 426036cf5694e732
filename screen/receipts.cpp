// The receipts of the current sale: each one a register movement of the
// sale's opening, typed on the "Recebimento" page. Every post is saved at
// once through the save action (which runs the receipt check first), every
// deletion is sent at once.

#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/controls.h"
#include "platform/datasethelpers.h"
#include "platform/datetime.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_support.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;
using screen::items::empty;
using screen::items::text;

namespace {

constexpr const char* kAccount = "A";          // consumer-account receipt type
constexpr const char* kForeignCurrency = "6";  // foreign-currency receipt type

std::string queryText(const TADOIBQuery& q, std::string_view field) {
  return q.isEmpty() ? std::string() : q.fieldByName(field).asText();
}

}  // namespace

void ReceiptsPart::wire() {
  ClientDataSet& r = f.cdsTipoRece;
  r.BeforeInsert = handler(this, &ReceiptsPart::cdsTipoReceBeforeInsert);
  r.AfterInsert = handler(this, &ReceiptsPart::cdsTipoReceAfterInsert);
  r.BeforeEdit = handler(this, &ReceiptsPart::cdsTipoReceBeforeEdit);
  r.BeforePost = handler(this, &ReceiptsPart::cdsTipoReceBeforePost);
  r.AfterPost = handler(this, &ReceiptsPart::cdsTipoReceAfterPost);
  r.AfterCancel = handler(this, &ReceiptsPart::cdsTipoReceAfterCancel);
  r.BeforeDelete = handler(this, &ReceiptsPart::cdsTipoReceBeforeDelete);
  r.AfterDelete = handler(this, &ReceiptsPart::cdsTipoReceAfterDelete);

  DBGrid& g = f.dbgTipoRece;
  g.OnColExit = handler(this, &ReceiptsPart::dbgTipoReceColExit);
  g.OnExit = handler(this, &ReceiptsPart::dbgTipoReceExit);
  g.OnEditButtonClick = handler(this, &ReceiptsPart::dbgTipoReceEditButtonClick);
  g.OnKeyPress = handler(this, &ReceiptsPart::dbgTipoReceKeyPress);
  g.OnKeyDown = handler(this, &ReceiptsPart::dbgTipoReceKeyDown);

  f.dtsPesqTipoRece.setDataSet(&f.qryPesqTipoRece);
}

void ReceiptsPart::Vd_Recebe(bool required) {
  ClientDataSet& r = f.cdsTipoRece;
  Field& code = r.fieldByName("CDTIPORECE");
  try {
    if (EmptyString(code.asString())) {
      if (required) MensErro(f.Msg("TIPOREC_DEVE"));
      return;
    }
    code.setAsString(Ajusta(code.asString(), 3));
    TADOIBQuery& q = f.qryPesqTipoRece;
    q.close();
    q.clearParams();
    q.setParam("P_CDTIPORECE", code.value());
    q.setParam("P_TCDTIPORECE", Value());
    q.open();
    if (q.isEmpty()) MensErro(f.Msg("TIPO_N_CAD"));
    code.setValue(q.fieldByName("CDTIPORECE"));
    r.fieldByName("NMTIPORECE").setValue(q.fieldByName("NMTIPORECE"));
  } catch (...) {
    code.focusControl();
    throw;
  }
}

void ReceiptsPart::changeGuards() {
  f.guards.vd_RedStatus();
  f.guards.openRegisterGuard();
  f.vd_PerManut();
}

void ReceiptsPart::cdsTipoReceBeforeInsert(ClientDataSet& r) {
  changeGuards();
  if (text(f.cdsPedidoVenda, "IDSITUVENDA") != "P") Abort();
  r.fieldByName("CDTIPORECE").focusControl();
}

void ReceiptsPart::cdsTipoReceAfterInsert(ClientDataSet& r) {
  std::vector<Value> args{Value(f.medFilial.text()), Value(currentText(f.cdsAberCaixa, "CDCAIXA")),
                          currentDate(f.cdsAberCaixa, "DTABERCAIX")};
  const RemoteResult answer = f.netManutVenda.call("PrxMovCaixa", args);
  // A failed call is reported rather than its error text becoming the
  // movement number: such a receipt could never be stored.
  const Value number = answer.ok ? answer.value : CheckResultServ(answer);
  r.fieldByName("NRSEQUMOVI").setAsString(number.asText());
}

void ReceiptsPart::cdsTipoReceBeforeEdit(ClientDataSet&) { changeGuards(); }

void ReceiptsPart::cdsTipoReceBeforePost(ClientDataSet& r) {
  const ClientDataSet& sale = f.cdsPedidoVenda;
  Vd_Recebe(true);
  if (empty(r, "VRMOVIVEND")) {
    r.fieldByName("VRMOVIVEND").focusControl();
    MensErro(f.Msg("Valor_deve"));
  }

  const std::string kind = queryText(f.qryPesqTipoRece, "IDTIPORECE");
  if (kind == kAccount) {
    // The flags unlock the sale's consumer and service cells until the
    // account receipt can be posted.
    f.consumerEditable = f.serviceEditable = false;
    if (f.cdsParametro.active() && text(f.cdsParametro, "IDUTSUBTCONS") == "S") {
      if (empty(sale, "CDCONSUMIDOR")) {
        f.consumerEditable = f.serviceEditable = true;
        MensErro(f.Msg("CONS_DEVE_venda"));
      }
      if (empty(sale, "CDSERVFILI")) {
        f.serviceEditable = true;
        MensErro(f.Msg("Servico_deve_venda"));
      }
    }
  }

  r.fieldByName("CDFILIAL").setAsString(f.medFilial.text());
  r.fieldByName("CDCAIXA").setAsString(currentText(f.cdsAberCaixa, "CDCAIXA"));
  r.fieldByName("DTABERCAIX").setValue(currentDate(f.cdsAberCaixa, "DTABERCAIX"));
  r.fieldByName("NRSEQVENDA").setAsString(text(sale, "NRSEQVENDA"));
  r.fieldByName("IDTIPOMOVIVE").setAsString("E");
  r.fieldByName("DTHRINCMOV").setValue(Value(now()));
  r.fieldByName("DTMOVIMCAIXA").setValue(currentDate(f.cdsAberCaixa, "DTMOVTURCAIX"));
  r.fieldByName("IDTIPORECE").setAsString(kind);

  if (kind == kForeignCurrency) {
    loadQuotation(queryText(f.qryPesqTipoRece, "CDINDICE"));
    const double quotation = f.cdsIndice.isEmpty() ? 0.0 : f.cdsIndice.fieldByName("VRINDICE").asFloat();
    if (quotation == 0) {
      r.fieldByName("VRMOVIVEND").focusControl();
      MensErro(f.Msg("COTACAO_NULL"));
    }
    r.fieldByName("VRCOTINDOUT").setAsFloat(quotation);
    r.fieldByName("VRMOVIVEOUT").setAsFloat(r.fieldByName("VRMOVIVEND").asFloat() * quotation);
  }

  if (text(r, "IDTIPORECE") == kAccount) {
    const Field& amount = r.fieldByName("VRMOVIVEND");
    if (r.state() == DataSetState::Edit) {
      const Field& type = r.fieldByName("CDTIPORECE");
      f.pendingAccountCharge = amount.asFloat() - amount.oldValue().asNumber();
      if (type.oldValue().asText() != type.asString()) f.pendingAccountCharge += amount.asFloat();
    } else {
      f.pendingAccountCharge = amount.asFloat();
    }
  }
  Seta_Campo_Null(r);
}

void ReceiptsPart::loadQuotation(const std::string& index) {
  // Kept per index code: a receipt in another currency must never be
  // converted with the quotation fetched for the first one.
  if (f.cdsIndice.active() && quotationIndex_ == index) return;
  fetchInto(f, "Get_Indice", "GetIndice", {Value(index), filterDay(f)}, f.cdsIndice);
  quotationIndex_ = index;
}

void ReceiptsPart::cdsTipoReceAfterPost(ClientDataSet&) {
  if (queryText(f.qryPesqTipoRece, "IDTIPORECE") == kAccount) f.consumerEditable = f.serviceEditable = false;
  f.saving.sbtConfirmarClick();
}

void ReceiptsPart::cdsTipoReceAfterCancel(ClientDataSet& r) {
  if (r.changeCount() > 0) r.cancelUpdates();
  // The charge counted receipts that are no longer pending.
  f.pendingAccountCharge = 0;
  f.state.dtsPadraoStateChange();
}

void ReceiptsPart::cdsTipoReceBeforeDelete(ClientDataSet& r) {
  changeGuards();
  // Receipt changes left unsent by a refused check would travel with the
  // deletion without passing the check: they are saved first, and a refusal
  // stops the deletion before anything is deleted.
  if (r.changeCount() > 0) f.saving.sbtConfirmarClick();
  if (text(r, "IDTIPORECE") == kAccount) f.pendingAccountCharge -= r.fieldByName("VRMOVIVEND").asFloat();
}

void ReceiptsPart::cdsTipoReceAfterDelete(ClientDataSet& r) {
  sendAtOnce(f, r, "DelTipoRece", "DelVenda", {.trailing = {Value(Operador())}});
}

void ReceiptsPart::dbgTipoReceColExit(Control&) {
  if (!f.cdsTipoRece.editing()) return;
  const Field* field = f.dbgTipoRece.selectedField();
  if (field && field->name() == "CDTIPORECE") Vd_Recebe(false);
}

void ReceiptsPart::dbgTipoReceExit(Control&) {
  if (f.cdsTipoRece.editing()) Vd_Recebe(true);
}

void ReceiptsPart::dbgTipoReceEditButtonClick(Control&) {
  TADOIBQuery& q = f.qryPesqTipoRece;
  q.close();
  q.clearParams();
  q.setParam("P_CDTIPORECE", Value());
  q.setParam("P_TCDTIPORECE", Value("T"));
  q.open();
  if (!Pesquisar(f.dtsPesqTipoRece, f.Msg("TIPORECE") + "|" + f.Msg("TIPO_N_CAD"), false, true)) return;
  ClientDataSet& r = f.cdsTipoRece;
  if (!r.editing()) r.edit();
  r.fieldByName("CDTIPORECE").setValue(q.fieldByName("CDTIPORECE"));
  r.fieldByName("NMTIPORECE").setValue(q.fieldByName("NMTIPORECE"));
}

void ReceiptsPart::dbgTipoReceKeyPress(Control&, char32_t& key) {
  const Field* field = f.dbgTipoRece.selectedField();
  const std::string column = field ? field->name() : std::string();
  if (f.cdsTipoRece.editing() && column == "CDTIPORECE" && key != U'\t' && key != U'\r')
    f.cdsTipoRece.fieldByName("NMTIPORECE").clear();
  if (text(f.cdsPedidoVenda, "IDSITUVENDA") != "P") key = 0;
  if (column == "IDTIPOMOVIVE") key = 0;
}

void ReceiptsPart::dbgTipoReceKeyDown(Control&, int& key, unsigned shift) {
  // Rows are deleted only through the screen's delete action.
  if (key == vk::Delete && (shift & ssCtrl)) key = 0;
}

}  // namespace screen
