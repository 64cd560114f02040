#pragma once
// The headless backend's windows: every control's state kept in memory, so a
// test can read what a user would see.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/backend.h"

namespace korvel::headless {

class HeadlessBackend;

// A step or prompt that the test script did not foresee, or a step that the
// window cannot take. Recorded by the backend and thrown to end the run.
class ScriptError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

void MoveFocus(HeadlessBackend& backend, WindowPeer* window);

// What every headless window keeps: text, enabled state, template style.
template <class Peer>
class Window : public Peer {
 public:
  Window(HeadlessBackend& backend, ControlKind kind, int id, WindowPeer* parent, std::string text,
         DWORD style)
      : Peer(kind, id, parent), backend_(backend), text_(std::move(text)), style_(style) {}

  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  void Enable(bool enable) override { enabled_ = enable; }
  bool IsEnabled() const override { return enabled_; }
  void SetFocus() override { MoveFocus(backend_, this); }
  DWORD Style() const { return style_; }

 protected:
  HeadlessBackend& backend_;
  std::string text_;
  bool enabled_ = true;
  DWORD style_;
};

// Group boxes, labels, pictures and rectangles.
class HeadlessStatic : public Window<WindowPeer> {
 public:
  using Window::Window;
};

// The rows are the layer's store (Rows()); the list keeps only its columns' looks.
class HeadlessList : public Window<ListPeer> {
 public:
  using Window::Window;
  struct Column {
    std::string heading;
    int format;
    int width;
  };

  DWORD GetExtendedStyle() const override { return extendedStyle_; }
  void SetExtendedStyle(DWORD styles) override { extendedStyle_ = styles; }

  const std::vector<Column>& Columns() const { return columns_; }
  // The rows shown, cell by cell, for a test to compare.
  std::vector<std::vector<std::string>> Table() const {
    std::vector<std::vector<std::string>> table;
    for (int row = 0; row < GetItemCount(); ++row) {
      table.emplace_back();
      for (int column = 0; column < GetColumnCount(); ++column)
        table.back().push_back(GetItemText(row, column));
    }
    return table;
  }

 protected:
  void ColumnInserted(int column, int format, int width) override {
    columns_.insert(columns_.begin() + column, Column{Rows().Heading(column), format, width});
  }

 private:
  std::vector<Column> columns_;
  DWORD extendedStyle_ = 0;
};

class HeadlessCombo : public Window<ComboPeer> {
 public:
  using Window::Window;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  std::string GetItem(int index) const override;
  int InsertItem(int index, const std::string& text) override;
  int GetCurSel() const override { return selected_; }
  void SetCurSel(int index) override;
  void ResetContent() override;

  // The user types into the edit field: the selection goes.
  void Type(const std::string& text);
  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
  int selected_ = -1;
};

class HeadlessButton : public Window<ButtonPeer> {
 public:
  using Window::Window;
  int GetCheck() const override { return check_; }
  void SetCheck(int state) override { check_ = state; }
  void SetIcon(HICON icon) override { icon_ = icon; }
  HICON Icon() const { return icon_; }

 private:
  int check_ = 0;
  HICON icon_ = nullptr;
};

class HeadlessProgress : public Window<ProgressPeer> {
 public:
  using Window::Window;
  void SetRange(int lower, int upper) override {
    lower_ = lower;
    upper_ = upper;
  }
  void SetPos(int pos) override { pos_ = pos; }
  int GetPos() const override { return pos_; }
  void SetMarquee(bool on) override { marquee_ = on; }
  bool IsMarquee() const override { return marquee_; }
  int Lower() const { return lower_; }
  int Upper() const { return upper_; }

 private:
  int lower_ = 0;
  int upper_ = 100;
  int pos_ = 0;
  bool marquee_ = false;
};

class HeadlessToolTip : public Window<ToolTipPeer> {
 public:
  using Window::Window;
  struct Tool {
    int control;
    std::string text;
  };
  void AddTool(HWND tool, const std::string& text) override;
  void Activate(bool active) override { active_ = active; }
  void RelayEvent(const MSG&) override { ++relayed_; }
  int GetToolCount() const override { return static_cast<int>(tools_.size()); }
  std::string GetToolText(HWND tool) const override;

  const std::vector<Tool>& Tools() const { return tools_; }
  bool Active() const { return active_; }
  int Relayed() const { return relayed_; }

 private:
  std::vector<std::pair<HWND, Tool>> entries_;
  std::vector<Tool> tools_;
  bool active_ = false;
  int relayed_ = 0;
};

class HeadlessDialog : public Window<DialogPeer> {
 public:
  HeadlessDialog(HeadlessBackend& backend, const DialogTemplate& dialogTemplate, WindowPeer* owner);

  WindowPeer* Item(int id) override;
  void RunModalLoop() override;
  void EndModalLoop() override { ended_ = true; }
  void SetIcon(HICON icon, bool big) override { (big ? bigIcon_ : smallIcon_) = icon; }
  ToolTipPeer& CreateToolTip() override;
  void Show(bool show) override;
  bool IsVisible() const override { return visible_; }
  void SetTimer(UINT_PTR id, UINT elapse) override;
  void KillTimer(UINT_PTR id) override;

  const DialogTemplate& Template() const { return template_; }
  // Whether the window was ever on the screen, and when it came there
  // (the backend's clock, in ms).
  bool WasShown() const { return shownAt_ >= 0; }
  long long ShownAt() const { return shownAt_; }
  bool Ended() const { return ended_; }
  HICON BigIcon() const { return bigIcon_; }
  HICON SmallIcon() const { return smallIcon_; }
  WindowPeer* LastFocus() const { return lastFocus_; }
  void RememberFocus(WindowPeer* window) { lastFocus_ = window; }
  // Unbinds every window from the layer; the state stays readable.
  void Close();

  // Typed access for tests; throw ScriptError for a missing or other control.
  HeadlessList& List(int id);
  HeadlessCombo& Combo(int id);
  HeadlessButton& Button(int id);
  HeadlessProgress& Progress(int id);
  HeadlessToolTip& ToolTip();  // the first one created

 private:
  template <class T>
  T& Typed(int id, const char* kind);

  const DialogTemplate& template_;
  std::vector<std::unique_ptr<WindowPeer>> controls_;
  std::vector<std::unique_ptr<HeadlessToolTip>> toolTips_;
  bool ended_ = false;
  bool visible_ = false;
  long long shownAt_ = -1;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  WindowPeer* lastFocus_ = nullptr;
};

}  // namespace korvel::headless
