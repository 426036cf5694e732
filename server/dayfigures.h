#pragma once
// What a register's day adds up to, from its stored sales and from its Z
// reductions, in the terms the register closing compares them.
//
// The day's sales are the sales of the branch and register whose movement
// date (DTENTRVENDA) is the day. A sale's total is the sum of its item totals
// (platform::ItemTotal, cut to cents as the screen shows them):
// - net sale: totals of concluded ("O") and returned ("D") sales;
// - cancellations: totals of cancelled ("C") sales;
// - an item of a concluded or returned sale counts, by its line total, in
//   the column of its fiscal class: the class (IDTIPOIMPOS of IMPOSTO) of its
//   first item tax (lowest NRSEQITIMPOS) that is ICMS "T", tax substitution
//   "F", exempt "I" or non-incidence "N"; an item without such a tax counts
//   in none of them.
// The Z side adds up every Z reduction of the register and day (all
// printers): net sale, cancellations, tax substitution, exempt and
// non-incidence totals from REDUCAOZ, and ICMS as the taxable bases of the
// ICMS-class rows ("T") of IMPOSTOREDZ.
//
// All amounts are whole cents.

#include <set>
#include <string>

#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

struct TaxColumns {
  long long icms = 0, substitution = 0, exempt = 0, nonIncidence = 0;
  long long sum() const { return icms + substitution + exempt + nonIncidence; }
};

struct DaySales {
  int pending = 0;  // sales still "P"
  long long net = 0, cancelled = 0;
  TaxColumns taxes;
  std::set<std::string> series;  // non-blank NRSERIEIMPVND of the day's sales
};

struct DayReductions {
  int count = 0;
  long long net = 0, cancelled = 0;
  TaxColumns taxes;
  std::set<std::string> series;  // non-blank NRSERIEREDZ
};

DaySales daySales(soci::session& db, const std::string& filial, const std::string& caixa, platform::DateTime day);
DayReductions dayReductions(soci::session& db, const std::string& filial, const std::string& caixa,
                            platform::DateTime day);

// The register closing's verdict for these figures, checked in this order:
// "VENDASPENDENTES", "VENDALIQERRADA", "VENDACANCERRADA", "ICMSERRADA",
// "NINCIDERRADA", "ISENTOERRADA", "SUBTRERRADA", "IMPOSTODIF" (the Z's own
// columns do not add up to its net sale), "IMPOSTOVENDIF" (the sales'
// columns do not add up to the Z's net sale), "VENDASERIEERRADA" followed
// by the first (in text order) sale series no Z reduction carries, and "OK".
std::string closingVerdict(const DaySales& sales, const DayReductions& z);

}  // namespace server
