// Scanner throughput over the documentation corpus, the time for a text with
// a million distinct addresses, and texts built to make a careless scanner
// slow. Usage: scanner_bench --corpus=DIR [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "scan/address_scanner.h"

namespace {

namespace fs = std::filesystem;

std::string g_corpus = "bench/corpus";

struct Corpus {
  std::vector<std::string> paths;
  std::vector<std::string> texts;
  std::size_t bytes = 0;
};

const Corpus& LoadCorpus(const std::string& part) {
  static std::map<std::string, Corpus> loaded;
  auto [it, fresh] = loaded.try_emplace(part);
  if (fresh) {
    const fs::path folder = fs::path(g_corpus) / part;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
      if (entry.is_regular_file()) it->second.paths.push_back(entry.path().string());
    std::sort(it->second.paths.begin(), it->second.paths.end());
    for (const std::string& path : it->second.paths) {
      std::ifstream in(path, std::ios::binary);
      it->second.texts.emplace_back(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
      it->second.bytes += it->second.texts.back().size();
    }
  }
  return it->second;
}

// The bytes of one scan go into a counter, which the summary reads back.
void Record(benchmark::State& state, double bytes) {
  state.counters["bytes"] = bytes;
  state.SetBytesProcessed(static_cast<int64_t>(bytes * static_cast<double>(state.iterations())));
}

// Scans every file of a corpus part, one ScanText each (the call copies the
// text, as for any caller that keeps its own).
void ScanCorpusTexts(benchmark::State& state, const char* part) {
  const Corpus& corpus = LoadCorpus(part);
  if (corpus.texts.empty()) {
    state.SkipWithError("corpus missing: run bench/make-corpus");
    return;
  }
  korvel::AddressScanner scanner;
  std::size_t found = 0;
  for (auto _ : state) {
    for (const std::string& text : corpus.texts) {
      scanner.ScanText(text, false);
      found += scanner.Count();
    }
  }
  benchmark::DoNotOptimize(found);
  state.counters["addresses"] =
      static_cast<double>(found) / static_cast<double>(state.iterations());
  Record(state, static_cast<double>(corpus.bytes));
}

void ScanCorpusFiles(benchmark::State& state, const char* part) {
  const Corpus& corpus = LoadCorpus(part);
  if (corpus.paths.empty()) {
    state.SkipWithError("corpus missing: run bench/make-corpus");
    return;
  }
  korvel::AddressScanner scanner;
  for (auto _ : state)
    for (const std::string& path : corpus.paths) scanner.ScanFile(path, false);
  Record(state, static_cast<double>(corpus.bytes));
}

void Html(benchmark::State& state) { ScanCorpusTexts(state, "html"); }
void Text(benchmark::State& state) { ScanCorpusTexts(state, "text"); }
void HtmlFiles(benchmark::State& state) { ScanCorpusFiles(state, "html"); }

// One text, one address a line, every address different: web addresses,
// e-mail addresses, drive paths and link values in turn.
std::string DistinctAddressText(std::size_t count) {
  std::string text;
  char line[128];
  for (std::size_t i = 0; i < count; ++i) {
    switch (i % 4) {
      case 0:
        std::snprintf(line, sizeof line, "see http://host%zu.example.org/page.html\n", i);
        break;
      case 1: std::snprintf(line, sizeof line, "mail user%zu@example.com today\n", i); break;
      case 2: std::snprintf(line, sizeof line, "open C:\\Data\\file%zu.txt now\n", i); break;
      default: std::snprintf(line, sizeof line, "<a href=\"page%zu.html\">x</a>\n", i); break;
    }
    text += line;
  }
  return text;
}

void DistinctAddresses(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const std::string text = DistinctAddressText(count);
  korvel::AddressScanner scanner;
  for (auto _ : state) scanner.ScanText(text, false);
  if (scanner.Count() != count) state.SkipWithError("wrong number of addresses");
  Record(state, static_cast<double>(text.size()));
}

std::string Repeat(const std::string& piece, std::size_t size) {
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  return text;
}

constexpr std::size_t k50MB = 50u << 20;

void Pathological(benchmark::State& state, const std::string& piece) {
  const std::string text = Repeat(piece, k50MB);
  korvel::AddressScanner scanner;
  for (auto _ : state) scanner.ScanText(text, false);
  Record(state, static_cast<double>(text.size()));
}

// A single 50 MB line without blanks, dense with the characters every pass
// looks for.
void LongLine(benchmark::State& state) {
  Pathological(state, "a.b@c.d:/e\\f=g'h\"i../j:k@l=\"mhref=srcwww.x/");
}

}  // namespace

BENCHMARK(Html)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(Text)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(HtmlFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(DistinctAddresses)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(Pathological, at_signs, "@")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, colon_backslash, ":\\")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, drive_paths, "a:\\")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, href_open_quote, "href=\"")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, href_apostrophe_quote, "href='a href=\"b ")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, http_no_stop, "http:")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, dot_dot_slash, "../")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, mailbox_run, "a.")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(Pathological, blanks_then_equals, "src       =")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(LongLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

namespace {

// The usual console table, then the figures that matter in plain words.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto bytes = run.counters.find("bytes");
      if (run.error_occurred || run.iterations <= 0 || bytes == run.counters.end()) continue;
      const auto iterations = static_cast<double>(run.iterations);
      results_.push_back(
          {run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args),
           run.real_accumulated_time / iterations, run.cpu_accumulated_time / iterations,
           bytes->second.value});
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf(
        "\nScanner summary (1 GB = 10^9 bytes; wall clock, and in brackets the process's CPU "
        "time,\n"
        "which other programs on a busy machine do not inflate):\n");
    for (const Result& r : results_) {
      const double wall = r.bytes / r.wall / 1e9, cpu = r.bytes / r.cpu / 1e9;
      const char* what = nullptr;
      if (r.name == "Html") what = "Scanner throughput, HTML manuals (ScanText per file)";
      if (r.name == "Text") what = "Scanner throughput, text documentation (ScanText per file)";
      if (r.name == "HtmlFiles") what = "HTML manuals read and scanned (ScanFile, page cache)";
      if (what != nullptr) {
        std::printf("  %-56s %5.1f MB: %5.2f GB/s  (%5.2f GB/s CPU)\n", what, r.bytes / 1e6, wall,
                    cpu);
      } else if (r.name.rfind("DistinctAddresses", 0) == 0) {
        std::printf("  1,000,000 distinct addresses in one %.1f MB text: %.3f s  (%.3f s CPU)\n",
                    r.bytes / 1e6, r.wall, r.cpu);
      } else {
        std::printf("  %-56s %5.1f MB: %6.3f s  (%.2f GB/s)\n", r.name.c_str(), r.bytes / 1e6,
                    r.wall, wall);
      }
    }
    std::fflush(stdout);
  }

 private:
  struct Result {
    std::string name;
    double wall, cpu, bytes;  // seconds per iteration, bytes per iteration
  };
  std::vector<Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--corpus=", 9) == 0)
      g_corpus = argv[i] + 9;
    else
      args.push_back(argv[i]);
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
