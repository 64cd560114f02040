#pragma once
// A sweep of files and folders on all cores. Rows reach the sink in exactly
// the order of a one-thread sweep: inputs in order, a folder's files in walk
// order, a file's addresses in the scanner's order.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "find/folder_options.h"
#include "scan/content_options.h"
#include "scan/row_sink.h"
#include "scan/text_file.h"

namespace korvel {

struct SweepInput {
  enum class Kind { File, Folder };
  Kind kind = Kind::File;
  std::string path;       // a folder path ends with a separator
  FolderOptions options;  // read for a folder only
};

struct SweepJobOptions {
  unsigned threads = 0;                       // workers; 0: one per online CPU
  std::size_t max_pending_files = 0;          // merge window in files; 0: chosen from threads
  std::size_t max_pending_bytes = 64u << 20;  // rows held back for the merge, in bytes
  std::optional<FileIdentity> skip_file = std::nullopt;  // passed over with an IsOutputFile issue
  ContentOptions content = {};
  unsigned row_details = 0;  // RowDetails every row carries
};

// A snapshot of the counters; any thread may take one at any time.
struct SweepCounters {
  std::uint64_t files_found = 0;  // paths the walk has produced so far
  std::uint64_t bytes_found = 0;  // their sizes, where known
  std::uint64_t files_swept = 0;  // files delivered to the sink
  std::uint64_t bytes_read = 0;
  std::uint64_t rows = 0;         // rows delivered to the sink
  std::uint64_t issues = 0;       // issues delivered to the sink
  std::uint64_t passed_over = 0;  // no regular file: devices, FIFOs, sockets, dangling links
  bool walk_done = false;
  bool finished = false;  // the sink will be called no more
};

class InputSource;

class SweepJob {
 public:
  SweepJob(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options = {});
  // Inputs pulled from `inputs` on the walk's thread while the sweep runs;
  // `inputs` outlives the job.
  SweepJob(InputSource& inputs, RowSink& sink, SweepJobOptions options = {});
  // Cancels and waits: no thread of the job outlives it.
  ~SweepJob();
  SweepJob(const SweepJob&) = delete;
  SweepJob& operator=(const SweepJob&) = delete;

  // Sweeps everything on the calling thread's watch: the sink is called on
  // this thread only, and Run returns when the sweep has ended or been
  // cancelled. Call Run or Start once. Throws std::runtime_error when not
  // even one worker can be started, and whatever failed in the job's own
  // bookkeeping (std::bad_alloc); files that cannot be read are issues.
  void Run();
  // The same in a thread of the job's own; the sink is called on that thread.
  void Start();
  // Waits for a started job to end; throws what Run would have thrown.
  void Wait();

  // From any thread. The job stops within 100 ms, even inside a large file;
  // after this the sink gets nothing but what was already merged.
  void Cancel();
  bool IsCancelled() const;

  // Only from an InputSource's Next, on the walk's thread: the source is
  // about to wait for its next input (a list still being written), so the
  // files found so far go to the workers now instead of with a full batch.
  void InputsWaiting();

  SweepCounters Counters() const;
  // The path of a file being read; empty when none. Any thread.
  std::string CurrentFile() const;
  // Workers that could be started (fewer than asked when the system refused
  // more threads); 0 before the start.
  unsigned Threads() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Online CPUs, at least 1.
unsigned DefaultSweepThreads();

}  // namespace korvel
