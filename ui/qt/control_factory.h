#pragma once
// Dialog template entries to Qt widgets: one widget and one peer per
// control, and the menu bar of a menu template. Every dialog, the main one
// and the about box alike, is built from these.
#include <memory>

#include "ui/backend.h"

class QFont;
class QMenuBar;
class QWidget;

namespace korvel::qt {

class DialogUnits;
class QtDialogPeer;

struct CreatedControl {
  QWidget* widget = nullptr;  // a child of the client area; null for kinds with no widget
  std::unique_ptr<WindowPeer> peer;
};

// The dialog's units for `font`, enlarged where a picture would not fit its
// control: the font sets the units, but a picture keeps its pixels, and a
// centred picture is to show whole, as its template means it to.
DialogUnits TemplateUnits(const DialogTemplate& dialog, const QFont& font);

// The control at its place (in pixels of the dialog's font), with its
// styles, text and focus policy.
CreatedControl CreateControl(const ControlTemplate& control, QtDialogPeer& dialog, QWidget* client,
                             const DialogUnits& units);

// A menu bar whose items send their commands to `dialog`. The texts after
// "\t" are key names shown right-aligned; the keys themselves belong to the
// accelerator table, not to the menu's actions.
QMenuBar* CreateMenuBar(const MenuTemplate& menu, QtDialogPeer& dialog, QWidget* window);

}  // namespace korvel::qt
