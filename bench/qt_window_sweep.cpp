// Sweeps a folder in the real Qt window (offscreen) the way Sweep Folder
// does, and prints how long the sweep took, how many rows it listed, and the
// largest gap between two ticks of a 10 ms timer of the event loop meanwhile.
//
//   qt_window_sweep FOLDER [THREADS]   (THREADS 0: one per CPU)
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/korvel_main.h"
#include "app/sweep_engine.h"
#include "res/resource.h"
#include "ui/app.h"
#include "ui/backend.h"
#include "ui/headless/recording_desktop.h"
#include "ui/headless/scripted_prompts.h"
#include "ui/qt/qt_backend.h"
#include "ui/qt/qt_peers.h"
#include "ui/qt/result_model.h"
#include "ui/qt/result_view.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qt_window_sweep FOLDER [THREADS]\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string folder = argv[1];
  const unsigned threads = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 0;
  SetWindowSweepFactory([threads](std::vector<SweepInput> inputs, RowSink& sink) {
    return MakeEngineSweep(std::move(inputs), sink, SweepJobOptions{.threads = threads});
  });

  qt::QtBackend backend;
  headless::ScriptedPrompts prompts;
  headless::RecordingDesktop desktop;
  ScopedPrompts scopedPrompts(prompts);
  ScopedDesktop scopedDesktop(desktop);
  prompts.AnswerFolderDialog(folder);

  double seconds = 0;
  double largestGap = 0;
  int rows = 0;
  Clock::time_point lastTick;
  bool sweeping = false;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    if (sweeping)
      largestGap =
          std::max(largestGap, std::chrono::duration<double, std::milli>(now - lastTick).count());
    lastTick = now;
  });
  QTimer::singleShot(100, [&] {
    CWnd* main = AfxGetMainWnd();
    ticker.start(10);
    lastTick = Clock::now();
    sweeping = true;
    const Clock::time_point start = Clock::now();
    main->SendMessage(WM_COMMAND, MAKEWPARAM(ID_SWEEP_FOLDER, 0),
                      0);  // returns when the sweep has ended
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sweeping = false;
    ticker.stop();
    auto* list = static_cast<qt::ResultView*>(
        qt::QtBackend::WidgetOf(main->GetDlgItem(IDC_RESULTS)->m_hWnd));
    rows = list->Model()->RowCount();
    SendClose(main->m_hWnd);
  });
  char* args[] = {argv[0], nullptr};
  KorvelMain(1, args, backend);
  std::printf("%.3f %d %.1f\n", seconds, rows, largestGap);
  return rows > 0 ? 0 : 1;
}
