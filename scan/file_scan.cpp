#include "scan/file_scan.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "scan/address_scanner.h"

namespace korvel {
namespace {

// A worker keeps the text buffer of its last file for the next one, up to
// this size; a larger one is given back at once.
constexpr std::size_t kKeptBuffer = std::size_t{64} << 20;

// A row holds NUL-terminated text, so an address ends at its first NUL.
void AddCut(AddressBatch& rows, std::string_view address) {
  const auto nul = address.find('\0');
  rows.Add(nul == std::string_view::npos ? address : address.substr(0, nul));
}

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
    scanner_.SetCancelFlag(control.cancel);
    try {
      const TextRead read = ReadText(file, file.Size(), text_, {control.cancel, control.bytes_read});
      switch (read.end) {
        case TextReadEnd::End: break;
        case TextReadEnd::Cancelled: out.cancelled = true; return;
        // What was read is swept; the issue says the rest is missing.
        case TextReadEnd::Failed: issue(SweepProblem::CannotRead, read.error); break;
        case TextReadEnd::Grew: issue(SweepProblem::ChangedWhileRead, 0); break;
      }
      scanner_.ScanView(text_, false);
      out.rows.Reserve(scanner_.Count(), 0);
      for (const std::string& address : scanner_.Addresses()) AddCut(out.rows, address);
      scanner_.Clear();
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
    if (text_.capacity() > kKeptBuffer) std::string().swap(text_);
  }

 private:
  void Reset(FileScan& out) {
    scanner_.Clear();
    std::string().swap(text_);
    const std::uint64_t size = out.file_size;
    out = FileScan{};
    out.file_size = size;
  }

  std::string text_;
  AddressScanner scanner_;
};

FileScanner::FileScanner() : impl_(std::make_unique<Impl>()) {}
FileScanner::~FileScanner() = default;

void FileScanner::Scan(const std::string& path, KnownKind known, const ScanControl& control,
                       FileScan& out) {
  impl_->Scan(path, known, control, out);
}

}  // namespace korvel
