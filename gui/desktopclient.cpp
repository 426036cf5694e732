#include "gui/desktopclient.h"

#include <stdexcept>
#include <system_error>

#include "gui/waitingtransport.h"
#include "platform/form.h"
#include "platform/localquery.h"
#include "platform/screenhost.h"
#include "platform/uiservice.h"

namespace gui {

std::string screenModulePath(const std::string& builtPath, const std::filesystem::path& executableDir) {
  std::error_code ec;
  if (!builtPath.empty() && std::filesystem::is_regular_file(builtPath, ec)) return builtPath;
  if (!executableDir.empty()) {
    const std::filesystem::path beside = executableDir / kScreenModuleFile;
    if (std::filesystem::is_regular_file(beside, ec)) return beside.string();
  }
  return kScreenModuleFile;
}

namespace {

platform::Module loadModule(const std::string& path) {
  try {
    return platform::Module(path);
  } catch (const std::exception& e) {
    throw std::runtime_error("Não foi possível carregar a tela Manutenção da Venda (" + path + "): " + e.what());
  }
}

}  // namespace

DesktopClient::DesktopClient(client::SessionOptions options, const std::string& modulePath)
    : session_(std::move(options)), module_(loadModule(modulePath)), window_(std::make_unique<MainWindow>()) {
  window_->setScreenOpener([this](MainWindow&) { module_.call("CriaManutVenda"); });
  window_->setConnectionPreparer([this](platform::TNetConnection& c) {
    session_.prepare(c);
    // The screen's calls show their progress caption only when they take a
    // while; the token set above stays with the connection.
    c.setTransport(std::make_unique<WaitingTransport>(session_.makeTransport(), [] {
      if (auto* services = dynamic_cast<QtUiServices*>(&platform::ui())) services->showLateCaption();
    }));
  });
  platform::setScreenHost(window_.get());
}

DesktopClient::~DesktopClient() {
  window_->closeDocuments();
  platform::setScreenHost(nullptr);
  window_.reset();
}

std::string DesktopClient::logon(const LogonRequest& request) {
  if (request.operador.empty()) return "Informe o operador.";
  if (request.filial.empty()) return "Informe a filial.";
  const platform::LogonResult r = session_.logon(request.operador, request.senha, request.filial);
  if (!r.ok) return r.error.empty() ? "Não foi possível entrar no sistema." : r.error;
  window_->showLogon();
  return {};
}

std::string DesktopClient::pickBranch() {
  platform::TADOIBQuery branches("qryLogonFilial", &session_.database());
  branches.SQL = "SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL";
  branches.declareField({"CDFILIAL", platform::FieldType::String, 4}, "Filial");
  branches.declareField({"NMFILIAL", platform::FieldType::String, 40}, "Nome");
  try {
    branches.open();
  } catch (const std::exception& e) {
    platform::ui().showMessage(e.what(), platform::MsgKind::Error, platform::MsgButtons::Ok);
    return {};
  }
  if (!platform::ui().pickRecord(branches, "Filial", "Não há filial cadastrada")) return {};
  return branches.fieldByName("CDFILIAL").asText();
}

platform::Form* DesktopClient::screen() const {
  auto* slot = static_cast<platform::Form**>(module_.symbol("frmManutVenda"));
  return slot ? *slot : nullptr;
}

}  // namespace gui
