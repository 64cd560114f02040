#pragma once
// The distinct addresses of one streamed file, kept compactly until the file
// ends: the bytes of each address once, in blocks, and an open-addressing
// table of references into them. A row list orders addresses by the sub-pass
// that first found them, then by the place of that finding; the store keeps
// the records of each window in runs of one sub-pass, so that the rows come
// out in that order by walking the runs, sub-pass by sub-pass.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "scan/address_batch.h"

namespace korvel::scanning {

class AddressStore {
 public:
  // Takes `address` as found by `sub_pass`. An address seen before keeps its
  // place, unless this sub-pass runs earlier: then it moves here.
  void Add(std::string_view address, unsigned sub_pass) { Add(address, sub_pass, 0, 0, 1); }
  // The same, with the place of this finding, kept as the first occurrence
  // when earlier than the one held, and the occurrences it adds (0 for a
  // place already counted). Places and counts are kept only when asked for.
  void Add(std::string_view address, unsigned sub_pass, std::uint64_t line, std::uint64_t offset,
           std::uint64_t occurrences);

  // Which RowDetails the rows get; set while the store is empty. Places and
  // counts make each record 24 bytes longer.
  void SetDetails(unsigned details) {
    details_ = details;
    extra_size_ = (details & (kRowPlace | kRowCount)) != 0 ? kExtraSize : 0;
  }

  // Appends the rows to `rows`, each cut at its first NUL (a row is
  // NUL-terminated text), and leaves the store empty. Frees the blocks as
  // they are done with, so the rows and the store are not held twice.
  void Emit(AddressBatch& rows);

  void Clear() noexcept;
  std::size_t Count() const { return live_count_; }

 private:
  // A reference: block index above kOffsetBits, offset in the block below.
  static constexpr unsigned kOffsetBits = 26;
  static constexpr std::size_t kLargestBlock = std::size_t{1} << kOffsetBits;
  static constexpr std::size_t kFirstBlock = std::size_t{64} << 10;
  static constexpr unsigned char kDead = 0xFF;  // the sub-pass of a moved record
  static constexpr std::uint64_t kRefMask = (std::uint64_t{1} << 48) - 1;
  // After a record's bytes when kept: line, offset, count.
  static constexpr std::size_t kExtraSize = 3 * sizeof(std::uint64_t);

  struct Block {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t used = 0;
    unsigned max_sub_pass = 0;  // the latest sub-pass of a record in it
  };
  // Consecutive records of one sub-pass, from (first_block, first_offset) to
  // the end position (end_block, end_offset).
  struct Run {
    unsigned sub_pass;
    std::size_t first_block, first_offset, end_block, end_offset;
  };

  // The record at `ref`: its sub-pass byte and its address.
  unsigned char* Header(std::uint64_t ref) {
    return reinterpret_cast<unsigned char*>(blocks_[ref >> kOffsetBits].data.get()) +
           (ref & (kLargestBlock - 1));
  }
  // The home slot of a hash in a table of `size` slots (below 2^31): the low
  // half of the hash scaled to the size; the tag is taken from the top.
  static std::size_t SlotOf(std::uint64_t hash, std::size_t size) {
    return static_cast<std::size_t>(((hash & 0xFFFFFFFFu) * size) >> 32);
  }
  std::string_view Decode(const unsigned char* header, std::size_t* record_size = nullptr) const;
  std::uint64_t Append(std::string_view address, unsigned sub_pass, const unsigned char* extra);
  void Grow();

  std::vector<Block> blocks_;
  std::vector<Run> runs_;
  // 0 when free, else the upper 16 bits of the hash over the reference + 1.
  std::vector<std::uint64_t> slots_;
  std::size_t used_slots_ = 0;
  std::size_t live_count_ = 0;
  std::size_t live_bytes_ = 0;
  unsigned details_ = 0;
  std::size_t extra_size_ = 0;
};

}  // namespace korvel::scanning
