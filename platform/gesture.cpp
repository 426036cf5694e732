#include "platform/gesture.h"

#include "platform/abort.h"
#include "platform/uiservice.h"

namespace platform {

bool runGesture(const std::function<void()>& gesture) {
  try {
    gesture();
    return true;
  } catch (const SilentAbort&) {
    return false;
  } catch (const UserError& e) {
    ui().showMessage(e.what(), MsgKind::Error, MsgButtons::Ok);
    return false;
  }
}

}  // namespace platform
