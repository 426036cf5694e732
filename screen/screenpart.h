#pragma once
// ScreenPart: the base of the screen's concerns. Each concern is an object
// composed by TfrmManutVenda, constructed with the screen (its components
// already exist) and wired once by the screen's constructor: wire() hangs
// the concern's handlers on its components' events. One whose behaviour is
// not built yet wires nothing.
//
// A concern declares its handlers in its own header (screen/<concern>.h)
// and implements them in its own file group (screen/<concern>*.cpp), so
// two concerns are built without touching the same file.
//
// Thread-safety: none; the user-interface thread only.

#include <utility>

namespace screen {

class TfrmManutVenda;

class ScreenPart {
 public:
  explicit ScreenPart(TfrmManutVenda& screen) : f(screen) {}
  virtual ~ScreenPart() = default;
  ScreenPart(const ScreenPart&) = delete;
  ScreenPart& operator=(const ScreenPart&) = delete;
  virtual void wire() {}

 protected:
  // An event handler that passes the event's arguments to the member
  // function `handler` of `part`: each concern wires its components' events
  // to named members in one table, `grid.OnColExit = handler(this,
  // &ItemsPart::dbgItensColExit);`.
  template <class Part, class R, class... Args>
  static auto handler(Part* part, R (Part::*member)(Args...)) {
    return [part, member](Args... args) -> R { return (part->*member)(std::forward<Args>(args)...); };
  }
  // The same for a member that needs none of the event's arguments (also
  // called directly by other concerns).
  template <class Part, class R>
  static auto handler(Part* part, R (Part::*member)()) {
    return [part, member](auto&&...) -> R { return (part->*member)(); };
  }

  TfrmManutVenda& f;
};

}  // namespace screen
