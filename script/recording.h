#pragma once
// RecordingTransport: wraps the transport of a screen's connection and
// records every remote call as "Operation(arg0, arg1, ...)" (a data packet
// argument as "<packet>", a null as "Null") before passing it on, into a
// list and, when set, to a callback as it happens.
//
// Header-only so that test programs can use it without linking the runner.
// Thread-safety: as the wrapped transport; the list is not locked.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/remote.h"

namespace script {

// The recorded form of one call.
inline std::string callLine(const std::string& operation, const std::vector<platform::Value>& args) {
  std::string line = operation + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += ", ";
    line += args[i].isPacket() ? std::string("<packet>") : args[i].isNull() ? std::string("Null") : args[i].asText();
  }
  return line + ")";
}

class RecordingTransport : public platform::ForwardingTransport {
 public:
  RecordingTransport(std::unique_ptr<platform::RemoteTransport> inner, std::vector<std::string>& calls,
                     std::function<void(const std::string&)> onCall = {})
      : ForwardingTransport(std::move(inner)), calls_(calls), onCall_(std::move(onCall)) {}
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<platform::Value>& args) override {
    const std::string line = callLine(operation, args);
    calls_.push_back(line);
    if (onCall_) onCall_(line);
    return inner().call(token, operation, args);
  }

 private:
  std::vector<std::string>& calls_;
  std::function<void(const std::string&)> onCall_;
};

}  // namespace script
