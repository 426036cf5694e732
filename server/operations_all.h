#pragma once
// Registers every operation of the server object Vnd02600.rdmManutVenda.

#include "server/operation.h"

namespace server {

void registerAllOperations(OperationRegistry& registry);
// A sale's history from the audit trail (GetHistoricoVenda).
void registerAuditOperations(OperationRegistry& registry);

}  // namespace server
