// A sale's history: what the audit trail recorded of the current sale, its
// items, item taxes, cancelled items and receipts, shown as a list with
// when, who, through which action, which record and what changed.
#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// The catalogue's text for a key, or `fallback` when it holds none (an
// operation added after this screen was written still shows its name).
std::string catalogueOr(const TfrmManutVenda& f, const std::string& key, const std::string& fallback) {
  const std::string* text = f.msgPadrao.find(key);
  return text ? *text : fallback;
}

}  // namespace

void SalePart::mnuHistVendaClick() {
  const ClientDataSet& v = f.cdsPedidoVenda;
  if (!v.active() || v.isEmpty()) return;
  std::vector<Value> key{Value(v.fieldByName("CDFILIAL").asString()), Value(v.fieldByName("CDCAIXA").asString()),
                         Value(v.fieldByName("NRSEQVENDA").asString())};
  Value answer;
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_Historico"));
    answer = CheckResultServ(f.netManutVenda.call("GetHistoricoVenda", key));
  }
  DataPacket lines;
  lines.fields = f.cdsHistorico.fieldDefs();
  if (answer.isPacket()) {
    const DataPacket& p = answer.packet();
    const auto text = [&p](const PacketRow& r, const char* name) {
      const int i = p.fieldIndex(name);
      return i < 0 ? std::string() : r.values[static_cast<size_t>(i)].asText();
    };
    for (const PacketRow& r : p.rows) {
      const std::string operation = text(r, "NMOPERACAO"), row = text(r, "DSCHAVE");
      std::string record = f.Msg("Hist_" + text(r, "IDALTERACAO")) + " " +
                           catalogueOr(f, "Hist_" + text(r, "NMTABELA"), text(r, "NMTABELA"));
      if (!row.empty()) record += " " + row;
      lines.rows.push_back({RowKind::Unchanged,
                            {Value(text(r, "DTAUDITORIA")), Value(text(r, "NMOPERADOR")),
                             Value(catalogueOr(f, "Hist_" + operation, operation)), Value(record),
                             Value(text(r, "DSALTERACAO"))},
                            {}});
    }
  }
  f.cdsHistorico.setData(lines);
  ui().pickRecord(f.cdsHistorico, f.Msg("Hist_Titulo"), f.Msg("Hist_Vazio"));
}

}  // namespace screen
