#include "ui/win32/win32_services.h"

#include <cstring>
#include <vector>

#include "ui/file_dialog.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/windows_api.h"

namespace korvel::win32 {
namespace {

::HWND Native(HWND peer) { return static_cast<::HWND>(NativeWindow(peer)); }

// The longest path Windows has, in UTF-16 units (a "\\?\" path); in the ANSI
// code page a unit can take two bytes. The dialogs fail outright, as if
// cancelled, when a pick does not fit their buffer.
constexpr std::size_t kLongestPath = 32768;
constexpr std::size_t kAnsiPathBuffer = 2 * kLongestPath;

bool ShellOpen(HWND owner, const char* verb, const std::string& file) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(Native(owner), verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

// "A|*.a|B|*.b|" as the dialogs want it: "A\0*.a\0B\0*.b\0\0".
std::string NativeFilter(const std::string& filter) {
  std::string native;
  for (const auto& [text, patterns] : ParseFileFilter(filter)) {
    native += text;
    native += '\0';
    native += patterns;
    native += '\0';
  }
  native += '\0';
  return native;
}

// The file-system path of a shell item at whatever length the shell gives it
// (SHGetPathFromIDListA stops at MAX_PATH). Empty for an item without one,
// and for one whose path the ANSI code page cannot spell: no file call of the
// program could reach it.
std::string ShellItemPath(PCIDLIST_ABSOLUTE item) {
  std::vector<wchar_t> wide(kLongestPath, L'\0');
  if (!SHGetPathFromIDListEx(item, wide.data(), static_cast<::DWORD>(wide.size()), GPFIDL_DEFAULT))
    return {};
  const int units = lstrlenW(wide.data());
  if (units == 0) return {};
  ::BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                        0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return {};
  std::string path(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, path.data(), bytes, nullptr,
                      nullptr);
  return path;
}

int CALLBACK BrowseCallback(::HWND browser, UINT message, ::LPARAM value, ::LPARAM data) {
  const auto& request = *reinterpret_cast<const FolderDialogRequest*>(data);
  switch (message) {
    case BFFM_INITIALIZED:
      if (!request.initialFolder.empty())
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                     reinterpret_cast<::LPARAM>(request.initialFolder.c_str()));
      return 0;
    case BFFM_SELCHANGED:
      if ((request.flags & BIF_STATUSTEXT) != 0) {
        // An item without a file-system path leaves the status line as it was.
        const std::string path = ShellItemPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(value));
        if (!path.empty())
          SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<::LPARAM>(path.c_str()));
      }
      return 0;
    case BFFM_VALIDATEFAILEDA:
      return request.validateFailed ? request.validateFailed(reinterpret_cast<const char*>(value))
                                    : 0;
    default: return 0;
  }
}

}  // namespace

Win32Desktop::Win32Desktop() : cursor_(32512) {}  // the arrow, IDC_ARROW

void Win32Desktop::MessageBeep(UINT type) { ::MessageBeep(type); }

HCURSOR Win32Desktop::SetCursor(HCURSOR cursor) {
  const HCURSOR previous = cursor_;
  cursor_ = cursor;
  ::SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursor)));
  return previous;
}

bool Win32Desktop::OpenDocument(HWND owner, const std::string& path) {
  return ShellOpen(owner, "open", path);
}

bool Win32Desktop::ExploreFolder(HWND owner, const std::string& folder) {
  return ShellOpen(owner, "explore", folder);
}

// CF_TEXT in the ANSI code page, as the list's bytes are; Windows makes
// the Unicode form from it for programs that ask for that.
bool Win32Desktop::SetClipboardText(HWND owner, const std::string& lines) {
  std::string text;
  text.reserve(lines.size() + lines.size() / 16);
  for (char c : lines) {
    if (c == '\n') text += '\r';
    text += c;
  }
  if (!OpenClipboard(Native(owner))) return false;
  bool done = false;
  if (EmptyClipboard()) {
    if (::HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
      if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_TEXT, memory) != nullptr;
      }
      if (!done) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return done;
}

int Win32Prompts::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                             UINT type) {
  return MessageBoxA(Native(owner), text.c_str(), caption.c_str(), type);
}

std::optional<std::string> Win32Prompts::ChooseFile(const FileDialogRequest& request) {
  std::vector<char> path(kAnsiPathBuffer, '\0');
  request.fileName.copy(path.data(), path.size() - 1);
  const std::string filter = NativeFilter(request.filter);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Native(request.owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<::DWORD>(path.size());
  dialog.lpstrDefExt =
      request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  dialog.Flags = request.flags | OFN_EXPLORER;
  const BOOL chosen = request.open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
  if (!chosen) return std::nullopt;
  return std::string(path.data());
}

std::optional<std::string> Win32Prompts::ChooseFolder(const FolderDialogRequest& request) {
  char displayName[MAX_PATH] = {};  // the size the browser assumes; never read
  BROWSEINFOA browse{};
  browse.hwndOwner = Native(request.owner);
  browse.pidlRoot = nullptr;  // starts at the desktop
  browse.pszDisplayName = displayName;
  browse.lpszTitle = request.title.empty() ? nullptr : request.title.c_str();
  browse.ulFlags = request.flags;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<::LPARAM>(&request);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
  if (chosen == nullptr) return std::nullopt;
  std::string path = ShellItemPath(chosen);
  CoTaskMemFree(chosen);
  return path;  // empty: an item without a path, which is no cancel
}

}  // namespace korvel::win32
