#include "scan/address_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>
#include <utility>

#include "scan/char_sets.h"
#include "scan/text_file.h"
#include "scan/text_utils.h"

// Vector loops for x86 with GCC or Clang: SSE2 always (every x86-64), AVX2
// where the processor has it.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#include <immintrin.h>
#define KORVEL_SCAN_X86 1
#endif

// How the passes stay fast and linear:
// - The text is never copied or rewritten. Letters are compared without case,
//   and a stretch is blanked by setting its bits in a bitmap; a blanked
//   position counts as a space (a blank, and a member of every stop set).
//   Addresses are cut from the text itself, which stays unchanged.
// - One read of the text notes, per prefix, every place where a prefix of
//   pass 1 occurs, and marks in bitmaps every "@", every ":" followed by a
//   backslash or slash, and every "=" that an attribute name may stand
//   before. Pass 1 walks the places prefix by prefix instead of searching the
//   text 13 times; a place blanked since is passed over. Passes 2, 3 and 4
//   start from the marks.
// - Every search for a stop character also stops at the next blanked
//   position, so no search runs through a stretch taken before.
// - Pass 4 notes, at its start, each attribute name that stands before an "=";
//   blanking during pass 4 never makes another name qualify (a value blanked
//   there is always followed by its closing quote), so the notes stay complete.

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
    if (!MayPrecedeEquals(name.back()) || !MayPrecedeEquals(static_cast<char>(name.back() - 'a' + 'A'))) return false;
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
constexpr std::array<char, 256> LowerCase = MakeLowerCase();

// The attribute names by their last three letters, which differ from name
// to name: NameSlot of a name's last three letters holds its index + 1.
constexpr std::size_t NameSlot(char third_last, char second_last, char last) {
  return (static_cast<unsigned char>(third_last) + static_cast<unsigned char>(second_last) +
          static_cast<unsigned char>(last)) & 63u;
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
constexpr std::array<std::uint8_t, 64> NameSlots = MakeNameSlots();

// The scheme prefixes by the three letters before their ":", which differ
// from scheme to scheme: SchemeSlot of a scheme holds its index + 1.
constexpr std::size_t SchemeSlot(char third_last, char second_last, char last) {
  return (static_cast<unsigned char>(third_last) + static_cast<unsigned char>(second_last) * 5u +
          static_cast<unsigned char>(last)) & 63u;
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
constexpr std::array<std::uint8_t, 64> SchemeSlots = MakeSchemeSlots();

int LowestBit(std::uint64_t bits) {
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

int HighestBit(std::uint64_t bits) {
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

// One extraction over a text that it never changes: the four passes, the
// blanked positions and the marks that lead the passes to their places.
class Extraction {
 public:
  Extraction(const char* text, std::size_t n, const std::atomic<bool>* cancel)
      : cancel_(cancel),
        t_(text),
        n_(n),
        blanked_(n),
        at_signs_(n),
        drive_colons_(n),
        equals_(n, Bitmap::Start::kUnset) {}

  template <class Offer>
  void Run(Offer&& offer) {
    std::array<PositionList, kPrefixCount> places;
    Survey(places);
    PrefixedAddresses(places, offer);
    MailAddresses(offer);
    at_signs_.Release();
    DrivePaths(offer);
    drive_colons_.Release();
    LinkValues(offer);
  }

 private:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  char Lower(std::size_t p) const { return LowerCase[static_cast<unsigned char>(t_[p])]; }

  // Leaves the scan when it was cancelled; looks at the flag once in
  // kPollEvery calls.
  static constexpr unsigned kPollEvery = 4096;
  void Poll() {
    if (cancel_ != nullptr && ++polls_ % kPollEvery == 0 && cancel_->load(std::memory_order_relaxed))
      throw ScanCancelled{};
  }
  void PollNow() {
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) throw ScanCancelled{};
  }
  // The survey reads this much between two looks at the flag.
  static constexpr std::size_t kSurveyChunk = std::size_t{1} << 22;

  // Reads the text once: notes where each prefix of pass 1 occurs, and marks
  // the "@" characters, the ":" followed by a backslash or slash, and the "="
  // that an attribute name may stand before.
  void Survey(std::array<PositionList, kPrefixCount>& places) {
    std::size_t done = 0;
#ifdef KORVEL_SCAN_X86
    // The vector loops look one byte back, so the first bytes are left to
    // the plain loop.
    if (n_ >= 128) {
      std::memset(equals_.Bytes(), 0, 8);
      SurveyScalar(0, 64, places);
      done = 64;
      const bool avx2 = HasAvx2();
      for (std::size_t stop = done; stop < n_;) {
        PollNow();
        stop = std::min(n_, done + kSurveyChunk);  // chunks of multiples of 32
        done = avx2 ? SurveyAvx2(done, stop, places) : SurveySse2(done, stop, places);  // a multiple of 16
      }
    }
#endif
    // The vector loops wrote the "=" marks below `done` whole; the rest
    // starts clear.
    std::memset(equals_.Bytes() + done / 8, 0, equals_.ByteCount() - done / 8);
    SurveyScalar(done, n_, places);
  }

  void SurveyScalar(std::size_t from, std::size_t to, std::array<PositionList, kPrefixCount>& places) {
    for (std::size_t i = from; i < to; ++i) {
      switch (t_[i]) {
        case '@': case ':': case '.': case '/': Note(i, places); break;
        case '=':
          if (i > 0 && MayPrecedeEquals(t_[i - 1])) equals_.Set(i);
          break;
        default: break;
      }
    }
  }

#ifdef KORVEL_SCAN_X86
  // The vector loops store the "=" marks of each block as the matching bytes
  // of the bitmap (x86 is little-endian), and leave the rare bytes to Note:
  // "@", ":", "." behind "w", "/" behind ".". Both return where they stopped.
  std::size_t SurveySse2(std::size_t i, std::size_t stop, std::array<PositionList, kPrefixCount>& places) {
    const __m128i colon = _mm_set1_epi8(':'), dot = _mm_set1_epi8('.'), slash = _mm_set1_epi8('/');
    const __m128i at = _mm_set1_epi8('@'), equals = _mm_set1_epi8('='), w = _mm_set1_epi8('w');
    const __m128i space = _mm_set1_epi8(' '), letter_a = _mm_set1_epi8('a'), fifteen = _mm_set1_epi8(15);
    for (; i + 16 <= stop; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + i));
      const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + i - 1));
      // OR 0x20 folds exactly the two cases of a letter together.
      const __m128i folded = _mm_or_si128(before, space);
      const __m128i www = _mm_and_si128(_mm_cmpeq_epi8(v, dot), _mm_cmpeq_epi8(folded, w));
      const __m128i dots = _mm_and_si128(_mm_cmpeq_epi8(v, slash), _mm_cmpeq_epi8(before, dot));
      const __m128i rare = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, colon), _mm_cmpeq_epi8(v, at)),
                                        _mm_or_si128(www, dots));
      // An "=" that a name may stand before (see MayPrecedeEquals); the test
      // lets a few more through: any byte up to the space, and a to p in
      // either case.
      const __m128i a_to_p = _mm_sub_epi8(folded, letter_a);
      const __m128i may = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(before, space), before),
                                       _mm_cmpeq_epi8(_mm_min_epu8(a_to_p, fifteen), a_to_p));
      const auto named_equals =
          static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(v, equals), may)));
      std::memcpy(equals_.Bytes() + i / 8, &named_equals, sizeof named_equals);
      NoteAll(i, static_cast<unsigned>(_mm_movemask_epi8(rare)), places);
    }
    return i;
  }

  [[gnu::target("avx2")]] std::size_t SurveyAvx2(std::size_t i, std::size_t stop, std::array<PositionList, kPrefixCount>& places) {
    const __m256i colon = _mm256_set1_epi8(':'), dot = _mm256_set1_epi8('.'), slash = _mm256_set1_epi8('/');
    const __m256i at = _mm256_set1_epi8('@'), equals = _mm256_set1_epi8('='), w = _mm256_set1_epi8('w');
    const __m256i space = _mm256_set1_epi8(' '), letter_a = _mm256_set1_epi8('a'), fifteen = _mm256_set1_epi8(15);
    for (; i + 32 <= stop; i += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t_ + i));
      const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t_ + i - 1));
      const __m256i folded = _mm256_or_si256(before, space);
      const __m256i www = _mm256_and_si256(_mm256_cmpeq_epi8(v, dot), _mm256_cmpeq_epi8(folded, w));
      const __m256i dots = _mm256_and_si256(_mm256_cmpeq_epi8(v, slash), _mm256_cmpeq_epi8(before, dot));
      const __m256i rare = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, colon), _mm256_cmpeq_epi8(v, at)),
                                           _mm256_or_si256(www, dots));
      const __m256i a_to_p = _mm256_sub_epi8(folded, letter_a);
      const __m256i may = _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(before, space), before),
                                          _mm256_cmpeq_epi8(_mm256_min_epu8(a_to_p, fifteen), a_to_p));
      const auto named_equals =
          static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(v, equals), may)));
      std::memcpy(equals_.Bytes() + i / 8, &named_equals, sizeof named_equals);
      NoteAll(i, static_cast<unsigned>(_mm256_movemask_epi8(rare)), places);
    }
    return i;
  }

  // KORVEL_SCAN_NO_AVX2 in the environment keeps to SSE2, so that the tests
  // can run both loops on one machine.
  static bool HasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2") && std::getenv("KORVEL_SCAN_NO_AVX2") == nullptr;
    return avx2;
  }

  void NoteAll(std::size_t i, unsigned flagged, std::array<PositionList, kPrefixCount>& places) {
    for (; flagged != 0; flagged &= flagged - 1) Note(i + static_cast<std::size_t>(LowestBit(flagged)), places);
  }
#endif

  // t_[i] is "@", ":", "." or "/": marks an "@", and a ":" followed by a
  // backslash or slash; notes the prefix that ends there, if any.
  void Note(std::size_t i, std::array<PositionList, kPrefixCount>& places) {
    const char c = t_[i];
    if (c == '@') {
      at_signs_.Set(i);
    } else if (c == ':') {
      if (i + 1 < n_ && (t_[i + 1] == '\\' || t_[i + 1] == '/')) drive_colons_.Set(i);
      // Every scheme has at least three letters; the three before the ":"
      // leave at most one candidate.
      if (i < 3) return;
      const std::size_t slot = SchemeSlots[SchemeSlot(Lower(i - 3), Lower(i - 2), Lower(i - 1))];
      if (slot == 0) return;
      const std::string_view prefix = UrlPrefixes[slot - 1];
      if (i + 1 >= prefix.size() && Spells(i + 1 - prefix.size(), prefix)) places[slot - 1].Push(i + 1 - prefix.size());
    } else if (c == '.') {
      if (i >= 3 && Lower(i - 1) == 'w' && Lower(i - 2) == 'w' && Lower(i - 3) == 'w') places[kWww].Push(i - 3);
    } else if (i >= 2 && t_[i - 1] == '.' && t_[i - 2] == '.') {
      places[kDotDotSlash].Push(i - 2);
    }
  }

  // The text at `pos` spells `word` (lower-case), ignoring case.
  bool Spells(std::size_t pos, std::string_view word) const {
    if (pos + word.size() > n_) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
      if (Lower(pos + k) != word[k]) return false;
    return true;
  }
  // The working text at `pos` holds `word`: spelled so, and not blanked.
  bool Holds(std::size_t pos, std::string_view word) const {
    return Spells(pos, word) && !blanked_.Any(pos, pos + word.size());
  }

  // A position of the working text that is blank or blanked.
  bool IsBlankAt(std::size_t p) const {
    return IsBlank(static_cast<unsigned char>(t_[p])) || blanked_.Test(p);
  }
  bool IsStopAt(std::size_t p, const CharSet& set) const { return set.Contains(t_[p]) || blanked_.Test(p); }
  // The working text at `p` holds `c` (never a blank).
  bool HoldsChar(std::size_t p, char c) const { return t_[p] == c && !blanked_.Test(p); }

  // First position at or after `p` that is blanked or holds a member of
  // `set`; n_ if none. Never looks past the first blanked position.
  std::size_t FindStop(std::size_t p, const CharSet& set) const {
    while (p < n_) {
      const std::uint64_t word = blanked_.Word(p / 64) >> (p % 64);
      const std::size_t limit =
          word != 0 ? p + static_cast<std::size_t>(LowestBit(word)) : std::min(n_, (p | 63) + 1);
      for (; p < limit; ++p)
        if (set.Contains(t_[p])) return p;
      if (word != 0) return limit;
    }
    return n_;
  }

  // Last position at or before `p` that is blanked or holds a member of
  // `set`; npos if none. Never looks past the nearest blanked position.
  std::size_t FindLastStop(std::size_t p, const CharSet& set) const {
    std::size_t q = p + 1;  // positions below q are left to look at
    for (;;) {
      const std::size_t chunk = (q - 1) & ~std::size_t{63};
      const std::uint64_t word = blanked_.Word(chunk / 64) & (~std::uint64_t{0} >> (63 - (q - 1) % 64));
      const std::size_t blanked_at = word != 0 ? chunk + static_cast<std::size_t>(HighestBit(word)) : npos;
      const std::size_t low = word != 0 ? blanked_at + 1 : chunk;
      while (q > low) {
        --q;
        if (set.Contains(t_[q])) return q;
      }
      if (word != 0) return blanked_at;
      if (chunk == 0) return npos;
    }
  }

  // First position at or after `p` that is neither blank nor blanked.
  std::size_t SkipBlanks(std::size_t p) const {
    while (p < n_ && IsBlankAt(p)) ++p;
    return p;
  }

  // First position at or after `p` holding the character `c`, not blanked.
  std::size_t FindChar(char c, std::size_t p) const {
    for (;;) {
      p = FindByte(c, p);
      if (p >= n_ || !blanked_.Test(p)) return p;
      ++p;
    }
  }
  // First position at or after `p` holding the byte `c`; n_ if none.
  std::size_t FindByte(char c, std::size_t p) const {
#ifdef KORVEL_SCAN_X86
    // Most searches end within a few blocks; no library call for those.
    const __m128i wanted = _mm_set1_epi8(c);
    for (const std::size_t near_end = std::min(n_, p + 256); p + 16 <= near_end; p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + p));
      const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)));
      if (hits != 0) return p + static_cast<std::size_t>(LowestBit(hits));
    }
#endif
    if (p >= n_) return n_;
    const void* hit = std::memchr(t_ + p, c, n_ - p);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - t_) : n_;
  }

  template <class Offer>
  void Take(std::size_t begin, std::size_t end, Offer& offer) {
    offer(std::string_view(t_ + begin, end - begin));
    blanked_.SetRange(begin, end);
  }

  // Pass 1: prefix by prefix in table order, each in text order.
  template <class Offer>
  void PrefixedAddresses(std::array<PositionList, kPrefixCount>& places, Offer& offer) {
    for (std::size_t k = 0; k < kPrefixCount; ++k) {
      const std::size_t length = UrlPrefixes[k].size();
      std::size_t pos = 0;
      places[k].ForEach([&](std::size_t start) {
        Poll();
        // Gone when an earlier address covered it.
        if (start < pos || blanked_.Any(start, start + length)) return;
        const std::size_t end = FindStop(start + length, UrlStops);
        Take(start, end, offer);
        pos = end;
      });
      places[k].Release();
    }
  }

  // Pass 2: a mailbox, "@" and a dotted host.
  template <class Offer>
  void MailAddresses(Offer& offer) {
    std::size_t pos = 1;
    for (;;) {
      Poll();
      const std::size_t at = at_signs_.Next(pos, n_);
      if (at >= n_) return;
      pos = at + 1;  // where to go on after a rejection
      if (blanked_.Test(at)) continue;

      std::size_t start = 0;  // with no stop before the "@", the mailbox starts the text
      const std::size_t stop = FindLastStop(at - 1, MailboxStops);
      if (stop != npos) {
        if (stop == at - 1 || t_[stop + 1] == '.') continue;
        start = stop + 1;
      }

      std::size_t end = FindStop(at + 1, HostStops);
      if (end >= n_ || !HoldsChar(end, '.')) continue;
      do end = FindStop(end + 1, HostStops);
      while (end < n_ && HoldsChar(end, '.'));

      Take(start, end, offer);
      // The survey marked only the "=" that a name may stand before; once
      // blanked, this address may leave a name right before one more.
      if (end < n_ && t_[end] == '=') equals_.Set(end);
      pos = end;
    }
  }

  // Pass 3: a stop character, one letter, ":" and a backslash or slash.
  template <class Offer>
  void DrivePaths(Offer& offer) {
    std::size_t pos = 1;
    for (;;) {
      Poll();
      const std::size_t d = drive_colons_.Next(pos, n_);
      if (d >= n_) return;
      pos = d + 1;
      if (blanked_.Test(d) || d + 1 >= n_) continue;
      if (!HoldsChar(d + 1, '\\') && !HoldsChar(d + 1, '/')) continue;
      if (d < 2 || !IsStopAt(d - 2, HostStops)) continue;
      // A letter is never a stop character, so d - 2 is the last one.
      if (!IsAsciiLetter(t_[d - 1]) || blanked_.Test(d - 1)) continue;
      const std::size_t end = FindStop(d + 2, UrlStops);
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
    const std::size_t words = (n_ + 63) / 64;
    for (std::size_t w = 0; w < words; ++w) {
      if (w % (kSurveyChunk / 64) == 0) PollNow();
      std::uint64_t marks = equals_.Word(w) & ~blanked_.Word(w);
      for (; marks != 0; marks &= marks - 1) {
        const std::size_t e = w * 64 + static_cast<std::size_t>(LowestBit(marks));
        if (e == 0) continue;
        std::size_t q = e;  // just behind the last non-blank before the "="
        if (IsBlankAt(e - 1)) {
          do --q;
          while (q > 0 && IsBlankAt(q - 1));
          if (q == 0) continue;
        }
        // The one name that can end here, by the last three letters.
        if (q < 3) continue;
        const std::size_t slot = NameSlots[NameSlot(Lower(q - 3), Lower(q - 2), Lower(q - 1))];
        if (slot == 0) continue;
        const std::string_view name = LinkAttributes[slot - 1];
        if (q >= name.size() && Holds(q - name.size(), name)) names[slot - 1].Push(q - name.size());
      }
    }
    equals_.Release();

    for (std::size_t k = 0; k < kNameCount; ++k) {
      const std::string_view name = LinkAttributes[k];
      std::size_t pos = 0;
      names[k].ForEach([&](std::size_t at) {
        Poll();
        // The name stood there when noted; it is gone if blanked since.
        if (at < pos || blanked_.Any(at, at + name.size())) return;
        const std::size_t equals = SkipBlanks(at + name.size());
        if (equals >= n_ || t_[equals] != '=') return;
        const std::size_t open = SkipBlanks(equals + 1);
        if (open >= n_ || (t_[open] != '"' && t_[open] != '\'')) return;
        std::size_t close = FindChar(t_[open], open + 1);
        while (close < n_ && HoldsChar(close - 1, '\\')) close = FindChar(t_[open], close + 1);
        if (close >= n_) return;
        Take(open + 1, close, offer);
        pos = close;
      });
      names[k].Release();
    }
  }

  const std::atomic<bool>* cancel_;
  unsigned polls_ = 0;
  const char* t_;  // the text, never changed
  std::size_t n_;
  Bitmap blanked_;
  Bitmap at_signs_;
  Bitmap drive_colons_;
  Bitmap equals_;
};

std::string_view Trimmed(std::string_view s) {
  std::size_t first = 0, last = s.size();
  while (first < last && IsBlank(static_cast<unsigned char>(s[first]))) ++first;
  while (last > first && IsBlank(static_cast<unsigned char>(s[last - 1]))) --last;
  return s.substr(first, last - first);
}

}  // namespace

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
      a = mix(a, static_cast<unsigned char>(p[0]) | (static_cast<std::uint64_t>(static_cast<unsigned char>(p[left / 2])) << 8) |
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

  bool Contains(std::string_view s, std::uint64_t hash, const std::vector<std::string>& list) const {
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

std::vector<std::string> AddressScanner::TakeAddresses() {
  std::vector<std::string> taken;
  taken.swap(addresses_);
  index_->Release();
  return taken;
}

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
  // Trimmed in place of copying: the passes only read the text.
  const std::string_view trimmed = Trimmed(text);
  if (trimmed.empty()) return;
  Extraction extraction(trimmed.data(), trimmed.size(), cancel_);
  extraction.Run([this](std::string_view candidate) { AddAddress(candidate); });
}

void AddressScanner::AddAddress(std::string_view candidate) {
  candidate = Trimmed(candidate);
  if (candidate.empty()) return;
  const std::uint64_t hash = Index::Hash(candidate);
  if (index_->Contains(candidate, hash, addresses_)) return;
  index_->Reserve();
  addresses_.emplace_back(candidate);
  index_->Insert(hash, addresses_.size() - 1);
}

}  // namespace korvel
