#pragma once
// The top-level window of one dialog: a fixed-size client area holding the
// template's controls under an optional menu bar.
#include <QDialog>

class QMimeData;

namespace korvel::qt {

class QtDialogPeer;

class DialogWindow : public QDialog {
  Q_OBJECT

 public:
  DialogWindow(QtDialogPeer& peer, QWidget* owner);

  // Lets the window close for good (the dialog has ended).
  void AllowClose() { closing_ = true; }
  QtDialogPeer& Peer() const { return peer_; }
  // A drop of local files or folders, from the window or from one of its
  // controls; handed to the dialog once the drag is over.
  static bool Wanted(const QMimeData* mime);
  void Drop(const QMimeData* mime);

 public slots:
  void reject() override;
  void accept() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QtDialogPeer& peer_;
  bool closing_ = false;
};

}  // namespace korvel::qt
