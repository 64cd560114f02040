#pragma once
// Loads and saves the folder options between runs: the two histories and the
// local-sweep switch, under HKEY_CURRENT_USER\Software\Tessaly\Korvel.
#include "platform/registry_store.h"
#include "settings/history.h"

namespace korvel {

// What the settings need of the main dialog.
class SettingsDialog {
 public:
  virtual ~SettingsDialog() = default;
  virtual HistoryBox& KeywordHistory() = 0;
  virtual HistoryBox& ExtensionHistory() = 0;
  virtual int GetLocalCheck() = 0;  // 0 or 1
  virtual void SetLocalCheck(int state) = 0;
};

void CreateSettingsKeys(RegistryStore& store);
void LoadSettings(SettingsDialog& dialog, RegistryStore& store);
void SaveSettings(SettingsDialog& dialog, RegistryStore& store);
inline void LoadSettings(SettingsDialog& dialog) { LoadSettings(dialog, DefaultSettingsStore()); }
inline void SaveSettings(SettingsDialog& dialog) { SaveSettings(dialog, DefaultSettingsStore()); }

}  // namespace korvel
