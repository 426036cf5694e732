#pragma once
// The Z reduction's remote operations: reading the day's Z reductions and
// their sub-tables, the checks the screen asks before it posts (the day's
// sales total and grand total, the register's closed state, a tax and rate
// already recorded, payment forms against the day's receipts, the next
// observation number), and writing the record and its sub-tables. The rules
// are those of server/zreduction_save.h and docs/server.md.
//
// Thread-safety: registration happens once at start-up; the handlers keep
// no state of their own.

#include "server/operation.h"

namespace server {

void registerZOperations(OperationRegistry& registry);

}  // namespace server
