#pragma once
// Registers every operation of the server object Vnd02600.rdmManutVenda.

#include "server/operation.h"

namespace server {

void registerAllOperations(OperationRegistry& registry);

}  // namespace server
