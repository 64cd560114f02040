#pragma once
// CWinApp: the application object, and the program's entry.
#include <string>

#include "ui/wnd.h"

namespace korvel {

class Backend;

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Start-up; FALSE ends the program when it returns (a dialog application
  // runs its main dialog inside).
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // Sees every keyboard message the dialog manager handles (code
  // MSGF_DIALOGBOX) before the dialog does; TRUE consumes it.
  virtual BOOL ProcessMessageFilter(int code, MSG* pMsg);

  // Names the company key the settings live under.
  void SetRegistryKey(const char* company);
  const std::string& GetRegistryKey() const { return registryKey_; }
  HICON LoadIcon(int id) const;

  CWnd* m_pMainWnd = nullptr;
  const std::string& GetAppName() const { return appName_; }

 private:
  std::string appName_;
  std::string registryKey_;
};

// The application being run by RunApplication, or null.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Kept for the start-up sequence; the layer hosts no ActiveX controls.
void AfxEnableControlContainer();

// The table with this id from the program's resources; null when missing.
HACCEL LoadAccelerators(int id);
// When `msg` is a key press of an entry of `table` (modifiers matching
// exactly) and `window` is enabled, sends WM_COMMAND (HIWORD 1) with the
// entry's command to `window` and returns TRUE.
BOOL TranslateAccelerator(CWnd* window, HACCEL table, MSG* msg);

// The program's entry: installs the backend, makes `app` the application and runs its InitInstance
// (and, if that returns TRUE, nothing more: there is no main loop besides the modal dialogs').
// Returns ExitInstance's code.
int RunApplication(CWinApp& app, int argc, char** argv, Backend& backend);

}  // namespace korvel
