#pragma once
// The remote operations of the screen frame, the register openings and the
// sale header: the filter panel's load, retrieval of openings, sales, items,
// receipts and totals, the change guards' parameters, opening and closing a
// register, saving and deleting sales and numbering them. The business rules
// they apply are described in docs/server.md.
//
// Thread-safety: registration happens once at start-up; the handlers keep no
// state between calls.

#include "server/operation.h"

namespace server {

void registerFrameOperations(OperationRegistry& registry);

}  // namespace server
