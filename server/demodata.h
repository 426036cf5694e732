#pragma once
// Demonstration data: a realistic, deterministic database for trying the
// screen and testing the server's checks on real numbers. The same seed
// always yields the same content (a fixed pseudo-random generator, fixed
// dates, password salts drawn from the same generator).
//
// Content: two branches with their registers, shops and fiscal printers;
// operators, sellers, services, clients linked to branches with consumers
// and balances; a three-level product tree of more than 300 products with
// bar codes, external codes, prices, fiscal rates and taxes; receipt types
// (cash, cards, consumer account, foreign currency with quotations); branch
// sale and processing-date parameters, personalisation and permissions; and
// five days of register openings (closed, and open on the last day) with
// sales of every status, their items, item taxes, receipts, cancelled items
// and the Z reductions of the closed days, whose totals agree with the sales;
// and, the day before the first, two open register days of branch 0001 without
// sales: register 003 with a Z reduction not yet approved, register 004
// without one.
//
// Thread-safety: as the session.

#include <soci/soci.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/value.h"

namespace server {

inline constexpr std::uint64_t kDemoSeed = 20260302;

struct DemoOperator {
  std::string code;
  std::string name;
  std::string password;
  bool active = true;
};

// The demo operators with their clear-text passwords (stored hashed).
const std::vector<DemoOperator>& demoOperators();

// The first movement date of the demo (02/03/2026); the demo covers it and
// the four days after it; the last one is the processing date, with its
// register openings still open.
platform::DateTime demoFirstDay();
inline constexpr int kDemoDays = 5;

// Migrates the database to the latest schema and fills it. The database must
// not hold demo data yet (a second load fails on the first duplicate key and
// leaves the database as it was).
void createDemoDatabase(const std::string& connString, std::uint64_t seed = kDemoSeed);
void loadDemoData(soci::session& session, std::uint64_t seed = kDemoSeed);

// Adds one register opening on the date (06:00) with `sales` concluded and
// pending sales, their items, item taxes and receipts, for benchmarks. Needs
// the demo's reference data; the register must have no opening at that
// moment yet. Answers the opening's date-time.
platform::DateTime generateBusyDay(soci::session& session, const std::string& branch, const std::string& reg,
                                   platform::DateTime date, int sales, std::uint64_t seed = kDemoSeed);

}  // namespace server
