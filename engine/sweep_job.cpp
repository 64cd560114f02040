#include "engine/sweep_job.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "engine/file_result.h"
#include "engine/input_walk.h"

// How the work flows: the walk (a thread of its own) numbers every path and
// every walk issue in walk order and queues the paths; each worker takes the
// queue's first path, reads and scans it with a scanner of its own and files
// the result under its number; the merge, on the thread of Run, hands the
// results to the sink strictly by number. Threads meet once per file under
// one mutex; rows and bytes never take a lock.
//
// Memory: the queue holds at most kMaxQueued paths, and a worker takes a path
// only while the files in work or waiting for the merge, and the bytes of the
// waiting rows, stay under their caps. The path with the number the merge
// waits for is always taken, caps or not, so the sweep never stalls.

namespace korvel {
namespace {

constexpr std::size_t kMaxQueued = 4096;
constexpr std::size_t kMaxQueuedBytes = std::size_t{1} << 20;

}  // namespace

unsigned DefaultSweepThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

class SweepJob::Impl final : public WalkTarget {
 public:
  Impl(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options)
      : Impl(nullptr, sink, options) {
    owned_.emplace(std::move(inputs));
    source_ = &*owned_;
  }

  Impl(InputSource* source, RowSink& sink, SweepJobOptions options) : source_(source), sink_(sink) {
    threads_ = options.threads != 0 ? options.threads : DefaultSweepThreads();
    max_files_ = options.max_pending_files != 0
                     ? options.max_pending_files
                     : std::max<std::size_t>(64, std::size_t{16} * threads_);
    max_bytes_ = options.max_pending_bytes;
  }

  ~Impl() override {
    Cancel();
    if (runner_.joinable()) runner_.join();
  }

  void Run() {
    bool expected = false;
    if (!ran_.compare_exchange_strong(expected, true)) return;
    std::exception_ptr failure;
    try {
      walker_ = std::thread([this] { Walk(); });
      workers_.reserve(threads_);
      for (unsigned i = 0; i < threads_; ++i) workers_.emplace_back([this] { Work(); });
      Merge();
    } catch (...) {
      failure = std::current_exception();
      Cancel();
    }
    if (walker_.joinable()) walker_.join();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    finished_.store(true);
    if (failure) std::rethrow_exception(failure);
  }

  void Start() {
    runner_ = std::thread([this] {
      try {
        Run();
      } catch (...) {
        failure_ = std::current_exception();
      }
    });
  }

  void Wait() {
    if (runner_.joinable()) runner_.join();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

  void Cancel() {
    cancel_.store(true);
    { std::lock_guard<std::mutex> lock(mutex_); }
    work_cv_.notify_all();
    room_cv_.notify_all();
    merge_cv_.notify_all();
  }

  bool IsCancelled() const { return cancel_.load(); }

  SweepProgress Progress() const {
    SweepProgress p;
    p.files_found = files_found_.load(std::memory_order_relaxed);
    p.bytes_found = bytes_found_.load(std::memory_order_relaxed);
    p.files_swept = files_swept_.load(std::memory_order_relaxed);
    p.bytes_read = bytes_read_.load(std::memory_order_relaxed);
    p.rows = rows_.load(std::memory_order_relaxed);
    p.issues = issues_.load(std::memory_order_relaxed);
    p.walk_done = walk_done_flag_.load();
    p.finished = finished_.load();
    return p;
  }

  std::string CurrentFile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reading_.empty() ? std::string() : reading_.begin()->second;
  }

  // WalkTarget, on the walk's thread.
  bool FoundFile(std::string path, FoundKind /*kind*/) override {
    std::unique_lock<std::mutex> lock(mutex_);
    room_cv_.wait(lock, [this] {
      return cancel_.load() || (queue_.size() < kMaxQueued && queued_bytes_ < kMaxQueuedBytes);
    });
    if (cancel_.load()) return false;
    queued_bytes_ += path.size();
    queue_.push_back(Item{issued_++, std::move(path)});
    files_found_.fetch_add(1, std::memory_order_relaxed);
    lock.unlock();
    work_cv_.notify_one();
    return true;
  }

  void FoundIssue(SweepIssue issue) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t number = issued_++;
    Done& done = done_[number];
    done.path = issue.path;
    done.result.issue = std::move(issue);
    if (number == next_) merge_cv_.notify_one();
  }

  bool WalkCancelled() const override { return cancel_.load(std::memory_order_relaxed); }

 private:
  struct Item {
    std::uint64_t number;
    std::string path;
  };
  struct Done {
    std::string path;
    FileResult result;
  };

  void Walk() {
    WalkInputs(*source_, *this);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      walk_done_ = true;
    }
    walk_done_flag_.store(true);
    work_cv_.notify_all();
    merge_cv_.notify_all();
  }

  // Whether a worker may take the queue's first path now (mutex held).
  bool MayTake() const {
    if (queue_.empty()) return false;
    if (queue_.front().number == next_) return true;
    return in_work_ + done_.size() < max_files_ && pending_bytes_ < max_bytes_;
  }

  void Work() {
    AddressScanner scanner;
    const ReadControl control{&cancel_, &bytes_read_};
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      work_cv_.wait(
          lock, [this] { return cancel_.load() || MayTake() || (queue_.empty() && walk_done_); });
      if (cancel_.load() || queue_.empty()) break;
      Item item = std::move(queue_.front());
      queue_.pop_front();
      queued_bytes_ -= item.path.size();
      ++in_work_;
      reading_.emplace(item.number, item.path);
      const bool more = MayTake();
      // The last path of a finished walk: the idle workers may end.
      const bool last = queue_.empty() && walk_done_;
      lock.unlock();
      room_cv_.notify_one();
      if (last)
        work_cv_.notify_all();
      else if (more)
        work_cv_.notify_one();

      FileResult result = SweepOneFile(item.path, scanner, control);
      bytes_found_.fetch_add(result.file_size, std::memory_order_relaxed);

      lock.lock();
      --in_work_;
      reading_.erase(item.number);
      if (result.cancelled) continue;
      pending_bytes_ += result.bytes;
      done_.emplace(item.number, Done{std::move(item.path), std::move(result)});
      if (item.number == next_) merge_cv_.notify_one();
    }
  }

  void Merge() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      merge_cv_.wait(lock, [this] {
        return cancel_.load() || done_.count(next_) != 0 || (walk_done_ && next_ == issued_);
      });
      if (cancel_.load()) return;
      const auto it = done_.find(next_);
      if (it == done_.end()) return;  // everything walked is delivered
      Done done = std::move(it->second);
      done_.erase(it);
      pending_bytes_ -= done.result.bytes;
      ++next_;
      lock.unlock();
      work_cv_.notify_one();
      Deliver(done);
      lock.lock();
    }
  }

  // A file's rows go out whole, even when a cancel arrives meanwhile.
  void Deliver(const Done& done) {
    const FileResult& result = done.result;
    for (const std::string& row : result.rows) sink_.AddResultRow(row, done.path);
    rows_.fetch_add(result.rows.size(), std::memory_order_relaxed);
    if (result.swept) {
      sink_.FileSwept(done.path);
      files_swept_.fetch_add(1, std::memory_order_relaxed);
    }
    if (result.issue) {
      sink_.ReportIssue(*result.issue);
      issues_.fetch_add(1, std::memory_order_relaxed);
    }
  }

  std::optional<InputList> owned_;
  InputSource* source_;
  RowSink& sink_;
  unsigned threads_ = 1;
  std::size_t max_files_ = 64;
  std::size_t max_bytes_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable work_cv_;   // workers: a path to take
  std::condition_variable room_cv_;   // the walk: room in the queue
  std::condition_variable merge_cv_;  // the merge: the next result
  std::deque<Item> queue_;
  std::size_t queued_bytes_ = 0;
  std::map<std::uint64_t, Done> done_;            // results waiting for the merge
  std::map<std::uint64_t, std::string> reading_;  // paths in work
  std::size_t pending_bytes_ = 0;
  std::size_t in_work_ = 0;
  std::uint64_t issued_ = 0;  // numbers given by the walk
  std::uint64_t next_ = 0;    // the number the merge delivers next
  bool walk_done_ = false;

  std::atomic<bool> cancel_{false};
  std::atomic<bool> ran_{false};
  std::atomic<bool> walk_done_flag_{false};
  std::atomic<bool> finished_{false};
  std::atomic<std::uint64_t> files_found_{0}, bytes_found_{0}, files_swept_{0}, bytes_read_{0},
      rows_{0}, issues_{0};

  std::thread walker_;
  std::vector<std::thread> workers_;
  std::thread runner_;
  std::exception_ptr failure_;
};

SweepJob::SweepJob(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options)
    : impl_(std::make_unique<Impl>(std::move(inputs), sink, options)) {}
SweepJob::SweepJob(InputSource& inputs, RowSink& sink, SweepJobOptions options)
    : impl_(std::make_unique<Impl>(&inputs, sink, options)) {}
SweepJob::~SweepJob() = default;
void SweepJob::Run() { impl_->Run(); }
void SweepJob::Start() { impl_->Start(); }
void SweepJob::Wait() { impl_->Wait(); }
void SweepJob::Cancel() { impl_->Cancel(); }
bool SweepJob::IsCancelled() const { return impl_->IsCancelled(); }
SweepProgress SweepJob::Progress() const { return impl_->Progress(); }
std::string SweepJob::CurrentFile() const { return impl_->CurrentFile(); }

}  // namespace korvel
