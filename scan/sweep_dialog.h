#pragma once
// What a sweep needs of the window that started it. The main dialog
// implements it; so does the command-line tool.
#include <string>

namespace korvel {

class SweepDialog {
 public:
  virtual ~SweepDialog() = default;

  // One result row: the address (already cut at its first NUL) and the path
  // of the file it was found in, exactly as the sweep was given it.
  virtual void AddResultRow(const std::string& address, const std::string& location) = 0;

  // The folder options as the fields show them right now.
  virtual std::string KeywordText() = 0;
  virtual std::string ExtensionText() = 0;
  virtual bool IsLocalSweep() = 0;

  // A message box owned by the window: caption "Warning", OK, exclamation icon.
  virtual void ShowWarning(const std::string& text) = 0;

  // Busy indication. BeginWaitCursor returns a token for the cursor that was
  // shown before; RestoreCursor puts that one back. Calls may nest.
  virtual int BeginWaitCursor() = 0;
  virtual void RestoreCursor(int previous) = 0;

  // Enter the field's current text at the top of its history.
  virtual void AddKeywordsToHistory() = 0;
  virtual void AddExtensionsToHistory() = 0;
};

}  // namespace korvel
