#include "ui/qt/qt_backend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

#include "ui/qt/dialog_window.h"
#include "ui/qt/key_codes.h"
#include "ui/qt/qt_desktop.h"
#include "ui/qt/qt_peers.h"
#include "ui/qt/qt_prompts.h"
#include "ui/qt/result_view.h"

namespace korvel::qt {

QtBackend::QtBackend()
    : desktop_(std::make_unique<QtDesktop>()), prompts_(std::make_unique<QtPrompts>()) {
  // Application-wide, so that the dialog manager sees a key before any
  // control does (an editable combo box would keep Ctrl+E and F4).
  qApp->installEventFilter(this);
}

QtBackend::~QtBackend() {
  qApp->removeEventFilter(this);
  dialogs_.clear();
}

DialogPeer& QtBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) {
  dialogs_.push_back(std::make_unique<QtDialogPeer>(*this, dialogTemplate, owner));
  return *dialogs_.back();
}

void QtBackend::DestroyDialogWindow(DialogPeer& dialog) {
  const auto it = std::find_if(dialogs_.begin(), dialogs_.end(),
                               [&](const auto& d) { return d.get() == &dialog; });
  if (it == dialogs_.end()) return;
  std::unique_ptr<QtDialogPeer> doomed = std::move(*it);
  dialogs_.erase(it);
  QWidget* owner = doomed->Window()->parentWidget();
  doomed.reset();
  // The focus goes back to the owner, to the control that had it there.
  if (owner != nullptr) owner->activateWindow();
}

HWND QtBackend::GetFocus() { return PeerOf(QApplication::focusWidget()); }

Desktop& QtBackend::GetDesktop() { return *desktop_; }
Prompts& QtBackend::GetPrompts() { return *prompts_; }

void QtBackend::Register(QWidget* widget, WindowPeer* peer) { peers_.insert(widget, peer); }

void QtBackend::Unregister(QWidget* widget) { peers_.remove(widget); }

WindowPeer* QtBackend::PeerOf(const QWidget* widget) const {
  for (; widget != nullptr; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
    if (WindowPeer* peer = peers_.value(widget, nullptr)) return peer;
  }
  return nullptr;
}

QWidget* QtBackend::WidgetOf(HWND peer) {
  if (peer == nullptr) return nullptr;
  if (auto* dialog = dynamic_cast<QtDialogPeer*>(peer)) return dialog->Window();
  if (auto* list = dynamic_cast<QtListPeer*>(peer)) return list->View();
  if (auto* combo = dynamic_cast<QtComboPeer*>(peer)) return combo->Combo();
  if (auto* button = dynamic_cast<QtButtonPeer*>(peer)) return button->Button();
  if (auto* other = dynamic_cast<QtStaticPeer*>(peer)) return other->Widget();
  return nullptr;
}

bool QtBackend::RouteKey(QWidget* receiver, QEvent* event) {
  auto* window = qobject_cast<DialogWindow*>(receiver->window());
  if (window == nullptr) return false;  // menus, popups, message boxes
  // A key event travels from the focus widget up to the window; the dialog
  // manager sees it once, at its first stop.
  const QWidget* focus = window->focusWidget();
  if (focus != nullptr ? receiver != focus : receiver != window) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);
  const UINT virtualKey = VirtualKey(key);
  if (virtualKey == 0) return false;
  WindowPeer* target = PeerOf(receiver);
  if (target == nullptr) return false;
  return RouteKeyDown(target, virtualKey, KeyModifiers(key.modifiers()));
}

namespace {

// A window waiting for its modal box (which may not show yet) takes no
// clicks: a click would still select a row or tick a box by itself.
bool WaitsForBox(QObject* watched) {
  auto* widget = qobject_cast<QWidget*>(watched);
  auto* window = widget != nullptr ? qobject_cast<DialogWindow*>(widget->window()) : nullptr;
  return window != nullptr && !window->Peer().IsEnabled();
}

}  // namespace

bool QtBackend::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride: return WaitsForBox(watched);
    case QEvent::KeyPress: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (WaitsForBox(watched)) return true;  // also the keys the layer has no name for
      return widget != nullptr && RouteKey(widget, event);
    }
    case QEvent::FocusOut: {
      // CBN_KILLFOCUS; opening the combo box's own list keeps the focus.
      auto* combo = qobject_cast<QComboBox*>(watched);
      if (combo == nullptr || static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
        return false;
      WindowPeer* peer = peers_.value(combo, nullptr);
      if (peer != nullptr && peer->Kind() == ControlKind::ComboBox) SendKillFocus(peer);
      return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      // Files dropped on a control that takes drops itself (an edit field
      // would paste the file's URL) are the window's, as everywhere else.
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr || widget->isWindow()) return false;
      auto* window = qobject_cast<DialogWindow*>(widget->window());
      if (window == nullptr || !window->acceptDrops() || !PeerOf(widget)) return false;
      auto* drop = static_cast<QDropEvent*>(event);
      if (!DialogWindow::Wanted(drop->mimeData())) return false;
      drop->acceptProposedAction();
      if (event->type() == QEvent::Drop) window->Drop(drop->mimeData());
      return true;
    }
    default: return false;
  }
}

}  // namespace korvel::qt
