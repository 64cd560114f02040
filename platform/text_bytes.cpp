#include "platform/text_bytes.h"

namespace korvel {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at, char32_t& code_point) {
  const auto b0 = static_cast<unsigned char>(text[at]);
  if (b0 < 0x80) {
    code_point = b0;
    return 1;
  }
  std::size_t n;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, code_point = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, code_point = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, code_point = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (at + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(text[at + k]);
    if ((b & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (b & 0x3F);
  }
  if (code_point < min || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
    return 0;
  return n;
}

bool IsUtf8(std::string_view text) {
  char32_t code_point = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = Utf8SequenceLength(text, at, code_point);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

std::string LittleEndianBytes(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFFu);
  return bytes;
}

std::uint32_t FromLittleEndianBytes(std::string_view bytes) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  return number;
}

}  // namespace korvel
