// The benchmark runner: Google Benchmark's console output, then one table of
// every figure against its reference and its target.

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "bench_support.h"
#include "child_modes.h"

namespace bench {
namespace {

std::vector<Comparison>& comparisons() {
  static std::vector<Comparison> list;
  return list;
}

std::string& self() {
  static std::string path;
  return path;
}

struct Measured {
  double wallNanos = 0;  // per iteration
  double cpuNanos = 0;
  double bytesPerSecond = 0;
};

class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0) continue;
      Measured m;
      m.wallNanos = run.real_accumulated_time / static_cast<double>(run.iterations) * 1e9;
      m.cpuNanos = run.cpu_accumulated_time / static_cast<double>(run.iterations) * 1e9;
      if (auto it = run.counters.find("bytes_per_second"); it != run.counters.end()) m.bytesPerSecond = it->second;
      measured_[run.run_name.function_name] = m;  // without "/iterations:10" and the like
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-34s %14s %14s %9s %12s  %s\n", "figure", "measured", "reference", "ratio", "target", "met");
    for (const Comparison& c : comparisons()) printRow(c);
  }

 private:
  static std::string micros(double nanos) {
    return nanos >= 1e6 ? fmt::format("{:.2f} ms", nanos / 1e6) : fmt::format("{:.2f} µs", nanos / 1000);
  }

  void printRow(const Comparison& c) {
    auto figure = measured_.find(c.figure);
    auto reference = measured_.find(c.reference);
    if (figure == measured_.end() || (!c.reference.empty() && reference == measured_.end())) {
      std::printf("%-34s (not run)\n", c.name.c_str());
      return;
    }
    const Measured fm = figure->second;
    const Measured rm = c.reference.empty() ? Measured{} : reference->second;
    struct {
      double nanos, bytesPerSecond;
    } f{(c.wallClock ? fm.wallNanos : fm.cpuNanos) / c.perIteration, fm.bytesPerSecond},
        r{(c.wallClock ? rm.wallNanos : rm.cpuNanos) / c.perIteration, rm.bytesPerSecond};
    std::string shown, ref, ratio, target;
    bool met = false;
    switch (c.target) {
      case Comparison::Target::RatioAtMost:
        shown = micros(f.nanos);
        ref = micros(r.nanos);
        ratio = fmt::format("{:.2f}x", f.nanos / r.nanos);
        target = fmt::format("<= {:.2f}x", c.bound);
        met = f.nanos / r.nanos <= c.bound;
        break;
      case Comparison::Target::ExtraMicrosAtMost:
        shown = micros(f.nanos);
        ref = micros(r.nanos);
        ratio = fmt::format("{:.2f}x", f.nanos / r.nanos);
        target = fmt::format("+{:.0f} µs", c.bound);
        met = (f.nanos - r.nanos) / 1000 <= c.bound;
        break;
      case Comparison::Target::BytesPerSecondAtLeast:
        shown = fmt::format("{:.2f} GB/s", f.bytesPerSecond / 1e9);
        ref = c.reference.empty() ? "-" : fmt::format("{:.2f} GB/s", r.bytesPerSecond / 1e9);
        ratio = c.reference.empty() ? "-" : fmt::format("{:.1f}x", f.bytesPerSecond / r.bytesPerSecond);
        target = fmt::format(">= {:.1f} GB/s", c.bound / 1e9);
        met = f.bytesPerSecond >= c.bound;
        break;
      case Comparison::Target::MicrosAtMost:
        shown = micros(f.nanos);
        ref = c.reference.empty() ? "-" : micros(r.nanos);
        ratio = c.reference.empty() ? "-" : fmt::format("{:.2f}x", f.nanos / r.nanos);
        target = fmt::format("< {:.0f} µs", c.bound);
        met = f.nanos / 1000 < c.bound;
        break;
    }
    std::printf("%-34s %14s %14s %9s %12s  %s\n", c.name.c_str(), shown.c_str(), ref.c_str(), ratio.c_str(),
                target.c_str(), met ? "yes" : "NO");
    if (!met && !c.bounds.empty()) std::printf("    %s\n", c.bounds.c_str());
  }

  std::map<std::string, Measured> measured_;
};

}  // namespace

bool addComparison(Comparison comparison) {
  comparisons().push_back(std::move(comparison));
  return true;
}

const std::string& selfPath() { return self(); }

std::string runChild(const std::vector<std::string>& arguments) {
  std::string command = "'" + self() + "'";
  for (const std::string& a : arguments) command += " '" + a + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    std::perror("popen");
    std::abort();
  }
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (int status = ::pclose(pipe); status != 0) {
    std::fprintf(stderr, "benchmark child failed (%d): %s\n", status, command.c_str());
    std::abort();
  }
  return out;
}

}  // namespace bench

int main(int argc, char** argv) {
  bench::self() = std::filesystem::read_symlink("/proc/self/exe").string();
  // A child measures in a process of its own and prints its figures.
  if (argc >= 2 && std::strncmp(argv[1], "--child=", 8) == 0) return bench::runChildMode(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
