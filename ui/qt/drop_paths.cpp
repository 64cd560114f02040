#include "ui/qt/drop_paths.h"

#include <QSysInfo>
#include <QUrl>

#include "ui/qt/display_text.h"

namespace korvel::qt {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (i >= text.size()) return false;
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> LocalPathFromUri(const std::string& uri) {
  if (!StartsWithNoCase(uri, "file:")) return std::nullopt;
  std::string rest = uri.substr(5);
  if (rest.rfind("//", 0) == 0) {
    const auto slash = rest.find('/', 2);
    if (slash == std::string::npos) return std::nullopt;
    const std::string host = rest.substr(2, slash - 2);
    if (!host.empty() && host != "localhost" &&
        QString::fromStdString(host).compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
      return std::nullopt;
    rest = rest.substr(slash);
  }
  if (rest.empty() || rest[0] != '/') return std::nullopt;
  std::string path;
  path.reserve(rest.size());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '?' || rest[i] == '#') break;
    if (rest[i] != '%') {
      path.push_back(rest[i]);
      continue;
    }
    if (i + 2 >= rest.size()) return std::nullopt;
    const int hi = HexValue(rest[i + 1]), lo = HexValue(rest[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    const char byte = static_cast<char>(hi * 16 + lo);
    if (byte == '\0') return std::nullopt;  // a path cannot hold NUL
    path.push_back(byte);
    i += 2;
  }
  return path;
}

bool HasLocalPaths(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return false;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) return true;
  return false;
}

namespace {

// Every item of the drop, in order: its path's bytes when it is a local file
// or folder, nothing otherwise.
std::vector<std::optional<std::string>> DroppedItems(const QMimeData* mime) {
  std::vector<std::optional<std::string>> items;
  if (!mime) return items;
  const QByteArray list = mime->data(QStringLiteral("text/uri-list"));
  if (!list.isEmpty()) {
    // One URI a line, CR LF between them; lines starting with '#' are comments.
    for (const QByteArray& raw : list.split('\n')) {
      const QByteArray line = raw.trimmed();
      if (line.isEmpty() || line.startsWith('#')) continue;
      items.push_back(LocalPathFromUri(line.toStdString()));
    }
    return items;
  }
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile())
      items.emplace_back(PathBytes(url.toLocalFile()));
    else
      items.emplace_back();
  }
  return items;
}

}  // namespace

std::optional<std::string> FirstDroppedPath(const QMimeData* mime) {
  const auto items = DroppedItems(mime);
  return items.empty() ? std::nullopt : items.front();
}

std::vector<std::string> DroppedPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  const auto items = DroppedItems(mime);
  if (items.empty() || !items.front()) return paths;
  for (const auto& item : items)
    if (item) paths.push_back(*item);
  return paths;
}

}  // namespace korvel::qt
