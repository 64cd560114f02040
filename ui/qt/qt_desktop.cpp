#include "ui/qt/qt_desktop.h"

#include <QApplication>
#include <QCursor>

#include "ui/qt/desktop_open.h"

namespace korvel::qt {

QtDesktop::~QtDesktop() {
  if (overriding_) QGuiApplication::restoreOverrideCursor();
}

void QtDesktop::MessageBeep(UINT) { QApplication::beep(); }

HCURSOR QtDesktop::SetCursor(HCURSOR cursor) {
  const HCURSOR before = cursor_;
  cursor_ = cursor;
  // The arrow is what the widgets show by themselves: take our override away.
  if (cursor == IDC_ARROW) {
    if (overriding_) QGuiApplication::restoreOverrideCursor();
    overriding_ = false;
    return before;
  }
  const Qt::CursorShape shape = cursor == IDC_WAIT ? Qt::WaitCursor : Qt::ArrowCursor;
  if (overriding_) {
    QGuiApplication::changeOverrideCursor(QCursor(shape));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(shape));
    overriding_ = true;
  }
  return before;
}

bool QtDesktop::OpenDocument(HWND, const std::string& path) { return OpenWithDesktop(path); }

bool QtDesktop::ExploreFolder(HWND, const std::string& folder) { return OpenWithDesktop(folder); }

}  // namespace korvel::qt
