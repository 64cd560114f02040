// Peak memory while the scanner reads and scans one big file, as a multiple
// of the file's size. Each file is scanned in a child process of its own, so
// that memory kept by earlier scans does not hide what a scan needs.
// Usage: scan_memory --corpus=DIR [--size-mb=N]     (Linux: reads /proc)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "scan/address_scanner.h"

namespace fs = std::filesystem;

namespace {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 if unknown.
long long StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::atoll(line.c_str() + length + 1) * 1024;
  return -1;
}

// Makes the kernel forget the peak so far; the peak restarts at the current size.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// Writes a file of at least `size` bytes by repeating `write_piece`.
void WriteFile(const fs::path& path, std::size_t size,
               const std::function<std::string(std::size_t)>& piece) {
  std::ofstream out(path, std::ios::binary);
  std::size_t written = 0;
  for (std::size_t i = 0; written < size; ++i) {
    const std::string bytes = piece(i);
    if (bytes.empty()) break;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    written += bytes.size();
  }
}

std::vector<std::string> CorpusFiles(const fs::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Scans `path` in a child process and prints the peak above the start.
bool Measure(const char* label, const fs::path& path) {
  const auto size = static_cast<double>(fs::file_size(path));
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const bool reset = ResetPeak();
    const long long before = StatusBytes("VmRSS");
    korvel::AddressScanner scanner;
    scanner.ScanFile(path.string(), false);
    const long long peak = StatusBytes("VmHWM");
    if (!reset || before < 0 || peak < 0) {
      std::printf("  %-34s cannot measure (no /proc peak reset)\n", label);
    } else {
      std::printf(
          "  %-34s %7.1f MB file, %5zu addresses, peak %7.1f MB above start = %.2fx the file "
          "size\n",
          label, size / 1e6, scanner.Count(), static_cast<double>(peak - before) / 1e6,
          static_cast<double>(peak - before) / size);
    }
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string corpus = "bench/corpus";
  std::size_t size = 256u << 20;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--corpus=", 9) == 0)
      corpus = argv[i] + 9;
    else if (std::strncmp(argv[i], "--size-mb=", 10) == 0)
      size = std::strtoull(argv[i] + 10, nullptr, 10) << 20;
  }
  const fs::path folder =
      fs::temp_directory_path() / ("korvel-scan-memory-" + std::to_string(getpid()));
  fs::create_directories(folder);

  struct Case {
    const char* label;
    std::function<std::string(std::size_t)> piece;
  };
  const std::vector<std::string> html = CorpusFiles(fs::path(corpus) / "html");
  const std::vector<std::string> text = CorpusFiles(fs::path(corpus) / "text");
  auto from = [](const std::vector<std::string>& files) {
    return [&files](std::size_t i) {
      return files.empty() ? std::string() : ReadWhole(files[i % files.size()]);
    };
  };
  const std::vector<Case> cases = {
      {"HTML manuals, concatenated", from(html)},
      {"Text documentation, concatenated", from(text)},
      {"\"../ \" repeated",
       [](std::size_t) {
         std::string s;
         for (int k = 0; k < 4096; ++k) s += "../ ";
         return s;
       }},
      {"\"src=\" repeated",
       [](std::size_t) {
         std::string s;
         for (int k = 0; k < 4096; ++k) s += "src=";
         return s;
       }},
  };

  std::printf("Peak memory of one ScanFile (1 MB = 10^6 bytes):\n");
  bool ok = true;
  for (const Case& c : cases) {
    const fs::path path = folder / "scan-memory.bin";
    WriteFile(path, size, c.piece);
    if (fs::file_size(path) == 0) {
      std::printf("  %-34s skipped: corpus missing (run bench/make-corpus)\n", c.label);
      continue;
    }
    ok = Measure(c.label, path) && ok;
    fs::remove(path);
  }
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
