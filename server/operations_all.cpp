#include "server/operations_all.h"

#include "server/daycheck.h"
#include "server/ops_frame.h"
#include "server/ops_sales.h"
#include "server/ops_zreduction.h"

namespace server {

void registerAllOperations(OperationRegistry& registry) {
  registerFrameOperations(registry);
  registerSaleOperations(registry);
  registerZOperations(registry);
  registerDayCheckOperations(registry);
  registerAuditOperations(registry);
}

}  // namespace server
