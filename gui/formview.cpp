#include "gui/formview.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCalendarWidget>
#include <QClipboard>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <optional>

#include "gui/gridmodel.h"
#include "platform/abort.h"
#include "platform/dataset.h"
#include "platform/datetime.h"
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
    case Qt::Key_Backspace:
      return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return vk::Return;
    case Qt::Key_Escape:
      return vk::Escape;
    case Qt::Key_PageUp:
      return vk::Prior;
    case Qt::Key_PageDown:
      return vk::Next;
    case Qt::Key_End:
      return vk::End;
    case Qt::Key_Home:
      return vk::Home;
    case Qt::Key_Left:
      return vk::Left;
    case Qt::Key_Up:
      return vk::Up;
    case Qt::Key_Right:
      return vk::Right;
    case Qt::Key_Down:
      return vk::Down;
    case Qt::Key_Insert:
      return vk::Insert;
    case Qt::Key_Delete:
      return vk::Delete;
    case Qt::Key_F1:
      return vk::F1;
    case Qt::Key_F2:
      return vk::F2;
    default:
      return std::nullopt;
  }
}

// Tab and Backtab reasons are the toolkit's own moves along its focus chain
// (a page hiding its focused list): the user's Tab keys reach the model as
// keys and never move the widget focus by themselves.
FocusCause focusCause(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::MouseFocusReason:
      return FocusCause::Click;
    case Qt::ShortcutFocusReason:
      return FocusCause::Shortcut;
    case Qt::ActiveWindowFocusReason:
      return FocusCause::WindowActivation;
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return FocusCause::MenuClosed;
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
      return FocusCause::PageHidden;
    default:
      return FocusCause::Program;
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

// Paints the cell under a grid's in-place editor as an input: the input's
// background, a frame, the text typed so far and a caret after it; every
// other cell as usual.
class EditorCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!index.data(kEditorCellRole).toBool()) {
      QStyledItemDelegate::paint(p, option, index);
      return;
    }
    const QPalette& pal = option.palette;
    const QRect cell = option.rect;
    const QRect text = cell.adjusted(4, 0, -4, 0);
    const QString typed = index.data(Qt::DisplayRole).toString();
    const auto align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    const QFontMetrics fm(option.font);
    const int width = std::min(fm.horizontalAdvance(typed), text.width());
    const int caret = (align & Qt::AlignRight) ? text.right() : text.left() + width;
    p->save();
    p->fillRect(cell, pal.color(QPalette::Base));
    p->setFont(option.font);
    p->setPen(pal.color(QPalette::Text));
    p->drawText(text, static_cast<int>(align | Qt::AlignVCenter), typed);
    p->drawLine(caret, cell.top() + 3, caret, cell.bottom() - 3);
    p->setPen(QPen(pal.color(QPalette::Highlight), 2));
    p->setBrush(Qt::NoBrush);
    p->drawRect(cell.adjusted(1, 1, -1, -1));
    p->restore();
  }
};

bool isEditKind(ControlKind k) {
  return k == ControlKind::Edit || k == ControlKind::MaskEdit || k == ControlKind::DateEdit || k == ControlKind::DBEdit;
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
  // F1 asks for the screen's help, wherever the focus is in it.
  auto* help = new QAction(this);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(help);
  QObject::connect(help, &QAction::triggered, this, [this] { form_.helpRequested.emit(form_); });
  // Ctrl+Tab and Ctrl+Shift+Tab turn the pages of the page control the
  // focus is in (the screen's main one from its filter). As shortcuts they
  // come before the document area's own use of Ctrl+Tab.
  const std::pair<QKeySequence, bool> turns[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), false},
                                                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), true},
                                                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), true}};
  for (const auto& [keys, back] : turns) {
    auto* turn = new QAction(this);
    turn->setShortcut(keys);
    turn->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(turn);
    QObject::connect(turn, &QAction::triggered, this, [this, back = back] {
      if (Control* from = form_.activeControl()) turnPage(*from, back);
    });
  }
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
  // A gesture that changed the page (a tab, a menu entry, Enter on a list)
  // takes the focus onto the page now showing.
  if (Control* target = form_.pageFocusTarget()) guarded([this, target] { form_.setFocus(*target); });
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
  std::vector<QWidget*> bottoms, rights, clients, sizables;
  bool anyClient = false;
  std::vector<QWidget*> lefts;
  for (Control* child : c.children()) {
    if (child->kind() == ControlKind::MenuItem) continue;
    QWidget* cw = build(*child, w);
    switch (child->align()) {
      case Align::Top:
        outer->addWidget(cw);
        break;
      case Align::Bottom:
        if (auto* p = dynamic_cast<const Panel*>(child); p && p->sizable())
          sizables.push_back(cw);
        else
          bottoms.push_back(cw);
        break;
      case Align::Left:
        lefts.push_back(cw);
        break;
      case Align::Right:
        rights.push_back(cw);
        break;
      case Align::Client:
        clients.push_back(cw);
        anyClient = true;
        break;
      case Align::None:
        if (kind == Layout::Grid) {
          if (!grid) grid = new QGridLayout;
          grid->addWidget(cw, placed / gridColumns, placed % gridColumns);
        } else {
          if (!rest)
            rest = kind == Layout::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout)
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
  if (grid) {
    // Labels and short inputs keep their size; the last column (a name
    // shown beside a code) takes the width left.
    grid->setColumnStretch(gridColumns - 1, 1);
    center->addLayout(grid);
  }
  for (QWidget* x : clients) center->addWidget(x, 1);
  if (!anyClient && (rest || grid) && kind != Layout::Horizontal) center->addStretch(1);
  middle->addLayout(center, 1);
  for (QWidget* x : rights) middle->addWidget(x);
  if (sizables.empty()) {
    outer->addLayout(middle, 1);
  } else {
    // The panels the user may size sit under the rest, across a splitter;
    // the rest keeps any room they give up.
    auto* splitter = new QSplitter(Qt::Vertical, w);
    splitter->setChildrenCollapsible(false);
    auto* rest = new QWidget(splitter);
    rest->setLayout(middle);
    middle->setContentsMargins(0, 0, 0, 0);
    splitter->addWidget(rest);
    splitter->setStretchFactor(0, 1);
    QList<int> sizes{1000};
    for (QWidget* x : sizables) {
      splitter->addWidget(x);
      splitter->setStretchFactor(splitter->indexOf(x), 0);
      // A few lines to start with.
      sizes.push_back(x->fontMetrics().lineSpacing() * 5 + 40);
    }
    splitter->setSizes(sizes);
    outer->addWidget(splitter, 1);
  }
  for (QWidget* x : bottoms) outer->addWidget(x);
}

QWidget* FormView::build(Control& c, QWidget* parent) {
  QWidget* w = nullptr;
  // What goes into the container's layout, when it is not w itself.
  QWidget* placed = nullptr;
  const ControlKind k = c.kind();
  if (k == ControlKind::Panel || k == ControlKind::TabSheet) {
    auto& p = static_cast<Panel&>(c);
    if (k == ControlKind::Panel && !p.caption().empty())
      w = new QGroupBox(qs(p.caption()), parent);
    else
      w = new QFrame(parent);
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
      // A code or a date is short: its input is sized for what it holds,
      // not stretched across the panel.
      int chars = 0;
      if (k == ControlKind::DateEdit)
        chars = 10;
      else if (k == ControlKind::MaskEdit)
        chars = static_cast<int>(static_cast<MaskEdit&>(c).editMask().size());
      if (chars == 0) chars = static_cast<Edit&>(c).maxLength();
      if (chars > 0 && chars <= 20)
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QString(chars + 2, QLatin1Char('0'))) + 12);
    }
    w = e;
    if (k == ControlKind::DateEdit) placed = buildDateBox(static_cast<DateEdit&>(c), e, parent);
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
    auto& grid = static_cast<DBGrid&>(c);
    if (!grid.legend().empty()) {
      // The grid and, under it, what its colours mean; the pair takes the
      // grid's place in its container.
      auto* box = new QWidget(parent);
      auto* column = new QVBoxLayout(box);
      column->setContentsMargins(0, 0, 0, 0);
      column->setSpacing(2);
      w = buildGrid(grid, box);
      column->addWidget(w, 1);
      column->addWidget(buildLegend(grid, box));
      placed = box;
    } else {
      w = buildGrid(grid, parent);
    }
  } else {
    w = new QFrame(parent);
  }
  w->setObjectName(qs(c.name()));
  widgets_[&c] = w;
  controls_[w] = &c;
  return placed ? placed : w;
}

QWidget* FormView::buildDateBox(DateEdit& date, QLineEdit* edit, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  row->addWidget(edit);
  auto* pick = new QToolButton(box);
  pick->setObjectName(qs(date.name()) + QStringLiteral("Calendario"));
  pick->setText(QStringLiteral("▾"));
  pick->setToolTip(QStringLiteral("Calendário (Alt+↓)"));
  pick->setFocusPolicy(Qt::NoFocus);
  row->addWidget(pick);
  auto* weekDay = new QLabel(box);
  weekDay->setObjectName(qs(date.name()) + QStringLiteral("DiaSemana"));
  // Room for the longest day name, so that the inputs beside do not move.
  int longest = 0;
  for (const std::string& name : date.weekDayNames())
    longest = std::max(longest, weekDay->fontMetrics().horizontalAdvance(qs(name)));
  weekDay->setMinimumWidth(longest + 6);
  row->addWidget(weekDay);
  dateParts_[&date] = {pick, weekDay};
  DateEdit* d = &date;
  QObject::connect(pick, &QToolButton::clicked, this, [this, d] { openCalendar(*d); });
  return box;
}

void FormView::openCalendar(DateEdit& date) {
  auto it = dateParts_.find(&date);
  if (it == dateParts_.end() || !it->second.pick->isEnabled()) return;
  QWidget* anchor = widgetFor(date);
  auto* calendar = new QCalendarWidget(this);
  calendar->setObjectName(QStringLiteral("calendario"));
  calendar->setWindowFlags(Qt::Popup);
  calendar->setAttribute(Qt::WA_DeleteOnClose);
  calendar->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
  calendar->setGridVisible(true);
  calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  if (const std::optional<DateTime> shown = date.date()) {
    const CivilDate c = decodeDate(*shown);
    calendar->setSelectedDate(QDate(c.year, c.month, c.day));
  }
  // The day chosen is typed into the input, as the user would type it.
  DateEdit* d = &date;
  const auto choose = [this, d, calendar](QDate day) {
    if (!calendar->isVisible()) return;
    calendar->close();
    // Back to the screen's window, whose input takes the date.
    activateWindow();
    const std::string typed = day.toString(QStringLiteral("ddMMyyyy")).toStdString();
    gesture([d, typed] { d->retype(typed); });
  };
  QObject::connect(calendar, &QCalendarWidget::clicked, this, choose);
  QObject::connect(calendar, &QCalendarWidget::activated, this, choose);
  calendar->move(anchor->mapToGlobal(QPoint(0, anchor->height())));
  calendar->show();
  calendar->setFocus(Qt::PopupFocusReason);
}

QWidget* FormView::buildLegend(const DBGrid& grid, QWidget* parent) {
  auto* legend = new QFrame(parent);
  legend->setObjectName(qs(grid.name()) + QStringLiteral("Legenda"));
  auto* row = new QHBoxLayout(legend);
  row->setContentsMargins(4, 0, 4, 0);
  row->setSpacing(14);
  auto* title = new QLabel(QStringLiteral("Cores:"), legend);
  row->addWidget(title);
  for (const LegendEntry& entry : grid.legend()) {
    auto* label = new QLabel(qs(entry.text), legend);
    if (entry.color) {
      QPalette pal = label->palette();
      pal.setColor(QPalette::WindowText, toQColor(*entry.color));
      label->setPalette(pal);
    }
    QFont f = label->font();
    f.setItalic(entry.italic);
    label->setFont(f);
    row->addWidget(label);
  }
  row->addStretch(1);
  return legend;
}

QWidget* FormView::buildGrid(DBGrid& grid, QWidget* parent) {
  auto* view = new QTableView(parent);
  auto* model = new GridModel(grid, view);
  // A grid at the foot of a page (the item's taxes) shows a few rows; the
  // page's main list takes the rest.
  if (grid.align() == Align::Bottom) view->setMaximumHeight(view->fontMetrics().height() * 9);
  view->setModel(model);
  view->setItemDelegate(new EditorCellDelegate(view));
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setTabKeyNavigation(false);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->installEventFilter(this);
  auto* ellipsis = new QToolButton(view->viewport());
  ellipsis->setText(QStringLiteral("…"));
  ellipsis->setFocusPolicy(Qt::NoFocus);
  ellipsis->hide();
  // Frozen columns: a second view over the same rows and selection, showing
  // only the first columns, laid over the grid's left side.
  auto* frozen = new QTableView(view);
  frozen->setModel(model);
  frozen->setItemDelegate(view->itemDelegate());
  frozen->setSelectionModel(view->selectionModel());
  frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen->verticalHeader()->hide();
  frozen->verticalHeader()->setDefaultSectionSize(view->verticalHeader()->defaultSectionSize());
  frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen->setFrameShape(QFrame::NoFrame);
  // A click on the frozen part is a click on the grid.
  frozen->setFocusPolicy(Qt::ClickFocus);
  frozen->setFocusProxy(view);
  frozen->hide();
  QObject::connect(frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, view->verticalScrollBar(),
                   &QAbstractSlider::setValue);
  QObject::connect(view->verticalScrollBar(), &QAbstractSlider::valueChanged, frozen->verticalScrollBar(),
                   &QAbstractSlider::setValue);
  // A list with nothing to show says so where its rows would be.
  auto* empty = new QLabel(qs(grid.emptyText()), view->viewport());
  empty->setObjectName(qs(grid.name()) + QStringLiteral("Vazia"));
  empty->setAlignment(Qt::AlignCenter);
  empty->setWordWrap(true);
  empty->setAttribute(Qt::WA_TransparentForMouseEvents);
  empty->setForegroundRole(QPalette::PlaceholderText);
  (new QVBoxLayout(view->viewport()))->addWidget(empty);
  empty->hide();
  DBGrid* g = &grid;
  grids_[&grid] = {view, model, ellipsis, frozen, empty};
  gridAreas_[view->viewport()] = g;
  view->viewport()->installEventFilter(this);
  QObject::connect(view->horizontalScrollBar(), &QAbstractSlider::rangeChanged, this, [this, g] { placeFrozen(*g); });
  QObject::connect(ellipsis, &QToolButton::clicked, this, [this, g] { gesture([g] { g->clickEditButton(); }); });
  // A width the user dragged is the user's from then on.
  QObject::connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, [this, g](int i, int, int) {
    if (!sizing_) userSized_.insert({g, i});
    placeFrozen(*g);
  });
  model->currentRowChanged = [this, g](int) { syncGrid(*g); };
  QObject::connect(model, &QAbstractItemModel::modelReset, this, [this, g] {
    // New rows (a reload, another sale): the columns fit what they show.
    sizeColumns(*g);
    syncGrid(*g);
  });
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
    syncTitle();
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
      if (&c == codeLabel()) {
        // The screen's code names the window rather than sitting loose
        // among the buttons.
        label->hide();
        syncTitle();
        break;
      }
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
        pal.setColor(QPalette::Base,
                     QApplication::palette().color(e.color() == clInfoBk ? QPalette::ToolTipBase : QPalette::Base));
        le->setPalette(pal);
        // Amounts line up on the right, as in the grids.
        if (auto* bound = dynamic_cast<DBEdit*>(&e); bound && bound->field())
          le->setAlignment(bound->field()->type() == FieldType::Float ? Qt::AlignRight | Qt::AlignVCenter
                                                                      : Qt::AlignLeft | Qt::AlignVCenter);
        if (auto parts = dateParts_.find(&c); parts != dateParts_.end()) {
          const QString weekDay = qs(static_cast<DateEdit&>(c).weekDayName());
          le->setToolTip(weekDay);
          parts->second.weekDay->setText(weekDay);
          parts->second.pick->setEnabled(e.editable() && c.effectiveEnabled());
        }
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

const Label* FormView::codeLabel() const { return dynamic_cast<const Label*>(form_.findControl("lblCodTela")); }

void FormView::syncTitle() {
  QString title = qs(form_.caption());
  if (const Label* code = codeLabel(); code && !code->caption().empty())
    title += QStringLiteral(" — ") + qs(code->caption());
  setWindowTitle(title);
}

void FormView::syncGrid(DBGrid& grid) {
  auto it = grids_.find(&grid);
  if (it == grids_.end()) return;
  auto [view, model, ellipsis, frozen, empty] = it->second;
  (void)frozen;
  const ClientDataSet* set = grid.dataSet();
  empty->setVisible(!grid.emptyText().empty() && set && set->active() && grid.rowCount() == 0);
  const bool was = syncing_;
  syncing_ = true;
  view->setSelectionBehavior(grid.options().rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  view->horizontalHeader()->setVisible(grid.options().titles);
  view->setShowGrid(grid.options().colLines || grid.options().rowLines);
  for (int i = 0; i < model->columnCount(); ++i)
    if (!sizedColumns_.count({&grid, i})) {
      sizeColumns(grid);
      break;
    }
  const int row = grid.currentRow();
  const int col = model->modelColumn(grid.selectedIndex());
  const QModelIndex cur = model->index(row, col < 0 ? 0 : col);
  if (row < 0 || !cur.isValid()) {
    view->selectionModel()->clearSelection();
    ellipsis->hide();
  } else {
    if (view->currentIndex() != cur) view->selectionModel()->setCurrentIndex(cur, QItemSelectionModel::ClearAndSelect);
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

void FormView::sizeColumns(DBGrid& grid) {
  const GridParts& parts = grids_.at(&grid);
  QTableView* view = parts.view;
  GridModel* model = parts.model;
  const QFontMetrics fm = view->fontMetrics();
  // Declared widths were measured in the classic 8-point screen font, whose
  // average character is 5 pixels wide; they grow with this font.
  const double scale = std::max(1.0, fm.averageCharWidth() / 5.0);
  const int padding = fm.averageCharWidth() * 2 + 6;
  // Enough rows to judge the texts by, without reading a long list.
  const int rows = std::min(model->rowCount(), 200);
  int used = 0;
  int widest = -1, widestWidth = 0;
  sizing_ = true;
  for (int i = 0; i < model->columnCount(); ++i) {
    const std::pair<const DBGrid*, int> key{&grid, i};
    if (userSized_.count(key)) {
      used += view->columnWidth(i);
      continue;
    }
    const Column& column = grid.column(model->gridColumn(i));
    int w = fm.horizontalAdvance(qs(column.title())) + padding;
    if (column.width() > 0) w = std::max(w, static_cast<int>(column.width() * scale));
    if (rows == 0) {
      // Nothing to measure yet: the field's display width stands in.
      const Field* field = column.field();
      const int chars = field ? std::min(field->displayWidth(), 40) : 10;
      w = std::max(w, fm.averageCharWidth() * chars + padding);
    }
    int content = 0;
    for (int r = 0; r < rows; ++r)
      content = std::max(content, fm.horizontalAdvance(model->data(model->index(r, i), Qt::DisplayRole).toString()));
    // A cell's text is shown whole (up to a line of 60 characters).
    w = std::max(w, std::min(content + padding, fm.averageCharWidth() * 60));
    // Data already shown keep their room: a column only grows (the room
    // handed out below is not the column's own).
    if (auto it = naturalWidths_.find(key); it != naturalWidths_.end()) w = std::max(w, it->second);
    naturalWidths_[key] = w;
    sizedColumns_.insert(key);
    view->setColumnWidth(i, w);
    used += w;
    const Field* field = column.field();
    const bool text = !field || field->alignment() == Alignment::Left;
    if (text && content > widestWidth) {
      widest = i;
      widestWidth = content;
    }
  }
  // Room left over goes to the widest text column, so that names and
  // descriptions show whole rather than leaving the grid's right side empty.
  const int room = view->viewport()->width() - used;
  if (widest >= 0 && room > 0 && view->isVisible()) view->setColumnWidth(widest, view->columnWidth(widest) + room);
  sizing_ = false;
  placeFrozen(grid);
}

void FormView::placeFrozen(DBGrid& grid) {
  const GridParts& parts = grids_.at(&grid);
  QTableView* view = parts.view;
  QTableView* frozen = parts.frozen;
  const int count = std::min(grid.options().frozenColumns, parts.model->columnCount());
  int width = 0;
  for (int i = 0; i < parts.model->columnCount(); ++i) {
    frozen->setColumnHidden(i, i >= count);
    if (i < count) {
      frozen->setColumnWidth(i, view->columnWidth(i));
      width += view->columnWidth(i);
    }
  }
  // Nothing to keep in view while every column shows.
  if (count == 0 || view->horizontalScrollBar()->maximum() == 0) {
    frozen->hide();
    return;
  }
  frozen->horizontalHeader()->setFixedHeight(view->horizontalHeader()->height());
  frozen->setGeometry(view->verticalHeader()->width() + view->frameWidth(), view->frameWidth(), width,
                      view->viewport()->height() + view->horizontalHeader()->height());
  frozen->verticalScrollBar()->setValue(view->verticalScrollBar()->value());
  frozen->show();
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
      if (grid)
        grid->pressKey(*k, s);
      else if (edit)
        edit->pressKey(*k, s);
    } else if (grid) {
      grid->typeText(utf8);
    } else if (edit) {
      edit->typeText(utf8);
    }
  };
  auto* edit = dynamic_cast<Edit*>(&c);
  const bool plain = (shift & (ssCtrl | ssAlt | ssShift)) == 0;
  // A paste (Ctrl+V, Shift+Insert) types the clipboard's text through the
  // model, as a scanner types a code: the control's keys and mask judge it.
  if (e->matches(QKeySequence::Paste)) {
    const std::string clip = QGuiApplication::clipboard()->text().toStdString();
    if (auto* grid = dynamic_cast<DBGrid*>(&c))
      gesture([&] { grid->paste(clip); });
    else if (edit)
      gesture([&] { edit->paste(clip); });
    return true;
  }
  // F2 or Alt+Down on an input with a look-up button beside it opens the
  // look-up; on a grid cell with one, Alt+Down opens it (F2 there opens the
  // cell's editor).
  if ((e->key() == Qt::Key_F2 && plain) || (e->key() == Qt::Key_Down && shift == ssAlt)) {
    if (auto* grid = dynamic_cast<DBGrid*>(&c); grid && e->key() == Qt::Key_Down) {
      const Column* column = grid->selectedColumn();
      if (column && column->buttonStyle() == ButtonStyle::Ellipsis) {
        gesture([grid] { grid->clickEditButton(); });
        return true;
      }
    }
    if (auto* date = dynamic_cast<DateEdit*>(&c)) {
      openCalendar(*date);
      return true;
    }
    for (Control* other : form_.controls())
      if (other->kind() == ControlKind::LookupButton && static_cast<LookupButton*>(other)->associate() == &c) {
        auto* button = static_cast<LookupButton*>(other);
        if (button->available()) gesture([button] { button->click(); });
        return true;
      }
  }
  // Enter in a one-line input moves on to the next one, as Tab does, when
  // the screen did nothing else with it.
  if (key == vk::Return && plain && edit && !isMemoKind(c.kind())) {
    gesture([&] {
      Control* before = form_.activeControl();
      edit->pressKey(vk::Return, shift);
      if (form_.activeControl() == before) form_.focusNext();
    });
    return true;
  }
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

void FormView::turnPage(Control& from, bool back) {
  PageControl* pages = nullptr;
  for (Control* p = from.parent(); p && !pages; p = p->parent())
    if (p->kind() == ControlKind::PageControl) pages = static_cast<PageControl*>(p);
  if (!pages)
    for (Control* c : form_.controls())
      if (c->kind() == ControlKind::PageControl && c->showing()) {
        pages = static_cast<PageControl*>(c);
        break;
      }
  if (!pages || pages->pageCount() == 0) return;
  const int n = pages->pageCount();
  const int at = std::max(pages->activePageIndex(), 0);
  for (int step = 1; step < n; ++step) {
    TabSheet* page = pages->page(((at + (back ? -step : step)) % n + n) % n);
    if (!page->enabled() || !page->visible()) continue;
    gesture([pages, page] { pages->userSelectPage(*page); });
    return;
  }
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  // A grid's rows' area given more or less room (a maximised window, the
  // row indicator appearing) spreads its columns again.
  if (event->type() == QEvent::Resize)
    if (auto area = gridAreas_.find(watched); area != gridAreas_.end() && !controls_.empty()) {
      sizeColumns(*area->second);
      return false;
    }
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
    case QEvent::Show:
      // A grid shown again fits its columns to the room it has now.
      if (c.kind() == ControlKind::DBGrid) sizeColumns(static_cast<DBGrid&>(c));
      return false;
    case QEvent::FocusIn: {
      if (syncing_ || form_.activeControl() == &c) return false;
      if (isUserFocusMove(focusCause(static_cast<QFocusEvent*>(event)->reason()))) {
        gesture([this, &c] { form_.setFocus(c); });
      } else {
        // The toolkit moved its focus on its own: once it is done, the
        // widget focus goes back to where the model has it.
        QTimer::singleShot(0, this, [this] {
          if (!controls_.empty()) syncFocus();
        });
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace gui
