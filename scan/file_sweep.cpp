#include "scan/file_sweep.h"

#include "platform/file_status.h"
#include "scan/file_scan.h"

namespace korvel {
namespace {

// One scanner serves every sweep of a run; it is made by the first sweep that
// reaches a regular file.
FileScanner& Scanner() {
  static FileScanner scanner;
  return scanner;
}

}  // namespace

SweepHooks& NoSweepHooks() {
  static SweepHooks none;
  return none;
}

void SweepFile(RowSink& sink, const std::string& path, SweepHooks& hooks) {
  if (!IsRegularFileFollowingLinks(path)) return;
  WaitCursorScope cursor(hooks);
  FileScan scan;
  // The status was just asked: the open file's own status decides the rest.
  Scanner().Scan(path, KnownKind::Regular, ScanControl{}, scan);
  // This sweep is silent: a file that is gone by now, or cannot be read, adds
  // nothing but its end.
  scan.issue.reset();
  scan.swept = true;
  DeliverFileScan(sink, path, std::move(scan));
}

}  // namespace korvel
