#pragma once
// The walk of a sweep's inputs, in order: the paths to sweep, and what could
// not be walked, each in the place its rows would have had.
#include <string>
#include <vector>

#include "engine/sweep_job.h"

namespace korvel {

// What the walk knows of a path from its folder entry.
enum class FoundKind { Unknown, Regular, NotRegular };

class WalkTarget {
 public:
  virtual ~WalkTarget() = default;
  // A path to sweep. May wait for room; false when the sweep was cancelled.
  virtual bool FoundFile(std::string path, FoundKind kind) = 0;
  virtual void FoundIssue(SweepIssue issue) = 0;
  virtual bool WalkCancelled() const = 0;
};

// A file input becomes one path; a folder input is walked by a FileFinder
// (mode 0 when local, else 1), which first checks the keyword and extension
// texts: a refused text gives one FieldsRefused issue and no paths. A folder
// that cannot be listed gives a CannotListFolder issue.
void WalkInputs(const std::vector<SweepInput>& inputs, WalkTarget& target);

}  // namespace korvel
