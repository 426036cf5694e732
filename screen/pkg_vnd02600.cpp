#include "screen/pkg_vnd02600.h"

#include <memory>

#include "platform/abort.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

screen::TfrmManutVenda* frmManutVenda = nullptr;
bool boStCriado = false;
bool boPrimVez = false;

namespace {

std::unique_ptr<screen::TfrmManutVenda> instance;
// The instance that closed, kept until it is safe to destroy it.
std::unique_ptr<screen::TfrmManutVenda> retired;

void createInstance() {
  retired.reset();
  auto form = std::make_unique<screen::TfrmManutVenda>();
  // A screen whose creation fails is not kept half-built.
  form->create();
  instance = std::move(form);
  frmManutVenda = instance.get();
  instance->closed.connect([](platform::Form& form, platform::CloseAction) {
    platform::screenHost().closeDocument(form);
    if (instance.get() != &form) return;
    retired = std::move(instance);
    frmManutVenda = nullptr;
  });
  boStCriado = true;
}

}  // namespace

void CriaManutVenda() {
  try {
    if (!boStCriado || !instance) createInstance();
    platform::screenHost().showDocument(*instance);
    instance->show();
  } catch (const platform::SilentAbort&) {
  } catch (const std::exception& e) {
    platform::ui().showMessage(e.what(), platform::MsgKind::Error, platform::MsgButtons::Ok);
  }
}

void IniProc() { CriaManutVenda(); }
