#pragma once
// A one-line label for a path (SS_PATHELLIPSIS): a text wider than the
// label loses its middle to an ellipsis, so both ends stay readable.
#include <QLabel>

namespace korvel::qt {

class PathLabel : public QLabel {
  Q_OBJECT

 public:
  explicit PathLabel(QWidget* parent);
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString full_;
};

}  // namespace korvel::qt
