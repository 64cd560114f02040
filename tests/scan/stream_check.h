#pragma once
// The streamed scan against the whole-text scan, for the differential test
// and the fuzz target: the same raw bytes through both roads.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "scan/address_scanner.h"
#include "scan/stream_scan.h"
#include "scan/text_file.h"

namespace korvel::testing {

// Hands out a string at most `most` bytes a read, as a pipe or an archive
// member may; fails (-1, EIO) once `fail_at` bytes are read, if set.
class StringSource : public ByteSource {
 public:
  StringSource(std::string_view bytes, std::size_t most, std::size_t fail_at = std::string::npos)
      : rest_(bytes), most_(most), left_(fail_at) {}
  long long Read(char* buffer, std::size_t count) override {
    if (left_ == 0) return -1;
    const std::size_t n = std::min({count, most_, rest_.size(), left_});
    std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    if (left_ != std::string::npos) left_ -= n;
    return static_cast<long long>(n);
  }
  int Error() const override { return 5; }

 private:
  std::string_view rest_;
  std::size_t most_, left_;
};

// Today's road: the text content read whole, scanned, each row cut at its NUL.
inline std::vector<std::string> WholeTextRows(std::string bytes) {
  ConvertToText(bytes);
  AddressScanner scanner;
  scanner.ScanText(std::move(bytes), false);
  std::vector<std::string> rows = scanner.TakeAddresses();
  for (std::string& row : rows) row.resize(std::min(row.size(), row.find('\0')));
  return rows;
}

inline std::vector<std::string> StreamedRows(StreamScanner& scanner, ByteSource& source,
                                             std::size_t size_hint) {
  AddressBatch batch;
  scanner.Scan(source, size_hint, batch);
  std::vector<std::string> rows;
  for (std::string_view row : batch) rows.emplace_back(row);
  return rows;
}

inline std::vector<std::string> StreamedRows(const std::string& bytes, std::size_t chunk) {
  StreamScanner scanner(chunk);
  StringSource source(bytes, (chunk + 1) / 2 + 1);  // short reads too
  return StreamedRows(scanner, source, bytes.size());
}

}  // namespace korvel::testing
