// The scorelens command: one subcommand per job.

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <string>

#include "cli/commands.h"
#include "cli/install_layout.h"

namespace {
// The CLI plays the device for commands that use the module without the
// simulated host (lookup, preview): the device's libroot, which maps the
// module's resource folder into the jailbreak root, sits beside the module.
void useDeviceLibroot() {
  std::string module = cli::installLayout().modulePath;
  std::string dir = module.substr(0, module.rfind('/'));
  setenv("SCORELENS_RPATH", dir.c_str(), /*overwrite=*/0);
}
}  // namespace

int main(int argc, char** argv) {
  useDeviceLibroot();
  CLI::App app{"ScoreLens: critic and audience scores on a streaming app's title pages"};
  app.require_subcommand(1);
  cli::Runner run;
  cli::addAppCommand(app, run);
  cli::addDemoCommand(app, run);
  cli::addLookupCommand(app, run);
  cli::addPreviewCommand(app, run);
  cli::addServeCommand(app, run);
  cli::addSettingsCommand(app, run);
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
