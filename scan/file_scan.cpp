#include "scan/file_scan.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

#include "scan/address_scanner.h"
#include "scan/stream_scan.h"
#include "scan/text_file.h"

namespace korvel {
namespace {

// The file's bytes up to its size at the open and a margin; past that it
// ends, and says it grew.
class SizeGuard final : public ByteSource {
 public:
  SizeGuard(ByteSource& file, std::uint64_t size)
      : file_(file), limit_(size == 0 ? kUnsizedReadLimit : size + ReadGrowthMargin(size)) {}
  long long Read(char* buffer, std::size_t count) override {
    if (read_ >= limit_) {
      // Eight bytes: some pseudo-files refuse reads of less (pagemap).
      char probe[8];
      if (file_.Read(probe, sizeof probe) > 0) grew_ = true;
      return 0;
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, limit_ - read_));
    const long long n = file_.Read(buffer, count);
    if (n > 0) read_ += static_cast<std::uint64_t>(n);
    return n;
  }
  int Error() const override { return file_.Error(); }
  bool ShortReadIsEnd() const override { return file_.ShortReadIsEnd(); }
  bool Grew() const { return grew_; }

 private:
  ByteSource& file_;
  std::uint64_t limit_, read_ = 0;
  bool grew_ = false;
};

}  // namespace

std::size_t FileScan::MemoryBytes() const {
  std::size_t bytes = sizeof(FileScan) + rows.MemoryBytes();
  for (const ScannedMember& member : members)
    bytes += sizeof(ScannedMember) + member.location.capacity() + member.rows.MemoryBytes();
  return bytes;
}

void DeliverFileScan(RowSink& sink, const std::string& path, FileScan&& scan) {
  if (!scan.rows.Empty()) sink.AddFileRows(path, std::move(scan.rows));
  for (ScannedMember& member : scan.members) {
    if (!member.rows.Empty()) sink.AddFileRows(member.location, std::move(member.rows));
    if (member.issue) sink.ReportIssue(*member.issue);
  }
  if (scan.issue) sink.ReportIssue(*scan.issue);
  if (scan.swept) sink.FileSwept(path);
}

class FileScanner::Impl {
 public:
  void Scan(const std::string& path, KnownKind known, const ScanControl& control, FileScan& out) {
    out = FileScan{};
    const auto issue = [&](SweepProblem problem, int error) {
      out.issue = SweepIssue{problem, path, error};
    };
    TextFile file;
    switch (file.Open(path, known)) {
      case OpenStatus::Opened: break;
      case OpenStatus::NotRegular: out.passed_over = true; return;
      case OpenStatus::Vanished:
      case OpenStatus::CannotOpen: issue(SweepProblem::CannotOpen, file.Error()); return;
      case OpenStatus::PathTooLong: issue(SweepProblem::PathTooLong, file.Error()); return;
    }
    out.file_size = file.Size();
    if (control.skip && *control.skip == file.Identity()) {
      issue(SweepProblem::IsOutputFile, 0);
      return;
    }
    try {
      SizeGuard guarded(file, file.Size());
      const StreamScanResult read = stream_.Scan(
          guarded, file.Size(), out.rows, {control.cancel, control.bytes_read, control.details});
      // What was read is swept; the issue says the rest is missing.
      if (guarded.Grew() && file.Size() == 0) {
        Reset(out);
        issue(SweepProblem::TooLarge, 0);
        return;
      }
      if (read.error != 0)
        issue(SweepProblem::CannotRead, read.error);
      else if (guarded.Grew())
        issue(SweepProblem::ChangedWhileRead, 0);
      out.swept = true;
    } catch (const ScanCancelled&) {
      Reset(out);
      out.cancelled = true;
    } catch (const std::bad_alloc&) {
      Reset(out);
      issue(SweepProblem::TooLarge, 0);
    } catch (const std::length_error&) {
      Reset(out);
      issue(SweepProblem::TooLarge, 0);
    }
  }

  void ReleaseMemory() noexcept { stream_.ReleaseMemory(); }

 private:
  static void Reset(FileScan& out) {
    const std::uint64_t size = out.file_size;
    out = FileScan{};
    out.file_size = size;
  }

  StreamScanner stream_;
};

FileScanner::FileScanner() : impl_(std::make_unique<Impl>()) {}
FileScanner::~FileScanner() = default;

void FileScanner::ReleaseMemory() noexcept { impl_->ReleaseMemory(); }

void FileScanner::Scan(const std::string& path, KnownKind known, const ScanControl& control,
                       FileScan& out) {
  impl_->Scan(path, known, control, out);
}

}  // namespace korvel
