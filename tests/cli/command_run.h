#pragma once
// Runs the scorelens command as a child process, as people and scripts do:
// its standard output and exit status (-1 when it did not exit normally).

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct CommandRun {
  int status = -1;
  std::string out;
};

// `prefix` goes before the command (for example environment assignments).
inline CommandRun runScorelens(const std::string& args, const std::string& prefix = "") {
  std::string command = prefix + std::string(SCORELENS_BINARY) + " " + args + " 2>/dev/null";
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}
