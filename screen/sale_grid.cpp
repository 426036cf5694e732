// The sales grid: how its rows are painted, which keys each column takes,
// the rules run when the user leaves a column, and the look-ups behind the
// columns' look-up buttons.
#include <vector>

#include "platform/consiste.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/msgpadrao.h"

namespace screen {

using namespace platform;

namespace {

bool isTabOrEnter(char32_t key) { return key == '\t' || key == '\r'; }

// The classic grid moves on Tab and cancels on Escape when the key goes
// down, before its character is seen; so refusing a column's characters
// never keeps the user from leaving the cell or dropping an edit.
bool actsOnKeyDown(char32_t key) { return key == '\t' || key == 27; }

// Keys that arrive as characters as well (letters, digits, blanks,
// punctuation, Backspace): their fate is decided by the key-press rules.
bool typesCharacter(int key, ShiftState shift) { return key != vk::Delete && isTypingKey(key, shift); }

std::string selectedFieldName(const DBGrid& grid) {
  const Field* field = grid.selectedField();
  return field ? field->name() : std::string();
}

// The name shown in place of each code column's code.
const char* nameFieldOf(const std::string& codeField) {
  if (codeField == "NRINSJURCLIE") return "NMRAZSOCCLIE";
  if (codeField == "CDCONSUMIDOR") return "NMCONSUMIDOR";
  if (codeField == "CDSERVFILI") return "NMSERVICO";
  if (codeField == "CDVENDEDOR") return "NMRAZSOCVEN";
  return nullptr;
}

}  // namespace

std::string saleStatusText(const std::string& status) {
  if (status != "P" && status != "O" && status != "C" && status != "D") return {};
  return msgPadrao().Msg("Sit_" + status);
}

void SalePart::wireSalesGrid() {
  DBGrid& grid = f.dbgPadrao;
  grid.OnDrawColumnCell = handler(this, &SalePart::dbgPadraoDrawColumnCell);
  grid.OnKeyPress = handler(this, &SalePart::dbgPadraoKeyPress);
  const auto keyDown = [this](Control& g, int& key, ShiftState shift) {
    dbgPadraoKeyDown(static_cast<DBGrid&>(g), key, shift);
  };
  grid.OnKeyDown = keyDown;
  // The item and opening grids share the framework's key handling; their
  // own parts may replace it with a handler of theirs.
  for (DBGrid* other : {&f.dbgItens, &f.dbgAberCaixa})
    if (!other->OnKeyDown) other->OnKeyDown = keyDown;
  grid.OnColExit = handler(this, &SalePart::dbgPadraoColExit);
  grid.OnEditButtonClick = handler(this, &SalePart::dbgPadraoEditButtonClick);
  // The colours of the drawing rule below, told to the user. Returned sales
  // and sales with cancelled items share purple: the italics tell them apart.
  grid.setLegend({{clBlue, saleStatusText("P")},
                  {clGreen, saleStatusText("O")},
                  {clRed, saleStatusText("C")},
                  {clPurple, saleStatusText("D")},
                  {clPurple, f.Msg("Leg_ItensCanc"), true}});
}

void SalePart::dbgPadraoDrawColumnCell(DBGrid&, const CellContext& cell, CellAppearance& look) {
  ClientDataSet& s = f.cdsPedidoVenda;
  // A pending sale is blue even with cancelled items; otherwise cancelled
  // items win over the status.
  const std::string status = s.fieldByName("IDSITUVENDA").asString();
  const bool cancelledItems = s.fieldByName("ITENSCANC").asString() == "S";
  if (status == "P")
    look.fontColor = clBlue;
  else if (cancelledItems)
    look.fontColor = clPurple;
  else if (status == "C")
    look.fontColor = clRed;
  else if (status == "D")
    look.fontColor = clPurple;
  else if (status == "O")
    look.fontColor = clGreen;
  // Returned sales and sales with cancelled items share a colour: italics
  // and the row's tool tip tell them apart.
  look.italic = cancelledItems;
  look.hint = saleStatusText(status);
  if (!look.hint.empty() && cancelledItems) look.hint += " — com itens cancelados";

  if (!cell.field) return;
  const char* nameField = nameFieldOf(cell.field->name());
  if (!nameField) return;
  // Under the in-place editor the cell shows the code being typed.
  if (cell.editorCell) return;
  const std::string code = AllTrim(cell.field->text());
  look.text = code.empty() ? code : s.fieldByName(nameField).asString();
}

void SalePart::dbgPadraoKeyPress(Control&, char32_t& key) {
  ClientDataSet& s = f.cdsPedidoVenda;
  if (actsOnKeyDown(key)) return;
  const std::string column = selectedFieldName(f.dbgPadrao);
  const bool inserting = s.state() == DataSetState::Insert;

  if (f.sellerChangeMode) {
    // Only the seller is typed during a seller change, whatever the sale's
    // status: the post of this mode checks nothing else.
    if (column != "CDVENDEDOR" && !isTabOrEnter(key)) key = 0;
    return;
  }
  if (s.fieldByName("IDSITUVENDA").asString() != "P") {
    key = 0;
    return;
  }
  if (column == "NRINSJURCLIE" && inserting && !isTabOrEnter(key)) {
    // Another client discards the consumer of the previous one.
    s.fieldByName("CDCONSUMIDOR").clear();
    s.fieldByName("NMCONSUMIDOR").clear();
  }
  if (column == "CDCONSUMIDOR" && !inserting && !isTabOrEnter(key) && !f.consumerEditable) key = 0;
  if (column == "NRINSJURCLIE" && !inserting && !isTabOrEnter(key)) key = 0;
  if (column == "CDSERVFILI" && !inserting && !isTabOrEnter(key) && !f.serviceEditable) key = 0;
  if (column == "IDTIPOVENDA" && !isTabOrEnter(key)) key = 0;
  if (column == "IDORIGEMVENDA" || column == "IDTPEMISVEND") key = 0;
}

void SalePart::dbgPadraoKeyDown(DBGrid& grid, int& key, unsigned shift) {
  f.dbgPadraoKeyDown(grid, key, shift);
  // The column filter is the sales grid's own; the item and opening grids
  // keep their keys whatever column the sales grid has selected.
  if (key == 0 || &grid != &f.dbgPadrao) return;
  const std::string column = selectedFieldName(f.dbgPadrao);
  const bool inserting = f.cdsPedidoVenda.state() == DataSetState::Insert;
  const bool filtered = column == "CDCONSUMIDOR" || (column == "NRINSJURCLIE" && !inserting) || column == "IDTIPOVENDA";
  if (!filtered) return;
  switch (key) {
    case vk::Tab:
    case vk::Return:
    case vk::Left:
    case vk::Right:
    case vk::Up:
    case vk::Down:
      return;
    default:
      if (!typesCharacter(key, shift)) key = 0;
  }
}

void SalePart::dbgPadraoColExit() {
  ClientDataSet& s = f.cdsPedidoVenda;
  if (!s.editing()) return;
  const std::string column = selectedFieldName(f.dbgPadrao);
  if (f.sellerChangeMode) {
    if (column == "CDVENDEDOR") Vd_Vendedor(false);
    return;
  }
  if (column == "CDSERVFILI") {
    Vd_Servico(false);
  } else if (column == "CDVENDEDOR") {
    Vd_Vendedor(false);
  } else if (column == "NRINSJURCLIE") {
    Vd_Cliente(false);
  } else if (column == "DTENTRVENDA") {
    // Day 1 of the date scale is 31/12/1899.
    if (s.fieldByName("DTENTRVENDA").asDateTime().days <= 1) MensErro(f.Msg("DataAber_Inc"));
  } else if (column == "CDCONSUMIDOR") {
    Vd_Consumidor(false);
  } else if (column == "HRVENDA") {
    Vd_Hora();
  }
}

namespace {

std::string lookupText(const TfrmManutVenda& f, const char* titleKey, const char* emptyKey) {
  return f.Msg(titleKey) + "|" + f.Msg(emptyKey);
}

// A choice from a look-up is typed into the sale like a code: it starts an
// edit of the sale (with its guards) when the sale is not being edited yet.
void ensureEditing(ClientDataSet& sale) {
  if (!sale.editing()) sale.edit();
}

void copyFields(ClientDataSet& from, ClientDataSet& to, std::initializer_list<const char*> names) {
  for (const char* name : names) to.fieldByName(name).setValue(from.findField(name)->value());
}

}  // namespace

void SalePart::pickSeller() {
  if (selectedFieldName(f.dbgPadrao) != "CDVENDEDOR") return;
  TADOIBQuery& q = f.qryVendedor;
  q.close();
  q.clearParams();
  q.setParam("P_CDVENDEDOR", Value());
  q.setParam("P_TCDVENDEDOR", Value("T"));
  q.open();
  if (!Pesquisar(dtsVendedor, lookupText(f, "VENDEDOR", "VENDEDOR_NCAD"), false, true)) return;
  ensureEditing(f.cdsPedidoVenda);
  copyFields(q, f.cdsPedidoVenda, {"CDVENDEDOR", "NMRAZSOCVEN"});
}

void SalePart::dbgPadraoEditButtonClick() {
  ClientDataSet& s = f.cdsPedidoVenda;
  if (f.sellerChangeMode) {
    pickSeller();
    return;
  }
  const std::string column = selectedFieldName(f.dbgPadrao);
  if (column == "NRINSJURCLIE") {
    TADOIBQuery& q = f.qryCliente;
    q.close();
    q.clearParams();
    q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
    q.setParam("P_CDCLIENTE", Value());
    q.setParam("P_TCDCLIENTE", Value("T"));
    q.open();
    if (Pesquisar(dtsCliente, lookupText(f, "CLIENTE", "CLIENTE_NCAD"), false, true)) {
      ensureEditing(s);
      copyFields(q, s, {"CDCLIENTE", "NMRAZSOCCLIE", "NRINSJURCLIE"});
    }
  } else if (column == "CDCONSUMIDOR") {
    // The consumers listed are the client's: the client must be valid.
    Vd_Cliente(true);
    {
      ProgressScope receiving(kProgressReceiving);
      std::vector<Value> args{s.fieldByName("CDCLIENTE").value(), Value(""), Value("T")};
      const Value answer = CheckResultServ(f.netManutVenda.call("getConsumidor", args));
      if (answer.isPacket())
        f.cdsConsumidor.setData(answer.packet());
      else
        f.cdsConsumidor.createDataSet();
    }
    if (Pesquisar(f.dtsConsumidor, lookupText(f, "CONSUMIDOR", "CONSUMIDOR_NCAD"), false, true)) {
      ensureEditing(s);
      copyFields(f.cdsConsumidor, s, {"CDCONSUMIDOR", "NMCONSUMIDOR", "CDTIPOCONS"});
    }
  } else if (column == "CDSERVFILI") {
    TADOIBQuery& q = f.qryPesqServico;
    q.close();
    q.clearParams();
    q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
    q.setParam("P_TODOS", Value("T"));
    q.setParam("P_CDSERVFILI", Value());
    q.open();
    if (Pesquisar(dtsPesqServico, lookupText(f, "Servico", "Servico_NCad"), false, true)) {
      ensureEditing(s);
      copyFields(q, s, {"CDSERVFILI", "NMSERVICO"});
    }
  }
  pickSeller();
  if (column == "IDTIPOVENDA") {
    // The list is built here, apart from the sale: its rows are not sales
    // and start none.
    ClientDataSet& types = f.cdsTipoVenda;
    types.close();
    types.createDataSet();
    for (const auto& [code, key] : {std::pair{"S", "Sistema"}, std::pair{"D", "Tillora"}}) {
      types.append();
      types.fieldByName("IDTIPOVENDA").setAsString(code);
      types.fieldByName("NMTIPOVENDA").setAsString(f.Msg(key));
      types.post();
    }
    types.first();
    if (Pesquisar(f.dtsTipoVenda, lookupText(f, "TipoVenda", "TipoVenda_N"), false, true)) {
      ensureEditing(s);
      s.fieldByName("IDTIPOVENDA").setValue(types.fieldByName("IDTIPOVENDA").value());
    }
  }
}

}  // namespace screen
