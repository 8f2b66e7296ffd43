#pragma once
// Each subcommand registers its options on the app and, when chosen, leaves
// the function that runs it. Exit statuses: 0 done, 2 bad usage, others per
// command.

#include <CLI/CLI.hpp>

#include <functional>

namespace cli {

using Runner = std::function<int()>;

void addServeCommand(CLI::App& app, Runner& run);
void addLookupCommand(CLI::App& app, Runner& run);
void addPreviewCommand(CLI::App& app, Runner& run);
void addDemoCommand(CLI::App& app, Runner& run);
void addSettingsCommand(CLI::App& app, Runner& run);
void addAppCommand(CLI::App& app, Runner& run);

}  // namespace cli
