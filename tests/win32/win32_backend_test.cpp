// The Win32 backend on real windows (under Wine in CI): the resources that
// korvel.rc puts in the program, the dialogs built from res/templates.cpp,
// the controls behind the layer's peers, and the modal loop with real keys.
#include <gtest/gtest.h>

#include <cstring>
#include <span>

#include "korvel_version.h"
#include "probe_app.h"
#include "res/templates.h"
#include "timer_script.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_peers.h"
#include "ui/win32/windows_api.h"

namespace korvel {
namespace {

using testing::ProbeApp;
using testing::TimerScript;
using win32::NativeWindow;
using win32::Win32Backend;

// The program's tables, as the program hands them to the layer.
[[maybe_unused]] const bool kTablesInstalled = (SetResourceTables(ProgramResources()), true);

::HINSTANCE Program() { return GetModuleHandleA(nullptr); }
::HWND Native(const WindowPeer* peer) { return static_cast<::HWND>(NativeWindow(peer)); }

std::string ClassName(::HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

LONG Style(::HWND window) { return GetWindowLongA(window, GWL_STYLE); }
LONG ExStyle(::HWND window) { return GetWindowLongA(window, GWL_EXSTYLE); }

// --- The resources of korvel.rc against the tables of res/templates.cpp ---

void ExpectMenuMatches(HMENU menu, std::span<const MenuItemTemplate> items,
                       const std::string& where) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size())) << where;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItemTemplate& item = items[i];
    char text[128] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) << where;
    const std::string at = where + "/" + std::to_string(i);
    EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, item.separator) << at;
    if (item.separator) continue;
    EXPECT_EQ(text, std::string(item.text)) << at;
    EXPECT_EQ(info.fState & (MFS_DISABLED | MFS_CHECKED), 0u)
        << at;  // always enabled, never checked
    EXPECT_EQ(info.hSubMenu != nullptr, !item.children.empty()) << at;
    if (info.hSubMenu != nullptr)
      ExpectMenuMatches(info.hSubMenu, item.children, at);
    else
      EXPECT_EQ(info.wID, item.command) << at;
  }
}

TEST(Win32Resources, MenuBarIsTheTemplatesMenu) {
  HMENU menu = LoadMenuA(Program(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  ExpectMenuMatches(menu, FindMenuTemplate(IDR_MAIN_MENU)->items, "menu");
  DestroyMenu(menu);
}

TEST(Win32Resources, AcceleratorTableIsTheTemplatesTable) {
  ::HACCEL table = LoadAcceleratorsA(Program(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[32];
  const int count = CopyAcceleratorTableA(table, entries, 32);
  const auto expected = FindAcceleratorTable(IDR_ACCELERATORS)->entries;
  ASSERT_EQ(count, static_cast<int>(expected.size()));
  for (int i = 0; i < count; ++i) {
    const auto& want = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(entries[i].fVirt & ~0x80, want.fVirt) << "entry " << i;  // 0x80 marks the last one
    EXPECT_EQ(entries[i].key, want.key) << "entry " << i;
    EXPECT_EQ(entries[i].cmd, want.cmd) << "entry " << i;
  }
  DestroyAcceleratorTable(table);
}

TEST(Win32Resources, IconsAndTheAboutPictureAreInTheProgram) {
  for (const IconResource& icon : AllIcons()) {
    for (int size : {16, 32}) {
      HANDLE image = LoadImageA(Program(), MAKEINTRESOURCEA(icon.id), IMAGE_ICON, size, size, 0);
      EXPECT_NE(image, nullptr) << "icon " << icon.id << " at " << size;
      if (image != nullptr) DestroyIcon(static_cast<::HICON>(image));
    }
  }
  const BitmapResource* banner = FindBitmap(IDB_BANNER);
  ASSERT_NE(banner, nullptr);
  auto bitmap = static_cast<HBITMAP>(
      LoadImageA(Program(), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, banner->width);
  EXPECT_EQ(info.bmHeight, banner->height);
  EXPECT_EQ(info.bmBitsPixel, 24);
  DeleteObject(bitmap);
}

// --- Dialogs built from the templates ---

class Win32DialogTest : public ::testing::Test {
 protected:
  Win32Backend backend;
  ScopedBackend installed{backend};

  DialogPeer& Create(int templateId) {
    dialog_ = &backend.CreateDialogWindow(*FindDialogTemplate(templateId), nullptr);
    return *dialog_;
  }
  void TearDown() override {
    if (dialog_ != nullptr) backend.DestroyDialogWindow(*dialog_);
  }

 private:
  DialogPeer* dialog_ = nullptr;
};

TEST_F(Win32DialogTest, MainWindowHasTheTemplatesFrameMenuAndControls) {
  DialogPeer& dialog = Create(IDD_KORVEL_DIALOG);
  ::HWND window = Native(&dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(dialog.GetText(), "Korvel v" KORVEL_VERSION);
  const LONG style = Style(window);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_POPUP),
            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_POPUP);
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);  // cannot be resized or maximised
  EXPECT_EQ(style & WS_VISIBLE, 0);                        // shown by the modal loop
  EXPECT_EQ(ExStyle(window) & (WS_EX_ACCEPTFILES | WS_EX_APPWINDOW),
            WS_EX_ACCEPTFILES | WS_EX_APPWINDOW);
  HMENU menu = GetMenu(window);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 3);

  const ::HWND list = Native(dialog.Item(IDC_RESULTS));
  EXPECT_EQ(ClassName(list), "SysListView32");
  EXPECT_EQ(Style(list) & (LVS_TYPEMASK | LVS_SINGLESEL | WS_TABSTOP),
            LVS_REPORT | LVS_SINGLESEL | WS_TABSTOP);
  EXPECT_NE(ExStyle(list) & WS_EX_STATICEDGE, 0);
  for (int id : {IDC_KEYWORDS, IDC_EXTENSIONS}) {
    const ::HWND combo = Native(dialog.Item(id));
    EXPECT_EQ(ClassName(combo), "ComboBox");
    EXPECT_EQ(Style(combo) & 3, CBS_DROPDOWN);
    EXPECT_NE(FindWindowExA(combo, nullptr, "Edit", nullptr), nullptr);  // the edit field
  }
  EXPECT_EQ(Style(Native(dialog.Item(IDC_LOCAL))) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  for (int id : {IDC_SWEEP_FILE, IDC_SWEEP_FOLDER, IDC_REMOVE_ITEM, IDC_REMOVE_ALL, IDC_EXIT})
    EXPECT_NE(Style(Native(dialog.Item(id))) & BS_ICON, 0) << id;
  EXPECT_EQ(dialog.Item(IDC_CLEAR_KEYWORDS)->GetText(), "X");
  EXPECT_EQ(dialog.Item(IDOK), nullptr);  // no OK or Cancel control
}

TEST_F(Win32DialogTest, ControlsKeepWhatTheLayerPutsInThem) {
  DialogPeer& dialog = Create(IDD_KORVEL_DIALOG);
  auto& list = static_cast<ListPeer&>(*dialog.Item(IDC_RESULTS));
  EXPECT_EQ(list.InsertColumn(0, "Address", LVCFMT_LEFT, 225), 0);
  EXPECT_EQ(list.InsertColumn(1, "Location", LVCFMT_LEFT, 340), 1);
  EXPECT_EQ(list.GetColumnCount(), 2);
  list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                        LVS_EX_INFOTIP);
  EXPECT_EQ(list.GetExtendedStyle() & 0x421u, 0x421u);
  EXPECT_EQ(list.InsertItem(list.GetItemCount(), ""), 0);
  const std::string address = "http://a.example/caf\xE9";  // bytes above 0x7F come back as given
  const std::string longLocation = "C:\\" + std::string(5000, 'd') + "\\x.txt";
  EXPECT_TRUE(list.SetItemText(0, 0, address));
  EXPECT_TRUE(list.SetItemText(0, 1, longLocation));
  EXPECT_EQ(list.InsertItem(99, "second"), 1);  // past the end appends
  // An owner-data list: the control counts the rows and asks for the cells.
  EXPECT_NE(Style(Native(&list)) & LVS_OWNERDATA, 0);
  static_cast<win32::Win32List&>(list).SyncCount();
  EXPECT_EQ(SendMessageA(Native(&list), LVM_GETITEMCOUNT, 0, 0), 2);
  char shown[64] = {};
  LVITEMA cell{};
  cell.pszText = shown;
  cell.cchTextMax = sizeof shown;
  SendMessageA(Native(&list), LVM_GETITEMTEXTA, 0, reinterpret_cast<::LPARAM>(&cell));
  EXPECT_EQ(std::string(shown), address);
  EXPECT_EQ(list.GetItemText(0, 0), address);
  EXPECT_EQ(list.GetItemText(0, 1), longLocation);
  EXPECT_EQ(list.GetItemText(5, 0), "");
  EXPECT_EQ(list.NextSelected(-1), -1);
  list.SetSelected(1, true);
  EXPECT_EQ(list.NextSelected(-1), 1);
  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetItemText(0, 0), "second");
  list.DeleteAllItems();
  EXPECT_EQ(list.GetItemCount(), 0);

  auto& combo = static_cast<ComboPeer&>(*dialog.Item(IDC_KEYWORDS));
  EXPECT_EQ(combo.InsertItem(-1, "b"), 0);
  EXPECT_EQ(combo.InsertItem(0, "a"), 0);
  EXPECT_EQ(combo.GetItem(1), "b");
  combo.SetCurSel(1);
  EXPECT_EQ(combo.GetText(), "b");
  combo.SetText("typed");
  EXPECT_EQ(combo.GetText(), "typed");
  combo.ResetContent();
  EXPECT_EQ(combo.GetCount(), 0);
  EXPECT_EQ(combo.GetText(), "");

  auto& local = static_cast<ButtonPeer&>(*dialog.Item(IDC_LOCAL));
  EXPECT_EQ(local.GetCheck(), 0);
  local.SetCheck(1);
  EXPECT_EQ(local.GetCheck(), 1);
  auto& exit = static_cast<ButtonPeer&>(*dialog.Item(IDC_EXIT));
  exit.SetIcon(FindIcon(IDI_EXIT));
  EXPECT_NE(SendMessageA(Native(&exit), BM_GETIMAGE, IMAGE_ICON, 0), 0);

  ToolTipPeer& tips = dialog.CreateToolTip();
  EXPECT_EQ(&dialog.CreateToolTip(), &tips);  // one per dialog
  for (const ToolTipText& tip : MainDialogToolTips())
    tips.AddTool(dialog.Item(tip.control), std::string(tip.text));
  EXPECT_EQ(tips.GetToolCount(), 7);
  EXPECT_EQ(tips.GetToolText(&exit), "Exit (Ctrl+Q or Escape)");
  EXPECT_EQ(tips.GetToolText(dialog.Item(IDC_CLEAR_EXTENSIONS)), "Clear Extensions");
}

TEST_F(Win32DialogTest, TheSweepBoxHasAProgressBarPathLabelsAndATimer) {
  DialogPeer& box = Create(IDD_SWEEP_PROGRESS);
  EXPECT_FALSE(box.IsVisible());
  EXPECT_EQ(box.GetText(), "Sweep in progress");
  EXPECT_NE(Style(Native(box.Item(IDC_SWEEP_CURRENT))) & SS_PATHELLIPSIS, 0);
  EXPECT_EQ(box.Item(IDCANCEL)->GetText(), "Cancel");
  auto& bar = static_cast<ProgressPeer&>(*box.Item(IDC_SWEEP_PROGRESS));
  EXPECT_EQ(ClassName(Native(&bar)), "msctls_progress32");
  bar.SetRange(0, 1000);
  bar.SetPos(250);
  EXPECT_EQ(bar.GetPos(), 250);
  bar.SetMarquee(true);
  EXPECT_TRUE(bar.IsMarquee());
  bar.SetMarquee(false);
  EXPECT_FALSE(bar.IsMarquee());
  box.Show(true);
  EXPECT_TRUE(box.IsVisible());
  // The timer's WM_TIMER reaches the window's thread.
  box.SetTimer(7, 10);
  ::MSG msg{};
  bool ticked = false;
  const ::DWORD until = GetTickCount() + 5000;
  while (!ticked && GetTickCount() < until) {
    if (PeekMessageA(&msg, Native(&box), WM_TIMER, WM_TIMER, PM_REMOVE))
      ticked = msg.wParam == 7;
    else
      Sleep(5);
  }
  box.KillTimer(7);
  EXPECT_TRUE(ticked);
}

TEST_F(Win32DialogTest, AboutBoxShowsTheBannerAboveItsButton) {
  DialogPeer& dialog = Create(IDD_ABOUTBOX);
  EXPECT_EQ(dialog.GetText(), "About Korvel");
  EXPECT_EQ(dialog.Item(IDOK)->GetText(), "Korvel is a &FREEWARE");
  const ::HWND picture = GetWindow(Native(&dialog), GW_CHILD);
  EXPECT_EQ(Style(picture) & SS_TYPEMASK, SS_BITMAP);
  EXPECT_NE(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(GetMenu(Native(&dialog)), nullptr);
}

// --- The modal loop, driven by real key presses ---

TEST(Win32ModalLoop, AcceleratorsReachTheMainWindowFromAComboBoxsEditField) {
  Win32Backend backend;
  ProbeApp app;
  TimerScript script;
  ::HWND edit = nullptr;
  script
      .Step("focus the keyword field",
            [&] {
              ASSERT_NE(app.dialog, nullptr);
              app.dialog->keywords.SetFocus();
              edit = ::GetFocus();
              EXPECT_EQ(ClassName(edit), "Edit");
              EXPECT_EQ(GetParent(edit), Native(app.dialog->keywords.m_hWnd));
            })
      .Press(VK_F3)
      .Press(VK_F4)
      .Press(VK_F11)
      .Press(VK_F12)
      .Press('E', true)
      .Press(VK_F1)
      .Press('Q', true)
      .Press('K')  // not an accelerator: typed into the field
      .Step("check what arrived",
            [&] {
              EXPECT_EQ(app.dialog->commands,
                        (std::vector<UINT>{ID_SWEEP_FILE, ID_SWEEP_FOLDER, IDC_REMOVE_ITEM,
                                           IDC_REMOVE_ALL, ID_FILE_EXPORT, ID_HELP_MANUAL,
                                           ID_FILE_EXIT}));
              EXPECT_EQ(app.dialog->keywords.GetWindowText(), "k");
              app.dialog->commands.clear();
            })
      .Step("drop two files",
            [&] {
              // A DROPFILES block in global memory, as the shell hands it over.
              const char paths[] = "C:\\one.txt\0C:\\two\\\0";
              HGLOBAL block =
                  GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + sizeof paths);
              auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
              drop->pFiles = sizeof(DROPFILES);
              drop->fWide = FALSE;
              std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), paths, sizeof paths);
              GlobalUnlock(block);
              PostMessageA(Native(app.dialog->m_hWnd), WM_DROPFILES,
                           reinterpret_cast<::WPARAM>(block), 0);
            })
      .Step(
          "check the drop",
          [&] {
            EXPECT_EQ(app.dialog->dropped, (std::vector<std::string>{"C:\\one.txt", "C:\\two\\"}));
          })
      .Press(VK_TAB)  // leaving the field
      .Step("check the field's notice",
            [&] { EXPECT_EQ(app.dialog->commands, std::vector<UINT>{CBN_KILLFOCUS}); })
      .Press(VK_ESCAPE);
  backend.onDialogShown = [&](DialogPeer&) { script.Start(); };
  char program[] = "korvel.exe";
  char* argv[] = {program, nullptr};
  RunApplication(app, 1, argv, backend);
  EXPECT_TRUE(script.Finished()) << "stopped at: " << script.Running();
  EXPECT_EQ(script.TimedOut(), "");
  EXPECT_EQ(app.result, IDCANCEL);
}

}  // namespace
}  // namespace korvel
