// The module inside the host: loading it, and the main thread's work for each
// cell of the title page (and the older page's summary cell) against the
// host's own. Each sample is a child
// process (a host boots once per process); the figures are its timings.

#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"

namespace {

double childSeconds(const std::vector<std::string>& arguments) {
  return std::stod(bench::runChild(arguments)) / 1e9;
}

void Module_Load(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(childSeconds({"--child=load"}));
}
BENCHMARK(Module_Load)->UseManualTime()->Iterations(10)->Unit(benchmark::kMicrosecond);

// The main thread's time per cell handed out, in a child that opens the page
// with or without the module.
void Cell(benchmark::State& state, const char* page, const char* module) {
  for (auto _ : state) state.SetIterationTime(childSeconds({page, module, "200"}));
}
BENCHMARK_CAPTURE(Cell, TitlePage_WithModule, "--child=cells", "with")
    ->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Cell, TitlePage_HostOnly, "--child=cells", "without")
    ->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Cell, OlderPageSummary_WithModule, "--child=summary", "with")
    ->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Cell, OlderPageSummary_HostOnly, "--child=summary", "without")
    ->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

const bool registered = bench::addComparison({"module load (12 initialisers)", "Module_Load", "",
                                              bench::Comparison::Target::MicrosAtMost, 1000.0,
                                              "bounded by dlopen and the class and method tables the hooks edit", true}) &&
                        bench::addComparison({"title page cell, main thread", "Cell/TitlePage_WithModule",
                                              "Cell/TitlePage_HostOnly", bench::Comparison::Target::ExtraMicrosAtMost,
                                              50.0, "bounded by the strip's layout on the cells that carry it", true}) &&
                        bench::addComparison({"older summary cell, main thread", "Cell/OlderPageSummary_WithModule",
                                              "Cell/OlderPageSummary_HostOnly", bench::Comparison::Target::ExtraMicrosAtMost,
                                              50.0, "bounded by making the strip and laying out the cell around it", true});

}  // namespace
