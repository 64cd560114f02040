// Sweeps a folder in the real Windows window (under Wine) the way Sweep
// Folder does and prints the seconds and the rows listed.
//
//   win32_window_sweep.exe FOLDER      (bench/scripts/win32-window runs it)
#include <chrono>
#include <cstdio>
#include <string>

#include "app/korvel_main.h"
#include "res/resource.h"
#include "ui/app.h"
#include "ui/headless/recording_desktop.h"
#include "ui/headless/scripted_prompts.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/windows_api.h"

namespace {

double g_seconds = 0;
int g_rows = 0;

void CALLBACK Sweep(::HWND, ::UINT, ::UINT_PTR timer, ::DWORD) {
  KillTimer(nullptr, timer);
  korvel::CWnd* main = korvel::AfxGetMainWnd();
  const auto start = std::chrono::steady_clock::now();
  // Returns when the sweep has ended.
  main->SendMessage(WM_COMMAND, static_cast<korvel::WPARAM>(korvel::ID_SWEEP_FOLDER), 0);
  g_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  g_rows =
      static_cast<korvel::ListPeer*>(main->GetDlgItem(korvel::IDC_RESULTS)->m_hWnd)->GetItemCount();
  korvel::SendClose(main->m_hWnd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: win32_window_sweep FOLDER\n");
    return 2;
  }
  korvel::headless::ScriptedPrompts prompts;
  korvel::headless::RecordingDesktop desktop;
  korvel::ScopedPrompts scopedPrompts(prompts);
  korvel::ScopedDesktop scopedDesktop(desktop);
  prompts.AnswerFolderDialog(argv[1]);
  korvel::win32::Win32Backend backend;
  backend.onDialogShown = [](korvel::DialogPeer& dialog) {
    if (dialog.Id() == korvel::IDD_KORVEL_DIALOG) SetTimer(nullptr, 0, 100, Sweep);
  };
  char* args[] = {argv[0], nullptr};
  korvel::KorvelMain(1, args, backend);
  std::printf("%.3f %d\n", g_seconds, g_rows);
  return g_rows > 0 ? 0 : 1;
}
