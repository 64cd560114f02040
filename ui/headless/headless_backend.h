#pragma once
// A backend without a screen. The test queues input steps; each modal loop
// takes steps from the front of the queue and applies them to its own dialog
// (a nested dialog, like an about box, takes the steps queued after the one
// that opened it) until the dialog ends. A loop that runs out of steps with
// its dialog still open is a ScriptError, never a hang.
//
// Time is the backend's own: it stands still except in a Wait step, which
// moves the clock on and fires the timers that fall due. A dialog with a
// timer that is running hidden (a progress box before it shows) or has no
// steps left is given timer ticks without time passing, until it ends or a
// Wait or Meanwhile step comes; so a sweep that no test step waits for never
// shows its box, however long it really takes.
//
//   HeadlessBackend ui;
//   ui.prompts().AnswerMessageBox(IDNO);
//   ui.Press(VK_F12).Then([](HeadlessDialog& d) { ... }).Press(VK_ESCAPE);
//   RunApplication(app, argc, argv, ui);
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "ui/headless/headless_peers.h"
#include "ui/headless/recording_desktop.h"
#include "ui/headless/scripted_prompts.h"

namespace korvel::headless {

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend();
  ~HeadlessBackend() override;

  // Input steps, queued in order.
  // A key press to the focused control (or the dialog when none has focus).
  HeadlessBackend& Press(UINT virtualKey, BYTE modifiers = 0);
  // A mouse click on a button or check box; it takes the focus first.
  HeadlessBackend& Click(int id);
  // A menu item of the dialog's menu bar.
  HeadlessBackend& Menu(UINT command);
  // A click on a list row (-1: on no row); the list takes the focus. With
  // FCONTROL the row's selection flips, with FSHIFT the rows from the
  // focused one to it are selected (not in a list with LVS_SINGLESEL).
  HeadlessBackend& SelectRow(int listId, int row, BYTE modifiers = 0);
  // The first click selects the row, then NM_DBLCLK / NM_RDBLCLK.
  HeadlessBackend& DoubleClickRow(int listId, int row);
  HeadlessBackend& RightDoubleClickRow(int listId, int row);
  // Paths dropped on the dialog; the focus stays where it is.
  HeadlessBackend& Drop(std::vector<std::string> paths);
  // Moves the focus; a combo box losing it sends CBN_KILLFOCUS.
  HeadlessBackend& Focus(int id);
  // Focuses a combo box and replaces its edit text, as typing would.
  HeadlessBackend& Type(int comboId, std::string text);
  HeadlessBackend& CloseBox();
  // Moves the clock on by `ms`, firing the timers that fall due on the way.
  HeadlessBackend& Wait(ULONGLONG ms);
  // Like Then, but also taken by a dialog that runs hidden: what happens
  // behind a box before it shows.
  HeadlessBackend& Meanwhile(std::function<void(HeadlessDialog&)> step);
  // Anything else, e.g. checks of the dialog's state between steps.
  HeadlessBackend& Then(std::function<void(HeadlessDialog&)> step);

  ScriptedPrompts& prompts() { return scripted_; }
  RecordingDesktop& desktop() { return desktop_; }

  // The innermost dialog whose modal loop is running.
  HeadlessDialog& Active();
  // Dialogs destroyed so far, oldest first; their controls keep their state.
  const std::vector<std::unique_ptr<HeadlessDialog>>& Closed() const { return closed_; }
  HeadlessDialog& LastClosed(int templateId);
  HWND Focused() const { return focus_; }
  std::size_t PendingSteps() const { return steps_.size(); }
  // Script errors of steps and prompts.
  std::vector<std::string> Failures() const;

  // Backend
  DialogPeer& CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) override;
  void DestroyDialogWindow(DialogPeer& dialog) override;
  HWND GetFocus() override { return focus_; }
  Desktop& GetDesktop() override { return desktop_; }
  Prompts& GetPrompts() override;
  ULONGLONG GetTickCount() override { return now_; }

  void SetTimer(HeadlessDialog& dialog, UINT_PTR id, UINT elapse);
  void KillTimer(HeadlessDialog& dialog, UINT_PTR id);
  void KillTimers(HeadlessDialog& dialog);

  void RunModalLoop(HeadlessDialog& dialog);
  void MoveFocusTo(WindowPeer* window);

 private:
  struct Step {
    std::string what;
    std::function<void(HeadlessDialog&)> run;
    bool reachesHidden = false;  // Wait and Meanwhile
  };
  struct Timer {
    HeadlessDialog* dialog;
    UINT_PTR id;
    UINT elapse;
    ULONGLONG due;
  };
  class FocusTakingPrompts;

  HeadlessBackend& Queue(std::string what, std::function<void(HeadlessDialog&)> run);
  [[noreturn]] void Fail(const std::string& what);
  WindowPeer& Control(HeadlessDialog& dialog, int id);
  void ClickRow(HeadlessDialog& dialog, int listId, int row, UINT notification,
                BYTE modifiers = 0);
  void Click(WindowPeer& control);
  bool HasTimers(const HeadlessDialog& dialog) const;
  // Every timer of `dialog` once, the clock standing still.
  void Tick(HeadlessDialog& dialog);
  void AdvanceClock(HeadlessDialog& dialog, ULONGLONG ms);

  std::deque<Step> steps_;
  std::vector<std::unique_ptr<HeadlessDialog>> open_;
  std::vector<std::unique_ptr<HeadlessDialog>> closed_;
  std::vector<HeadlessDialog*> running_;
  HWND focus_ = nullptr;
  ScriptedPrompts scripted_;
  RecordingDesktop desktop_;
  std::unique_ptr<FocusTakingPrompts> prompts_;
  std::vector<std::string> failures_;
  std::vector<Timer> timers_;
  ULONGLONG now_ = 0;
};

}  // namespace korvel::headless
