// korvel-sweep: sweeps files and folders from the command line, as the window
// sweeps a dropped item, and writes one row per address found.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "cli/output_file.h"
#include "cli/row_writer.h"
#include "find/folder_sweep.h"
#include "scan/file_sweep.h"
#include "scan/text_utils.h"

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

namespace korvel {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitTrouble = 2;

constexpr const char* kExamples = R"(Each PATH is swept as the window sweeps a dropped item: a regular file
alone, a folder with the keyword and extension lists.
Rows come in walk order (names in byte order), each file's addresses in the
order found. Exit status: 0 when every PATH was swept, 2 otherwise.

A value that begins with "-" can be given with "=": --extensions=-? --keywords=-all

Examples:
  korvel-sweep page.html                       addresses of one file
  korvel-sweep -l -e "htm, html" site/         only the folder's own HTML files
  korvel-sweep -k report -f json docs/         files whose base name holds "report"
  korvel-sweep --extensions=-? notes/          files without an extension
  korvel-sweep -f export -o links.txt site/    the window's export file
)";

// The window, as far as a sweep needs it: rows stream straight to the output.
class CommandLineDialog final : public RowSink, public SweepHooks {
 public:
  CommandLineDialog(RowWriter& writer, std::string keywords, std::string extensions, bool local)
      : writer_(writer),
        keywords_(std::move(keywords)),
        extensions_(std::move(extensions)),
        local_(local) {}

  void AddResultRow(std::string_view address, std::string_view location) override {
    writer_.Row(address, location);
  }
  FolderOptions Options() const { return FolderOptions{keywords_, extensions_, local_}; }
  // A folder sweep warns before it sweeps any file, so no row of the refused
  // PATH has been written.
  void ShowWarning(const std::string& text) override { warning_ = text; }

  std::string TakeWarning() { return std::exchange(warning_, {}); }

 private:
  RowWriter& writer_;
  std::string keywords_, extensions_;
  bool local_;
  std::string warning_;
};

void Complain(const std::string& path, const std::string& text) {
  std::fprintf(stderr, "korvel-sweep: %s: %s\n", path.c_str(), text.c_str());
}

enum class PathKind { Missing, File, Folder, Other };

PathKind KindOf(const std::string& path) {
#ifdef _WIN32
  struct _stat64 st;
  if (_stat64(path.c_str(), &st) != 0) return PathKind::Missing;
  const auto type = st.st_mode & _S_IFMT;
  return type == _S_IFREG ? PathKind::File : type == _S_IFDIR ? PathKind::Folder : PathKind::Other;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return PathKind::Missing;
  return S_ISREG(st.st_mode) ? PathKind::File : S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
#endif
}

// Sweeps one PATH; false when it could not be swept.
bool SweepPath(CommandLineDialog& dialog, const std::string& path) {
  const PathKind kind = KindOf(path);
  if (kind == PathKind::Missing) {
    Complain(path, std::strerror(errno));
    return false;
  }
  if (kind == PathKind::File) {
    SweepFile(dialog, path, dialog);
    return true;
  }
  if (kind == PathKind::Other) {
    Complain(path, "neither a file nor a folder");
    return false;
  }
  std::string folder = path;
#ifdef _WIN32
  if (!IsPathSeparator(folder.back())) folder += '\\';
#else
  if (folder.back() != '/') folder += '/';
#endif
  SweepFolder(dialog, folder, dialog.Options(), dialog);
  const std::string warning = dialog.TakeWarning();
  if (warning.empty()) return true;
  Complain(path, warning);
  return false;
}

int Run(int argc, char** argv) {
  CLI::App app{"Lists every address (URL, e-mail address, drive path, link value) in files "
               "and folders.",
               "korvel-sweep"};
  std::string keywords, extensions, format = "tsv", output_path;
  bool local = false;
  std::vector<std::string> paths;
  app.add_option("-k,--keywords", keywords,
                 "comma-separated keywords matched against base names (the Keywords field)");
  app.add_option("-e,--extensions", extensions,
                 "comma-separated extensions without their dot, -? for none (the Extensions field)");
  app.add_flag("-l,--local", local, "sweep only the folder itself, not its subfolders");
  app.add_option("-f,--format", format, "tsv (default), export or json")
      ->check(CLI::IsMember({"tsv", "export", "json"}));
  app.add_option("-o,--output", output_path,
                 "write to FILE, replaced in one step at the end (default: standard output)")
      ->type_name("FILE");
  app.add_option("PATH", paths, "files and folders to sweep, in order")->required();
  app.set_version_flag("--version", "korvel-sweep " KORVEL_VERSION);
  app.footer(kExamples);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitTrouble;
  }

  OutputFile output;
  std::string error;
  if (!output_path.empty() && !output.Open(output_path, error)) {
    Complain(output_path, error);
    return kExitTrouble;
  }
  const RowFormat row_format = format == "json"     ? RowFormat::Json
                               : format == "export" ? RowFormat::Export
                                                    : RowFormat::Tsv;
  RowWriter writer(output, row_format);
  CommandLineDialog dialog(writer, keywords, extensions, local);
  bool all_swept = true;
  for (const std::string& path : paths) all_swept = SweepPath(dialog, path) && all_swept;
  if (!output.Finish(error)) {
    Complain(output_path.empty() ? "standard output" : output_path, error);
    return kExitTrouble;
  }
  return all_swept ? kExitOk : kExitTrouble;
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  if (argc > 0) korvel::SetProgramArgument(argv[0]);
  try {
    return korvel::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvel-sweep: %s\n", e.what());
  }
  return korvel::kExitTrouble;
}
