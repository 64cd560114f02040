#include "engine/file_result.h"

#include <new>
#include <stdexcept>

namespace korvel {

void FileResult::CountBytes() {
  bytes = sizeof(FileResult) + rows.capacity() * sizeof(std::string);
  for (const std::string& row : rows)
    if (row.capacity() > sizeof(std::string)) bytes += row.capacity();
}

FileResult SweepOneFile(const std::string& path, AddressScanner& scanner,
                        const ReadControl& control) {
  FileResult result;
  const auto issue = [&](SweepProblem problem, int error) {
    result.issue = SweepIssue{problem, path, error};
  };
  scanner.SetCancelFlag(control.cancel);
  try {
    std::string text;
    const ReadReport report = ReadTextFileReporting(path, text, control);
    result.file_size = report.size;
    switch (report.status) {
      case ReadStatus::Read: result.swept = true; break;
      case ReadStatus::NotRegular: return result;
      case ReadStatus::Cancelled: result.cancelled = true; return result;
      case ReadStatus::CannotOpen: issue(SweepProblem::CannotOpen, report.error); return result;
      case ReadStatus::PathTooLong: issue(SweepProblem::PathTooLong, report.error); return result;
      // The one-thread sweep lists the addresses of what was read; so does
      // this one, and says the rest is missing.
      case ReadStatus::CannotRead: issue(SweepProblem::CannotRead, report.error); break;
    }
    scanner.ScanText(std::move(text), false);
    result.rows = scanner.TakeAddresses();
  } catch (const ScanCancelled&) {
    scanner.Clear();
    FileResult left;
    left.cancelled = true;
    return left;
  } catch (const std::bad_alloc&) {
    scanner.Clear();
    result = FileResult{};
    issue(SweepProblem::TooLarge, 0);
    return result;
  } catch (const std::length_error&) {
    scanner.Clear();
    result = FileResult{};
    issue(SweepProblem::TooLarge, 0);
    return result;
  }
  // A row holds NUL-terminated text, so an address ends at its first NUL.
  for (std::string& row : result.rows) {
    const auto nul = row.find('\0');
    if (nul != std::string::npos) row.resize(nul);
  }
  result.CountBytes();
  return result;
}

}  // namespace korvel
