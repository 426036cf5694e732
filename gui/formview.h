#pragma once
// FormView: the Qt rendering of any platform::Form. It builds one widget per
// control of the form's tree (containers laid out by their layout and align
// hints, page controls as tab widgets, menus in a menu bar, grids as table
// views over GridModel) and keeps both directions in step:
//
//   - model -> widget: every control's `changed` signal re-reads that
//     control's properties into its widget at once; the form's focus moves
//     the widget focus;
//   - widget -> model: keys typed into edits and grids go to the model's
//     typeText/pressKey (the model decides what is typed; the widget only
//     shows the result), clicks run click(), a tab click runs
//     userSelectPage, a widget taking the focus runs Form::setFocus.
//
// Every gesture runs through `guarded`: a SilentAbort thrown by a handler is
// swallowed there, a UserError (or any other error) is shown as an error
// box first; the model stays as the handler left it and the widget focus
// goes back to the model's active control.
//
// Controls added to the form after the view was built are not shown. The
// form must outlive the view.
//
// Thread-safety: none; the user-interface thread only.

#include <QWidget>

#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/dbcontrols.h"
#include "platform/form.h"

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;
class QMenu;
class QMenuBar;

namespace gui {

class GridModel;

// Runs one user gesture on the model at the boundary where it entered.
// False when it was aborted (SilentAbort, UserError or another error).
bool guarded(const std::function<void()>& gesture);

class FormView : public QWidget {
 public:
  explicit FormView(platform::Form& form, QWidget* parent = nullptr);
  ~FormView() override;

  platform::Form& form() const { return form_; }
  // The widget rendering a control (nullptr for menu items).
  QWidget* widgetFor(const platform::Control& c) const;
  // The action of a menu item.
  QAction* actionFor(const platform::MenuItem& item) const;
  QMenuBar* menuBar() const { return menuBar_; }
  // Stops following the form (no more signals either way), so that the
  // view may be deleted later than the form.
  void release();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* build(platform::Control& c, QWidget* parent);
  void layoutChildren(platform::Control& c, QWidget* w);
  void buildMenu(platform::MenuItem& item, QMenu* into);
  QWidget* buildGrid(platform::DBGrid& grid, QWidget* parent);
  // A date input with its calendar button and the day of the week beside.
  QWidget* buildDateBox(platform::DateEdit& date, QLineEdit* edit, QWidget* parent);
  // The calendar under a date input; the day chosen is typed into it.
  void openCalendar(platform::DateEdit& date);
  // A strip of the grid's legend entries, each in its colour and style.
  QWidget* buildLegend(const platform::DBGrid& grid, QWidget* parent);
  void observe(platform::Control& c);
  void sync(platform::Control& c, platform::Prop p);
  void syncGrid(platform::DBGrid& grid);
  // Fits each column to its title and to the texts of the rows shown (a
  // column only grows; one the user resized is left alone).
  void sizeColumns(platform::DBGrid& grid);
  // Lays the frozen columns' view over the grid (hidden while it does not
  // scroll sideways).
  void placeFrozen(platform::DBGrid& grid);
  void syncFocus();
  // The window's title: the form's caption and the screen's code (the base
  // screen's code label, which the view shows there instead).
  void syncTitle();
  const platform::Label* codeLabel() const;
  bool keyPressed(platform::Control& c, QKeyEvent* e);
  // The next (or previous) page the user may select, from a control inside
  // a page control or, outside any, the first one showing.
  void turnPage(platform::Control& from, bool back);
  void gesture(const std::function<void()>& g);

  platform::Form& form_;
  QMenuBar* menuBar_ = nullptr;
  std::unordered_map<const platform::Control*, QWidget*> widgets_;
  std::unordered_map<const QObject*, platform::Control*> controls_;
  std::unordered_map<const platform::Control*, QAction*> actions_;
  struct GridParts {
    QTableView* view;
    GridModel* model;
    QToolButton* ellipsis;
    QTableView* frozen;  // the frozen columns' view over the grid's left side
    QLabel* empty;       // the grid's empty text, over its rows' area
  };
  std::unordered_map<const platform::Control*, GridParts> grids_;
  // Each grid's rows' area (its viewport), whose resizes refit the columns.
  std::unordered_map<const QObject*, platform::DBGrid*> gridAreas_;
  struct DateParts {
    QToolButton* pick;  // opens the calendar
    QLabel* weekDay;
  };
  std::unordered_map<const platform::Control*, DateParts> dateParts_;
  // Grid columns already given a width, and those the user resized since.
  std::set<std::pair<const platform::DBGrid*, int>> sizedColumns_;
  std::set<std::pair<const platform::DBGrid*, int>> userSized_;
  std::map<std::pair<const platform::DBGrid*, int>, int> naturalWidths_;
  bool sizing_ = false;
  std::vector<std::pair<platform::Control*, std::uint64_t>> connections_;
  bool syncing_ = false;
};

}  // namespace gui
