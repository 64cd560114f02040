#include "ui/qt/result_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "ui/qt/result_model.h"

namespace korvel::qt {
namespace {

// Whole rows are selected, so no single cell shows a focus frame.
class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
  }
};

}  // namespace

ResultView::ResultView(QWidget* parent) : QTableView(parent) {
  AttachModel(new ResultModel(nullptr, this));
  setItemDelegate(new RowDelegate(this));
  setShowGrid(true);
  setSelectionBehavior(SelectRows);
  setSelectionMode(SingleSelection);
  setEditTriggers(NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setTabKeyNavigation(false);  // Tab leaves the list for the next control
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerItem);
  setCornerButtonEnabled(false);
  setAlternatingRowColors(false);

  QHeaderView* rows = verticalHeader();
  rows->hide();
  // One fixed height for every row keeps a million rows cheap to lay out.
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 3);
  rows->setMinimumSectionSize(1);

  QHeaderView* columns = horizontalHeader();
  columns->setSectionsClickable(false);
  columns->setSectionsMovable(false);
  columns->setHighlightSections(false);
  columns->setSortIndicatorShown(false);
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ResultView::SetRows(ListRows& rows) { AttachModel(new ResultModel(&rows, this)); }

void ResultView::AttachModel(ResultModel* model) {
  ResultModel* old = model_;
  model_ = model;
  setModel(model_);
  delete old;
  model_->on_selection_changed = [this] { ShowStoreSelection(); };
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            if (showing_ || model_->Changing()) return;
            for (const QItemSelectionRange& range : deselected)
              model_->Rows().SelectFromView(range.top(), range.bottom(), false);
            for (const QItemSelectionRange& range : selected)
              model_->Rows().SelectFromView(range.top(), range.bottom(), true);
          });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (showing_ || model_->Changing()) return;
            model_->Rows().FocusFromView(current.isValid() ? current.row() : -1);
          });
}

void ResultView::ShowStoreSelection() {
  if (!selectionModel()) return;
  showing_ = true;
  const ListRows& rows = model_->Rows();
  QItemSelection selection;
  const int last_column = std::max(0, model_->columnCount() - 1);
  for (int row = rows.NextSelected(-1); row >= 0;) {
    int end = row;
    while (end + 1 < model_->rowCount() && rows.IsSelected(end + 1)) ++end;
    if (row < model_->rowCount())
      selection.select(model_->index(row, 0),
                       model_->index(std::min(end, model_->rowCount() - 1), last_column));
    row = rows.NextSelected(end);
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  const int focused = rows.Focused();
  selectionModel()->setCurrentIndex(focused >= 0 && focused < model_->rowCount()
                                        ? model_->index(focused, 0)
                                        : QModelIndex(),
                                    QItemSelectionModel::NoUpdate);
  showing_ = false;
}

int ResultView::SelectedRow() const {
  if (!selectionModel()) return -1;
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedIndexes())
    if (first < 0 || index.row() < first) first = index.row();
  return first;
}

void ResultView::SetColumnWidth(int column, int pixels) {
  horizontalHeader()->resizeSection(column, pixels);
}

void ResultView::mousePressEvent(QMouseEvent* event) {
  model_->Flush();
  // A press on empty space clears the selection, as in a report list; a
  // right press selects the row under the pointer like a left one.
  if (!indexAt(event->position().toPoint()).isValid() && selectionModel())
    selectionModel()->clearSelection();
  QTableView::mousePressEvent(event);
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  const Qt::MouseButton button = event->button();
  if (button == Qt::LeftButton || button == Qt::RightButton) emit DoubleClicked(button);
}

void ResultView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  // Qt would select the next row in place of a removed current one; a
  // report list leaves no row selected, so a second Remove Item removes
  // nothing.
  const QModelIndex current = currentIndex();
  if (current.isValid() && current.row() >= start && current.row() <= end)
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  QTableView::rowsAboutToBeRemoved(parent, start, end);
}

bool ResultView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    if (!info_tips_) {
      event->ignore();
      return true;
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    if (index.isValid()) {
      const QString text = model_->data(index, Qt::DisplayRole).toString();
      const QRect cell = visualRect(index);
      // The item delegate keeps a margin on both sides of the text.
      const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
      if (fontMetrics().horizontalAdvance(text) + 2 * margin > cell.width()) {
        QToolTip::showText(help->globalPos(), text.left(4096), viewport(), cell);
        return true;
      }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  return QTableView::viewportEvent(event);
}

}  // namespace korvel::qt
