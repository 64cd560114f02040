#pragma once
// Drives a real window from inside its own modal loop: each tick of a thread
// timer runs the next step. WM_TIMER comes only when no other message waits,
// so what one step posted has been handled before the next step runs.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/win32/windows_api.h"

namespace korvel::testing {

// Key strokes as the keyboard gives them: (virtual key, released) pairs, to
// the window with the focus.
inline void SendKeyStrokes(const std::vector<std::pair<WORD, bool>>& strokes) {
  std::vector<INPUT> input;
  for (const auto& [key, released] : strokes) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = key;
    one.ki.dwFlags = released ? KEYEVENTF_KEYUP : 0;
    input.push_back(one);
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

class TimerScript {
 public:
  TimerScript& Step(std::string what, std::function<void()> run) {
    steps_.push_back({std::move(what), std::move(run), nullptr, 0, 0});
    return *this;
  }

  // Waits until `ready` holds, at most `seconds` by the clock: a budget in
  // ticks was 5 s, which a loaded machine can exceed, and ticks come late
  // then. A wait that runs out is remembered (TimedOut) before the script
  // goes on, so the test names it instead of failing somewhere after it.
  TimerScript& Until(std::string what, std::function<bool()> ready, int seconds = 60) {
    steps_.push_back({std::move(what), [] {}, std::move(ready), static_cast<::DWORD>(seconds) * 1000, 0});
    return *this;
  }

  // A key press as the keyboard gives it, to the window with the focus. It
  // waits until a window of this thread is in front: input goes to the
  // foreground window, which Wine may not have moved to a new one yet.
  TimerScript& Press(UINT virtualKey, bool control = false) {
    Until("a window of the test in front", [] {
      return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId();
    });
    return Step("press key " + std::to_string(virtualKey), [virtualKey, control] {
      const auto key = static_cast<WORD>(virtualKey);
      if (control)
        SendKeyStrokes({{VK_CONTROL, false}, {key, false}, {key, true}, {VK_CONTROL, true}});
      else
        SendKeyStrokes({{key, false}, {key, true}});
    });
  }

  void Start(UINT intervalMs = 25) {
    Current() = this;
    next_ = 0;
    timer_ = SetTimer(nullptr, 0, intervalMs, &TimerScript::Tick);
  }
  bool Finished() const { return next_ >= steps_.size(); }
  // The waits that ran out, by name; empty when every one was met.
  const std::string& TimedOut() const { return timed_out_; }
  // The step running now, for messages.
  const std::string& Running() const { return running_; }

  ~TimerScript() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    if (Current() == this) Current() = nullptr;
  }

 private:
  struct Entry {
    std::string what;
    std::function<void()> run;
    std::function<bool()> ready;  // none: run at once
    ::DWORD budget_ms = 0;
    ::DWORD started = 0;  // when the wait began; 0 before its first tick
  };
  static TimerScript*& Current() {
    static TimerScript* current = nullptr;
    return current;
  }
  static void CALLBACK Tick(::HWND, UINT, UINT_PTR, ::DWORD) {
    TimerScript* script = Current();
    if (script == nullptr || script->Finished()) return;
    Entry& waiting = script->steps_[script->next_];
    if (waiting.ready && !waiting.ready()) {
      const ::DWORD now = GetTickCount();
      if (waiting.started == 0) waiting.started = now | 1;
      if (now - waiting.started < waiting.budget_ms) return;
      script->timed_out_ += (script->timed_out_.empty() ? "" : ", ") + waiting.what;
    }
    Entry& entry = script->steps_[script->next_++];
    script->running_ = entry.what;
    if (script->Finished()) {
      KillTimer(nullptr, script->timer_);
      script->timer_ = 0;
    }
    entry.run();  // may end the loop that called us
  }

  std::vector<Entry> steps_;
  std::size_t next_ = 0;
  UINT_PTR timer_ = 0;
  std::string running_;
  std::string timed_out_;
};

}  // namespace korvel::testing
