#pragma once
// The command's handle on the child process that holds a host: started
// with the program's own binary, asked one JSON line at a time. Not thread
// safe: the server asks it under one lock.

#include <sys/types.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace cli::app {

class HostChild {
 public:
  // Starts "scorelens app --host-process" with args and waits for it to
  // say it is ready; nullptr with the reason in *error when it is not.
  static std::unique_ptr<HostChild> start(const std::vector<std::string>& args, std::string* error);
  // Closes its input, which ends it, and waits for it (ending it by signal
  // when it does not go within two seconds).
  ~HostChild();
  HostChild(const HostChild&) = delete;
  HostChild& operator=(const HostChild&) = delete;

  // One request, one answer; nullopt when the child has gone (or answered
  // nothing in timeoutSeconds, when it is ended).
  std::optional<nlohmann::json> ask(const nlohmann::json& request, int timeoutSeconds = 30);

 private:
  HostChild() = default;
  std::optional<std::string> readLine(int timeoutSeconds);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffered_;
};

}  // namespace cli::app
