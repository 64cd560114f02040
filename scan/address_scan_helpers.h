#pragma once
// The address scanner's building blocks: position lists, bitmaps, the
// character tables and bit scans that the survey and the passes share.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "scan/address_scanner.h"
#include "scan/char_sets.h"
#include "scan/text_utils.h"

// Vector loops for x86 with GCC or Clang: SSE2 always (every x86-64), AVX2
// where the processor has it.
#if (defined(__GNUC__) || defined(__clang__)) && \
    (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#include <immintrin.h>
#define KORVEL_SCAN_X86 1
#endif

namespace korvel::scanning {

// Increasing text positions, stored as variable-length deltas in blocks that
// grow up to a fixed size: a dense list costs about a byte a position and
// never has to be moved as a whole.
class PositionList {
 public:
  void Push(std::size_t pos) {
    std::size_t delta = pos - last_;
    last_ = pos;
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < kMaxEncoded) AddBlock();
    Block& block = blocks_.back();
    std::uint8_t* out = block.data.get() + block.used;
    while (delta >= 0x80) {
      *out++ = static_cast<std::uint8_t>(delta | 0x80);
      delta >>= 7;
    }
    *out++ = static_cast<std::uint8_t>(delta);
    block.used = static_cast<std::size_t>(out - block.data.get());
  }

  // Calls `visit(pos)` for each position in increasing order.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    std::size_t pos = 0;
    for (const Block& block : blocks_) {
      const std::uint8_t* in = block.data.get();
      const std::uint8_t* const end = in + block.used;
      while (in < end) {
        std::size_t delta = 0;
        unsigned shift = 0;
        std::uint8_t byte;
        do {
          byte = *in++;
          delta |= static_cast<std::size_t>(byte & 0x7F) << shift;
          shift += 7;
        } while (byte & 0x80);
        pos += delta;
        visit(pos);
      }
    }
  }

  void Release() { std::vector<Block>().swap(blocks_); }

 private:
  static constexpr std::size_t kMaxEncoded = (sizeof(std::size_t) * 8 + 6) / 7;
  static constexpr std::size_t kFirstBlock = 256;
  static constexpr std::size_t kLargestBlock = std::size_t{64} << 10;

  struct Block {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t capacity;
    std::size_t used;
  };

  void AddBlock() {
    const std::size_t capacity =
        blocks_.empty() ? kFirstBlock : std::min(blocks_.back().capacity * 2, kLargestBlock);
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[capacity]);
    blocks_.push_back(Block{std::move(data), capacity, 0});
  }

  std::vector<Block> blocks_;
  std::size_t last_ = 0;
};

inline constexpr std::size_t kPrefixCount = UrlPrefixes.size();
inline constexpr std::size_t kNameCount = LinkAttributes.size();
inline constexpr std::size_t kDotDotSlash = 0;  // index of "../"
inline constexpr std::size_t kWww = 12;         // index of "www."
static_assert(UrlPrefixes[kDotDotSlash] == "../" && UrlPrefixes[kWww] == "www.");

// The bytes that can stand right before the "=" of an attribute: a blank or
// the last letter of a name ("n d e a f c p"), in either case; a blanked byte
// can too (see MailAddresses). The survey keeps a few more, as a vector test
// does them cheaply: every byte up to the space and the letters a to p.
constexpr bool MayPrecedeEquals(char c) {
  const auto folded = static_cast<unsigned char>(c | 0x20);
  return static_cast<unsigned char>(c) <= ' ' || (folded >= 'a' && folded <= 'p');
}
constexpr bool NameEndingsMayPrecedeEquals() {
  for (std::string_view name : LinkAttributes)
    if (!MayPrecedeEquals(name.back()) ||
        !MayPrecedeEquals(static_cast<char>(name.back() - 'a' + 'A')))
      return false;
  for (char c : Blanks)
    if (!MayPrecedeEquals(c)) return false;
  return true;
}
static_assert(NameEndingsMayPrecedeEquals());

// ASCII lower case as a table: the same result as ToLowerAscii, without a branch.
constexpr std::array<char, 256> MakeLowerCase() {
  std::array<char, 256> lower{};
  for (unsigned c = 0; c < 256; ++c) lower[c] = ToLowerAscii(static_cast<char>(c));
  return lower;
}
inline constexpr std::array<char, 256> LowerCase = MakeLowerCase();

// The attribute names by their last three letters, which differ from name
// to name: NameSlot of a name's last three letters holds its index + 1.
constexpr std::size_t NameSlot(char third_last, char second_last, char last) {
  return (static_cast<unsigned char>(third_last) + static_cast<unsigned char>(second_last) +
          static_cast<unsigned char>(last)) &
         63u;
}
constexpr std::array<std::uint8_t, 64> MakeNameSlots() {
  std::array<std::uint8_t, 64> slots{};
  for (std::size_t i = 0; i < kNameCount; ++i) {
    const std::string_view name = LinkAttributes[i];
    const std::size_t n = name.size();
    std::uint8_t& slot = slots[NameSlot(name[n - 3], name[n - 2], name[n - 1])];
    if (slot != 0) throw "two attribute names share a slot";  // stops the compilation
    slot = static_cast<std::uint8_t>(i + 1);
  }
  return slots;
}
inline constexpr std::array<std::uint8_t, 64> NameSlots = MakeNameSlots();

// The scheme prefixes by the three letters before their ":", which differ
// from scheme to scheme: SchemeSlot of a scheme holds its index + 1.
constexpr std::size_t SchemeSlot(char third_last, char second_last, char last) {
  return (static_cast<unsigned char>(third_last) + static_cast<unsigned char>(second_last) * 5u +
          static_cast<unsigned char>(last)) &
         63u;
}
constexpr std::array<std::uint8_t, 64> MakeSchemeSlots() {
  std::array<std::uint8_t, 64> slots{};
  for (std::size_t i = 0; i < kPrefixCount; ++i) {
    const std::string_view prefix = UrlPrefixes[i];
    if (prefix.back() != ':') continue;
    const std::size_t n = prefix.size();
    std::uint8_t& slot = slots[SchemeSlot(prefix[n - 4], prefix[n - 3], prefix[n - 2])];
    if (slot != 0) throw "two schemes share a slot";  // stops the compilation
    slot = static_cast<std::uint8_t>(i + 1);
  }
  return slots;
}
inline constexpr std::array<std::uint8_t, 64> SchemeSlots = MakeSchemeSlots();

inline int LowestBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(bits);
#else
  int n = 0;
  while (!(bits & 1u)) {
    bits >>= 1;
    ++n;
  }
  return n;
#endif
}

inline int HighestBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
  return 63 - __builtin_clzll(bits);
#else
  int n = 63;
  while (!(bits >> n)) --n;
  return n;
#endif
}

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// One bit per text position.
class Bitmap {
 public:
  enum class Start { kClear, kUnset };
  // kUnset leaves the bits undefined, for a bitmap that will be written whole.
  explicit Bitmap(std::size_t n, Start start = Start::kClear)
      : words_((n + 63) / 64),
        bits_(start == Start::kClear ? new std::uint64_t[words_]() : new std::uint64_t[words_]) {}

  bool Test(std::size_t p) const { return (bits_[p / 64] >> (p % 64)) & 1u; }
  std::uint64_t Word(std::size_t w) const { return bits_[w]; }
  // The bitmap as bytes: on a little-endian machine, byte k holds the bits
  // of positions 8k to 8k+7.
  unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(bits_.get()); }
  std::size_t ByteCount() const { return words_ * sizeof(std::uint64_t); }
  void Set(std::size_t p) { bits_[p / 64] |= std::uint64_t{1} << (p % 64); }

  // Sets [begin, end).
  void SetRange(std::size_t begin, std::size_t end) {
    if (begin >= end) return;
    const std::size_t first = begin / 64, last = (end - 1) / 64;
    const std::uint64_t head = ~std::uint64_t{0} << (begin % 64);
    const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (end - 1) % 64);
    if (first == last) {
      bits_[first] |= head & tail;
      return;
    }
    bits_[first] |= head;
    for (std::size_t w = first + 1; w < last; ++w) bits_[w] = ~std::uint64_t{0};
    bits_[last] |= tail;
  }

  // True when a bit of [begin, end) is set.
  bool Any(std::size_t begin, std::size_t end) const {
    for (std::size_t p = begin; p < end; p = (p | 63) + 1) {
      const std::uint64_t word = bits_[p / 64] >> (p % 64);
      const std::size_t span = std::min<std::size_t>(64 - p % 64, end - p);
      if (span < 64 ? (word & ((std::uint64_t{1} << span) - 1)) : word) return true;
    }
    return false;
  }

  // First set position at or after `from`; `n` if none before `n`.
  std::size_t Next(std::size_t from, std::size_t n) const {
    std::size_t w = from / 64;
    if (w >= words_) return n;
    std::uint64_t word = bits_[w] & (~std::uint64_t{0} << (from % 64));
    while (word == 0) {
      if (++w >= words_) return n;
      word = bits_[w];
    }
    return std::min(n, w * 64 + static_cast<std::size_t>(LowestBit(word)));
  }

  void Release() {
    bits_.reset();
    words_ = 0;
  }

 private:
  std::size_t words_;
  std::unique_ptr<std::uint64_t[]> bits_;
};

}  // namespace korvel::scanning
