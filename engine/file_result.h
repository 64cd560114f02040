#pragma once
// What sweeping one file gives: its rows, or why it gave none.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/address_scanner.h"
#include "scan/row_sink.h"
#include "scan/text_file.h"

namespace korvel {

struct FileResult {
  std::vector<std::string> rows;    // addresses, already cut at their first NUL
  std::optional<SweepIssue> issue;  // reported after the rows
  bool swept = false;               // the file was read (FileSwept is due)
  bool cancelled = false;           // left unfinished; nothing of it is delivered
  std::size_t bytes = 0;            // memory the rows hold, for the merge window
  std::uint64_t file_size = 0;      // as the system reported it when opened

  void CountBytes();
};

// Reads and scans one file with `scanner` (whose list it leaves empty). A
// path that names no regular file gives an empty result, as SweepFile passes
// it over; failures become the issue. Never throws.
FileResult SweepOneFile(const std::string& path, AddressScanner& scanner,
                        const ReadControl& control);

}  // namespace korvel
