#pragma once
// A group box drawn as dialog templates expect: an etched frame whose top
// line runs through the middle of the caption, so that controls placed a few
// dialog units below the group's top edge sit inside the frame.
#include <QGroupBox>

namespace korvel::qt {

class GroupFrame : public QGroupBox {
  Q_OBJECT

 public:
  GroupFrame(const QString& title, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel::qt
