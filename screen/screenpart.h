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
  TfrmManutVenda& f;
};

}  // namespace screen
