// Appends rows to the Qt result list the way the file sweep does (insert a
// row, set its two cells) and prints how long a million rows take and how
// much memory the process holds afterwards.
//
//   qt_list_bench [rows]      (runs offscreen unless QT_QPA_PLATFORM is set)
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ui/qt/result_model.h"
#include "ui/qt/result_view.h"

namespace {

long RssKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const long rows = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;

  korvel::qt::ResultView view;
  view.resize(600, 300);
  korvel::qt::ResultModel& model = *view.Model();
  model.InsertColumn(0, "Address");
  model.InsertColumn(1, "Location");
  view.SetColumnWidth(0, 225);
  view.SetColumnWidth(1, 340);
  view.show();
  QApplication::processEvents();
  const long rss_before = RssKiB("VmRSS");

  // Realistic rows: distinct addresses, eight of them per file.
  std::string address, location;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < rows; ++i) {
    address = "http://www.example.com/articles/2024/page-" + std::to_string(i) + ".html";
    location = "/home/user/Documents/web-archive/site/section-" + std::to_string(i / 800) +
               "/file-" + std::to_string(i / 8) + ".html";
    const int row = model.InsertRow(model.RowCount(), "");
    model.SetCell(row, 0, address);
    model.SetCell(row, 1, location);
  }
  const auto stored = std::chrono::steady_clock::now();
  // The sweep returns to the event loop: the view takes the new rows in and paints.
  QApplication::processEvents();
  view.scrollToBottom();
  view.viewport()->repaint();
  const auto shown = std::chrono::steady_clock::now();

  using ms = std::chrono::duration<double, std::milli>;
  std::printf("rows appended:        %ld\n", rows);
  std::printf("append time:          %.0f ms (stored %.0f ms, view update %.0f ms)\n",
              ms(shown - start).count(), ms(stored - start).count(), ms(shown - stored).count());
  std::printf("list storage:         %.1f MB\n", static_cast<double>(model.StorageBytes()) / 1e6);
  std::printf("process memory:       %.1f MB resident (%.1f MB before), peak %.1f MB\n",
              RssKiB("VmRSS") / 1024.0, rss_before / 1024.0, RssKiB("VmHWM") / 1024.0);
  return view.model()->rowCount() == rows ? 0 : 1;
}
