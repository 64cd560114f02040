// The desktop side of the Qt backend: opening files and folders with the
// desktop's opener, the busy cursor, file dialog filters and key codes.
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "ui/qt/desktop_open.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/key_codes.h"
#include "ui/qt/qt_desktop.h"
#include "ui/qt/qt_prompts.h"

using namespace korvel;
using namespace korvel::qt;

class DesktopTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;

  std::string Path(const char* name) const { return root_.filePath(name).toStdString(); }

  // An opener that records its argument's bytes and exits with `status`.
  std::string FakeOpener(int status) {
    const std::string script = Path("opener.sh");
    std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << Path("opened") << "'\nexit "
                          << status << "\n";
    QFile::setPermissions(QString::fromStdString(script), QFile::ReadOwner | QFile::ExeOwner);
    return script;
  }

  std::string Opened() const {
    std::ifstream in(Path("opened"), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

 private slots:
  void initTestCase() {
    QVERIFY(root_.isValid());
    // Where Qt would keep its own settings.
    QVERIFY(QDir().mkpath(root_.filePath("config")));
    qputenv("XDG_CONFIG_HOME", root_.filePath("config").toLocal8Bit());
  }
  void cleanupTestCase() { SetDesktopOpener("xdg-open"); }
  void init() { QFile::remove(QString::fromStdString(Path("opened"))); }

  void OpenerGetsThePathsExactBytes() {
    const std::string folder = Path("caf\xE9");  // not UTF-8
    QVERIFY(::mkdir(folder.c_str(), 0700) == 0);
    SetDesktopOpener(FakeOpener(0));
    QVERIFY(OpenWithDesktop(folder));
    QCOMPARE(Opened(), folder);
  }

  void OpenerFailuresAreReported() {
    SetDesktopOpener(FakeOpener(3));
    QVERIFY(!OpenWithDesktop(root_.path().toStdString()));  // exits with an error
    QFile::remove(QString::fromStdString(Path("opened")));
    SetDesktopOpener(FakeOpener(0));
    QVERIFY(!OpenWithDesktop(Path("missing.html")));  // nothing to open
    QCOMPARE(Opened(), std::string());
    SetDesktopOpener(Path("no-such-opener"));
    QVERIFY(!OpenWithDesktop(root_.path().toStdString()));
  }

  void WaitCursorRestoresWhatWasThere() {
    QtDesktop desktop;
    QVERIFY(!QGuiApplication::overrideCursor());
    const HCURSOR before = desktop.SetCursor(IDC_WAIT);
    QCOMPARE(before, IDC_ARROW);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(desktop.SetCursor(IDC_WAIT), IDC_WAIT);  // nested sweeps
    desktop.SetCursor(before);
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void ClipboardGetsTheTextAsTheListShowsIt() {
    QtDesktop desktop;
    QVERIFY(desktop.SetClipboardText(nullptr, "http://a/\tcaf\xE9\nb@c\n"));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromUtf8("http://a/\tcaf\xC3\xA9\nb@c\n"));
  }

  void WindowsFiltersBecomeQtFilters() {
    QCOMPARE(QtNameFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
             QStringList({"Text Files (*.txt)", "All Files (*)"}));
    QCOMPARE(QtNameFilters("Pages|*.htm;*.html|"), QStringList({"Pages (*.htm *.html)"}));
  }

  // The next chooser starts where the last choice was made, and Qt's dialog
  // leaves nothing in the configuration folder.
  void FileChooserRemembersItsFolderAndWritesNoSettings() {
    QVERIFY(QDir().mkpath(root_.filePath("pick")));
    std::ofstream(Path("pick/one.txt")) << "x";
    QtPrompts prompts;
    QString started;
    const auto choose = [&](const char* name) {
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&, name] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          auto* dialog = qobject_cast<QFileDialog*>(widget);
          if (dialog == nullptr || !dialog->isVisible()) continue;
          poll.stop();
          started = dialog->directory().absolutePath();
          // Typed, as a user would: the dialog's folder model loads later.
          if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
            edit->setText(root_.filePath(name));
          QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
      });
      poll.start(50);
      return prompts.ChooseFile(FileDialogRequest{});
    };
    QCOMPARE(choose("pick/one.txt"), std::optional<std::string>(Path("pick/one.txt")));
    QCOMPARE(started, QDir::homePath());
    QCOMPARE(choose("pick/one.txt"), std::optional<std::string>(Path("pick/one.txt")));
    QCOMPARE(started, root_.filePath("pick"));
    QVERIFY(QDir(root_.filePath("config")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  }

  void KeysBecomeVirtualKeysWithModifiers() {
    const QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QCOMPARE(VirtualKey(f4), VK_F4);
    const QKeyEvent ctrlE(QEvent::KeyPress, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(VirtualKey(ctrlE), UINT{'E'});
    QCOMPARE(KeyModifiers(ctrlE.modifiers()), FCONTROL);
    QCOMPARE(KeyModifiers(Qt::AltModifier | Qt::ShiftModifier | Qt::KeypadModifier),
             static_cast<BYTE>(FALT | FSHIFT));
    const QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QCOMPARE(VirtualKey(shift), UINT{0});
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
