// The named value operations over any RegistryStore.
#include "platform/registry_store.h"

#include "platform/text_bytes.h"

namespace korvel {

long ReadRegText(RegistryStore& store, RegHive hive, const std::string& key_path,
                 const std::string& name, std::string& text) {
  std::uint32_t type = kRegNone;
  std::string data;
  const long rc = store.QueryValue(hive, key_path, name, type, data);
  if (rc != kRegSuccess) return rc;
  if (type != kRegSz && type != kRegExpandSz) return kRegUnsupportedType;
  // The program writes texts without a NUL; other writers add one.
  const auto nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  text = std::move(data);
  return kRegSuccess;
}

long ReadRegNumber(RegistryStore& store, RegHive hive, const std::string& key_path,
                   const std::string& name, std::uint32_t& number) {
  std::uint32_t type = kRegNone;
  std::string data;
  const long rc = store.QueryValue(hive, key_path, name, type, data);
  if (rc != kRegSuccess) return rc;
  if (type != kRegDword) {
    number = 0;
    return kRegSuccess;
  }
  // Read into a 4-byte buffer: more data does not fit, less leaves the upper
  // bytes at 0.
  if (data.size() > 4) return kRegMoreData;
  number = FromLittleEndianBytes(data);
  return kRegSuccess;
}

long WriteRegText(RegistryStore& store, RegHive hive, const std::string& key_path,
                  const std::string& name, const std::string& text) {
  return store.SetValue(hive, key_path, name, kRegSz, text);
}

long WriteRegNumber(RegistryStore& store, RegHive hive, const std::string& key_path,
                    const std::string& name, std::uint32_t number) {
  return store.SetValue(hive, key_path, name, kRegDword, LittleEndianBytes(number));
}

}  // namespace korvel
