#pragma once
// Desktop services that only record what the program asked for. Opening a
// document succeeds when it is an existing file, exploring when the folder
// exists.
#include <string>
#include <vector>

#include "ui/desktop.h"

namespace korvel::headless {

struct Opened {
  std::string verb;  // "open" or "explore"
  std::string path;
  bool succeeded;
};

class RecordingDesktop : public Desktop {
 public:
  void MessageBeep(UINT type) override { sounds_.push_back(type); }
  HCURSOR GetCursor() override { return cursor_; }
  HCURSOR SetCursor(HCURSOR cursor) override;
  bool OpenDocument(HWND owner, const std::string& path) override;
  bool ExploreFolder(HWND owner, const std::string& folder) override;
  bool SetClipboardText(HWND, const std::string& text) override {
    clipboard_ = text;
    return true;
  }

  const std::vector<UINT>& Sounds() const { return sounds_; }
  // Every cursor set, in order.
  const std::vector<HCURSOR>& CursorHistory() const { return cursors_; }
  const std::vector<Opened>& OpenedPaths() const { return opened_; }
  const std::string& Clipboard() const { return clipboard_; }

 private:
  std::vector<UINT> sounds_;
  HCURSOR cursor_ = IDC_ARROW;
  std::vector<HCURSOR> cursors_;
  std::vector<Opened> opened_;
  std::string clipboard_;
};

}  // namespace korvel::headless
