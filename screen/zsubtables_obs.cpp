// Observations of the current Z reduction: dated remarks that can only be
// added, numbered after the highest number the server knows.
#include <optional>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/format.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/zsubtables.h"

namespace screen {

using namespace platform;

void ZObservationsPart::wire() {
  ClientDataSet& s = f.cdsObservacao;
  s.BeforeInsert = [this](ClientDataSet&) { f.zReductionPart.zChangeGuards(); };
  s.AfterInsert = [this](ClientDataSet&) { cdsObservacaoAfterInsert(); };
  // A remark once recorded stays as it was written.
  s.BeforeEdit = [](ClientDataSet&) { Abort(); };
  s.BeforePost = [this](ClientDataSet&) { cdsObservacaoBeforePost(); };
  s.AfterPost = [this](ClientDataSet&) { f.saving.sbtConfirmarClick(); };
  s.AfterCancel = [this](ClientDataSet&) { cdsObservacaoAfterCancel(); };
  s.AfterDelete = [this](ClientDataSet&) { cdsObservacaoAfterDelete(); };
  f.dbgObservacao.OnKeyPress = [this](Control&, char32_t& key) { dbgObservacaoKeyPress(key); };
}

void ZObservationsPart::cdsObservacaoAfterInsert() {
  ClientDataSet& s = f.cdsObservacao;
  s.fieldByName("DSOBSERVREDZ").focusControl();
  try {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text()),
                            Value(currentText(f.cdsReducaoZ, "NRECFREDZ")), filterDay(f)};
    loadPacket(f.cdsProxCod, CheckResultServ(f.netManutVenda.call("GetProxCod", args)));
    const std::string highest =
        f.cdsProxCod.isEmpty() ? std::string() : f.cdsProxCod.fieldByName("NRSEQOBSREDZ").asString();
    const std::optional<double> number = parseGeneral(AllTrim(highest));
    if (!number) throw UserError("'" + highest + "' não é um valor numérico válido.");
    s.fieldByName("NRSEQOBSREDZ").setAsString(Ajusta(formatGeneral(*number + 1), 4));
    s.fieldByName("DTOBSERVREDZ").setAsDateTime(today());
  } catch (...) {
    // A remark that cannot be numbered is not begun.
    droppingUnnumbered_ = true;
    s.cancel();
    droppingUnnumbered_ = false;
    throw;
  }
}

void ZObservationsPart::cdsObservacaoBeforePost() {
  ClientDataSet& s = f.cdsObservacao;
  zsub::copyZKey(f, s);
  // Only a remark with no character at all is empty; blanks are a remark.
  if (s.fieldByName("DSOBSERVREDZ").asString().empty()) zsub::failOn(f, s, "DSOBSERVREDZ", "Obs_Inf");
}

void ZObservationsPart::cdsObservacaoAfterCancel() {
  f.cdsObservacao.cancelUpdates();
  if (!droppingUnnumbered_) f.sbtVerificarClick();
}

// A deleted remark goes to the server with the Z reduction at once, like a
// new one; if the server refuses, the remark comes back.
void ZObservationsPart::cdsObservacaoAfterDelete() {
  ClientDataSet& s = f.cdsObservacao;
  if (s.changeCount() < 1) return;
  try {
    f.saving.sbtConfirmarClick();
  } catch (...) {
    s.cancelUpdates();
    f.state.dtsPadraoStateChange();
    throw;
  }
}

// Number and date are the screen's.
void ZObservationsPart::dbgObservacaoKeyPress(char32_t& key) {
  const Field* field = f.dbgObservacao.selectedField();
  if (!field || (field->name() != "NRSEQOBSREDZ" && field->name() != "DTOBSERVREDZ")) return;
  if (key != U'\t' && key != U'\r' && key != 27) key = 0;
}

}  // namespace screen
