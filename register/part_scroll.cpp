// Moving to another register opening loads its sales.

#include <vector>

#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

void RegisterPart::cdsAberCaixaAfterScroll() {
  ClientDataSet& a = f.cdsAberCaixa;
  const bool row = a.active() && !a.isEmpty();
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_PedidoVenda"));
    std::vector<Value> args{Value(row ? a.fieldByName("CDFILIAL").asString() : std::string()),
                            Value(row ? a.fieldByName("CDCAIXA").asString() : std::string()),
                            row && !a.fieldByName("DTABERCAIX").isNull()
                                ? Value(a.fieldByName("DTABERCAIX").asDateTime())
                                : Value(DateTime(0))};
    const Value all = CheckResultServ(f.netManutVenda.call("GetPedidoVenda", args));
    if (!all.isArray() || all.array().size() < 2) MensErro(f.Msg("Resp_Invalida"));
    for (auto [set, i] : {std::pair{&f.cdsPedidoVenda, 0}, std::pair{&f.cdsSumVenda, 1}}) {
      const Value& v = all.array()[static_cast<size_t>(i)];
      if (v.isPacket())
        set->setData(v.packet());
      else
        set->createDataSet();
    }
  }
  const DataSetState s = f.dtsPadrao.state();
  const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
  f.mnuFecharCaixa.setEnabled(!editing && row && a.fieldByName("DTFECHCAIX").isNull());
  f.btnFecharCaixa.setEnabled(f.mnuFecharCaixa.enabled());
}

}  // namespace screen
