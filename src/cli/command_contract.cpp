// What every subcommand shares: the error and warning lines, and the checks
// of values more than one subcommand takes.

#include <fmt/format.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "host/version.h"

namespace cli {

int fail(std::string_view command, int status, std::string_view reason) {
  std::cerr << fmt::format("scorelens{}{}: {}\n", command.empty() ? "" : " ", command, reason) << std::flush;
  return status;
}

void warn(std::string_view command, std::string_view reason) {
  std::cerr << fmt::format("scorelens {}: warning: {}\n", command, reason) << std::flush;
}

std::string unreadableFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  char byte;
  if (fd >= 0 && ::read(fd, &byte, 1) < 0) error = errno;  // a folder opens, but does not read
  if (fd >= 0) ::close(fd);
  return error ? fmt::format("cannot read {}: {}", path, std::strerror(error)) : std::string();
}

CLI::Validator nonEmpty() {
  return CLI::Validator([](std::string& text) -> std::string { return text.empty() ? "must not be empty" : ""; },
                        "TEXT");
}

CLI::Validator hostVersionCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        auto version = host::HostVersion::parse(text);
        if (!version) return version.error().message;
        if (version.value().isBelow("9.0.0"))
          return fmt::format("host {}: hosts before 9.0.0 are not simulated", text);
        return {};
      },
      "VERSION");
}

}  // namespace cli
