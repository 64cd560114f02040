#include "ui/app.h"

#include <utility>

#include "ui/backend.h"

namespace korvel {
namespace {

CWinApp*& RunningApp() {
  static CWinApp* app = nullptr;
  return app;
}

}  // namespace

CWinApp::CWinApp(const char* appName) : appName_(appName != nullptr ? appName : "") {}

CWinApp::~CWinApp() {
  if (RunningApp() == this) RunningApp() = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::ProcessMessageFilter(int, MSG*) { return FALSE; }

void CWinApp::SetRegistryKey(const char* company) {
  registryKey_ = company != nullptr ? company : "";
}

HICON CWinApp::LoadIcon(int id) const { return FindIcon(id); }

CWinApp* AfxGetApp() { return RunningApp(); }

CWnd* AfxGetMainWnd() {
  CWinApp* app = AfxGetApp();
  return app != nullptr ? app->m_pMainWnd : nullptr;
}

void AfxEnableControlContainer() {}

HACCEL LoadAccelerators(int id) { return FindAcceleratorTable(id); }

BOOL TranslateAccelerator(CWnd* window, HACCEL table, MSG* msg) {
  if (window == nullptr || table == nullptr || msg == nullptr) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  const BYTE held = msg->modifiers & (FSHIFT | FCONTROL | FALT);
  for (const AcceleratorEntry& entry : table->entries) {
    if (entry.key != msg->wParam || (entry.fVirt & (FSHIFT | FCONTROL | FALT)) != held) continue;
    // A disabled window (its modal child is up) takes no commands.
    if (!window->IsWindowEnabled()) return FALSE;
    window->SendMessage(WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    return TRUE;
  }
  return FALSE;
}

int RunApplication(CWinApp& app, int, char**, Backend& backend) {
  ScopedBackend installed(backend);
  CWinApp* previous = std::exchange(RunningApp(), &app);
  struct Restore {
    CWinApp* previous;
    ~Restore() { RunningApp() = previous; }
  } restore{previous};
  app.InitInstance();
  return app.ExitInstance();
}

}  // namespace korvel
