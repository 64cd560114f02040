#include "ui/qt/result_model.h"

#include <algorithm>
#include <cstring>

#include "ui/qt/display_text.h"

namespace korvel::qt {
namespace {

constexpr std::uint32_t kBlockSize = 1u << 20;   // texts live in 1 MiB blocks
constexpr std::size_t kCompactFloor = 1u << 20;  // waste worth a compaction

}  // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultModel::~ResultModel() = default;

int ResultModel::InsertColumn(int index, std::string heading) {
  Flush();
  const auto old_cols = headings_.size();
  const auto at = (index < 0 || static_cast<std::size_t>(index) > old_cols)
                      ? old_cols
                      : static_cast<std::size_t>(index);
  beginInsertColumns(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
  headings_.insert(headings_.begin() + static_cast<std::ptrdiff_t>(at), std::move(heading));
  if (row_count_ > 0) {
    std::vector<Span> wider(row_count_ * headings_.size());
    for (std::size_t r = 0; r < row_count_; ++r) {
      for (std::size_t c = 0, d = 0; c < headings_.size(); ++c) {
        if (c == at) continue;
        wider[r * headings_.size() + c] = cells_[r * old_cols + d++];
      }
    }
    cells_ = std::move(wider);
  }
  endInsertColumns();
  return static_cast<int>(at);
}

int ResultModel::InsertRow(int index, std::string_view first_cell) {
  if (headings_.empty()) return -1;  // a report list without columns holds nothing
  const std::size_t cols = headings_.size();
  const std::size_t at = (index < 0 || static_cast<std::size_t>(index) > row_count_)
                             ? row_count_
                             : static_cast<std::size_t>(index);
  std::vector<Span> row(cols);
  if (!first_cell.empty()) row[0] = Store(first_cell);
  if (at == row_count_) {
    cells_.insert(cells_.end(), row.begin(), row.end());
    ++row_count_;
    ScheduleFlush();
  } else {
    Flush();
    beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at * cols), row.begin(), row.end());
    ++row_count_;
    ++announced_;
    endInsertRows();
  }
  return static_cast<int>(at);
}

bool ResultModel::SetCell(int row, int column, std::string_view text) {
  if (row < 0 || static_cast<std::size_t>(row) >= row_count_ || column < 0 ||
      static_cast<std::size_t>(column) >= headings_.size())
    return false;
  const auto r = static_cast<std::size_t>(row);
  const auto c = static_cast<std::size_t>(column);
  Release(At(r, c));
  // Rows of one file share their location: reuse the bytes of the cell above.
  if (r > 0 && !text.empty() && View(At(r - 1, c)) == text) {
    At(r, c) = At(r - 1, c);
  } else {
    At(r, c) = text.empty() ? Span{} : Store(text);
  }
  if (r < announced_) {
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::ToolTipRole});
  }
  CompactIfWasteful();
  return true;
}

std::string ResultModel::Cell(int row, int column) const {
  return std::string(CellView(row, column));
}

std::string_view ResultModel::CellView(int row, int column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= row_count_ || column < 0 ||
      static_cast<std::size_t>(column) >= headings_.size())
    return {};
  return View(At(static_cast<std::size_t>(row), static_cast<std::size_t>(column)));
}

std::string ResultModel::Heading(int column) const {
  if (column < 0 || static_cast<std::size_t>(column) >= headings_.size()) return {};
  return headings_[static_cast<std::size_t>(column)];
}

bool ResultModel::RemoveRow(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= row_count_) return false;
  Flush();
  const std::size_t cols = headings_.size();
  const auto r = static_cast<std::size_t>(row);
  beginRemoveRows(QModelIndex(), row, row);
  for (std::size_t c = 0; c < cols; ++c) Release(At(r, c));
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(r * cols);
  cells_.erase(first, first + static_cast<std::ptrdiff_t>(cols));
  --row_count_;
  --announced_;
  endRemoveRows();
  CompactIfWasteful();
  return true;
}

void ResultModel::RemoveAll() {
  beginResetModel();
  cells_.clear();
  cells_.shrink_to_fit();
  row_count_ = 0;
  announced_ = 0;
  blocks_.clear();
  block_sizes_.clear();
  used_in_last_ = 0;
  arena_bytes_ = 0;
  released_bytes_ = 0;
  endResetModel();
}

void ResultModel::Flush() {
  if (announced_ >= row_count_) return;
  beginInsertRows(QModelIndex(), static_cast<int>(announced_), static_cast<int>(row_count_ - 1));
  announced_ = row_count_;
  endInsertRows();
}

std::size_t ResultModel::StorageBytes() const {
  return arena_bytes_ + cells_.capacity() * sizeof(Span);
}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(announced_);
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= announced_) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return DisplayText(CellView(index.row(), index.column()));
  return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      static_cast<std::size_t>(section) < headings_.size())
    return DisplayText(headings_[static_cast<std::size_t>(section)]);
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

ResultModel::Span ResultModel::Store(std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  if (blocks_.empty() || kBlockSize - used_in_last_ < length) {
    // A text larger than a block gets a block of its own size.
    const std::uint32_t size = std::max(kBlockSize, length);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    block_sizes_.push_back(size);
    used_in_last_ = 0;
    arena_bytes_ += size;
  }
  Span span{static_cast<std::uint32_t>(blocks_.size() - 1), used_in_last_, length};
  std::memcpy(blocks_.back().get() + used_in_last_, text.data(), length);
  used_in_last_ += length;
  return span;
}

std::string_view ResultModel::View(const Span& span) const {
  if (span.length == 0) return {};
  return {blocks_[span.block].get() + span.offset, span.length};
}

void ResultModel::Release(const Span& span) { released_bytes_ += span.length; }

void ResultModel::CompactIfWasteful() {
  if (released_bytes_ < kCompactFloor || released_bytes_ * 2 < arena_bytes_) return;
  // Copy every live cell into fresh blocks; cells equal to the one above
  // share again.
  std::vector<std::unique_ptr<char[]>> old_blocks;
  old_blocks.swap(blocks_);
  block_sizes_.clear();
  used_in_last_ = 0;
  arena_bytes_ = 0;
  released_bytes_ = 0;
  const std::size_t cols = headings_.size();
  std::vector<Span> old_cells;
  old_cells.swap(cells_);
  cells_.resize(old_cells.size());
  auto old_view = [&](const Span& s) -> std::string_view {
    return s.length == 0 ? std::string_view{}
                         : std::string_view{old_blocks[s.block].get() + s.offset, s.length};
  };
  for (std::size_t r = 0; r < row_count_; ++r) {
    for (std::size_t c = 0; c < cols; ++c) {
      const std::string_view text = old_view(old_cells[r * cols + c]);
      if (text.empty()) continue;
      if (r > 0 && View(cells_[(r - 1) * cols + c]) == text)
        cells_[r * cols + c] = cells_[(r - 1) * cols + c];
      else
        cells_[r * cols + c] = Store(text);
    }
  }
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
