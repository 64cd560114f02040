#pragma once
// Every text the user sees from the application's own code, in one place.
// Window, control, menu and tooltip texts are with the templates in res/.

namespace korvel::texts {

inline constexpr char kRegistryCompany[] = "Tessaly";

inline constexpr char kCaptionWarning[] = "Warning";
inline constexpr char kCaptionQuestion[] = "Question";
inline constexpr char kCaptionHelpNotInstalled[] = "Help Is Not Installed";

inline constexpr char kRemoveAllQuestion[] = "Remove all items?";
inline constexpr char kNoHelp[] = "No help is available!";
inline constexpr char kInvalidPath[] = "Invalid path!";
inline constexpr char kOverwriteQuestion[] = "File exists.\nOverwrite it?";
inline constexpr char kExportFailed[] = "Export failed!";

inline constexpr char kColumnAddress[] = "Address";
inline constexpr char kColumnLocation[] = "Location";
inline constexpr int kColumnAddressWidth = 225;
inline constexpr int kColumnLocationWidth = 340;

inline constexpr char kSweepFileFilter[] = "All Files (*.*)|*.*|";
inline constexpr char kSweepFileName[] = "*.*";
inline constexpr char kExportFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
inline constexpr char kExportExtension[] = "txt";
inline constexpr char kExportFileName[] = "*.txt";

inline constexpr char kManualFile[] = "Manual.html";

}  // namespace korvel::texts
