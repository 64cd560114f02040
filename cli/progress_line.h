#pragma once
// korvel-sweep's standard error: the progress line, rewritten a few times a
// second, and the warnings, which never land inside it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "engine/sweep_job.h"

namespace korvel {

// A path as a warning shows it: escaped as a TSV field is (\\ \t \n \r), and
// every other control byte as \xHH, so a name cannot split a warning line or
// send escape sequences to the terminal.
std::string WarningPath(std::string_view path);

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine();  // stops the line
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Until Stop(): shows the job's counters when `show`; with `watch_output`,
  // cancels the job once nobody reads standard output any more.
  void Start(SweepJob& job, bool show, bool watch_output);
  // Clears the line and ends its thread.
  void Stop();

  // One line on standard error; from any thread.
  void Warn(const std::string& line);

  double Seconds() const;
  // Whether the job was cancelled because nobody reads standard output.
  bool ReaderLeft() const { return reader_left_; }

  // "files swept/found, MB read, rows, MB/s, seconds".
  static std::string Format(const SweepCounters& progress, double seconds);

 private:
  void Loop(SweepJob& job, bool show, bool watch_output);
  void Clear();  // the mutex held

  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stop_ = false;
  std::atomic<bool> reader_left_{false};
  std::size_t shown_ = 0;  // length of the line on the screen
};

}  // namespace korvel
