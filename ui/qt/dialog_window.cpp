#include "ui/qt/dialog_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "ui/qt/display_text.h"
#include "ui/qt/drop_paths.h"
#include "ui/qt/qt_peers.h"

namespace korvel::qt {

DialogWindow::DialogWindow(QtDialogPeer& peer, QWidget* owner) : QDialog(owner), peer_(peer) {
  // Escape and Enter are the dialog manager's (the layer's), not QDialog's.
  setModal(false);
}

void DialogWindow::reject() {
  // Whatever asks Qt to cancel the dialog goes the way of the close box.
  SendClose(&peer_);
}

void DialogWindow::accept() { SendClose(&peer_); }

void DialogWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The close box: the dialog decides (WM_CLOSE runs its Cancel).
  event->ignore();
  SendClose(&peer_);
}

bool DialogWindow::Wanted(const QMimeData* mime) { return HasLocalPaths(mime); }

void DialogWindow::Drop(const QMimeData* mime) {
  std::vector<std::string> paths = DroppedPaths(mime);
  if (paths.empty()) return;
  // The sweep runs after the drag has finished, so the program the files
  // came from is not kept waiting for it.
  QPointer<DialogWindow> self(this);
  QMetaObject::invokeMethod(
      this,
      [self, paths = std::move(paths)]() mutable {
        if (self) SendDropFiles(&self->peer_, std::move(paths));
      },
      Qt::QueuedConnection);
}

void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (Wanted(event->mimeData())) event->acceptProposedAction();
}

void DialogWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (Wanted(event->mimeData())) event->acceptProposedAction();
}

void DialogWindow::dropEvent(QDropEvent* event) {
  if (!Wanted(event->mimeData())) return;
  event->acceptProposedAction();
  Drop(event->mimeData());
}

}  // namespace korvel::qt
