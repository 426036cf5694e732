#pragma once
// WaitingTransport: a transport whose connects and calls run on a helper
// thread while the user-interface thread waits for them, so that a call
// still running after a short delay can have its progress caption shown,
// and a quick one (an arrow key in a grid moving to the next sale) shows
// nothing at all.
//
// The user-interface thread stays blocked as before: it only waits on the
// helper instead of doing the call itself, and when the delay passes it
// runs `late` (which shows the caption) and waits on. Nothing else runs on
// it meanwhile, and the inner transport is still used by one thread at a
// time.
//
// Thread-safety: one call at a time, made from the user-interface thread.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/remote.h"

namespace gui {

// How long a call runs before its progress caption shows.
inline constexpr std::chrono::milliseconds kCaptionDelay{300};

class WaitingTransport : public platform::ForwardingTransport {
 public:
  WaitingTransport(std::unique_ptr<platform::RemoteTransport> inner, std::function<void()> late,
                   std::chrono::milliseconds delay = kCaptionDelay)
      : ForwardingTransport(std::move(inner)), late_(std::move(late)), delay_(delay) {}

  std::string connect(const platform::RemoteEndpoint& endpoint) override;
  platform::LogonResult logon(const std::string& operatorCode, const std::string& password,
                              const std::string& branch) override;
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<platform::Value>& args) override;

 private:
  // Runs `work` on a helper thread and waits for it, calling `late_` once
  // when it outlasts the delay; what `work` throws is thrown here.
  template <class Work>
  auto wait(Work work);

  std::function<void()> late_;
  std::chrono::milliseconds delay_;
};

}  // namespace gui
