#include "ui/qt/result_model.h"

#include "ui/qt/display_text.h"

namespace korvel::qt {

ResultModel::ResultModel(ListRows* rows, QObject* parent)
    : QAbstractTableModel(parent), own_(rows ? nullptr : std::make_unique<ListRows>()),
      rows_(rows ? rows : own_.get()) {
  rows_->SetListener(this);
  announced_ = rows_->Count();
  columns_ = rows_->ColumnCount();
}

ResultModel::~ResultModel() { rows_->SetListener(nullptr); }

void ResultModel::Flush() {
  const int count = rows_->Count();
  if (announced_ >= count) return;
  beginInsertRows(QModelIndex(), announced_, count - 1);
  announced_ = count;
  endInsertRows();
}

void ResultModel::RowsAppended(int, int) { ScheduleFlush(); }

void ResultModel::BeginRemoveRows(int first, int last) {
  Flush();
  changing_ = true;
  beginRemoveRows(QModelIndex(), first, last);
}

void ResultModel::EndRemoveRows() {
  announced_ = rows_->Count();
  endRemoveRows();
  changing_ = false;
  if (on_selection_changed) on_selection_changed();
}

void ResultModel::BeginReset() {
  changing_ = true;
  beginResetModel();
}

void ResultModel::EndReset() {
  announced_ = rows_->Count();
  columns_ = rows_->ColumnCount();
  endResetModel();
  changing_ = false;
  if (on_selection_changed) on_selection_changed();
}

void ResultModel::CellChanged(int row, int column) {
  if (row >= announced_) return;
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::ToolTipRole});
}

void ResultModel::SelectionChanged() {
  Flush();
  if (on_selection_changed) on_selection_changed();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : announced_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= announced_) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return DisplayText(CellView(index.row(), index.column()));
  return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < columns_)
    return DisplayText(rows_->Heading(section));
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ResultModel::ScheduleFlush() {
  if (flush_posted_) return;
  flush_posted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        flush_posted_ = false;
        Flush();
      },
      Qt::QueuedConnection);
}

}  // namespace korvel::qt
