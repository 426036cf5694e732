#pragma once
// What a remote operation hands back to the screen: a value, or the
// server's error text. The screen never inspects it directly; it passes it
// through CheckResultServ, which yields the value or shows the error and
// aborts the action. The few plain answers taken unchecked read `value`.

#include <string>

#include "platform/value.h"

namespace platform {

struct RemoteResult {
  bool ok = true;
  Value value;
  std::string error;  // user-facing text (Portuguese) when !ok

  static RemoteResult success(Value v) { return {true, std::move(v), {}}; }
  static RemoteResult failure(std::string text) { return {false, Value(), std::move(text)}; }
};

}  // namespace platform
