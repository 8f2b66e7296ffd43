#pragma once
// scorelens lookup --batch: many titles' ratings in one run, one JSON result
// per input line, in input order.

#include <CLI/CLI.hpp>

#include <string>

#include "cli/service_setup.h"

namespace cli {

struct BatchOptions {
  std::string file;  // "-" for standard input
  int concurrency = 16;
  bool stats = false;
};

// Adds --batch, --concurrency and --stats to the lookup command; returns the
// --batch option.
CLI::Option* addBatchOptions(CLI::App* command, BatchOptions& options);

// Exit status: 0 when every line gave a result that is not a failure, 3 when
// some lookup failed, else 4 when some line was not valid facts; one line on
// standard error counts them.
int runBatchLookup(const BatchOptions& options, bool noCertify, const ServiceOptions& services);

}  // namespace cli
