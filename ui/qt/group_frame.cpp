#include "ui/qt/group_frame.h"

#include <QPainter>
#include <QStyle>

namespace korvel::qt {

GroupFrame::GroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
  setFocusPolicy(Qt::NoFocus);
}

void GroupFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const int top = metrics.height() / 2;
  const QRect frame = rect().adjusted(0, top, -1, -1);
  // Etched: a shadow line with a light line one pixel below and right of it.
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame.adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(frame.adjusted(1, 1, 0, 0));

  const QString text = title();
  if (text.isEmpty()) return;
  const int pad = metrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
  const int width =
      std::min(metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))) + 2 * pad,
               this->width() - 2);
  int x = metrics.averageCharWidth() + 2;
  if (alignment() & Qt::AlignHCenter)
    x = (this->width() - width) / 2;
  else if (alignment() & Qt::AlignRight)
    x = this->width() - width - metrics.averageCharWidth() - 2;
  const QRect caption(x, 0, width, metrics.height());
  painter.fillRect(caption, palette().color(backgroundRole()));
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(caption, Qt::AlignCenter | Qt::TextShowMnemonic, text);
}

}  // namespace korvel::qt
