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
    steps_.push_back({std::move(what), std::move(run), nullptr, 0});
    return *this;
  }

  // Waits, tick by tick, until `ready` holds (at most `ticks` ticks); the
  // next step runs only then.
  TimerScript& Until(std::string what, std::function<bool()> ready, int ticks = 200) {
    steps_.push_back({std::move(what), [] {}, std::move(ready), ticks});
    return *this;
  }

  // A key press as the keyboard gives it, to the window with the focus.
  TimerScript& Press(UINT virtualKey, bool control = false) {
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
    int ticks = 0;
  };
  static TimerScript*& Current() {
    static TimerScript* current = nullptr;
    return current;
  }
  static void CALLBACK Tick(::HWND, UINT, UINT_PTR, ::DWORD) {
    TimerScript* script = Current();
    if (script == nullptr || script->Finished()) return;
    Entry& waiting = script->steps_[script->next_];
    if (waiting.ready && !waiting.ready() && --waiting.ticks > 0) return;
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
};

}  // namespace korvel::testing
