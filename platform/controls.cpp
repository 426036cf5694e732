#include "platform/controls.h"

#include <algorithm>
#include <stdexcept>

#include "platform/datasource.h"
#include "platform/editmask.h"
#include "platform/form.h"
#include "platform/format.h"
#include "platform/text.h"
#include "platform/uiservice.h"
#include "platform/utf8.h"

namespace platform {

int keyCodeForChar(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') return static_cast<int>(ch - 'a' + 'A');
  if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) return static_cast<int>(ch);
  switch (ch) {
    case ' ':
      return vk::Space;
    case '\b':
      return vk::Back;
    case '\t':
      return vk::Tab;
    case '\r':
    case '\n':
      return vk::Return;
    case ',':
      return vk::OemComma;
    case '-':
      return vk::OemMinus;
    case '.':
      return vk::OemPeriod;
    case '/':
      return vk::OemSlash;
    default:
      return vk::Character;
  }
}

bool isTypingKey(int key, ShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  if (key == vk::Back || key == vk::Delete || key == vk::Space || key == vk::Character) return true;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return true;
  return key >= vk::OemComma && key <= vk::OemSlash;
}

// ------------------------------------------------------------------ Control

Control::Control(std::string name) : name_(std::move(name)) {}

Control::~Control() = default;

int Control::index() const {
  if (!parent_) return 0;
  const auto& sib = parent_->children_;
  return static_cast<int>(std::find(sib.begin(), sib.end(), this) - sib.begin());
}

void Control::setIndex(int index) {
  if (!parent_) return;
  auto& sib = parent_->children_;
  const int from = this->index();
  const int to = std::clamp(index, 0, static_cast<int>(sib.size()) - 1);
  if (from == to) return;
  sib.erase(sib.begin() + from);
  sib.insert(sib.begin() + to, this);
  parent_->notify(Prop::Children);
}

void Control::setEnabled(bool on) { assign(enabled_, on, Prop::Enabled); }
void Control::setVisible(bool on) { assign(visible_, on, Prop::Visible); }
void Control::setHint(std::string hint) { assign(hint_, std::move(hint), Prop::Hint); }
void Control::setTabStop(bool on) { assign(tabStop_, on, Prop::TabStop); }
void Control::setAlign(Align a) { assign(align_, a, Prop::Align); }

bool Control::effectiveEnabled() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

bool Control::showing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
    if (c->kind() == ControlKind::TabSheet && c->parent_ && c->parent_->kind() == ControlKind::PageControl &&
        static_cast<const PageControl*>(c->parent_)->activePage() != c)
      return false;
  }
  return true;
}

bool Control::canFocus() const { return focusable() && effectiveEnabled() && showing(); }

bool Control::focused() const { return form_ && form_->activeControl() == this; }

bool Control::containsFocus() const { return form_ && form_->activeControl() && contains(*form_->activeControl()); }

bool Control::setFocus() { return form_ && form_->setFocus(*this); }

bool Control::contains(const Control& c) const {
  for (const Control* p = &c; p; p = p->parent_)
    if (p == this) return true;
  return false;
}

// ------------------------------------------------------------------ Panel, Label

void Panel::setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }

void Panel::setLayout(Layout layout, int gridColumns) {
  if (layout_ == layout && gridColumns_ == gridColumns) return;
  layout_ = layout;
  gridColumns_ = gridColumns;
  notify(Prop::Layout);
}

void Label::setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
void Label::setBold(bool on) { assign(bold_, on, Prop::Style); }

// ------------------------------------------------------------------ Edit

void Edit::setText(std::string_view text) { setRaw(std::string(text)); }

void Edit::setRaw(std::string raw) {
  if (raw == raw_) return;
  raw_ = std::move(raw);
  notify(Prop::Text);
  if (OnChange) OnChange(*this);
}

void Edit::setMaxLength(int n) { assign(maxLength_, std::max(0, n), Prop::MaxLength); }
void Edit::setReadOnly(bool on) { assign(readOnly_, on, Prop::ReadOnly); }
void Edit::setColor(Color c) { assign(color_, c, Prop::Style); }

bool Edit::editable() const { return !readOnly_ && effectiveEnabled(); }

std::optional<std::string> Edit::typed(const std::string& raw, char32_t ch) const { return raw + utf8Encode(ch); }

bool Edit::typeChar(char32_t ch) {
  int key = keyCodeForChar(ch);
  if (OnKeyDown) OnKeyDown(*this, key, ssNone);
  if (key == 0) return false;
  return pressChar(ch);
}

bool Edit::pressChar(char32_t ch) {
  if (OnKeyPress) OnKeyPress(*this, ch);
  if (ch == 0 || !editable()) return false;
  const auto accept = [&]() -> std::optional<std::string> {
    std::optional<std::string> next = typed(raw_, ch);
    if (!next || *next == raw_) return std::nullopt;
    if (maxLength_ > 0 && utf8Length(*next) > static_cast<size_t>(maxLength_)) return std::nullopt;
    return next;
  };
  if (!accept()) return false;
  // Starting the edit may reload what the control shows.
  beginTyping();
  std::optional<std::string> next = accept();
  if (!next) return false;
  setRaw(std::move(*next));
  userChanged();
  return true;
}

void Edit::clearByUser() {
  if (!editable() || raw_.empty()) return;
  beginTyping();
  setRaw({});
  userChanged();
}

int typeThrough(std::string_view utf8, const std::function<bool(int key)>& pressKey,
                const std::function<bool(char32_t ch)>& typeChar) {
  int accepted = 0;
  for (char32_t ch : utf8Decode(utf8)) {
    const bool control = ch < 0x20 || ch == 0x7F;
    accepted += (control ? pressKey(keyCodeForChar(ch)) : typeChar(ch)) ? 1 : 0;
  }
  return accepted;
}

std::string pastedText(std::string_view clipboard) {
  std::u32string line;
  for (char32_t ch : utf8Decode(clipboard)) {
    if (ch == U'\r' || ch == U'\n') break;
    if (ch >= 0x20 && ch != 0x7F) line.push_back(ch);
  }
  return utf8Encode(line);
}

int Edit::typeText(std::string_view utf8) {
  if (!focused() && !setFocus()) return 0;
  return typeThrough(
      utf8, [this](int key) { return pressKey(key); }, [this](char32_t ch) { return typeChar(ch); });
}

int Edit::retype(std::string_view utf8) {
  if (!focused() && !setFocus()) return 0;
  clearByUser();
  return typeText(utf8);
}

bool Edit::pressKey(int key, ShiftState shift) {
  if (!focused() && !setFocus()) return false;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (key == 0) return false;
  const bool plain = !(shift & (ssCtrl | ssAlt));
  if (key == vk::Tab && plain) {
    if (form()) form()->focusNext(!(shift & ssShift));
  } else if (key == vk::Return && plain && multiLine_) {
    pressChar('\n');
  } else if (key == vk::Back && plain) {
    char32_t ch = '\b';
    if (OnKeyPress) OnKeyPress(*this, ch);
    if (ch == 0) return false;
    if (!editable() || raw_.empty()) return true;
    beginTyping();
    setRaw(utf8DropLast(raw_));
    userChanged();
  } else if (key == vk::Delete && plain) {
    clearByUser();
  }
  return true;
}

// ------------------------------------------------------------------ MaskEdit, DateEdit

void MaskEdit::setEditMask(std::string mask) {
  if (!assign(mask_, std::move(mask), Prop::Mask)) return;
  notify(Prop::Text);
}

std::string MaskEdit::text() const { return StripMask(mask_, raw()); }
std::string MaskEdit::displayText() const { return ApplyMask(mask_, raw()); }
bool MaskEdit::isBlank() const { return MaskIsBlank(mask_, raw()); }

std::optional<std::string> MaskEdit::typeThrough(std::string_view mask, const std::string& raw, char32_t ch) {
  std::string next = raw + utf8Encode(ch);
  if (mask.empty() || ApplyMask(mask, next) != ApplyMask(mask, raw)) return next;
  // A character that changes nothing shown is refused, except a literal of
  // the picture, which may end a run of slots early.
  const std::string_view picture = mask.substr(0, mask.find(';'));
  const std::string_view slots = "09#LlAaCc<>!\\";
  const bool literal = ch < 0x80 && picture.find(static_cast<char>(ch)) != std::string_view::npos &&
                       slots.find(static_cast<char>(ch)) == std::string_view::npos;
  if (literal) return next;
  return std::nullopt;
}

std::optional<std::string> MaskEdit::typed(const std::string& raw, char32_t ch) const {
  return typeThrough(mask_, raw, ch);
}

DateEdit::DateEdit(std::string name) : MaskEdit(std::move(name), "!99/99/9999;1;_") {}

std::optional<DateTime> DateEdit::date() const {
  std::optional<DateTime> d = parseDate(trim(text()));
  if (!d) return std::nullopt;
  return dateOf(*d);
}

void DateEdit::setDate(std::optional<DateTime> date) { setText(date ? formatDate(dateOf(*date)) : std::string()); }

void DateEdit::setValidDateInBlue(bool on) { assign(validDateInBlue_, on, Prop::Style); }

std::optional<Color> DateEdit::fontColor() const {
  if (validDateInBlue_ && date()) return clBlue;
  return std::nullopt;
}

void DateEdit::setWeekDayNames(std::array<std::string, 7> names) { assign(weekDays_, std::move(names), Prop::Style); }

std::string DateEdit::weekDayName() const {
  const std::optional<DateTime> d = date();
  if (!d) return {};
  // Day 0 of the date scale (30/12/1899) was a Saturday.
  const long long day = static_cast<long long>(d->days);
  const int wd = static_cast<int>(((day % 7) + 7 + 6) % 7);  // 0 = Sunday
  return weekDays_[static_cast<size_t>(wd)];
}

// ------------------------------------------------------------------ NumberBox, Memo

void NumberBox::setValue(double v) {
  if (value_ == v) return;
  value_ = v;
  notify(Prop::Value);
  if (OnChange) OnChange(*this);
}

void NumberBox::setDecimals(int n) { assign(decimals_, std::max(0, n), Prop::Format); }
void NumberBox::setThousands(bool on) { assign(thousands_, on, Prop::Format); }
void NumberBox::setReadOnly(bool on) { assign(readOnly_, on, Prop::ReadOnly); }

std::string NumberBox::pattern() const {
  std::string p = thousands_ ? "#,##0" : "0";
  if (decimals_ > 0) p += "." + std::string(static_cast<size_t>(decimals_), '0');
  return p;
}

std::string NumberBox::text() const { return formatNumber(value_, pattern()); }

// ------------------------------------------------------------------ Button

void Button::setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
void Button::setPermitted(bool on) { assign(permitted_, on, Prop::Permitted); }

bool Button::clickable() const { return permitted_ && effectiveEnabled() && showing(); }

bool Button::click() {
  if (!clickable()) return false;
  clicked();
  return true;
}

void LookupButton::setDataSource(DataSource* ds) { assign(dataSource_, ds, Prop::DataSource); }

void LookupButton::clicked() {
  chosen_ = false;
  if (OnBeforeDialog) OnBeforeDialog(*this);
  ClientDataSet* set = dataSource_ ? dataSource_->dataSet() : nullptr;
  if (!set) throw std::logic_error(name() + ": botão de pesquisa sem dados para listar.");
  chosen_ = ui().pickRecord(*set, title_, emptyError_);
  if (chosen_ && OnAfterChoice) OnAfterChoice(*this);
}

// ------------------------------------------------------------------ MenuItem

void MenuItem::setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
void MenuItem::setShortcut(std::string s) { assign(shortcut_, std::move(s), Prop::Shortcut); }
void MenuItem::setChecked(bool on) { assign(checked_, on, Prop::Checked); }

std::string MenuItem::plainCaption() const {
  std::string out;
  for (size_t i = 0; i < caption_.size(); ++i) {
    if (caption_[i] != '&') {
      out += caption_[i];
    } else if (i + 1 < caption_.size() && caption_[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

char32_t MenuItem::accelerator() const {
  const std::u32string cps = utf8Decode(caption_);
  for (size_t i = 0; i + 1 < cps.size(); ++i) {
    if (cps[i] != '&') continue;
    if (cps[i + 1] != '&') return cps[i + 1];
    ++i;
  }
  return 0;
}

bool MenuItem::click() {
  if (isSeparator() || !effectiveEnabled() || !showing()) return false;
  if (OnClick) OnClick(*this);
  return true;
}

// ------------------------------------------------------------------ Pages

TabSheet::TabSheet(std::string name, std::string caption) : Panel(std::move(name)) {
  setCaption(std::move(caption));
  setLayout(Layout::Vertical);
}

PageControl* TabSheet::pageControl() const {
  Control* p = parent();
  return p && p->kind() == ControlKind::PageControl ? static_cast<PageControl*>(p) : nullptr;
}

std::vector<TabSheet*> PageControl::pages() const {
  std::vector<TabSheet*> out;
  for (Control* c : children())
    if (c->kind() == ControlKind::TabSheet) out.push_back(static_cast<TabSheet*>(c));
  return out;
}

int PageControl::pageCount() const { return static_cast<int>(pages().size()); }

TabSheet* PageControl::page(int i) const {
  const std::vector<TabSheet*> p = pages();
  return i >= 0 && i < static_cast<int>(p.size()) ? p[static_cast<size_t>(i)] : nullptr;
}

int PageControl::activePageIndex() const {
  const std::vector<TabSheet*> p = pages();
  const auto it = std::find(p.begin(), p.end(), active_);
  return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void PageControl::setActivePage(TabSheet* page) {
  if (page && page->parent() != this)
    throw std::logic_error(name() + ": a página " + page->name() + " não pertence a este controle.");
  assign(active_, page, Prop::ActivePage);
}

bool PageControl::userSelectPage(TabSheet& page) {
  if (page.parent() != this || !page.enabled() || !page.visible() || !effectiveEnabled() || !showing()) return false;
  if (&page == active_) return true;
  if (canFocus() && !focused()) setFocus();
  bool allow = true;
  if (OnChanging) OnChanging(*this, allow);
  if (!allow) return false;
  setActivePage(&page);
  if (OnChange) OnChange(*this);
  return true;
}

}  // namespace platform
