#pragma once
// The per-user key-value store with the registry's semantics: hives, keys,
// typed values, Win32 error codes. On Windows it is the registry itself;
// elsewhere a REGEDIT4 file stands in for it (platform/reg_file_store.h).
#include <cstdint>
#include <string>

namespace korvel {

// The two hives the program touches. Values live only under CurrentUser;
// LocalMachine is only ever asked to create keys.
enum class RegHive { CurrentUser, LocalMachine };

// Value types, with the registry's numbers (the names REG_SZ etc. are macros
// of the Windows headers, hence the prefix).
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Win32 error codes the stores return; 0 is success.
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;        // ERROR_ACCESS_DENIED
inline constexpr long kRegInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
inline constexpr long kRegMoreData = 234;          // ERROR_MORE_DATA
inline constexpr long kRegIoFailed = 1016;         // ERROR_REGISTRY_IO_FAILED
inline constexpr long kRegUnsupportedType = 1630;  // ERROR_UNSUPPORTED_TYPE

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // Creates the key (and its parents) or opens an existing one, then closes it.
  virtual long CreateKey(RegHive hive, const std::string& key_path) = 0;

  // Reads a value's type and all of its bytes. Fails when the key or the value
  // does not exist.
  virtual long QueryValue(RegHive hive, const std::string& key_path, const std::string& name,
                          std::uint32_t& type, std::string& data) = 0;

  // Writes a value with the given type and bytes, replacing any value of that
  // name. Does not create the key: a missing key fails.
  virtual long SetValue(RegHive hive, const std::string& key_path, const std::string& name,
                        std::uint32_t type, const std::string& data) = 0;
};

// The per-user store of this platform: the registry on Windows, a REGEDIT4
// file under $XDG_CONFIG_HOME elsewhere.
RegistryStore& DefaultSettingsStore();

// Text values: REG_SZ or REG_EXPAND_SZ (not expanded). The text is the data
// up to the first NUL or the end. Any other type fails.
long ReadRegText(RegistryStore& store, RegHive hive, const std::string& key_path,
                 const std::string& name, std::string& text);

// Number values: a REG_DWORD is read as its 4 bytes; a value of any other type
// reads as 0 and succeeds. A missing key or value fails.
long ReadRegNumber(RegistryStore& store, RegHive hive, const std::string& key_path,
                   const std::string& name, std::uint32_t& number);

// Writes REG_SZ with byte length = text length (no terminating NUL).
long WriteRegText(RegistryStore& store, RegHive hive, const std::string& key_path,
                  const std::string& name, const std::string& text);

// Writes REG_DWORD, 4 bytes little-endian.
long WriteRegNumber(RegistryStore& store, RegHive hive, const std::string& key_path,
                    const std::string& name, std::uint32_t number);

}  // namespace korvel
