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

void TitlePageCell_WithModule(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(childSeconds({"--child=cells", "with", "200"}));
}
BENCHMARK(TitlePageCell_WithModule)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void TitlePageCell_HostOnly(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(childSeconds({"--child=cells", "without", "200"}));
}
BENCHMARK(TitlePageCell_HostOnly)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void OlderPageSummaryCell_WithModule(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(childSeconds({"--child=summary", "with", "200"}));
}
BENCHMARK(OlderPageSummaryCell_WithModule)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void OlderPageSummaryCell_HostOnly(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(childSeconds({"--child=summary", "without", "200"}));
}
BENCHMARK(OlderPageSummaryCell_HostOnly)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

const bool registered = bench::addComparison({"module load (12 initialisers)", "Module_Load", "",
                                              bench::Comparison::Target::MicrosAtMost, 1000.0,
                                              "bounded by dlopen and the class and method tables the hooks edit", true}) &&
                        bench::addComparison({"title page cell, main thread", "TitlePageCell_WithModule",
                                              "TitlePageCell_HostOnly", bench::Comparison::Target::ExtraMicrosAtMost,
                                              50.0, "bounded by the strip's layout on the cells that carry it", true}) &&
                        bench::addComparison({"older summary cell, main thread", "OlderPageSummaryCell_WithModule",
                                              "OlderPageSummaryCell_HostOnly", bench::Comparison::Target::ExtraMicrosAtMost,
                                              50.0, "bounded by making the strip and laying out the cell around it", true});

}  // namespace
