#pragma once
// Byte-level text helpers that every layer shares. Only the 26 ASCII letters
// have a letter case; bytes from 0x80 up are never changed.
namespace korvel {

constexpr char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace korvel
