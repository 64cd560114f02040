#pragma once
// Dialog templates measure in dialog units: a quarter of the dialog font's
// average character width across, an eighth of its character height down.
#include <QFont>
#include <QRect>
#include <QSize>

namespace korvel::qt {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int base_x, int base_y) : base_x_(base_x), base_y_(base_y) {}

  int BaseX() const { return base_x_; }
  int BaseY() const { return base_y_; }
  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int left, int top, int width, int height) const;
  QSize Size(int width, int height) const;

 private:
  int base_x_;
  int base_y_;
};

// The font a template names, at its point size, sized in whole pixels for the
// screen's logical resolution (as the window system does for dialog fonts).
QFont TemplateFont(const QString& face, int points);

}  // namespace korvel::qt
