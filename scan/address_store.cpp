#include "scan/address_store.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "scan/address_extraction.h"
#include "scan/address_hash.h"

namespace korvel::scanning {

// A record: its sub-pass (one byte), its length (7 bits a byte, low first),
// then its bytes, then extra_size_ bytes of details.
std::string_view AddressStore::Decode(const unsigned char* header, std::size_t* record_size) const {
  const unsigned char* p = header + 1;
  std::size_t length = 0;
  unsigned shift = 0;
  unsigned char byte;
  do {
    byte = *p++;
    length |= static_cast<std::size_t>(byte & 0x7F) << shift;
    shift += 7;
  } while (byte & 0x80);
  if (record_size != nullptr)
    *record_size = static_cast<std::size_t>(p - header) + length + extra_size_;
  return std::string_view(reinterpret_cast<const char*>(p), length);
}

std::uint64_t AddressStore::Append(std::string_view address, unsigned sub_pass,
                                   const unsigned char* extra) {
  unsigned char length[10];
  std::size_t length_size = 0;
  for (std::size_t n = address.size();; n >>= 7) {
    length[length_size++] = static_cast<unsigned char>((n & 0x7F) | (n >= 0x80 ? 0x80 : 0));
    if (n < 0x80) break;
  }
  const std::size_t record = 1 + length_size + address.size() + extra_size_;
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < record) {
    // Blocks double up to the largest size; a record larger than that gets
    // a block of its own. Large blocks come from the system directly, so a
    // freed one gives its memory back.
    const std::size_t next =
        blocks_.empty() ? kFirstBlock : std::min(blocks_.back().size * 2, kLargestBlock);
    if (blocks_.size() >= (std::size_t{1} << (48 - kOffsetBits)) - 1) throw std::bad_alloc();
    Block block;
    block.size = std::max(next, record);
    block.data.reset(new char[block.size]);
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  const std::size_t offset = block.used;
  char* out = block.data.get() + offset;
  out[0] = static_cast<char>(sub_pass);
  std::memcpy(out + 1, length, length_size);
  std::memcpy(out + 1 + length_size, address.data(), address.size());
  if (extra_size_ != 0) std::memcpy(out + 1 + length_size + address.size(), extra, extra_size_);
  block.used += record;
  block.max_sub_pass = std::max(block.max_sub_pass, sub_pass);

  const std::size_t index = blocks_.size() - 1;
  if (runs_.empty() || runs_.back().sub_pass != sub_pass)
    runs_.push_back(Run{sub_pass, index, offset, index, offset});
  runs_.back().end_block = index;
  runs_.back().end_offset = block.used;
  return (static_cast<std::uint64_t>(index) << kOffsetBits) | offset;
}

void AddressStore::Grow() {
  // Half again as large each time: the table costs 11 to 16 bytes an
  // address, and growing holds the old one beside it only briefly.
  std::vector<std::uint64_t> larger(slots_.empty() ? 1024 : slots_.size() / 2 * 3, 0);
  if (larger.size() >= (std::size_t{1} << 31)) throw std::bad_alloc();
  // Read the records in their order rather than the table's: one pass
  // through memory instead of a jump per entry.
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    for (std::size_t offset = 0; offset < blocks_[b].used;) {
      const auto* header = reinterpret_cast<const unsigned char*>(blocks_[b].data.get() + offset);
      std::size_t size = 0;
      const std::uint64_t hash = HashAddress(Decode(header, &size));
      if (*header != kDead) {
        std::size_t i = SlotOf(hash, larger.size());
        while (larger[i] != 0) i = i + 1 == larger.size() ? 0 : i + 1;
        larger[i] = (hash & ~kRefMask) | (((static_cast<std::uint64_t>(b) << kOffsetBits) | offset) + 1);
      }
      offset += size;
    }
  }
  slots_.swap(larger);
}

void AddressStore::Add(std::string_view address, unsigned sub_pass, std::uint64_t line,
                       std::uint64_t offset, std::uint64_t occurrences) {
  // The details as kept after the record's bytes, unaligned.
  std::uint64_t extra[3] = {line, offset, occurrences};
  const auto take = [&](unsigned char* header) {
    std::size_t size = 0;
    const std::string_view held = Decode(header, &size);
    auto* kept = reinterpret_cast<unsigned char*>(const_cast<char*>(held.data() + held.size()));
    std::uint64_t old[3];
    std::memcpy(old, kept, sizeof old);
    if (old[1] < offset) extra[0] = old[0], extra[1] = old[1];
    extra[2] = old[2] + occurrences;
    std::memcpy(kept, extra, sizeof extra);
  };
  if ((used_slots_ + 1) * 4 > slots_.size() * 3) Grow();
  const std::uint64_t hash = HashAddress(address);
  const std::uint64_t tag = hash & ~kRefMask;
  const std::size_t size = slots_.size();
  std::size_t i = SlotOf(hash, size);
  for (; slots_[i] != 0; i = i + 1 == size ? 0 : i + 1) {
    if ((slots_[i] & ~kRefMask) != tag) continue;
    unsigned char* header = Header((slots_[i] & kRefMask) - 1);
    if (Decode(header) != address) continue;
    if (extra_size_ != 0) take(header);
    if (sub_pass < *header) {
      // Found by an earlier sub-pass than before: the row moves there.
      const std::uint64_t ref = Append(address, sub_pass, reinterpret_cast<unsigned char*>(extra));
      *Header((slots_[i] & kRefMask) - 1) = kDead;
      slots_[i] = tag | (ref + 1);
    }
    return;
  }
  const std::uint64_t ref = Append(address, sub_pass, reinterpret_cast<unsigned char*>(extra));
  slots_[i] = tag | (ref + 1);
  ++used_slots_;
  ++live_count_;
  live_bytes_ += address.size();
}

void AddressStore::Emit(AddressBatch& rows) {
  std::vector<std::uint64_t>().swap(slots_);
  used_slots_ = 0;
  rows.Reserve(rows.Count() + live_count_, rows.Bytes().size() + live_bytes_);
  const auto free_done = [this](std::size_t from, std::size_t to, unsigned sub_pass) {
    for (std::size_t b = from; b < to; ++b)
      if (blocks_[b].data && blocks_[b].max_sub_pass <= sub_pass) blocks_[b].data.reset();
  };
  for (unsigned sub_pass = 0; sub_pass < kSubPassCount; ++sub_pass) {
    std::size_t done_below = 0;  // blocks below hold no record of a later run of this sub-pass
    for (const Run& run : runs_) {
      if (run.sub_pass != sub_pass) continue;
      std::size_t b = run.first_block, offset = run.first_offset;
      while (b != run.end_block || offset != run.end_offset) {
        if (offset >= blocks_[b].used) {
          // No later run of this sub-pass reaches back into block b.
          free_done(b, b + 1, sub_pass);
          ++b;
          offset = 0;
          continue;
        }
        const auto* header = reinterpret_cast<const unsigned char*>(blocks_[b].data.get() + offset);
        std::size_t size = 0;
        const std::string_view address = Decode(header, &size);
        if (*header == sub_pass) {
          const std::string_view row = address.substr(0, address.find('\0'));
          if (details_ == 0) {
            rows.Add(row);
          } else {
            RowDetail detail;
            detail.kind = sub_pass < kMailSubPass     ? AddressKind::Prefixed
                          : sub_pass == kMailSubPass  ? AddressKind::Email
                          : sub_pass == kDriveSubPass ? AddressKind::Drive
                                                      : AddressKind::Link;
            if (extra_size_ != 0) {
              std::uint64_t kept[3];
              std::memcpy(kept, address.data() + address.size(), sizeof kept);
              detail.line = kept[0];
              detail.offset = kept[1];
              detail.count = kept[2];
            }
            rows.Add(row, detail);
          }
        }
        offset += size;
      }
      free_done(done_below, run.end_block, sub_pass);
      done_below = run.end_block;
    }
    free_done(0, blocks_.size(), sub_pass);
  }
  Clear();
}

void AddressStore::Clear() noexcept {
  blocks_.clear();
  runs_.clear();
  // A small table is kept for the next file; a large one goes.
  if (slots_.size() > (std::size_t{1} << 16))
    std::vector<std::uint64_t>().swap(slots_);
  else
    std::fill(slots_.begin(), slots_.end(), 0);
  used_slots_ = 0;
  live_count_ = 0;
  live_bytes_ = 0;
}

}  // namespace korvel::scanning
