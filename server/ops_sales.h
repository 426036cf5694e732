#pragma once
// The remote operations of a sale's details: items and their prices and
// taxes, receipts and consumer-account debits, cancelled items, and the
// concluding and cancelling of a sale. The rules they apply are described in
// docs/server.md.

#include "server/operation.h"

namespace server {

// Registers every operation of this area. Throws std::logic_error when one of
// them is already registered.
void registerSaleOperations(OperationRegistry& registry);

}  // namespace server
