#include "platform/uiservice.h"

#include "platform/abort.h"

namespace platform {
namespace {

class DefaultUi final : public UiServices {
 public:
  MsgResult showMessage(const std::string&, MsgKind, MsgButtons buttons) override {
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(ClientDataSet&, const std::string&, const std::string&) override { return false; }
  void searchRecord(ClientDataSet&) override {}
};

DefaultUi g_default;
UiServices* g_current = &g_default;

}  // namespace

UiServices& ui() { return *g_current; }
void setUi(UiServices* services) { g_current = services ? services : &g_default; }

void Abort() { throw SilentAbort(); }

}  // namespace platform
