#pragma once
// The settings store where there is no registry: one per-user file,
// $XDG_CONFIG_HOME/Tessaly/Korvel.reg (default ~/.config/Tessaly/Korvel.reg),
// in the REGEDIT4 text format, so value types survive and the file can be
// imported into a Windows registry as it is.
//
// Every operation reads the file afresh; every change rewrites it as a whole
// through a temporary file and a rename. Keys and values the program does not
// know are kept. A file that cannot be parsed is renamed to Korvel.reg.bad and
// the store starts empty. Keys under HKEY_LOCAL_MACHINE cannot be created.
#include <string>

#include "platform/reg_file_format.h"
#include "platform/registry_store.h"

namespace korvel {

// The file this user's settings live in; empty when no home can be found.
std::string DefaultRegFilePath();

class RegFileStore : public RegistryStore {
 public:
  RegFileStore() = default;  // DefaultRegFilePath(), looked up at each call
  explicit RegFileStore(std::string path) : path_(std::move(path)) {}

  std::string Path() const;

  long CreateKey(RegHive hive, const std::string& key_path) override;
  long QueryValue(RegHive hive, const std::string& key_path, const std::string& name,
                  std::uint32_t& type, std::string& data) override;
  long SetValue(RegHive hive, const std::string& key_path, const std::string& name,
                std::uint32_t type, const std::string& data) override;

 private:
  long Load(const std::string& path, RegFileDocument& document) const;
  long Store(const std::string& path, const RegFileDocument& document) const;

  std::string path_;
};

}  // namespace korvel
