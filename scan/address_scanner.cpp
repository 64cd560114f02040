#include "scan/address_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "scan/char_sets.h"
#include "scan/text_file.h"
#include "scan/text_utils.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define KORVEL_SCAN_SSE2 1
#endif

// How the passes stay linear: the working text is lower-cased once, and while
// that happens every place where one of the 13 prefixes ends is noted, per
// prefix. Pass 1 then walks those places prefix by prefix instead of searching
// the text 13 times; a place whose prefix has since been blanked no longer
// matches and is passed over. Passes 2 and 3 look only at "@" and ":" and
// search around them no further than the neighbouring "@" or stop character.
// Pass 4 notes, at its start, each attribute name that stands before an "=";
// blanking during pass 4 never makes another name qualify (a value blanked
// there is always followed by its closing quote), so the notes stay complete.

namespace korvel {
namespace {

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

constexpr std::size_t kPrefixCount = UrlPrefixes.size();
constexpr std::size_t kNameCount = LinkAttributes.size();
constexpr std::size_t kDotDotSlash = 0;  // index of "../"
constexpr std::size_t kWww = 12;         // index of "www."
static_assert(UrlPrefixes[kDotDotSlash] == "../" && UrlPrefixes[kWww] == "www.");

// For each byte, the attribute names that end in it (bit i: LinkAttributes[i]).
constexpr std::array<std::uint16_t, 256> MakeNameEndings() {
  std::array<std::uint16_t, 256> endings{};
  for (std::size_t i = 0; i < kNameCount; ++i)
    endings[static_cast<unsigned char>(LinkAttributes[i].back())] |=
        static_cast<std::uint16_t>(1u << i);
  return endings;
}
constexpr std::array<std::uint16_t, 256> NameEndings = MakeNameEndings();

// The same for the scheme prefixes ending in ":", keyed by the byte before it.
constexpr std::array<std::uint16_t, 256> MakeSchemeEndings() {
  std::array<std::uint16_t, 256> endings{};
  for (std::size_t i = 0; i < kPrefixCount; ++i) {
    const std::string_view prefix = UrlPrefixes[i];
    if (prefix.back() == ':')
      endings[static_cast<unsigned char>(prefix[prefix.size() - 2])] |=
          static_cast<std::uint16_t>(1u << i);
  }
  return endings;
}
constexpr std::array<std::uint16_t, 256> SchemeEndings = MakeSchemeEndings();

int LowestBit(unsigned bits) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctz(bits);
#else
  int n = 0;
  while (!(bits & 1u)) {
    bits >>= 1;
    ++n;
  }
  return n;
#endif
}

// One extraction: the unchanged copy, the working text and their length.
class Extraction {
 public:
  Extraction(const char* original, char* work, std::size_t size)
      : orig_(original), work_(work), n_(size) {}

  // Lower-cases `text` into the working text while copying it unchanged into
  // the copy, and notes where each prefix of pass 1 occurs.
  static void Prepare(char* text, char* copy, std::size_t n,
                      std::array<PositionList, kPrefixCount>& places) {
    std::size_t i = 0;
#ifdef KORVEL_SCAN_SSE2
    const __m128i shift = _mm_set1_epi8(static_cast<char>(128 - 'A'));
    const __m128i upper_limit = _mm_set1_epi8(static_cast<char>(-128 + 26));
    const __m128i case_bit = _mm_set1_epi8(0x20);
    const __m128i colon = _mm_set1_epi8(':');
    const __m128i dot = _mm_set1_epi8('.');
    const __m128i slash = _mm_set1_epi8('/');
    for (; i + 16 <= n; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i), v);
      const __m128i is_upper = _mm_cmplt_epi8(_mm_add_epi8(v, shift), upper_limit);
      const __m128i lower = _mm_or_si128(v, _mm_and_si128(is_upper, case_bit));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(text + i), lower);
      const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(lower, colon),
                                        _mm_or_si128(_mm_cmpeq_epi8(lower, dot),
                                                     _mm_cmpeq_epi8(lower, slash)));
      auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
      while (mask != 0) {
        NotePrefixEndingAt(text, i + static_cast<std::size_t>(LowestBit(mask)), places);
        mask &= mask - 1;
      }
    }
#endif
    for (; i < n; ++i) {
      copy[i] = text[i];
      text[i] = ToLowerAscii(text[i]);
      if (text[i] == ':' || text[i] == '.' || text[i] == '/') NotePrefixEndingAt(text, i, places);
    }
  }

  template <class Offer>
  void Run(std::array<PositionList, kPrefixCount>& places, Offer&& offer) {
    PrefixedAddresses(places, offer);
    MailAddresses(offer);
    DrivePaths(offer);
    LinkValues(offer);
  }

 private:
  // `text[0..i]` is already lower-case; text[i] is ":", "." or "/".
  static void NotePrefixEndingAt(const char* text, std::size_t i,
                                 std::array<PositionList, kPrefixCount>& places) {
    const char last = text[i];
    if (last == ':') {
      if (i == 0) return;
      unsigned candidates = SchemeEndings[static_cast<unsigned char>(text[i - 1])];
      while (candidates != 0) {
        const auto k = static_cast<std::size_t>(LowestBit(candidates));
        candidates &= candidates - 1;
        const std::string_view prefix = UrlPrefixes[k];
        const std::size_t start = i + 1 - prefix.size();
        if (i + 1 >= prefix.size() && std::memcmp(text + start, prefix.data(), prefix.size()) == 0) {
          places[k].Push(start);
          return;  // no scheme is the tail of another
        }
      }
    } else if (last == '.') {
      if (i >= 3 && text[i - 1] == 'w' && text[i - 2] == 'w' && text[i - 3] == 'w')
        places[kWww].Push(i - 3);
    } else if (i >= 2 && text[i - 1] == '.' && text[i - 2] == '.') {
      places[kDotDotSlash].Push(i - 2);
    }
  }

  // First position at or after `from` whose byte is in `set`; n_ if none.
  std::size_t FindFirstOf(std::size_t from, const CharSet& set) const {
    while (from < n_ && !set.Contains(work_[from])) ++from;
    return from;
  }
  std::size_t SkipBlanks(std::size_t from) const {
    while (from < n_ && IsBlank(static_cast<unsigned char>(work_[from]))) ++from;
    return from;
  }
  // First position at or after `from` holding `c`; n_ if none.
  std::size_t Find(char c, std::size_t from) const {
    if (from >= n_) return n_;
    const void* hit = std::memchr(work_ + from, c, n_ - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - work_) : n_;
  }
  bool Holds(std::size_t pos, std::string_view word) const {
    return pos + word.size() <= n_ && std::memcmp(work_ + pos, word.data(), word.size()) == 0;
  }

  template <class Offer>
  void Take(std::size_t begin, std::size_t end, Offer& offer) {
    offer(std::string_view(orig_ + begin, end - begin));
    std::memset(work_ + begin, ' ', end - begin);
  }

  // Pass 1: prefix by prefix in table order, each in text order.
  template <class Offer>
  void PrefixedAddresses(std::array<PositionList, kPrefixCount>& places, Offer& offer) {
    for (std::size_t k = 0; k < kPrefixCount; ++k) {
      const std::string_view prefix = UrlPrefixes[k];
      std::size_t pos = 0;
      places[k].ForEach([&](std::size_t start) {
        // Gone when an earlier prefix's address covered it.
        if (start < pos || !Holds(start, prefix)) return;
        const std::size_t end = FindFirstOf(start + prefix.size(), UrlStops);
        Take(start, end, offer);
        pos = end;
      });
      places[k].Release();
    }
  }

  // Pass 2: a mailbox, "@" and a dotted host. The searches around one "@"
  // stop at the neighbouring "@", which is a stop character of both sets.
  template <class Offer>
  void MailAddresses(Offer& offer) {
    std::size_t pos = 1;
    for (;;) {
      const std::size_t at = Find('@', pos);
      if (at >= n_) return;
      pos = at + 1;  // where to go on after a rejection

      std::size_t start = at;
      while (start > 0 && !MailboxStops.Contains(work_[start - 1])) --start;
      // start == 0: no stop before the "@", the mailbox starts the text.
      if (start > 0 && (start == at || work_[start] == '.')) continue;

      std::size_t end = FindFirstOf(at + 1, HostStops);
      if (end >= n_ || work_[end] != '.') continue;
      do end = FindFirstOf(end + 1, HostStops);
      while (end < n_ && work_[end] == '.');

      Take(start, end, offer);
      pos = end;
    }
  }

  // Pass 3: a stop character, one letter, ":" and a backslash or slash.
  template <class Offer>
  void DrivePaths(Offer& offer) {
    std::size_t pos = 1;
    for (;;) {
      const std::size_t d = Find(':', pos);
      if (d >= n_) return;
      pos = d + 1;
      if (d + 1 >= n_ || (work_[d + 1] != '\\' && work_[d + 1] != '/')) continue;
      if (d < 2 || !HostStops.Contains(work_[d - 2])) continue;
      const char letter = work_[d - 1];  // a letter is never a stop character
      if (letter < 'a' || letter > 'z') continue;
      const std::size_t end = FindFirstOf(d + 2, UrlStops);
      Take(d - 1, end, offer);
      pos = end;
    }
  }

  // Pass 4: quoted values of the link attributes, name by name in table order.
  template <class Offer>
  void LinkValues(Offer& offer) {
    std::array<PositionList, kNameCount> names;
    // Each "=" qualifies at most the one name that ends at the last non-blank
    // before it: no name is the tail of another.
    for (std::size_t e = Find('=', 0); e < n_; e = Find('=', e + 1)) {
      std::size_t q = e;
      while (q > 0 && IsBlank(static_cast<unsigned char>(work_[q - 1]))) --q;
      if (q == 0) continue;
      unsigned candidates = NameEndings[static_cast<unsigned char>(work_[q - 1])];
      while (candidates != 0) {
        const auto k = static_cast<std::size_t>(LowestBit(candidates));
        candidates &= candidates - 1;
        const std::string_view name = LinkAttributes[k];
        if (q >= name.size() && Holds(q - name.size(), name)) {
          names[k].Push(q - name.size());
          break;
        }
      }
    }

    for (std::size_t k = 0; k < kNameCount; ++k) {
      const std::string_view name = LinkAttributes[k];
      std::size_t pos = 0;
      names[k].ForEach([&](std::size_t at) {
        if (at < pos || !Holds(at, name)) return;
        const std::size_t equals = SkipBlanks(at + name.size());
        if (equals >= n_ || work_[equals] != '=') return;
        const std::size_t open = SkipBlanks(equals + 1);
        if (open >= n_ || (work_[open] != '"' && work_[open] != '\'')) return;
        std::size_t close = Find(work_[open], open + 1);
        while (close < n_ && work_[close - 1] == '\\') close = Find(work_[open], close + 1);
        if (close >= n_) return;
        Take(open + 1, close, offer);
        pos = close;
      });
      names[k].Release();
    }
  }

  const char* orig_;
  char* work_;
  std::size_t n_;
};

std::string_view Trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(Blanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(Blanks) - first + 1);
}

}  // namespace

// Open-addressing hash set of positions in the address list, so that the
// duplicate test costs the same whatever the list holds. The list owns the
// strings; the set keeps only their indexes and hashes.
class AddressScanner::Index {
 public:
  static std::size_t Hash(std::string_view s) { return std::hash<std::string_view>{}(s); }

  bool Contains(std::string_view s, std::size_t hash, const std::vector<std::string>& list) const {
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
    std::vector<Slot> larger(slots_.empty() ? 64 : slots_.size() * 2);
    const std::size_t larger_mask = larger.size() - 1;
    for (const Slot& slot : slots_)
      if (slot.entry != 0) Place(larger, larger_mask, slot);
    slots_.swap(larger);
    mask_ = larger_mask;
  }

  // Records list[index]; Reserve() must have been called.
  void Insert(std::size_t hash, std::size_t index) {
    if (index >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    Place(slots_, mask_, Slot{static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(index + 1)});
    ++used_;
  }

  // Rebuilds the set for the first `count` entries of `list`, in place.
  void Rebuild(const std::vector<std::string>& list, std::size_t count) noexcept {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    used_ = 0;
    for (std::size_t i = 0; i < count && !slots_.empty(); ++i) {
      Place(slots_, mask_, Slot{static_cast<std::uint32_t>(Hash(list[i])),
                                static_cast<std::uint32_t>(i + 1)});
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

AddressScanner::AddressScanner() : index_(std::make_unique<Index>()) {}

AddressScanner::~AddressScanner() = default;

void AddressScanner::ScanFile(const std::string& path, bool append) {
  if (!append) Clear();
  const std::size_t before = addresses_.size();
  try {
    std::string text;
    if (!ReadTextFile(path, text)) return;
    ExtractAddresses(text);
  } catch (const std::bad_alloc&) {
    // A file too large for memory adds nothing; the sweep goes on.
    RollBack(before);
  } catch (const std::length_error&) {
    RollBack(before);
  }
}

void AddressScanner::ScanText(std::string text, bool append) {
  if (!append) Clear();
  const std::size_t before = addresses_.size();
  try {
    ExtractAddresses(text);
  } catch (...) {
    RollBack(before);
    throw;
  }
}

const std::vector<std::string>& AddressScanner::Addresses() const { return addresses_; }

std::size_t AddressScanner::Count() const { return addresses_.size(); }

bool AddressScanner::IsEmpty() const { return addresses_.empty(); }

void AddressScanner::Clear() {
  std::vector<std::string>().swap(addresses_);
  index_->Release();
}

void AddressScanner::RollBack(std::size_t count) noexcept {
  if (addresses_.size() <= count) return;
  while (addresses_.size() > count) addresses_.pop_back();
  index_->Rebuild(addresses_, count);
}

void AddressScanner::ExtractAddresses(std::string& text) {
  Trim(text);
  if (text.empty()) return;
  const std::size_t n = text.size();
  const std::unique_ptr<char[]> original(new char[n]);
  std::array<PositionList, kPrefixCount> places;
  Extraction::Prepare(text.data(), original.get(), n, places);
  Extraction extraction(original.get(), text.data(), n);
  extraction.Run(places, [this](std::string_view candidate) { AddAddress(candidate); });
}

void AddressScanner::AddAddress(std::string_view candidate) {
  candidate = Trimmed(candidate);
  if (candidate.empty()) return;
  const std::size_t hash = Index::Hash(candidate);
  if (index_->Contains(candidate, hash, addresses_)) return;
  index_->Reserve();
  addresses_.emplace_back(candidate);
  index_->Insert(hash, addresses_.size() - 1);
}

}  // namespace korvel
