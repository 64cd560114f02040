#include "ui/qt/qt_peers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "ui/qt/control_factory.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/display_text.h"
#include "ui/qt/path_label.h"
#include "ui/qt/qt_backend.h"
#include "ui/qt/resource_images.h"
#include "ui/qt/result_model.h"
#include "ui/qt/result_view.h"

namespace korvel::qt {

std::string WidgetText::Get(const QString& shown) const {
  return shown == shown_ ? bytes_ : TextBytes(shown);
}

QString WidgetText::Set(const std::string& bytes) {
  bytes_ = bytes;
  shown_ = DisplayText(bytes);
  return shown_;
}

// ---------------------------------------------------------------- dialog

QtDialogPeer::QtDialogPeer(QtBackend& backend, const DialogTemplate& dialogTemplate,
                           WindowPeer* owner)
    : DialogPeer(ControlKind::Dialog, dialogTemplate.id, owner),
      backend_(backend),
      template_(dialogTemplate) {
  QWidget* ownerWidget = owner != nullptr ? QtBackend::WidgetOf(owner) : nullptr;
  if (ownerWidget != nullptr) ownerWidget = ownerWidget->window();
  window_ = new DialogWindow(*this, ownerWidget);
  backend_.Register(window_, this);

  // A window with an owner is that window's dialog; one without is an
  // application window with its own task-bar entry.
  Qt::WindowFlags flags = (ownerWidget != nullptr ? Qt::Dialog : Qt::Window) |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialogTemplate.style & WS_SYSMENU)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (dialogTemplate.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
  if (dialogTemplate.style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
  window_->setWindowFlags(flags);
  window_->setWindowTitle(caption_.Set(std::string(dialogTemplate.caption)));
  window_->setAcceptDrops((dialogTemplate.exStyle & WS_EX_ACCEPTFILES) != 0);

  const QFont font = TemplateFont(DisplayText(dialogTemplate.fontName), dialogTemplate.pointSize);
  window_->setFont(font);
  const DialogUnits units = TemplateUnits(dialogTemplate, font);

  int top = 0;
  if (const MenuTemplate* menu =
          dialogTemplate.menu != 0 ? FindMenuTemplate(dialogTemplate.menu) : nullptr) {
    QMenuBar* bar = CreateMenuBar(*menu, *this, window_);
    top = bar->sizeHint().height();
    bar->setGeometry(0, 0, units.X(dialogTemplate.cx), top);
  }

  client_ = new QWidget(window_);
  client_->setGeometry(QRect(QPoint(0, top), units.Size(dialogTemplate.cx, dialogTemplate.cy)));
  backend_.Register(client_, this);

  QWidget* previous = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    CreatedControl created = CreateControl(control, *this, client_, units);
    if (created.widget == nullptr) continue;
    backend_.Register(created.widget, created.peer.get());
    controls_.push_back(std::move(created.peer));
    // Tab order is template order.
    if (created.widget->focusPolicy() & Qt::TabFocus) {
      if (previous != nullptr) QWidget::setTabOrder(previous, created.widget);
      previous = created.widget;
    }
  }

  window_->setFixedSize(client_->width(), top + client_->height());
}

QtDialogPeer::~QtDialogPeer() {
  if (loop_ != nullptr) loop_->exit(0);
  backend_.Unregister(window_);
  backend_.Unregister(client_);
  for (const auto& control : controls_)
    if (QWidget* widget = QtBackend::WidgetOf(control.get())) backend_.Unregister(widget);
  tooltips_.reset();
  window_->AllowClose();
  delete window_;
  controls_.clear();
}

std::string QtDialogPeer::GetText() const { return caption_.Get(window_->windowTitle()); }

void QtDialogPeer::SetText(const std::string& text) { window_->setWindowTitle(caption_.Set(text)); }

void QtDialogPeer::Enable(bool enable) {
  // Input to a disabled owner is blocked by its modal dialog; greying out
  // every control as QWidget::setEnabled would is not what the user sees.
  enabled_ = enable;
}

void QtDialogPeer::SetFocus() {
  window_->activateWindow();
  window_->setFocus(Qt::OtherFocusReason);
}

WindowPeer* QtDialogPeer::Item(int id) {
  for (const auto& control : controls_)
    if (control->Id() == id) return control.get();
  return nullptr;
}

void QtDialogPeer::Place() {
  const QSize size = window_->size();
  QWidget* owner = window_->parentWidget();
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (template_.style & DS_CENTER) {
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window_->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    return;
  }
  const DialogUnits units = TemplateUnits(template_, window_->font());
  QPoint origin;
  if (owner != nullptr) {
    // Template positions count from the owner's client area.
    const WindowPeer* ownerPeer = Parent();
    const auto* ownerDialog = dynamic_cast<const QtDialogPeer*>(ownerPeer);
    QWidget* client = ownerDialog != nullptr ? ownerDialog->Client() : owner;
    origin = client->mapToGlobal(QPoint(0, 0));
  } else if (screen != nullptr) {
    origin = screen->availableGeometry().topLeft();
  }
  window_->move(origin + QPoint(units.X(template_.x), units.Y(template_.y)));
}

void QtDialogPeer::RunModalLoop() {
  end_requested_ = false;
  window_->setWindowModality(Qt::ApplicationModal);
  if (ShowOnRun()) Show(true);
  QEventLoop loop;
  loop_ = &loop;
  if (!end_requested_) loop.exec(QEventLoop::DialogExec);
  loop_ = nullptr;
  window_->AllowClose();
  window_->hide();
}

void QtDialogPeer::Show(bool show) {
  if (!show) {
    window_->hide();
    return;
  }
  if (window_->isVisible()) return;
  Place();
  window_->show();
  window_->raise();
  window_->activateWindow();
  if (pending_focus_) pending_focus_->setFocus(Qt::OtherFocusReason);
  pending_focus_ = nullptr;
}

bool QtDialogPeer::IsVisible() const { return window_->isVisible(); }

void QtDialogPeer::SetTimer(UINT_PTR id, UINT elapse) {
  KillTimer(id);
  auto* timer = new QTimer(window_);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, window_, [this, id] { SendTimer(this, id); });
  timer->start(static_cast<int>(elapse));
  timers_.emplace_back(id, timer);
}

void QtDialogPeer::KillTimer(UINT_PTR id) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->first != id) continue;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
    return;
  }
}

void QtDialogPeer::EndModalLoop() {
  end_requested_ = true;
  if (loop_ != nullptr) loop_->exit(0);
}

void QtDialogPeer::SetIcon(HICON icon, bool) {
  if (icon != nullptr) window_->setWindowIcon(ResourceIcon(icon->id));
}

ToolTipPeer& QtDialogPeer::CreateToolTip() {
  if (!tooltips_) tooltips_ = std::make_unique<QtToolTipPeer>(*this);
  return *tooltips_;
}

// ---------------------------------------------------------------- statics

QtStaticPeer::QtStaticPeer(const ControlTemplate& control, QtDialogPeer& dialog, QWidget* widget)
    : WindowPeer(control.kind, control.id, &dialog),
      widget_(widget),
      text_(control.text),
      no_prefix_((control.style & SS_NOPREFIX) != 0) {}

void QtStaticPeer::SetText(const std::string& text) {
  text_ = text;
  const QString shown = DisplayText(text);
  if (auto* box = qobject_cast<QGroupBox*>(widget_))
    box->setTitle(shown);
  else if (auto* path = qobject_cast<PathLabel*>(widget_))
    path->SetFullText(shown);
  else if (auto* label = qobject_cast<QLabel*>(widget_))
    label->setText(no_prefix_ ? shown : WithoutMnemonics(shown));
}

void QtStaticPeer::Enable(bool enable) { widget_->setEnabled(enable); }
bool QtStaticPeer::IsEnabled() const { return widget_->isEnabled(); }

// ---------------------------------------------------------------- buttons

QtButtonPeer::QtButtonPeer(const ControlTemplate& control, QtDialogPeer& dialog,
                           QAbstractButton* button)
    : ButtonPeer(control.kind, control.id, &dialog), button_(button), text_(control.text) {
  QObject::connect(button_, &QAbstractButton::clicked, button_, [this] { SendClicked(this); });
}

void QtButtonPeer::SetText(const std::string& text) {
  text_ = text;
  button_->setText(DisplayText(text));
}

void QtButtonPeer::Enable(bool enable) { button_->setEnabled(enable); }
bool QtButtonPeer::IsEnabled() const { return button_->isEnabled(); }

void QtButtonPeer::SetFocus() {
  auto* dialog = static_cast<QtDialogPeer*>(Dialog());
  if (!button_->isVisible() && dialog != nullptr) dialog->SetPendingFocus(button_);
  button_->setFocus(Qt::OtherFocusReason);
}

int QtButtonPeer::GetCheck() const {
  return button_->isCheckable() && button_->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void QtButtonPeer::SetCheck(int state) {
  if (button_->isCheckable()) button_->setChecked(state != BST_UNCHECKED);
}

void QtButtonPeer::SetIcon(HICON icon) {
  if (icon == nullptr) {
    button_->setIcon(QIcon());
    return;
  }
  button_->setIcon(ResourceIcon(icon->id));
  button_->setIconSize(QSize(icon->width, icon->height));
}

// ---------------------------------------------------------------- combo box

QtComboPeer::QtComboPeer(const ControlTemplate& control, QtDialogPeer& dialog, QComboBox* combo)
    : ComboPeer(control.kind, control.id, &dialog), combo_(combo) {
  combo_->setInsertPolicy(QComboBox::NoInsert);  // Enter is not "add to the list"
  combo_->setDuplicatesEnabled(true);
  combo_->setCompleter(nullptr);  // the field completes nothing by itself
  combo_->setMaxVisibleItems(10);
  combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (control.style & CBS_DISABLENOSCROLL)
    combo_->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

std::string QtComboPeer::GetText() const {
  const QString shown = combo_->lineEdit() ? combo_->lineEdit()->text() : combo_->currentText();
  const int current = combo_->currentIndex();
  if (current >= 0 && combo_->itemText(current) == shown) return GetItem(current);
  return edit_.Get(shown);
}

void QtComboPeer::SetText(const std::string& text) { combo_->setEditText(edit_.Set(text)); }

void QtComboPeer::Enable(bool enable) { combo_->setEnabled(enable); }
bool QtComboPeer::IsEnabled() const { return combo_->isEnabled(); }

void QtComboPeer::SetFocus() {
  auto* dialog = static_cast<QtDialogPeer*>(Dialog());
  if (!combo_->isVisible() && dialog != nullptr) dialog->SetPendingFocus(combo_);
  combo_->setFocus(Qt::OtherFocusReason);
}

int QtComboPeer::GetCount() const { return combo_->count(); }

std::string QtComboPeer::GetItem(int index) const {
  if (index < 0 || index >= combo_->count()) return {};
  const QByteArray bytes = combo_->itemData(index, Qt::UserRole).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int QtComboPeer::InsertItem(int index, const std::string& text) {
  const int count = combo_->count();
  const int at = (index < 0 || index > count) ? count : index;
  // Inserting into a list changes neither the field nor the selection,
  // though QComboBox selects the first item put into an empty list.
  const int current = combo_->currentIndex();
  const QString field = combo_->currentText();
  combo_->insertItem(at, DisplayText(text),
                     QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  if (current < 0 && combo_->currentIndex() >= 0) {
    combo_->setCurrentIndex(-1);
    combo_->setEditText(field);
  }
  return at;
}

int QtComboPeer::GetCurSel() const { return combo_->currentIndex(); }

void QtComboPeer::SetCurSel(int index) {
  if (index < 0 || index >= combo_->count()) {
    combo_->setCurrentIndex(-1);
    combo_->setEditText(edit_.Set({}));
    return;
  }
  combo_->setCurrentIndex(index);
  // Also when the item was selected already and the field was edited since.
  combo_->setEditText(edit_.Set(GetItem(index)));
}

void QtComboPeer::ResetContent() {
  combo_->clear();
  combo_->setEditText(edit_.Set({}));
}

// ---------------------------------------------------------------- list

QtListPeer::QtListPeer(const ControlTemplate& control, QtDialogPeer& dialog, ResultView* view)
    : ListPeer(control.kind, control.id, &dialog), view_(view) {
  view_->SetRows(Rows());
  view_->setShowGrid(false);  // until the program adds grid lines
  if (control.style & LVS_SINGLESEL)
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
  else
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  QObject::connect(view_, &ResultView::DoubleClicked, view_, [this](Qt::MouseButton button) {
    SendNotify(this, button == Qt::RightButton ? NM_RDBLCLK : NM_DBLCLK);
  });
}

void QtListPeer::Enable(bool enable) { view_->setEnabled(enable); }
bool QtListPeer::IsEnabled() const { return view_->isEnabled(); }

void QtListPeer::SetFocus() {
  auto* dialog = static_cast<QtDialogPeer*>(Dialog());
  if (!view_->isVisible() && dialog != nullptr) dialog->SetPendingFocus(view_);
  view_->setFocus(Qt::OtherFocusReason);
}

void QtListPeer::ColumnInserted(int column, int, int width) {
  if (width >= 0) view_->SetColumnWidth(column, width);
}

void QtListPeer::SetExtendedStyle(DWORD styles) {
  extended_ = styles;
  view_->setShowGrid((styles & LVS_EX_GRIDLINES) != 0);
  view_->SetInfoTips((styles & LVS_EX_INFOTIP) != 0);
}

// ---------------------------------------------------------------- progress bar

QtProgressPeer::QtProgressPeer(const ControlTemplate& control, QtDialogPeer& dialog,
                               QProgressBar* bar)
    : ProgressPeer(control.kind, control.id, &dialog), bar_(bar) {
  bar_->setTextVisible(false);
  bar_->setRange(lower_, upper_);
}

void QtProgressPeer::Enable(bool enable) { bar_->setEnabled(enable); }
bool QtProgressPeer::IsEnabled() const { return bar_->isEnabled(); }

void QtProgressPeer::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  if (!marquee_) bar_->setRange(lower, upper);
}

void QtProgressPeer::SetPos(int pos) { bar_->setValue(pos); }

int QtProgressPeer::GetPos() const { return marquee_ ? 0 : bar_->value(); }

void QtProgressPeer::SetMarquee(bool on) {
  marquee_ = on;
  // A range of 0 to 0 is Qt's busy indicator.
  if (on)
    bar_->setRange(0, 0);
  else
    bar_->setRange(lower_, upper_);
}

// ---------------------------------------------------------------- tooltips

QtToolTipPeer::QtToolTipPeer(QtDialogPeer& dialog) : ToolTipPeer(ControlKind::ToolTip, 0, &dialog) {
  active_ = true;  // a new tooltip control is active
}

QtToolTipPeer::~QtToolTipPeer() {
  for (const Tool& tool : tools_)
    if (tool.widget) tool.widget->setToolTip(QString());
}

void QtToolTipPeer::AddTool(HWND tool, const std::string& text) {
  QWidget* widget = QtBackend::WidgetOf(tool);
  if (widget == nullptr) return;
  for (Tool& existing : tools_) {
    if (existing.peer == tool) {
      existing.text = text;
      Apply();
      return;
    }
  }
  tools_.push_back(Tool{tool, widget, text});
  Apply();
}

void QtToolTipPeer::Activate(bool active) {
  active_ = active;
  Apply();
}

std::string QtToolTipPeer::GetToolText(HWND tool) const {
  for (const Tool& existing : tools_)
    if (existing.peer == tool) return existing.text;
  return {};
}

void QtToolTipPeer::Apply() {
  for (const Tool& tool : tools_) {
    if (!tool.widget) continue;
    QString shown = DisplayText(tool.text);
    // Shown as it is: a text that looks like markup is escaped.
    if (Qt::mightBeRichText(shown))
      shown = QStringLiteral("<span style=\"white-space:pre\">") + shown.toHtmlEscaped() +
              QStringLiteral("</span>");
    tool.widget->setToolTip(active_ ? shown : QString());
  }
}

}  // namespace korvel::qt
