#include "ui/qt/path_label.h"

#include <QFontMetrics>

namespace korvel::qt {

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
}

void PathLabel::SetFullText(const QString& text) {
  full_ = text;
  Elide();
}

void PathLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void PathLabel::Elide() {
  const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, contentsRect().width());
  if (shown != text()) setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace korvel::qt
