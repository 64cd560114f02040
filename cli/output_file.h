#pragma once
// Where korvel-sweep writes its rows: standard output, or a file that is
// replaced in one step at the end. Rows are gathered in a large buffer and
// written in big blocks.
#include <cstdio>
#include <string>

namespace korvel {

class OutputFile {
 public:
  OutputFile();
  ~OutputFile();  // a file not finished is thrown away; the old one stays
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Prepares to replace `path`: the rows go to a temporary file in the same
  // folder, which Finish() renames over `path`. Without a call, the rows go to
  // standard output. False (with `error`) when no file can be written there.
  bool Open(const std::string& path, std::string& error);

  // The pending bytes; append to it, then call Written().
  std::string& Buffer() { return buffer_; }
  void Written() {
    if (buffer_.size() >= kBlock) Flush();
  }

  // Writes what is pending now, for a reader that waits for it.
  void FlushNow();
  // Whether a write has failed; nothing more will be written.
  bool Failed() const { return error_ != 0; }

  // Writes what is pending and, for a file, puts it in place. False (with
  // `error`) when any write failed; a file is then removed.
  bool Finish(std::string& error);

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  void Flush();
  void Discard();
  // Closes the temporary file and renames it over the target (per platform);
  // sets error_ on failure.
  void PutInPlace();
  // The temporary file needs no removal on a signal any more.
  static void ForgetTempFile();

  std::string buffer_;
  std::FILE* stream_ = nullptr;
  std::string path_;       // the file to replace; empty for standard output
  std::string temp_path_;  // the named temporary file, if it has a name yet
  bool anonymous_ = false; // the temporary file has no name until Finish()
  int error_ = 0;          // errno of the first failed write
};

}  // namespace korvel
