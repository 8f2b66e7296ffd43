// The scorelens command: one subcommand per job, one exit-status contract
// (commands.h).

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/install_layout.h"
#include "scorelens/hooks/settings/settings_content.h"

namespace {
// The CLI plays the device for commands that use the module without the
// simulated host (lookup, preview): the device's libroot, which maps the
// module's resource folder into the jailbreak root, sits beside the module.
void useDeviceLibroot() {
  std::string module = cli::installLayout().modulePath;
  std::string dir = module.substr(0, module.rfind('/'));
  setenv("SCORELENS_RPATH", dir.c_str(), /*overwrite=*/0);
}

std::vector<std::string> subcommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
  std::sort(names.begin(), names.end());
  return names;
}

// The subcommand the arguments chose, for the error line; "" when none.
std::string chosenSubcommand(CLI::App& app, int argc, char** argv) {
  const std::vector<std::string> names = subcommandNames(app);
  for (int i = 1; i < argc; ++i)
    if (std::find(names.begin(), names.end(), argv[i]) != names.end()) return argv[i];
  return "";
}

// CLI11's message on one line, starting lower-case as the other reasons do.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
      std::islower(static_cast<unsigned char>(text[1])))
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}
}  // namespace

int main(int argc, char** argv) {
  useDeviceLibroot();
  CLI::App app{"ScoreLens: critic and audience scores on a streaming app's title pages", "scorelens"};
  app.set_version_flag("--version", std::string("scorelens ") + hooks::settings::kModuleVersion,
                       "Print the version (the command's, the module's and the package's) and exit");
  app.footer(cli::kExitStatusTable);
  app.require_subcommand(1);
  cli::Runner run;
  cli::addAppCommand(app, run);
  cli::addDemoCommand(app, run);
  cli::addLookupCommand(app, run);
  cli::addPreviewCommand(app, run);
  cli::addServeCommand(app, run);
  cli::addSettingsCommand(app, run);
  const std::string known = fmt::format("{}", fmt::join(subcommandNames(app), ", "));
  // A first word that is no subcommand and no option: name it, not "a subcommand is required".
  if (argc > 1 && argv[1][0] != '-' && chosenSubcommand(app, 2, argv).empty())
    return cli::fail("", cli::kBadUsage, fmt::format("unknown subcommand \"{}\"; the subcommands are {}", argv[1], known));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    const std::string command = chosenSubcommand(app, argc, argv);
    std::string reason = oneLine(e.what());
    if (command.empty() && dynamic_cast<const CLI::RequiredError*>(&e))
      reason = fmt::format("a subcommand is required; one of {} (see scorelens --help)", known);
    return cli::fail(command, cli::kBadUsage, reason);
  }
  return run ? run() : cli::kBadUsage;
}
