#pragma once
// The report-style list: grid lines, whole rows selected one at a time,
// fixed columns whose headers do nothing when clicked, tooltips for cells
// too narrow for their text.
#include <QTableView>

namespace korvel::qt {

class ResultModel;

class ResultView : public QTableView {
  Q_OBJECT

 public:
  explicit ResultView(QWidget* parent = nullptr);

  ResultModel* Model() const { return model_; }
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
  ResultModel* model_;
  bool info_tips_ = false;
};

}  // namespace korvel::qt
