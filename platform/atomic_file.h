#pragma once
// Replaces a file as a whole: everything is written to a temporary file in the
// target's folder, synced, and renamed over the target only at the end, so a
// failure half-way leaves the old file as it was.
#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();  // an uncommitted temporary file is removed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file beside `target` (beside the file itself when
  // `target` is a link to it). It gets the permissions of an existing target,
  // else `new_mode` less the umask (ignored on Windows).
  bool Open(const std::string& target, unsigned new_mode = 0666);

  // Buffered; a failure is remembered and makes Commit fail.
  bool Write(std::string_view bytes);
  // Writes out the buffer now, so the temporary file holds every byte given.
  bool Flush();

  // Writes out the buffer, syncs, closes and renames over the target.
  bool Commit();

  // Closes and removes the temporary file; the target is not touched.
  void Discard();

  const std::string& TempPath() const { return temp_; }
  // The errno of the first failure of Open, Write, Flush or Commit; 0 if none.
  int Error() const { return error_; }
  // The reason of the first failure, for a message.
  std::string ErrorText() const;

  // From now on the temporary files of every AtomicFile are removed when the
  // process is ended by SIGINT, SIGTERM, SIGHUP or SIGPIPE (not on Windows).
  // For a command-line program; call it once.
  static void RemoveTempFilesOnSignals();

 private:
  bool WriteAll(const char* data, std::size_t size);
  bool Drain();
  bool Fail();  // remembers errno as the first failure

  std::string target_;
  std::string temp_;
  std::string buffer_;
  int fd_ = -1;
  int watch_ = -1;  // the slot that removes temp_ on a signal
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace korvel
