#pragma once
// <windows.h>, the common controls, dialogs and shell for the backend's own
// files. The layer's headers come first: its Win32 names are constants in
// namespace korvel, which the Windows macros would rewrite if they came
// before them. Inside namespace korvel, HWND, MSG, HICON, NMHDR and HDROP are
// the layer's; the native types are spelled ::HWND, ::MSG and so on.
#include "ui/backend.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

// Names of the layer's functions and members that <windows.h> maps to its
// ANSI functions; the backend calls the ...A functions by their full names.
#undef DragQueryFile
#undef GetWindowText
#undef IsDialogMessage
#undef LoadAccelerators
#undef LoadIcon
#undef MessageBox
#undef SendMessage
#undef SetWindowText
#undef ShellExecute
#undef TranslateAccelerator
