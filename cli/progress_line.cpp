#include "cli/progress_line.h"

#include <cstdio>

#include "platform/terminal.h"

namespace korvel {

std::string WarningPath(std::string_view path) {
  std::string text;
  text.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F && c != '\\') {
      text.push_back(c);
      continue;
    }
    switch (c) {
      case '\\': text.append("\\\\"); break;
      case '\t': text.append("\\t"); break;
      case '\n': text.append("\\n"); break;
      case '\r': text.append("\\r"); break;
      default: {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        text.append(hex);
      }
    }
  }
  return text;
}

ProgressLine::ProgressLine() : start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { Stop(); }

void ProgressLine::Start(SweepJob& job, bool show, bool watch_output) {
  if (!show && !watch_output) return;
  thread_ = std::thread([this, &job, show, watch_output] { Loop(job, show, watch_output); });
}

void ProgressLine::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  Clear();
}

void ProgressLine::Warn(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clear();
  std::fputs(line.c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

double ProgressLine::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string ProgressLine::Format(const SweepCounters& p, double seconds) {
  const double mb = static_cast<double>(p.bytes_read) / 1e6;
  char line[200];
  std::snprintf(line, sizeof line, "%llu/%llu%s files, %.1f MB, %llu rows, %.1f MB/s, %.1f s",
                static_cast<unsigned long long>(p.files_swept),
                static_cast<unsigned long long>(p.files_found), p.walk_done ? "" : "+", mb,
                static_cast<unsigned long long>(p.rows), seconds > 0 ? mb / seconds : 0.0, seconds);
  return line;
}

void ProgressLine::Loop(SweepJob& job, bool show, bool watch_output) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (unsigned tick = 1;
       !wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; }); ++tick) {
    if (watch_output && !reader_left_ && ReaderGone(stdout)) {
      reader_left_ = true;
      job.Cancel();
    }
    if (!show || tick % 3 != 0) continue;
    const std::string line = Format(job.Counters(), Seconds());
    std::fprintf(stderr, "\r%s", line.c_str());
    for (std::size_t i = line.size(); i < shown_; ++i) std::fputc(' ', stderr);
    std::fflush(stderr);
    shown_ = line.size();
  }
}

void ProgressLine::Clear() {
  if (shown_ == 0) return;
  std::fputc('\r', stderr);
  for (std::size_t i = 0; i < shown_; ++i) std::fputc(' ', stderr);
  std::fputc('\r', stderr);
  shown_ = 0;
}

}  // namespace korvel
