// The settings store on Windows: the registry itself, through the ANSI calls.
#include <windows.h>

#include "platform/registry_store.h"

namespace korvel {
namespace {

HKEY Root(RegHive hive) {
  return hive == RegHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32RegistryStore : public RegistryStore {
 public:
  long CreateKey(RegHive hive, const std::string& key_path) override {
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG rc =
        RegCreateKeyExA(Root(hive), key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, &security, &key, &disposition);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
  }

  long QueryValue(RegHive hive, const std::string& key_path, const std::string& name,
                  std::uint32_t& type, std::string& data) override {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(Root(hive), key_path.c_str(), 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return rc;
    // First the type and size, then the data into a buffer of that size. The
    // value may grow in between; then ask again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD value_type = REG_NONE;
      DWORD size = 0;
      rc = RegQueryValueExA(key, name.c_str(), nullptr, &value_type, nullptr, &size);
      if (rc != ERROR_SUCCESS) break;
      std::string buffer(size, '\0');
      if (size > 0) {
        rc = RegQueryValueExA(key, name.c_str(), nullptr, &value_type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        buffer.resize(size);
      }
      type = value_type;
      data = std::move(buffer);
      break;
    }
    RegCloseKey(key);
    return rc;
  }

  long SetValue(RegHive hive, const std::string& key_path, const std::string& name,
                std::uint32_t type, const std::string& data) override {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(Root(hive), key_path.c_str(), 0, KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc;
  }
};

}  // namespace

RegistryStore& DefaultSettingsStore() {
  static Win32RegistryStore store;
  return store;
}

}  // namespace korvel
