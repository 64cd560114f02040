// Loading and saving the folder options.
#include "settings/settings.h"

#include <cstdint>

#include "settings/history_text.h"
#include "platform/registry_store.h"

namespace korvel {
namespace {

constexpr char kVendorKey[] = "Software\\Tessaly";
constexpr char kProgramKey[] = "Software\\Tessaly\\Korvel";
constexpr char kKeywordsValue[] = "cboKeywords";
constexpr char kExtensionsValue[] = "cboExtensions";
constexpr char kLocalValue[] = "chkLocal";

}  // namespace

void CreateSettingsKeys(RegistryStore& store) {
  // Where the user may not create machine keys these fail; nothing depends on them.
  (void)store.CreateKey(RegHive::LocalMachine, kVendorKey);
  (void)store.CreateKey(RegHive::LocalMachine, kProgramKey);
  (void)store.CreateKey(RegHive::CurrentUser, kVendorKey);
  (void)store.CreateKey(RegHive::CurrentUser, kProgramKey);
}

void LoadSettings(SettingsDialog& dialog, RegistryStore& store) {
  CreateSettingsKeys(store);
  std::string text;
  if (ReadRegText(store, RegHive::CurrentUser, kProgramKey, kKeywordsValue, text) == kRegSuccess)
    FillKeywordHistory(dialog.KeywordHistory(), text);
  text.clear();
  if (ReadRegText(store, RegHive::CurrentUser, kProgramKey, kExtensionsValue, text) == kRegSuccess)
    FillExtensionHistory(dialog.ExtensionHistory(), text);
  std::uint32_t local = 0;
  // A value of another type reads as 0; a missing one leaves the box alone.
  // The program stores only 0 or 1; any other number counts as checked.
  if (ReadRegNumber(store, RegHive::CurrentUser, kProgramKey, kLocalValue, local) == kRegSuccess)
    dialog.SetLocalCheck(local != 0 ? 1 : 0);
}

void SaveSettings(SettingsDialog& dialog, RegistryStore& store) {
  CreateSettingsKeys(store);
  // Each value on its own: one failing does not stop the others.
  (void)WriteRegText(store, RegHive::CurrentUser, kProgramKey, kKeywordsValue,
                     EncodeHistory(dialog.KeywordHistory()));
  (void)WriteRegText(store, RegHive::CurrentUser, kProgramKey, kExtensionsValue,
                     EncodeHistory(dialog.ExtensionHistory()));
  (void)WriteRegNumber(store, RegHive::CurrentUser, kProgramKey, kLocalValue,
                       dialog.GetLocalCheck() != 0 ? 1u : 0u);
}

}  // namespace korvel
