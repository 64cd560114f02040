#include "scan/file_sweep.h"

#include "platform/file_status.h"
#include "scan/address_scanner.h"

namespace korvel {
namespace {

// One scanner serves every sweep of a run; it is made by the first sweep that
// reaches a regular file.
AddressScanner& Scanner() {
  static AddressScanner scanner;
  return scanner;
}

// Empties the scanner and puts the cursor back however the sweep ends.
class SweepScope {
 public:
  SweepScope(SweepDialog& dialog, AddressScanner& scanner)
      : dialog_(dialog), scanner_(scanner), previous_(dialog.BeginWaitCursor()) {}
  ~SweepScope() {
    scanner_.Clear();
    dialog_.RestoreCursor(previous_);
  }
  SweepScope(const SweepScope&) = delete;
  SweepScope& operator=(const SweepScope&) = delete;

 private:
  SweepDialog& dialog_;
  AddressScanner& scanner_;
  int previous_;
};

}  // namespace

void SweepFile(SweepDialog& dialog, const std::string& path) {
  if (!IsRegularFileFollowingLinks(path)) return;
  AddressScanner& scanner = Scanner();
  SweepScope scope(dialog, scanner);
  scanner.ScanFile(path, false);
  // A row holds NUL-terminated text, so an address ends at its first NUL.
  std::string cut;
  for (const std::string& address : scanner.Addresses()) {
    const auto nul = address.find('\0');
    if (nul == std::string::npos) {
      dialog.AddResultRow(address, path);
    } else {
      cut.assign(address, 0, nul);
      dialog.AddResultRow(cut, path);
    }
  }
}

}  // namespace korvel
