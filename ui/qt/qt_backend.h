#pragma once
// The Qt 6 Widgets backend: realises dialog templates as Qt windows, runs
// their modal loops, and turns Qt's input into the layer's messages.
#include <QHash>
#include <QObject>
#include <memory>
#include <vector>

#include "ui/backend.h"

class QWidget;

namespace korvel::qt {

class QtDialogPeer;
class QtDesktop;
class QtPrompts;

class QtBackend final : public QObject, public Backend {
  Q_OBJECT

 public:
  // Needs a QApplication; watches its input while it lives.
  QtBackend();
  ~QtBackend() override;

  DialogPeer& CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) override;
  void DestroyDialogWindow(DialogPeer& dialog) override;
  HWND GetFocus() override;
  Desktop& GetDesktop() override;
  Prompts& GetPrompts() override;

  // The widget that shows a peer and the reverse; a child widget of a
  // control (a combo box's edit field, a list's viewport) maps to the control.
  void Register(QWidget* widget, WindowPeer* peer);
  void Unregister(QWidget* widget);
  WindowPeer* PeerOf(const QWidget* widget) const;
  static QWidget* WidgetOf(HWND peer);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool RouteKey(QWidget* receiver, QEvent* event);

  std::vector<std::unique_ptr<QtDialogPeer>> dialogs_;
  QHash<const QWidget*, WindowPeer*> peers_;
  std::unique_ptr<QtDesktop> desktop_;
  std::unique_ptr<QtPrompts> prompts_;
};

}  // namespace korvel::qt
