#include "engine/sweep_job.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <optional>
#include <thread>
#include <utility>

#include "engine/input_walk.h"
#include "scan/file_scan.h"

// How the work flows: the walk (a thread of its own) numbers every path and
// every walk issue in walk order and queues the paths in batches; each worker
// takes a run of paths from the queue at once, reads and scans them with a
// scanner of its own and files the results under their numbers, again in one
// go; the merge, on the thread of Run, hands the results to the sink strictly
// by number. The threads meet under one mutex once per batch, not per file,
// and the merge is woken only when the result it waits for has come. Rows
// and bytes never take a lock.
//
// Memory: the queue holds at most kMaxQueued paths, and a worker takes paths
// only while the files in work or waiting for the merge, and the bytes of the
// waiting rows, stay under their caps. The path with the number the merge
// waits for is always taken, caps or not, so the sweep never stalls. A worker
// hands over early what it holds after a large file or many rows, so a big
// file flows alone and the first rows of a sweep come at once.

namespace korvel {
namespace {

constexpr std::size_t kMaxQueued = 4096;
constexpr std::size_t kMaxQueuedBytes = std::size_t{1} << 20;
// The walk hands over its paths this many at a time (sooner when a worker is
// idle).
constexpr std::size_t kWalkBatch = 128;
// A worker takes at most this many paths at a time.
constexpr std::size_t kWorkerBatch = 32;
// A worker hands over what it holds once it holds this much, or after a file
// of this size.
constexpr std::size_t kHandOverBytes = std::size_t{1} << 20;
constexpr std::uint64_t kLargeFile = std::uint64_t{4} << 20;

}  // namespace

unsigned DefaultSweepThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

class SweepJob::Impl final : public WalkTarget {
 public:
  Impl(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options)
      : Impl(nullptr, sink, std::move(options)) {
    owned_.emplace(std::move(inputs));
    source_ = &*owned_;
  }

  Impl(InputSource* source, RowSink& sink, SweepJobOptions options)
      : source_(source), sink_(sink), options_(std::move(options)) {
    threads_ = options_.threads != 0 ? options_.threads : DefaultSweepThreads();
    max_files_ = options_.max_pending_files != 0
                     ? options_.max_pending_files
                     : std::max<std::size_t>(256, std::size_t{64} * threads_);
    max_bytes_ = options_.max_pending_bytes;
    // Made here, so that CurrentFile may look at them from the first moment.
    for (unsigned i = 0; i < threads_; ++i) workers_.push_back(std::make_unique<Worker>());
  }

  ~Impl() override {
    Cancel();
    if (runner_.joinable()) runner_.join();
  }

  void Run() {
    bool expected = false;
    if (!ran_.compare_exchange_strong(expected, true)) return;
    try {
      StartThreads();
      Merge();
    } catch (...) {
      Fail(std::current_exception());
    }
    if (walker_.joinable()) walker_.join();
    for (const auto& worker : workers_)
      if (worker->thread.joinable()) worker->thread.join();
    finished_.store(true);
    if (failure_) std::rethrow_exception(failure_);
  }

  void Start() {
    runner_ = std::thread([this] {
      try {
        Run();
      } catch (...) {
        // Kept in failure_ for Wait.
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
    { std::lock_guard<std::mutex> lock(alone_mutex_); }
    alone_cv_.notify_all();
    work_cv_.notify_all();
    room_cv_.notify_all();
    merge_cv_.notify_all();
  }

  bool IsCancelled() const { return cancel_.load(); }

  SweepCounters Counters() const {
    SweepCounters c;
    c.files_found = files_found_.load(std::memory_order_relaxed);
    c.bytes_found = bytes_found_.load(std::memory_order_relaxed);
    c.files_swept = files_swept_.load(std::memory_order_relaxed);
    c.bytes_read = bytes_read_.load(std::memory_order_relaxed);
    c.rows = rows_.load(std::memory_order_relaxed);
    c.issues = issues_.load(std::memory_order_relaxed);
    c.passed_over = passed_over_.load(std::memory_order_relaxed);
    c.walk_done = walk_done_flag_.load();
    c.finished = finished_.load();
    return c;
  }

  std::string CurrentFile() const {
    for (const auto& worker : workers_) {
      std::lock_guard<std::mutex> lock(worker->current_mutex);
      if (const std::string* path = worker->current.load()) return *path;
    }
    return {};
  }

  unsigned Threads() const { return started_.load(); }

  // WalkTarget, on the walk's thread.
  bool FoundFile(std::string path, FoundKind kind) override {
    if (kind == FoundKind::NotRegular) {
      passed_over_.fetch_add(1, std::memory_order_relaxed);
      return !cancel_.load(std::memory_order_relaxed);
    }
    walk_bytes_ += path.size();
    walk_batch_.push_back(Item{walk_number_++, std::move(path), kind});
    files_found_.fetch_add(1, std::memory_order_relaxed);
    // Sooner than a whole batch only for a worker that has nothing to do.
    if (walk_batch_.size() >= kWalkBatch ||
        (idle_.load(std::memory_order_relaxed) > 0 && queued_.load(std::memory_order_relaxed) == 0))
      return HandOverWalk();
    return !cancel_.load(std::memory_order_relaxed);
  }

  void FoundIssue(SweepIssue issue) override {
    HandOverWalk();
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t number = walk_number_++;
    Slot& slot = SlotFor(number);
    slot.path = issue.path;
    slot.scan.issue = std::move(issue);
    slot.ready = true;
    issued_ = walk_number_;
    if (number == next_) merge_cv_.notify_one();
  }

  bool WalkCancelled() const override { return cancel_.load(std::memory_order_relaxed); }

  void InputsWaiting() { HandOverWalk(); }

 private:
  struct Item {
    std::uint64_t number;
    std::string path;
    FoundKind kind;
  };
  struct Slot {
    bool ready = false;
    std::string path;
    FileScan scan;
  };
  struct Worker {
    std::thread thread;
    // The path being read, for CurrentFile; the mutex keeps it alive while
    // it is copied, and is taken by the worker only between its batches.
    mutable std::mutex current_mutex;
    std::atomic<const std::string*> current{nullptr};
  };

  void StartThreads() {
    try {
      walker_ = std::thread([this] { Walk(); });
    } catch (const std::system_error& e) {
      throw std::runtime_error(std::string("cannot start the walk's thread (") + e.what() + ")");
    }
    // Fewer workers than asked when the system refuses more threads; not
    // even one is an error.
    for (const auto& worker : workers_) {
      try {
        worker->thread = std::thread([this, w = worker.get()] { Work(*w); });
      } catch (const std::system_error& e) {
        if (started_.load() == 0)
          throw std::runtime_error(std::string("cannot start a worker thread (") + e.what() + ")");
        break;
      }
      started_.fetch_add(1);
    }
  }

  // The first failure of the job's own bookkeeping ends the sweep; Run throws it.
  void Fail(std::exception_ptr failure) {
    {
      std::lock_guard<std::mutex> lock(failure_mutex_);
      if (!failure_) failure_ = std::move(failure);
    }
    Cancel();
  }

  // The slot of a number at or after next_ (mutex held).
  Slot& SlotFor(std::uint64_t number) {
    const auto index = static_cast<std::size_t>(number - next_);
    if (index >= window_.size()) window_.resize(index + 1);
    return window_[index];
  }

  // Moves the walk's batch into the queue, waiting for room. False when the
  // sweep was cancelled.
  bool HandOverWalk() {
    if (walk_batch_.empty()) return !cancel_.load();
    std::unique_lock<std::mutex> lock(mutex_);
    room_cv_.wait(lock, [this] {
      return cancel_.load() || (queue_.size() < kMaxQueued && queued_bytes_ < kMaxQueuedBytes);
    });
    if (cancel_.load()) return false;
    for (Item& item : walk_batch_) queue_.push_back(std::move(item));
    queued_.store(queue_.size(), std::memory_order_relaxed);
    queued_bytes_ += walk_bytes_;
    issued_ = walk_number_;
    const bool many = walk_batch_.size() > 1;
    walk_batch_.clear();
    walk_bytes_ = 0;
    lock.unlock();
    if (many)
      work_cv_.notify_all();
    else
      work_cv_.notify_one();
    return true;
  }

  void Walk() {
    try {
      WalkInputs(*source_, *this);
      HandOverWalk();
    } catch (...) {
      Fail(std::current_exception());
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      walk_done_ = true;
    }
    walk_done_flag_.store(true);
    work_cv_.notify_all();
    merge_cv_.notify_all();
  }

  // How many paths a worker may take now (mutex held): within the caps, a
  // fair share of the queue, and always the one the merge waits for.
  std::size_t TakeCount() const {
    if (queue_.empty()) return 0;
    const std::size_t held = in_work_ + ready_;
    std::size_t room = held < max_files_ && pending_bytes_ < max_bytes_ ? max_files_ - held : 0;
    room = std::min(room, std::max<std::size_t>(1, max_files_ / (2 * threads_)));
    const std::size_t share = std::max<std::size_t>(1, queue_.size() / threads_);
    std::size_t take = std::min({room, share, kWorkerBatch, queue_.size()});
    if (take == 0 && queue_.front().number == next_) take = 1;
    return take;
  }

  void Work(Worker& worker) {
    try {
      WorkLoop(worker);
    } catch (...) {
      Fail(std::current_exception());
    }
  }

  void WorkLoop(Worker& worker) {
    FileScanner scanner;
    ScanControl control;
    control.cancel = &cancel_;
    control.bytes_read = &bytes_read_;
    control.skip = options_.skip_file;
    control.content = options_.content;
    control.details = options_.row_details;
    std::vector<Item> batch;
    std::vector<Slot> done;
    std::size_t done_bytes = 0;

    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      const auto may_go = [this] {
        return cancel_.load() || TakeCount() > 0 || (queue_.empty() && walk_done_);
      };
      if (!may_go()) {
        idle_.fetch_add(1, std::memory_order_relaxed);
        work_cv_.wait(lock, may_go);
        idle_.fetch_sub(1, std::memory_order_relaxed);
      }
      if (cancel_.load() || queue_.empty()) break;
      const std::size_t take = TakeCount();
      for (std::size_t i = 0; i < take; ++i) {
        queued_bytes_ -= queue_.front().path.size();
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
      queued_.store(queue_.size(), std::memory_order_relaxed);
      in_work_ += take;
      const bool more = TakeCount() > 0;
      const bool last = queue_.empty() && walk_done_;
      lock.unlock();
      room_cv_.notify_one();
      if (last)
        work_cv_.notify_all();  // the idle workers may end
      else if (more)
        work_cv_.notify_one();

      std::size_t handed = 0;  // items of the batch already handed over
      for (std::size_t i = 0; i < batch.size(); ++i) {
        Item& item = batch[i];
        worker.current.store(&item.path);
        done.emplace_back();
        Slot& slot = done.back();
        const KnownKind known =
            item.kind == FoundKind::Regular ? KnownKind::Regular : KnownKind::Unknown;
        BeginScan(scanner);
        scanner.Scan(item.path, known, control, slot.scan);
        EndScan();
        // Memory ran out with other files read beside it: once more alone,
        // so that what a file gives does not depend on the thread count.
        if (slot.scan.issue && slot.scan.issue->problem == SweepProblem::TooLarge &&
            slot.scan.file_size > 0 && started_.load() > 1 && !cancel_.load())
          ScanAlone(scanner, item.path, known, control, slot.scan);
        bytes_found_.fetch_add(slot.scan.file_size, std::memory_order_relaxed);
        if (slot.scan.passed_over) passed_over_.fetch_add(1, std::memory_order_relaxed);
        done_bytes += slot.scan.MemoryBytes();
        if (i + 1 < batch.size() &&
            (done_bytes >= kHandOverBytes || slot.scan.file_size >= kLargeFile)) {
          HandOver(worker, batch, handed, i + 1, done);
          handed = i + 1;
          done_bytes = 0;
        }
      }
      HandOver(worker, batch, handed, batch.size(), done);
      batch.clear();
      done_bytes = 0;
      lock.lock();
    }
  }

  // Every scan is counted while it runs; a scan that must run alone waits
  // until the others have ended theirs, and they wait before their next one.
  // Outside a retry this costs two atomic operations a file and no lock.
  void BeginScan(FileScanner& scanner) {
    scanning_.fetch_add(1);
    if (alone_.load()) {
      // What this worker keeps for its next file is room the other needs.
      scanner.ReleaseMemory();
      EndScan();
      WaitWhileAlone();
      BeginScan(scanner);
    }
  }
  void EndScan() {
    scanning_.fetch_sub(1);
    if (alone_.load()) {
      std::lock_guard<std::mutex> lock(alone_mutex_);
      alone_cv_.notify_all();
    }
  }
  void WaitWhileAlone() {
    std::unique_lock<std::mutex> lock(alone_mutex_);
    alone_cv_.wait(lock, [this] { return !alone_.load() || cancel_.load(); });
  }
  void ScanAlone(FileScanner& scanner, const std::string& path, KnownKind known,
                 const ScanControl& control, FileScan& out) {
    for (bool expected = false; !alone_.compare_exchange_strong(expected, true); expected = false) {
      WaitWhileAlone();
      if (cancel_.load()) return;
    }
    {
      std::unique_lock<std::mutex> lock(alone_mutex_);
      alone_cv_.wait(lock, [this] { return scanning_.load() == 0 || cancel_.load(); });
    }
    if (!cancel_.load()) scanner.Scan(path, known, control, out);
    {
      std::lock_guard<std::mutex> lock(alone_mutex_);
      alone_.store(false);
    }
    alone_cv_.notify_all();
  }

  // Files the results of batch[from, to), held in `done`, for the merge.
  void HandOver(Worker& worker, std::vector<Item>& batch, std::size_t from, std::size_t to,
                std::vector<Slot>& done) {
    {
      // CurrentFile may be copying a path of this batch.
      std::lock_guard<std::mutex> lock(worker.current_mutex);
      worker.current.store(nullptr);
    }
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (std::size_t i = from; i < to; ++i) {
        --in_work_;
        Slot& result = done[i - from];
        if (result.scan.cancelled || cancel_.load()) continue;
        result.path = std::move(batch[i].path);
        result.ready = true;
        pending_bytes_ += result.scan.MemoryBytes();
        ++ready_;
        wake = wake || batch[i].number == next_;
        SlotFor(batch[i].number) = std::move(result);
      }
    }
    done.clear();
    if (wake) merge_cv_.notify_one();
  }

  void Merge() {
    std::vector<Slot> ready;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      merge_cv_.wait(lock, [this] {
        return cancel_.load() || (!window_.empty() && window_.front().ready) ||
               (walk_done_ && next_ == issued_);
      });
      if (cancel_.load()) return;
      if (window_.empty() || !window_.front().ready) return;  // everything walked is delivered
      while (!window_.empty() && window_.front().ready) {
        Slot& slot = window_.front();
        pending_bytes_ -= slot.scan.MemoryBytes();
        ready.push_back(std::move(slot));
        window_.pop_front();
        ++next_;
        --ready_;
      }
      // Room again for workers held back by the caps.
      const bool waiting_work = !queue_.empty();
      lock.unlock();
      if (waiting_work) work_cv_.notify_all();
      for (Slot& slot : ready) Deliver(slot);
      ready.clear();
      sink_.DeliveryPaused();
      lock.lock();
    }
  }

  // A file's rows go out whole, even when a cancel arrives meanwhile.
  void Deliver(Slot& slot) {
    FileScan& scan = slot.scan;
    std::uint64_t rows = scan.rows.Count();
    for (const ScannedMember& member : scan.members) rows += member.rows.Count();
    std::uint64_t issues = scan.issue ? 1 : 0;
    for (const ScannedMember& member : scan.members) issues += member.issue ? 1 : 0;
    const bool swept = scan.swept;
    DeliverFileScan(sink_, slot.path, std::move(scan));
    rows_.fetch_add(rows, std::memory_order_relaxed);
    issues_.fetch_add(issues, std::memory_order_relaxed);
    if (swept) files_swept_.fetch_add(1, std::memory_order_relaxed);
  }

  std::optional<InputList> owned_;
  InputSource* source_;
  RowSink& sink_;
  SweepJobOptions options_;
  unsigned threads_ = 1;
  std::size_t max_files_ = 256;
  std::size_t max_bytes_ = 0;

  // The walk's own, on its thread.
  std::vector<Item> walk_batch_;
  // A scan retried alone (ScanAlone).
  std::mutex alone_mutex_;
  std::condition_variable alone_cv_;
  std::atomic<bool> alone_{false};
  std::atomic<unsigned> scanning_{0};
  std::size_t walk_bytes_ = 0;
  std::uint64_t walk_number_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable work_cv_;   // workers: paths to take
  std::condition_variable room_cv_;   // the walk: room in the queue
  std::condition_variable merge_cv_;  // the merge: the next result
  std::deque<Item> queue_;
  std::size_t queued_bytes_ = 0;
  std::deque<Slot> window_;  // results by number from next_ on
  std::size_t ready_ = 0;    // ready slots in the window
  std::size_t pending_bytes_ = 0;
  std::size_t in_work_ = 0;
  std::uint64_t issued_ = 0;  // numbers handed over by the walk
  std::uint64_t next_ = 0;    // the number the merge delivers next
  bool walk_done_ = false;

  std::atomic<bool> cancel_{false};
  std::atomic<bool> ran_{false};
  std::atomic<bool> walk_done_flag_{false};
  std::atomic<bool> finished_{false};
  std::atomic<unsigned> idle_{0};       // workers waiting for paths
  std::atomic<std::size_t> queued_{0};  // the queue's length, read without the lock
  std::atomic<unsigned> started_{0};
  std::atomic<std::uint64_t> files_found_{0}, bytes_found_{0}, files_swept_{0}, bytes_read_{0},
      rows_{0}, issues_{0}, passed_over_{0};

  std::thread walker_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::thread runner_;
  std::mutex failure_mutex_;
  std::exception_ptr failure_;
};

SweepJob::SweepJob(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options)
    : impl_(std::make_unique<Impl>(std::move(inputs), sink, std::move(options))) {}
SweepJob::SweepJob(InputSource& inputs, RowSink& sink, SweepJobOptions options)
    : impl_(std::make_unique<Impl>(&inputs, sink, std::move(options))) {}
SweepJob::~SweepJob() = default;
void SweepJob::Run() { impl_->Run(); }
void SweepJob::Start() { impl_->Start(); }
void SweepJob::Wait() { impl_->Wait(); }
void SweepJob::Cancel() { impl_->Cancel(); }
bool SweepJob::IsCancelled() const { return impl_->IsCancelled(); }
void SweepJob::InputsWaiting() { impl_->InputsWaiting(); }
SweepCounters SweepJob::Counters() const { return impl_->Counters(); }
std::string SweepJob::CurrentFile() const { return impl_->CurrentFile(); }
unsigned SweepJob::Threads() const { return impl_->Threads(); }

}  // namespace korvel
