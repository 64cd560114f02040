#pragma once
// The REGEDIT4 format that the settings file is written in: a document of
// keys and typed values, parsed from and written to the text that the
// registry imports.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_store.h"

namespace korvel {

// The hive every key of the file lives under.
inline constexpr std::string_view kRegCurrentUserRoot = "HKEY_CURRENT_USER";

struct RegFileValue {
  std::string name;  // empty for the key's default value ("@")
  std::uint32_t type = kRegNone;
  std::string data;  // the value's bytes exactly
};

struct RegFileKey {
  std::string path;                  // full path with the hive, e.g. HKEY_CURRENT_USER\Software
  std::vector<RegFileValue> values;  // in the order they were created
};

// The keys of a file, ordered by path (compared part by part, ignoring case).
struct RegFileDocument {
  std::vector<RegFileKey> keys;
};

// Parses REGEDIT4 text. Accepts LF or CR LF lines, comments (";"), hex
// continuation lines, and the deletion forms "[-key]" and "name"=-.
bool ParseRegFile(const std::string& text, RegFileDocument& document);

// REGEDIT4 text with CR LF lines: strings as "..." when every byte can stand
// in quotes, REG_DWORD as dword:, everything else as hex(N): byte lists.
std::string FormatRegFile(const RegFileDocument& document);

// The key with this full path; null when the document has none.
RegFileKey* FindKey(RegFileDocument& document, std::string_view path);
// The key with this full path, added in its place when missing.
RegFileKey& AddKey(RegFileDocument& document, std::string path);
// A key exists when it is written down or when one of its subkeys is.
bool KeyExists(const RegFileDocument& document, std::string_view path);
// Removes the key and its subkeys.
void DeleteKeyTree(RegFileDocument& document, std::string_view path);
// Replaces the value of that name (any letter case), else appends it.
void PutValue(RegFileKey& key, RegFileValue value);
// Key paths: parts separated by single backslashes, none empty.
bool ValidKeyPath(std::string_view path);
// Bytes that can stand inside quotes and come back the same.
bool QuotableText(std::string_view s);

}  // namespace korvel
