#pragma once
// The walk of a sweep's inputs, in order: the paths to sweep, and what could
// not be walked, each in the place its rows would have had.
#include <string>
#include <utility>
#include <vector>

#include "engine/sweep_job.h"

namespace korvel {

// What the walk saw of a path it hands over: Regular, a regular file by its
// folder entry (the sweep may open it without asking first); NotRegular, a
// device, FIFO, socket or dangling link, to be passed over unread; Unknown,
// for the sweep to find out.
enum class FoundKind { Unknown, Regular, NotRegular };

class WalkTarget {
 public:
  virtual ~WalkTarget() = default;
  // A path to sweep. May wait for room; false when the sweep was cancelled.
  virtual bool FoundFile(std::string path, FoundKind kind) = 0;
  virtual void FoundIssue(SweepIssue issue) = 0;
  virtual bool WalkCancelled() const = 0;
};

// The inputs of a sweep as they come (a list read while the sweep runs).
// Pulled on the walk's thread, one at a time.
class InputSource {
 public:
  virtual ~InputSource() = default;
  // The next input; false when there are no more.
  virtual bool Next(SweepInput& input) = 0;
};

// A source over inputs known up front.
class InputList final : public InputSource {
 public:
  explicit InputList(std::vector<SweepInput> inputs) : inputs_(std::move(inputs)) {}
  bool Next(SweepInput& input) override;

 private:
  std::vector<SweepInput> inputs_;
  std::size_t next_ = 0;
};

// A file input becomes one path; a folder input is walked by a FileFinder
// (mode 0 when local, else 1), which first checks the keyword and extension
// texts: a refused text gives one FieldsRefused issue and no paths. A folder
// that cannot be listed gives a CannotListFolder issue.
void WalkInputs(InputSource& inputs, WalkTarget& target);
void WalkInputs(const std::vector<SweepInput>& inputs, WalkTarget& target);

}  // namespace korvel
