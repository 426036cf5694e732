// Payment forms of the current Z reduction: one row per payment type, each
// tied to the receipt type of the day's sales it corresponds to. A form may
// not exceed the Z reduction's net sale, and the forms of one origin may not
// exceed the receipts of that origin in the day's pending and concluded
// sales, which the server adds up.
#include <cmath>
#include <vector>

#include "platform/consiste.h"
#include "platform/dbcontrols.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/zsubtables.h"

namespace screen {

using namespace platform;
using zsub::blank;
using zsub::failOn;

namespace {

std::string selectedField(const DBGrid& g) {
  const Field* field = g.selectedField();
  return field ? field->name() : std::string();
}

long long cents(double amount) { return std::llround(RoundDec(amount, 2) * 100); }

}  // namespace

void ZPaymentFormsPart::wire() {
  ClientDataSet& s = f.cdsFormaPag;
  s.BeforeInsert = [this](ClientDataSet&) { cdsFormaPagBeforeInsert(); };
  s.AfterInsert = [this](ClientDataSet&) { cdsFormaPagAfterInsert(); };
  s.BeforeEdit = [this](ClientDataSet&) { cdsFormaPagBeforeEdit(); };
  s.AfterEdit = [this](ClientDataSet&) { cdsFormaPagAfterEdit(); };
  s.BeforeDelete = [this](ClientDataSet&) { f.zReductionPart.zChangeGuards(); };
  s.BeforePost = [this](ClientDataSet&) { cdsFormaPagBeforePost(); };
  s.AfterPost = [this](ClientDataSet&) { f.saving.sbtConfirmarClick(); };
  s.AfterCancel = [this](ClientDataSet&) { cdsFormaPagAfterCancel(); };
  s.AfterDelete = [this](ClientDataSet&) { cdsFormaPagAfterDelete(); };
  DBGrid& g = f.dbgFormPag;
  g.OnColExit = [this](Control&) { dbgFormPagColExit(); };
  g.OnEditButtonClick = [this](Control&) { dbgFormPagEditButtonClick(); };
  g.OnDrawColumnCell = [this](DBGrid&, const CellContext& cell, CellAppearance& look) {
    dbgFormPagDrawColumnCell(cell, look);
  };
  dtsTipoRec_.setDataSet(&f.qryTipoRec);
  dtsTipReceOrig_.setDataSet(&f.cdsTipReceOrig);
}

void ZPaymentFormsPart::Vd_TipoRece(bool required) {
  ClientDataSet& s = f.cdsFormaPag;
  const bool wasBlank = blank(s, "CDTIPORECE");
  Field& code = s.fieldByName("CDTIPORECE");
  code.setAsString(Ajusta(code.asString(), 3));
  if (wasBlank) {
    if (required) failOn(f, s, "CDTIPORECE", "FORMPAG_DV_INF");
    // No type to look up: the whole payment-type list would otherwise give
    // the row the name of its first type.
    return;
  }
  const std::string typed = code.asString();
  const bool changed = s.state() == DataSetState::Insert || typed != typeBeforeEdit_;
  if (changed && zsub::holdsCode(f.cdsVdPagto, "CDTIPORECE", typed)) failOn(f, s, "CDTIPORECE", "FORMPAG_JA_CAD");
  TADOIBQuery& q = f.qryTipoRec;
  q.close();
  q.setParam("P_CDTIPORECE", Value(typed));
  q.open();
  if (q.isEmpty()) failOn(f, s, "CDTIPORECE", "FORMPAG_N_CAD");
  s.fieldByName("NMTIPORECE").setAsString(q.fieldByName("NMTIPORECE").asText());
}

void ZPaymentFormsPart::vd_Valor(bool required) {
  if (required && blank(f.cdsFormaPag, "VRFORMPGTORZ")) failOn(f, f.cdsFormaPag, "VRFORMPGTORZ", "VR_DV_INF");
}

void ZPaymentFormsPart::fetchTipReceOrig() {
  fetchInto(f, "Get_ReceOrig", "GetTipReceOrig", {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f)},
            f.cdsTipReceOrig);
}

void ZPaymentFormsPart::Vd_TpReceOrig(bool required) {
  ClientDataSet& s = f.cdsFormaPag;
  const bool wasBlank = blank(s, "CDTPRECEORIG");
  Field& code = s.fieldByName("CDTPRECEORIG");
  code.setAsString(Ajusta(code.asString(), 3));
  if (wasBlank && required) failOn(f, s, "CDTPRECEORIG", "TpRece_inf");
  try {
    if (!f.cdsTipReceOrig.active()) fetchTipReceOrig();
  } catch (...) {
    code.focusControl();
    throw;
  }
  if (wasBlank) {
    // Without an origin there is no origin name to show.
    s.fieldByName("NMTPORIGEM").clear();
    return;
  }
  if (!zsub::holdsCode(f.cdsTipReceOrig, "CDTIPORECE", code.asString())) failOn(f, s, "CDTPRECEORIG", "TpRece_cad");
  s.fieldByName("NMTPORIGEM").setAsString(f.cdsTipReceOrig.fieldByName("NMTIPORECE").asString());
}

// The copy holds the list as it stands before the row is typed: a new type
// must not repeat any of them, nor may an existing row be moved to one.
void ZPaymentFormsPart::cdsFormaPagBeforeInsert() {
  f.zReductionPart.zChangeGuards();
  f.cdsVdPagto.copyFrom(f.cdsFormaPag);
}

void ZPaymentFormsPart::cdsFormaPagAfterInsert() { f.cdsFormaPag.fieldByName("CDTIPORECE").focusControl(); }

// An edit takes the copy as well, so the duplicate check of a changed type
// never reads a list from before the latest insert, or none at all.
void ZPaymentFormsPart::cdsFormaPagBeforeEdit() {
  f.zReductionPart.zChangeGuards();
  f.cdsVdPagto.copyFrom(f.cdsFormaPag);
}

void ZPaymentFormsPart::cdsFormaPagAfterEdit() { typeBeforeEdit_ = f.cdsFormaPag.fieldByName("CDTIPORECE").asString(); }

void ZPaymentFormsPart::cdsFormaPagBeforePost() {
  ClientDataSet& s = f.cdsFormaPag;
  Vd_TipoRece(true);
  vd_Valor(true);
  Vd_TpReceOrig(true);
  zsub::copyZKey(f, s);
  const double amount = s.fieldByName("VRFORMPGTORZ").asFloat();
  if (amount > f.cdsReducaoZ.fieldByName("VRVENLIQREDZ").asFloat()) failOn(f, s, "VRFORMPGTORZ", "VrForPag");

  // The current sale's register; with no sale in view, the filter's, which
  // is the register every listed sale belongs to.
  std::string reg = currentText(f.cdsPedidoVenda, "CDCAIXA");
  if (EmptyString(reg)) reg = f.medCdCaixa.text();
  std::vector<Value> args{Value(f.medFilial.text()), Value(reg), Value(s.fieldByName("CDTIPORECE").asString()),
                          currentDate(f.cdsReducaoZ, "DTREDUCAOZ"), Value(s.fieldByName("CDTPRECEORIG").asString())};
  fetch(f, "VdFormPgtoZ", "VdFormPgtoZ", args, [this](const Value& answer) {
    loadPacket(f.cdsSoma, element(f, answer, 0));
    loadPacket(f.cdsSomaForma, element(f, answer, 1));
  });

  if (blank(s, "CDTPRECEORIG")) return;
  const double receipts = f.cdsSoma.isEmpty() ? 0 : f.cdsSoma.fieldByName("VRMOVIVEND").asFloat();
  const double others = f.cdsSomaForma.isEmpty() ? 0 : f.cdsSomaForma.fieldByName("VALOR").asFloat();
  // Compared in cents, so a total equal to the receipts passes exactly.
  if (cents(amount + others) > cents(receipts)) failOn(f, s, "VRFORMPGTORZ", "ValFormPagRec");
}

void ZPaymentFormsPart::cdsFormaPagAfterCancel() { f.cdsFormaPag.cancelUpdates(); }

void ZPaymentFormsPart::cdsFormaPagAfterDelete() { zsub::sendDeletion(f, f.cdsFormaPag, "SetFormaPag"); }

void ZPaymentFormsPart::dbgFormPagColExit() {
  if (!f.cdsFormaPag.editing()) return;
  const std::string field = selectedField(f.dbgFormPag);
  if (field == "CDTIPORECE") Vd_TipoRece(false);
  if (field == "CDTPRECEORIG") Vd_TpReceOrig(false);
}

void ZPaymentFormsPart::dbgFormPagEditButtonClick() {
  ClientDataSet& s = f.cdsFormaPag;
  const std::string field = selectedField(f.dbgFormPag);
  if (field == "CDTIPORECE" && s.state() == DataSetState::Insert) {
    TADOIBQuery& q = f.qryTipoRec;
    q.close();
    q.setParam("P_CDTIPORECE", Value());
    q.open();
    if (!Pesquisar(dtsTipoRec_, f.Msg("FORMPAG") + "|" + f.Msg("N_H_CAD"))) return;
    s.fieldByName("CDTIPORECE").setAsString(q.fieldByName("CDTIPORECE").asText());
    s.fieldByName("NMTIPORECE").setAsString(q.fieldByName("NMTIPORECE").asText());
  } else if (field == "CDTPRECEORIG" && s.editing()) {
    // The day's origins may have changed since the check read them.
    fetchTipReceOrig();
    if (!Pesquisar(dtsTipReceOrig_, f.Msg("RecebOrigem") + "|" + f.Msg("N_Ha_Cad"))) return;
    s.fieldByName("CDTPRECEORIG").setAsString(f.cdsTipReceOrig.fieldByName("CDTIPORECE").asString());
    s.fieldByName("NMTPORIGEM").setAsString(f.cdsTipReceOrig.fieldByName("NMTIPORECE").asString());
  }
}

// The origin column shows the origin's name; the code comes back while it
// is being typed.
void ZPaymentFormsPart::dbgFormPagDrawColumnCell(const CellContext& cell, CellAppearance& look) {
  if (!cell.field || cell.field->name() != "CDTPRECEORIG" || cell.editorCell) return;
  const std::string code = AllTrim(cell.field->text());
  look.text = code.empty() ? code : f.cdsFormaPag.fieldByName("NMTPORIGEM").asString();
}

}  // namespace screen
