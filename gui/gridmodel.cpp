#include "gui/gridmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "platform/dataset.h"
#include "platform/field.h"

namespace gui {

using platform::Prop;

QColor toQColor(platform::Color c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

GridModel::GridModel(platform::DBGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  conn_ = grid_.changed.connect([this](platform::Control&, Prop p) { gridChanged(p); });
  attach();
  reset();
}

GridModel::~GridModel() { release(); }

void GridModel::release() {
  if (released_) return;
  beginResetModel();
  grid_.changed.disconnect(conn_);
  detach();
  released_ = true;
  columns_.clear();
  rows_ = 0;
  current_ = -1;
  endResetModel();
}

void GridModel::attach() {
  source_ = grid_.dataSource();
  if (source_) source_->addListener(this);
}

void GridModel::detach() {
  if (source_) source_->removeListener(this);
  source_ = nullptr;
}

void GridModel::gridChanged(Prop p) {
  switch (p) {
    case Prop::DataSource:
      detach();
      attach();
      reset();
      break;
    case Prop::Columns:
      reset();
      break;
    case Prop::EditorMode:
    case Prop::Text:
    case Prop::SelectedColumn:
      repaintRow(current_);
      break;
    default:
      break;
  }
}

void GridModel::reset() {
  if (released_) return;
  beginResetModel();
  columns_.clear();
  for (int i = 0; i < grid_.columnCount(); ++i)
    if (grid_.column(i).visible()) columns_.push_back(i);
  rows_ = grid_.rowCount();
  endResetModel();
  moved();
}

void GridModel::repaintRow(int row) {
  if (row < 0 || row >= rows_ || columns_.empty()) return;
  Q_EMIT dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

void GridModel::moved() {
  const int old = current_;
  current_ = grid_.currentRow();
  repaintRow(old);
  if (current_ != old) repaintRow(current_);
  if (currentRowChanged) currentRowChanged(current_);
}

void GridModel::syncRows() {
  if (released_) return;
  // Starting an insertion adds the new row at the current place; deleting
  // the current row or dropping the row being inserted removes the row that
  // was current. Those are told as such; any other change of the row count
  // shows everything again.
  const int now = grid_.rowCount();
  const int at = grid_.currentRow();
  if (now == rows_ + 1 && at >= 0 && at <= rows_) {
    beginInsertRows({}, at, at);
    rows_ = now;
    endInsertRows();
  } else if (now == rows_ - 1 && current_ >= 0 && current_ < rows_) {
    beginRemoveRows({}, current_, current_);
    rows_ = now;
    current_ = -1;
    endRemoveRows();
  } else if (now != rows_) {
    reset();
    return;
  }
  moved();
}

int GridModel::gridColumn(int modelColumn) const {
  if (modelColumn < 0 || modelColumn >= static_cast<int>(columns_.size())) return -1;
  return columns_[static_cast<size_t>(modelColumn)];
}

int GridModel::modelColumn(int gridColumn) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i] == gridColumn) return static_cast<int>(i);
  return -1;
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (released_ || !index.isValid() || index.row() >= grid_.rowCount()) return {};
  const int col = gridColumn(index.column());
  if (col < 0) return {};
  switch (role) {
    case Qt::DisplayRole: {
      const platform::CellPaint paint = grid_.drawCell(index.row(), col);
      return QString::fromStdString(paint.text);
    }
    case Qt::ForegroundRole: {
      const platform::CellPaint paint = grid_.drawCell(index.row(), col);
      if (paint.fontColor) return QBrush(toQColor(*paint.fontColor));
      return {};
    }
    case kEditorCellRole:
      return grid_.drawCell(index.row(), col).editorCell;
    case Qt::FontRole: {
      if (!grid_.drawCell(index.row(), col).italic) return {};
      QFont italic;
      italic.setItalic(true);
      return italic;
    }
    case Qt::ToolTipRole: {
      const platform::CellPaint paint = grid_.drawCell(index.row(), col);
      if (paint.hint.empty()) return {};
      return QString::fromStdString(paint.hint);
    }
    case Qt::BackgroundRole:
      // The whole current row stands out, not the current cell alone.
      if (index.row() == current_) return QBrush(QColor(0xDD, 0xE8, 0xF6));
      return {};
    case Qt::TextAlignmentRole: {
      const platform::Field* f = grid_.column(col).field();
      if (f && f->alignment() == platform::Alignment::Right)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      if (f && f->alignment() == platform::Alignment::Center)
        return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) {
    if (role == Qt::DisplayRole && grid_.options().indicator)
      return section == current_ ? QStringLiteral("▶") : QString();
    return {};
  }
  const int col = gridColumn(section);
  if (col < 0) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(grid_.column(col).title());
  if (role == Qt::TextAlignmentRole) {
    // A number's title sits over its right-aligned figures, unless the
    // column asks for another place.
    const platform::Field* f = grid_.column(col).field();
    if (grid_.column(col).titleAlignment() == platform::Alignment::Left && f &&
        f->alignment() == platform::Alignment::Right)
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    switch (grid_.column(col).titleAlignment()) {
      case platform::Alignment::Right:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      case platform::Alignment::Center:
        return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
      case platform::Alignment::Left:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
  return {};
}

}  // namespace gui
