// Moving to another register opening loads its sales.

#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

void RegisterPart::loadOpeningSales() {
  const ClientDataSet& a = f.cdsAberCaixa;
  fetch(f, "Get_PedidoVenda", "GetPedidoVenda",
        {Value(currentText(a, "CDFILIAL")), Value(currentText(a, "CDCAIXA")), currentDate(a, "DTABERCAIX")},
        [this](const Value& all) {
          loadPacket(f.cdsPedidoVenda, element(f, all, 0));
          loadPacket(f.cdsSumVenda, element(f, all, 1));
        });
}

void RegisterPart::cdsAberCaixaAfterScroll() {
  loadOpeningSales();
  const ClientDataSet& a = f.cdsAberCaixa;
  const DataSetState s = f.dtsPadrao.state();
  const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
  f.mnuFecharCaixa.setEnabled(!editing && a.active() && !a.isEmpty() && a.fieldByName("DTFECHCAIX").isNull());
  f.btnFecharCaixa.setEnabled(f.mnuFecharCaixa.enabled());
  f.dayCheckPart.refreshAction();
}

}  // namespace screen
