#include "cli/app_host_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>

extern char** environ;

namespace cli::app {

std::unique_ptr<HostChild> HostChild::start(const std::vector<std::string>& args, std::string* error) {
  int toChild[2], fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    *error = "no pipe for the host process";
    return nullptr;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    *error = "no pipe for the host process";
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // The child starts with no signal blocked, whatever the server's threads block.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  std::unique_ptr<HostChild> child(new HostChild);
  int spawned = posix_spawn(&child->pid_, "/proc/self/exe", &actions, &attributes, argv.data(), ::environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(toChild[0]);
  close(fromChild[1]);
  child->in_ = toChild[1];
  child->out_ = fromChild[0];
  if (spawned != 0) {
    child->pid_ = -1;
    *error = "the host process could not be started";
    return nullptr;
  }
  // Booting loads the module and opens the first screen: a few seconds at most.
  std::optional<std::string> ready = child->readLine(60);
  nlohmann::json answer = ready ? nlohmann::json::parse(*ready, nullptr, false) : nlohmann::json();
  if (!answer.is_object() || !answer.value("ready", false)) {
    *error = "the host process did not start (see its message above)";
    return nullptr;
  }
  return child;
}

HostChild::~HostChild() {
  if (in_ >= 0) close(in_);
  if (pid_ > 0) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      usleep(10'000);
    }
  }
  if (out_ >= 0) close(out_);
}

std::optional<std::string> HostChild::readLine(int timeoutSeconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  for (;;) {
    if (size_t end = buffered_.find('\n'); end != std::string::npos) {
      std::string line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[65536];
    ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    buffered_.append(buffer, static_cast<size_t>(n));
  }
}

std::optional<nlohmann::json> HostChild::ask(const nlohmann::json& request, int timeoutSeconds) {
  if (pid_ <= 0) return std::nullopt;
  std::string line = request.dump() + "\n";
  for (size_t sent = 0; sent < line.size();) {
    ssize_t n = write(in_, line.data() + sent, line.size() - sent);
    if (n <= 0) return std::nullopt;
    sent += static_cast<size_t>(n);
  }
  std::optional<std::string> answer = readLine(timeoutSeconds);
  nlohmann::json parsed = answer ? nlohmann::json::parse(*answer, nullptr, false) : nlohmann::json();
  if (!parsed.is_object()) {
    kill(pid_, SIGKILL);  // silent or garbled: it cannot be trusted with the next request
    return std::nullopt;
  }
  return parsed;
}

}  // namespace cli::app
