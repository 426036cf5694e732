// The filter panel: the branch, register and movement date the screen works
// on. Entering it discards everything loaded; leaving it validates the three
// values and loads the day in one remote call.

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// Runs a check that puts the user back on `field` when it fails.
template <class Check>
void checkOn(Control& field, Check&& check) {
  try {
    check();
  } catch (...) {
    field.setFocus();
    throw;
  }
}

}  // namespace

void FilterPanel::wire() {
  f.medFilial.OnChange = handler(this, &FilterPanel::medFilialChange);
  f.medFilial.OnExit = handler(this, &FilterPanel::medFilialExit);
  f.btpFilial.OnBeforeDialog = handler(this, &FilterPanel::btpFilialBeforeDialog);
  f.btpFilial.OnAfterChoice = handler(this, &FilterPanel::btpFilialAfterChoice);
  f.medCdCaixa.OnChange = handler(this, &FilterPanel::medCdCaixaChange);
  f.medCdCaixa.OnExit = handler(this, &FilterPanel::medCdCaixaExit);
  f.btnPesqCaixa.OnBeforeDialog = handler(this, &FilterPanel::btnPesqCaixaBeforeDialog);
  f.btnPesqCaixa.OnAfterChoice = handler(this, &FilterPanel::btnPesqCaixaAfterChoice);
  f.panFilial.OnEnter = handler(this, &FilterPanel::panFilialEnter);
  f.panFilial.OnExit = handler(this, &FilterPanel::panFilialExit);
}

void FilterPanel::medFilialChange() {
  f.edtFilial.setText("");
  f.medCdCaixa.setText("");
  f.edtNmCaixa.setText("");
}

void FilterPanel::medFilialExit() { Vd_Filial(false); }

void FilterPanel::btpFilialBeforeDialog() {
  TADOIBQuery& q = f.qryFilial;
  q.close();
  q.setParam("P_CDFILIAL", Value());
  q.setParam("P_TCDFILIAL", Value("T"));
  q.open();
}

void FilterPanel::btpFilialAfterChoice() {
  // The branch's own change event would clear its name again: set the
  // code first, then the name.
  f.medFilial.setText(f.qryFilial.fieldByName("CDFILIAL").asText());
  f.edtFilial.setText(f.qryFilial.fieldByName("NMFILIAL").asText());
}

void FilterPanel::medCdCaixaChange() { f.edtNmCaixa.setText(""); }

void FilterPanel::medCdCaixaExit() { Vd_Caixa(false); }

void FilterPanel::btnPesqCaixaBeforeDialog() {
  TADOIBQuery& q = f.qryPesqCaixa;
  q.close();
  q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
  q.setParam("P_CDCAIXA", Value());
  q.open();
}

void FilterPanel::btnPesqCaixaAfterChoice() {
  f.medCdCaixa.setText(f.qryPesqCaixa.fieldByName("CDCAIXA").asText());
  f.edtNmCaixa.setText(f.qryPesqCaixa.fieldByName("NMCAIXA").asText());
}

void FilterPanel::Vd_Filial(bool required) {
  checkOn(f.medFilial, [&] {
    if (EmptyString(f.medFilial.text())) {
      if (required) MensErro(f.Msg("fili_inf"));
      return;
    }
    f.medFilial.setText(Ajusta(f.medFilial.text(), 4));
    TADOIBQuery& q = f.qryFilial;
    q.close();
    q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
    q.setParam("P_TCDFILIAL", Value());
    q.open();
    if (q.isEmpty()) MensErro(f.Msg("fili_n_cad"));
    f.edtFilial.setText(q.fieldByName("NMFILIAL").asText());
  });
}

void FilterPanel::Vd_Caixa(bool required) {
  checkOn(f.medCdCaixa, [&] {
    if (EmptyString(f.medCdCaixa.text())) {
      if (required) MensErro(f.Msg("Caixa_inf"));
      return;
    }
    f.medCdCaixa.setText(Ajusta(f.medCdCaixa.text(), 3));
    TADOIBQuery& q = f.qryPesqCaixa;
    q.close();
    q.setParam("P_CDCAIXA", Value(f.medCdCaixa.text()));
    q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
    q.open();
    if (q.isEmpty()) MensErro(f.Msg("Caixa_n_cad"));
    f.edtNmCaixa.setText(q.fieldByName("NMCAIXA").asText());
  });
}

void FilterPanel::panFilialEnter() {
  for (ClientDataSet* s : {&f.cdsAberCaixa, &f.cdsPedidoVenda, &f.cdsItens, &f.cdsTipoRece, &f.cdsReducaoZ,
                           &f.cdsParametro, &f.cdsIndice, &f.cdsTipReceOrig})
    s->close();
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  f.state.pgcPadraoChange();
  f.state.dtsPadraoStateChange();
  f.mnuFecharCaixa.setEnabled(false);
  f.btnFecharCaixa.setEnabled(f.mnuFecharCaixa.enabled());
}

void FilterPanel::panFilialExit() {
  for (NumberBox* total : {&f.nedTotal, &f.nedTotal1, &f.nedTotal2}) total->setValue(0);
  Vd_Filial(true);
  Vd_Caixa(true);
  const std::optional<DateTime> day = f.depDeEntrega.date();
  if (!day) {
    f.depDeEntrega.setFocus();
    // Only an untouched date is missing; anything typed is a date that does
    // not exist (31/02) or is incomplete.
    if (f.depDeEntrega.isBlank()) MensErro(f.Msg("DtDeve"));
    MensErro(formatMsg(f.Msg("Data_Inv"), {f.depDeEntrega.displayText()}));
  }
  // Day 1 of the date scale is 31/12/1899; it is refused too.
  if (day->days <= 1) {
    f.depDeEntrega.setFocus();
    MensErro(f.Msg("DataAber_Inc"));
  }
  f.pgcPadrao.setActivePage(f.tshAberCaixa);

  // The animation stays up while the openings load, as their loading
  // fetches the first opening's sales.
  ProgressScope receiving(kProgressReceiving, f.Msg("Get_Vendas"));
  std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text()), Value(*day), Value("T")};
  ClientDataSet* const sets[] = {&f.cdsAberCaixa, &f.cdsParametro,   &f.cdsReducaoZ,  &f.cdsItensCancelados,
                                 &f.cdsClientePV, &f.cdsCadastroECF, &f.cdsReducaoAnt};
  constexpr int kOpenings = 0, kReductions = 2;
  // Loading the answer sets off the loads of its first opening's sales and
  // of their first sale, then of its first Z reduction's sub-tables, keyed
  // by those rows: the server takes the keys from the answers before them.
  std::vector<RemoteCall> calls{{"GetBuscaManut", args, {}}};
  const auto add = [&calls](std::vector<RemoteCall> more) {
    calls.insert(calls.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  };
  const std::size_t salesCall = calls.size();
  add(keyedByAnswer({{"GetPedidoVenda", {Value(""), Value(""), Value(DateTime(0))}, {}}}, 0, kOpenings,
                    {"CDFILIAL", "CDCAIXA", "DTABERCAIX"}));
  add(keyedByAnswer(Retrieval::saleMoveCalls({Value(""), Value(""), Value("")}), salesCall, 0,
                    {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}));
  add(keyedByAnswer(ZReductionPart::subTableCalls({args[0], args[1], args[2], Value("")}), 0, kReductions,
                    {"", "", "", "NRECFREDZ"}));
  BatchScope batch(f, std::move(calls));
  const Value all = CheckResultServ(f.netManutVenda.call("GetBuscaManut", args));
  element(f, all, std::size(sets) - 1);
  for (size_t i = 0; i < std::size(sets); ++i) loadPacket(*sets[i], all.array()[i]);
  // The openings' loading refreshed the actions and pages before the Z
  // reductions arrived: the pages that depend on them follow now.
  f.state.dtsPadraoStateChange();
}

}  // namespace screen
