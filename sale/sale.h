#pragma once
// The sale's record sets, grids and local queries as the server delivers
// and the screen shows them: the sale header (cdsPedidoVenda, dbgPadrao),
// its items (cdsItens, dbgItens), item taxes (cdsImpostoItem,
// dbgImpostoItem), receipts (cdsTipoRece, dbgTipoRece) and cancelled items
// (cdsItensCancelados, dbgItensCancelados), with the answer sets their
// checks read. Each declare function adds the fields, in server order, to
// an inactive record set, or replaces a grid's columns and options.
//
// Masks that depend on the logon context (the product-code picture) are set
// by the screen when it is created, not here.
//
// Thread-safety: as the record set or grid declared (user-interface thread).

#include "platform/dataset.h"
#include "platform/dbcontrols.h"
#include "platform/localquery.h"

namespace sale {

// Sale header.
void declarePedidoVenda(platform::ClientDataSet& cdsPedidoVenda);
void declarePedidoVendaColumns(platform::DBGrid& dbgPadrao);
void declareConsumidor(platform::ClientDataSet& cdsConsumidor);
void declareTipoVenda(platform::ClientDataSet& cdsTipoVenda);
void declareVdCliente(platform::TADOIBQuery& qryVdCliente);
void declareCliente(platform::TADOIBQuery& qryCliente);
void declareVendedor(platform::TADOIBQuery& qryVendedor);
void declarePesqServico(platform::TADOIBQuery& qryPesqServico);
void declareLojaVnd(platform::TADOIBQuery& qryLojaVnd);

// Items.
void declareItens(platform::ClientDataSet& cdsItens);
void declareItensColumns(platform::DBGrid& dbgItens);
void declareProduto(platform::ClientDataSet& cdsProduto);
void declareProdValid(platform::TADOIBQuery& qryProdValid);

// Item taxes.
void declareImpostoItem(platform::ClientDataSet& cdsImpostoItem);
void declareImpostoItemColumns(platform::DBGrid& dbgImpostoItem);
void declareAliq(platform::ClientDataSet& cdsAliq);
void declareAliqImpFis(platform::ClientDataSet& cdsAliqImpFis);
void declareBloqSemImp(platform::ClientDataSet& adqBloqSemImp);

// Receipts.
void declareTipoRece(platform::ClientDataSet& cdsTipoRece);
void declareTipoReceColumns(platform::DBGrid& dbgTipoRece);
void declareIndice(platform::ClientDataSet& cdsIndice);
void declareSaldoCons(platform::ClientDataSet& cdsSaldoCons);
void declareVerifValorPag(platform::ClientDataSet& cdsVerifValorPag);
void declarePesqTipoRece(platform::TADOIBQuery& qryPesqTipoRece);

// Cancelled items.
void declareItensCancelados(platform::ClientDataSet& cdsItensCancelados);
void declareItensCanceladosColumns(platform::DBGrid& dbgItensCancelados);
void declareCodItensCanc(platform::ClientDataSet& cdsCodItensCanc);

// A sale's history (its audit trail), shown as a read-only list.
void declareHistorico(platform::ClientDataSet& cdsHistorico);

// The options shared by the editable detail grids: editing, titles, column
// resize, lines, Tab between cells, delete asks for confirmation.
platform::GridOptions detailGridOptions();

}  // namespace sale
