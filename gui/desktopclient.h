#pragma once
// DesktopClient: what the desktop client puts together before the user sees
// anything. The session (the database and the embedded or remote server),
// the loaded screen module (libVnd02600.so) and the main window, installed
// as the screen host: the menu's "Manutenção da Venda" calls the module's
// CriaManutVenda, and the screen's connection is handed the session's
// transport and token, so that its calls run as the operator who logged on.
//
// On destruction the open screens are closed first (they close their
// connections while the session still lives), then the window goes, then
// the module is unloaded, then the session ends.
//
// Thread-safety: the user-interface thread only.

#include <filesystem>
#include <memory>
#include <string>

#include "client/session.h"
#include "gui/dialogs.h"
#include "gui/mainwindow.h"
#include "platform/module.h"

namespace platform {
class Form;
}

namespace gui {

// The module file the client loads.
inline constexpr const char* kScreenModuleFile = "libVnd02600.so";

// Where to load the screen module from: the path the build produced it at,
// when that file exists; else the copy next to the executable, when there is
// one; else the bare file name, for the loader's own library search.
std::string screenModulePath(const std::string& builtPath, const std::filesystem::path& executableDir);

class DesktopClient {
 public:
  // Throws std::runtime_error with a Portuguese text when the database
  // cannot be opened or the module cannot be loaded.
  DesktopClient(client::SessionOptions options, const std::string& modulePath);
  ~DesktopClient();
  DesktopClient(const DesktopClient&) = delete;
  DesktopClient& operator=(const DesktopClient&) = delete;

  // Logs on through the session: "" on success (the status line then shows
  // who is logged on), else the refusal for the user.
  std::string logon(const LogonRequest& request);
  // The logon dialog's branch look-up: lists the database's branches and
  // answers the code chosen, "" when none was.
  std::string pickBranch();

  client::Session& session() { return session_; }
  MainWindow& window() { return *window_; }
  const platform::Module& module() const { return module_; }
  // The screen the module has open now, or nullptr.
  platform::Form* screen() const;

 private:
  client::Session session_;
  platform::Module module_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace gui
