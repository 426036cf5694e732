#pragma once
// Sending one record set's change at once, for the record sets the save
// action does not send (openings, item deletions, item-tax deletions,
// cancelled items, sale deletions, and any new page that keeps the server
// in step change by change).
//
// Thread-safety: none; the user-interface thread only.

#include <functional>
#include <string_view>
#include <vector>

#include "platform/value.h"

namespace platform {
class ClientDataSet;
}

namespace screen {

class TfrmManutVenda;

// What travels with a change log sent at once, and what the server's
// answer is given to.
struct SendOptions {
  std::vector<platform::Value> keys{};      // arguments before the change log
  std::vector<platform::Value> trailing{};  // arguments after it
  std::function<void(const platform::Value& answer)> accepted{};
  // A refused change stays pending as typed, for the user to correct and
  // send again, instead of being undone.
  bool keepOnRefusal = false;
};

// Sends `set`'s change log to the server's `operation`, with the options'
// keys before it and trailing arguments after it, and returns normally when
// the server took it. With no pending change it sends nothing.
//
// - `captionKey`, when not empty, is the catalogue key of the sending
//   animation's caption; empty sends without an animation.
// - On success `accepted` (when given) receives the checked answer, and
//   only then is the change log merged: the change becomes the record set's
//   base, so neither a later cancel nor a later send repeats it.
// - On a refusal (the server's error, a failed call, or `accepted`
//   raising) the change is undone, every pending change of `set`, so the
//   rows show what the server holds (unless `keepOnRefusal`); the error is
//   shown and the action is aborted as every failed server call is (the
//   exception propagates).
void sendAtOnce(TfrmManutVenda& f, platform::ClientDataSet& set, const char* operation, std::string_view captionKey,
                SendOptions options = {});

}  // namespace screen
