// The real program on the Qt backend, driven with real key and mouse events
// on an offscreen screen. Message boxes and file dialogs are answered by a
// script (ScriptedPrompts) and the desktop only records what it is asked
// for, so nothing modal waits for a user.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/korvel_main.h"
#include "app/sweep_engine.h"
#include "korvel_version.h"
#include "res/resource.h"
#include "res/templates.h"
#include "ui/app.h"
#include "ui/headless/recording_desktop.h"
#include "ui/headless/scripted_prompts.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/qt_backend.h"
#include "ui/qt/qt_peers.h"
#include "ui/qt/result_model.h"
#include "ui/qt/result_view.h"
#include "scan/row_sink.h"

using namespace korvel;
using korvel::qt::QtBackend;
using korvel::qt::QtDialogPeer;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  std::unique_ptr<QtBackend> backend_;
  headless::ScriptedPrompts* prompts_ = nullptr;
  headless::RecordingDesktop* desktop_ = nullptr;

  std::string Path(const QString& name) const { return root_.filePath(name).toStdString(); }

  void WriteFile(const QString& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  // `folders` x `files` small files, each with one address of its own;
  // returns the addresses in walk order.
  std::vector<std::string> MakeTree(const QString& name, int folders, int files) {
    std::vector<std::string> addresses;
    char leaf[32];
    for (int d = 0; d < folders; ++d) {
      std::snprintf(leaf, sizeof leaf, "/d%03d", d);
      const std::string folder = Path(name) + leaf;
      std::filesystem::create_directories(folder);
      for (int f = 0; f < files; ++f) {
        std::snprintf(leaf, sizeof leaf, "/f%04d.txt", f);
        const std::string address =
            "http://h.example/" + std::to_string(d) + "/" + std::to_string(f);
        // Sizes that differ, so the workers finish out of order.
        std::ofstream(folder + leaf, std::ios::binary)
            << std::string(static_cast<std::size_t>((f * 7919) % 5000), ' ') << address << "\n";
        addresses.push_back(address);
      }
    }
    return addresses;
  }

  static std::vector<std::string> ListedAddresses() {
    std::vector<std::string> listed;
    for (int row = 0; row < List()->Model()->RowCount(); ++row)
      listed.push_back(List()->Model()->Cell(row, 0));
    return listed;
  }

  std::string StoredSettings() const { return ReadAll(Path("config/Tessaly/Korvel.reg")); }

  static QtDialogPeer& Main() { return *static_cast<QtDialogPeer*>(AfxGetMainWnd()->m_hWnd); }
  template <class Widget>
  static Widget* Control(int id) {
    return qobject_cast<Widget*>(QtBackend::WidgetOf(Main().Item(id)));
  }
  static qt::ResultView* List() { return Control<qt::ResultView>(IDC_RESULTS); }
  static void AddRow(const std::string& address, const std::string& location) {
    dynamic_cast<RowSink&>(*AfxGetMainWnd()).AddResultRow(address, location);
    List()->Model()->Flush();
  }

  // A key pressed while `widget` has the focus, delivered as the window
  // system delivers it (to the window, which hands it to its focus widget).
  static void Press(QWidget* widget, Qt::Key key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    widget->setFocus(Qt::TabFocusReason);
    QVERIFY(QApplication::focusWidget() == widget);
    QTest::keyClick(widget->window()->windowHandle(), key, modifiers);
  }

  // Runs the program; `script` runs once its window is up, with the prompts
  // and desktop of this test. The program is closed afterwards if the
  // script left it open (a failed check returns early).
  void RunProgram(const std::function<void()>& script) {
    headless::ScriptedPrompts prompts;
    headless::RecordingDesktop desktop;
    ScopedPrompts scopedPrompts(prompts);
    ScopedDesktop scopedDesktop(desktop);
    prompts_ = &prompts;
    desktop_ = &desktop;
    bool ran = false;
    QTimer::singleShot(0, [&] {
      QWidget* window = Main().Window();
      QVERIFY(QTest::qWaitForWindowActive(window));
      script();
      ran = true;
      if (AfxGetMainWnd() != nullptr && !Main().EndRequested()) SendClose(&Main());
    });
    QByteArray program = QByteArray::fromStdString(Path("bin/korvel"));
    char* argv[] = {program.data(), nullptr};
    KorvelMain(1, argv, *backend_);
    QVERIFY(ran);
    QVERIFY(prompts.Failures().empty());
    QCOMPARE(prompts.UnusedAnswers(), std::size_t{0});
    prompts_ = nullptr;
    desktop_ = nullptr;
  }

 private slots:
  void initTestCase() {
    QVERIFY(root_.isValid());
    QDir(root_.path()).mkpath("config");
    QDir(root_.path()).mkpath("bin");
    QDir(root_.path()).mkpath("data/sub");
    qputenv("XDG_CONFIG_HOME", root_.filePath("config").toLocal8Bit());
    backend_ = std::make_unique<QtBackend>();
  }

  void cleanupTestCase() { backend_.reset(); }

  void init() { QFile::remove(root_.filePath("config/Tessaly/Korvel.reg")); }

  void WindowIsBuiltFromTemplate102() {
    RunProgram([] {
      qt::DialogWindow* window = Main().Window();
      QCOMPARE(window->windowTitle(), QString("Korvel v" KORVEL_VERSION));
      QCOMPARE(window->minimumSize(), window->maximumSize());
      QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
      QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
      QVERIFY(window->acceptDrops());

      const DialogTemplate& dialog = *FindDialogTemplate(IDD_KORVEL_DIALOG);
      std::vector<int> tabStops;
      for (const ControlTemplate& control : dialog.controls) {
        if (control.id == IDC_STATIC) continue;
        QWidget* widget = QtBackend::WidgetOf(Main().Item(control.id));
        QVERIFY2(widget != nullptr, std::to_string(control.id).c_str());
        if (control.style & WS_TABSTOP) tabStops.push_back(control.id);
      }
      QVERIFY(Control<QComboBox>(IDC_KEYWORDS)->isEditable());
      QCOMPARE(Control<QCheckBox>(IDC_LOCAL)->text(),
               QString("&Local sweep. Sweep only the files found in the selected folder and "
                       "ignore all/any subfolders"));
      QCOMPARE(Control<QPushButton>(IDC_CLEAR_KEYWORDS)->text(), QString("X"));
      QVERIFY(!Control<QPushButton>(IDC_EXIT)->icon().isNull());
      QCOMPARE(List()->model()->headerData(0, Qt::Horizontal).toString(), QString("Address"));
      QCOMPARE(List()->model()->headerData(1, Qt::Horizontal).toString(), QString("Location"));
      QCOMPARE(List()->horizontalHeader()->sectionSize(0), 225);
      QCOMPARE(List()->horizontalHeader()->sectionSize(1), 340);
      QVERIFY(List()->showGrid());

      for (const ToolTipText& tip : MainDialogToolTips())
        QCOMPARE(QtBackend::WidgetOf(Main().Item(tip.control))->toolTip(),
                 QString(tip.text.data()));

      const QList<QAction*> menus = window->findChild<QMenuBar*>()->actions();
      QCOMPARE(menus.size(), 3);
      QCOMPARE(menus[0]->text(), QString("&File"));
      QCOMPARE(menus[0]->menu()->actions()[0]->text(), QString("&Export\tCtrl+E"));
      QVERIFY(menus[0]->menu()->actions()[0]->shortcut().isEmpty());

      // Tab walks the tab stops in template order, starting at the list.
      std::vector<int> visited;
      for (std::size_t i = 0; i <= tabStops.size(); ++i) {
        const WindowPeer* focus = CurrentBackend().GetFocus();
        QVERIFY(focus != nullptr);
        visited.push_back(focus->Id());
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
      }
      tabStops.push_back(tabStops.front());
      QCOMPARE(visited, tabStops);
    });
  }

  void TheAboutBoxShowsItsWholePictureCentred() {
    RunProgram([] {
      QRect picture, shown, window, button, line;
      Qt::Alignment alignment;
      QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        QVERIFY(about != nullptr && about->windowTitle() == "About Korvel");
        window = about->rect();
        const QList<QLabel*> labels = about->findChildren<QLabel*>();
        for (QLabel* label : labels) {
          if (label->pixmap().isNull()) continue;
          picture = QRect(QPoint(0, 0), label->pixmap().size());
          shown = label->contentsRect().translated(label->geometry().topLeft());
          alignment = label->alignment();
        }
        QPushButton* ok = about->findChild<QPushButton*>();
        button = ok->geometry();
        for (QFrame* frame : about->findChildren<QFrame*>())
          if (qobject_cast<QLabel*>(frame) == nullptr && frame->height() < 5)
            line = frame->geometry();
        ok->click();
      });
      SendMenuCommand(&Main(), ID_HELP_ABOUT);
      QCOMPARE(picture.size(), QSize(300, 250));
      // Whole and centred; the box grows no more than that takes.
      const QString size = QString("%1x%2").arg(shown.width()).arg(shown.height());
      QVERIFY2(shown.width() >= 300 && shown.height() >= 250, qPrintable(size));
      QVERIFY2(shown.width() <= 304 && shown.height() <= 254, qPrintable(size));
      QCOMPARE(alignment, Qt::AlignCenter);
      QVERIFY(shown.bottom() < line.top() && line.bottom() < button.top());
      QVERIFY(window.contains(button));
    });
  }

  void AcceleratorsWinWhereverTheFocusIs_data() {
    QTest::addColumn<int>("control");
    QTest::newRow("list") << IDC_RESULTS;
    QTest::newRow("keyword field") << IDC_KEYWORDS;
    QTest::newRow("extension field") << IDC_EXTENSIONS;
    QTest::newRow("check box") << IDC_LOCAL;
  }

  void AcceleratorsWinWhereverTheFocusIs() {
    QFETCH(int, control);
    WriteFile("bin/Manual.html", "<html></html>");
    RunProgram([&] {
      QWidget* focus = QtBackend::WidgetOf(Main().Item(control));
      AddRow("http://a.example/", Path("data/a.txt"));
      AddRow("http://b.example/", Path("data/a.txt"));
      List()->selectRow(0);

      Press(focus, Qt::Key_F1);
      QCOMPARE(desktop_->OpenedPaths().size(), std::size_t{1});
      QCOMPARE(desktop_->OpenedPaths()[0].verb, std::string("open"));

      prompts_->CancelFileDialog();
      Press(focus, Qt::Key_F3);
      QCOMPARE(prompts_->FileDialogs().size(), std::size_t{1});
      QVERIFY(prompts_->FileDialogs()[0].request.open);

      prompts_->CancelFolderDialog();
      Press(focus, Qt::Key_F4);
      QCOMPARE(prompts_->FolderDialogs().size(), std::size_t{1});
      if (auto* combo = qobject_cast<QComboBox*>(focus)) QVERIFY(!combo->view()->isVisible());

      prompts_->CancelFileDialog();
      Press(focus, Qt::Key_E, Qt::ControlModifier);
      QCOMPARE(prompts_->FileDialogs().size(), std::size_t{2});
      QVERIFY(!prompts_->FileDialogs()[1].request.open);

      Press(focus, Qt::Key_F11);
      QCOMPARE(List()->Model()->RowCount(), 1);
      QCOMPARE(List()->Model()->Cell(0, 0), std::string("http://b.example/"));
      Press(focus, Qt::Key_F11);  // no row is selected any more
      QCOMPARE(List()->Model()->RowCount(), 1);

      prompts_->AnswerMessageBox(IDNO);
      Press(focus, Qt::Key_F12);
      QCOMPARE(prompts_->MessageBoxes().size(), std::size_t{1});
      QCOMPARE(prompts_->MessageBoxes()[0].text, std::string("Remove all items?"));
      QCOMPARE(List()->Model()->RowCount(), 1);

      Press(focus, Qt::Key_Q, Qt::ControlModifier);
      QVERIFY(Main().EndRequested());
    });
    QVERIFY(StoredSettings().find("\"chkLocal\"=dword:00000000") != std::string::npos);
  }

  void EveryWayOfClosingSavesTheSettings_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("Enter in the keyword field") << "Enter";
    QTest::newRow("close box") << "close";
    QTest::newRow("Exit button") << "button";
  }

  void EveryWayOfClosingSavesTheSettings() {
    QFETCH(QString, how);
    RunProgram([&] {
      QTest::mouseClick(Control<QCheckBox>(IDC_LOCAL), Qt::LeftButton, {},
                        QPoint(6, Control<QCheckBox>(IDC_LOCAL)->height() / 2));
      QVERIFY(Control<QCheckBox>(IDC_LOCAL)->isChecked());
      QComboBox* keywords = Control<QComboBox>(IDC_KEYWORDS);
      if (how == "Escape") Press(List(), Qt::Key_Escape);
      if (how == "Enter") Press(keywords, Qt::Key_Return);
      if (how == "close") Main().Window()->close();
      if (how == "button") QTest::mouseClick(Control<QPushButton>(IDC_EXIT), Qt::LeftButton);
      QVERIFY(Main().EndRequested());
      QVERIFY(Main().Window()->isVisible());  // hidden by the loop's end, not by Qt
    });
    QVERIFY(StoredSettings().find("\"chkLocal\"=dword:00000001") != std::string::npos);
  }

  void LeavingAFieldTidiesItsText() {
    RunProgram([] {
      QComboBox* keywords = Control<QComboBox>(IDC_KEYWORDS);
      keywords->setFocus(Qt::TabFocusReason);
      QTest::keyClicks(keywords, " Foo ,bar,, foo,Bar ");
      QCOMPARE(keywords->currentText(), QString(" Foo ,bar,, foo,Bar "));
      QTest::keyClick(keywords->window()->windowHandle(), Qt::Key_Tab);
      QCOMPARE(keywords->currentText(), QString("Bar, Foo, bar, foo"));
    });
  }

  void DoubleClicksRemoveARowAndOpenItsFolder() {
    WriteFile("data/sub/page.html", "x");
    RunProgram([&] {
      for (const char* address : {"one", "two", "three"})
        AddRow(address, Path("data/sub/page.html"));
      QWidget* viewport = List()->viewport();
      const QPoint second = List()->visualRect(List()->model()->index(1, 0)).center();
      // The first click of a double-click selects the row under the pointer.
      QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
      QTest::mouseDClick(viewport, Qt::LeftButton, {}, second);
      QCOMPARE(List()->Model()->RowCount(), 2);
      QCOMPARE(List()->Model()->Cell(1, 0), std::string("three"));
      QCOMPARE(List()->SelectedRow(), -1);

      const QPoint first = List()->visualRect(List()->model()->index(0, 0)).center();
      QTest::mouseClick(viewport, Qt::RightButton, {}, first);
      QTest::mouseDClick(viewport, Qt::RightButton, {}, first);
      QCOMPARE(List()->Model()->RowCount(), 2);
      QCOMPARE(desktop_->OpenedPaths().size(), std::size_t{1});
      QCOMPARE(desktop_->OpenedPaths()[0].verb, std::string("explore"));
      QCOMPARE(desktop_->OpenedPaths()[0].path, Path("data/sub/"));

      // A double-click below the last row selects nothing and removes nothing.
      const QPoint empty(10, viewport->height() - 4);
      QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
      QTest::mouseDClick(viewport, Qt::LeftButton, {}, empty);
      QCOMPARE(List()->Model()->RowCount(), 2);
    });
  }

  void CtrlClicksSelectSeveralRowsThatCtrlCCopiesAndF11Removes() {
    RunProgram([&] {
      for (const char* address : {"one", "two", "three", "four"}) AddRow(address, Path("x"));
      QWidget* viewport = List()->viewport();
      auto at = [](int row) { return List()->visualRect(List()->model()->index(row, 0)).center(); };
      QTest::mouseClick(viewport, Qt::LeftButton, {}, at(3));
      QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, at(0));
      QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(1));
      Press(List(), Qt::Key_C, Qt::ControlModifier);
      QCOMPARE(desktop_->Clipboard(), std::string("one\ntwo\nfour\n"));
      Press(List(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
      const std::string x = Path("x");
      QCOMPARE(desktop_->Clipboard(), "one\t" + x + "\ntwo\t" + x + "\nfour\t" + x + "\n");
      Press(List(), Qt::Key_F11);
      QCOMPARE(ListedAddresses(), std::vector<std::string>{"three"});
    });
  }

  void FilesDroppedOnTheKeywordFieldAreSwept() {
    WriteFile("data/links.html", "see http://dropped.example/ here\n");
    WriteFile("data/other.html", "http://not-this-one.example/");
    RunProgram([&] {
      QLineEdit* field = Control<QComboBox>(IDC_KEYWORDS)->lineEdit();
      QMimeData mime;
      mime.setUrls({QUrl::fromLocalFile(root_.filePath("data/links.html")),
                    QUrl::fromLocalFile(root_.filePath("data/other.html"))});
      mime.setText(root_.filePath("data/links.html"));  // file managers offer the path as text too
      const QPoint at = field->rect().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(field, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(field, &drop);
      QTRY_VERIFY(List()->Model()->RowCount() > 0);
      for (int row = 0; row < List()->Model()->RowCount(); ++row)
        QCOMPARE(List()->Model()->Cell(row, 1), Path("data/links.html"));
      QCOMPARE(List()->Model()->Cell(0, 0), std::string("http://dropped.example/"));
      QVERIFY(field->text().isEmpty());  // nothing pasted into the field
      QCOMPARE(desktop_->Sounds(), std::vector<UINT>{MB_ICONASTERISK});

      // A drop whose first item is a web address sweeps nothing, not its second item.
      const int rows = List()->Model()->RowCount();
      QMimeData web;
      web.setUrls({QUrl("http://example.com/page"),
                   QUrl::fromLocalFile(root_.filePath("data/other.html"))});
      QDragEnterEvent webEnter(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(field, &webEnter);
      QDropEvent webDrop(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(field, &webDrop);
      QApplication::processEvents();  // the queued sweep, had there been one
      QApplication::processEvents();  // and its rows' batch
      QCOMPARE(List()->Model()->RowCount(), rows);
      QCOMPARE(desktop_->Sounds(), std::vector<UINT>{MB_ICONASTERISK});
    });
  }

  void ALongSweepShowsItsBoxAndEscapeCancelsIt() {
    const std::vector<std::string> all = MakeTree("big", 100, 200);
    RunProgram([&] {
      prompts_->AnswerFolderDialog(Path("big"));
      QWidget* box = nullptr;
      qint64 shownAfter = -1;
      int rowsBehindTheBox = 0;
      QElapsedTimer clock;
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (box != nullptr || modal == nullptr || !modal->isVisible() ||
            modal->windowTitle() != QString("Sweep in progress"))
          return;
        box = modal;
        shownAfter = clock.elapsed();
        rowsBehindTheBox = List()->Model()->RowCount();
        QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
      });
      poll.start(20);
      clock.start();
      Press(List(), Qt::Key_F4);  // back when the sweep has ended
      poll.stop();
      QVERIFY(box != nullptr);
      QVERIFY(shownAfter >= 400);
      QVERIFY2(clock.elapsed() - shownAfter < 5000, "Escape ends the sweep at once");
      const std::vector<std::string> listed = ListedAddresses();
      QVERIFY(listed.size() < all.size());
      QVERIFY(listed.size() >= static_cast<std::size_t>(rowsBehindTheBox));
      QVERIFY(std::equal(listed.begin(), listed.end(), all.begin()));
      QCOMPARE(desktop_->Sounds(), std::vector<UINT>{MB_ICONASTERISK});
      QVERIFY(Main().IsEnabled());
      QVERIFY2(!Main().EndRequested(), "Escape in the box cancels the sweep, not the program");
    });
  }

  void RowsComeInWalkOrderWhateverTheThreads_data() {
    QTest::addColumn<unsigned>("threads");
    QTest::newRow("2 threads") << 2u;
    QTest::newRow("3 threads") << 3u;
  }

  void RowsComeInWalkOrderWhateverTheThreads() {
    QFETCH(unsigned, threads);
    const std::vector<std::string> all = MakeTree("order", 12, 50);
    const WindowSweepFactory before =
        SetWindowSweepFactory([threads](std::vector<SweepInput> inputs, RowSink& sink) {
          return MakeEngineSweep(std::move(inputs), sink, SweepJobOptions{.threads = threads});
        });
    RunProgram([&] {
      prompts_->AnswerFolderDialog(Path("order"));
      Press(List(), Qt::Key_F4);
      QCOMPARE(ListedAddresses(), all);
    });
    SetWindowSweepFactory(before);
  }

  void RowsKeepAndExportTheirExactBytes() {
    const std::string odd = "http://h.example/caf\xE9/\xFF\xFE";
    const std::string target = Path("export.txt");
    RunProgram([&] {
      AddRow(odd, Path("data/\xE9.txt"));
      AddRow("http://plain.example/", Path("data/a.txt"));
      QCOMPARE(List()->Model()->Cell(0, 0), odd);
      QVERIFY(List()
                  ->model()
                  ->data(List()->model()->index(0, 0))
                  .toString()
                  .endsWith(QString::fromUtf8("caf\xC3\xA9/\xC3\xBF\xC3\xBE")));
      prompts_->AnswerFileDialog(target);
      Press(List(), Qt::Key_E, Qt::ControlModifier);
    });
    QCOMPARE(ReadAll(target), odd + "\r\nhttp://plain.example/\r\n");
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
