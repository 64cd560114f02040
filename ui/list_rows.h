#pragma once
// The rows of a report list, kept once for every backend: the cells, the
// selection, the focused row and the view order (a filter and a sort). A
// backend only shows what the store gives it; the store tells it of each
// change through a Listener, before and after, as a view model needs.
//
// A sweep can add a million rows, so a cell is not a string: every text
// lives in a block arena and a cell is 8 bytes into it. Rows of one file
// share their location's bytes. Row indices in the interface are the rows
// shown, in the order shown, unless a name says "stored".
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

enum class SortOrder { Found, Ascending, Descending };

class ListRows {
 public:
  // Calls come in pairs around a change (Begin*/End*) so that a view model
  // sees the rows as they were until the change is done.
  class Listener {
   public:
    virtual ~Listener() = default;
    // Rows were appended at the end of the rows shown (first..first+count-1).
    virtual void RowsAppended(int /*first*/, int /*count*/) {}
    virtual void BeginRemoveRows(int /*first*/, int /*last*/) {}
    virtual void EndRemoveRows() {}
    // Everything shown changes (filter, sort, clear, columns).
    virtual void BeginReset() {}
    virtual void EndReset() {}
    virtual void CellChanged(int /*row*/, int /*column*/) {}
    // The selection or the focused row changed by a call of the program.
    virtual void SelectionChanged() {}
  };

  ListRows();
  ~ListRows();
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  void SetListener(Listener* listener) { listener_ = listener; }

  int InsertColumn(int index, std::string heading);
  int ColumnCount() const { return static_cast<int>(headings_.size()); }
  std::string Heading(int column) const;

  int Count() const;  // rows shown
  int TotalCount() const { return static_cast<int>(stored_); }

  // A row whose first cell is `firstCell`, at `row` (past the end appends).
  // While a filter or sort is on, it joins the stored rows at the end and
  // shows where the view order puts it; returns that place, or -1 when
  // hidden or the list has no columns.
  int InsertRow(int row, std::string_view firstCell);
  bool SetCell(int row, int column, std::string_view text);
  std::string_view Cell(int row, int column) const;
  std::string_view StoredCell(std::size_t stored, int column) const;
  std::size_t StoredIndex(int row) const;

  // Rows of one file at once: the first cells are `firsts`, views into
  // `packed` (the first cells end to end), the last column is `location` on
  // each. `packed` is copied in one piece and the location once.
  template <class Views>
  void AppendGroup(std::string_view packed, const Views& firsts, std::string_view location) {
    const std::uint32_t base = BeginGroup(packed, location);
    std::size_t n = 0;
    for (std::string_view first : firsts) {
      AddGroupRow(base + static_cast<std::uint32_t>(first.data() - packed.data()),
                  static_cast<std::uint32_t>(first.size()));
      ++n;
    }
    EndGroup(n);
  }

  bool Remove(int row);
  // Removes every selected row shown; returns how many.
  int RemoveSelected();
  void Clear();

  // Selection and focus, on rows shown.
  void Select(int row, bool selected);
  void SelectOnly(int row);  // and focuses it; -1 clears the selection
  void ClearSelection();
  bool IsSelected(int row) const;
  int NextSelected(int after) const;  // -1 when none
  int SelectedCount() const { return static_cast<int>(selectedCount_); }
  int Focused() const;  // -1 when no row shown has the focus
  void SetFocused(int row);
  // Changes from the view (the user's clicks): no SelectionChanged back.
  void SelectFromView(int first, int last, bool selected);
  void FocusFromView(int row);

  // Shows only rows with `text` in a cell (ASCII letters in any case);
  // empty shows every row. Hidden rows lose their selection.
  void SetFilter(std::string text);
  const std::string& Filter() const { return filter_; }
  // Stable; SortOrder::Found returns to the order the rows came in.
  void SortBy(int column, SortOrder order);
  int SortColumn() const { return sortColumn_; }
  SortOrder Order() const { return order_; }

  // Bytes held by the arena, the cells and the view (for the benchmark).
  std::size_t MemoryBytes() const;

 private:
  struct Span {
    std::uint32_t pos = 0;  // in the arena's address space
    std::uint32_t length = 0;
  };

  std::uint32_t Store(std::string_view text);
  std::string_view View(Span span) const;
  Span& At(std::size_t stored, std::size_t column) { return cells_[stored * headings_.size() + column]; }
  const Span& At(std::size_t stored, std::size_t column) const {
    return cells_[stored * headings_.size() + column];
  }
  std::uint32_t BeginGroup(std::string_view packed, std::string_view location);
  void AddGroupRow(std::uint32_t pos, std::uint32_t length);
  void EndGroup(std::size_t count);
  bool Viewing() const { return !filter_.empty() || order_ != SortOrder::Found; }
  bool Matches(std::size_t stored) const;
  bool Less(std::uint32_t a, std::uint32_t b) const;
  // The view order from scratch (or from the rows shown when `narrowing`).
  void Rebuild(bool narrowing);
  void ShowNewRows(std::size_t firstStored);
  void EraseStored(const std::vector<bool>& doomed);
  void DropHiddenSelection();
  void CompactIfWasteful();
  void ResetArena();

  Listener* listener_ = nullptr;
  std::vector<std::string> headings_;
  std::vector<Span> cells_;  // row-major, in stored (found) order
  std::size_t stored_ = 0;
  std::vector<bool> selected_;  // by stored row
  std::size_t selectedCount_ = 0;
  std::ptrdiff_t focused_ = -1;  // stored row

  std::string filter_;  // ASCII lower case
  int sortColumn_ = -1;
  SortOrder order_ = SortOrder::Found;
  std::vector<std::uint32_t> shown_;   // shown -> stored, while Viewing()
  std::vector<std::uint32_t> sorted_;  // every stored row in sort order, while sorted

  // Arena: 1 MiB slots; a text longer than a slot takes consecutive ones.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<char*> slots_;
  std::uint64_t used_ = 0;  // next free position
  std::size_t arenaBytes_ = 0;
  std::size_t releasedBytes_ = 0;
  std::uint32_t groupLocation_ = 0;
  std::uint32_t groupLocationLength_ = 0;
};

}  // namespace korvel
