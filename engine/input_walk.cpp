#include "engine/input_walk.h"

#include <cerrno>
#include <exception>
#include <stdexcept>

#include "find/file_finder.h"
#include "platform/folder_listing.h"

namespace korvel {
namespace {

// Leaves the finder's walk when the sweep is cancelled.
struct WalkStopped {};

// The finder's handler takes no context: the walk of this thread keeps it here.
thread_local WalkTarget* t_target = nullptr;

FoundKind KindOf(EntryType type) {
  switch (type) {
    case EntryType::Regular: return FoundKind::Regular;
    case EntryType::Other: return FoundKind::NotRegular;
    case EntryType::Unknown: break;
  }
  return FoundKind::Unknown;
}

void FoundByFinder(const char* path) {
  if (!t_target->FoundFile(path, KindOf(ReportedEntryType()))) throw WalkStopped{};
}

// The system's listing, telling the sweep about each folder it cannot list.
class ReportingListing final : public FolderListing {
 public:
  explicit ReportingListing(WalkTarget& target) : target_(target) {}

  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    if (target_.WalkCancelled()) throw WalkStopped{};
    errno = 0;
    if (SystemFolderListing().List(folder, entries)) return true;
    const int error = errno;
    target_.FoundIssue(SweepIssue{
        error == ENAMETOOLONG ? SweepProblem::PathTooLong : SweepProblem::CannotListFolder, folder,
        error});
    return false;
  }

  void EndWalk() const override { SystemFolderListing().EndWalk(); }

 private:
  WalkTarget& target_;
};

void WalkFolder(const SweepInput& input, WalkTarget& target) {
  try {
    FileFinder finder(FoundByFinder, input.path.c_str(), input.options.extensions.c_str(),
                      input.options.keywords.c_str());
    const ReportingListing listing(target);
    finder.SetListing(listing);
    try {
      finder.Find(input.options.local ? 0 : 1);
    } catch (const WalkStopped&) {
      throw;
    } catch (const std::exception&) {
      // Out of memory in the walk: what was found stays, the rest is missing.
      target.FoundIssue(SweepIssue{SweepProblem::CannotListFolder, input.path, ENOMEM});
    }
  } catch (const std::invalid_argument&) {
    target.FoundIssue(SweepIssue{SweepProblem::FieldsRefused, input.path, 0});
  }
}

}  // namespace

bool InputList::Next(SweepInput& input) {
  if (next_ == inputs_.size()) return false;
  input = std::move(inputs_[next_++]);
  return true;
}

void WalkInputs(InputSource& inputs, WalkTarget& target) {
  WalkTarget* const outer = t_target;
  t_target = &target;
  try {
    SweepInput input;
    while (!target.WalkCancelled() && inputs.Next(input)) {
      if (input.kind == SweepInput::Kind::File) {
        if (!target.FoundFile(std::move(input.path), FoundKind::Unknown)) break;
      } else {
        WalkFolder(input, target);
      }
    }
  } catch (const WalkStopped&) {
  }
  t_target = outer;
}

void WalkInputs(const std::vector<SweepInput>& inputs, WalkTarget& target) {
  InputList list(inputs);
  WalkInputs(list, target);
}

}  // namespace korvel
