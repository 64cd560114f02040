#pragma once
// The result list's rows as Qt's views see them: a table model over the
// layer's row store (ui/list_rows.h), which keeps the bytes, the selection
// and the view order. Text is decoded for display only when a view asks.
//
// Appends are announced to views in batches: the rows are stored at once (and
// every byte-level query sees them), while views learn about them at the next
// turn of the event loop or at the next other change, whichever comes first.
#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/list_rows.h"

namespace korvel::qt {

class ResultModel : public QAbstractTableModel, private ListRows::Listener {
  Q_OBJECT

 public:
  // Shows `rows`, or a store of its own when null.
  explicit ResultModel(ListRows* rows = nullptr, QObject* parent = nullptr);
  ~ResultModel() override;

  ListRows& Rows() { return *rows_; }
  const ListRows& Rows() const { return *rows_; }

  // Byte-level access to the rows shown, as the store gives it.
  int RowCount() const { return rows_->Count(); }
  int ColumnCount() const { return rows_->ColumnCount(); }
  int InsertColumn(int index, std::string heading) { return rows_->InsertColumn(index, std::move(heading)); }
  int InsertRow(int index, std::string_view first_cell) { return rows_->InsertRow(index, first_cell); }
  bool SetCell(int row, int column, std::string_view text) { return rows_->SetCell(row, column, text); }
  std::string Cell(int row, int column) const { return std::string(rows_->Cell(row, column)); }
  std::string_view CellView(int row, int column) const { return rows_->Cell(row, column); }
  std::string Heading(int column) const { return rows_->Heading(column); }
  bool RemoveRow(int row) { return rows_->Remove(row); }
  void RemoveAll() { rows_->Clear(); }

  // Tells the views about rows appended since the last call.
  void Flush();
  // The store changed its selection or focus; the view follows.
  std::function<void()> on_selection_changed;

  // Between the begin and the end of a change: the view's own selection
  // updates then say nothing about the user's choice.
  bool Changing() const { return changing_; }

  std::size_t StorageBytes() const { return rows_->MemoryBytes(); }

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // ListRows::Listener
  void RowsAppended(int first, int count) override;
  void BeginRemoveRows(int first, int last) override;
  void EndRemoveRows() override;
  void BeginReset() override;
  void EndReset() override;
  void CellChanged(int row, int column) override;
  void SelectionChanged() override;

  void ScheduleFlush();

  std::unique_ptr<ListRows> own_;
  ListRows* rows_;
  int announced_ = 0;  // rows the views know of
  int columns_ = 0;    // columns the views know of
  bool flush_posted_ = false;
  bool changing_ = false;
};

}  // namespace korvel::qt
