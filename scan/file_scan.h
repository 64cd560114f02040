#pragma once
// One file's sweep, the step every sweep takes from a path to rows: the
// one-thread SweepFile and every worker of the parallel sweep. It opens the
// file once, asks its status once (on the open file), reads it as text into a
// buffer it keeps for the next file, scans it and packs the rows.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/address_batch.h"
#include "scan/content_options.h"
#include "scan/row_sink.h"
#include "scan/text_file.h"

namespace korvel {

struct ScanControl {
  const std::atomic<bool>* cancel = nullptr;          // polled between reads and in the passes
  std::atomic<std::uint64_t>* bytes_read = nullptr;   // bytes as they arrive
  std::optional<FileIdentity> skip;                   // this file is passed over, with an issue
  ContentOptions content;
  unsigned details = 0;  // RowDetails the rows carry
};

// The rows of one member of an archive, in archive order.
struct ScannedMember {
  std::string location;
  AddressBatch rows;
  std::optional<SweepIssue> issue;  // after the rows
};

struct FileScan {
  AddressBatch rows;                   // the file's own rows, its path as location
  std::vector<ScannedMember> members;  // an archive's members, after the file's own rows
  std::optional<SweepIssue> issue;     // after every row
  bool swept = false;                  // the file was read: FileSwept is due
  bool passed_over = false;            // no regular file: no rows, no word
  bool cancelled = false;              // left unfinished: nothing of it is delivered
  std::uint64_t file_size = 0;         // as the open file reported it

  // Memory the result holds, for callers that cap what waits.
  std::size_t MemoryBytes() const;
};

// Hands a scanned file to `sink`: the rows (location `path`), the members',
// then the issue, then FileSwept when the file was read.
void DeliverFileScan(RowSink& sink, const std::string& path, FileScan&& scan);

class FileScanner {
 public:
  FileScanner();
  ~FileScanner();
  FileScanner(const FileScanner&) = delete;
  FileScanner& operator=(const FileScanner&) = delete;

  // Reads and scans the file at `path` into `out` (reset first). A path that
  // names no regular file is passed over; failures become the issue; a file
  // whose read fails part-way keeps the rows of what was read. Never throws.
  void Scan(const std::string& path, KnownKind known, const ScanControl& control, FileScan& out);
  // Gives back the buffers kept for the next file.
  void ReleaseMemory() noexcept;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace korvel
