#include "screen/pagecontext.h"

#include "platform/consiste.h"
#include "platform/dbcontrols.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// A field's text as shown, trimmed; "" when the set has no current row.
std::string shown(const ClientDataSet& set, const char* field) {
  if (!set.active() || set.isEmpty()) return {};
  return AllTrim(set.fieldByName(field).displayText());
}

void addPart(std::string& line, const std::string& label, const std::string& value) {
  if (value.empty()) return;
  if (!line.empty()) line += "   ·   ";
  line += label + value;
}

}  // namespace

PageContext::~PageContext() {
  f.dtsPedidoVenda.removeListener(this);
  f.dtsItens.removeListener(this);
  f.nedTotal.changed.disconnect(totalConnection_);
}

void PageContext::wire() {
  for (TabSheet* page : {&f.tshFormulario, &f.tshRecebimento, &f.tshItensCancelados}) {
    Label& header = f.add<Label>("lblContexto" + page->name().substr(3), page);
    header.setAlign(Align::Top);
    header.setBold(true);
    headers_.push_back(&header);
  }
  taxCaption_ = &f.add<Label>("lblImpostoItem", &f.tshFormulario);
  taxCaption_->setAlign(Align::Bottom);
  taxCaption_->setIndex(f.dbgImpostoItem.index());

  f.dbgAberCaixa.setEmptyText(f.Msg("Vazio_AberCaixa"));
  f.dbgPadrao.setEmptyText(f.Msg("Vazio_Vendas"));
  f.dbgItens.setEmptyText(f.Msg("Vazio_Itens"));
  f.dbgImpostoItem.setEmptyText(f.Msg("Vazio_Impostos"));
  f.dbgItensCancelados.setEmptyText(f.Msg("Vazio_ItensCanc"));
  f.dbgTipoRece.setEmptyText(f.Msg("Vazio_Recebimentos"));

  f.dtsPedidoVenda.addListener(this);
  f.dtsItens.addListener(this);
  totalConnection_ = f.nedTotal.changed.connect([this](Control&, Prop) { refresh(); });
  refresh();
}

std::string PageContext::saleLine() const {
  const ClientDataSet& s = f.cdsPedidoVenda;
  if (!s.active() || s.isEmpty()) return {};
  std::string line;
  addPart(line, f.Msg("Ctx_Venda") + " ", shown(s, "NRSEQVENDA"));
  addPart(line, f.Msg("Ctx_Cupom") + " ", shown(s, "NRCUPOMFIS"));
  addPart(line, f.Msg("Ctx_Hora") + " ", shown(s, "HRVENDA"));
  addPart(line, f.Msg("Ctx_Cliente") + " ", shown(s, "NMRAZSOCCLIE"));
  addPart(line, "", saleStatusText(s.fieldByName("IDSITUVENDA").asString()));
  addPart(line, f.Msg("Ctx_Total") + " ", f.nedTotal.text());
  return line;
}

std::string PageContext::itemTaxLine() const {
  std::string line = f.Msg("Ctx_ImpostoItem");
  const std::string number = shown(f.cdsItens, "NRSEQUITVEND");
  if (number.empty()) return line;
  line += " " + number;
  if (const std::string name = shown(f.cdsItens, "NMPRODUTO"); !name.empty()) line += " — " + name;
  return line;
}

void PageContext::refresh() {
  const std::string line = saleLine();
  for (Label* header : headers_) header->setCaption(line);
  if (taxCaption_) taxCaption_->setCaption(itemTaxLine());
}

}  // namespace screen
