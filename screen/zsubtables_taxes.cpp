// Taxes by rate of the current Z reduction: the tax comes only from the tax
// table's look-up, the amount is computed from rate and base, and a tax and
// rate may be recorded once per Z reduction.
#include <vector>

#include "platform/consiste.h"
#include "platform/lookup.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/zsubtables.h"

namespace screen {

using namespace platform;
using zsub::blank;
using zsub::failOn;

namespace {

bool movesOrConfirms(int key) { return key == vk::Tab || key == vk::Return || (key >= vk::Left && key <= vk::Down); }

}  // namespace

void ZTaxesPart::wire() {
  ClientDataSet& s = f.cdsImposto;
  s.BeforeInsert = [this](ClientDataSet&) { cdsImpostoBeforeInsert(); };
  s.BeforeEdit = [this](ClientDataSet&) { cdsImpostoBeforeEditOrDelete(); };
  s.BeforeDelete = [this](ClientDataSet&) { cdsImpostoBeforeEditOrDelete(); };
  s.BeforePost = [this](ClientDataSet&) { cdsImpostoBeforePost(); };
  s.AfterPost = [this](ClientDataSet&) { cdsImpostoAfterPost(); };
  s.AfterCancel = [this](ClientDataSet&) { cdsImpostoAfterCancel(); };
  s.AfterDelete = [this](ClientDataSet&) { cdsImpostoAfterDelete(); };
  DBGrid& g = f.dbgImposto;
  g.OnColExit = [this](Control&) { dbgImpostoColExit(); };
  g.OnEditButtonClick = [this](Control&) { dbgImpostoEditButtonClick(); };
  g.OnKeyDown = [this](Control&, int& key, ShiftState shift) { dbgImpostoKeyDown(key, shift); };
  g.OnKeyPress = [this](Control&, char32_t& key) { dbgImpostoKeyPress(key); };
  dtsPesquisaImp_.setDataSet(&f.qryPesquisaImp);
}

void ZTaxesPart::Vd_Imposto(bool required) {
  ClientDataSet& s = f.cdsImposto;
  if (blank(s, "SGIMPOSTO")) {
    if (required) failOn(f, s, "SGIMPOSTO", "IMPOSTO_NULL");
    return;
  }
  // An existing row keeps the tax it was recorded with; the server checks a
  // changed one when it is saved.
  if (s.state() != DataSetState::Insert) return;
  const std::string sigla = s.fieldByName("SGIMPOSTO").asString();
  TADOIBQuery& q = f.qryPesquisaImp;
  q.close();
  q.setParam("P_SGIMPOSTO", Value(sigla));
  q.setParam("P_TSGIMPOSTO", Value(""));
  q.open();
  if (q.isEmpty()) failOn(f, s, "SGIMPOSTO", "IMP_NAO_CAD");

  std::vector<Value> args{Value(f.medFilial.text()),
                          Value(f.medCdCaixa.text()),
                          Value(currentText(f.cdsReducaoZ, "NRECFREDZ")),
                          filterDay(f),
                          Value(sigla),
                          Value(s.fieldByName("VRALIQIMPRZ").asFloat())};
  try {
    loadPacket(f.cdsVdImpostoZ, CheckResultServ(f.netManutVenda.call("GetVdImpostoZ", args)));
  } catch (...) {
    s.fieldByName("SGIMPOSTO").focusControl();
    throw;
  }
  if (!f.cdsVdImpostoZ.isEmpty()) failOn(f, s, "SGIMPOSTO", "IMP_JA_CAD");
}

void ZTaxesPart::cdsImpostoBeforeInsert() { f.zReductionPart.zChangeGuards(); }

// The fiscal record of a closed register day stays as it was closed: its
// tax rows may be added to but no longer changed from the Z reduction page.
void ZTaxesPart::cdsImpostoBeforeEditOrDelete() {
  f.zReductionPart.zChangeGuards();
  if (f.pgcPadrao.activePage() != &f.tshReducao) return;
  if (!blank(f.cdsAberCaixa, "DTFECHCAIX")) MensErro(f.Msg("Oper_Bloc"));
  f.guards.vd_DataMov();
}

void ZTaxesPart::cdsImpostoBeforePost() {
  ClientDataSet& s = f.cdsImposto;
  Vd_Imposto(true);
  if (blank(s, "VRALIQIMPRZ")) failOn(f, s, "VRALIQIMPRZ", "VRPER_DV_INF");
  if (blank(s, "VRBCALCIMPRZ")) failOn(f, s, "VRBCALCIMPRZ", "VRBA_DV_INF");
  zsub::copyZKey(f, s);
  s.fieldByName("VRIMPOSTORZ")
      .setAsFloat(Trunc2(s.fieldByName("VRALIQIMPRZ").asFloat() * s.fieldByName("VRBCALCIMPRZ").asFloat() / 100));
}

void ZTaxesPart::cdsImpostoAfterPost() { f.saving.sbtConfirmarClick(); }

void ZTaxesPart::cdsImpostoAfterCancel() { f.cdsImposto.cancelUpdates(); }

void ZTaxesPart::cdsImpostoAfterDelete() { zsub::sendDeletion(f, f.cdsImposto, "SetImposto"); }

void ZTaxesPart::dbgImpostoColExit() {
  if (!f.cdsImposto.editing()) return;
  const Field* field = f.dbgImposto.selectedField();
  if (!field) return;
  if (field->name() == "SGIMPOSTO" || field->name() == "VRALIQIMPRZ") Vd_Imposto(false);
}

void ZTaxesPart::dbgImpostoEditButtonClick() {
  TADOIBQuery& q = f.qryPesquisaImp;
  q.close();
  q.setParam("P_SGIMPOSTO", Value(""));
  q.setParam("P_TSGIMPOSTO", Value("T"));
  q.open();
  if (!Pesquisar(dtsPesquisaImp_, f.Msg("IMPOSTO"))) return;
  ClientDataSet& s = f.cdsImposto;
  if (!s.active()) return;
  if (!s.editing()) s.edit();
  s.fieldByName("SGIMPOSTO").setAsString(q.fieldByName("SGIMPOSTO").asText());
  s.fieldByName("CDIMPOSTO").setAsString(q.fieldByName("CDIMPOSTO").asText());
}

// The tax and its amount are never typed: the tax comes from the look-up,
// the amount from rate and base.
bool ZTaxesPart::taxOnlyColumn() const {
  if (!f.cdsImposto.active()) return false;
  const Field* field = f.dbgImposto.selectedField();
  return field && (field->name() == "SGIMPOSTO" || field->name() == "VRIMPOSTORZ");
}

void ZTaxesPart::dbgImpostoKeyDown(int& key, ShiftState shift) {
  // Rows are deleted only through the screen's delete command.
  if (key == vk::Delete && (shift & ssCtrl)) {
    key = 0;
    return;
  }
  if (taxOnlyColumn() && !movesOrConfirms(key)) key = 0;
}

void ZTaxesPart::dbgImpostoKeyPress(char32_t& key) {
  if (taxOnlyColumn() && key != U'\t' && key != U'\r') key = 0;
}

}  // namespace screen
