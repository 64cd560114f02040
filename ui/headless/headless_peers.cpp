#include "ui/headless/headless_peers.h"

#include <algorithm>

#include "ui/headless/headless_backend.h"

namespace korvel::headless {

// HeadlessCombo

std::string HeadlessCombo::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

int HeadlessCombo::InsertItem(int index, const std::string& text) {
  if (index < 0 || index > GetCount()) index = GetCount();
  items_.insert(items_.begin() + index, text);
  if (selected_ >= index) ++selected_;
  return index;
}

void HeadlessCombo::SetCurSel(int index) {
  if (index < 0 || index >= GetCount()) {
    selected_ = -1;
    text_.clear();
    return;
  }
  selected_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
}

void HeadlessCombo::ResetContent() {
  items_.clear();
  selected_ = -1;
  text_.clear();
}

void HeadlessCombo::Type(const std::string& text) {
  text_ = text;
  selected_ = -1;
}

// HeadlessToolTip

void HeadlessToolTip::AddTool(HWND tool, const std::string& text) {
  const Tool entry{tool != nullptr ? tool->Id() : 0, text};
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [tool](const auto& e) { return e.first == tool; });
  if (it != entries_.end()) {
    it->second = entry;
    tools_[static_cast<std::size_t>(it - entries_.begin())] = entry;
    return;
  }
  entries_.emplace_back(tool, entry);
  tools_.push_back(entry);
}

std::string HeadlessToolTip::GetToolText(HWND tool) const {
  for (const auto& [window, entry] : entries_)
    if (window == tool) return entry.text;
  return {};
}

// HeadlessDialog

HeadlessDialog::HeadlessDialog(HeadlessBackend& backend, const DialogTemplate& dialogTemplate,
                               WindowPeer* owner)
    : Window(backend, ControlKind::Dialog, dialogTemplate.id, owner,
             std::string(dialogTemplate.caption), dialogTemplate.style),
      template_(dialogTemplate) {
  for (const ControlTemplate& c : dialogTemplate.controls) {
    const std::string text(c.text);
    std::unique_ptr<WindowPeer> peer;
    switch (c.kind) {
      case ControlKind::ListView:
        peer = std::make_unique<HeadlessList>(backend, c.kind, c.id, this, text, c.style);
        break;
      case ControlKind::ComboBox:
        peer = std::make_unique<HeadlessCombo>(backend, c.kind, c.id, this, "", c.style);
        break;
      case ControlKind::PushButton:
      case ControlKind::CheckBox:
        peer = std::make_unique<HeadlessButton>(backend, c.kind, c.id, this, text, c.style);
        break;
      case ControlKind::ProgressBar:
        peer = std::make_unique<HeadlessProgress>(backend, c.kind, c.id, this, text, c.style);
        break;
      default:
        peer = std::make_unique<HeadlessStatic>(backend, c.kind, c.id, this, text, c.style);
        break;
    }
    if ((c.style & WS_DISABLED) != 0) peer->Enable(false);
    controls_.push_back(std::move(peer));
  }
}

WindowPeer* HeadlessDialog::Item(int id) {
  for (const auto& control : controls_)
    if (control->Id() == id) return control.get();
  return nullptr;
}

void HeadlessDialog::RunModalLoop() { backend_.RunModalLoop(*this); }

ToolTipPeer& HeadlessDialog::CreateToolTip() {
  toolTips_.push_back(
      std::make_unique<HeadlessToolTip>(backend_, ControlKind::ToolTip, 0, this, "", 0));
  return *toolTips_.back();
}

void HeadlessDialog::Show(bool show) {
  visible_ = show;
  if (show && shownAt_ < 0) shownAt_ = static_cast<long long>(backend_.GetTickCount());
}

void HeadlessDialog::SetTimer(UINT_PTR id, UINT elapse) { backend_.SetTimer(*this, id, elapse); }

void HeadlessDialog::KillTimer(UINT_PTR id) { backend_.KillTimer(*this, id); }

void HeadlessDialog::Close() {
  backend_.KillTimers(*this);
  visible_ = false;
  ended_ = true;
  Unbind();
  for (const auto& control : controls_) control->Unbind();
  for (const auto& tip : toolTips_) tip->Unbind();
}

template <class T>
T& HeadlessDialog::Typed(int id, const char* kind) {
  auto* control = dynamic_cast<T*>(Item(id));
  if (control == nullptr)
    throw ScriptError("dialog " + std::to_string(Id()) + " has no " + kind + " " +
                      std::to_string(id));
  return *control;
}

HeadlessList& HeadlessDialog::List(int id) { return Typed<HeadlessList>(id, "list"); }
HeadlessCombo& HeadlessDialog::Combo(int id) { return Typed<HeadlessCombo>(id, "combo box"); }
HeadlessButton& HeadlessDialog::Button(int id) { return Typed<HeadlessButton>(id, "button"); }
HeadlessProgress& HeadlessDialog::Progress(int id) {
  return Typed<HeadlessProgress>(id, "progress bar");
}

HeadlessToolTip& HeadlessDialog::ToolTip() {
  if (toolTips_.empty()) throw ScriptError("dialog " + std::to_string(Id()) + " has no tooltips");
  return *toolTips_.front();
}

}  // namespace korvel::headless
