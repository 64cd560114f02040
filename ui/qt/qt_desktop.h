#pragma once
// Sounds, the busy cursor and opening files and folders, on a Qt desktop.
#include "ui/desktop.h"

namespace korvel::qt {

class QtDesktop final : public Desktop {
 public:
  ~QtDesktop() override;
  void MessageBeep(UINT type) override;
  HCURSOR GetCursor() override { return cursor_; }
  HCURSOR SetCursor(HCURSOR cursor) override;
  bool OpenDocument(HWND owner, const std::string& path) override;
  bool ExploreFolder(HWND owner, const std::string& folder) override;
  bool SetClipboardText(HWND owner, const std::string& text) override;

 private:
  HCURSOR cursor_ = IDC_ARROW;
  bool overriding_ = false;  // whether we put an override cursor up
};

}  // namespace korvel::qt
