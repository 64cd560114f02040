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

// Empties the scanner, then puts the cursor back, however the sweep ends.
class SweepScope {
 public:
  SweepScope(SweepHooks& hooks, AddressScanner& scanner) : cursor_(hooks), scanner_(scanner) {}
  ~SweepScope() { scanner_.Clear(); }
  SweepScope(const SweepScope&) = delete;
  SweepScope& operator=(const SweepScope&) = delete;

 private:
  WaitCursorScope cursor_;
  AddressScanner& scanner_;
};

}  // namespace

SweepHooks& NoSweepHooks() {
  static SweepHooks none;
  return none;
}

void SweepFile(RowSink& sink, const std::string& path, SweepHooks& hooks) {
  if (!IsRegularFileFollowingLinks(path)) return;
  AddressScanner& scanner = Scanner();
  SweepScope scope(hooks, scanner);
  scanner.ScanFile(path, false);
  // A row holds NUL-terminated text, so an address ends at its first NUL.
  std::string cut;
  for (const std::string& address : scanner.Addresses()) {
    const auto nul = address.find('\0');
    if (nul == std::string::npos) {
      sink.AddResultRow(address, path);
    } else {
      cut.assign(address, 0, nul);
      sink.AddResultRow(cut, path);
    }
  }
  sink.FileSwept(path);
}

}  // namespace korvel
