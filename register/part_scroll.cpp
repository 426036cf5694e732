// Moving to another register opening loads its sales.

#include <string>

#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

void RegisterPart::cdsAberCaixaAfterScroll() {
  ClientDataSet& a = f.cdsAberCaixa;
  const bool row = a.active() && !a.isEmpty();
  fetch(f, "Get_PedidoVenda", "GetPedidoVenda",
        {Value(row ? a.fieldByName("CDFILIAL").asString() : std::string()),
         Value(row ? a.fieldByName("CDCAIXA").asString() : std::string()),
         row && !a.fieldByName("DTABERCAIX").isNull() ? Value(a.fieldByName("DTABERCAIX").asDateTime())
                                                       : Value(DateTime(0))},
        [this](const Value& all) {
          loadPacket(f.cdsPedidoVenda, element(f, all, 0));
          loadPacket(f.cdsSumVenda, element(f, all, 1));
        });
  const DataSetState s = f.dtsPadrao.state();
  const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
  f.mnuFecharCaixa.setEnabled(!editing && row && a.fieldByName("DTFECHCAIX").isNull());
  f.btnFecharCaixa.setEnabled(f.mnuFecharCaixa.enabled());
}

}  // namespace screen
