#include "platform/screenhost.h"

namespace platform {

namespace {

class NoHost final : public ScreenHost {
 public:
  void showDocument(Form&) override {}
  void closeDocument(Form&) override {}
};

NoHost noHost;
ScreenHost* current = &noHost;

}  // namespace

ScreenHost& screenHost() { return *current; }

void setScreenHost(ScreenHost* host) { current = host ? host : &noHost; }

}  // namespace platform
