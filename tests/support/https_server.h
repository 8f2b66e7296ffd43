#pragma once

// Loopback HTTPS server for tests: cpp-httplib's SSLServer on 127.0.0.1 with
// an ephemeral port and a certificate from a fresh test authority. Register
// handlers on http(), then start(); the destructor opens every gate, stops the
// server and joins its thread. Needs the scorelens_services library.

#include <httplib.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "services/tls/certificates.h"

namespace support {

[[noreturn]] inline void fatal(const std::string& what) {
  std::fprintf(stderr, "test support: %s\n", what.c_str());
  std::abort();
}

// A fresh directory under the system's temporary directory, removed with
// everything in it when this object dies.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scorelens-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) fatal("mkdtemp failed for " + pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A one-way signal between threads: closed until open() is called, then open
// for good. Used both to hold a handler until a test releases it and to tell a
// test that a handler has been entered.
class Gate {
 public:
  void open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    changed_.notify_all();
  }
  // Waits until open or until `timeout` passes; true when open.
  bool wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return open_; });
  }
  bool isOpen() {
    std::lock_guard lock(mutex_);
    return open_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

class HttpsServer {
 public:
  explicit HttpsServer(const std::vector<std::string>& dnsNames = {"localhost"},
                       services::tls::KeyKind kind = services::tls::KeyKind::EcP256) {
    auto credentials = services::tls::makeServerCredentials(dnsNames, kind);
    if (!credentials) fatal("test credentials: " + credentials.error());
    auto files = services::tls::writeCredentials(credentials.value(), dir_.path());
    if (!files) fatal("test credentials: " + files.error());
    files_ = std::move(files).value();
    server_ = std::make_unique<httplib::SSLServer>(files_.certificateFile.c_str(), files_.privateKeyFile.c_str());
    if (!server_->is_valid()) fatal("httplib::SSLServer rejected the test credentials");
    // A client's idle keep-alive connection holds a server thread this long;
    // keep it short so that stopping never waits on one for long.
    server_->set_keep_alive_timeout(1);
  }

  ~HttpsServer() {
    {
      std::lock_guard lock(gatesMutex_);
      for (auto& gate : gates_) gate.open();
    }
    if (!thread_.joinable()) return;
    // stop() only takes effect once the listen loop has begun.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_->is_running() && !finished_ && std::chrono::steady_clock::now() < deadline)
      std::this_thread::yield();
    server_->stop();
    thread_.join();
  }

  HttpsServer(const HttpsServer&) = delete;
  HttpsServer& operator=(const HttpsServer&) = delete;

  // Register handlers here before start().
  httplib::SSLServer& http() { return *server_; }

  // Binds 127.0.0.1 on a free port and serves on a background thread. The
  // port accepts connections as soon as this returns.
  void start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) fatal("cannot bind a loopback port");
    thread_ = std::thread([this] {
      server_->listen_after_bind();
      finished_ = true;
    });
  }

  int port() const { return port_; }
  const std::filesystem::path& caFile() const { return files_.caFile; }
  const services::tls::CredentialFiles& files() const { return files_; }

  // A gate owned by the server and opened before it stops, so a handler that
  // waits on it can never hold the server's shutdown.
  Gate& makeGate() {
    std::lock_guard lock(gatesMutex_);
    return gates_.emplace_back();
  }

 private:
  TempDir dir_;
  services::tls::CredentialFiles files_;
  std::unique_ptr<httplib::SSLServer> server_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  int port_ = -1;
  std::mutex gatesMutex_;
  std::deque<Gate> gates_;
};

}  // namespace support
