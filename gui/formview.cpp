#include "gui/formview.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <optional>

#include "gui/gridmodel.h"
#include "platform/abort.h"
#include "platform/dataset.h"
#include "platform/dbcontrols.h"
#include "platform/format.h"
#include "platform/uiservice.h"

namespace gui {

using namespace platform;

bool guarded(const std::function<void()>& gesture) {
  try {
    gesture();
    return true;
  } catch (const SilentAbort&) {
  } catch (const UserError& e) {
    ui().showMessage(e.what(), MsgKind::Error, MsgButtons::Ok);
  } catch (const std::exception& e) {
    // Letting an exception cross Qt's event loop would end the program;
    // the user sees what failed and the model stays as it was left.
    ui().showMessage(e.what(), MsgKind::Error, MsgButtons::Ok);
  }
  return false;
}

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

ShiftState shiftOf(Qt::KeyboardModifiers m) {
  ShiftState s = ssNone;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (m & Qt::AltModifier) s |= ssAlt;
  return s;
}

// The model's key code of a Qt key that does not type a character.
std::optional<int> vkOf(int key) {
  switch (key) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_F1: return vk::F1;
    case Qt::Key_F2: return vk::F2;
    default: return std::nullopt;
  }
}

// A caption for a toolbar button that has none: its hint, else its name
// without the component prefix.
QString buttonText(const Button& b) {
  if (!b.caption().empty()) return qs(b.caption());
  // A look-up button beside its field is the classic ellipsis.
  if (b.kind() == ControlKind::LookupButton) return QStringLiteral("…");
  if (!b.hint().empty()) return qs(b.hint());
  std::string n = b.name();
  if (n.size() > 3) n = n.substr(3);
  return qs(n);
}

bool isEditKind(ControlKind k) {
  return k == ControlKind::Edit || k == ControlKind::MaskEdit || k == ControlKind::DateEdit ||
         k == ControlKind::DBEdit;
}
bool isMemoKind(ControlKind k) { return k == ControlKind::Memo || k == ControlKind::DBMemo; }

}  // namespace

FormView::FormView(Form& form, QWidget* parent) : QWidget(parent), form_(form) {
  widgets_[&form_] = this;
  controls_[this] = &form_;
  menuBar_ = new QMenuBar(this);
  for (Control* c : form_.children())
    if (c->kind() == ControlKind::MenuItem) buildMenu(static_cast<MenuItem&>(*c), nullptr);
  layoutChildren(form_, this);
  layout()->setMenuBar(menuBar_);
  menuBar_->setVisible(!menuBar_->actions().isEmpty());
  for (Control* c : form_.controls()) {
    observe(*c);
    sync(*c, Prop::Enabled);
  }
  observe(form_);
  sync(form_, Prop::Caption);
  syncFocus();
}

FormView::~FormView() { release(); }

void FormView::release() {
  for (auto& [c, id] : connections_) c->changed.disconnect(id);
  connections_.clear();
  for (auto& [c, parts] : grids_) parts.model->release();
  // Widgets stay, but nothing they do reaches the form any more.
  controls_.clear();
  QObject::disconnect(this, nullptr, nullptr, nullptr);
  for (QObject* o : findChildren<QObject*>()) QObject::disconnect(o, nullptr, this, nullptr);
}

QWidget* FormView::widgetFor(const Control& c) const {
  auto it = widgets_.find(&c);
  return it == widgets_.end() ? nullptr : it->second;
}

QAction* FormView::actionFor(const MenuItem& item) const {
  auto it = actions_.find(&item);
  return it == actions_.end() ? nullptr : it->second;
}

void FormView::observe(Control& c) {
  connections_.emplace_back(&c, c.changed.connect([this](Control& src, Prop p) { sync(src, p); }));
}

void FormView::gesture(const std::function<void()>& g) {
  guarded(g);
  syncFocus();
}

// ---------------------------------------------------------------- building

void FormView::buildMenu(MenuItem& item, QMenu* into) {
  QAction* action = nullptr;
  if (!item.children().empty()) {
    QMenu* menu = into ? into->addMenu(qs(item.caption())) : menuBar_->addMenu(qs(item.caption()));
    for (Control* c : item.children())
      if (c->kind() == ControlKind::MenuItem) buildMenu(static_cast<MenuItem&>(*c), menu);
    action = menu->menuAction();
  } else {
    action = into ? into->addAction(qs(item.caption())) : menuBar_->addAction(qs(item.caption()));
    // Shortcuts act while the focus is inside this form only, so that two
    // open screens do not compete for them.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    MenuItem* m = &item;
    QObject::connect(action, &QAction::triggered, this, [this, m, action] {
      gesture([m] { m->click(); });
      action->setChecked(m->checked());
    });
  }
  actions_[&item] = action;
}

void FormView::layoutChildren(Control& c, QWidget* w) {
  // The classic alignment: top and bottom controls span the width, left and
  // right ones the height between them, the client control fills the rest;
  // unaligned controls flow by the container's layout beside the client.
  auto* outer = new QVBoxLayout(w);
  outer->setContentsMargins(2, 2, 2, 2);
  outer->setSpacing(2);
  auto* middle = new QHBoxLayout;
  QBoxLayout* rest = nullptr;
  QGridLayout* grid = nullptr;
  const Panel* panel = dynamic_cast<const Panel*>(&c);
  const Layout kind = panel ? panel->layout() : Layout::Vertical;
  const int gridColumns = panel && panel->gridColumns() > 0 ? panel->gridColumns() : 2;
  int placed = 0;
  std::vector<QWidget*> bottoms, rights, clients;
  bool anyClient = false;
  std::vector<QWidget*> lefts;
  for (Control* child : c.children()) {
    if (child->kind() == ControlKind::MenuItem) continue;
    QWidget* cw = build(*child, w);
    switch (child->align()) {
      case Align::Top: outer->addWidget(cw); break;
      case Align::Bottom: bottoms.push_back(cw); break;
      case Align::Left: lefts.push_back(cw); break;
      case Align::Right: rights.push_back(cw); break;
      case Align::Client: clients.push_back(cw); anyClient = true; break;
      case Align::None:
        if (kind == Layout::Grid) {
          if (!grid) grid = new QGridLayout;
          grid->addWidget(cw, placed / gridColumns, placed % gridColumns);
        } else {
          if (!rest) rest = kind == Layout::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                                       : static_cast<QBoxLayout*>(new QVBoxLayout);
          rest->addWidget(cw);
        }
        ++placed;
        break;
    }
  }
  for (QWidget* x : lefts) middle->addWidget(x);
  auto* center = new QVBoxLayout;
  if (rest) {
    rest->addStretch(anyClient ? 0 : 1);
    center->addLayout(rest);
  }
  if (grid) center->addLayout(grid);
  for (QWidget* x : clients) center->addWidget(x, 1);
  if (!anyClient && (rest || grid) && kind != Layout::Horizontal) center->addStretch(1);
  middle->addLayout(center, 1);
  for (QWidget* x : rights) middle->addWidget(x);
  outer->addLayout(middle, 1);
  for (QWidget* x : bottoms) outer->addWidget(x);
}

QWidget* FormView::build(Control& c, QWidget* parent) {
  QWidget* w = nullptr;
  const ControlKind k = c.kind();
  if (k == ControlKind::Panel || k == ControlKind::TabSheet) {
    auto& p = static_cast<Panel&>(c);
    if (k == ControlKind::Panel && !p.caption().empty()) w = new QGroupBox(qs(p.caption()), parent);
    else w = new QFrame(parent);
    layoutChildren(c, w);
  } else if (k == ControlKind::PageControl) {
    auto& pc = static_cast<PageControl&>(c);
    auto* tabs = new QTabWidget(parent);
    tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    for (TabSheet* page : pc.pages()) tabs->addTab(build(*page, tabs), qs(page->caption()));
    PageControl* model = &pc;
    QObject::connect(tabs, &QTabWidget::currentChanged, this, [this, model, tabs](int i) {
      if (syncing_) return;
      TabSheet* page = model->page(i);
      if (page) gesture([model, page] { model->userSelectPage(*page); });
      sync(*model, Prop::ActivePage);  // a refused change shows the page still active
      (void)tabs;
    });
    w = tabs;
  } else if (k == ControlKind::Label || k == ControlKind::DBText) {
    w = new QLabel(parent);
  } else if (isEditKind(k) || k == ControlKind::NumberBox) {
    auto* e = new QLineEdit(parent);
    if (k == ControlKind::NumberBox) {
      auto* n = static_cast<NumberBox*>(&c);
      e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 22);
      QObject::connect(e, &QLineEdit::editingFinished, this, [this, n, e] {
        if (syncing_ || n->readOnly()) return;
        if (auto v = parseNumber(e->text().toStdString())) gesture([n, v] { n->setValue(*v); });
        sync(*n, Prop::Value);
      });
    } else {
      e->installEventFilter(this);
    }
    w = e;
  } else if (isMemoKind(k)) {
    auto* m = new QPlainTextEdit(parent);
    // A memo at the foot of a page keeps a few lines; the list above it
    // takes the rest.
    if (c.align() == Align::Bottom) m->setMaximumHeight(m->fontMetrics().lineSpacing() * 4 + 12);
    m->installEventFilter(this);
    w = m;
  } else if (k == ControlKind::Button || k == ControlKind::LookupButton) {
    auto* b = new QToolButton(parent);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A caption is never cut: the window grows rather than the button.
    b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    auto* model = static_cast<Button*>(&c);
    QObject::connect(b, &QToolButton::clicked, this, [this, model] { gesture([model] { model->click(); }); });
    w = b;
  } else if (k == ControlKind::DBNavigator) {
    auto* nav = static_cast<DBNavigator*>(&c);
    w = new QFrame(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    const std::pair<NavButton, const char*> buttons[] = {
        {NavButton::First, "|◀"}, {NavButton::Prior, "◀"}, {NavButton::Next, "▶"}, {NavButton::Last, "▶|"}};
    const char* hints[] = {"Primeiro", "Anterior", "Próximo", "Último"};
    int i = 0;
    for (auto [b, text] : buttons) {
      auto* tb = new QToolButton(w);
      tb->setText(QString::fromUtf8(text));
      tb->setToolTip(QString::fromUtf8(hints[i++]));
      tb->setFocusPolicy(Qt::NoFocus);
      tb->setObjectName(QString::number(static_cast<int>(b)));
      QObject::connect(tb, &QToolButton::clicked, this, [this, nav, b = b] { gesture([nav, b] { nav->click(b); }); });
      row->addWidget(tb);
    }
    row->addStretch(1);
  } else if (k == ControlKind::DBGrid) {
    w = buildGrid(static_cast<DBGrid&>(c), parent);
  } else {
    w = new QFrame(parent);
  }
  w->setObjectName(qs(c.name()));
  widgets_[&c] = w;
  controls_[w] = &c;
  return w;
}

QWidget* FormView::buildGrid(DBGrid& grid, QWidget* parent) {
  auto* view = new QTableView(parent);
  auto* model = new GridModel(grid, view);
  // A grid at the foot of a page (the item's taxes) shows a few rows; the
  // page's main list takes the rest.
  if (grid.align() == Align::Bottom) view->setMaximumHeight(view->fontMetrics().height() * 9);
  view->setModel(model);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setTabKeyNavigation(false);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->installEventFilter(this);
  auto* ellipsis = new QToolButton(view->viewport());
  ellipsis->setText(QStringLiteral("…"));
  ellipsis->setFocusPolicy(Qt::NoFocus);
  ellipsis->hide();
  DBGrid* g = &grid;
  grids_[&grid] = {view, model, ellipsis};
  QObject::connect(ellipsis, &QToolButton::clicked, this, [this, g] { gesture([g] { g->clickEditButton(); }); });
  model->currentRowChanged = [this, g](int) { syncGrid(*g); };
  QObject::connect(model, &QAbstractItemModel::modelReset, this, [this, g] { syncGrid(*g); });
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                   [this, g, model](const QModelIndex& cur, const QModelIndex&) {
                     if (syncing_ || !cur.isValid()) return;
                     gesture([g, model, cur] {
                       g->setFocus();
                       ClientDataSet* ds = g->dataSet();
                       const int row = g->currentRow();
                       if (ds && row >= 0 && cur.row() != row) ds->moveBy(cur.row() - row);
                       const int col = model->gridColumn(cur.column());
                       if (col >= 0 && col != g->selectedIndex()) g->selectColumnAt(col);
                     });
                     syncGrid(*g);
                   });
  return view;
}

// ---------------------------------------------------------------- model -> widget

void FormView::sync(Control& c, Prop p) {
  if (p == Prop::Focus) {
    syncFocus();
    return;
  }
  QWidget* w = widgetFor(c);
  const ControlKind k = c.kind();
  if (k == ControlKind::MenuItem) {
    auto& m = static_cast<MenuItem&>(c);
    QAction* a = actionFor(m);
    if (!a) return;
    a->setText(qs(m.caption()));
    a->setSeparator(m.isSeparator());
    a->setEnabled(m.enabled());
    a->setVisible(m.visible());
    a->setToolTip(qs(m.hint()));
    if (!m.children().empty()) return;
    a->setShortcut(QKeySequence::fromString(qs(m.shortcut())));
    a->setCheckable(m.checked() || a->isCheckable());
    a->setChecked(m.checked());
    return;
  }
  if (!w) return;
  const bool was = syncing_;
  syncing_ = true;
  if (k == ControlKind::Form) {
    setWindowTitle(qs(form_.caption()));
    setEnabled(c.enabled());
    syncing_ = was;
    return;
  }
  w->setEnabled(c.enabled());
  w->setToolTip(qs(c.hint()));
  if (k == ControlKind::TabSheet) {
    auto& page = static_cast<TabSheet&>(c);
    if (PageControl* pc = page.pageControl()) {
      auto* tabs = static_cast<QTabWidget*>(widgetFor(*pc));
      const int i = tabs->indexOf(w);
      tabs->setTabText(i, qs(page.caption()));
      tabs->setTabEnabled(i, page.enabled());
      tabs->setTabVisible(i, page.visible());
      tabs->setTabToolTip(i, qs(page.hint()));
    }
  } else {
    w->setVisible(c.visible());
  }
  switch (k) {
    case ControlKind::Panel:
      if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(qs(static_cast<Panel&>(c).caption()));
      break;
    case ControlKind::PageControl: {
      auto& pc = static_cast<PageControl&>(c);
      auto* tabs = static_cast<QTabWidget*>(w);
      if (pc.activePage()) tabs->setCurrentWidget(widgetFor(*pc.activePage()));
      break;
    }
    case ControlKind::Label: {
      auto& l = static_cast<Label&>(c);
      auto* label = static_cast<QLabel*>(w);
      label->setText(qs(l.caption()));
      QFont f = label->font();
      f.setBold(l.bold());
      label->setFont(f);
      break;
    }
    case ControlKind::DBText:
      static_cast<QLabel*>(w)->setText(qs(static_cast<DBText&>(c).text()));
      break;
    case ControlKind::NumberBox: {
      auto& n = static_cast<NumberBox&>(c);
      auto* e = static_cast<QLineEdit*>(w);
      e->setText(qs(n.text()));
      e->setReadOnly(n.readOnly());
      break;
    }
    case ControlKind::Button:
    case ControlKind::LookupButton: {
      auto& b = static_cast<Button&>(c);
      auto* tb = static_cast<QToolButton*>(w);
      tb->setText(buttonText(b));
      tb->setToolTip(qs(b.hint()));
      tb->setEnabled(b.available());
      break;
    }
    case ControlKind::DBNavigator: {
      auto& nav = static_cast<DBNavigator&>(c);
      for (auto* tb : w->findChildren<QToolButton*>())
        tb->setEnabled(nav.buttonEnabled(static_cast<NavButton>(tb->objectName().toInt())));
      break;
    }
    case ControlKind::DBGrid:
      syncGrid(static_cast<DBGrid&>(c));
      break;
    default:
      if (isEditKind(k)) {
        auto& e = static_cast<Edit&>(c);
        auto* le = static_cast<QLineEdit*>(w);
        const QString text = qs(e.displayText());
        if (le->text() != text) le->setText(text);
        le->setReadOnly(!e.editable());
        QPalette pal = le->palette();
        std::optional<Color> color;
        if (k == ControlKind::DateEdit) color = static_cast<DateEdit&>(c).fontColor();
        pal.setColor(QPalette::Text, color ? toQColor(*color) : QApplication::palette().color(QPalette::Text));
        // Mandatory inputs are painted in the tool-tip background, as the
        // classic screens did.
        pal.setColor(QPalette::Base, QApplication::palette().color(e.color() == clInfoBk ? QPalette::ToolTipBase
                                                                                         : QPalette::Base));
        le->setPalette(pal);
        // Amounts line up on the right, as in the grids.
        if (auto* bound = dynamic_cast<DBEdit*>(&e); bound && bound->field())
          le->setAlignment(bound->field()->type() == FieldType::Float ? Qt::AlignRight | Qt::AlignVCenter
                                                                      : Qt::AlignLeft | Qt::AlignVCenter);
        if (k == ControlKind::DateEdit) le->setToolTip(qs(static_cast<DateEdit&>(c).weekDayName()));
      } else if (isMemoKind(k)) {
        auto& e = static_cast<Edit&>(c);
        auto* m = static_cast<QPlainTextEdit*>(w);
        const QString text = qs(e.displayText());
        if (m->toPlainText() != text) {
          m->setPlainText(text);
          m->moveCursor(QTextCursor::End);
        }
        m->setReadOnly(!e.editable());
      }
      break;
  }
  syncing_ = was;
}

void FormView::syncGrid(DBGrid& grid) {
  auto it = grids_.find(&grid);
  if (it == grids_.end()) return;
  auto [view, model, ellipsis] = it->second;
  const bool was = syncing_;
  syncing_ = true;
  view->setSelectionBehavior(grid.options().rowSelect ? QAbstractItemView::SelectRows
                                                      : QAbstractItemView::SelectItems);
  view->horizontalHeader()->setVisible(grid.options().titles);
  view->setShowGrid(grid.options().colLines || grid.options().rowLines);
  // Each column is sized once; after that the width is the user's.
  for (int i = 0; i < model->columnCount(); ++i) {
    if (sizedColumns_.count({&grid, i})) continue;
    sizedColumns_.insert({&grid, i});
    const Column& column = grid.column(model->gridColumn(i));
    const QFontMetrics fm = view->fontMetrics();
    const int title = fm.horizontalAdvance(qs(column.title())) + 12;
    int w = 0;
    if (column.width() > 0) {
      // Declared widths were measured in the classic 8-point screen font,
      // whose average character is 5 pixels wide; they grow with this
      // font, and still show the whole title.
      const double scale = std::max(1.0, fm.averageCharWidth() / 5.0);
      w = std::max(static_cast<int>(column.width() * scale), title);
    } else {
      // Unsized columns take the room of their title and of the field's
      // display width (capped).
      const Field* field = column.field();
      const int chars = field ? std::min(field->displayWidth(), 40) : 10;
      w = std::max(title, fm.averageCharWidth() * chars + 12);
    }
    view->setColumnWidth(i, w);
  }
  const int row = grid.currentRow();
  const int col = model->modelColumn(grid.selectedIndex());
  const QModelIndex cur = model->index(row, col < 0 ? 0 : col);
  if (row < 0 || !cur.isValid()) {
    view->selectionModel()->clearSelection();
    ellipsis->hide();
  } else {
    if (view->currentIndex() != cur)
      view->selectionModel()->setCurrentIndex(cur, QItemSelectionModel::ClearAndSelect);
    const Column* column = grid.selectedColumn();
    if (column && column->buttonStyle() == ButtonStyle::Ellipsis && grid.effectiveEnabled()) {
      const QRect r = view->visualRect(cur);
      ellipsis->setGeometry(r.right() - r.height() + 1, r.top(), r.height(), r.height());
      ellipsis->show();
    } else {
      ellipsis->hide();
    }
  }
  syncing_ = was;
}

void FormView::syncFocus() {
  Control* active = form_.activeControl();
  if (!active) return;
  QWidget* w = widgetFor(*active);
  if (!w || w->hasFocus()) return;
  const bool was = syncing_;
  syncing_ = true;
  w->setFocus(Qt::OtherFocusReason);
  syncing_ = was;
}

// ---------------------------------------------------------------- widget -> model

bool FormView::keyPressed(Control& c, QKeyEvent* e) {
  const ShiftState shift = shiftOf(e->modifiers());
  const std::optional<int> key = vkOf(e->key());
  const QString text = e->text();
  auto typeOrPress = [&c](const std::string& utf8, std::optional<int> k, ShiftState s) {
    auto* grid = dynamic_cast<DBGrid*>(&c);
    auto* edit = dynamic_cast<Edit*>(&c);
    if (k) {
      if (grid) grid->pressKey(*k, s);
      else if (edit) edit->pressKey(*k, s);
    } else if (grid) {
      grid->typeText(utf8);
    } else if (edit) {
      edit->typeText(utf8);
    }
  };
  if (key) {
    gesture([&] { typeOrPress({}, key, e->key() == Qt::Key_Backtab ? (shift | ssShift) : shift); });
  } else if ((shift & (ssCtrl | ssAlt)) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) {
    gesture([&] { typeOrPress({}, static_cast<int>(e->key()), shift); });
  } else if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F) {
    const std::string utf8 = text.toStdString();
    gesture([&] { typeOrPress(utf8, std::nullopt, shift); });
  }
  // The model owns the text: nothing reaches the widget's own editing.
  return true;
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  auto it = controls_.find(watched);
  if (it == controls_.end()) return QWidget::eventFilter(watched, event);
  Control& c = *it->second;
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Let Ctrl and Alt combinations reach the form's menu shortcuts
      // instead of the edit's own (select all, undo...).
      auto* ke = static_cast<QKeyEvent*>(event);
      if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        event->ignore();
        return true;
      }
      return false;
    }
    case QEvent::KeyPress:
      return keyPressed(c, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
      if (!syncing_ && form_.activeControl() != &c) gesture([this, &c] { form_.setFocus(c); });
      return false;
    default:
      return false;
  }
}

}  // namespace gui
