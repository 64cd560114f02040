#include "ui/qt/control_factory.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include "ui/qt/dialog_units.h"
#include "ui/qt/display_text.h"
#include "ui/qt/group_frame.h"
#include "ui/qt/path_label.h"
#include "ui/qt/qt_peers.h"
#include "ui/qt/resource_images.h"
#include "ui/qt/result_view.h"

namespace korvel::qt {
namespace {

constexpr DWORD kStaticTypeMask = 0x1F;
constexpr DWORD kStaticCenter = 0x0001;
constexpr DWORD kStaticRight = 0x0002;
constexpr DWORD kStaticNoPrefix = 0x0080;
constexpr DWORD kButtonHorizontalMask = 0x0300;
constexpr DWORD kButtonRight = 0x0200;
// The frame of a sunken picture, around its contents.
constexpr int kSunkenFrame = 1;

Qt::Alignment LabelAlignment(DWORD style) {
  Qt::Alignment align = Qt::AlignLeft;
  if ((style & kStaticTypeMask) == kStaticCenter) align = Qt::AlignHCenter;
  if ((style & kStaticTypeMask) == kStaticRight) align = Qt::AlignRight;
  return align | ((style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop);
}

// A multi-line button's text breaks at spaces where it would not fit.
QString Wrapped(const QString& text, const QFontMetrics& metrics, int width) {
  if (width <= 0 || metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))) <= width)
    return text;
  QStringList lines;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '))) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() &&
        metrics.horizontalAdvance(QString(candidate).remove(QLatin1Char('&'))) > width) {
      lines << line;
      line = word;
    } else {
      line = candidate;
    }
  }
  lines << line;
  return lines.join(QLatin1Char('\n'));
}

Qt::FocusPolicy FocusFor(const ControlTemplate& control) {
  return (control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

void ApplyCommonStyles(QWidget* widget, const ControlTemplate& control) {
  if (control.style & WS_DISABLED) widget->setEnabled(false);
  if (!(control.style & WS_VISIBLE)) widget->hide();
}

QWidget* CreateLabel(const ControlTemplate& control, QWidget* client) {
  if (control.style & SS_PATHELLIPSIS) {
    auto* path = new PathLabel(client);
    path->SetFullText(DisplayText(control.text));
    return path;
  }
  auto* label = new QLabel(client);
  label->setTextFormat(Qt::PlainText);
  const QString text = DisplayText(control.text);
  label->setText((control.style & kStaticNoPrefix) ? text : WithoutMnemonics(text));
  label->setAlignment(LabelAlignment(control.style));
  label->setWordWrap(!(control.style & SS_CENTERIMAGE));
  return label;
}

QWidget* CreatePicture(const ControlTemplate& control, QWidget* client) {
  auto* picture = new QLabel(client);
  picture->setPixmap(ResourceBitmap(control.image));
  // Centred, never scaled; TemplateUnits makes the control large enough.
  picture->setAlignment((control.style & SS_CENTERIMAGE) ? Qt::AlignCenter
                                                         : Qt::AlignLeft | Qt::AlignTop);
  if (control.style & SS_SUNKEN) {
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(kSunkenFrame);
  }
  return picture;
}

QWidget* CreateRectangle(const ControlTemplate& control, QWidget* client) {
  auto* frame = new QFrame(client);
  frame->setFrameStyle(((control.style & SS_SUNKEN) ? QFrame::Panel : QFrame::Box) |
                       QFrame::Sunken);
  if ((control.style & kStaticTypeMask) == SS_WHITERECT) {
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    frame->setPalette(palette);
  }
  return frame;
}

QWidget* CreateGroupBox(const ControlTemplate& control, QWidget* client) {
  auto* box = new GroupFrame(DisplayText(control.text), client);
  if ((control.style & kButtonHorizontalMask) == BS_CENTER) box->setAlignment(Qt::AlignHCenter);
  if ((control.style & kButtonHorizontalMask) == kButtonRight) box->setAlignment(Qt::AlignRight);
  return box;
}

QCheckBox* CreateCheckBox(const ControlTemplate& control, QWidget* client, const QRect& place) {
  const QString text = DisplayText(control.text);
  auto* box = new QCheckBox(text, client);
  if (control.style & BS_MULTILINE) {
    const QStyle* style = box->style();
    const int label = place.width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) -
                      style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) - 2;
    box->setText(Wrapped(text, box->fontMetrics(), label));
  }
  return box;
}

QPushButton* CreatePushButton(const ControlTemplate& control, QWidget* client) {
  auto* button = new QPushButton(DisplayText(control.text), client);
  button->setAutoDefault(false);  // Enter is the dialog manager's
  button->setDefault((control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
  return button;
}

}  // namespace

DialogUnits TemplateUnits(const DialogTemplate& dialog, const QFont& font) {
  DialogUnits units(font);
  for (const ControlTemplate& control : dialog.controls) {
    if (control.kind != ControlKind::Picture) continue;
    const QPixmap picture = ResourceBitmap(control.image);
    if (picture.isNull()) continue;
    const int frame = (control.style & SS_SUNKEN) ? 2 * kSunkenFrame : 0;
    units = units.Fitting(QRect(control.x, control.y, control.cx, control.cy),
                          picture.size() + QSize(frame, frame));
  }
  return units;
}

CreatedControl CreateControl(const ControlTemplate& control, QtDialogPeer& dialog, QWidget* client,
                             const DialogUnits& units) {
  QRect place = units.Rect(control.x, control.y, control.cx, control.cy);
  CreatedControl created;
  bool takesFocus = true;
  switch (control.kind) {
    case ControlKind::GroupBox:
      created.widget = CreateGroupBox(control, client);
      takesFocus = false;
      break;
    case ControlKind::Label:
      created.widget = CreateLabel(control, client);
      takesFocus = false;
      break;
    case ControlKind::Picture:
      created.widget = CreatePicture(control, client);
      takesFocus = false;
      break;
    case ControlKind::Rectangle:
      created.widget = CreateRectangle(control, client);
      takesFocus = false;
      break;
    case ControlKind::ListView: {
      auto* view = new ResultView(client);
      created.widget = view;
      created.peer = std::make_unique<QtListPeer>(control, dialog, view);
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(client);
      combo->setEditable(true);
      // The template's height includes the drop-down list; the field itself
      // is one line high.
      place.setHeight(units.Y(13));
      created.widget = combo;
      created.peer = std::make_unique<QtComboPeer>(control, dialog, combo);
      break;
    }
    case ControlKind::PushButton: {
      QPushButton* button = CreatePushButton(control, client);
      created.widget = button;
      created.peer = std::make_unique<QtButtonPeer>(control, dialog, button);
      break;
    }
    case ControlKind::CheckBox: {
      QCheckBox* box = CreateCheckBox(control, client, place);
      created.widget = box;
      created.peer = std::make_unique<QtButtonPeer>(control, dialog, box);
      break;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(client);
      created.widget = bar;
      created.peer = std::make_unique<QtProgressPeer>(control, dialog, bar);
      takesFocus = false;
      break;
    }
    case ControlKind::Dialog:
    case ControlKind::ToolTip: return created;
  }
  if (!created.peer) created.peer = std::make_unique<QtStaticPeer>(control, dialog, created.widget);
  created.widget->setGeometry(place);
  created.widget->setFocusPolicy(!takesFocus ? Qt::NoFocus : FocusFor(control));
  ApplyCommonStyles(created.widget, control);
  return created;
}

QMenuBar* CreateMenuBar(const MenuTemplate& menu, QtDialogPeer& dialog, QWidget* window) {
  auto* bar = new QMenuBar(window);
  bar->setFont(QApplication::font());  // menus use the desktop's font, not the dialog's
  auto fill = [&](auto& self, QMenu* into, std::span<const MenuItemTemplate> items) -> void {
    for (const MenuItemTemplate& item : items) {
      if (item.separator) {
        into->addSeparator();
      } else if (!item.children.empty()) {
        self(self, into->addMenu(DisplayText(item.text)), item.children);
      } else {
        QAction* action = into->addAction(DisplayText(item.text));
        const UINT command = item.command;
        QObject::connect(action, &QAction::triggered, window,
                         [&dialog, command] { SendMenuCommand(&dialog, command); });
      }
    }
  };
  for (const MenuItemTemplate& popup : menu.items)
    fill(fill, bar->addMenu(DisplayText(popup.text)), popup.children);
  return bar;
}

}  // namespace korvel::qt
