#pragma once
// One extraction of addresses from a text: the survey that reads the text
// once (address_survey.cpp) and the four passes (address_passes.cpp).
#include <atomic>
#include <cstddef>
#include <string_view>

#include "scan/address_scan_helpers.h"

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

namespace korvel::scanning {

// The sub-passes in the order they run: one per prefix, e-mail, drive
// paths, one per link attribute. A row list is ordered by them first.
inline constexpr unsigned kMailSubPass = static_cast<unsigned>(UrlPrefixes.size());
inline constexpr unsigned kDriveSubPass = kMailSubPass + 1;
inline constexpr unsigned kFirstLinkSubPass = kDriveSubPass + 1;
inline constexpr unsigned kSubPassCount =
    kFirstLinkSubPass + static_cast<unsigned>(LinkAttributes.size());

// Where the passes hand each address they cut out, with its sub-pass.
struct Offer {
  void (*add)(void* context, std::string_view address, unsigned sub_pass);
  void* context;
  void operator()(std::string_view address, unsigned sub_pass) const {
    add(context, address, sub_pass);
  }
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

  // For a text that is one window of a longer one (see stream_scan.cpp):
  // true when a search of pass 4 reached the end of the text, so that the
  // text after it could change what pass 4 found.
  bool RanOffEnd() const { return ran_off_end_; }
  // The attribute name (its index + 1; 0 for none) that ends at the last
  // position neither blank nor blanked when pass 4 began: the name that an
  // "=" after the text would be given to.
  std::size_t TrailingName() const { return trailing_name_; }

  void Run(const Offer& offer) {
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
    if (cancel_ != nullptr && ++polls_ % kPollEvery == 0 &&
        cancel_->load(std::memory_order_relaxed))
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
  void Survey(std::array<PositionList, kPrefixCount>& places);

  void SurveyScalar(std::size_t from, std::size_t to,
                    std::array<PositionList, kPrefixCount>& places);

#ifdef KORVEL_SCAN_X86
  // The vector loops store the "=" marks of each block as the matching bytes
  // of the bitmap (x86 is little-endian), and leave the rare bytes to Note:
  // "@", ":", "." behind "w", "/" behind ".". Both return where they stopped.
  std::size_t SurveySse2(std::size_t i, std::size_t stop,
                         std::array<PositionList, kPrefixCount>& places);

  [[gnu::target("avx2")]] std::size_t SurveyAvx2(std::size_t i, std::size_t stop,
                                                 std::array<PositionList, kPrefixCount>& places);

  // KORVEL_SCAN_NO_AVX2 in the environment keeps to SSE2, so that the tests
  // can run both loops on one machine.
  static bool HasAvx2();

  void NoteAll(std::size_t i, unsigned flagged, std::array<PositionList, kPrefixCount>& places);
#endif

  // t_[i] is "@", ":", "." or "/": marks an "@", and a ":" followed by a
  // backslash or slash; notes the prefix that ends there, if any.
  void Note(std::size_t i, std::array<PositionList, kPrefixCount>& places);

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
  bool IsStopAt(std::size_t p, const CharSet& set) const {
    return set.Contains(t_[p]) || blanked_.Test(p);
  }
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
      const std::uint64_t word =
          blanked_.Word(chunk / 64) & (~std::uint64_t{0} >> (63 - (q - 1) % 64));
      const std::size_t blanked_at =
          word != 0 ? chunk + static_cast<std::size_t>(HighestBit(word)) : npos;
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

  void Take(std::size_t begin, std::size_t end, const Offer& offer, unsigned sub_pass) {
    offer(std::string_view(t_ + begin, end - begin), sub_pass);
    blanked_.SetRange(begin, end);
  }

  // Pass 1: prefix by prefix in table order, each in text order.
  void PrefixedAddresses(std::array<PositionList, kPrefixCount>& places, const Offer& offer);

  // Pass 2: a mailbox, "@" and a dotted host.
  void MailAddresses(const Offer& offer);

  // Pass 3: a stop character, one letter, ":" and a backslash or slash.
  void DrivePaths(const Offer& offer);

  // Pass 4: quoted values of the link attributes, name by name in table order.
  void LinkValues(const Offer& offer);

  // The name an "=" at position `e` (just past the text for e == n_) is
  // given to: its index + 1 in LinkAttributes with `start` set to where it
  // begins, or 0 for none.
  std::size_t NameBefore(std::size_t e, std::size_t& start) const;

  const std::atomic<bool>* cancel_;
  unsigned polls_ = 0;
  bool ran_off_end_ = false;
  std::size_t trailing_name_ = 0;
  const char* t_;  // the text, never changed
  std::size_t n_;
  Bitmap blanked_;
  Bitmap at_signs_;
  Bitmap drive_colons_;
  Bitmap equals_;
};

}  // namespace korvel::scanning
