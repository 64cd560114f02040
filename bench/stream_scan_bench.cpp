// One scan of one file, timed, with the process's peak memory (Linux: reads
// /proc), for bench/scripts/stream-scan. Run once per measurement, so that
// the peak belongs to that scan alone.
//   stream_scan_bench stream FILE [CHUNK_BYTES]   the streamed scan
//   stream_scan_bench whole FILE                  read whole, then ScanText
//   stream_scan_bench dense FILE BYTES            writes a file of distinct addresses
// Prints: seconds, MB/s, rows, bytes of the rows, peak RSS in bytes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "scan/address_scanner.h"
#include "scan/stream_scan.h"
#include "scan/text_file.h"

namespace {

long long PeakRss() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 6, "VmHWM:") == 0) return std::atoll(line.c_str() + 6) * 1024;
  return -1;
}

class FileSource : public korvel::ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  long long Read(char* buffer, std::size_t count) override {
    const std::size_t n = std::fread(buffer, 1, count, file_);
    return n == 0 && std::ferror(file_) ? -1 : static_cast<long long>(n);
  }

 private:
  std::FILE* file_;
};

// Lines of distinct addresses, about 33 bytes each.
int WriteDense(const char* path, unsigned long long size) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  char line[64];
  for (unsigned long long i = 0, written = 0; written < size; ++i) {
    const int n = std::snprintf(line, sizeof line, "u%09llu@h%05llu.example.org\n", i, i % 99991);
    std::fwrite(line, 1, static_cast<std::size_t>(n), out);
    written += static_cast<unsigned long long>(n);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: stream_scan_bench stream|whole|dense FILE [N]\n");
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "dense" && argc == 4) return WriteDense(argv[2], std::strtoull(argv[3], nullptr, 10));

  const auto start = std::chrono::steady_clock::now();
  std::size_t rows = 0, row_bytes = 0, file_bytes = 0;
  if (mode == "stream") {
    std::FILE* file = std::fopen(argv[2], "rb");
    if (file == nullptr) return 1;
    std::setvbuf(file, nullptr, _IONBF, 0);
    korvel::StreamScanner scanner(argc > 3 ? std::strtoull(argv[3], nullptr, 10)
                                           : korvel::StreamScanner::kDefaultChunk);
    FileSource source(file);
    korvel::AddressBatch batch;
    file_bytes = scanner.Scan(source, 0, batch).bytes_read;
    std::fclose(file);
    rows = batch.Count();
    row_bytes = batch.Bytes().size();
  } else if (mode == "whole") {
    std::string text;
    korvel::ReadTextFile(argv[2], text);
    file_bytes = text.size();
    korvel::AddressScanner scanner;
    scanner.ScanText(std::move(text), false);
    rows = scanner.Count();
    for (const std::string& row : scanner.Addresses()) row_bytes += row.size();
  } else {
    return 2;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f %.1f %zu %zu %lld\n", seconds, file_bytes / 1e6 / seconds, rows, row_bytes,
              PeakRss());
  return 0;
}
