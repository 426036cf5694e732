#pragma once
// SELECTs that more than one operation answers with. Each yields a packet
// whose fields match, by name, type and size, what the receiving client
// record set declares, so the screen loads it as it stands.
//
// All functions run on the caller's session (and so inside the caller's
// transaction); codes are passed at their column widths.

#include <string>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

using platform::DataPacket;
using platform::DateTime;

// Register openings of a branch's register for a movement date (cdsAberCaixa).
DataPacket selectAberCaixa(soci::session& db, const std::string& filial, const std::string& caixa,
                           DateTime dtMovimento);
// Sales of one register opening (cdsPedidoVenda).
DataPacket selectPedidoVenda(soci::session& db, const std::string& filial, const std::string& caixa,
                             DateTime dtAbertura);
// The sale total as one row with the float field SOMA (cdsSumVenda).
DataPacket selectSumVenda(soci::session& db, const std::string& filial, const std::string& caixa,
                          const std::string& nrSeqVenda);
// Cancelled items of one sale (cdsItensCancelados).
DataPacket selectItensCancelados(soci::session& db, const std::string& filial, const std::string& caixa,
                                 const std::string& nrSeqVenda);
// Z reductions of a register and day (cdsReducaoZ), the fiscal printer
// registered for the register (cdsCadastroECF) and the reduction number to
// propose for a new record (cdsReducaoAnt).
DataPacket selectReducaoZ(soci::session& db, const std::string& filial, const std::string& caixa, DateTime dtMovimento);
DataPacket selectCadastroECF(soci::session& db, const std::string& filial, const std::string& caixa);
DataPacket selectReducaoAnt(soci::session& db, const std::string& filial, const std::string& caixa,
                            DateTime dtMovimento);

}  // namespace server
