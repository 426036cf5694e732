#pragma once
// The boundary where a user's gesture enters the screen (a click, a key, a
// focus move, a command of the scenario runner). Whatever aborts the
// gesture ends here: a SilentAbort quietly (its message was already shown),
// a UserError by showing its text as an error first. Other exceptions are
// programming errors and propagate.
//
// Thread-safety: the user-interface thread only (messages go through ui()).

#include <functional>

namespace platform {

// Runs the gesture; true when it ran to the end, false when it was aborted.
bool runGesture(const std::function<void()>& gesture);

}  // namespace platform
