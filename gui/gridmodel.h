#pragma once
// GridModel: a Qt item model over a DBGrid and the record set behind it, for
// any item view. Columns are the grid's visible columns; rows are the record
// set's view rows (the posted rows plus a row being inserted). Cell texts and
// font colours come from DBGrid::drawCell, which reads each row in place and
// runs the grid's drawing rule, so painting never moves the cursor.
//
// The model follows the grid: column changes, a reload or a re-pointed data
// source reset it; an insertion or deletion of one row is announced as such;
// a changed or re-selected row repaints. `currentRowChanged` tells the view
// which row to show as current. It holds no widgets.
//
// Thread-safety: none; the user-interface thread only.

#include <QAbstractTableModel>

#include <functional>
#include <vector>

#include "platform/dbcontrols.h"

namespace gui {

// A cell's data under this role is true for the cell under the grid's
// in-place editor.
inline constexpr int kEditorCellRole = Qt::UserRole + 1;

class GridModel : public QAbstractTableModel, private platform::DataSetListener {
 public:
  explicit GridModel(platform::DBGrid& grid, QObject* parent = nullptr);
  ~GridModel() override;

  platform::DBGrid& grid() const { return grid_; }
  // Lets go of the grid and its data source and shows nothing from now on,
  // for a view that is deleted later than the form it showed may be.
  void release();
  // The grid's column index of a model column, and back (-1 when hidden).
  int gridColumn(int modelColumn) const;
  int modelColumn(int gridColumn) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Called with the record set's current view row whenever it may have moved.
  std::function<void(int row)> currentRowChanged;

 private:
  void gridChanged(platform::Prop p);
  void attach();
  void detach();
  void reset();
  void repaintRow(int row);
  void moved();
  void syncRows();
  // DataSetListener.
  void stateChanged(platform::DataSource&) override { syncRows(); }
  void dataSetChanged(platform::DataSource&) override { reset(); }
  void recordMoved(platform::DataSource&) override { syncRows(); }
  void recordChanged(platform::DataSource&, platform::Field*) override { syncRows(); }
  void dataSourceDestroyed(platform::DataSource&) override { source_ = nullptr; }

  platform::DBGrid& grid_;
  platform::DataSource* source_ = nullptr;
  platform::Signal<platform::Control&, platform::Prop>::Id conn_ = 0;
  std::vector<int> columns_;  // visible grid columns, in order
  int rows_ = 0;
  int current_ = -1;
  bool released_ = false;
};

// 0xBBGGRR as the model stores colours, to Qt's colour.
QColor toQColor(platform::Color c);

}  // namespace gui
