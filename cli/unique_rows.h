#pragma once
// --unique: each distinct address once for the whole sweep, at its first
// row. The set holds a 64-bit hash of each address, not its bytes: 8 bytes a
// slot, at most half the slots used. Two addresses whose hashes collide
// count as one; with the default limit that chance is below one in 500,000
// for a whole sweep. Past the limit new addresses are no longer remembered:
// each is written every time it comes, and a warning says so once.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/row_writer.h"
#include "scan/address_batch.h"

namespace korvel {

class UniqueRows {
 public:
  static constexpr std::size_t kDefaultLimit = std::size_t{1} << 22;

  // With `counted`, rows wait until Finish, when their counts over the whole
  // sweep are known; without, each new address is written at once.
  // `warn` is called once, when the limit is first passed.
  UniqueRows(RowWriter& writer, bool counted, std::size_t limit,
             std::function<void(const std::string&)> warn);

  void Rows(const AddressBatch& rows, std::string_view location);
  // Writes the rows that waited for their counts.
  void Finish();

 private:
  static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;
  // The entry of `address`: its index and whether it is new; kUnknown
  // past the limit.
  std::pair<std::uint32_t, bool> Insert(std::string_view address);
  void Grow();

  RowWriter& writer_;
  const bool counted_;
  const std::size_t limit_;
  std::function<void(const std::string&)> warn_;
  bool warned_ = false;
  std::vector<std::uint64_t> slots_;  // 0: free, else the hash (0 taken as 1)
  std::vector<std::uint32_t> index_;  // the entry of each slot, when counted
  std::size_t used_ = 0;

  // Rows held for their counts: address bytes end to end, and per entry.
  struct Held {
    std::size_t end;       // in bytes_
    std::size_t location;  // in locations_
    RowDetail detail;
    SweepCount count;
    std::uint64_t last_file;
  };
  std::string bytes_;
  std::vector<Held> held_;
  std::vector<std::string> locations_;
  std::uint64_t file_ = 0;  // serial of the current batch
};

}  // namespace korvel
