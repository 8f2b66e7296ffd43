#pragma once
// Runs the scorelens command as a child process, as people and scripts do:
// its standard output, standard error and exit status (-1 when it did not
// exit normally).

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

// `prefix` goes before the command (for example environment assignments).
inline CommandRun runScorelens(const std::string& args, const std::string& prefix = "") {
  CommandRun run;
  char errPath[] = "/tmp/scorelens-stderr-XXXXXX";
  int errFile = ::mkstemp(errPath);
  if (errFile < 0) return run;
  ::close(errFile);
  std::string command = prefix + std::string(SCORELENS_BINARY) + " " + args + " 2>" + errPath;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::ostringstream err;
  err << std::ifstream(errPath).rdbuf();
  run.err = err.str();
  std::remove(errPath);
  return run;
}
