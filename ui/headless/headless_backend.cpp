#include "ui/headless/headless_backend.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace korvel::headless {
namespace {

bool MenuHas(std::span<const MenuItemTemplate> items, UINT command) {
  return std::any_of(items.begin(), items.end(), [command](const MenuItemTemplate& item) {
    return (!item.separator && item.children.empty() && item.command == command) ||
           MenuHas(item.children, command);
  });
}

std::string Describe(UINT virtualKey, BYTE modifiers) {
  std::string name;
  if (modifiers & FCONTROL) name += "Ctrl+";
  if (modifiers & FALT) name += "Alt+";
  if (modifiers & FSHIFT) name += "Shift+";
  if (virtualKey >= VK_F1 && virtualKey <= VK_F12)
    return name + "F" + std::to_string(virtualKey - VK_F1 + 1);
  if (virtualKey == VK_RETURN) return name + "Enter";
  if (virtualKey == VK_ESCAPE) return name + "Escape";
  if (virtualKey >= 'A' && virtualKey <= 'Z') return name + static_cast<char>(virtualKey);
  return name + "key " + std::to_string(virtualKey);
}

}  // namespace

void MoveFocus(HeadlessBackend& backend, WindowPeer* window) { backend.MoveFocusTo(window); }

// A prompt takes the focus for as long as it is up, as a real one would: a
// combo box with the focus gets its CBN_KILLFOCUS first.
class HeadlessBackend::FocusTakingPrompts : public Prompts {
 public:
  explicit FocusTakingPrompts(HeadlessBackend& backend) : backend_(backend) {}

  int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                 UINT type) override {
    Away away(backend_);
    return backend_.scripted_.MessageBox(owner, text, caption, type);
  }
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override {
    Away away(backend_);
    return backend_.scripted_.ChooseFile(request);
  }
  std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override {
    Away away(backend_);
    return backend_.scripted_.ChooseFolder(request);
  }

 private:
  struct Away {
    explicit Away(HeadlessBackend& b) : backend(b), saved(b.focus_) {
      backend.MoveFocusTo(nullptr);
    }
    ~Away() { backend.focus_ = saved; }
    HeadlessBackend& backend;
    HWND saved;
  };
  HeadlessBackend& backend_;
};

HeadlessBackend::HeadlessBackend() : prompts_(std::make_unique<FocusTakingPrompts>(*this)) {}

HeadlessBackend::~HeadlessBackend() = default;

Prompts& HeadlessBackend::GetPrompts() { return *prompts_; }

std::vector<std::string> HeadlessBackend::Failures() const {
  std::vector<std::string> all = failures_;
  all.insert(all.end(), scripted_.Failures().begin(), scripted_.Failures().end());
  return all;
}

void HeadlessBackend::Fail(const std::string& what) {
  failures_.push_back(what);
  throw ScriptError(what);
}

HeadlessDialog& HeadlessBackend::Active() {
  if (running_.empty()) throw ScriptError("no dialog is running");
  return *running_.back();
}

HeadlessDialog& HeadlessBackend::LastClosed(int templateId) {
  for (auto it = closed_.rbegin(); it != closed_.rend(); ++it)
    if ((*it)->Id() == templateId) return **it;
  throw ScriptError("dialog " + std::to_string(templateId) + " was never closed");
}

DialogPeer& HeadlessBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) {
  open_.push_back(std::make_unique<HeadlessDialog>(*this, dialogTemplate, owner));
  return *open_.back();
}

void HeadlessBackend::DestroyDialogWindow(DialogPeer& dialog) {
  const auto it = std::find_if(open_.begin(), open_.end(),
                               [&dialog](const auto& d) { return d.get() == &dialog; });
  if (it == open_.end()) return;
  std::unique_ptr<HeadlessDialog> closing = std::move(*it);
  open_.erase(it);
  if (focus_ != nullptr && focus_->Dialog() == closing.get()) {
    // Back to the control that had the focus in the owner, without messages.
    auto* owner = dynamic_cast<HeadlessDialog*>(closing->Parent());
    focus_ = owner != nullptr ? owner->LastFocus() : nullptr;
  }
  closing->Close();
  closed_.push_back(std::move(closing));
}

void HeadlessBackend::MoveFocusTo(WindowPeer* window) {
  if (window == focus_) return;
  HWND old = focus_;
  focus_ = window;
  if (window != nullptr) {
    if (auto* dialog = dynamic_cast<HeadlessDialog*>(window->Dialog()))
      dialog->RememberFocus(window);
  }
  if (old != nullptr && old->Kind() == ControlKind::ComboBox) SendKillFocus(old);
}

void HeadlessBackend::RunModalLoop(HeadlessDialog& dialog) {
  running_.push_back(&dialog);
  struct Pop {
    std::vector<HeadlessDialog*>& running;
    ~Pop() { running.pop_back(); }
  } pop{running_};
  if (dialog.ShowOnRun()) dialog.Show(true);
  // Ticks without time: a real sweep behind the dialog still takes real
  // time, so the loop gives it some and gives up after a generous while.
  const auto idleLimit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (!dialog.Ended()) {
    if (HasTimers(dialog) &&
        (steps_.empty() || (!dialog.IsVisible() && !steps_.front().reachesHidden))) {
      if (std::chrono::steady_clock::now() > idleLimit)
        Fail("dialog " + std::to_string(dialog.Id()) + " never ended");
      Tick(dialog);
      if (!dialog.Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    if (steps_.empty())
      Fail("dialog " + std::to_string(dialog.Id()) + " is still open after the last step");
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step.run(dialog);
  }
}

void HeadlessBackend::SetTimer(HeadlessDialog& dialog, UINT_PTR id, UINT elapse) {
  KillTimer(dialog, id);
  const UINT period = elapse == 0 ? 1 : elapse;
  timers_.push_back({&dialog, id, period, now_ + period});
}

void HeadlessBackend::KillTimer(HeadlessDialog& dialog, UINT_PTR id) {
  std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog && t.id == id; });
}

void HeadlessBackend::KillTimers(HeadlessDialog& dialog) {
  std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog; });
}

bool HeadlessBackend::HasTimers(const HeadlessDialog& dialog) const {
  return std::any_of(timers_.begin(), timers_.end(),
                     [&](const Timer& t) { return t.dialog == &dialog; });
}

void HeadlessBackend::Tick(HeadlessDialog& dialog) {
  std::vector<UINT_PTR> ids;
  for (const Timer& t : timers_)
    if (t.dialog == &dialog) ids.push_back(t.id);
  for (UINT_PTR id : ids) {
    if (dialog.Ended()) return;
    SendTimer(&dialog, id);
  }
}

void HeadlessBackend::AdvanceClock(HeadlessDialog& dialog, ULONGLONG ms) {
  const ULONGLONG until = now_ + ms;
  for (;;) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->due <= until && (next == timers_.end() || it->due < next->due)) next = it;
    if (next == timers_.end() || dialog.Ended()) break;
    now_ = next->due;
    next->due += next->elapse;
    SendTimer(next->dialog, next->id);
  }
  now_ = until;
}

HeadlessBackend& HeadlessBackend::Wait(ULONGLONG ms) {
  Queue("wait " + std::to_string(ms) + " ms",
        [this, ms](HeadlessDialog& dialog) { AdvanceClock(dialog, ms); });
  steps_.back().reachesHidden = true;
  return *this;
}

HeadlessBackend& HeadlessBackend::Meanwhile(std::function<void(HeadlessDialog&)> step) {
  Queue("meanwhile", std::move(step));
  steps_.back().reachesHidden = true;
  return *this;
}

HeadlessBackend& HeadlessBackend::Queue(std::string what,
                                        std::function<void(HeadlessDialog&)> run) {
  steps_.push_back({std::move(what), std::move(run)});
  return *this;
}

WindowPeer& HeadlessBackend::Control(HeadlessDialog& dialog, int id) {
  WindowPeer* control = dialog.Item(id);
  if (control == nullptr)
    Fail("dialog " + std::to_string(dialog.Id()) + " has no control " + std::to_string(id));
  if (!control->IsEnabled()) Fail("control " + std::to_string(id) + " is disabled");
  return *control;
}

void HeadlessBackend::Click(WindowPeer& control) {
  if (control.Kind() != ControlKind::PushButton && control.Kind() != ControlKind::CheckBox)
    Fail("control " + std::to_string(control.Id()) + " is not a button");
  MoveFocusTo(&control);
  if (control.Kind() == ControlKind::CheckBox) {
    auto& box = static_cast<HeadlessButton&>(control);
    box.SetCheck(box.GetCheck() == 0 ? 1 : 0);
  }
  SendClicked(&control);
}

HeadlessBackend& HeadlessBackend::Press(UINT virtualKey, BYTE modifiers) {
  return Queue("press " + Describe(virtualKey, modifiers), [this, virtualKey,
                                                            modifiers](HeadlessDialog& dialog) {
    HWND target = focus_ != nullptr && focus_->Dialog() == &dialog ? focus_ : &dialog;
    if (RouteKeyDown(target, virtualKey, modifiers)) return;
    // What the control does with a key the layer left to it.
    if (virtualKey == VK_SPACE && modifiers == 0 && target != &dialog &&
        (target->Kind() == ControlKind::PushButton || target->Kind() == ControlKind::CheckBox))
      Click(*target);
  });
}

HeadlessBackend& HeadlessBackend::Click(int id) {
  return Queue("click " + std::to_string(id),
               [this, id](HeadlessDialog& dialog) { Click(Control(dialog, id)); });
}

HeadlessBackend& HeadlessBackend::Menu(UINT command) {
  return Queue("menu " + std::to_string(command), [this, command](HeadlessDialog& dialog) {
    const MenuTemplate* menu = FindMenuTemplate(dialog.Template().menu);
    if (menu == nullptr || !MenuHas(menu->items, command))
      Fail("dialog " + std::to_string(dialog.Id()) + " has no menu item " +
           std::to_string(command));
    SendMenuCommand(&dialog, command);
  });
}

void HeadlessBackend::ClickRow(HeadlessDialog& dialog, int listId, int row, UINT notification,
                               BYTE modifiers) {
  auto* list = dynamic_cast<HeadlessList*>(&Control(dialog, listId));
  if (list == nullptr) Fail("control " + std::to_string(listId) + " is not a list");
  if (row >= list->GetItemCount())
    Fail("list " + std::to_string(listId) + " has no row " + std::to_string(row));
  MoveFocusTo(list);
  ListRows& rows = list->Rows();
  const bool single = (list->Style() & LVS_SINGLESEL) != 0;
  if (row >= 0 && !single && (modifiers & FCONTROL) != 0) {
    rows.SelectFromView(row, row, !rows.IsSelected(row));
    rows.FocusFromView(row);
  } else if (row >= 0 && !single && (modifiers & FSHIFT) != 0) {
    const int anchor = rows.Focused() < 0 ? row : rows.Focused();
    rows.ClearSelection();
    rows.SelectFromView(std::min(anchor, row), std::max(anchor, row), true);
    rows.FocusFromView(row);
  } else {
    rows.SelectOnly(row);  // a click on no row clears the selection
  }
  if (notification != 0) SendNotify(list, notification);
}

HeadlessBackend& HeadlessBackend::SelectRow(int listId, int row, BYTE modifiers) {
  return Queue("select row " + std::to_string(row),
               [this, listId, row, modifiers](HeadlessDialog& dialog) {
                 ClickRow(dialog, listId, row, 0, modifiers);
               });
}

HeadlessBackend& HeadlessBackend::DoubleClickRow(int listId, int row) {
  return Queue(
      "double-click row " + std::to_string(row),
      [this, listId, row](HeadlessDialog& dialog) { ClickRow(dialog, listId, row, NM_DBLCLK); });
}

HeadlessBackend& HeadlessBackend::RightDoubleClickRow(int listId, int row) {
  return Queue(
      "right double-click row " + std::to_string(row),
      [this, listId, row](HeadlessDialog& dialog) { ClickRow(dialog, listId, row, NM_RDBLCLK); });
}

HeadlessBackend& HeadlessBackend::Drop(std::vector<std::string> paths) {
  return Queue("drop", [this, paths = std::move(paths)](HeadlessDialog& dialog) {
    if ((dialog.Template().exStyle & WS_EX_ACCEPTFILES) == 0)
      Fail("dialog " + std::to_string(dialog.Id()) + " takes no dropped files");
    SendDropFiles(&dialog, paths);
  });
}

HeadlessBackend& HeadlessBackend::Focus(int id) {
  return Queue("focus " + std::to_string(id),
               [this, id](HeadlessDialog& dialog) { MoveFocusTo(&Control(dialog, id)); });
}

HeadlessBackend& HeadlessBackend::Type(int comboId, std::string text) {
  return Queue("type into " + std::to_string(comboId),
               [this, comboId, text = std::move(text)](HeadlessDialog& dialog) {
                 auto* combo = dynamic_cast<HeadlessCombo*>(&Control(dialog, comboId));
                 if (combo == nullptr)
                   Fail("control " + std::to_string(comboId) + " is not a combo box");
                 MoveFocusTo(combo);
                 combo->Type(text);
               });
}

HeadlessBackend& HeadlessBackend::CloseBox() {
  return Queue("close box", [this](HeadlessDialog& dialog) {
    if ((dialog.Template().style & WS_SYSMENU) == 0)
      Fail("dialog " + std::to_string(dialog.Id()) + " has no close box");
    SendClose(&dialog);
  });
}

HeadlessBackend& HeadlessBackend::Then(std::function<void(HeadlessDialog&)> step) {
  return Queue("check", std::move(step));
}

}  // namespace korvel::headless
