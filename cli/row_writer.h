#pragma once
// The three ways korvel-sweep writes a result row.
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/output_file.h"
#include "scan/address_batch.h"

namespace korvel {

enum class RowFormat {
  Tsv,     // ADDRESS TAB LOCATION LF; backslash, TAB, LF and CR escaped as \\ \t \n \r
  Export,  // the window's export file: the address alone, every LF as CR LF, CR LF after it
  Json,    // {"address":…,"location":…,"kind":…} a line; text that is not UTF-8 as
           // {"bytes":"<base64>"}
  Csv,     // RFC 4180 with a header line; bytes as they are
};

// The optional fields a row is written with, in this order after the location.
struct RowFields {
  bool place = false;  // line, offset
  bool count = false;  // occurrences in the file (or in the sweep, with files)
  bool files = false;  // files the address occurs in (--unique --count)
};

// Counts that replace a row's own count: those of the whole sweep.
struct SweepCount {
  std::uint64_t files = 0, occurrences = 0;
};

class RowWriter {
 public:
  RowWriter(OutputFile& output, RowFormat format, RowFields fields = {})
      : output_(output), format_(format), fields_(fields) {}
  // The CSV header line; nothing for the other formats.
  void Header();
  void Row(std::string_view address, std::string_view location, const RowDetail* detail = nullptr,
           const SweepCount* sweep = nullptr);
  // A file's rows: the location is formatted once for all of them.
  void Rows(const AddressBatch& addresses, std::string_view location);

 private:
  // Every row of one file has the same location: it is formatted once.
  const std::string& FormattedLocation(std::string_view location);

  OutputFile& output_;
  RowFormat format_;
  RowFields fields_;
  std::string location_;
  std::string formatted_location_;
};

}  // namespace korvel
