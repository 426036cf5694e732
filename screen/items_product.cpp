// The item's product, prices and figures: the code typed as tree, bar or
// external code, the prices asked of the server, the product pick list, and
// the checks of quantity, discount, surcharge and prices.

#include <string>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_productrules.h"
#include "screen/items_support.h"

namespace screen {

using namespace platform;
using screen::items::empty;
using screen::items::number;
using screen::items::text;

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

}  // namespace

void ItemsPart::Vd_CdProduto(bool required) {
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
    screen::items::takeProduct(f, it, AllTrim(code.asString()));
  } catch (...) {
    focusItemField(f, "CDARVPROD", false);
    throw;
  }
}

void ItemsPart::Vd_Quantidade(bool required) {
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

void ItemsPart::Vd_VrDesc() {
  ClientDataSet& it = f.cdsItens;
  try {
    if (empty(it, "VRDESITVEND")) {
      it.fieldByName("VRDESITVEND").setAsFloat(0);
      return;
    }
    const double d = number(it, "VRDESITVEND");
    const double gross = number(it, "QTPRODVEND") * number(it, "VRUNITVEND");
    if (d < 0) MensErro(f.Msg("DESC_MAIOR"));
    // A discount above the product's value passes while the surcharge keeps
    // the line total positive.
    if (d > gross && d >= gross + number(it, "VRACRITVEND")) MensErro(f.Msg("DESC_GRANDE"));
    showLineTotal(f);
  } catch (...) {
    focusItemField(f, "VRDESITVEND", true);
    throw;
  }
}

void ItemsPart::Vd_VrAcre() {
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

void ItemsPart::Vd_PrecoVazio() { screen::items::checkPrices(f, f.cdsItens, "VRUNITVEND", "VRUNITVENDCL"); }

void ItemsPart::retornaPrecoItem(const std::string& cdProduto) {
  screen::items::takePrices(f, f.cdsItens, cdProduto, "VRUNITVEND", "VRUNITVENDCL");
}

void ItemsPart::pesquisaProduto() {
  if (!screen::items::pickProduct(f)) return;
  ClientDataSet& it = f.cdsItens;
  if (!it.editing()) it.edit();
  screen::items::copyProduct(f.cdsProduto, it);
  retornaPrecoItem(text(f.cdsProduto, "CDPRODUTO"));
}

}  // namespace screen
