#pragma once
// What the benchmarks share: each figure is measured beside its reference in
// the same run, and the closing table prints them side by side with the ratio
// and the target.

#include <string>
#include <vector>

namespace bench {

struct Comparison {
  enum class Target {
    RatioAtMost,            // figure time / reference time <= target
    ExtraMicrosAtMost,      // figure time - reference time <= target µs
    BytesPerSecondAtLeast,  // the figure's bytes/s >= target
    MicrosAtMost,           // the figure's time <= target µs
  };
  std::string name;
  std::string figure;     // benchmark names
  std::string reference;  // empty: the target alone is the reference
  Target target;
  double bound;
  std::string bounds;  // what bounds the figure, printed when the target is missed
  // Wall-clock time (transfers, child processes); otherwise CPU time, which a
  // machine shared with other work disturbs less.
  bool wallClock = false;
  // Items per iteration (lookups in a sample), so the table shows one item.
  double perIteration = 1;
};

// Registers a row of the closing table; call at static initialisation.
bool addComparison(Comparison comparison);

// The path of this benchmark binary and its arguments, for child processes
// that need a process of their own (a host boots once per process).
const std::string& selfPath();

// Runs this binary with the arguments and returns its standard output;
// aborts when it fails.
std::string runChild(const std::vector<std::string>& arguments);

}  // namespace bench
