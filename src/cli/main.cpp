// The scorelens command: one subcommand per job.

#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"ScoreLens: critic and audience scores on a streaming app's title pages"};
  app.require_subcommand(1);
  cli::Runner run;
  cli::addDemoCommand(app, run);
  cli::addLookupCommand(app, run);
  cli::addPreviewCommand(app, run);
  cli::addServeCommand(app, run);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  return run ? run() : 2;
}
