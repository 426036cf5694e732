#pragma once
// How a running action stops. Every validation and every failed server call
// ends the user's action by throwing: the message, if any, has already been
// shown through the UI services, and the exception unwinds to the boundary
// where the user's gesture entered (a control event in the desktop client, a
// command in the scenario runner), which swallows it.
//
// An aborted record-set operation leaves the record set's state and values
// exactly as they were before the operation started.

#include <stdexcept>
#include <string>

namespace platform {

// The framework's silent abort: stops the action, shows nothing.
class SilentAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "operation aborted"; }
};

// A failure whose text is meant for the user and has not been shown yet.
// Boundaries that catch it show the text as an error, then treat it as a
// silent abort.
class UserError : public std::runtime_error {
 public:
  explicit UserError(const std::string& text) : std::runtime_error(text) {}
};

// Throws SilentAbort.
[[noreturn]] void Abort();

}  // namespace platform
