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
                std::vector<Value> keys, const std::function<void(const Value& answer)>& accepted) {
  if (set.changeCount() < 1) return;
  try {
    std::optional<ProgressScope> sending;
    if (!captionKey.empty()) sending.emplace(kProgressSending, f.Msg(captionKey));
    keys.push_back(Value(set.delta()));
    const Value answer = CheckResultServ(f.netManutVenda.call(operation, keys));
    if (accepted) accepted(answer);
    set.mergeChangeLog();
  } catch (...) {
    set.cancelUpdates();
    throw;
  }
}

}  // namespace screen
