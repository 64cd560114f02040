#pragma once
// Byte-level text helpers that every layer shares (letter case, hex digits,
// UTF-8 validity, little-endian numbers). Only the 26 ASCII letters have a
// letter case; bytes from 0x80 up are never changed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

constexpr char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Lower-case hex digits, indexed by value.
inline constexpr std::string_view kHexDigits{"0123456789abcdef"};
// The value of a hex digit of either case; -1 for any other byte.
int HexDigitValue(char c);
// Appends the byte as two lower-case hex digits.
void AppendHexByte(std::string& out, unsigned char byte);

// The length of the valid UTF-8 sequence that starts at text[at], with its
// code point in `code_point`; 0 when none starts there (a stray continuation,
// an overlong form, a surrogate, above U+10FFFF, cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at, char32_t& code_point);
// Whether the whole text is valid UTF-8.
bool IsUtf8(std::string_view text);

// A 32-bit number as 4 bytes, least significant first, as the registry keeps
// a REG_DWORD; and back from up to 4 such bytes (missing upper bytes are 0).
std::string LittleEndianBytes(std::uint32_t number);
std::uint32_t FromLittleEndianBytes(std::string_view bytes);

}  // namespace korvel
