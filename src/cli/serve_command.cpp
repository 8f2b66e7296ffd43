// scorelens serve: the stand-in services in the foreground.

#include "cli/commands.h"
#include "cli/install_layout.h"
#include "services/serve_command.h"

namespace cli {

void addServeCommand(CLI::App& app, Runner& run) {
  auto options = std::make_shared<services::ServeOptions>();
  if (installLayout().installed) options->catalog = installLayout().ratingsCatalogPath;
  auto* cmd = app.add_subcommand("serve", "Run the stand-in ratings, search and certified-status services");
  cmd->add_option("--port", options->port, "Port on 127.0.0.1 (default: any free port)");
  cmd->add_option("--catalog", options->catalog, "Ratings catalog (JSON array of search hits)");
  cmd->add_option("--ca-out", options->caOut, "Also write the test CA certificate here");
  cmd->callback([&run, options] {
    run = [options] {
      if (!options->catalog.empty())
        if (std::string why = unreadableFile(options->catalog.string()); !why.empty()) return fail("serve", kFileError, why);
      return services::runServeCommand(*options);
    };
  });
}

}  // namespace cli
