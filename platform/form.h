#pragma once
// Form: a screen's window in the headless control model. It creates, names
// and owns its controls, keeps the focus (the active control) and runs the
// window's life cycle events.
//
// Focus. setFocus(target) moves the focus as the classic toolkit did:
//   1. leaving: the control that has the focus, then each container of it
//      that does not also contain the target, innermost first, each one
//      its leaving step (data-aware controls write what was typed) and its
//      OnExit;
//   2. the target becomes the active control (`changed(Focus)` on the
//      form);
//   3. entering: each container of the target that did not contain the old
//      control, outermost first, then the target, each its OnEnter.
// If a leaving step or an OnExit throws (a validation failed), the focus
// stays where it was and the exception propagates to the caller; the
// boundary where the gesture entered swallows silent aborts. A handler that
// moves the focus itself while the focus is being left (a validation that
// puts the user back on the offending field before it reports) moves it at
// once, without further events; the interrupted move then stops there.
// Focus moved from an OnEnter handler is an ordinary move.
//
// Life cycle: construct, create() (OnCreate, once), show() (visible, then
// activate()), activate() (OnActivate, whenever the window becomes the
// active one), close() (OnClose decides the close action; the form is
// hidden and `closed` tells the host, which destroys a form closed with
// CloseAction::Free after close() returns).
//
// Thread-safety: none; the user-interface thread only.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/controls.h"

namespace platform {

class Field;

enum class CloseAction : std::uint8_t { None, Hide, Free, Minimize };

// Why a widget toolkit moved its keyboard focus.
enum class FocusCause { Click, Shortcut, WindowActivation, MenuClosed, PageHidden, Program };

// Only a user's own move into a control runs the leaving and entering steps
// (setFocus): a toolkit that moves its focus on its own (a page or a window
// hiding, a window being activated or resized, a menu closing) must leave the
// model's focus where it is, or merely passing through a panel whose entering
// starts over (the filter) would undo the user's work. Tab keys are not here:
// they reach the model as keys and it moves the focus itself.
bool isUserFocusMove(FocusCause cause);

class Form : public Control {
 public:
  explicit Form(std::string name);
  ~Form() override;
  ControlKind kind() const override { return ControlKind::Form; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  int helpContext() const { return helpContext_; }
  void setHelpContext(int id) { helpContext_ = id; }
  const std::string& helpFile() const { return helpFile_; }
  void setHelpFile(std::string f) { helpFile_ = std::move(f); }

  // --- Controls. Names are unique in the form (ASCII case ignored, as
  // component names are); `parent` defaults to the form itself.
  template <class T, class... Args>
  T& add(std::string name, Control* parent = nullptr, Args&&... args) {
    auto owned = std::make_unique<T>(name, std::forward<Args>(args)...);
    T& ref = *owned;
    adopt(std::move(owned), parent);
    return ref;
  }
  Control* findControl(std::string_view name) const;
  // Throws std::out_of_range for an unknown name and std::logic_error when
  // the control is of another type.
  template <class T>
  T& control(std::string_view name) const {
    Control* c = findControl(name);
    if (!c) throw std::out_of_range("Controle " + std::string(name) + " não existe em " + this->name() + ".");
    T* t = dynamic_cast<T*>(c);
    if (!t) throw std::logic_error("Controle " + std::string(name) + " não é do tipo pedido.");
    return *t;
  }
  // Every control in creation order.
  const std::vector<Control*>& controls() const { return order_; }

  // --- Focus.
  Control* activeControl() const { return active_; }
  // False, with nothing run, when the target cannot take the focus; true
  // when the focus is on the target afterwards. Throws what a leaving
  // handler throws (the focus then stays put).
  bool setFocus(Control& target);
  // The next (or previous) control in tab order that can take the focus
  // and is a tab stop, wrapping around; false when there is none.
  bool focusNext(bool forward = true);
  // Where the focus belongs after a page change: the first control in tab
  // order on the page now showing, when the focus is on the page control
  // itself (its tab was clicked) or on a control that a page change hid
  // (keys would reach a list the user no longer sees). nullptr when the
  // focus is fine where it is, or the page has nothing to take it.
  Control* pageFocusTarget() const;
  // The field shown by the active control: a data-aware edit's field or a
  // grid's selected field; nullptr otherwise.
  Field* focusedField() const;
  // Runs the click of the enabled menu item whose shortcut is `shortcut`
  // ("Ctrl+F", compared regardless of case). False when none ran.
  bool pressShortcut(std::string_view shortcut);

  // --- Life cycle.
  void create();
  bool created() const { return created_; }
  void show();
  void activate();
  CloseAction close();
  // The form shows: between show() and close().
  bool shown() const { return shown_; }

  NotifyEvent OnCreate, OnActivate;
  std::function<void(Form& sender, bool& canClose)> OnCloseQuery;
  std::function<void(Form& sender, CloseAction& action)> OnClose;
  // After close(): the action decided (the host frees the form on Free).
  Signal<Form&, CloseAction> closed;
  // The user asked for help (the form's help context).
  Signal<Form&> helpRequested;

 private:
  void adopt(std::unique_ptr<Control> control, Control* parent);
  static std::string key(std::string_view name);
  void moveFocus(Control* target);

  std::string caption_;
  int helpContext_ = 0;
  std::string helpFile_;
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> order_;
  std::unordered_map<std::string, Control*> byName_;
  Control* active_ = nullptr;
  int leavingDepth_ = 0;
  unsigned focusSerial_ = 0;
  bool created_ = false;
  bool shown_ = false;
};

}  // namespace platform
