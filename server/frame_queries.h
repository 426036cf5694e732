#pragma once
// Field lists of the record sets the screen frame, the register openings and
// the sale header load from the server, and the SELECTs only their
// operations answer with. Each list is what the receiving client record set
// declares (names, types, sizes, order), so a packet built with it loads as
// it stands. Fields the client computes itself (the item totals' VRTOTAL)
// never travel in packets and are not listed.
//
// All functions run on the caller's session; the lists are built once and
// are safe to read from any thread.

#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

using platform::FieldDef;

const std::vector<FieldDef>& aberCaixaFields();        // cdsAberCaixa
const std::vector<FieldDef>& sumVendaFields();         // cdsSumVenda
const std::vector<FieldDef>& itensFields();            // cdsItens
const std::vector<FieldDef>& impostoItemFields();      // cdsImpostoItem
const std::vector<FieldDef>& itensCanceladosFields();  // cdsItensCancelados
const std::vector<FieldDef>& tipoReceFields();         // cdsTipoRece
const std::vector<FieldDef>& parametroFields();        // cdsParametro
const std::vector<FieldDef>& clientePVFields();        // cdsClientePV
const std::vector<FieldDef>& perManutFields();         // cdsPerManut
const std::vector<FieldDef>& vdDataAberFields();       // cdsVdDataAbe
const std::vector<FieldDef>& operadorFields();         // cdsOperador
const std::vector<FieldDef>& registroFields();         // cdsAbertura, cdsCaixaAberto
const std::vector<FieldDef>& consumidorFields();       // cdsConsumidor

// Cancelled items of every sale of a register whose movement date is the
// day of `day` (sale by sale, item by item).
platform::DataPacket selectItensCanceladosDoDia(soci::session& db, const std::string& filial, const std::string& caixa,
                                                platform::DateTime day);
// Items and item taxes of one sale (cdsItens, cdsImpostoItem).
platform::DataPacket selectItens(soci::session& db, const std::string& filial, const std::string& caixa,
                                 const std::string& nrSeqVenda);
platform::DataPacket selectImpostoItem(soci::session& db, const std::string& filial, const std::string& caixa,
                                       const std::string& nrSeqVenda);
// Receipts of one sale (cdsTipoRece): its register movements, in number order.
platform::DataPacket selectTipoRece(soci::session& db, const std::string& filial, const std::string& caixa,
                                    const std::string& nrSeqVenda);

// A sale's total: the sum of its item totals, each cut to cents as the items
// grid shows it (platform::ItemTotal). 0 for a sale without items.
double saleTotal(soci::session& db, const std::string& filial, const std::string& caixa, const std::string& nrSeqVenda);
// The one-row cdsSumVenda packet holding a total.
platform::DataPacket sumVendaPacket(double total);

}  // namespace server
