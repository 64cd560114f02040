#pragma once
// The three ways korvel-sweep writes a result row.
#include <string>
#include <string_view>

#include "cli/output_file.h"
#include "scan/address_batch.h"

namespace korvel {

enum class RowFormat {
  Tsv,     // ADDRESS TAB LOCATION LF; backslash, TAB, LF and CR escaped as \\ \t \n \r
  Export,  // the window's export file: the address alone, every LF as CR LF, CR LF after it
  Json,    // {"address":…,"location":…} a line; text that is not UTF-8 as {"bytes":"<base64>"}
};

class RowWriter {
 public:
  RowWriter(OutputFile& output, RowFormat format) : output_(output), format_(format) {}
  void Row(std::string_view address, std::string_view location);
  // A file's rows: the location is formatted once for all of them.
  void Rows(const AddressBatch& addresses, std::string_view location);

 private:
  // Every row of one file has the same location: it is formatted once.
  const std::string& FormattedLocation(std::string_view location);

  OutputFile& output_;
  RowFormat format_;
  std::string location_;
  std::string formatted_location_;
};

}  // namespace korvel
