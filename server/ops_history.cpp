// The history of a sale, read from the audit trail.
#include "platform/text.h"
#include "server/audit.h"
#include "server/operations_all.h"

namespace server {

void registerAuditOperations(OperationRegistry& registry) {
  // Branch, register, sale: the sale's audit rows, oldest first.
  registry.add("GetHistoricoVenda", "SSS", [](OperationContext& ctx, std::vector<platform::Value>& args) {
    return platform::Value(saleHistory(ctx.db, platform::trim(args[0].asText()), platform::trim(args[1].asText()),
                                       platform::trim(args[2].asText())));
  });
}

}  // namespace server
