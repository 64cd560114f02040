// The REGEDIT4 format: parsing and writing the text, and the key and value
// operations on a parsed document.
#include "platform/reg_file_format.h"

#include <algorithm>
#include <cstdio>

#include "platform/text_bytes.h"

namespace korvel {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kNewline = "\r\n";
constexpr std::size_t kHexLineWidth = 76;  // where regedit wraps byte lists

// Key and value names compare without regard to letter case, as in the
// registry. In key paths the separator sorts first, so a key's subkeys follow
// it directly.
int ComparePaths(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto rank = [](char c) {
      return c == '\\' ? 0 : static_cast<unsigned char>(ToLowerAscii(c)) + 1;
    };
    const int ra = rank(a[i]);
    const int rb = rank(b[i]);
    if (ra != rb) return ra < rb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameName(std::string_view a, std::string_view b) { return EqualsIgnoringCase(a, b); }

// ---- parsing ----

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool ParseHexNumber(std::string_view s, std::size_t max_digits, std::uint32_t& out) {
  if (s.empty() || s.size() > max_digits) return false;
  std::uint32_t value = 0;
  for (char c : s) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  out = value;
  return true;
}

// A quoted string at the start of `s`; on success `s` is left after the
// closing quote. Only \\ and \" are escapes; any other backslash is itself.
bool ParseQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s.front() != '"') return false;
  out.clear();
  std::size_t i = 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out += s[i + 1];
      i += 2;
      continue;
    }
    out += c;
    ++i;
  }
  return false;
}

// "xx,xx,..." possibly empty; blanks around the bytes are allowed.
bool ParseHexBytes(std::string_view s, std::string& out) {
  out.clear();
  s = TrimSpaces(s);
  if (s.empty()) return true;
  while (true) {
    const auto comma = s.find(',');
    const std::string_view item = TrimSpaces(s.substr(0, comma));
    std::uint32_t byte = 0;
    if (!ParseHexNumber(item, 2, byte)) return false;
    out += static_cast<char>(byte);
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
    // regedit ends a wrapped line with a comma; a trailing one is harmless.
    if (TrimSpaces(s).empty()) return true;
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  return lines;
}

bool ParseValueData(std::string_view rest, const std::vector<std::string_view>& lines,
                    std::size_t& index, RegFileValue& value, bool& remove) {
  remove = false;
  if (rest == "-") {
    remove = true;
    return true;
  }
  if (!rest.empty() && rest.front() == '"') {
    value.type = kRegSz;
    return ParseQuoted(rest, value.data) && TrimSpaces(rest).empty();
  }
  if (StartsWithIgnoringCase(rest, "dword:")) {
    std::uint32_t number = 0;
    if (!ParseHexNumber(TrimSpaces(rest.substr(6)), 8, number)) return false;
    value.type = kRegDword;
    value.data = LittleEndianBytes(number);
    return true;
  }
  if (!StartsWithIgnoringCase(rest, "hex")) return false;
  rest.remove_prefix(3);
  value.type = kRegBinary;
  if (!rest.empty() && rest.front() == '(') {
    const auto close = rest.find(')');
    if (close == std::string_view::npos ||
        !ParseHexNumber(rest.substr(1, close - 1), 8, value.type))
      return false;
    rest.remove_prefix(close + 1);
  }
  if (rest.empty() || rest.front() != ':') return false;
  rest.remove_prefix(1);
  // Long byte lists go on over lines that end in a backslash.
  std::string bytes(rest);
  while (!TrimSpaces(bytes).empty() && TrimSpaces(bytes).back() == '\\') {
    bytes.resize(bytes.find_last_of('\\'));
    if (index + 1 >= lines.size()) return false;
    bytes += TrimSpaces(lines[++index]);
  }
  return ParseHexBytes(bytes, value.data);
}

// ---- formatting ----

void AppendQuoted(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendHex(std::string& out, const RegFileValue& value, std::size_t line_start) {
  char prefix[24];
  if (value.type == kRegBinary)
    std::snprintf(prefix, sizeof prefix, "hex:");
  else
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
  out += prefix;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    AppendHexByte(out, static_cast<unsigned char>(value.data[i]));
    if (i + 1 == value.data.size()) break;
    out += ',';
    if (out.size() - line_start >= kHexLineWidth) {
      out += '\\';
      out += kNewline;
      line_start = out.size();
      out += "  ";
    }
  }
}

void AppendValue(std::string& out, const RegFileValue& value) {
  const std::size_t line_start = out.size();
  if (value.name.empty())
    out += '@';
  else
    AppendQuoted(out, value.name);
  out += '=';
  if (value.type == kRegSz && QuotableText(value.data)) {
    AppendQuoted(out, value.data);
  } else if (value.type == kRegDword && value.data.size() == 4) {
    const std::uint32_t number = FromLittleEndianBytes(value.data);
    char text[24];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
    out += text;
  } else {
    AppendHex(out, value, line_start);
  }
  out += kNewline;
}

}  // namespace

bool ValidKeyPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

// Bytes that can stand inside quotes and come back the same: no control
// bytes (CR, LF, NUL, ...) and no DEL. Bytes above 127 are kept as they are.
bool QuotableText(std::string_view s) {
  return std::none_of(s.begin(), s.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

RegFileKey* FindKey(RegFileDocument& document, std::string_view path) {
  for (auto& key : document.keys)
    if (ComparePaths(key.path, path) == 0) return &key;
  return nullptr;
}

RegFileKey& AddKey(RegFileDocument& document, std::string path) {
  auto at = std::lower_bound(
      document.keys.begin(), document.keys.end(), path,
      [](const RegFileKey& key, const std::string& p) { return ComparePaths(key.path, p) < 0; });
  if (at != document.keys.end() && ComparePaths(at->path, path) == 0) return *at;
  return *document.keys.insert(at, RegFileKey{std::move(path), {}});
}

// A key exists when it is written down or when one of its subkeys is.
bool KeyExists(const RegFileDocument& document, std::string_view path) {
  for (const auto& key : document.keys) {
    if (ComparePaths(key.path, path) == 0) return true;
    if (key.path.size() > path.size() && key.path[path.size()] == '\\' &&
        ComparePaths(std::string_view(key.path).substr(0, path.size()), path) == 0)
      return true;
  }
  return false;
}

void DeleteKeyTree(RegFileDocument& document, std::string_view path) {
  std::erase_if(document.keys, [&](const RegFileKey& key) {
    if (ComparePaths(key.path, path) == 0) return true;
    return key.path.size() > path.size() && key.path[path.size()] == '\\' &&
           ComparePaths(std::string_view(key.path).substr(0, path.size()), path) == 0;
  });
}

void PutValue(RegFileKey& key, RegFileValue value) {
  for (auto& existing : key.values) {
    if (SameName(existing.name, value.name)) {
      existing = std::move(value);
      return;
    }
  }
  key.values.push_back(std::move(value));
}

bool ParseRegFile(const std::string& text, RegFileDocument& document) {
  document.keys.clear();
  const auto lines = SplitLines(text);
  std::size_t index = 0;
  // The header is the first line that holds anything.
  while (index < lines.size() && TrimSpaces(lines[index]).empty()) ++index;
  if (index == lines.size() || TrimSpaces(lines[index]) != kHeader) return false;
  RegFileKey* current = nullptr;  // valid until the next key line
  for (++index; index < lines.size(); ++index) {
    const std::string_view line = TrimSpaces(lines[index]);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return false;
      std::string_view path = line.substr(1, line.size() - 2);
      current = nullptr;
      if (path.front() == '-') {
        path.remove_prefix(1);
        if (!ValidKeyPath(path)) return false;
        DeleteKeyTree(document, path);
        continue;
      }
      if (!ValidKeyPath(path)) return false;
      current = &AddKey(document, std::string(path));
      continue;
    }
    if (current == nullptr) return false;
    RegFileValue value;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!ParseQuoted(rest, value.name)) {
      return false;
    }
    rest = TrimSpaces(rest);
    if (rest.empty() || rest.front() != '=') return false;
    rest = TrimSpaces(rest.substr(1));
    bool remove = false;
    if (!ParseValueData(rest, lines, index, value, remove)) return false;
    if (remove) {
      std::erase_if(current->values,
                    [&](const RegFileValue& v) { return SameName(v.name, value.name); });
    } else {
      PutValue(*current, std::move(value));
    }
  }
  return true;
}

std::string FormatRegFile(const RegFileDocument& document) {
  std::string out(kHeader);
  out += kNewline;
  out += kNewline;
  for (const auto& key : document.keys) {
    out += '[';
    out += key.path;
    out += ']';
    out += kNewline;
    for (const auto& value : key.values) AppendValue(out, value);
    out += kNewline;
  }
  return out;
}

}  // namespace korvel
