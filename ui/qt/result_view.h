#pragma once
// The report-style list: grid lines, whole rows selected, a store of rows
// (ui/list_rows.h) it shows and whose selection it keeps in step with the
// user's clicks, tooltips for cells too narrow for their text.
#include <QTableView>

#include "ui/list_rows.h"

namespace korvel::qt {

class ResultModel;

class ResultView : public QTableView {
  Q_OBJECT

 public:
  explicit ResultView(QWidget* parent = nullptr);

  ResultModel* Model() const { return model_; }
  // Shows `rows` from now on (the view starts with a store of its own).
  void SetRows(ListRows& rows);
  int SelectedRow() const;  // the first selected row, -1 when none
  void SetColumnWidth(int column, int pixels);
  // Tooltips with the full text of cells too narrow to show it.
  void SetInfoTips(bool on) { info_tips_ = on; }

 signals:
  // A double-click with the given button anywhere on the list.
  void DoubleClicked(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

 private:
  void AttachModel(ResultModel* model);
  // The store's selection and focus, copied into the view's.
  void ShowStoreSelection();

  ResultModel* model_ = nullptr;
  bool showing_ = false;
  bool info_tips_ = false;
};

}  // namespace korvel::qt
