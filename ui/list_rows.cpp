#include "ui/list_rows.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace korvel {
namespace {

constexpr unsigned kSlotBits = 20;  // 1 MiB
constexpr std::uint64_t kSlotSize = std::uint64_t{1} << kSlotBits;
constexpr std::uint64_t kArenaLimit = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kNoRoom = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kCompactFloor = std::size_t{1} << 20;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldAll(std::string text) {
  for (char& c : text) c = Fold(c);
  return text;
}

// `needle` is already folded.
bool ContainsFolded(std::string_view hay, std::string_view needle) {
  if (needle.size() > hay.size()) return false;
  const char first = needle[0];
  const std::size_t last = hay.size() - needle.size();
  for (std::size_t i = 0; i <= last; ++i) {
    if (Fold(hay[i]) != first) continue;
    std::size_t k = 1;
    while (k < needle.size() && Fold(hay[i + k]) == needle[k]) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

int CompareFolded(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Fold(a[i]));
    const auto y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

ListRows::ListRows() = default;
ListRows::~ListRows() = default;

std::string ListRows::Heading(int column) const {
  if (column < 0 || column >= ColumnCount()) return {};
  return headings_[static_cast<std::size_t>(column)];
}

int ListRows::Count() const {
  return static_cast<int>(Viewing() ? shown_.size() : stored_);
}

std::size_t ListRows::StoredIndex(int row) const {
  return Viewing() ? shown_[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

int ListRows::InsertColumn(int index, std::string heading) {
  const std::size_t old = headings_.size();
  const std::size_t at =
      (index < 0 || static_cast<std::size_t>(index) > old) ? old : static_cast<std::size_t>(index);
  if (listener_) listener_->BeginReset();
  headings_.insert(headings_.begin() + static_cast<std::ptrdiff_t>(at), std::move(heading));
  if (stored_ > 0) {
    std::vector<Span> wider(stored_ * headings_.size());
    for (std::size_t r = 0; r < stored_; ++r)
      for (std::size_t c = 0, d = 0; c < headings_.size(); ++c)
        if (c != at) wider[r * headings_.size() + c] = cells_[r * old + d++];
    cells_ = std::move(wider);
  }
  if (sortColumn_ >= static_cast<int>(at)) ++sortColumn_;
  if (listener_) listener_->EndReset();
  return static_cast<int>(at);
}

int ListRows::InsertRow(int row, std::string_view firstCell) {
  if (headings_.empty()) return -1;  // a report list without columns holds nothing
  Span first;
  if (!firstCell.empty()) {
    first.pos = Store(firstCell);
    if (first.pos == kNoRoom) return -1;
    first.length = static_cast<std::uint32_t>(firstCell.size());
  }
  const std::size_t cols = headings_.size();
  if (Viewing() || row < 0 || static_cast<std::size_t>(row) >= stored_) {
    cells_.resize(cells_.size() + cols);
    cells_[stored_ * cols] = first;
    selected_.push_back(false);
    const int before = Count();
    ++stored_;
    ShowNewRows(stored_ - 1);
    return Count() > before ? Count() - 1 : -1;
  }
  // In the middle, with no view order: the rows after it move down.
  if (listener_) listener_->BeginReset();
  const auto at = static_cast<std::size_t>(row);
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at * cols), cols, Span{});
  cells_[at * cols] = first;
  selected_.insert(selected_.begin() + static_cast<std::ptrdiff_t>(at), false);
  if (focused_ >= static_cast<std::ptrdiff_t>(at)) ++focused_;
  ++stored_;
  if (listener_) listener_->EndReset();
  return row;
}

bool ListRows::SetCell(int row, int column, std::string_view text) {
  if (row < 0 || row >= Count() || column < 0 || column >= ColumnCount()) return false;
  const std::size_t r = StoredIndex(row);
  const auto c = static_cast<std::size_t>(column);
  Span& cell = At(r, c);
  releasedBytes_ += cell.length;
  // Rows of one file share their location: reuse the bytes of the row above.
  if (r > 0 && !text.empty() && View(At(r - 1, c)) == text) {
    cell = At(r - 1, c);
  } else if (text.empty()) {
    cell = Span{};
  } else {
    const std::uint32_t pos = Store(text);
    if (pos == kNoRoom) return false;
    cell = Span{pos, static_cast<std::uint32_t>(text.size())};
  }
  if (listener_) listener_->CellChanged(row, column);
  CompactIfWasteful();
  return true;
}

std::string_view ListRows::Cell(int row, int column) const {
  if (row < 0 || row >= Count() || column < 0 || column >= ColumnCount()) return {};
  return View(At(StoredIndex(row), static_cast<std::size_t>(column)));
}

std::string_view ListRows::StoredCell(std::size_t stored, int column) const {
  if (stored >= stored_ || column < 0 || column >= ColumnCount()) return {};
  return View(At(stored, static_cast<std::size_t>(column)));
}

std::uint32_t ListRows::BeginGroup(std::string_view packed, std::string_view location) {
  groupLocation_ = location.empty() ? 0 : Store(location);
  groupLocationLength_ = static_cast<std::uint32_t>(location.size());
  const std::uint32_t base = packed.empty() ? 0 : Store(packed);
  if (groupLocation_ == kNoRoom || base == kNoRoom) groupLocation_ = kNoRoom;
  return base;
}

void ListRows::AddGroupRow(std::uint32_t pos, std::uint32_t length) {
  if (groupLocation_ == kNoRoom || headings_.empty()) return;
  const std::size_t cols = headings_.size();
  cells_.resize(cells_.size() + cols);
  Span* row = &cells_[stored_ * cols];
  row[0] = Span{length == 0 ? 0 : pos, length};
  if (cols > 1) row[cols - 1] = Span{groupLocation_, groupLocationLength_};
  ++stored_;
}

void ListRows::EndGroup(std::size_t count) {
  if (groupLocation_ == kNoRoom || headings_.empty()) return;
  selected_.resize(stored_, false);
  ShowNewRows(stored_ - count);
}

void ListRows::ShowNewRows(std::size_t firstStored) {
  if (firstStored >= stored_) return;
  if (!Viewing()) {
    if (listener_)
      listener_->RowsAppended(static_cast<int>(firstStored),
                              static_cast<int>(stored_ - firstStored));
    return;
  }
  if (order_ == SortOrder::Found) {
    const std::size_t before = shown_.size();
    for (std::size_t r = firstStored; r < stored_; ++r)
      if (Matches(r)) shown_.push_back(static_cast<std::uint32_t>(r));
    if (listener_ && shown_.size() > before)
      listener_->RowsAppended(static_cast<int>(before), static_cast<int>(shown_.size() - before));
    return;
  }
  // Sorted: the new rows merge into the order; later rows stay after equal ones.
  if (listener_) listener_->BeginReset();
  const auto mid = static_cast<std::ptrdiff_t>(sorted_.size());
  for (std::size_t r = firstStored; r < stored_; ++r) sorted_.push_back(static_cast<std::uint32_t>(r));
  auto less = [this](std::uint32_t a, std::uint32_t b) { return Less(a, b); };
  std::stable_sort(sorted_.begin() + mid, sorted_.end(), less);
  std::inplace_merge(sorted_.begin(), sorted_.begin() + mid, sorted_.end(), less);
  shown_.clear();
  for (std::uint32_t r : sorted_)
    if (Matches(r)) shown_.push_back(r);
  if (listener_) listener_->EndReset();
}

bool ListRows::Remove(int row) {
  if (row < 0 || row >= Count()) return false;
  if (listener_) listener_->BeginRemoveRows(row, row);
  std::vector<bool> doomed(stored_, false);
  doomed[StoredIndex(row)] = true;
  EraseStored(doomed);
  if (listener_) listener_->EndRemoveRows();
  CompactIfWasteful();
  return true;
}

int ListRows::RemoveSelected() {
  if (selectedCount_ == 0) return 0;
  // One contiguous run is announced as such; scattered rows reset the view.
  const int first = NextSelected(-1);
  int last = first;
  while (last + 1 < Count() && IsSelected(last + 1)) ++last;
  const auto removed = static_cast<int>(selectedCount_);
  const bool run = last - first + 1 == removed;
  const std::vector<bool> doomed = selected_;  // before a view can touch the selection
  if (listener_) run ? listener_->BeginRemoveRows(first, last) : listener_->BeginReset();
  EraseStored(doomed);
  if (listener_) run ? listener_->EndRemoveRows() : listener_->EndReset();
  CompactIfWasteful();
  return removed;
}

void ListRows::EraseStored(const std::vector<bool>& doomed) {
  const std::size_t cols = headings_.size();
  std::vector<std::uint32_t> newIndex(stored_);
  std::size_t kept = 0;
  std::ptrdiff_t focus = -1;
  for (std::size_t r = 0; r < stored_; ++r) {
    if (doomed[r]) {
      for (std::size_t c = 0; c < cols; ++c) releasedBytes_ += At(r, c).length;
      if (selected_[r]) --selectedCount_;
      continue;
    }
    if (kept != r) {
      std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(r * cols), cols,
                  cells_.begin() + static_cast<std::ptrdiff_t>(kept * cols));
      selected_[kept] = selected_[r];
    }
    if (static_cast<std::ptrdiff_t>(r) == focused_) focus = static_cast<std::ptrdiff_t>(kept);
    newIndex[r] = static_cast<std::uint32_t>(kept++);
  }
  auto renumber = [&](std::vector<std::uint32_t>& order) {
    std::size_t out = 0;
    for (std::uint32_t r : order)
      if (!doomed[r]) order[out++] = newIndex[r];
    order.resize(out);
  };
  renumber(shown_);
  renumber(sorted_);
  stored_ = kept;
  cells_.resize(kept * cols);
  selected_.resize(kept);
  focused_ = focus;
}

void ListRows::Clear() {
  if (listener_) listener_->BeginReset();
  cells_.clear();
  cells_.shrink_to_fit();
  stored_ = 0;
  selected_.clear();
  selected_.shrink_to_fit();
  selectedCount_ = 0;
  focused_ = -1;
  shown_.clear();
  sorted_.clear();
  ResetArena();
  if (listener_) listener_->EndReset();
}

void ListRows::Select(int row, bool selected) {
  if (row < 0 || row >= Count()) return;
  SelectFromView(row, row, selected);
  if (listener_) listener_->SelectionChanged();
}

void ListRows::SelectOnly(int row) {
  std::fill(selected_.begin(), selected_.end(), false);
  selectedCount_ = 0;
  focused_ = -1;
  if (row >= 0 && row < Count()) {
    selected_[StoredIndex(row)] = true;
    selectedCount_ = 1;
    focused_ = static_cast<std::ptrdiff_t>(StoredIndex(row));
  }
  if (listener_) listener_->SelectionChanged();
}

void ListRows::ClearSelection() { SelectOnly(-1); }

bool ListRows::IsSelected(int row) const {
  return row >= 0 && row < Count() && selected_[StoredIndex(row)];
}

int ListRows::NextSelected(int after) const {
  if (selectedCount_ == 0) return -1;
  for (int row = std::max(after + 1, 0); row < Count(); ++row)
    if (selected_[StoredIndex(row)]) return row;
  return -1;
}

int ListRows::Focused() const {
  if (focused_ < 0) return -1;
  if (!Viewing()) return static_cast<int>(focused_);
  const auto it = std::find(shown_.begin(), shown_.end(), static_cast<std::uint32_t>(focused_));
  return it == shown_.end() ? -1 : static_cast<int>(it - shown_.begin());
}

void ListRows::SetFocused(int row) {
  FocusFromView(row);
  if (listener_) listener_->SelectionChanged();
}

void ListRows::SelectFromView(int first, int last, bool selected) {
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  for (int row = first; row <= last; ++row) {
    auto bit = selected_[StoredIndex(row)];
    if (bit == selected) continue;
    bit = selected;
    selected ? ++selectedCount_ : --selectedCount_;
  }
}

void ListRows::FocusFromView(int row) {
  focused_ = (row >= 0 && row < Count()) ? static_cast<std::ptrdiff_t>(StoredIndex(row)) : -1;
}

bool ListRows::Matches(std::size_t stored) const {
  if (filter_.empty()) return true;
  for (std::size_t c = 0; c < headings_.size(); ++c) {
    const Span cell = At(stored, c);
    // Rows of one file share the location: its answer is the row above's.
    if (stored > 0 && cell.length > 0 && At(stored - 1, c).pos == cell.pos &&
        At(stored - 1, c).length == cell.length) {
      if (ContainsFolded(View(cell), filter_)) return true;
      continue;
    }
    if (cell.length > 0 && ContainsFolded(View(cell), filter_)) return true;
  }
  return false;
}

bool ListRows::Less(std::uint32_t a, std::uint32_t b) const {
  const auto c = static_cast<std::size_t>(sortColumn_);
  const Span x = At(a, c);
  const Span y = At(b, c);
  if (x.pos == y.pos && x.length == y.length) return false;
  const int order = CompareFolded(View(x), View(y));
  return order_ == SortOrder::Descending ? order > 0 : order < 0;
}

void ListRows::SetFilter(std::string text) {
  text = FoldAll(std::move(text));
  if (text == filter_) return;
  // A longer text shows a part of what is shown now: only those are searched.
  const bool narrowing = !filter_.empty() && text.find(filter_) != std::string::npos;
  if (listener_) listener_->BeginReset();
  filter_ = std::move(text);
  Rebuild(narrowing);
  DropHiddenSelection();
  if (listener_) listener_->EndReset();
}

void ListRows::SortBy(int column, SortOrder order) {
  if (column < 0 || column >= ColumnCount()) order = SortOrder::Found;
  if (listener_) listener_->BeginReset();
  sortColumn_ = order == SortOrder::Found ? -1 : column;
  order_ = order;
  sorted_.clear();
  if (order_ != SortOrder::Found) {
    sorted_.resize(stored_);
    for (std::size_t r = 0; r < stored_; ++r) sorted_[r] = static_cast<std::uint32_t>(r);
    std::stable_sort(sorted_.begin(), sorted_.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return Less(a, b); });
  }
  sorted_.shrink_to_fit();
  Rebuild(false);
  if (listener_) listener_->EndReset();
}

void ListRows::Rebuild(bool narrowing) {
  if (!Viewing()) {
    shown_.clear();
    shown_.shrink_to_fit();
    return;
  }
  if (narrowing) {
    std::erase_if(shown_, [this](std::uint32_t r) { return !Matches(r); });
    return;
  }
  shown_.clear();
  if (order_ != SortOrder::Found) {
    for (std::uint32_t r : sorted_)
      if (Matches(r)) shown_.push_back(r);
  } else {
    for (std::size_t r = 0; r < stored_; ++r)
      if (Matches(r)) shown_.push_back(static_cast<std::uint32_t>(r));
  }
}

void ListRows::DropHiddenSelection() {
  if (selectedCount_ == 0 && focused_ < 0) return;
  std::vector<bool> visible(stored_, !Viewing());
  for (std::uint32_t r : shown_) visible[r] = true;
  for (std::size_t r = 0; r < stored_; ++r)
    if (selected_[r] && !visible[r]) {
      selected_[r] = false;
      --selectedCount_;
    }
  if (focused_ >= 0 && !visible[static_cast<std::size_t>(focused_)]) focused_ = -1;
}

std::size_t ListRows::MemoryBytes() const {
  return arenaBytes_ + cells_.capacity() * sizeof(Span) + selected_.capacity() / 8 +
         (shown_.capacity() + sorted_.capacity()) * sizeof(std::uint32_t) +
         slots_.capacity() * sizeof(char*);
}

std::uint32_t ListRows::Store(std::string_view text) {
  const std::uint64_t length = text.size();
  const std::uint64_t room = slots_.size() * kSlotSize - used_;
  if (room < length) {
    // A fresh block from the next slot; a long text gets a block of its own size.
    const std::uint64_t slots = std::max<std::uint64_t>(1, (length + kSlotSize - 1) / kSlotSize);
    const std::uint64_t start = slots_.size() * kSlotSize;
    if (start + slots * kSlotSize > kArenaLimit) return kNoRoom;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(slots * kSlotSize));
    for (std::uint64_t i = 0; i < slots; ++i) slots_.push_back(blocks_.back().get() + i * kSlotSize);
    arenaBytes_ += slots * kSlotSize;
    used_ = start;
  }
  const auto pos = static_cast<std::uint32_t>(used_);
  std::memcpy(slots_[pos >> kSlotBits] + (pos & (kSlotSize - 1)), text.data(), text.size());
  used_ += length;
  return pos;
}

std::string_view ListRows::View(Span span) const {
  if (span.length == 0) return {};
  return {slots_[span.pos >> kSlotBits] + (span.pos & (kSlotSize - 1)), span.length};
}

void ListRows::ResetArena() {
  blocks_.clear();
  slots_.clear();
  used_ = 0;
  arenaBytes_ = 0;
  releasedBytes_ = 0;
}

void ListRows::CompactIfWasteful() {
  if (releasedBytes_ < kCompactFloor || releasedBytes_ * 2 < arenaBytes_) return;
  // Every live cell moves to fresh blocks; a cell that shared the bytes of
  // the one above shares again.
  std::vector<std::unique_ptr<char[]>> oldBlocks;
  std::vector<char*> oldSlots;
  oldBlocks.swap(blocks_);
  oldSlots.swap(slots_);
  ResetArena();
  const std::size_t cols = headings_.size();
  for (std::size_t c = 0; c < cols; ++c) {
    Span previousOld, previousNew;
    for (std::size_t r = 0; r < stored_; ++r) {
      Span& cell = At(r, c);
      if (cell.length == 0) continue;
      if (r > 0 && cell.pos == previousOld.pos && cell.length == previousOld.length) {
        cell = previousNew;
        continue;
      }
      previousOld = cell;
      const std::string_view text(oldSlots[cell.pos >> kSlotBits] + (cell.pos & (kSlotSize - 1)),
                                  cell.length);
      cell.pos = Store(text);  // never more than before, so there is room
      previousNew = cell;
    }
  }
}

}  // namespace korvel
