// The tax rows of the sale's items: created by the screen when an item is
// first posted, recomputed whenever the item's figures change, their rate
// the only thing a user may correct, and deleted at once on the server.

#include <optional>
#include <string>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/controls.h"
#include "platform/format.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_support.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;
using screen::items::number;
using screen::items::text;

namespace {

// The rate may be corrected only in a pending sale typed on this screen.
void lockRate(TfrmManutVenda& f, DBGrid& grid) {
  Field* field = grid.selectedField();
  if (!field || field->name() != "VRPEALPRODIT") return;
  field->setReadOnly(!f.state.typedPendingSale());
}

}  // namespace

void ItemsPart::wireItemTaxes() {
  ClientDataSet& taxes = f.cdsImpostoItem;

  taxes.BeforeInsert = handler(this, &ItemsPart::cdsImpostoItemBeforeInsert);
  taxes.BeforePost = handler(this, &ItemsPart::cdsImpostoItemBeforePost);
  taxes.AfterDelete = handler(this, &ItemsPart::cdsImpostoItemAfterDelete);

  DBGrid& grid = f.dbgImpostoItem;
  grid.OnEnter = handler(this, &ItemsPart::dbgImpostoItemEnter);
  grid.OnKeyDown = handler(this, &ItemsPart::dbgImpostoItemKeyDown);
  grid.OnKeyPress = handler(this, &ItemsPart::dbgImpostoItemKeyPress);
}

void ItemsPart::cdsImpostoItemBeforeInsert(ClientDataSet&) {
  if (blockTaxInsert_) Abort();
}

// The value always follows the item's current prices and quantity and the
// row's rate; it is stored unrounded.
void ItemsPart::cdsImpostoItemBeforePost(ClientDataSet& ds) {
  const ClientDataSet& it = f.cdsItens;
  const long double base =
      static_cast<long double>(number(it, "VRUNITVEND")) + static_cast<long double>(number(it, "VRUNITVENDCL"));
  const long double value = base * static_cast<long double>(number(it, "QTPRODVEND")) *
                            static_cast<long double>(ds.fieldByName("VRPEALPRODIT").asFloat()) / 100.0L;
  ds.fieldByName("VRIMPOPRODIT").setAsFloat(static_cast<double>(value));
}

void ItemsPart::cdsImpostoItemAfterDelete(ClientDataSet& ds) { sendAtOnce(f, ds, "DelImpostoItem", "DelVenda"); }

void ItemsPart::dbgImpostoItemEnter(Control&) { f.dtsPadrao.setDataSet(&f.cdsImpostoItem); }

void ItemsPart::dbgImpostoItemKeyDown(Control& sender, int& key, ShiftState shift) {
  // The rows die with their item; the grid's own delete key removes none.
  if (key == vk::Delete && (shift & ssCtrl)) {
    key = 0;
    return;
  }
  lockRate(f, static_cast<DBGrid&>(sender));
}

void ItemsPart::dbgImpostoItemKeyPress(Control& sender, char32_t&) { lockRate(f, static_cast<DBGrid&>(sender)); }

void ItemsPart::InsereImpostoItens() {
  ClientDataSet& it = f.cdsItens;
  ClientDataSet& taxes = f.cdsImpostoItem;
  if (!taxes.active()) taxes.createDataSet();
  applyItemTaxFilter();

  if (!boState) {
    for (taxes.first(); !taxes.eof(); taxes.next()) {
      taxes.edit();
      taxes.post();
    }
    return;
  }

  ClientDataSet& sale = f.cdsPedidoVenda;
  const std::string branch = f.medFilial.text();
  const double total = parseNumber(text(it, "VRTOTAL")).value_or(0.0);
  const Value worked = screen::items::call(
      f, "GetcriaImpostos",
      {Value(branch), Value(sale.fieldByName("DTENTRVENDA").asDateTime()), Value(text(sale, "NRSEQVENDA")),
       Value(text(sale, "CDCLIENTE")), Value(text(it, "CDARVPROD")), Value(total)});
  loadPacket(f.cdsAliq, worked);
  const Value registered = screen::items::call(f, "getAliqImpFis", {Value(branch), Value(text(it, "CDPRODUTO"))});
  loadPacket(f.cdsAliqImpFis, registered);

  const bool fromServer = !f.cdsAliq.isEmpty();
  ClientDataSet& source = fromServer ? f.cdsAliq : f.cdsAliqImpFis;

  // Rows the item already shows (its quantity was retyped after a first
  // insertion) would otherwise stand next to the new ones: an item carries
  // exactly one row per tax. Each removal reaches the server at once.
  while (!taxes.isEmpty()) {
    taxes.first();
    taxes.remove();
  }
  quantityTyped = false;

  {
    blockTaxInsert_ = false;
    struct Reblock {
      bool& flag;
      ~Reblock() { flag = true; }
    } reblock{blockTaxInsert_};
    int n = 0;
    for (source.first(); !source.eof(); source.next()) {
      taxes.append();
      taxes.fieldByName("CDFILIAL").setAsString(branch);
      taxes.fieldByName("CDCAIXA").setAsString(text(sale, "CDCAIXA"));
      taxes.fieldByName("NRSEQVENDA").setAsString(text(sale, "NRSEQVENDA"));
      taxes.fieldByName("NRSEQUITVEND").setAsString(text(it, "NRSEQUITVEND"));
      taxes.fieldByName("NRSEQITIMPOS").setAsString(Ajusta(std::to_string(++n), 3));
      taxes.fieldByName("SGIMPOSTO").setAsString(text(source, "SGIMPOSTO"));
      taxes.fieldByName("CDIMPOSTO").setAsString(text(source, "CDIMPOSTO"));
      taxes.fieldByName("VRPEALPRODIT").setAsFloat(number(source, "VRPEALIMPFIS"));
      // The external code is stored as a number: a code that is not one
      // stops the insertion with the conversion error.
      taxes.fieldByName("CDIMPOSTOEX").setAsString(text(source, fromServer ? "CDIMPOSTOEX" : "CDINTIMPOSTO"));
      taxes.fieldByName("CDPRODUTO").setAsString(text(it, "CDPRODUTO"));
      taxes.post();
    }
  }

  if (!f.cdsAliq.isEmpty() || !f.cdsAliqImpFis.isEmpty()) return;
  // The product has no tax at all.
  loadPacket(f.adqBloqSemImp, screen::items::call(f, "getBloqSemImp", {}));
  if (text(f.adqBloqSemImp, "IDBLOQSEMIMP") != "S") {
    f.msgPadrao.ShowMsg("IMP_CAD2", MsgKind::Information, MsgButtons::Ok);
    return;
  }
  // Selling it is blocked: reloading drops the item posted here but not yet
  // sent, and the error keeps the sale from being saved.
  const std::string product = text(it, "CDARVPROD") + " - " + text(it, "NMPRODUTO");
  f.retrieval.sbtVerificarClick();
  MensErro(f.msgPadrao.MsgFmt("IMP_CAD", {product}));
}

void ItemsPart::recalculaImpostoItem() {
  ClientDataSet& it = f.cdsItens;
  ClientDataSet& taxes = f.cdsImpostoItem;
  const std::string product = text(it, "CDPRODUTO");
  loadPacket(f.cdsAliqImpFis, screen::items::call(f, "getAliqImpFis", {Value(f.medFilial.text()), Value(product)}));
  ClientDataSet& rates = f.cdsAliqImpFis;
  // Taxes no longer registered keep their rows; new ones are not added.
  for (rates.first(); !rates.eof(); rates.next()) {
    if (!taxes.locate("CDIMPOSTO;CDPRODUTO", {Value(text(rates, "CDIMPOSTO")), Value(product)},
                      LocateOptions{.caseInsensitive = true}))
      continue;
    taxes.edit();
    taxes.post();
    ++recomputedTaxPosts_;
  }
}

}  // namespace screen
