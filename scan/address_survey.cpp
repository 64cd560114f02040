// The survey: one read of the text that notes where the prefixes of pass 1
// occur and marks the places that passes 2 to 4 start from.
#include <cstdlib>

#include "scan/address_extraction.h"

namespace korvel::scanning {

void Extraction::Survey(std::array<PositionList, kPrefixCount>& places) {
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
      done = avx2 ? SurveyAvx2(done, stop, places)
                  : SurveySse2(done, stop, places);  // a multiple of 16
    }
  }
#endif
  // The vector loops wrote the "=" marks below `done` whole; the rest
  // starts clear.
  std::memset(equals_.Bytes() + done / 8, 0, equals_.ByteCount() - done / 8);
  SurveyScalar(done, n_, places);
}

void Extraction::SurveyScalar(std::size_t from, std::size_t to,
                              std::array<PositionList, kPrefixCount>& places) {
  for (std::size_t i = from; i < to; ++i) {
    switch (t_[i]) {
      case '@':
      case ':':
      case '.':
      case '/': Note(i, places); break;
      case '=':
        if (i > 0 && MayPrecedeEquals(t_[i - 1])) equals_.Set(i);
        break;
      default: break;
    }
  }
}

#ifdef KORVEL_SCAN_X86
std::size_t Extraction::SurveySse2(std::size_t i, std::size_t stop,
                                   std::array<PositionList, kPrefixCount>& places) {
  const __m128i colon = _mm_set1_epi8(':'), dot = _mm_set1_epi8('.'), slash = _mm_set1_epi8('/');
  const __m128i at = _mm_set1_epi8('@'), equals = _mm_set1_epi8('='), w = _mm_set1_epi8('w');
  const __m128i space = _mm_set1_epi8(' '), letter_a = _mm_set1_epi8('a'),
                fifteen = _mm_set1_epi8(15);
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
    const auto named_equals = static_cast<std::uint16_t>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(v, equals), may)));
    std::memcpy(equals_.Bytes() + i / 8, &named_equals, sizeof named_equals);
    NoteAll(i, static_cast<unsigned>(_mm_movemask_epi8(rare)), places);
  }
  return i;
}

[[gnu::target("avx2")]] std::size_t Extraction::SurveyAvx2(
    std::size_t i, std::size_t stop, std::array<PositionList, kPrefixCount>& places) {
  const __m256i colon = _mm256_set1_epi8(':'), dot = _mm256_set1_epi8('.'),
                slash = _mm256_set1_epi8('/');
  const __m256i at = _mm256_set1_epi8('@'), equals = _mm256_set1_epi8('='),
                w = _mm256_set1_epi8('w');
  const __m256i space = _mm256_set1_epi8(' '), letter_a = _mm256_set1_epi8('a'),
                fifteen = _mm256_set1_epi8(15);
  for (; i + 32 <= stop; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t_ + i));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t_ + i - 1));
    const __m256i folded = _mm256_or_si256(before, space);
    const __m256i www = _mm256_and_si256(_mm256_cmpeq_epi8(v, dot), _mm256_cmpeq_epi8(folded, w));
    const __m256i dots =
        _mm256_and_si256(_mm256_cmpeq_epi8(v, slash), _mm256_cmpeq_epi8(before, dot));
    const __m256i rare =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, colon), _mm256_cmpeq_epi8(v, at)),
                        _mm256_or_si256(www, dots));
    const __m256i a_to_p = _mm256_sub_epi8(folded, letter_a);
    const __m256i may =
        _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(before, space), before),
                        _mm256_cmpeq_epi8(_mm256_min_epu8(a_to_p, fifteen), a_to_p));
    const auto named_equals = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(v, equals), may)));
    std::memcpy(equals_.Bytes() + i / 8, &named_equals, sizeof named_equals);
    NoteAll(i, static_cast<unsigned>(_mm256_movemask_epi8(rare)), places);
  }
  return i;
}

bool Extraction::HasAvx2() {
  static const bool avx2 =
      __builtin_cpu_supports("avx2") && std::getenv("KORVEL_SCAN_NO_AVX2") == nullptr;
  return avx2;
}

void Extraction::NoteAll(std::size_t i, unsigned flagged,
                         std::array<PositionList, kPrefixCount>& places) {
  for (; flagged != 0; flagged &= flagged - 1)
    Note(i + static_cast<std::size_t>(LowestBit(flagged)), places);
}
#endif

void Extraction::Note(std::size_t i, std::array<PositionList, kPrefixCount>& places) {
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
    if (i + 1 >= prefix.size() && Spells(i + 1 - prefix.size(), prefix))
      places[slot - 1].Push(i + 1 - prefix.size());
  } else if (c == '.') {
    if (i >= 3 && Lower(i - 1) == 'w' && Lower(i - 2) == 'w' && Lower(i - 3) == 'w')
      places[kWww].Push(i - 3);
  } else if (i >= 2 && t_[i - 1] == '.' && t_[i - 2] == '.') {
    places[kDotDotSlash].Push(i - 2);
  }
}

}  // namespace korvel::scanning
