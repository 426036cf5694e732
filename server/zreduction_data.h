#pragma once
// What the Z reduction operations read: the four sub-tables of a Z
// reduction as the screen's record sets declare them, and the figures of a
// register's day that the Z reduction is checked against.
//
// A Z reduction is named by branch, register, printer number (NRECFREDZ) and
// day; every date here stands for its whole day, whatever time it carries,
// so a reduction stored with a time of day is still found by its date.
//
// The day's sales are the sales of the branch and register whose movement
// date (DTENTRVENDA) is the day; a sale's total is the sum of its item totals,
// each cut to cents as the screen shows it. This is the definition the
// register closing compares the Z reduction's net sale with.
//
// All functions run on the caller's session, inside its transaction (so
// thread-safety is the session's); amounts are whole cents.

#include <optional>
#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/sqlaccess.h"
#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

// The record sets' field lists: taxes by rate (cdsImposto, also the answer
// of the tax duplicate check), non-fiscal totalizers (cdsTotaliz), payment
// forms with the payment type names (cdsFormaPag) and observations
// (cdsObservacao).
const std::vector<platform::FieldDef>& impostoRedZFields();
const std::vector<platform::FieldDef>& totalizRedZFields();
const std::vector<platform::FieldDef>& formaPagRedZFields();
const std::vector<platform::FieldDef>& observacaoRedZFields();

struct ZDay {
  std::string filial, caixa;
  platform::DateTime day;  // any moment of the day
};

// The sub-table rows of the Z reduction of one printer and day.
platform::DataPacket selectImpostoRedZ(soci::session& db, const ZDay& z, const std::string& ecf);
platform::DataPacket selectTotalizRedZ(soci::session& db, const ZDay& z, const std::string& ecf);
platform::DataPacket selectFormaPagRedZ(soci::session& db, const ZDay& z, const std::string& ecf);
platform::DataPacket selectObservacaoRedZ(soci::session& db, const ZDay& z, const std::string& ecf);
// The tax rows of that Z reduction for one tax (by its abbreviation) and
// rate; rates match to the cent, as they are stored.
platform::DataPacket selectImpostoTaxa(soci::session& db, const ZDay& z, const std::string& ecf,
                                       const std::string& sigla, double aliquota);

// Total of the day's concluded ("O") and returned ("D") sales.
long long daySalesCents(soci::session& db, const ZDay& z);
// Receipts of the day's pending, concluded and returned sales paid with one
// receipt type (cancelled sales count for nothing).
long long dayReceiptsCents(soci::session& db, const ZDay& z, const std::string& tipoRece);
// Payment forms of the day's Z reductions (every printer of the register)
// whose origin receipt type is `origem`, leaving out the forms of payment
// type `exceptTipo` (empty: none left out).
long long dayFormsCents(soci::session& db, const ZDay& z, const std::string& origem,
                        const std::string& exceptTipo = {});

// Whether the register's day is closed: it has register openings and every
// one of them has its closing date.
bool registerDayClosed(soci::session& db, const ZDay& z);

// The final grand total of the printer's latest Z reduction before the day
// (of the register's latest one when `ecf` is empty); none when there is no
// earlier reduction.
std::optional<double> previousGrandTotal(soci::session& db, const ZDay& z, const std::string& ecf);

// Parameters :D0 and :D1 bounding the day, for "X >= :D0 AND X < :D1".
platform::SqlParams dayBounds(platform::DateTime day);

long long cents(const platform::Value& amount);
// An amount in cents as the screen shows money: "1.234,56".
std::string moneyText(long long cents);

}  // namespace server
