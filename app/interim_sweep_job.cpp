// TEMPORARY: a one-thread SweepJob, standing in until the parallel engine is
// merged. Same order and the same rows as the one-thread sweep; cancel is
// seen between files only.
#include <sys/stat.h>

#include <atomic>
#include <new>
#include <mutex>
#include <thread>

#include "engine/sweep_job.h"
#include "find/file_finder.h"
#include "scan/address_scanner.h"
#include "scan/text_file.h"

namespace korvel {
namespace {

thread_local std::vector<std::string>* t_found = nullptr;
void CollectFound(const char* path) { t_found->emplace_back(path); }

std::uint64_t FileBytes(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

}  // namespace

class SweepJob::Impl {
 public:
  Impl(std::vector<SweepInput> inputs, RowSink& sink) : inputs_(std::move(inputs)), sink_(sink) {}

  void Run() {
    for (const SweepInput& input : inputs_) {
      if (cancelled_) break;
      std::vector<std::string> files;
      if (input.kind == SweepInput::Kind::File) {
        if (IsRegularFile(input.path)) files.push_back(input.path);
      } else {
        t_found = &files;
        try {
          FileFinder finder(CollectFound, input.path.c_str(), input.options.extensions.c_str(),
                            input.options.keywords.c_str());
          finder.Find(input.options.local ? 0 : 1);
        } catch (...) {
          t_found = nullptr;
          ++issues_;
          sink_.ReportIssue(SweepIssue{SweepProblem::FieldsRefused, input.path, 0});
          continue;
        }
        t_found = nullptr;
      }
      files_found_ += files.size();
      for (const std::string& file : files) bytes_found_ += FileBytes(file);
      for (const std::string& file : files) {
        if (cancelled_) break;
        {
          std::lock_guard lock(current_mutex_);
          current_ = file;
        }
        try {
          scanner_.ScanFile(file, false);
        } catch (const std::bad_alloc&) {
          scanner_.Clear();
          ++issues_;
          sink_.ReportIssue(SweepIssue{SweepProblem::TooLarge, file, 0});
          continue;
        }
        bytes_read_ += FileBytes(file);
        for (const std::string& address : scanner_.Addresses()) {
          sink_.AddResultRow(std::string_view(address.c_str()), file);
          ++rows_;
        }
        scanner_.Clear();
        sink_.FileSwept(file);
        ++files_swept_;
      }
    }
    {
      std::lock_guard lock(current_mutex_);
      current_.clear();
    }
    walk_done_ = true;
    finished_ = true;
  }

  std::vector<SweepInput> inputs_;
  RowSink& sink_;
  AddressScanner scanner_;
  std::thread thread_;
  std::atomic<bool> cancelled_{false};
  std::atomic<std::uint64_t> files_found_{0}, bytes_found_{0}, files_swept_{0}, bytes_read_{0},
      rows_{0}, issues_{0};
  std::atomic<bool> walk_done_{false}, finished_{false};
  mutable std::mutex current_mutex_;
  std::string current_;
};

SweepJob::SweepJob(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions)
    : impl_(std::make_unique<Impl>(std::move(inputs), sink)) {}

SweepJob::~SweepJob() {
  Cancel();
  Wait();
}

void SweepJob::Run() { impl_->Run(); }
void SweepJob::Start() { impl_->thread_ = std::thread([this] { impl_->Run(); }); }
void SweepJob::Wait() {
  if (impl_->thread_.joinable()) impl_->thread_.join();
}
void SweepJob::Cancel() { impl_->cancelled_ = true; }
bool SweepJob::IsCancelled() const { return impl_->cancelled_; }

SweepProgress SweepJob::Progress() const {
  SweepProgress p;
  p.files_found = impl_->files_found_;
  p.bytes_found = impl_->bytes_found_;
  p.files_swept = impl_->files_swept_;
  p.bytes_read = impl_->bytes_read_;
  p.rows = impl_->rows_;
  p.issues = impl_->issues_;
  p.walk_done = impl_->walk_done_;
  p.finished = impl_->finished_;
  return p;
}

std::string SweepJob::CurrentFile() const {
  std::lock_guard lock(impl_->current_mutex_);
  return impl_->current_;
}

unsigned DefaultSweepThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

}  // namespace korvel
