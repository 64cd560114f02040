#pragma once
// The shapes of the program's resources: dialog templates, menus, accelerator
// tables, icons and bitmaps. The program's own tables are data of its own
// (res/ for Korvel); every backend realises them, so both desktops show the same window.
#include <span>
#include <string_view>

#include "ui/win_types.h"

namespace korvel {

enum class ControlKind {
  Dialog,
  GroupBox,     // frame with a caption
  Label,        // static text
  Picture,      // static bitmap (image = bitmap id)
  Rectangle,    // static filled/etched rectangle
  ListView,     // report list
  ComboBox,     // drop-down list with an edit field
  PushButton,   // text or icon push button
  CheckBox,     // automatic two-state check box
  ProgressBar,  // common controls' progress bar
  ToolTip,      // created at run time, not in templates
};

// One control of a dialog template. Place and size are in dialog units.
struct ControlTemplate {
  int id;  // IDC_STATIC for controls without an id
  ControlKind kind;
  std::string_view text;
  int x, y, cx, cy;
  DWORD style;    // WS_* and the control's own BS_/SS_/CBS_/LVS_ bits
  DWORD exStyle;  // WS_EX_*
  int image = 0;  // bitmap id of a picture
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  int x, y, cx, cy;  // dialog units; DS_CENTER centres on the screen
  std::string_view fontName;
  int pointSize;
  DWORD style;
  DWORD exStyle;
  int menu;                                   // menu id, 0 for none
  std::span<const ControlTemplate> controls;  // template (and tab) order
};

// One menu item. A popup has children and command 0; a separator has neither
// text nor command. Texts keep "&" mnemonics and "\t" before the key name.
struct MenuItemTemplate {
  std::string_view text;
  UINT command;
  std::span<const MenuItemTemplate> children;
  bool separator = false;
};

struct MenuTemplate {
  int id;
  std::span<const MenuItemTemplate> items;  // the menu bar's popups
};

struct AcceleratorEntry {
  BYTE fVirt;  // FVIRTKEY | FNOINVERT | FCONTROL ...
  WORD key;    // virtual key
  WORD cmd;    // command id sent with WM_COMMAND, HIWORD 1
};

struct AcceleratorTable {
  int id;
  std::span<const AcceleratorEntry> entries;
};

struct IconResource {
  int id;
  int width, height;         // the size the program loads (system large icon)
  std::string_view subject;  // what the picture shows
};

struct BitmapResource {
  int id;
  int width, height;
  std::string_view subject;
};

using HICON = const IconResource*;
using HACCEL = const AcceleratorTable*;

// The program's resources. The program hands them to the layer before it
// makes its first window; the layer knows no tables of its own.
struct ResourceTables {
  std::span<const DialogTemplate> dialogs;
  std::span<const MenuTemplate> menus;
  std::span<const AcceleratorTable> accelerators;
  std::span<const IconResource> icons;
  std::span<const BitmapResource> bitmaps;
};
void SetResourceTables(const ResourceTables& tables);

// Lookups over the tables handed in; null when unknown.
const DialogTemplate* FindDialogTemplate(int id);
const MenuTemplate* FindMenuTemplate(int id);
const AcceleratorTable* FindAcceleratorTable(int id);
const IconResource* FindIcon(int id);
const BitmapResource* FindBitmap(int id);

}  // namespace korvel
