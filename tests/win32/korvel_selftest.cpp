// korvel-selftest.exe: the whole program on the Win32 backend, driven from a
// timer inside its own modal loop with real key presses, mouse clicks and a
// dropped file. The prompts are scripted (no common dialog blocks the run)
// and the desktop only records what it was asked to open. Prints one line per
// failed check and then "N passed, M failed"; the test that runs it expects
// none failed. A run in which the window never came up cannot pass: the
// script's own end is one of the checks.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// The layer's headers before <windows.h> (see ui/README.md).
#include "app/korvel_main.h"
#include "korvel_version.h"
#include "res/templates.h"
#include "settings/history.h"
#include "ui/headless/recording_desktop.h"
#include "ui/headless/scripted_prompts.h"
#include "ui/win32/win32_backend.h"

#include "timer_script.h"
#include "ui/win32/windows_api.h"

namespace korvel {
namespace {

using headless::RecordingDesktop;
using headless::ScriptedPrompts;
using testing::TimerScript;

constexpr char kSettingsKey[] = "Software\\Tessaly\\Korvel";
// "café" with the euro sign instead of the e: a name in the ANSI code page
// (1252) whose byte means another character in Latin-1.
constexpr char kAnsiName[] = "caf\x80.txt";
constexpr int kBigFolders = 20;
constexpr int kBigFiles = 2000;

// Beside the fixture folder, so the other sweeps do not see it.
std::string BigFolder(const std::string& folder) {
  return folder.substr(0, folder.size() - 1) + "-big\\";
}

class Tally {
 public:
  void Check(bool ok, const std::string& what) {
    if (ok) {
      ++passed_;
    } else {
      ++failed_;
      std::printf("FAILED: %s\n", what.c_str());
    }
  }
  template <class T>
  void Equal(const T& got, const T& want, const std::string& what) {
    Check(got == want, what);
  }
  void Equal(const std::string& got, const std::string& want, const std::string& what) {
    Check(got == want, what + " (got \"" + got + "\", want \"" + want + "\")");
  }
  int Failed() const { return failed_; }
  void Report() const { std::printf("%d passed, %d failed\n", passed_, failed_); }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

// --- Small readers of native windows ---

std::string Text(::HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(::HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

int Rows(::HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string Cell(::HWND list, int row, int column) {
  char text[1024] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<::WPARAM>(row),
               reinterpret_cast<::LPARAM>(&item));
  return text;
}

void SelectRow(::HWND list, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<::WPARAM>(row),
               reinterpret_cast<::LPARAM>(&item));
}

std::vector<std::string> ComboItems(::HWND combo) {
  std::vector<std::string> items;
  const auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    char text[512] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<::WPARAM>(i), reinterpret_cast<::LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

struct ToolTipSearch {
  ::HWND owner;
  ::HWND found;
};

BOOL CALLBACK FindToolTip(::HWND window, ::LPARAM data) {
  auto& search = *reinterpret_cast<ToolTipSearch*>(data);
  if (ClassName(window) != TOOLTIPS_CLASSA || GetWindow(window, GW_OWNER) != search.owner)
    return TRUE;
  search.found = window;
  return FALSE;
}

::HWND ToolTipOf(::HWND dialog) {
  ToolTipSearch search{dialog, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<::LPARAM>(&search));
  return search.found;
}

std::string ToolText(::HWND tips, ::HWND dialog, ::HWND tool) {
  char text[256] = {};
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = dialog;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<::LPARAM>(&info));
  return text;
}

// A mouse double-click (left or right) in the middle of a list row.
void DoubleClickRow(::HWND list, int row, bool right) {
  RECT cell{};
  cell.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<::WPARAM>(row),
               reinterpret_cast<::LPARAM>(&cell));
  POINT at{cell.left + 10, (cell.top + cell.bottom) / 2};
  ClientToScreen(list, &at);
  SetCursorPos(at.x, at.y);
  const ::DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const ::DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  INPUT clicks[4] = {};
  for (int i = 0; i < 4; ++i) {
    clicks[i].type = INPUT_MOUSE;
    clicks[i].mi.dwFlags = i % 2 == 0 ? down : up;
  }
  SendInput(4, clicks, sizeof(INPUT));
}

// Alt with a letter (a mnemonic or a menu), then further letters alone.
void PressAlt(char letter, const std::string& then = {}) {
  const auto key = static_cast<WORD>(letter);
  std::vector<std::pair<WORD, bool>> strokes{
      {VK_MENU, false}, {key, false}, {key, true}, {VK_MENU, true}};
  for (char c : then) {
    strokes.emplace_back(static_cast<WORD>(c), false);
    strokes.emplace_back(static_cast<WORD>(c), true);
  }
  testing::SendKeyStrokes(strokes);
}

// A drop as the shell delivers it: a DROPFILES block in global memory.
void DropFiles(::HWND window, const std::vector<std::string>& paths) {
  std::string list;
  for (const auto& path : paths) list += path + '\0';
  list += '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  list.copy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.size());
  GlobalUnlock(block);
  PostMessageA(window, WM_DROPFILES, reinterpret_cast<::WPARAM>(block), 0);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// With KORVEL_SELFTEST_HOLD_MS set, the window stays as it is for that long,
// painting but taking no step, so tools/win32-screenshot can take its picture:
// after the folder sweep, or with KORVEL_SELFTEST_HOLD_AT=box while the sweep
// box of the large folder is up.
void HoldForScreenshot(const std::string& where) {
  const char* hold = std::getenv("KORVEL_SELFTEST_HOLD_MS");
  const char* at = std::getenv("KORVEL_SELFTEST_HOLD_AT");
  if (hold == nullptr || where != (at != nullptr ? at : "main")) return;
  std::printf("holding for a screenshot\n");
  std::fflush(stdout);
  const ::DWORD until = GetTickCount() + static_cast<::DWORD>(std::atoi(hold));
  while (GetTickCount() < until) {
    ::MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER && msg.hwnd == nullptr) continue;  // the script's own ticks
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(20);
  }
}

// --- The registry: the program's values, kept for the user around the run ---

struct StoredValue {
  ::DWORD type = REG_NONE;
  std::string bytes;
};

std::optional<StoredValue> ReadValue(const char* name, bool wide = false) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  StoredValue value;
  ::DWORD size = 0;
  std::optional<StoredValue> result;
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  auto query = [&](BYTE* data) {
    return wide ? RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, data, &size)
                : RegQueryValueExA(key, name, nullptr, &value.type, data, &size);
  };
  if (query(nullptr) == ERROR_SUCCESS) {
    value.bytes.assign(size, '\0');
    if (query(reinterpret_cast<BYTE*>(value.bytes.data())) == ERROR_SUCCESS) {
      value.bytes.resize(size);
      result = value;
    }
  }
  RegCloseKey(key);
  return result;
}

void WriteValue(const char* name, const std::optional<StoredValue>& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (value)
    RegSetValueExA(key, name, 0, value->type, reinterpret_cast<const BYTE*>(value->bytes.data()),
                   static_cast<::DWORD>(value->bytes.size()));
  else
    RegDeleteValueA(key, name);
  RegCloseKey(key);
}

std::string Utf16(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += {c, '\0'};
  return bytes;
}

// --- The run ---

class SelfTest {
 public:
  SelfTest(Tally& tally, ScriptedPrompts& prompts, RecordingDesktop& desktop, std::string folder)
      : t_(tally), prompts_(prompts), desktop_(desktop), folder_(std::move(folder)) {}

  void Build(TimerScript& script);
  void MainShown(::HWND dialog) { main_ = dialog; }
  void AboutShown(::HWND dialog) { about_ = dialog; }
  void BoxShown(::HWND dialog) { box_ = dialog; }
  const std::vector<std::string>& KeywordsAtClose() const { return keywordsAtClose_; }

 private:
  ::HWND Item(int id) const { return GetDlgItem(main_, id); }
  ::HWND List() const { return Item(IDC_RESULTS); }
  void FocusKeywords() {
    SendMessageA(main_, WM_NEXTDLGCTL, reinterpret_cast<::WPARAM>(Item(IDC_KEYWORDS)), TRUE);
  }
  void CheckWindow();
  std::string Path(const std::string& name) const { return folder_ + name; }

  Tally& t_;
  ScriptedPrompts& prompts_;
  RecordingDesktop& desktop_;
  std::string folder_;  // ends with "\"
  ::HWND main_ = nullptr;
  ::HWND about_ = nullptr;
  ::HWND box_ = nullptr;  // the sweep box of the latest sweep
  int rows_ = 0;
  std::size_t sounds_ = 0;
  int fileRows_ = 0;
  std::vector<std::string> keywordsAtClose_;
};

void SelfTest::CheckWindow() {
  t_.Check(main_ != nullptr && IsWindowVisible(main_), "the main window is up");
  if (main_ == nullptr) return;
  t_.Equal(Text(main_), std::string("Korvel v" KORVEL_VERSION), "caption");
  const LONG style = GetWindowLongA(main_, GWL_STYLE);
  t_.Check((style & WS_MINIMIZEBOX) != 0 && (style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
           "a minimise box, no maximise box, no sizing border");
  const LONG exStyle = GetWindowLongA(main_, GWL_EXSTYLE);
  t_.Check((exStyle & WS_EX_ACCEPTFILES) != 0 && (exStyle & WS_EX_APPWINDOW) != 0,
           "accepts files, has its own task-bar button");

  // The result list: its header, columns and extended styles.
  ::HWND list = List();
  t_.Equal(ClassName(list), std::string("SysListView32"), "the result list is a list view");
  auto header = reinterpret_cast<::HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  t_.Equal(static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)), 2,
           "two columns in the header");
  const char* headings[] = {"Address", "Location"};
  const int widths[] = {225, 340};
  for (int column = 0; column < 2; ++column) {
    char text[64] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(header, HDM_GETITEMA, static_cast<::WPARAM>(column),
                 reinterpret_cast<::LPARAM>(&item));
    t_.Equal(std::string(text), std::string(headings[column]), "column heading");
    t_.Equal(
        static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<::WPARAM>(column), 0)),
        widths[column], std::string("width of ") + headings[column]);
  }
  const auto extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  t_.Equal(static_cast<int>(extended & 0x421), 0x421, "grid lines, full-row selection, info tips");
  t_.Check(GetFocus() == list, "the focus starts on the result list");

  // Tooltips: one control, one tool per button, the texts as given.
  ::HWND tips = ToolTipOf(main_);
  t_.Check(tips != nullptr, "a tooltip control");
  if (tips != nullptr) {
    t_.Equal(static_cast<int>(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0)), 7, "seven tools");
    for (const ToolTipText& tip : MainDialogToolTips())
      t_.Equal(ToolText(tips, main_, Item(tip.control)), std::string(tip.text), "tooltip text");
  }

  // The menu bar.
  HMENU bar = GetMenu(main_);
  t_.Check(bar != nullptr && GetMenuItemCount(bar) == 3, "a menu bar of three menus");
  if (bar != nullptr) {
    t_.Equal(MenuText(bar, 0) + MenuText(bar, 1) + MenuText(bar, 2), std::string("&File&Task&Help"),
             "menu titles");
    HMENU sweep = GetSubMenu(GetSubMenu(bar, 1), 0);
    t_.Check(sweep != nullptr && GetMenuItemID(sweep, 0) == ID_SWEEP_FILE &&
                 GetMenuItemID(sweep, 1) == ID_SWEEP_FOLDER,
             "Task > Sweep holds File and Folder");
    t_.Equal(MenuText(GetSubMenu(bar, 2), 2), std::string("&About..."), "Help > About...");
  }

  // Icons: the window's, and one on each task button.
  t_.Check(SendMessageA(main_, WM_GETICON, ICON_BIG, 0) != 0 &&
               SendMessageA(main_, WM_GETICON, ICON_SMALL, 0) != 0,
           "the window has its large and small icon");
  t_.Check(
      SendMessageA(main_, WM_QUERYDRAGICON, 0, 0) == SendMessageA(main_, WM_GETICON, ICON_BIG, 0),
      "the drag icon is the main icon");
  for (int id : {IDC_SWEEP_FILE, IDC_SWEEP_FOLDER, IDC_REMOVE_ITEM, IDC_REMOVE_ALL, IDC_EXIT})
    t_.Check(SendMessageA(Item(id), BM_GETIMAGE, IMAGE_ICON, 0) != 0,
             "icon on button " + std::to_string(id));

  // The settings were loaded from the registry; the first entry is in the field.
  t_.Check(
      ComboItems(Item(IDC_EXTENSIONS)) == std::vector<std::string>{NormalizeExtensions("htm, txt")},
      "the stored extension history was loaded");
  t_.Equal(Text(Item(IDC_EXTENSIONS)), NormalizeExtensions("htm, txt"), "the extension field");
}

// A sweep runs behind its box, with the main window disabled until it ends.
bool MainTakesInput(::HWND main) { return main != nullptr && IsWindowEnabled(main) != FALSE; }

void SelfTest::Build(TimerScript& s) {
  s.Step("the window as it opens", [this] { CheckWindow(); })
      .Step("focus the keyword field",
            [this] {
              FocusKeywords();
              t_.Check(
                  ClassName(GetFocus()) == "Edit" && GetParent(GetFocus()) == Item(IDC_KEYWORDS),
                  "the focus is in the keyword field's edit");
              prompts_.AnswerFileDialog(Path("a.txt"));
            })
      .Press(VK_F3)
      .Until("the sweep has ended", [this] { return MainTakesInput(main_); })
      .Step("F3 swept one file",
            [this] {
              fileRows_ = Rows(List());
              t_.Check(fileRows_ >= 2, "F3 added the file's addresses");
              bool all = fileRows_ > 0;
              for (int row = 0; row < fileRows_; ++row)
                all = all && Cell(List(), row, 1) == Path("a.txt");
              t_.Check(all, "each row's location is the file");
              t_.Equal(Cell(List(), 0, 0), std::string("http://a.example/one"),
                       "the first address");
              t_.Check(desktop_.Sounds() == std::vector<UINT>{static_cast<UINT>(MB_ICONASTERISK)},
                       "the asterisk sound after the sweep");
              const auto& request = prompts_.FileDialogs().back().request;
              t_.Check(request.open && request.fileName == "*.*" &&
                           request.filter == "All Files (*.*)|*.*|" &&
                           request.flags == (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY),
                       "the open dialog's name, filter and flags");
              rows_ = fileRows_;
              prompts_.AnswerFolderDialog(folder_.substr(0, folder_.size() - 1));
            })
      .Press(VK_F4)
      .Until("the sweep has ended", [this] { return MainTakesInput(main_); })
      .Step("F4 swept the folder",
            [this] {
              const int now = Rows(List());
              t_.Check(now > rows_ + fileRows_, "F4 swept the folder and its subfolder");
              t_.Check(Cell(List(), now - 1, 1) == Path("sub\\b.htm"),
                       "the subfolder's file comes last");
              t_.Equal(prompts_.FolderDialogs().back().request.flags, UINT{BIF_RETURNONLYFSDIRS},
                       "the folder browser's flags");
              rows_ = now;
              SelectRow(List(), 0);
              FocusKeywords();
            })
      .Step("hold for a screenshot", [] { HoldForScreenshot("main"); })
      .Press(VK_F11)
      .Step("F11 removed the selected row",
            [this] {
              t_.Equal(Rows(List()), rows_ - 1, "one row fewer");
              rows_ -= 1;
              prompts_.AnswerMessageBox(IDNO);
            })
      .Press(VK_F12)
      .Step("F12 answered No",
            [this] {
              t_.Equal(Rows(List()), rows_, "No keeps the rows");
              const auto& box = prompts_.MessageBoxes().back();
              t_.Check(box.text == "Remove all items?" && box.caption == "Question" &&
                           box.type == (MB_YESNO | MB_ICONQUESTION),
                       "the question before removing all");
              prompts_.AnswerFileDialog(Path("out.txt"));
            })
      .Press('E', true)
      .Step("Ctrl+E exported",
            [this] {
              std::string expected;
              for (int row = 0; row < rows_; ++row) expected += Cell(List(), row, 0) + "\r\n";
              t_.Equal(ReadFile(Path("out.txt")), expected, "the export holds the addresses");
              DropFiles(main_, {Path("a.txt"), Path("sub\\b.htm")});
            })
      .Until("the sweep has ended", [this] { return MainTakesInput(main_); })
      .Step("the drop swept its first file",
            [this] {
              t_.Equal(Rows(List()), rows_ + fileRows_, "only the first dropped file is swept");
              t_.Check(Cell(List(), rows_, 1) == Path("a.txt"), "the dropped file's rows");
              rows_ += fileRows_;
              DropFiles(main_, {Path(kAnsiName)});
            })
      .Until("the sweep has ended", [this] { return MainTakesInput(main_); })
      .Step("a dropped file whose name is not ASCII",
            [this] {
              // Names are ANSI bytes end to end: the drop must find this file.
              t_.Equal(Rows(List()), rows_ + 1, "the file with a non-ASCII name was swept");
              t_.Check(Cell(List(), rows_, 1) == Path(kAnsiName), "its row names it as given");
              rows_ += 1;
              DoubleClickRow(List(), 0, false);
            })
      .Step("the double-click removed its row",
            [this] {
              t_.Equal(Rows(List()), rows_ - 1, "a double-click removes the row");
              rows_ -= 1;
              DoubleClickRow(List(), rows_ - 1, true);
            })
      .Step("the right double-click opened the folder",
            [this] {
              const auto& opened = desktop_.OpenedPaths();
              t_.Check(!opened.empty() && opened.back().verb == "explore" &&
                           opened.back().path == folder_,
                       "a right double-click explores the row's folder");
              rows_ = Rows(List());
              sounds_ = desktop_.Sounds().size();
              box_ = nullptr;
              prompts_.AnswerFolderDialog(BigFolder(folder_));
            })
      .Press(VK_F4)
      .Until(
          "the sweep box shows", [this] { return box_ != nullptr && IsWindowVisible(box_); })
      .Step("a long sweep shows its box",
            [this] {
              t_.Check(box_ != nullptr && IsWindowVisible(box_), "the sweep box is up");
              if (box_ == nullptr) return;
              t_.Equal(Text(box_), std::string("Sweep in progress"), "the box's caption");
              t_.Equal(Text(GetDlgItem(box_, IDC_SWEEP_TARGET)), BigFolder(folder_),
                       "it names the folder");
              t_.Check(Text(GetDlgItem(box_, IDC_SWEEP_FILES)).rfind("Files: ", 0) == 0,
                       "it counts the files");
              t_.Equal(ClassName(GetDlgItem(box_, IDC_SWEEP_PROGRESS)),
                       std::string("msctls_progress32"), "a progress bar of the common controls");
              t_.Check(GetFocus() == GetDlgItem(box_, IDCANCEL) && Text(GetFocus()) == "Cancel",
                       "the focus is on its Cancel button");
              t_.Check(!IsWindowEnabled(main_), "the main window waits");
              HoldForScreenshot("box");
            })
      .Press(VK_ESCAPE)
      .Until("the sweep has ended", [this] { return MainTakesInput(main_); })
      .Step("Escape cancelled the sweep",
            [this] {
              const int added = Rows(List()) - rows_;
              t_.Check(added >= 0 && added < kBigFiles,
                       "the sweep stopped early (" + std::to_string(added) + " rows)");
              t_.Check(
                  added == 0 || Cell(List(), rows_, 1).rfind(BigFolder(folder_) + "d00\\", 0) == 0,
                  "its rows, the first files first");
              t_.Check(box_ == nullptr || !IsWindow(box_), "the box is gone");
              t_.Equal(desktop_.Sounds().size(), sounds_ + 1,
                       "the sound after the cancelled sweep");
              t_.Check(IsWindowVisible(main_) != FALSE,
                       "Escape in the box leaves the program running");
              rows_ += added;
              FocusKeywords();
            })
      .Press(VK_F1)
      .Step("F1 opened the manual",
            [this] {
              char self[MAX_PATH] = {};
              GetModuleFileNameA(nullptr, self, MAX_PATH);
              std::string manual = self;
              manual = manual.substr(0, manual.find_last_of('\\')) + "\\Manual.html";
              const auto& opened = desktop_.OpenedPaths();
              t_.Check(
                  !opened.empty() && opened.back().verb == "open" && opened.back().path == manual,
                  "F1 opens Manual.html beside the program");
              PressAlt('H', "A");  // Help > About...
            })
      .Step("Help > About opened the about box",
            [this] {
              t_.Check(about_ != nullptr && IsWindowVisible(about_), "the about box is up");
              t_.Check(!IsWindowEnabled(main_), "the main window waits for it");
              if (about_ == nullptr) return;
              t_.Equal(Text(about_), std::string("About Korvel"), "about box caption");
              t_.Equal(Text(GetDlgItem(about_, IDOK)), std::string("Korvel is a &FREEWARE"),
                       "about button");
            })
      .Press(VK_RETURN)
      .Step("Enter closed the about box",
            [this] {
              t_.Check(about_ == nullptr || !IsWindow(about_), "the about box is gone");
              t_.Check(IsWindowEnabled(main_) != FALSE, "the main window takes input again");
              prompts_.AnswerMessageBox(IDYES);
              FocusKeywords();
            })
      .Press(VK_F12)
      .Step("F12 answered Yes",
            [this] {
              t_.Equal(Rows(List()), 0, "Yes removes every row");
              SetWindowTextA(Item(IDC_KEYWORDS), "Zed,alpha, zed");
            })
      .Press(VK_TAB)
      .Step("leaving the field tidied it",
            [this] {
              t_.Equal(Text(Item(IDC_KEYWORDS)), NormalizeKeywords("Zed,alpha, zed"),
                       "the keywords are normalised when the field loses the focus");
              PressAlt('L');
            })
      .Step("Alt+L checked Local sweep",
            [this] {
              t_.Equal(static_cast<int>(SendMessageA(Item(IDC_LOCAL), BM_GETCHECK, 0, 0)),
                       BST_CHECKED, "the mnemonic checks the box");
              keywordsAtClose_ = ComboItems(Item(IDC_KEYWORDS));
              FocusKeywords();
            })
      .Press('Q', true);
}

int Run(char** argv) {
  Tally tally;
  // The fixture: a file of addresses, and a subfolder with an HTML file.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "korvel-selftest-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "sub").c_str(), nullptr);
  WriteFile(folder + "a.txt", "http://a.example/one\r\nwrite to bob@b.example\r\n");
  WriteFile(folder + "sub\\b.htm", "<a href=\"page.htm\">page</a>\r\n");
  WriteFile(folder + kAnsiName, "http://c.example/\r\n");
  // A folder large enough for a sweep to show its box.
  const std::string filler(20000, ' ');
  for (int d = 0; d < kBigFolders; ++d) {
    const std::string sub = BigFolder(folder) + "d" + (d < 10 ? "0" : "") + std::to_string(d);
    CreateDirectoryA(BigFolder(folder).c_str(), nullptr);
    CreateDirectoryA(sub.c_str(), nullptr);
    for (int f = 0; f < kBigFiles / kBigFolders; ++f)
      WriteFile(
          sub + "\\f" + std::to_string(1000 + f) + ".txt",
          filler + "http://big.example/" + std::to_string(d) + "/" + std::to_string(f) + "\r\n");
  }

  // The user's settings are put back afterwards; the run starts from known ones.
  const char* names[] = {"cboKeywords", "cboExtensions", "chkLocal"};
  std::optional<StoredValue> saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = ReadValue(names[i]);
  WriteValue("cboKeywords", StoredValue{REG_SZ, ""});
  WriteValue("cboExtensions", StoredValue{REG_SZ, "htm, txt|"});
  WriteValue("chkLocal", StoredValue{REG_DWORD, std::string(4, '\0')});

  ScriptedPrompts prompts;
  RecordingDesktop desktop;
  ScopedPrompts scriptedPrompts(prompts);
  ScopedDesktop recordingDesktop(desktop);
  SelfTest test(tally, prompts, desktop, folder);
  TimerScript script;
  test.Build(script);
  {
    win32::Win32Backend backend;
    backend.onDialogShown = [&](DialogPeer& dialog) {
      auto window = static_cast<::HWND>(win32::NativeWindow(&dialog));
      if (dialog.Id() == IDD_SWEEP_PROGRESS) {
        test.BoxShown(window);
        return;
      }
      if (dialog.Id() == IDD_ABOUTBOX) {
        test.AboutShown(window);
        return;
      }
      test.MainShown(window);
      script.Start();
    };
    // As korvel.exe does: the first argument is the program's full path.
    std::string self = win32::ModulePath(argv[0]);
    std::vector<char*> args{self.data(), nullptr};
    try {
      KorvelMain(1, args.data(), backend);
    } catch (const std::exception& error) {
      tally.Check(false, std::string("the program ended with an exception: ") + error.what());
    }
  }
  tally.Check(script.TimedOut().empty(), "no wait ran out (" + script.TimedOut() + ")");
  tally.Check(script.Finished(),
              "the script ran to its end (stopped at: " + script.Running() + ")");
  tally.Equal(prompts.UnusedAnswers(), std::size_t{0}, "every scripted answer was taken");

  // Closing saved the settings: texts without a NUL of the program's own,
  // the switch as a DWORD.
  std::string history;
  for (const auto& item : test.KeywordsAtClose()) history += item + "|";
  const auto keywords = ReadValue("cboKeywords", true);
  tally.Check(keywords && keywords->type == REG_SZ &&
                  (keywords->bytes == Utf16(history) ||
                   keywords->bytes == Utf16(history) + std::string(2, '\0')),
              "cboKeywords was saved as REG_SZ holding \"" + history + "\"");
  const auto local = ReadValue("chkLocal");
  tally.Check(local && local->type == REG_DWORD && local->bytes == std::string("\x01\0\0\0", 4),
              "chkLocal was saved as REG_DWORD 1");

  for (int i = 0; i < 3; ++i) WriteValue(names[i], saved[i]);
  for (const char* name : {"a.txt", "out.txt", "sub\\b.htm", kAnsiName})
    DeleteFileA((folder + name).c_str());
  RemoveDirectoryA((folder + "sub").c_str());
  for (int d = 0; d < kBigFolders; ++d) {
    const std::string sub = BigFolder(folder) + "d" + (d < 10 ? "0" : "") + std::to_string(d);
    for (int f = 0; f < kBigFiles / kBigFolders; ++f)
      DeleteFileA((sub + "\\f" + std::to_string(1000 + f) + ".txt").c_str());
    RemoveDirectoryA(sub.c_str());
  }
  RemoveDirectoryA(BigFolder(folder).c_str());
  RemoveDirectoryA(folder.c_str());
  tally.Report();
  return tally.Failed() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace korvel

int main(int, char** argv) { return korvel::Run(argv); }
