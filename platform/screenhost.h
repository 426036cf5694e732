#pragma once
// ScreenHost: what a screen asks of the client window that shows it. The
// desktop client opens a screen's form as a document window of its main
// window and removes that window again when asked.
//
// Thread-safety: none; the user-interface thread only.

namespace platform {

class Form;

class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  // Shows the form as a document window (brought to front when it already
  // is one). The host does not take ownership.
  virtual void showDocument(Form& form) = 0;
  // Removes the form's document window, if any, without closing the form.
  virtual void closeDocument(Form& form) = 0;
};

}  // namespace platform
