#pragma once
// Each subcommand registers its options on the app and, when chosen, leaves
// the function that runs it. Every subcommand keeps one exit-status contract
// (kExitStatusTable); a non-zero status comes with one line on standard
// error, "scorelens <subcommand>: reason".

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <string_view>

namespace cli {

using Runner = std::function<int()>;

enum ExitStatus : int {
  kDone = 0,          // the command did its job
  kFileError = 1,     // a file the user named could not be read or written
  kBadUsage = 2,      // unknown option, subcommand or value
  kLookupFailed = 3,  // no rating, and a request failed
  kBadLines = 4,      // a batch had lines that are not valid facts (and no lookup failed)
};

// The contract as --help and the README show it.
inline constexpr const char* kExitStatusTable =
    "Exit status:\n"
    "  0  the command did its job (a page shown, a rating or no rating found, a picture written)\n"
    "  1  a file you named could not be read or written (the system's reason follows)\n"
    "  2  bad usage: an unknown option, subcommand or value\n"
    "  3  a lookup failed: no rating, and a request failed\n"
    "  4  a batch had lines that are not valid facts (and no lookup failed)\n"
    "Every non-zero status prints one line on standard error: \"scorelens <subcommand>: reason\".";

// Prints "scorelens <command>: reason" on standard error and returns status.
int fail(std::string_view command, int status, std::string_view reason);
// "scorelens <command>: warning: reason" on standard error.
void warn(std::string_view command, std::string_view reason);

// Why the file the user named at path cannot be read ("cannot read PATH:
// No such file or directory"), or "" when it can.
std::string unreadableFile(const std::string& path);

// The option checks that more than one subcommand shares.
// A value that is not empty.
CLI::Validator nonEmpty();
// A host version the simulated host can boot: dotted decimal numbers, 9.0.0 or later.
CLI::Validator hostVersionCheck();

void addServeCommand(CLI::App& app, Runner& run);
void addLookupCommand(CLI::App& app, Runner& run);
void addPreviewCommand(CLI::App& app, Runner& run);
void addDemoCommand(CLI::App& app, Runner& run);
void addSettingsCommand(CLI::App& app, Runner& run);
void addAppCommand(CLI::App& app, Runner& run);

}  // namespace cli
