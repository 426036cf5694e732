#pragma once
// ScreenHost: what a loadable screen asks of the desktop client that hosts
// it. The screen owns its form; the host presents it as a document window
// of its main window and takes it away again. The host installs itself with
// setScreenHost() at start-up; before that a host that presents nothing is
// in force (tests and the scenario runner drive the form model directly).
//
// Thread-safety: the user-interface thread only.

namespace platform {

class Form;
class TNetConnection;

class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  // Present the form as a document window in its normal (not minimised)
  // state, or bring it to the front when it already is; called before the
  // form is shown and activated.
  virtual void showDocument(Form& form) = 0;
  // The form closed: stop presenting it. The screen destroys it later, never
  // inside this call.
  virtual void closeDocument(Form& form) = 0;
  // Before a screen opens its remote connection: give it the client's
  // transport and session token. By default the connection keeps its own
  // (HTTP to the logon context's server, no session).
  virtual void prepareConnection(TNetConnection&) {}
};

ScreenHost& screenHost();
void setScreenHost(ScreenHost* host);  // nullptr restores the default

}  // namespace platform
