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
  DialogUnits(int base_x, int base_y) : x64_(base_x * 64), y64_(base_y * 64) {}

  int BaseX() const { return x64_ / 64; }
  int BaseY() const { return y64_ / 64; }
  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int left, int top, int width, int height) const;
  QSize Size(int width, int height) const;

  // These units, enlarged in steps of 1/64 pixel just enough that the box
  // `units` (in dialog units) measures at least `pixels`; never smaller.
  DialogUnits Fitting(const QRect& units, const QSize& pixels) const;

 private:
  // The bases in 64ths of a pixel, so that a fitted layout can grow by less
  // than a whole pixel per unit.
  int x64_;
  int y64_;
};

// The font a template names, at its point size, sized in whole pixels for the
// screen's logical resolution (as the window system does for dialog fonts).
QFont TemplateFont(const QString& face, int points);

}  // namespace korvel::qt
