#include "ui/qt/qt_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/file_dialog.h"
#include "ui/qt/display_text.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/qt_backend.h"

namespace korvel::qt {
namespace {

// Qt's own file dialog writes its state (recent folders, view) to a
// "QtProject" settings file in the user's configuration folder. The program
// writes only its settings and exports: that state goes to a scratch folder
// of this run, removed at its end.
void KeepDialogStateOutOfTheUsersFolders() {
  static QTemporaryDir scratch;
  static const bool redirected = [] {
    const QString path = scratch.isValid() ? scratch.path() : QString();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    return true;
  }();
  (void)redirected;
}

QWidget* OwnerWidget(HWND owner) {
  QWidget* widget = QtBackend::WidgetOf(owner);
  return widget != nullptr ? widget->window() : nullptr;
}

QMessageBox::Icon BoxIcon(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtPrompts::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                          UINT type) {
  QMessageBox box(BoxIcon(type), DisplayText(caption), DisplayText(text), QMessageBox::NoButton,
                  OwnerWidget(owner));
  box.setTextFormat(Qt::PlainText);
  struct Choice {
    QMessageBox::StandardButton button;
    int result;
  };
  std::vector<Choice> choices;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNOCANCEL:
      choices = {
          {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    default: choices = {{QMessageBox::Ok, IDOK}}; break;
  }
  std::vector<QAbstractButton*> buttons;
  for (const Choice& choice : choices) buttons.push_back(box.addButton(choice.button));
  // MB_DEFBUTTON2 and up pick the default among the buttons in their order.
  const std::size_t preferred = (type & MB_DEFMASK) >> 8;
  const std::size_t first = preferred < buttons.size() ? preferred : 0;
  box.setDefaultButton(static_cast<QPushButton*>(buttons[first]));
  // Wide enough for its caption, as the window system sizes message boxes.
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int captionWidth = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 96;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == clicked) return choices[i].result;
  // Closed without a button (Escape where there is no Cancel): the last one.
  return choices.back().result;
}

std::optional<std::string> QtPrompts::ChooseFile(const FileDialogRequest& request) {
  KeepDialogStateOutOfTheUsersFolders();
  QFileDialog dialog(OwnerWidget(request.owner));
  dialog.setDirectory(lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_);
  dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The program asks before it overwrites a file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!request.defaultExtension.empty())
    dialog.setDefaultSuffix(DisplayText(request.defaultExtension));
  // A pattern as the initial name ("*.txt") only narrows the list, which the
  // filter does already; a real name is offered in the field.
  const QString name = PathString(request.fileName);
  if (!name.isEmpty() && !name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
    dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  lastFolder_ = QFileInfo(chosen.first()).absolutePath();
  std::string path = PathBytes(chosen.first());
  if (!request.open) path = ApplyDefaultExtension(path, request.defaultExtension);
  return path;
}

std::optional<std::string> QtPrompts::ChooseFolder(const FolderDialogRequest& request) {
  KeepDialogStateOutOfTheUsersFolders();
  // Without an initial folder the chooser starts where the last one ended,
  // or where the user's files are.
  const QString start = !request.initialFolder.empty() ? PathString(request.initialFolder)
                        : !lastFolder_.isEmpty()       ? lastFolder_
                                                       : QDir::homePath();
  const QString folder = QFileDialog::getExistingDirectory(
      OwnerWidget(request.owner), DisplayText(request.title), start, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  lastFolder_ = folder;
  return PathBytes(folder);
}

}  // namespace korvel::qt
