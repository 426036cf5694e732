#include "server/operations_all.h"

#include "server/ops_zreduction.h"

namespace server {

void registerAllOperations(OperationRegistry& registry) {
  registerZOperations(registry);
}

}  // namespace server
