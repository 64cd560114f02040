// korvel-sweep: sweeps files and folders from the command line, as the window
// sweeps a dropped item, and writes one row per address found.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "cli/output_file.h"
#include "cli/path_list.h"
#include "cli/progress_line.h"
#include "cli/row_writer.h"
#include "cli/unique_rows.h"
#include "engine/input_walk.h"
#include "engine/sweep_job.h"
#include "find/folder_sweep.h"
#include "find/file_finder.h"
#include "platform/atomic_file.h"
#include "platform/file_status.h"
#include "platform/path.h"
#include "platform/terminal.h"
#include "scan/text_utils.h"

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

namespace korvel {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnread = 1;
constexpr int kExitTrouble = 2;

constexpr const char* kExamples =
    R"(Each PATH is swept as the window sweeps a dropped item: a regular file
alone, a folder with the keyword and extension lists. PATH arguments come
first, then the paths of --files-from, in order.
Rows come in walk order (names in byte order), each file's addresses in the
order found, the same bytes for every number of threads. On a pipe or a
terminal each file's rows are written as soon as they are known.

Warnings go to standard error as "korvel-sweep: PATH: REASON" (cannot list
folder, cannot open, cannot read, too large for memory, path too long), the
PATH escaped as in TSV rows, other control bytes as \xHH; -q silences them.
The progress line (--progress) goes to standard error too.

Exit status:
  0  every PATH and every file was read
  1  something could not be read; the rows of everything else are complete
  2  usage error, a missing PATH, invalid characters in -k or -e, or an
     output failure (a reader that left included)

Row fields: -n adds the line (from 1; CR LF ends one line) and the byte
offset in the file as read (from 0, CRs counted) of an address's first
occurrence, --count its occurrences in the file. In TSV and CSV they follow
the location: line, offset, count (and files, with --unique --count); JSON
names them "line", "offset", "count", "files", and always gives "kind":
prefixed, email, drive or link.

A value that begins with "-" can be given with "=": --extensions=-? --keywords=-all

Examples:
  korvel-sweep page.html                       addresses of one file
  korvel-sweep -l -e "htm, html" site/         only the folder's own HTML files
  korvel-sweep -k report -f json docs/         files whose base name holds "report"
  korvel-sweep --extensions=-? notes/          files without an extension
  korvel-sweep -f export -o links.txt site/    the window's export file
  korvel-sweep -f csv -n --count --unique site/  each address once, for a spreadsheet
  find . -name '*.eml' -print0 | korvel-sweep -0 --files-from - -j 4
)";

// The finder's own check of -k and -e, for a sweep that has no folder to
// refuse. Its directory is one that always exists.
bool FieldsAreValid(const std::string& keywords, const std::string& extensions) {
  try {
    FileFinder probe([](const char*) {}, "-root", extensions.c_str(), keywords.c_str());
  } catch (const std::invalid_argument& error) {
    return std::string(error.what()) == "Invalid directory.";
  }
  return true;
}

std::string Reason(const SweepIssue& issue) {
  const auto with_error = [&issue](const char* what) {
    std::string text = what;
    if (issue.error != 0) text.append(" (").append(std::strerror(issue.error)).append(")");
    return text;
  };
  switch (issue.problem) {
    case SweepProblem::FieldsRefused: return kInvalidFieldsWarning;
    case SweepProblem::CannotListFolder: return with_error("cannot list folder");
    case SweepProblem::CannotOpen: return with_error("cannot open");
    case SweepProblem::CannotRead: return with_error("cannot read");
    case SweepProblem::TooLarge: return "too large for memory";
    case SweepProblem::PathTooLong: return "path too long";
    case SweepProblem::ChangedWhileRead: return "changed while read (read up to its size at the start)";
    case SweepProblem::IsOutputFile: return "is the output file, passed over";
  }
  return "cannot sweep";
}

// Rows go straight to the output, each file's flushed at once for a reader
// that waits for them.
class CommandLineSink final : public RowSink {
 public:
  CommandLineSink(RowWriter& writer, OutputFile& output, ProgressLine& stderr_line, bool live,
                  bool quiet, UniqueRows* unique)
      : writer_(writer),
        output_(output),
        stderr_line_(stderr_line),
        live_(live),
        quiet_(quiet),
        unique_(unique) {}

  void SetJob(SweepJob& job) { job_ = &job; }
  // A folder input's path as the user wrote it.
  // From the walk's thread, while rows are delivered.
  void Name(const std::string& input, const std::string& argument) {
    const std::lock_guard<std::mutex> lock(names_mutex_);
    names_[input] = argument;
  }

  void AddResultRow(std::string_view address, std::string_view location) override {
    writer_.Row(address, location);
  }
  void AddFileRows(std::string_view location, AddressBatch&& rows) override {
    if (unique_ != nullptr)
      unique_->Rows(rows, location);
    else
      writer_.Rows(rows, location);
  }
  void FileSwept(std::string_view) override { EndOfFile(); }
  // The files that were ready at one moment go out in one write.
  void DeliveryPaused() override {
    if (live_) output_.FlushNow();
    EndOfFile();
  }
  void ReportIssue(const SweepIssue& issue) override {
    std::string path = issue.path;
    if (issue.problem == SweepProblem::IsOutputFile) {
      // Not an error: the rows would only repeat themselves. Said once.
      if (!std::exchange(output_skipped_, true))
        stderr_line_.Warn("korvel-sweep: " + WarningPath(path) + ": is the output file, not swept");
    } else if (issue.problem == SweepProblem::FieldsRefused) {
      refused_ = true;
      {
        const std::lock_guard<std::mutex> lock(names_mutex_);
        if (const auto it = names_.find(path); it != names_.end()) path = it->second;
      }
      stderr_line_.Warn("korvel-sweep: " + WarningPath(path) + ": " + Reason(issue));
    } else {
      ++unread_;
      if (!quiet_) stderr_line_.Warn("korvel-sweep: " + WarningPath(path) + ": " + Reason(issue));
    }
    EndOfFile();
  }

  bool Refused() const { return refused_; }
  unsigned long long Unread() const { return unread_; }

 private:
  void EndOfFile() {
    // Nobody reads any more (a closed pipe): the rest of the sweep is moot.
    if (output_.Failed() && job_ != nullptr) job_->Cancel();
  }

  RowWriter& writer_;
  OutputFile& output_;
  ProgressLine& stderr_line_;
  const bool live_, quiet_;
  UniqueRows* unique_;
  SweepJob* job_ = nullptr;
  std::mutex names_mutex_;  // issues only, never a row
  std::map<std::string, std::string> names_;
  bool refused_ = false;
  bool output_skipped_ = false;
  unsigned long long unread_ = 0;
};

// The PATH arguments, then the --files-from list as it is read, each checked
// on the walk's thread when its turn comes: a slow producer's first path is
// swept before its last is written, and the list is never held whole.
class CommandLineInputs final : public InputSource {
 public:
  using Complain = std::function<void(const std::string&, const std::string&)>;

  CommandLineInputs(std::vector<std::string> paths, std::FILE* list, bool nul_separated,
                    FolderOptions folder_options, CommandLineSink& sink, Complain complain)
      : paths_(std::move(paths)), folder_options_(std::move(folder_options)), sink_(sink),
        complain_(std::move(complain)) {
    if (list != nullptr)
      list_.emplace(
          list, nul_separated,
          [this] {
            if (SweepJob* job = job_.load()) job->InputsWaiting();
          },
          [this] {
            const SweepJob* job = job_.load();
            return job != nullptr && job->IsCancelled();
          });
  }
  void SetJob(SweepJob& job) { job_ = &job; }

  bool Next(SweepInput& input) override {
    for (;;) {
      if (next_ < paths_.size()) {
        // Taken, not copied: each argument is read once.
        path_ = std::move(paths_[next_++]);
      } else if (!list_ || !list_->Next(path_)) {
        if (list_) {
          list_error_ = list_->Error();
          too_long_ = list_->TooLong();
        }
        return false;
      }
      if (Take(input)) return true;
    }
  }

  // After the sweep.
  bool AllFound() const { return all_found_; }
  bool FieldsRefused() const { return fields_refused_; }
  bool AnyFolder() const { return any_folder_; }
  int ListError() const { return list_error_; }
  std::size_t TooLong() const { return too_long_; }

 private:
  bool Take(SweepInput& input) {
    switch (FileKindFollowingLinks(path_)) {
      case FileKind::Missing:
        // A NUL (from a --files-from line) ends the name the system would see.
        complain_(path_, path_.find('\0') != std::string::npos ? "holds a NUL byte"
                                                                : std::strerror(errno));
        all_found_ = false;
        return false;
      case FileKind::Other:
        complain_(path_, "neither a file nor a folder");
        all_found_ = false;
        return false;
      case FileKind::RegularFile:
        input = SweepInput{SweepInput::Kind::File, std::move(path_), {}};
        return true;
      case FileKind::Folder: {
        any_folder_ = true;
        std::string folder = WithFinalSeparator(path_);
        // A refused field is known before anything is walked.
        if (!FolderFieldsAccepted(folder, folder_options_)) {
          complain_(path_, kInvalidFieldsWarning);
          fields_refused_ = true;
          return false;
        }
        sink_.Name(folder, path_);
        input = SweepInput{SweepInput::Kind::Folder, std::move(folder), folder_options_};
        return true;
      }
    }
    return false;
  }

  std::vector<std::string> paths_;
  std::size_t next_ = 0;
  std::optional<PathListReader> list_;
  const FolderOptions folder_options_;
  CommandLineSink& sink_;
  Complain complain_;
  std::atomic<SweepJob*> job_{nullptr};
  std::string path_;
  // Written on the walk's thread, read after the job has ended.
  bool all_found_ = true, fields_refused_ = false, any_folder_ = false;
  int list_error_ = 0;
  std::size_t too_long_ = 0;
};

int Run(int argc, char** argv) {
  CLI::App app{
      "Lists every address (URL, e-mail address, drive path, link value) in files "
      "and folders.",
      "korvel-sweep"};
  std::string keywords, extensions, format = "tsv", output_path, files_from;
  bool local = false, null_separated = false, quiet = false, stats = false;
  bool progress = false, no_progress = false;
  bool line_number = false, count = false, unique = false;
  std::size_t unique_limit = UniqueRows::kDefaultLimit;
  unsigned threads = 0;
  std::vector<std::string> paths;
  app.add_option("-k,--keywords", keywords,
                 "comma-separated keywords matched against base names (the Keywords field)");
  app.add_option(
      "-e,--extensions", extensions,
      "comma-separated extensions without their dot, -? for none (the Extensions field)");
  app.add_flag("-l,--local", local, "sweep only the folder itself, not its subfolders");
  app.add_option("-f,--format", format,
                 "tsv (default), export, json (with the kind of each address) or csv (RFC 4180, "
                 "with a header line)")
      ->check(CLI::IsMember({"tsv", "export", "json", "csv"}));
  app.add_flag("-n,--line-number", line_number,
               "add the line (from 1; a CR LF ends one line) and the byte offset in the file "
               "(from 0) of each address's first occurrence");
  app.add_flag("--count", count,
               "add the number of occurrences in the file (with --unique: in the whole sweep, "
               "and the number of files)");
  app.add_flag("--unique", unique,
               "each distinct address once, at its first row; with --count the rows come at "
               "the end");
  app.add_option("--unique-limit", unique_limit,
                 "distinct addresses --unique remembers (default 4194304, 8 bytes each); "
                 "past it, new ones are written each time they occur, with a warning")
      ->type_name("N")
      ->check(CLI::Range(std::size_t{1}, std::size_t{0xFFFFFFF0u}));
  app.add_option("-o,--output", output_path,
                 "write to FILE, replaced in one step at the end (default: standard output)")
      ->type_name("FILE");
  app.add_option("-j,--threads", threads,
                 "worker threads (default: the number of online CPUs); the output is the same "
                 "for every N")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  auto* files_from_option =
      app.add_option("--files-from", files_from,
                     "also sweep the paths listed in FILE (- for standard input), one a line, "
                     "read as the sweep goes")
          ->type_name("FILE");
  app.add_flag("-0,--null", null_separated, "--files-from entries end with NUL, not LF")
      ->needs(files_from_option);
  auto* progress_flag = app.add_flag("--progress", progress,
                                     "show a progress line on standard error "
                                     "(default when standard error is a terminal)");
  app.add_flag("--no-progress", no_progress, "no progress line")->excludes(progress_flag);
  app.add_flag("-q,--quiet", quiet, "no warnings about what could not be read");
  app.add_flag("--stats", stats, "print a summary on standard error at the end");
  app.add_option("PATH", paths, "files and folders to sweep, in order");
  app.set_version_flag("--version", "korvel-sweep " KORVEL_VERSION);
  app.footer(kExamples);
  try {
    app.parse(argc, argv);
    if (paths.empty() && files_from.empty()) throw CLI::RequiredError("PATH or --files-from");
    // -o '' would otherwise mean standard output, without a word.
    if (app.count("--output") != 0 && output_path.empty())
      throw CLI::ValidationError("--output", "FILE is empty");
    if (files_from_option->count() != 0 && files_from.empty())
      throw CLI::ValidationError("--files-from", "FILE is empty");
    if (format == "export" && (line_number || count))
      throw CLI::ValidationError("-n/--count", "the export format has the addresses alone");
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitTrouble;
  }

  ProgressLine stderr_line;
  const auto complain = [&stderr_line](const std::string& path, const std::string& text) {
    stderr_line.Warn("korvel-sweep: " + WarningPath(path) + ": " + text);
  };
  std::FILE* list = nullptr;
  if (!files_from.empty()) {
    list = files_from == "-" ? stdin : std::fopen(files_from.c_str(), "rb");
    if (list == nullptr) {
      complain(files_from, std::strerror(errno));
      return kExitTrouble;
    }
    if (list == stdin) SetBinary(stdin);
  }
  struct ListCloser {
    std::FILE* list;
    ~ListCloser() {
      if (list != nullptr && list != stdin) std::fclose(list);
    }
  } list_closer{list};

  // A temporary output file does not outlive Ctrl+C or a closed terminal.
  AtomicFile::RemoveTempFilesOnSignals();
  OutputFile output;
  std::string error;
  if (!output_path.empty() && !output.Open(output_path, error)) {
    complain(output_path, error);
    return kExitTrouble;
  }
  const RowFormat row_format = format == "json"     ? RowFormat::Json
                               : format == "export" ? RowFormat::Export
                               : format == "csv"    ? RowFormat::Csv
                                                    : RowFormat::Tsv;
  RowWriter writer(output, row_format, RowFields{line_number, count, unique && count});
  writer.Header();
  std::optional<UniqueRows> unique_rows;
  if (unique)
    unique_rows.emplace(writer, count, unique_limit,
                        [&stderr_line](const std::string& text) { stderr_line.Warn(text); });
  const bool live = output_path.empty() && IsLive(stdout);
  CommandLineSink sink(writer, output, stderr_line, live, quiet,
                       unique_rows ? &*unique_rows : nullptr);

  // Each folder refuses invalid fields by itself; files alone need this.
  const bool fields_valid = FieldsAreValid(keywords, extensions);
  CommandLineInputs inputs(std::move(paths), list, null_separated,
                           FolderOptions{keywords, extensions, local}, sink, complain);

  SweepJobOptions options;
  options.threads = threads;
  options.row_details = (row_format == RowFormat::Json ? unsigned{kRowKind} : 0u) |
                        (line_number ? unsigned{kRowPlace} : 0u) |
                        (count ? unsigned{kRowCount} : 0u);
  // The file being written is never swept into itself (-o, or > file).
  if (FileIdentity output_identity; output.Identity(output_identity))
    options.skip_file = output_identity;
  SweepJob job(inputs, sink, options);
  sink.SetJob(job);
  inputs.SetJob(job);
  const bool show_progress = progress || (!no_progress && IsTerminal(stderr));
  stderr_line.Start(job, show_progress, live);
  job.Run();
  stderr_line.Stop();
  if (unique_rows) unique_rows->Finish();
  if (inputs.ListError() != 0) complain(files_from, std::strerror(inputs.ListError()));
  if (inputs.TooLong() != 0)
    complain(files_from, std::to_string(inputs.TooLong()) + " entries longer than " +
                             std::to_string(PathListReader::kMaxEntry) + " bytes passed over");
  if (!fields_valid && !inputs.AnyFolder())
    stderr_line.Warn(std::string("korvel-sweep: -k/-e: ") + kInvalidFieldsWarning);

  const bool written = output.Finish(error);
  if (stats) {
    const SweepCounters p = job.Counters();
    const double seconds = stderr_line.Seconds();
    const double mb = static_cast<double>(p.bytes_read) / 1e6;
    const std::string passed = ", " + std::to_string(p.passed_over) + " passed over";
    char line[256];
    std::snprintf(line, sizeof line,
                  "korvel-sweep: %llu files swept%s, %.1f MB, %llu rows, %llu not read, %.2f s, "
                  "%.1f MB/s",
                  static_cast<unsigned long long>(p.files_swept), passed.c_str(), mb,
                  static_cast<unsigned long long>(p.rows), sink.Unread(), seconds,
                  seconds > 0 ? mb / seconds : 0.0);
    stderr_line.Warn(line);
  }
  if (!written) {
    complain(output_path.empty() ? "standard output" : output_path, error);
    return kExitTrouble;
  }
  // The reader left before a row failed to reach it: the sweep was cut
  // short all the same, so not the 0 of a complete one.
  if (stderr_line.ReaderLeft()) {
    complain("standard output", std::strerror(EPIPE));
    return kExitTrouble;
  }
  if (!inputs.AllFound() || inputs.ListError() != 0 || inputs.TooLong() != 0 ||
      inputs.FieldsRefused() || sink.Refused() || !fields_valid)
    return kExitTrouble;
  return sink.Unread() != 0 ? kExitUnread : kExitOk;
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  korvel::OpenNullOnClosedStandardDescriptors();
  if (argc > 0) korvel::SetProgramArgument(argv[0]);
  try {
    return korvel::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvel-sweep: %s\n", e.what());
  }
  return korvel::kExitTrouble;
}
