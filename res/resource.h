#pragma once
// Every resource, control and command id of the program, in one place.
// The dialog templates, menu and accelerator table in res/templates.cpp and
// the message maps in app/ use these names. IDOK, IDCANCEL and IDC_STATIC
// are the window system's (ui/win_types.h).

#include "ui/win_types.h"

namespace korvel {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_KORVEL_DIALOG = 102;
inline constexpr int IDD_SWEEP_PROGRESS = 103;

// Icons and the about-box bitmap.
inline constexpr int IDR_MAINFRAME = 128;  // program icon
inline constexpr int IDB_BANNER = 129;
inline constexpr int IDI_EXIT = 130;
inline constexpr int IDI_SWEEP_FILE = 131;
inline constexpr int IDI_SWEEP_FOLDER = 132;
inline constexpr int IDI_REMOVE_ALL = 133;
inline constexpr int IDI_REMOVE_ITEM = 134;

// Menu bar and accelerator table of the main dialog.
inline constexpr int IDR_MAIN_MENU = 135;
inline constexpr int IDR_ACCELERATORS = 136;

// Controls of the main dialog.
inline constexpr int IDC_RESULTS = 1000;
inline constexpr int IDC_KEYWORDS = 1002;
inline constexpr int IDC_EXTENSIONS = 1003;
inline constexpr int IDC_LOCAL = 1004;
inline constexpr int IDC_REMOVE_ITEM = 1008;
inline constexpr int IDC_REMOVE_ALL = 1011;
inline constexpr int IDC_SWEEP_FILE = 1012;
inline constexpr int IDC_SWEEP_FOLDER = 1013;
inline constexpr int IDC_EXIT = 1014;
inline constexpr int IDC_CLEAR_KEYWORDS = 1015;
inline constexpr int IDC_CLEAR_EXTENSIONS = 1016;
// Controls of the sweep-progress box (its button is IDCANCEL).
inline constexpr int IDC_SWEEP_TARGET = 1020;
inline constexpr int IDC_SWEEP_FILES = 1021;
inline constexpr int IDC_SWEEP_ADDRESSES = 1022;
inline constexpr int IDC_SWEEP_CURRENT = 1023;
inline constexpr int IDC_SWEEP_PROGRESS = 1024;

// Menu commands.
inline constexpr int ID_FILE_EXIT = 32771;
inline constexpr int ID_HELP_MANUAL = 32772;
inline constexpr int ID_HELP_ABOUT = 32773;
inline constexpr int ID_SWEEP_FILE = 32775;
inline constexpr int ID_SWEEP_FOLDER = 32776;
inline constexpr int ID_FILE_EXPORT = 32780;
// Commands of the result list (keys and its context menu).
inline constexpr int ID_EDIT_COPY = 32781;
inline constexpr int ID_EDIT_COPY_LOCATION = 32782;

}  // namespace korvel
