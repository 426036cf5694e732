#include "server/operations_all.h"

namespace server {

// Each group of operations adds itself here as it is written.
void registerAllOperations(OperationRegistry& /*registry*/) {}

}  // namespace server
