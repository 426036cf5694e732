#include "screen/sendnow.h"

#include <optional>
#include <utility>

#include "platform/consiste.h"
#include "platform/dataset.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

void sendAtOnce(TfrmManutVenda& f, ClientDataSet& set, const char* operation, std::string_view captionKey,
                SendOptions options) {
  if (set.changeCount() < 1) return;
  try {
    std::optional<ProgressScope> sending;
    if (!captionKey.empty()) sending.emplace(kProgressSending, f.Msg(captionKey));
    std::vector<Value> args = std::move(options.keys);
    args.push_back(Value(set.delta()));
    args.insert(args.end(), options.trailing.begin(), options.trailing.end());
    const Value answer = CheckResultServ(f.netManutVenda.call(operation, args));
    if (options.accepted) options.accepted(answer);
    set.mergeChangeLog();
  } catch (...) {
    if (!options.keepOnRefusal) set.cancelUpdates();
    throw;
  }
}

}  // namespace screen
