#include "ui/qt/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>

#include "ui/qt/desktop_open.h"
#include "ui/qt/display_text.h"

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

// Other programs take the text as the list shows it: bytes that are not
// UTF-8 as the Windows-1252 characters on the screen.
bool QtDesktop::SetClipboardText(HWND, const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(DisplayText(text));
  return true;
}

}  // namespace korvel::qt
