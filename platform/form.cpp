#include "platform/form.h"

#include <algorithm>

#include "platform/dbcontrols.h"
#include "platform/text.h"

namespace platform {

Form::Form(std::string name) : Control(std::move(name)) { form_ = this; }

Form::~Form() {
  active_ = nullptr;
  // Controls die last-created first, so containers outlive their children.
  while (!owned_.empty()) owned_.pop_back();
}

void Form::setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }

std::string Form::key(std::string_view name) { return upperAscii(name); }

void Form::adopt(std::unique_ptr<Control> control, Control* parent) {
  if (!parent) parent = this;
  if (parent->form_ != this)
    throw std::logic_error(name() + ": o contêiner de " + control->name() + " é de outro formulário.");
  const std::string k = key(control->name());
  if (k.empty() || byName_.contains(k))
    throw std::logic_error(name() + ": nome de controle vazio ou repetido: " + control->name() + ".");
  Control* c = control.get();
  c->form_ = this;
  c->parent_ = parent;
  owned_.push_back(std::move(control));
  order_.push_back(c);
  byName_.emplace(k, c);
  parent->children_.push_back(c);
  // The first page added to a page control is its active page.
  if (c->kind() == ControlKind::TabSheet && parent->kind() == ControlKind::PageControl) {
    auto* pc = static_cast<PageControl*>(parent);
    if (!pc->activePage()) pc->active_ = static_cast<TabSheet*>(c);
  }
  parent->notify(Prop::Children);
}

Control* Form::findControl(std::string_view name) const {
  const auto it = byName_.find(key(name));
  return it == byName_.end() ? nullptr : it->second;
}

// ------------------------------------------------------------------ focus

void Form::moveFocus(Control* target) {
  Control* old = active_;
  active_ = target;
  ++focusSerial_;
  if (old) old->notify(Prop::Focus);
  if (target) {
    target->notify(Prop::Focus);
    target->entered();
  }
  notify(Prop::Focus);
}

bool Form::setFocus(Control& target) {
  if (target.form_ != this || &target == this || !target.canFocus()) return false;
  if (active_ == &target) return true;
  if (leavingDepth_ > 0) {
    // A handler of the move under way puts the user elsewhere: it wins.
    moveFocus(&target);
    return true;
  }
  Control* old = active_;
  if (old) {
    struct Depth {
      int& d;
      explicit Depth(int& depth) : d(depth) { ++d; }
      ~Depth() { --d; }
    } depth(leavingDepth_);
    for (Control* c = old; c && c != this && !c->contains(target); c = c->parent_) {
      c->leaving();
      if (c->OnExit) c->OnExit(*c);
      if (active_ != old) return active_ == &target;
    }
  }
  moveFocus(&target);
  std::vector<Control*> entering;
  for (Control* c = &target; c && c != this && !(old && c->contains(*old)); c = c->parent_) entering.push_back(c);
  const unsigned serial = focusSerial_;
  for (auto it = entering.rbegin(); it != entering.rend(); ++it) {
    if ((*it)->OnEnter) (*it)->OnEnter(**it);
    if (focusSerial_ != serial) break;
  }
  return active_ == &target;
}

namespace {

void tabOrder(const Control& c, std::vector<Control*>& out) {
  for (Control* child : c.children()) {
    if (child->focusable() && child->tabStop() && child->canFocus()) out.push_back(child);
    tabOrder(*child, out);
  }
}

}  // namespace

bool Form::focusNext(bool forward) {
  std::vector<Control*> order;
  tabOrder(*this, order);
  if (order.empty()) return false;
  const auto it = std::find(order.begin(), order.end(), active_);
  const long n = static_cast<long>(order.size());
  long i = it == order.end() ? (forward ? -1 : n) : it - order.begin();
  i = ((i + (forward ? 1 : -1)) % n + n) % n;
  return setFocus(*order[static_cast<size_t>(i)]);
}

Control* Form::pageFocusTarget() const {
  if (!active_) return nullptr;
  const PageControl* pages = nullptr;
  if (active_->kind() == ControlKind::PageControl) {
    pages = static_cast<const PageControl*>(active_);
  } else if (!active_->showing()) {
    // The outermost page control whose active page no longer holds the focus.
    for (const Control* c = active_; c->parent(); c = c->parent())
      if (c->kind() == ControlKind::TabSheet && c->parent()->kind() == ControlKind::PageControl &&
          static_cast<const PageControl*>(c->parent())->activePage() != c)
        pages = static_cast<const PageControl*>(c->parent());
  }
  if (!pages || !pages->activePage()) return nullptr;
  std::vector<Control*> order;
  tabOrder(*pages->activePage(), order);
  return order.empty() ? nullptr : order.front();
}

bool isUserFocusMove(FocusCause cause) { return cause == FocusCause::Click || cause == FocusCause::Shortcut; }

Field* Form::focusedField() const {
  if (!active_) return nullptr;
  if (auto* grid = dynamic_cast<DBGrid*>(active_)) return grid->selectedField();
  if (auto* link = dynamic_cast<FieldLink*>(active_)) return link->field();
  return nullptr;
}

bool Form::pressShortcut(std::string_view shortcut) {
  for (Control* c : order_) {
    if (c->kind() != ControlKind::MenuItem) continue;
    auto* item = static_cast<MenuItem*>(c);
    if (!item->shortcut().empty() && equalsIgnoreCase(item->shortcut(), shortcut) && item->click()) return true;
  }
  return false;
}

// ------------------------------------------------------------------ life cycle

void Form::create() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(*this);
}

void Form::show() {
  create();
  shown_ = true;
  activate();
}

void Form::activate() {
  if (OnActivate) OnActivate(*this);
}

CloseAction Form::close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  if (!canClose) return CloseAction::None;
  CloseAction action = CloseAction::Hide;
  if (OnClose) OnClose(*this, action);
  if (action == CloseAction::None) return action;
  shown_ = false;
  closed.emit(*this, action);
  return action;
}

}  // namespace platform
