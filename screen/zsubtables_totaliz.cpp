// Non-fiscal totalizers of the current Z reduction: a number may appear
// once per Z reduction and is fixed once recorded; description, counter and
// accumulated value are required.
#include "platform/consiste.h"
#include "screen/frmmanutvenda.h"
#include "screen/zsubtables.h"

namespace screen {

using namespace platform;
using zsub::blank;
using zsub::failOn;

void ZTotalizersPart::wire() {
  ClientDataSet& s = f.cdsTotaliz;
  s.BeforeInsert = [this](ClientDataSet&) { cdsTotalizBeforeInsert(); };
  s.AfterInsert = [this](ClientDataSet&) { cdsTotalizAfterInsert(); };
  s.BeforeEdit = [this](ClientDataSet&) { f.zReductionPart.zChangeGuards(); };
  s.BeforeDelete = [this](ClientDataSet&) { f.zReductionPart.zChangeGuards(); };
  s.BeforePost = [this](ClientDataSet&) { cdsTotalizBeforePost(); };
  s.AfterPost = [this](ClientDataSet&) { f.saving.sbtConfirmarClick(); };
  s.AfterCancel = [this](ClientDataSet&) { cdsTotalizAfterCancel(); };
  s.AfterDelete = [this](ClientDataSet&) { cdsTotalizAfterDelete(); };
  DBGrid& g = f.dbgTotalizadores;
  g.OnColExit = [this](Control&) { dbgTotalizadoresColExit(); };
  g.OnKeyPress = [this](Control&, char32_t& key) { dbgTotalizadoresKeyPress(key); };
  // The page's own key rules (deleting only through the delete command)
  // run first.
  KeyDownEvent pageKeys = g.OnKeyDown;
  g.OnKeyDown = [this, pageKeys](Control& sender, int& key, ShiftState shift) {
    if (pageKeys) pageKeys(sender, key, shift);
    if (key != 0) dbgTotalizadoresKeyDown(key, shift);
  };
}

void ZTotalizersPart::Vd_Numero(bool required) {
  ClientDataSet& s = f.cdsTotaliz;
  if (blank(s, "NRTOTNFISCRZ") && required) failOn(f, s, "NRTOTNFISCRZ", "NR_DV_INF");
  Field& number = s.fieldByName("NRTOTNFISCRZ");
  number.setAsString(Ajusta(number.asString(), 2));
  if (zsub::holdsCode(f.cdsVdTotaliz, "NRTOTNFISCRZ", number.asString())) failOn(f, s, "NRTOTNFISCRZ", "NR_Ja_CAD");
}

// The list as it is before the new row is the one its number must not
// repeat.
void ZTotalizersPart::cdsTotalizBeforeInsert() {
  f.zReductionPart.zChangeGuards();
  f.cdsVdTotaliz.copyFrom(f.cdsTotaliz);
}

void ZTotalizersPart::cdsTotalizAfterInsert() { f.cdsTotaliz.fieldByName("NRTOTNFISCRZ").focusControl(); }

void ZTotalizersPart::cdsTotalizBeforePost() {
  ClientDataSet& s = f.cdsTotaliz;
  if (s.state() == DataSetState::Insert) Vd_Numero(true);
  if (blank(s, "DSTOTNFISCRZ")) failOn(f, s, "DSTOTNFISCRZ", "DS_DV_INF");
  if (blank(s, "NRCONTOTNFIS")) failOn(f, s, "NRCONTOTNFIS", "CONT_DV_INF");
  if (blank(s, "VRACUTOTNFIS")) failOn(f, s, "VRACUTOTNFIS", "VRACUM_DV_INF");
  zsub::copyZKey(f, s);
}

void ZTotalizersPart::cdsTotalizAfterCancel() { f.cdsTotaliz.cancelUpdates(); }

void ZTotalizersPart::cdsTotalizAfterDelete() { zsub::sendDeletion(f, f.cdsTotaliz, "SetTotaliz"); }

void ZTotalizersPart::dbgTotalizadoresColExit() {
  if (f.cdsTotaliz.state() != DataSetState::Insert) return;
  const Field* field = f.dbgTotalizadores.selectedField();
  if (field && field->name() == "NRTOTNFISCRZ") Vd_Numero(false);
}

namespace {

bool numberFixed(const TfrmManutVenda& f) {
  const Field* field = f.dbgTotalizadores.selectedField();
  return field && field->name() == "NRTOTNFISCRZ" && f.cdsTotaliz.state() != DataSetState::Insert;
}

}  // namespace

// A recorded totalizer keeps its number: nothing is typed into it.
void ZTotalizersPart::dbgTotalizadoresKeyPress(char32_t& key) {
  if (numberFixed(f) && key != U'\t' && key != U'\r') key = 0;
}

// Delete would clear the number's cell without a typed character.
void ZTotalizersPart::dbgTotalizadoresKeyDown(int& key, ShiftState shift) {
  if (key == vk::Delete && !(shift & (ssCtrl | ssAlt)) && numberFixed(f)) key = 0;
}

}  // namespace screen
