#include "screen/items_productrules.h"

#include <vector>

#include "platform/consiste.h"
#include "platform/localquery.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/messages.h"
#include "platform/uiservice.h"
#include "sale/productlib.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_support.h"

namespace screen::items {

using namespace platform;

void copyProduct(const ClientDataSet& from, ClientDataSet& to) {
  for (const char* name : {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "SGUNIDADE"})
    to.fieldByName(name).setValue(from.fieldByName(name).value());
}

void takeProduct(screen::TfrmManutVenda& f, ClientDataSet& row, const std::string& typed) {
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
  copyProduct(q, row);
}

void takePrices(screen::TfrmManutVenda& f, ClientDataSet& row, const std::string& cdProduto, const char* unitField,
                const char* clientField) {
  const ClientDataSet& sale = f.cdsPedidoVenda;
  Value answer;
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_Preco"));
    answer = call(f, "RetornaPrecoLib",
                  {Value(f.medFilial.text()), Value(text(sale, "CDCLIENTE")), Value(cdProduto),
                   Value(text(sale, "CDCONSUMIDOR")), Value(text(sale, "CDLOJA")), Value("VND_")});
  }
  const double unit = FloatMask(screen::element(f, answer, 0).asText());
  const double client = FloatMask(screen::element(f, answer, 1).asText());
  row.fieldByName(unitField).setAsFloat(unit);
  row.fieldByName(clientField).setAsFloat(client);
}

bool pickProduct(screen::TfrmManutVenda& f) {
  Value answer;
  {
    ProgressScope receiving(kProgressReceiving);
    answer = call(f, "getPesquisaProd", {Value(f.medFilial.text()), Value(std::to_string(GetTtNiveis()))});
  }
  screen::loadPacket(f.cdsProduto, screen::element(f, answer, 0));
  const std::string title = f.Msg("PRODUTO") + "|" + screen::element(f, answer, 1).asText();
  return Pesquisar(f.dtsProduto, title, false, true);
}

void checkPrices(screen::TfrmManutVenda& f, ClientDataSet& row, const char* unitField, const char* clientField) {
  Field& unit = row.fieldByName(unitField);
  Field& client = row.fieldByName(clientField);
  if (empty(row, unitField)) {
    unit.focusControl();
    MensErro(f.Msg("PRECO_NULL"));
  }
  if (empty(row, clientField)) client.setAsFloat(0);
  if (unit.asFloat() < 0) {
    unit.focusControl();
    MensErro(f.Msg("PRECO_ZERO"));
  }
  if (client.asFloat() < 0) {
    client.focusControl();
    MensErro(f.Msg("PRECOCL_ZERO"));
  }
  if (!(unit.asFloat() + client.asFloat() > 0)) {
    unit.focusControl();
    MensErro(f.Msg("VRMENOR_ZERO"));
  }
}

}  // namespace screen::items
