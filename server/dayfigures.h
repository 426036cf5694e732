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

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/value.h"

namespace soci {
class session;
}

namespace server {

struct TaxColumns {
  long long icms = 0, substitution = 0, exempt = 0, nonIncidence = 0;
  long long sum() const { return icms + substitution + exempt + nonIncidence; }
};

// An ICMS rate: the tax's code and its rate in hundredths of a percent.
using TaxRate = std::pair<std::string, long long>;

// A sale of the day as the day check names it: its number and the opening
// it belongs to.
struct DaySale {
  std::string number;
  platform::DateTime opening;
  long long total = 0;
};

struct DaySales {
  int pending = 0;  // sales still "P"
  long long net = 0, cancelled = 0;
  TaxColumns taxes;
  std::set<std::string> series;  // non-blank NRSERIEIMPVND of the day's sales
  // The ICMS column split by the rate of each item's ICMS tax.
  std::map<TaxRate, long long> icmsByRate;
  std::vector<DaySale> pendingSales;    // in number order
  std::vector<DaySale> concludedSales;  // "O", in number order, with their totals
};

struct DayReductions {
  int count = 0;
  long long net = 0, cancelled = 0;
  TaxColumns taxes;
  std::set<std::string> series;  // non-blank NRSERIEREDZ
  std::map<TaxRate, long long> icmsByRate;  // IMPOSTOREDZ bases by code and rate
};

// With bySale false the per-sale lists (pendingSales, concludedSales) stay
// empty: the closing needs only the day's sums, and naming each of
// thousands of sales is most of the rest of the cost.
DaySales daySales(soci::session& db, const std::string& filial, const std::string& caixa, platform::DateTime day,
                  bool bySale = true);
DayReductions dayReductions(soci::session& db, const std::string& filial, const std::string& caixa,
                            platform::DateTime day);

// One comparison the closing makes, in its verdicts' order: the verdict it
// answers when the two figures differ, what the figure should be and what
// was found. For the sales' own figures the sales give the expected figure
// and the Z reductions the one found; the two tax sums are measured against
// the Z's net sale.
struct FigureCheck {
  const char* verdict;
  long long expected, found;
};
std::vector<FigureCheck> figureChecks(const DaySales& sales, const DayReductions& z);

// The register closing's verdict for these figures, checked in this order:
// "VENDASPENDENTES", "VENDALIQERRADA", "VENDACANCERRADA", "ICMSERRADA",
// "NINCIDERRADA", "ISENTOERRADA", "SUBTRERRADA", "IMPOSTODIF" (the Z's own
// columns do not add up to its net sale), "IMPOSTOVENDIF" (the sales'
// columns do not add up to the Z's net sale), "VENDASERIEERRADA" followed
// by the first (in text order) sale series no Z reduction carries, and "OK".
std::string closingVerdict(const DaySales& sales, const DayReductions& z);

}  // namespace server
