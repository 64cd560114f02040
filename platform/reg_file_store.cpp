// The REGEDIT4 file that stands in for the registry on Linux and other Unix:
// where it lives, reading it afresh for each call, replacing it whole.
#include "platform/reg_file_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/text_bytes.h"

namespace korvel {
namespace {

// What the program may write: no control bytes, which would break the lines.
bool WritableKeyPath(std::string_view path) { return ValidKeyPath(path) && QuotableText(path); }

std::string FullPath(const std::string& key_path) {
  std::string full(kRegCurrentUserRoot);
  full += '\\';
  full += key_path;
  return full;
}

bool MakeFolders(const std::string& file_path) {
  const auto slash = file_path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = file_path.substr(0, slash);
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string DefaultRegFilePath() {
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      const passwd* entry = ::getpwuid(::getuid());
      home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return {};
    base = home;
    if (base.back() != '/') base += '/';
    base += ".config";
  }
  if (base.back() != '/') base += '/';
  return base + "Tessaly/Korvel.reg";
}

std::string RegFileStore::Path() const { return path_.empty() ? DefaultRegFilePath() : path_; }

long RegFileStore::Load(const std::string& path, RegFileDocument& document) const {
  document.keys.clear();
  if (path.empty()) return kRegIoFailed;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return (errno == ENOENT || errno == ENOTDIR) ? kRegSuccess : kRegIoFailed;
  std::string text;
  char chunk[16384];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  const bool read_failed = std::ferror(file) != 0;
  std::fclose(file);
  if (read_failed) return kRegIoFailed;
  if (ParseRegFile(text, document)) return kRegSuccess;
  // Keep the damaged file for the user to look at and start from the
  // defaults. If it cannot be moved, leave it alone: nothing is written over it.
  document.keys.clear();
  const std::string aside = path + ".bad";
  return std::rename(path.c_str(), aside.c_str()) == 0 ? kRegSuccess : kRegIoFailed;
}

long RegFileStore::Store(const std::string& path, const RegFileDocument& document) const {
  if (!MakeFolders(path)) return kRegIoFailed;
  AtomicFile file;
  if (!file.Open(path, 0600)) return kRegIoFailed;
  if (!file.Write(FormatRegFile(document)) || !file.Commit()) return kRegIoFailed;
  return kRegSuccess;
}

long RegFileStore::CreateKey(RegHive hive, const std::string& key_path) {
  if (hive != RegHive::CurrentUser) return kRegAccessDenied;
  if (!WritableKeyPath(key_path)) return kRegInvalidParameter;
  const std::string path = Path();
  RegFileDocument document;
  if (const long rc = Load(path, document); rc != kRegSuccess) return rc;
  const std::string full = FullPath(key_path);
  if (KeyExists(document, full)) return kRegSuccess;
  AddKey(document, full);
  return Store(path, document);
}

long RegFileStore::QueryValue(RegHive hive, const std::string& key_path, const std::string& name,
                              std::uint32_t& type, std::string& data) {
  if (hive != RegHive::CurrentUser || !ValidKeyPath(key_path)) return kRegFileNotFound;
  RegFileDocument document;
  if (const long rc = Load(Path(), document); rc != kRegSuccess) return rc;
  const RegFileKey* key = FindKey(document, FullPath(key_path));
  if (key == nullptr) return kRegFileNotFound;
  for (const auto& value : key->values) {
    if (EqualsIgnoringCase(value.name, name)) {
      type = value.type;
      data = value.data;
      return kRegSuccess;
    }
  }
  return kRegFileNotFound;
}

long RegFileStore::SetValue(RegHive hive, const std::string& key_path, const std::string& name,
                            std::uint32_t type, const std::string& data) {
  if (hive != RegHive::CurrentUser) return kRegAccessDenied;
  if (!WritableKeyPath(key_path) || !QuotableText(name)) return kRegInvalidParameter;
  const std::string path = Path();
  RegFileDocument document;
  if (const long rc = Load(path, document); rc != kRegSuccess) return rc;
  const std::string full = FullPath(key_path);
  if (!KeyExists(document, full)) return kRegFileNotFound;
  RegFileKey& key = AddKey(document, full);
  for (const auto& value : key.values)
    if (EqualsIgnoringCase(value.name, name) && value.type == type && value.data == data)
      return kRegSuccess;  // unchanged: spare the disk a rewrite
  PutValue(key, RegFileValue{name, type, data});
  return Store(path, document);
}

RegistryStore& DefaultSettingsStore() {
  static RegFileStore store;
  return store;
}

}  // namespace korvel
