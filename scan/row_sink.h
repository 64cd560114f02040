#pragma once
// Where a sweep delivers what it finds. Only rows are required; the other
// calls have no-op defaults, so a caller overrides just what it shows.
#include <string>
#include <string_view>

#include "scan/address_batch.h"

namespace korvel {

// Why a file or folder gave no rows although it was meant to be swept.
enum class SweepProblem {
  FieldsRefused,  // the finder refused the keyword or extension text, or the folder
  CannotListFolder,
  CannotOpen,
  CannotRead,
  TooLarge,  // the content does not fit in memory
  PathTooLong,
  ChangedWhileRead,  // the file grew while it was read: the rows are of its first part
  IsOutputFile,      // the sweep's own output, passed over
};

struct SweepIssue {
  SweepProblem problem;
  std::string path;  // the file or folder concerned, as the sweep named it
  int error = 0;     // the system's error number, 0 when there is none
};

class RowSink {
 public:
  virtual ~RowSink() = default;
  // One row: the address (cut at its first NUL) and the path of its file,
  // exactly as the sweep was given it.
  virtual void AddResultRow(std::string_view address, std::string_view location) = 0;
  // The rows of one file (or archive member) at once, in order, every one
  // with `location`. Sinks that can take the batch whole override this.
  virtual void AddFileRows(std::string_view location, AddressBatch&& rows) {
    for (std::string_view address : rows) AddResultRow(address, location);
  }
  // After the last row of a file that was read, even one without rows.
  virtual void FileSwept(std::string_view /*location*/) {}
  // Something that could not be swept, in the place its rows would have had.
  virtual void ReportIssue(const SweepIssue& /*issue*/) {}
  // The sweep has handed over all it has for now and waits for more: the
  // moment to show or write what came, once for many files.
  virtual void DeliveryPaused() {}
};

}  // namespace korvel
