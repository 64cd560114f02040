#include "reference_scanner.h"

#include "scan/text_utils.h"

namespace korvel::reference {
namespace {

const std::string kBlanks{" \t\r\f\n"};
const std::string kUrlStops = kBlanks + "\"'<>|*()[]{},";
const std::string kMailboxStops = kBlanks + "\"'`~!@#$%&*()=+|\\[]{};:<>,?/";
const std::string kHostStops = kMailboxStops + ".";
const char* const kPrefixes[] = {
    "../",   "file:",   "http:", "https:",  "ftp:",  "mailto:", "gopher:",
    "news:", "newsrc:", "nntp:", "telnet:", "wais:", "www."};
const char* const kAttributes[] = {"action", "background", "cite",    "classid", "codebase", "data",
                                   "href",   "longdesc",   "profile", "src",     "usemap"};
constexpr auto npos = std::string::npos;

void AddAddress(std::string candidate, std::vector<std::string>& list) {
  Trim(candidate);
  if (candidate.empty()) return;
  for (const std::string& entry : list)
    if (entry == candidate) return;
  list.push_back(candidate);
}

}  // namespace

void ExtractAddresses(std::string text, std::vector<std::string>& list) {
  Trim(text);
  if (text.empty()) return;
  const std::string copy = text;
  ToLower(text);
  const std::size_t size = text.size();
  auto take = [&](std::size_t begin, std::size_t end) {
    AddAddress(copy.substr(begin, end - begin), list);
    for (std::size_t i = begin; i < end; ++i) text[i] = ' ';
  };

  // Pass 1: prefixed addresses.
  for (const std::string prefix : kPrefixes) {
    std::size_t pos = 0;
    for (;;) {
      const std::size_t found = text.find(prefix, pos);
      if (found == npos) break;
      std::size_t end = text.find_first_of(kUrlStops, found + prefix.size());
      if (end == npos) end = size;
      take(found, end);
      pos = end;
    }
  }

  // Pass 2: e-mail addresses.
  for (std::size_t pos = 1;;) {
    const std::size_t at = text.find('@', pos);
    if (at == npos) break;
    pos = at + 1;
    std::size_t start;
    const std::size_t stop = text.find_last_of(kMailboxStops, at - 1);
    if (stop == npos) {
      start = 0;
    } else if (stop == at - 1) {
      continue;
    } else if (text[stop + 1] == '.') {
      continue;
    } else {
      start = stop + 1;
    }
    std::size_t dot = text.find_first_of(kHostStops, at + 1);
    if (dot == npos || text[dot] != '.') continue;
    std::size_t end;
    for (;;) {
      const std::size_t next = text.find_first_of(kHostStops, dot + 1);
      if (next != npos && text[next] == '.') {
        dot = next;
        continue;
      }
      end = next == npos ? size : next;
      break;
    }
    take(start, end);
    pos = end;
  }

  // Pass 3: drive paths.
  for (std::size_t pos = 1;;) {
    const std::size_t d = text.find(':', pos);
    if (d == npos) break;
    pos = d + 1;
    if (d == size - 1) continue;
    if (text[d + 1] != '\\' && text[d + 1] != '/') continue;
    const std::size_t stop = text.find_last_of(kHostStops, d - 1);
    if (stop == npos || stop != d - 2) continue;
    if (text[d - 1] < 'a' || text[d - 1] > 'z') continue;
    std::size_t end = text.find_first_of(kUrlStops, d + 2);
    if (end == npos) end = size;
    take(d - 1, end);
    pos = end;
  }

  // Pass 4: quoted values of link attributes.
  for (const std::string name : kAttributes) {
    std::size_t pos = 0;
    for (;;) {
      const std::size_t found = text.find(name, pos);
      if (found == npos) break;
      pos = found + 1;
      const std::size_t equals = text.find_first_not_of(kBlanks, found + name.size());
      if (equals == npos || text[equals] != '=') continue;
      const std::size_t open = text.find_first_not_of(kBlanks, equals + 1);
      if (open == npos || (text[open] != '"' && text[open] != '\'')) continue;
      std::size_t close = text.find(text[open], open + 1);
      while (close != npos && text[close - 1] == '\\') close = text.find(text[open], close + 1);
      if (close == npos) continue;
      take(open + 1, close);
      pos = close;
    }
  }
}

}  // namespace korvel::reference
