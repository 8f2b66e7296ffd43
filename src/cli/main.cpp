// The scorelens command: one subcommand per job.

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"ScoreLens: critic and audience scores on a streaming app's title pages"};
  app.require_subcommand(0, 1);
  CLI11_PARSE(app, argc, argv);
  if (argc < 2) std::puts(app.help().c_str());
  return 0;
}
