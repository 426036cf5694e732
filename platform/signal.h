#pragma once
// Signal: the tiny observer the control model uses to tell views that
// something changed. A slot is any callable; connect() returns an id that
// disconnect() takes. Slots run in the order they were connected. A slot may
// connect or disconnect slots (itself included) while the signal is being
// emitted: a slot disconnected meanwhile is not called any more, a slot
// connected meanwhile is called from the next emission on.
//
// Thread-safety: none; the user-interface thread only.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

template <class... Args>
class Signal {
 public:
  using Slot = std::function<void(Args...)>;
  using Id = std::uint64_t;

  Signal() = default;
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  Id connect(Slot slot) {
    const Id id = ++lastId_;
    slots_.push_back({id, std::move(slot)});
    return id;
  }

  // Unknown ids (already disconnected) are ignored.
  void disconnect(Id id) {
    std::erase_if(slots_, [id](const Entry& e) { return e.id == id; });
  }

  void emit(Args... args) const {
    if (slots_.empty()) return;
    const std::vector<Entry> running = slots_;
    for (const Entry& e : running)
      if (connected(e.id)) e.slot(args...);
  }

  bool connected(Id id) const {
    return std::any_of(slots_.begin(), slots_.end(), [id](const Entry& e) { return e.id == id; });
  }
  std::size_t size() const { return slots_.size(); }

 private:
  struct Entry {
    Id id;
    Slot slot;
  };
  std::vector<Entry> slots_;
  Id lastId_ = 0;
};

}  // namespace platform
