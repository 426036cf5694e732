#pragma once
// The dialogs, look-ups and progress indication the screen asks of its host.
// The desktop client supplies Qt dialogs; tests and the scenario runner
// supply scripted ones that record what was shown and answer from a script.
//
// Thread-safety: everything runs on the single user-interface thread; the
// current services are a process-wide setting made by the host at start-up.

#include <string>
#include <vector>

namespace platform {

class ClientDataSet;

enum class MsgKind { Error, Warning, Information, Confirmation };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// Progress animation kinds, as numbered by the framework.
enum ProgressKind : int { kProgressConnecting = 0, kProgressSending = 1, kProgressReceiving = 6 };

class UiServices {
 public:
  virtual ~UiServices() = default;

  // Shows a modal message box and returns the button pressed.
  virtual MsgResult showMessage(const std::string& text, MsgKind kind, MsgButtons buttons) = 0;

  // Progress animation around remote calls; calls nest (each show is matched
  // by one hide).
  virtual void showProgress(int kind, const std::string& caption) = 0;
  virtual void hideProgress() = 0;

  // Look-up dialog over a record set: `title` heads it, `emptyMessage` is
  // shown instead when the set is empty. True when a row was chosen; the
  // chosen row is then the set's current record.
  virtual bool pickRecord(ClientDataSet& set, const std::string& title, const std::string& emptyMessage) = 0;

  // Search dialog over a record set (the framework's Procura): positions the
  // set on the row found, if any.
  virtual void searchRecord(ClientDataSet& set) = 0;

  // A short notice that needs no answer (a save went through): shown
  // without stopping the user, gone by itself. Hosts without a place for it
  // drop it.
  virtual void showNotice(const std::string& text) { (void)text; }
};

// The services in force. Before the host installs its own, a default
// implementation answers OK/No, picks nothing and shows nothing.
UiServices& ui();
void setUi(UiServices* services);  // nullptr restores the default

// RAII progress animation: shown on construction, hidden on every exit path.
class ProgressScope {
 public:
  ProgressScope(int kind, const std::string& caption = {}) { ui().showProgress(kind, caption); }
  ~ProgressScope() { ui().hideProgress(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
};

}  // namespace platform
