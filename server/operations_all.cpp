#include "server/operations_all.h"

#include "server/ops_frame.h"
#include "server/ops_zreduction.h"

namespace server {

void registerAllOperations(OperationRegistry& registry) {
  registerFrameOperations(registry);
  registerZOperations(registry);
}

}  // namespace server
