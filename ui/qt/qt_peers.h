#pragma once
// The Qt side of the layer's windows: one peer per dialog and control, each
// wrapping the widget that shows it.
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "ui/backend.h"

class QAbstractButton;
class QComboBox;
class QEventLoop;
class QProgressBar;
class QTimer;
class QWidget;

namespace korvel::qt {

class DialogWindow;
class QtBackend;
class ResultView;

// What every control peer does the same way: text, enabling, focus.
class WidgetText {
 public:
  // The bytes last set, given back as long as the widget still shows them:
  // the display of a text that is not UTF-8 does not convert back to it.
  std::string Get(const QString& shown) const;
  QString Set(const std::string& bytes);

 private:
  std::string bytes_;
  QString shown_;
};

class QtDialogPeer final : public DialogPeer {
 public:
  QtDialogPeer(QtBackend& backend, const DialogTemplate& dialogTemplate, WindowPeer* owner);
  ~QtDialogPeer() override;

  std::string GetText() const override;
  void SetText(const std::string& text) override;
  void Enable(bool enable) override;
  bool IsEnabled() const override { return enabled_; }
  void SetFocus() override;
  WindowPeer* Item(int id) override;
  void RunModalLoop() override;
  void EndModalLoop() override;
  void SetIcon(HICON icon, bool big) override;
  ToolTipPeer& CreateToolTip() override;
  void Show(bool show) override;
  bool IsVisible() const override;
  void SetTimer(UINT_PTR id, UINT elapse) override;
  void KillTimer(UINT_PTR id) override;

  DialogWindow* Window() const { return window_; }
  // Whether the dialog has ended (its loop returns once the current event is handled).
  bool EndRequested() const { return end_requested_; }
  QWidget* Client() const { return client_; }
  const DialogTemplate& Template() const { return template_; }
  // The focus a hidden window gets when it is shown.
  void SetPendingFocus(QWidget* widget) { pending_focus_ = widget; }
  const std::vector<std::unique_ptr<WindowPeer>>& Controls() const { return controls_; }

 private:
  void Place();

  QtBackend& backend_;
  const DialogTemplate& template_;
  DialogWindow* window_ = nullptr;
  QWidget* client_ = nullptr;
  std::vector<std::unique_ptr<WindowPeer>> controls_;
  std::unique_ptr<ToolTipPeer> tooltips_;
  WidgetText caption_;
  bool enabled_ = true;
  bool end_requested_ = false;
  QEventLoop* loop_ = nullptr;
  QPointer<QWidget> pending_focus_;
  std::vector<std::pair<UINT_PTR, QTimer*>> timers_;  // children of the window
};

// Group boxes, labels, pictures and rectangles.
class QtStaticPeer final : public WindowPeer {
 public:
  QtStaticPeer(const ControlTemplate& control, QtDialogPeer& dialog, QWidget* widget);
  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override;
  void Enable(bool enable) override;
  bool IsEnabled() const override;
  void SetFocus() override {}
  QWidget* Widget() const { return widget_; }

 private:
  QWidget* widget_;
  std::string text_;
  bool no_prefix_;
};

class QtButtonPeer final : public ButtonPeer {
 public:
  QtButtonPeer(const ControlTemplate& control, QtDialogPeer& dialog, QAbstractButton* button);
  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override;
  void Enable(bool enable) override;
  bool IsEnabled() const override;
  void SetFocus() override;
  int GetCheck() const override;
  void SetCheck(int state) override;
  void SetIcon(HICON icon) override;
  QAbstractButton* Button() const { return button_; }

 private:
  QAbstractButton* button_;
  std::string text_;
};

class QtComboPeer final : public ComboPeer {
 public:
  QtComboPeer(const ControlTemplate& control, QtDialogPeer& dialog, QComboBox* combo);
  std::string GetText() const override;
  void SetText(const std::string& text) override;
  void Enable(bool enable) override;
  bool IsEnabled() const override;
  void SetFocus() override;
  int GetCount() const override;
  std::string GetItem(int index) const override;
  int InsertItem(int index, const std::string& text) override;
  int GetCurSel() const override;
  void SetCurSel(int index) override;
  void ResetContent() override;
  QComboBox* Combo() const { return combo_; }

 private:
  QComboBox* combo_;
  WidgetText edit_;
};

class QtListPeer final : public ListPeer {
 public:
  QtListPeer(const ControlTemplate& control, QtDialogPeer& dialog, ResultView* view);
  std::string GetText() const override { return {}; }
  void SetText(const std::string&) override {}
  void Enable(bool enable) override;
  bool IsEnabled() const override;
  void SetFocus() override;
  DWORD GetExtendedStyle() const override { return extended_; }
  void SetExtendedStyle(DWORD styles) override;
  ResultView* View() const { return view_; }

 protected:
  void ColumnInserted(int column, int format, int width) override;

 private:
  ResultView* view_;
  DWORD extended_ = 0;
};

class QtProgressPeer final : public ProgressPeer {
 public:
  QtProgressPeer(const ControlTemplate& control, QtDialogPeer& dialog, QProgressBar* bar);
  std::string GetText() const override { return {}; }
  void SetText(const std::string&) override {}
  void Enable(bool enable) override;
  bool IsEnabled() const override;
  void SetFocus() override {}
  void SetRange(int lower, int upper) override;
  void SetPos(int pos) override;
  int GetPos() const override;
  void SetMarquee(bool on) override;
  bool IsMarquee() const override { return marquee_; }
  QProgressBar* Bar() const { return bar_; }

 private:
  QProgressBar* bar_;
  int lower_ = 0;
  int upper_ = 100;
  bool marquee_ = false;
};

// Qt shows tooltips itself; the peer gives each tool widget its text.
class QtToolTipPeer final : public ToolTipPeer {
 public:
  explicit QtToolTipPeer(QtDialogPeer& dialog);
  ~QtToolTipPeer() override;
  std::string GetText() const override { return {}; }
  void SetText(const std::string&) override {}
  void Enable(bool enable) override { Activate(enable); }
  bool IsEnabled() const override { return active_; }
  void SetFocus() override {}
  void AddTool(HWND tool, const std::string& text) override;
  void Activate(bool active) override;
  void RelayEvent(const MSG&) override {}
  int GetToolCount() const override { return static_cast<int>(tools_.size()); }
  std::string GetToolText(HWND tool) const override;

 private:
  struct Tool {
    HWND peer;
    QPointer<QWidget> widget;
    std::string text;
  };
  void Apply();

  std::vector<Tool> tools_;
  bool active_ = false;
};

}  // namespace korvel::qt
