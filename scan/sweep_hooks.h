#pragma once
// What a sweep may tell or ask of the one that started it, besides handing
// it rows (scan/row_sink.h). Every call has a no-op default, so a caller
// overrides only what it shows: the window all of them, korvel-sweep the
// warning.
#include <string>

namespace korvel {

class SweepHooks {
 public:
  virtual ~SweepHooks() = default;

  // Busy indication. BeginWaitCursor returns a token for the cursor that was
  // shown before; RestoreCursor puts that one back. Calls may nest.
  virtual int BeginWaitCursor() { return 0; }
  virtual void RestoreCursor(int /*previous*/) {}

  // A message box owned by the window: caption "Warning", OK, exclamation icon.
  virtual void ShowWarning(const std::string& /*text*/) {}

  // After a folder sweep: enter the field's current text at the top of its
  // history.
  virtual void AddKeywordsToHistory() {}
  virtual void AddExtensionsToHistory() {}
};

// Hooks that do nothing.
SweepHooks& NoSweepHooks();

// Shows the wait cursor for a scope and puts the previous cursor back when
// the scope ends, however it ends, or earlier through Restore.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(SweepHooks& hooks) : hooks_(hooks), previous_(hooks.BeginWaitCursor()) {}
  ~WaitCursorScope() { Restore(); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

  void Restore() {
    if (restored_) return;
    restored_ = true;
    hooks_.RestoreCursor(previous_);
  }

 private:
  SweepHooks& hooks_;
  int previous_;
  bool restored_ = false;
};

}  // namespace korvel
