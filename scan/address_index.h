#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "scan/address_hash.h"
#include "scan/address_scanner.h"

namespace korvel {

// Open-addressing hash set of positions in the address list, so that the
// duplicate test costs the same whatever the list holds. The list owns the
// strings; the set keeps only their indexes and hashes.
class AddressScanner::Index {
 public:
  static std::uint64_t Hash(std::string_view s) { return scanning::HashAddress(s); }

  bool Contains(std::string_view s, std::uint64_t hash,
                const std::vector<std::string>& list) const {
    if (slots_.empty()) return false;
    const auto h = static_cast<std::uint32_t>(hash);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.entry == 0) return false;
      if (slot.hash == h && list[slot.entry - 1] == s) return true;
    }
  }

  // Makes room for one more entry; the only step that allocates.
  void Reserve() {
    if ((used_ + 1) * 2 <= slots_.size()) return;
    std::vector<Slot> larger(slots_.empty() ? 256 : slots_.size() * 2);
    const std::size_t larger_mask = larger.size() - 1;
    for (const Slot& slot : slots_)
      if (slot.entry != 0) Place(larger, larger_mask, slot);
    slots_.swap(larger);
    mask_ = larger_mask;
  }

  // Records list[index]; Reserve() must have been called.
  void Insert(std::uint64_t hash, std::size_t index) {
    if (index >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    Place(slots_, mask_,
          Slot{static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(index + 1)});
    ++used_;
  }

  // Rebuilds the set for the first `count` entries of `list`, in place.
  void Rebuild(const std::vector<std::string>& list, std::size_t count) noexcept {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    used_ = 0;
    for (std::size_t i = 0; i < count && !slots_.empty(); ++i) {
      Place(slots_, mask_,
            Slot{static_cast<std::uint32_t>(Hash(list[i])), static_cast<std::uint32_t>(i + 1)});
      ++used_;
    }
  }

  void Release() noexcept {
    slots_ = {};
    mask_ = 0;
    used_ = 0;
  }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t entry = 0;  // index in the list + 1; 0: free
  };

  static void Place(std::vector<Slot>& slots, std::size_t mask, Slot slot) {
    std::size_t i = slot.hash & mask;
    while (slots[i].entry != 0) i = (i + 1) & mask;
    slots[i] = slot;
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
};

}  // namespace korvel
