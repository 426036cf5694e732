#pragma once
// The headless control model: plain objects standing for the windows,
// edits, buttons, menus and pages of a screen. The screen logic reads and
// writes them and never sees a widget; a view (the desktop client, the
// scenario runner, a test) renders them and forwards the user's gestures to
// them. They are the contract between the screen and any view:
//
//   - every property change is announced by the control's `changed` signal
//     with the property that changed (Prop), whether code or the user
//     changed it; a view re-reads that property;
//   - what the user does reaches the model through the methods named for a
//     gesture (typeText, pressKey, click, userSelectPage, Form::setFocus...),
//     which run the control's events (OnKeyPress, OnChange, OnClick...) as
//     the classic toolkit did;
//   - events are plain std::function members named as in the classic
//     toolkit; the first argument is the control that raised the event.
//
// Controls form a tree under their Form (see form.h), which creates, names
// and owns them and keeps the focus. Data-aware controls and the grid are in
// dbcontrols.h. docs/controls.md describes the contract for views.
//
// Thread-safety: none; the user-interface thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"
#include "platform/signal.h"

namespace platform {

class Form;
class Control;
class DataSource;

// Colours as the classic toolkit stores them: 0xBBGGRR.
using Color = std::uint32_t;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clMaroon = 0x000080;
inline constexpr Color clGreen = 0x008000;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clPurple = 0x800080;
inline constexpr Color clGray = 0x808080;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clWhite = 0xFFFFFF;
// System colours, resolved by the view from its palette: an input's usual
// background, and the background of tool tips, which screens borrow to mark
// the inputs a record cannot be saved without.
inline constexpr Color clWindow = 0x80000005;
inline constexpr Color clInfoBk = 0x80000018;

// Modifier keys held with a key.
using ShiftState = unsigned;
inline constexpr ShiftState ssNone = 0;
inline constexpr ShiftState ssShift = 1;
inline constexpr ShiftState ssAlt = 2;
inline constexpr ShiftState ssCtrl = 4;

// Key codes of key-down events, numbered as the classic toolkit's virtual
// keys. Letters and digits use their upper-case ASCII code ('A' = 65,
// '0' = 48); keyCodeForChar gives the code a typed character arrives with.
namespace vk {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;  // page up
inline constexpr int Next = 34;   // page down
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int F1 = 112;
inline constexpr int F2 = 113;
inline constexpr int OemComma = 0xBC;
inline constexpr int OemMinus = 0xBD;
inline constexpr int OemPeriod = 0xBE;
inline constexpr int OemSlash = 0xBF;
// Any other printable character (accented letters, symbols).
inline constexpr int Character = 0xE5;
}  // namespace vk

// The key-down code a typed character arrives with: letters their
// upper-case code, digits and blank their own code, ',' '-' '.' '/' the
// Oem codes, backspace, tab and enter their keys, anything else
// vk::Character.
int keyCodeForChar(char32_t ch);
// Feeds typed text through a control's own key path, one character at a
// time: control characters (Tab, Enter, Backspace…) as key presses, the rest
// as typed characters. Answers how many the control accepted.
int typeThrough(std::string_view utf8, const std::function<bool(int key)>& pressKey,
                const std::function<bool(char32_t ch)>& typeChar);
// What a paste types into one edit or cell: the clipboard text's first
// line, without the line break a copied cell or a scanner adds and without
// tabs or other control characters, which would act as keys there (move to
// another cell, post the row) instead of being part of the value.
std::string pastedText(std::string_view clipboard);
// Whether a key-down would type into the cell or edit that has the focus:
// a character key, Backspace or Delete, without Ctrl or Alt.
bool isTypingKey(int key, ShiftState shift);

enum class ControlKind : std::uint8_t {
  Form,
  Panel,
  TabSheet,
  PageControl,
  Label,
  Edit,
  MaskEdit,
  DateEdit,
  NumberBox,
  Memo,
  DBEdit,
  DBMemo,
  DBText,
  Button,
  LookupButton,
  MenuItem,
  DBNavigator,
  DBGrid
};

// What changed, as announced by Control::changed.
enum class Prop : std::uint8_t {
  Enabled,
  Visible,
  Hint,
  TabStop,
  Align,
  Children,  // any control
  Caption,
  Text,
  ReadOnly,
  MaxLength,
  Mask,
  Style,  // captions and texts
  Value,
  Format,  // number boxes
  Checked,
  Shortcut,
  Permitted,  // menu items, buttons
  Layout,
  ActivePage,  // containers
  DataSource,
  Columns,
  SelectedColumn,
  EditorMode,
  Options,  // grids
  Data,
  CurrentRow,
  State,  // the data shown
  Focus   // the form's active control
};

// Where a view places a control inside its parent, as the classic toolkit
// aligned it.
enum class Align : std::uint8_t { None, Top, Bottom, Left, Right, Client };

using NotifyEvent = std::function<void(Control& sender)>;
// Set key to 0 to swallow the character.
using KeyPressEvent = std::function<void(Control& sender, char32_t& key)>;
// Set key to 0 to cancel the key (a cancelled key types nothing).
using KeyDownEvent = std::function<void(Control& sender, int& key, ShiftState shift)>;

// Base of every control: name, place in the tree, the common properties and
// the focus events. OnEnter and OnExit run when the focus moves into and out
// of the control (for a container, into and out of it from outside); an
// OnExit that throws keeps the focus where it was (see Form::setFocus).
class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual ControlKind kind() const = 0;
  const std::string& name() const { return name_; }
  Form* form() const { return form_; }
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }

  // Position among the parent's children, which is the order a view lays
  // them out, the tab order and, for pages and menu items, their order.
  int index() const;
  void setIndex(int index);

  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  bool visible() const { return visible_; }
  void setVisible(bool on);
  const std::string& hint() const { return hint_; }
  void setHint(std::string hint);
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool on);
  Align align() const { return align_; }
  void setAlign(Align a);

  // Enabled, and every container above it enabled: a disabled panel
  // disables everything in it.
  bool effectiveEnabled() const;
  // Visible, every container above visible, and each page above it the
  // active page of its page control.
  bool showing() const;
  // Whether the control takes the focus at all (edits, grids, page
  // controls); canFocus also asks that it be effectively enabled and showing.
  virtual bool focusable() const { return false; }
  bool canFocus() const;
  bool focused() const;
  // The focus is on this control or on one inside it.
  bool containsFocus() const;
  // Form::setFocus(*this); false when the focus did not move here.
  bool setFocus();
  // This control is c or one of c's containers.
  bool contains(const Control& c) const;

  Signal<Control&, Prop> changed;
  NotifyEvent OnEnter, OnExit;

 protected:
  explicit Control(std::string name);
  void notify(Prop p) { changed.emit(*this, p); }
  template <class T, class U>
  bool assign(T& member, U&& value, Prop p) {
    if (member == value) return false;
    member = std::forward<U>(value);
    notify(p);
    return true;
  }
  // Called by the form before OnExit when the focus leaves this control;
  // data-aware controls write what was typed here. A throw keeps the focus.
  virtual void leaving() {}
  // Called by the form after the control became the active one.
  virtual void entered() {}

 private:
  friend class Form;
  std::string name_;
  Form* form_ = nullptr;
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = true;
  Align align_ = Align::None;
  std::string hint_;
};

enum class Layout : std::uint8_t { Horizontal, Vertical, Grid };

// A container. Its children are laid out in order, in a row, a column or a
// grid of `gridColumns` columns; OnEnter/OnExit run when the focus crosses
// its border.
class Panel : public Control {
 public:
  explicit Panel(std::string name) : Control(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::Panel; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  Layout layout() const { return layout_; }
  int gridColumns() const { return gridColumns_; }
  void setLayout(Layout layout, int gridColumns = 0);
  // A panel at the foot of its container whose height the user sets by
  // dragging its edge with the control filling the container (a splitter);
  // set before the panel is shown.
  bool sizable() const { return sizable_; }
  void setSizable(bool on) { sizable_ = on; }

 private:
  std::string caption_;
  Layout layout_ = Layout::Horizontal;
  int gridColumns_ = 0;
  bool sizable_ = false;
};

class Label : public Control {
 public:
  explicit Label(std::string name, std::string caption = {}) : Control(std::move(name)), caption_(std::move(caption)) {}
  ControlKind kind() const override { return ControlKind::Label; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool bold() const { return bold_; }
  void setBold(bool on);

 private:
  std::string caption_;
  bool bold_ = false;
};

// A one-line text edit. setText is the program's assignment; typeText,
// retype and pressKey are the user's typing: the control first takes the
// focus (running the exit handlers of the control left, which may abort
// the typing), then each character runs OnKeyDown with its key code and
// OnKeyPress, and is refused when either swallows it, when the edit is
// read-only or disabled, or when it would pass maxLength. OnChange runs on
// every change of text(), by the program or the user.
class Edit : public Control {
 public:
  explicit Edit(std::string name) : Control(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::Edit; }
  bool focusable() const override { return true; }

  // The value the program reads.
  virtual std::string text() const { return raw_; }
  // What a view shows (the masked form for masked edits).
  virtual std::string displayText() const { return text(); }
  void setText(std::string_view text);
  void clear() { setText({}); }

  // Characters; 0 is no limit. Limits typing only, as in the classic edit.
  int maxLength() const { return maxLength_; }
  void setMaxLength(int n);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on);
  // Background colour (clWindow unless set); clInfoBk marks a mandatory
  // input. Announced as Prop::Style.
  Color color() const { return color_; }
  void setColor(Color c);

  // The user's typing; returns the number of characters accepted.
  int typeText(std::string_view utf8);
  // Select everything and type over it: clears (when typing is allowed),
  // then types.
  int retype(std::string_view utf8);
  // The user's paste: pastedText(clipboard) typed, so each character passes
  // the same key handling and mask as if typed.
  int paste(std::string_view clipboard) { return typeText(pastedText(clipboard)); }
  // A key press: OnKeyDown, then the key's own effect: Backspace removes the
  // last character, Delete clears the text, Tab moves the focus to the next
  // tab stop (Shift+Tab the previous), Enter types a line break in
  // multi-line edits. True when the key was not cancelled. Control
  // characters in typeText ('\t', '\b', '\r', '\n') act as their keys.
  bool pressKey(int key, ShiftState shift = ssNone);
  // Whether the user may type now.
  virtual bool editable() const;

  NotifyEvent OnChange;
  KeyPressEvent OnKeyPress;
  KeyDownEvent OnKeyDown;

 protected:
  // The raw text is what was typed or assigned; masked edits derive text()
  // and displayText() from it.
  const std::string& raw() const { return raw_; }
  void setRaw(std::string raw);
  // The raw text after typing ch, or nullopt when the character is refused.
  virtual std::optional<std::string> typed(const std::string& raw, char32_t ch) const;
  // Runs once before the first character the user types is applied
  // (data-aware edits start editing their record here). May throw.
  virtual void beginTyping() {}
  // After each change the user made.
  virtual void userChanged() {}
  // Runs one character through OnKeyDown and pressChar.
  bool typeChar(char32_t ch);
  // Runs one character through OnKeyPress and applies it.
  bool pressChar(char32_t ch);
  // The user's clearing of the text (Delete, select-all-and-type).
  void clearByUser();
  // Enter types a line break.
  void setMultiLine(bool on) { multiLine_ = on; }

 private:
  std::string raw_;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool multiLine_ = false;
  Color color_ = clWindow;
};

// An edit with an edit mask (see editmask.h). text() is the stored value,
// displayText() the masked text; setText takes a stored value or a typed
// text. A typed character that fits no slot is refused.
class MaskEdit : public Edit {
 public:
  explicit MaskEdit(std::string name, std::string mask = {}) : Edit(std::move(name)), mask_(std::move(mask)) {}
  ControlKind kind() const override { return ControlKind::MaskEdit; }
  const std::string& editMask() const { return mask_; }
  void setEditMask(std::string mask);
  std::string text() const override;
  std::string displayText() const override;
  // No slot filled.
  bool isBlank() const;

  // The typed text after one more character through `mask`, or nullopt
  // when the masked edit refuses it (it changes nothing shown and is not a
  // literal of the picture, which may end a run of slots early).
  static std::optional<std::string> typeThrough(std::string_view mask, const std::string& raw, char32_t ch);

 protected:
  std::optional<std::string> typed(const std::string& raw, char32_t ch) const override;

 private:
  std::string mask_;
};

// The framework's date edit: a masked edit with the date mask holding an
// optional date (no time). With validDateInBlue on, a view paints the text
// blue while it holds a valid date (fontColor()).
class DateEdit : public MaskEdit {
 public:
  explicit DateEdit(std::string name);
  ControlKind kind() const override { return ControlKind::DateEdit; }
  // The date typed, when the text is a valid date.
  std::optional<DateTime> date() const;
  void setDate(std::optional<DateTime> date);
  bool validDateInBlue() const { return validDateInBlue_; }
  void setValidDateInBlue(bool on);
  std::optional<Color> fontColor() const;
  // Names of the week days, Sunday first, shown beside the date.
  const std::array<std::string, 7>& weekDayNames() const { return weekDays_; }
  void setWeekDayNames(std::array<std::string, 7> names);
  // The name of the date's week day; empty without a valid date.
  std::string weekDayName() const;

 private:
  bool validDateInBlue_ = false;
  std::array<std::string, 7> weekDays_;
};

// A number box: a value shown with a number of decimals and, optionally,
// thousands separators (Brazilian separators, see format.h).
class NumberBox : public Control {
 public:
  explicit NumberBox(std::string name) : Control(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::NumberBox; }
  bool focusable() const override { return true; }
  double value() const { return value_; }
  void setValue(double v);
  int decimals() const { return decimals_; }
  void setDecimals(int n);
  bool thousands() const { return thousands_; }
  void setThousands(bool on);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on);
  // The display pattern ("#,##0.00") and the text shown.
  std::string pattern() const;
  std::string text() const;

  NotifyEvent OnChange;

 private:
  double value_ = 0;
  int decimals_ = 2;
  bool thousands_ = false;
  bool readOnly_ = false;
};

// A multi-line edit: Enter types a line break.
class Memo : public Edit {
 public:
  explicit Memo(std::string name) : Edit(std::move(name)) { setMultiLine(true); }
  ControlKind kind() const override { return ControlKind::Memo; }
};

// A toolbar or panel button. It does not take the focus. Besides `enabled`
// (set by the screen's state rules) it carries a permission flag set from
// the user's rights: while it is off the button stays unavailable whatever
// `enabled` says.
class Button : public Control {
 public:
  explicit Button(std::string name, std::string caption = {})
      : Control(std::move(name)), caption_(std::move(caption)) {}
  ControlKind kind() const override { return ControlKind::Button; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool permitted() const { return permitted_; }
  void setPermitted(bool on);
  bool available() const { return enabled() && permitted_; }
  // available() and every container enabled and showing: what a view
  // offers to the user.
  bool clickable() const;
  // The user's click: runs the button's action when clickable. True when it
  // ran.
  bool click();

  NotifyEvent OnClick;

 protected:
  virtual void clicked() {
    if (OnClick) OnClick(*this);
  }

 private:
  std::string caption_;
  bool permitted_ = true;
};

// The framework's look-up button: a click runs OnBeforeDialog (which
// usually opens the query to list), then the look-up dialog over the data
// source's record set (ui().pickRecord with the title and the empty-list
// message) and, when the user chose a row (now the current one),
// OnAfterChoice. OnClick is not used.
class LookupButton : public Button {
 public:
  explicit LookupButton(std::string name) : Button(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::LookupButton; }
  // The control the chosen value goes to (for the view's placement).
  Control* associate() const { return associate_; }
  void setAssociate(Control* c) { associate_ = c; }
  const std::string& title() const { return title_; }
  void setTitle(std::string t) { title_ = std::move(t); }
  const std::string& emptyError() const { return emptyError_; }
  void setEmptyError(std::string t) { emptyError_ = std::move(t); }
  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* ds);
  // Whether the last click ended with a choice.
  bool chosen() const { return chosen_; }

  NotifyEvent OnBeforeDialog, OnAfterChoice;

 protected:
  void clicked() override;

 private:
  Control* associate_ = nullptr;
  std::string title_, emptyError_;
  DataSource* dataSource_ = nullptr;
  bool chosen_ = false;
};

// A menu item. Top-level items are the menu bar's menus (children of the
// form); an item's children form its sub-menu. The caption marks its
// accelerator with '&'; a caption "-" is a separator. The shortcut is text
// such as "Ctrl+F" (see Form::pressShortcut).
class MenuItem : public Control {
 public:
  explicit MenuItem(std::string name, std::string caption = {}, std::string shortcut = {})
      : Control(std::move(name)), caption_(std::move(caption)), shortcut_(std::move(shortcut)) {}
  ControlKind kind() const override { return ControlKind::MenuItem; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  // The caption without its '&' marks ("&&" stands for one '&').
  std::string plainCaption() const;
  // The accelerator letter, 0 when none.
  char32_t accelerator() const;
  bool isSeparator() const { return caption_ == "-"; }
  const std::string& shortcut() const { return shortcut_; }
  void setShortcut(std::string s);
  bool checked() const { return checked_; }
  void setChecked(bool on);
  // The user's choice: runs OnClick when the item and every menu above it
  // are enabled and visible. True when it ran.
  bool click();

  NotifyEvent OnClick;

 private:
  std::string caption_, shortcut_;
  bool checked_ = false;
};

class PageControl;

// One page of a page control; its `enabled` decides whether the user may
// select it.
class TabSheet : public Panel {
 public:
  explicit TabSheet(std::string name, std::string caption = {});
  ControlKind kind() const override { return ControlKind::TabSheet; }
  // The page control it belongs to (its parent), or nullptr.
  PageControl* pageControl() const;
  int pageIndex() const { return index(); }
  void setPageIndex(int i) { setIndex(i); }
};

// Pages in order (its TabSheet children), one active. setActivePage is the
// program's choice and does not run OnChange (the screen runs its page
// change itself); userSelectPage is the user's click on a tab: the page
// control takes the focus (the control left may abort it), OnChanging may
// refuse, then the page becomes active and OnChange runs. A disabled or
// hidden page is refused.
class PageControl : public Control {
 public:
  explicit PageControl(std::string name) : Control(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::PageControl; }
  bool focusable() const override { return true; }
  std::vector<TabSheet*> pages() const;
  int pageCount() const;
  TabSheet* page(int i) const;
  TabSheet* activePage() const { return active_; }
  int activePageIndex() const;
  void setActivePage(TabSheet* page);
  void setActivePage(TabSheet& page) { setActivePage(&page); }
  // True when the page is now active.
  bool userSelectPage(TabSheet& page);

  std::function<void(Control& sender, bool& allow)> OnChanging;
  NotifyEvent OnChange;

 private:
  friend class Form;
  TabSheet* active_ = nullptr;
};

}  // namespace platform
