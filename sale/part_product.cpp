// The item's product, prices and figures: the code typed as tree, bar or
// external code, the prices asked of the server, the product pick list, and
// the checks of quantity, discount, surcharge and prices.

#include <string>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "sale/itemsupport.h"
#include "sale/productlib.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;
using sale::items::empty;
using sale::items::number;
using sale::items::text;

namespace {

// A failing check puts the user on the items page, on the offending field.
void focusItemField(TfrmManutVenda& f, std::string_view field, bool onlyWhenEnabled) {
  if (onlyWhenEnabled && !f.tshFormulario.enabled()) return;
  f.pgcPadrao.setActivePage(f.tshFormulario);
  f.cdsItens.fieldByName(field).focusControl();
}

// The line total shown while the item is typed. It is the same figure the
// record set's calculated field shows after the post (client price
// included, cut to cents), so the total does not change under the user's
// eyes when the item is saved.
void showLineTotal(TfrmManutVenda& f) {
  ClientDataSet& it = f.cdsItens;
  if (!it.editing()) return;
  it.fieldByName("VRTOTAL").setAsString(ItemTotalText(number(it, "QTPRODVEND"), number(it, "VRUNITVEND"),
                                                      number(it, "VRUNITVENDCL"), number(it, "VRDESITVEND"),
                                                      number(it, "VRACRITVEND")));
}

void copyProduct(ClientDataSet& from, ClientDataSet& item) {
  for (const char* name : {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "SGUNIDADE"})
    item.fieldByName(name).setValue(from.fieldByName(name).value());
}

}  // namespace

void SalePart::Vd_CdProduto(bool required) {
  ClientDataSet& it = f.cdsItens;
  Field& code = it.fieldByName("CDARVPROD");
  try {
    code.focusControl();
    if (empty(it, "CDARVPROD")) {
      if (required) MensErro(f.Msg("PRODUTO_DEVE_SER"));
      return;
    }
    // The code as it stands in the grid's cell: the typed text was written
    // to the field before any check runs.
    const std::string typed = AllTrim(code.asString());
    const std::string branch = f.medFilial.text();
    TADOIBQuery& q = f.qryProdValid;
    q.close();
    q.setParam("P_CDPRODUTO", typed);
    q.setParam("P_TCDPRODUTO", std::string());
    q.setParam("P_NIVEL", std::to_string(GetTtNiveis()));
    q.open();
    if (q.isEmpty()) {
      sale::Validacao_Produto(branch, typed, "N");
      // The library found a product the tree-level query did not: nothing
      // can be copied, so the code is refused rather than cleared.
      MensErro(formatMsg("Produto %s não cadastrado.", {typed}));
    }
    sale::Validacao_Produto(branch, q.fieldByName("CDARVPROD").asText(), "N");
    // A bar code or external code is replaced by the product's tree code.
    copyProduct(q, it);
  } catch (...) {
    focusItemField(f, "CDARVPROD", false);
    throw;
  }
}

void SalePart::Vd_Quantidade(bool required) {
  ClientDataSet& it = f.cdsItens;
  try {
    if (empty(it, "QTPRODVEND")) {
      if (required) MensErro(f.Msg("QT_DEVE_SER"));
      return;
    }
    if (number(it, "QTPRODVEND") <= 0) MensErro(f.Msg("QTMAIOR"));
    showLineTotal(f);
  } catch (...) {
    focusItemField(f, "QTPRODVEND", true);
    throw;
  }
}

void SalePart::Vd_VrDesc() {
  ClientDataSet& it = f.cdsItens;
  try {
    if (empty(it, "VRDESITVEND")) {
      it.fieldByName("VRDESITVEND").setAsFloat(0);
      return;
    }
    const double d = number(it, "VRDESITVEND");
    const double gross = number(it, "QTPRODVEND") * number(it, "VRUNITVEND");
    if (d < 0) MensErro(f.Msg("DESC_MAIOR"));
    // A discount above the product's value is refused even when a surcharge
    // would cover it: the server refuses such an item when the sale is
    // saved, and the item would be left on screen unsaved.
    if (d > gross) MensErro(f.Msg("DESC_GRANDE"));
    showLineTotal(f);
  } catch (...) {
    focusItemField(f, "VRDESITVEND", true);
    throw;
  }
}

void SalePart::Vd_VrAcre() {
  ClientDataSet& it = f.cdsItens;
  try {
    if (empty(it, "VRACRITVEND")) {
      it.fieldByName("VRACRITVEND").setAsFloat(0);
      return;
    }
    if (number(it, "VRACRITVEND") < 0) MensErro(f.Msg("ACRE_MAIOR"));
    showLineTotal(f);
  } catch (...) {
    focusItemField(f, "VRACRITVEND", true);
    throw;
  }
}

void SalePart::Vd_PrecoVazio() {
  ClientDataSet& it = f.cdsItens;
  Field& unit = it.fieldByName("VRUNITVEND");
  Field& client = it.fieldByName("VRUNITVENDCL");
  if (empty(it, "VRUNITVEND")) {
    unit.focusControl();
    MensErro(f.Msg("PRECO_NULL"));
  }
  if (empty(it, "VRUNITVENDCL")) client.setAsFloat(0);
  if (unit.asFloat() < 0) {
    unit.focusControl();
    MensErro(f.Msg("PRECO_ZERO"));
  }
  if (client.asFloat() < 0) {
    client.focusControl();
    MensErro(f.Msg("PRECOCL_ZERO"));
  }
  if (!(client.asFloat() + unit.asFloat() > 0)) {
    unit.focusControl();
    MensErro(f.Msg("VRMENOR_ZERO"));
  }
}

void SalePart::retornaPrecoItem(const std::string& cdProduto) {
  ClientDataSet& sale = f.cdsPedidoVenda;
  Value answer;
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_Preco"));
    answer = sale::items::call(f, "RetornaPrecoLib",
                               {Value(f.medFilial.text()), Value(text(sale, "CDCLIENTE")), Value(cdProduto),
                                Value(text(sale, "CDCONSUMIDOR")), Value(text(sale, "CDLOJA")), Value("VND_")});
  }
  ClientDataSet& it = f.cdsItens;
  const double unit = FloatMask(sale::items::element(answer, 0).asText());
  const double client = FloatMask(sale::items::element(answer, 1).asText());
  it.fieldByName("VRUNITVEND").setAsFloat(unit);
  it.fieldByName("VRUNITVENDCL").setAsFloat(client);
}

void SalePart::pesquisaProduto() {
  Value answer;
  {
    ProgressScope receiving(kProgressReceiving);
    answer = sale::items::call(f, "getPesquisaProd", {Value(f.medFilial.text()), Value(std::to_string(GetTtNiveis()))});
  }
  sale::items::load(f.cdsProduto, sale::items::element(answer, 0));
  const std::string title = f.Msg("PRODUTO") + "|" + sale::items::element(answer, 1).asText();
  if (!Pesquisar(f.dtsProduto, title, false, true)) return;
  ClientDataSet& it = f.cdsItens;
  if (!it.editing()) it.edit();
  copyProduct(f.cdsProduto, it);
  retornaPrecoItem(text(f.cdsProduto, "CDPRODUTO"));
}

}  // namespace screen
