#include "ui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace korvel::qt {
namespace {

// a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 letters, rounded, as the window system takes it.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  x64_ = std::max(1, (letters / 26 + 1) / 2) * 64;
  y64_ = std::max(1, metrics.height()) * 64;
}

int DialogUnits::X(int units) const { return MulDiv(units, x64_, 4 * 64); }
int DialogUnits::Y(int units) const { return MulDiv(units, y64_, 8 * 64); }

DialogUnits DialogUnits::Fitting(const QRect& units, const QSize& pixels) const {
  DialogUnits fitted = *this;
  if (units.width() > 0)
    while (fitted.Rect(units.x(), units.y(), units.width(), units.height()).width() <
           pixels.width())
      ++fitted.x64_;
  if (units.height() > 0)
    while (fitted.Rect(units.x(), units.y(), units.width(), units.height()).height() <
           pixels.height())
      ++fitted.y64_;
  return fitted;
}

QRect DialogUnits::Rect(int left, int top, int width, int height) const {
  // Convert both edges so that neighbouring controls meet where they should.
  const int x0 = X(left), y0 = Y(top);
  return QRect(x0, y0, X(left + width) - x0, Y(top + height) - y0);
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

QFont TemplateFont(const QString& face, int points) {
  QFont font(face);
  font.setStyleHint(face.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ? QFont::TypeWriter
                                                                                 : QFont::AnyStyle);
  qreal dpi = 96.0;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = screen->logicalDotsPerInchY();
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))));
  return font;
}

}  // namespace korvel::qt
