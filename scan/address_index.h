#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scan/address_scanner.h"

namespace korvel {

// Open-addressing hash set of positions in the address list, so that the
// duplicate test costs the same whatever the list holds. The list owns the
// strings; the set keeps only their indexes and hashes.
class AddressScanner::Index {
 public:
  // A quick hash of a short byte string, sixteen bytes at a time in two
  // independent lanes. Seeded once per run, so that no file can be made to
  // pile its addresses into one chain.
  static std::uint64_t Hash(std::string_view s) {
    static const std::uint64_t seed = Seed();
    const char* p = s.data();
    std::size_t left = s.size();
    std::uint64_t a = seed ^ (static_cast<std::uint64_t>(left) * 0xFF51AFD7ED558CCDull);
    std::uint64_t b = seed * 0xC2B2AE3D27D4EB4Full;
    const auto mix = [](std::uint64_t h, std::uint64_t v) {
      h ^= v * 0x87C37B91114253D5ull;
      return ((h << 31) | (h >> 33)) * 0x4CF5AD432745937Full;
    };
    for (; left >= 16; p += 16, left -= 16) {
      std::uint64_t v[2];
      std::memcpy(v, p, 16);
      a = mix(a, v[0]);
      b = mix(b, v[1]);
    }
    // The last bytes, read in overlapping whole pieces rather than one by one.
    const auto load8 = [](const char* at) {
      std::uint64_t v;
      std::memcpy(&v, at, 8);
      return v;
    };
    const auto load4 = [](const char* at) {
      std::uint32_t v;
      std::memcpy(&v, at, 4);
      return static_cast<std::uint64_t>(v);
    };
    if (s.size() >= 16) {
      if (left > 0) {
        a = mix(a, load8(s.data() + s.size() - 16));
        b = mix(b, load8(s.data() + s.size() - 8));
      }
    } else if (left >= 8) {
      a = mix(a, load8(p));
      b = mix(b, load8(p + left - 8));
    } else if (left >= 4) {
      a = mix(a, load4(p) | (load4(p + left - 4) << 32));
    } else if (left > 0) {
      a = mix(a, static_cast<unsigned char>(p[0]) |
                     (static_cast<std::uint64_t>(static_cast<unsigned char>(p[left / 2])) << 8) |
                     (static_cast<std::uint64_t>(static_cast<unsigned char>(p[left - 1])) << 16));
    }
    std::uint64_t h = a ^ ((b << 29) | (b >> 35));
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
  }

  static std::uint64_t Seed() noexcept {
    std::uint64_t seed = 0x9E3779B97F4A7C15ull ^ reinterpret_cast<std::uintptr_t>(&seed);
    try {
      std::random_device device;
      seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
      // No source of randomness: the address of the stack still varies.
    }
    return seed;
  }

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
