// The Windows result list (an owner-data list view): appends rows the way
// the sweep does (one row, then its two cells) to the real main dialog,
// lets the control take them in and paint, and prints the time.
//
//   win32_list_bench.exe [rows]      (under Wine in bench/scripts/win32-window)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_peers.h"
#include "ui/win32/windows_api.h"

using namespace korvel;

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
  win32::Win32Backend backend;
  DialogPeer& dialog = backend.CreateDialogWindow(*FindDialogTemplate(IDD_KORVEL_DIALOG), nullptr);
  auto& list = static_cast<ListPeer&>(*dialog.Item(IDC_RESULTS));
  list.InsertColumn(0, "Address", LVCFMT_LEFT, 225);
  list.InsertColumn(1, "Location", LVCFMT_LEFT, 340);
  dialog.Show(true);

  std::string address, location;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < rows; ++i) {
    address = "http://www.example.com/articles/2024/page-" + std::to_string(i) + ".html";
    location = "C:\\Documents\\web-archive\\site\\section-" + std::to_string(i / 800) + "\\file-" +
               std::to_string(i / 8) + ".html";
    const int row = list.InsertItem(list.GetItemCount(), "");
    list.SetItemText(row, 0, address);
    list.SetItemText(row, 1, location);
  }
  const auto stored = std::chrono::steady_clock::now();
  // The loop's next turn: the control takes the count and paints the last rows.
  ::MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  auto native = static_cast<::HWND>(win32::NativeWindow(&list));
  SendMessageA(native, LVM_ENSUREVISIBLE, static_cast<::WPARAM>(rows - 1), FALSE);
  UpdateWindow(native);
  const auto shown = std::chrono::steady_clock::now();
  const long counted = static_cast<long>(SendMessageA(native, LVM_GETITEMCOUNT, 0, 0));

  using ms = std::chrono::duration<double, std::milli>;
  std::printf("rows appended:        %ld (the control counts %ld)\n", rows, counted);
  std::printf("append time:          %.0f ms (stored %.0f ms, view update %.0f ms)\n",
              ms(shown - start).count(), ms(stored - start).count(), ms(shown - stored).count());
  backend.DestroyDialogWindow(dialog);
  return counted == rows ? 0 : 1;
}
