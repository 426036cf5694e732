#include <array>
#include <vector>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// Posts a row being edited or inserted; its before-post checks may refuse
// it, and its after-post step may itself run a whole save.
void postPending(ClientDataSet& set) {
  if (set.editing()) set.post();
}

// The change log to send, or Null when there is nothing pending. The log is
// not merged here: it is merged only once the server has accepted it, so a
// refused or failed call leaves the user's edits pending and a second
// confirm sends them again.
Value pendingDelta(const ClientDataSet& set) {
  if (!set.active() || set.changeCount() < 1) return Value();
  return Value(set.delta());
}

bool hasPending(const ClientDataSet& set) { return set.active() && set.changeCount() >= 1; }

// Sends the pending logs of `sets` in one call (their deltas first, then
// `extra`) and, once the server accepted them, merges the logs that went.
template <size_t N>
Value sendLogs(TNetConnection& net, const std::string& operation, ClientDataSet* const (&sets)[N],
               std::vector<Value> extra) {
  std::vector<Value> args;
  for (ClientDataSet* s : sets) args.push_back(pendingDelta(*s));
  const std::vector<Value> sent = args;
  args.insert(args.end(), extra.begin(), extra.end());
  const Value answer = CheckResultServ(net.call(operation, args));
  for (size_t i = 0; i < N; ++i)
    if (!sent[i].isNull()) sets[i]->mergeChangeLog();
  return answer;
}

}  // namespace

void Saving::wire() {}

std::array<ClientDataSet*, 10> Saving::savedSets() const {
  return {&f.cdsAberCaixa, &f.cdsPedidoVenda, &f.cdsItens,   &f.cdsImpostoItem, &f.cdsTipoRece,
          &f.cdsReducaoZ,  &f.cdsImposto,     &f.cdsTotaliz, &f.cdsFormaPag,    &f.cdsObservacao};
}

void Saving::sbtConfirmarClick() {
  // The user hears of a save that had something to send and left nothing
  // unsent, once, from the outermost save (posting a row runs a save of its
  // own inside this one).
  bool work = false;
  for (const ClientDataSet* set : savedSets()) work = work || set->editing() || hasPending(*set);
  ++running_;
  struct Leave {
    int& n;
    ~Leave() { --n; }
  } leave{running_};
  // Whatever the outcome, the actions follow: a refused save leaves its
  // changes unsent, which holds the screen until they are sent or undone.
  try {
    ProgressScope sending(kProgressSending, f.Msg("Grava_Vnd"));
    if (f.pgcPadrao.activePage() == &f.tshReducao)
      saveReducao();
    else
      saveVenda();
  } catch (...) {
    f.state.dtsPadraoStateChange();
    throw;
  }
  f.state.dtsPadraoStateChange();
  if (work && running_ == 1 && !f.state.unsentChanges()) ui().showNotice(f.Msg("Grav_OK"));
}

void Saving::sbtCancelarClick() {
  ClientDataSet* current = f.currentSet();
  if (current && current->editing()) {
    current->cancel();
    return;
  }
  for (ClientDataSet* set : savedSets())
    if (set->active() && set->changeCount() > 0 && !set->editing()) set->cancelUpdates();
  f.state.dtsPadraoStateChange();
}

void Saving::saveVenda() {
  postPending(f.cdsAberCaixa);
  // An opening the server refused earlier is sent again, as corrected.
  if (hasPending(f.cdsAberCaixa)) f.registerPart.sendPendingOpenings();
  if (f.cdsPedidoVenda.editing()) {
    f.cdsPedidoVenda.post();
    f.sellerChangeMode = false;
  }
  postPending(f.cdsItens);
  postPending(f.cdsImpostoItem);
  postPending(f.cdsItensCancelados);
  postPending(f.cdsTipoRece);

  if (hasPending(f.cdsPedidoVenda) || hasPending(f.cdsItens) || hasPending(f.cdsImpostoItem)) {
    ClientDataSet* const sale[] = {&f.cdsPedidoVenda, &f.cdsItens, &f.cdsImpostoItem};
    const Value total = sendLogs(f.netManutVenda, "GravaVenda", sale, {Value(Operador())});
    if (total.isPacket()) f.cdsSumVenda.setData(total.packet());
  }

  if (hasPending(f.cdsTipoRece)) {
    // The receipt check reports and aborts by itself when the receipts may
    // not be sent; a plain refusal stops the save just the same.
    if (!f.receiptsPart.Verifica_Recebimento()) return;
    ClientDataSet* const receipts[] = {&f.cdsTipoRece};
    sendLogs(f.netManutVenda, "GravaTipoRece", receipts, {Value(f.Msg("MOVICLIE"))});
  }

  std::vector<Value> key{Value(f.cdsPedidoVenda.fieldByName("CDFILIAL").asString()),
                         Value(f.cdsPedidoVenda.fieldByName("CDCAIXA").asString()),
                         Value(f.cdsPedidoVenda.fieldByName("NRSEQVENDA").asString())};
  const Value sum = CheckResultServ(f.netManutVenda.call("GetSumVenda", key));
  if (sum.isPacket()) f.cdsSumVenda.setData(sum.packet());
  f.retrieval.showSumVenda();
}

// The Z reduction and its four sub-tables travel together, in one call made
// even when nothing is pending: the server then simply confirms.
void Saving::saveReducao() {
  ClientDataSet* const sets[] = {&f.cdsReducaoZ, &f.cdsImposto, &f.cdsTotaliz, &f.cdsFormaPag, &f.cdsObservacao};
  for (ClientDataSet* s : sets) postPending(*s);
  sendLogs(f.netManutVenda, "GravaVendaReducao", sets, {Value(Operador()), Value(NomeOperador())});
}

}  // namespace screen
