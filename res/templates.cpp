#include "res/templates.h"

#include "korvel_version.h"

#include <array>

namespace korvel {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kIconButton = kChild | BS_PUSHBUTTON | BS_ICON | WS_TABSTOP;
constexpr DWORD kClearButton = kChild | BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP;
constexpr DWORD kHistoryCombo = kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_DISABLENOSCROLL |
                                CBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_CENTERIMAGE;

constexpr std::array kMainControls{
    ControlTemplate{IDC_STATIC, ControlKind::GroupBox, "Results", 4, 0, 346, 181,
                    kChild | BS_GROUPBOX, 0},
    ControlTemplate{IDC_STATIC, ControlKind::GroupBox, "Folder Options", 4, 181, 392, 53,
                    kChild | BS_GROUPBOX, 0},
    ControlTemplate{IDC_STATIC, ControlKind::Label, "Keywords --->", 9, 192, 53, 9, kLabel, 0},
    ControlTemplate{IDC_STATIC, ControlKind::Label, "Extensions ->", 9, 206, 53, 9, kLabel, 0},
    ControlTemplate{IDC_STATIC, ControlKind::GroupBox, "Tasks", 354, 0, 41, 181,
                    kChild | BS_GROUPBOX | BS_CENTER, 0},
    ControlTemplate{IDC_RESULTS, ControlKind::ListView, "", 9, 9, 335, 167,
                    kChild | LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_STATICEDGE},
    ControlTemplate{IDC_KEYWORDS, ControlKind::ComboBox, "", 65, 190, 311, 30, kHistoryCombo, 0},
    ControlTemplate{IDC_CLEAR_KEYWORDS, ControlKind::PushButton, "X", 378, 190, 13, 13,
                    kClearButton, WS_EX_STATICEDGE},
    ControlTemplate{IDC_EXTENSIONS, ControlKind::ComboBox, "", 65, 204, 311, 30, kHistoryCombo, 0},
    ControlTemplate{IDC_CLEAR_EXTENSIONS, ControlKind::PushButton, "X", 378, 204, 13, 13,
                    kClearButton, WS_EX_STATICEDGE},
    ControlTemplate{IDC_LOCAL, ControlKind::CheckBox,
                    "&Local sweep. Sweep only the files found in the selected folder and ignore "
                    "all/any subfolders",
                    11, 220, 384, 10,
                    kChild | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP, 0},
    ControlTemplate{IDC_SWEEP_FILE, ControlKind::PushButton, "", 359, 9, 32, 32, kIconButton,
                    WS_EX_STATICEDGE},
    ControlTemplate{IDC_SWEEP_FOLDER, ControlKind::PushButton, "", 359, 43, 32, 32, kIconButton,
                    WS_EX_STATICEDGE},
    ControlTemplate{IDC_REMOVE_ITEM, ControlKind::PushButton, "", 359, 77, 32, 32, kIconButton,
                    WS_EX_STATICEDGE},
    ControlTemplate{IDC_REMOVE_ALL, ControlKind::PushButton, "", 359, 111, 32, 32, kIconButton,
                    WS_EX_STATICEDGE},
    ControlTemplate{IDC_EXIT, ControlKind::PushButton, "", 359, 145, 32, 32, kIconButton,
                    WS_EX_STATICEDGE},
};

constexpr std::array kAboutControls{
    ControlTemplate{IDC_STATIC, ControlKind::Picture, "", 1, 1, 171, 144,
                    kChild | SS_BITMAP | SS_CENTERIMAGE | SS_SUNKEN, 0, IDB_BANNER},
    ControlTemplate{IDC_STATIC, ControlKind::Rectangle, "", 1, 147, 171, 1,
                    kChild | SS_WHITERECT | SS_SUNKEN, WS_EX_TRANSPARENT},
    ControlTemplate{IDOK, ControlKind::PushButton, "Korvel is a &FREEWARE", 1, 150, 171, 16,
                    kChild | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_GROUP | WS_TABSTOP,
                    WS_EX_STATICEDGE},
};

// Placed over the middle of the main dialog's client area (same font).
constexpr DWORD kPathLabel = kChild | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS;
constexpr std::array kSweepProgressControls{
    ControlTemplate{IDC_SWEEP_TARGET, ControlKind::Label, "", 7, 7, 246, 9, kPathLabel, 0},
    ControlTemplate{IDC_SWEEP_FILES, ControlKind::Label, "Files: 0 of 0", 7, 20, 120, 9,
                    kChild | SS_LEFT | SS_NOPREFIX, 0},
    ControlTemplate{IDC_SWEEP_ADDRESSES, ControlKind::Label, "Addresses: 0", 133, 20, 120, 9,
                    kChild | SS_LEFT | SS_NOPREFIX, 0},
    ControlTemplate{IDC_SWEEP_CURRENT, ControlKind::Label, "", 7, 33, 246, 9, kPathLabel, 0},
    ControlTemplate{IDC_SWEEP_PROGRESS, ControlKind::ProgressBar, "", 7, 46, 246, 10,
                    kChild | PBS_SMOOTH, 0},
    ControlTemplate{IDCANCEL, ControlKind::PushButton, "Cancel", 103, 62, 54, 14,
                    kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
};

constexpr std::array kDialogs{
    DialogTemplate{IDD_ABOUTBOX, "About Korvel", 0, 0, 173, 167, "Courier New", 8,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT, 0,
                   0, kAboutControls},
    DialogTemplate{IDD_KORVEL_DIALOG, "Korvel v" KORVEL_VERSION, 0, 0, 399, 237, "Courier New", 8,
                   WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                       DS_MODALFRAME | DS_3DLOOK | DS_CENTER | DS_SETFONT,
                   WS_EX_ACCEPTFILES | WS_EX_APPWINDOW, IDR_MAIN_MENU, kMainControls},
    DialogTemplate{IDD_SWEEP_PROGRESS, "Sweep in progress", 69, 78, 260, 82, "Courier New", 8,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT, 0,
                   0, kSweepProgressControls},
};

constexpr std::array kFileMenu{
    MenuItemTemplate{"&Export\tCtrl+E", ID_FILE_EXPORT, {}},
    MenuItemTemplate{"", 0, {}, true},
    MenuItemTemplate{"E&xit\tCtrl+Q", ID_FILE_EXIT, {}},
};
constexpr std::array kSweepMenu{
    MenuItemTemplate{"&File\tF3", ID_SWEEP_FILE, {}},
    MenuItemTemplate{"F&older\tF4", ID_SWEEP_FOLDER, {}},
};
constexpr std::array kTaskMenu{
    MenuItemTemplate{"&Sweep", 0, kSweepMenu},
};
constexpr std::array kHelpMenu{
    MenuItemTemplate{"&Manual\tF1", ID_HELP_MANUAL, {}},
    MenuItemTemplate{"", 0, {}, true},
    MenuItemTemplate{"&About...", ID_HELP_ABOUT, {}},
};
constexpr std::array kMenuBar{
    MenuItemTemplate{"&File", 0, kFileMenu},
    MenuItemTemplate{"&Task", 0, kTaskMenu},
    MenuItemTemplate{"&Help", 0, kHelpMenu},
};
constexpr std::array kMenus{MenuTemplate{IDR_MAIN_MENU, kMenuBar}};

constexpr BYTE kKey = FVIRTKEY | FNOINVERT;
constexpr std::array kMainAccelerators{
    AcceleratorEntry{kKey | FCONTROL, 'Q', ID_FILE_EXIT},
    AcceleratorEntry{kKey, VK_F1, ID_HELP_MANUAL},
    AcceleratorEntry{kKey, VK_F3, ID_SWEEP_FILE},
    AcceleratorEntry{kKey, VK_F4, ID_SWEEP_FOLDER},
    AcceleratorEntry{kKey, VK_F12, IDC_REMOVE_ALL},
    AcceleratorEntry{kKey, VK_F11, IDC_REMOVE_ITEM},
    AcceleratorEntry{kKey | FCONTROL, 'E', ID_FILE_EXPORT},
};
constexpr std::array kAcceleratorTables{AcceleratorTable{IDR_ACCELERATORS, kMainAccelerators}};

constexpr std::array kIcons{
    IconResource{IDR_MAINFRAME, 32, 32, "a brush sweeping over a box"},
    IconResource{IDI_EXIT, 32, 32, "a white power symbol on a red square"},
    IconResource{IDI_SWEEP_FILE, 32, 32, "a page of text"},
    IconResource{IDI_SWEEP_FOLDER, 32, 32, "an open yellow folder holding a page"},
    IconResource{IDI_REMOVE_ALL, 32, 32, "a white cross on a red disc"},
    IconResource{IDI_REMOVE_ITEM, 32, 32, "a white cross on a blue disc"},
};

constexpr std::array kBitmaps{
    BitmapResource{IDB_BANNER, 300, 250, "the maker's name above a world map"},
};

constexpr std::array kToolTips{
    ToolTipText{IDC_SWEEP_FILE, "Sweep File (F3)"},
    ToolTipText{IDC_SWEEP_FOLDER, "Sweep Folder (F4)"},
    ToolTipText{IDC_REMOVE_ITEM, "Remove Item (F11)"},
    ToolTipText{IDC_REMOVE_ALL, "Remove All (F12)"},
    ToolTipText{IDC_EXIT, "Exit (Ctrl+Q or Escape)"},
    ToolTipText{IDC_CLEAR_KEYWORDS, "Clear Keywords"},
    ToolTipText{IDC_CLEAR_EXTENSIONS, "Clear Extensions"},
};

}  // namespace

const ResourceTables& ProgramResources() {
  static constexpr ResourceTables tables{kDialogs, kMenus, kAcceleratorTables, kIcons, kBitmaps};
  return tables;
}

std::span<const ToolTipText> MainDialogToolTips() { return kToolTips; }
std::span<const DialogTemplate> AllDialogTemplates() { return kDialogs; }
std::span<const IconResource> AllIcons() { return kIcons; }

}  // namespace korvel
