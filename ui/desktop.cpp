#include "ui/desktop.h"

#include "ui/backend.h"
#include "ui/wnd.h"

namespace korvel {

void MessageBeep(UINT type) { CurrentDesktop().MessageBeep(type); }

HCURSOR GetCursor() { return CurrentDesktop().GetCursor(); }

HCURSOR SetCursor(HCURSOR cursor) { return CurrentDesktop().SetCursor(cursor); }

INT_PTR ShellExecute(CWnd* owner, const std::string& verb, const std::string& file) {
  constexpr INT_PTR kOpened = 42;
  HWND window = owner != nullptr ? owner->m_hWnd : nullptr;
  if (verb == "open") return CurrentDesktop().OpenDocument(window, file) ? kOpened : SE_ERR_FNF;
  if (verb == "explore") return CurrentDesktop().ExploreFolder(window, file) ? kOpened : SE_ERR_FNF;
  return SE_ERR_NOASSOC;
}

}  // namespace korvel
