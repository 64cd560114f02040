#pragma once
// The rows of the result list, kept as the bytes the sweeps delivered.
//
// A sweep can add a million rows, so the cells are not QStrings: every text
// lives once in a block arena and a row is a few offsets into it. Rows of one
// file repeat the same location, so a cell equal to the one above it shares
// its bytes. Text is decoded for display only when the view asks for it.
//
// Appends are announced to views in batches: the rows are stored at once (and
// every byte-level query sees them), while views learn about them at the next
// turn of the event loop or at the next other change, whichever comes first.
#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::qt {

class ResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultModel(QObject* parent = nullptr);
  ~ResultModel() override;

  // Byte-level access, as the list control's operations need it. Row and
  // column indices are 0-based; out-of-range indices are refused.
  int RowCount() const { return static_cast<int>(row_count_); }
  int ColumnCount() const { return static_cast<int>(headings_.size()); }
  int InsertColumn(int index, std::string heading);
  int InsertRow(int index, std::string_view first_cell);
  bool SetCell(int row, int column, std::string_view text);
  std::string Cell(int row, int column) const;
  std::string_view CellView(int row, int column) const;
  std::string Heading(int column) const;
  bool RemoveRow(int row);
  void RemoveAll();

  // Tells the views about rows appended since the last call.
  void Flush();

  // Bytes held by the arena and the cell table (for the benchmark).
  std::size_t StorageBytes() const;

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Span {
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };

  Span Store(std::string_view text);
  std::string_view View(const Span& span) const;
  Span& At(std::size_t row, std::size_t column) { return cells_[row * headings_.size() + column]; }
  const Span& At(std::size_t row, std::size_t column) const {
    return cells_[row * headings_.size() + column];
  }
  void Release(const Span& span);
  void CompactIfWasteful();
  void ScheduleFlush();

  std::vector<std::string> headings_;
  std::vector<Span> cells_;    // row-major, ColumnCount() spans a row
  std::size_t row_count_ = 0;  // rows stored
  std::size_t announced_ = 0;  // rows the views know of
  bool flush_posted_ = false;

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::uint32_t> block_sizes_;
  std::uint32_t used_in_last_ = 0;  // bytes used in blocks_.back()
  std::size_t arena_bytes_ = 0;
  std::size_t released_bytes_ = 0;  // upper bound on the unreferenced bytes
};

}  // namespace korvel::qt
