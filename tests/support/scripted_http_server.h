#pragma once

// Plain-HTTP loopback server that answers each connection with bytes the test
// scripts, for what a well-behaved server library will not do: show a request
// exactly as it arrived, cut a body short, reset a connection. One connection
// at a time, one request per connection; the server closes it after replying,
// so scripted replies should say "Connection: close".

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace support {

class ScriptedHttpServer {
 public:
  struct Reply {
    std::string bytes;   // written as they are
    bool reset = false;  // then an abortive close (RST) instead of a clean one
  };
  using Script = std::function<Reply(const std::string& request)>;

  explicit ScriptedHttpServer(Script script) : script_(std::move(script)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::pipe(wake_) != 0) {
      std::perror("ScriptedHttpServer");
      std::abort();
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~ScriptedHttpServer() {
    (void)!::write(wake_[1], "x", 1);
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
  }

  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  // Every request received so far, head and body, byte for byte.
  std::vector<std::string> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  // Waits for `fd` to be readable, or for the stop signal or the deadline.
  bool readable(int fd, std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    int timeout = static_cast<int>(std::max<long long>(left.count(), 0));
    return ::poll(fds, 2, timeout) > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !fds[1].revents;
  }

  void serve() {
    for (;;) {
      pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
      if (fds[1].revents) return;
      if (!(fds[0].revents & POLLIN)) continue;
      int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      handle(connection);
    }
  }

  void handle(int connection) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string request;
    std::size_t expected = std::string::npos;
    while (expected == std::string::npos || request.size() < expected) {
      if (!readable(connection, deadline)) break;
      char buffer[4096];
      ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
      auto headEnd = request.find("\r\n\r\n");
      if (expected == std::string::npos && headEnd != std::string::npos)
        expected = headEnd + 4 + contentLength(request.substr(0, headEnd));
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    Reply reply = script_(request);
    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
      ssize_t n = ::send(connection, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    if (reply.reset) {
      linger abort{1, 0};
      ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    ::close(connection);
  }

  static std::size_t contentLength(const std::string& head) {
    std::string lower;
    for (char c : head) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    auto at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoul(lower.c_str() + at + 17, nullptr, 10);
  }

  Script script_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace support
