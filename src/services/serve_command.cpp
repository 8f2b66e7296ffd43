#include "services/serve_command.h"

#include <signal.h>

#include <condition_variable>
#include <ctime>
#include <iostream>
#include <mutex>
#include <thread>

#include <fmt/chrono.h>
#include <fmt/format.h>

namespace services {

namespace {

std::string requestLine(const RecordedRequest& request) {
  return fmt::format("{:%H:%M:%S} {:<9} {} {} {}", fmt::localtime(std::chrono::system_clock::to_time_t(request.time)),
                     endpointName(request.endpoint), request.method, request.host, request.target);
}

}  // namespace

int runServeCommand(const ServeOptions& options, std::ostream& out, std::ostream& err, std::stop_token stop) {
  const auto catalogPath = options.catalog.empty() ? defaultCatalogPath() : options.catalog;
  auto catalog = Catalog::load(catalogPath);
  if (!catalog) {
    err << "scorelens serve: " << catalog.error().message << '\n';
    return 1;
  }

  // The observer runs on the server's threads; lines must not interleave.
  std::mutex outputMutex;

  ServerOptions serverOptions = options.server;
  serverOptions.port = options.port;
  ServicesServer server(std::move(catalog).value(), serverOptions);
  if (options.logRequests) {
    server.log().setObserver([&](const RecordedRequest& request) {
      std::lock_guard lock(outputMutex);
      out << requestLine(request) << std::endl;
    });
  }

  auto started = server.start();
  if (!started) {
    err << "scorelens serve: " << started.error().message << '\n';
    return 1;
  }

  std::filesystem::path caFile = server.caFile();
  if (!options.caOut.empty()) {
    std::error_code error;
    std::filesystem::copy_file(server.caFile(), options.caOut, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
      err << "scorelens serve: cannot write the CA file to " << options.caOut.string() << ": " << error.message()
          << '\n';
      server.stop();
      return 1;
    }
    caFile = options.caOut;
  }

  {
    std::lock_guard lock(outputMutex);
    const auto address = serverOptions.bindAddress;
    out << fmt::format("Serving {} titles on https://{}:{}\n", server.catalog().size(), address, server.port());
    out << fmt::format("CA certificate: {}\n", caFile.string());
    out << fmt::format("  ratings site:     {}\n  search service:   {} (application id {}, key {})\n"
                       "  certified status: {}\n",
                       server.hostNames()[0], server.hostNames()[1], serverOptions.applicationId,
                       serverOptions.apiKey, server.hostNames()[2]);
    out << "Point a client at it with:\n";
    std::string connectTo;
    for (const auto& host : server.hostNames()) {
      connectTo += fmt::format(" --connect-to {}:443:{}:{}", host, address, server.port());
    }
    out << fmt::format("  curl --cacert {}{} https://{}/\n", caFile.string(), connectTo, server.hostNames()[0]);
    out << "Press Ctrl-C to stop." << std::endl;
  }

  std::mutex mutex;
  std::condition_variable_any wakeUp;
  {
    std::unique_lock lock(mutex);
    wakeUp.wait(lock, stop, [] { return false; });
  }
  server.stop();
  server.log().setObserver(nullptr);
  std::lock_guard lock(outputMutex);
  out << "Stopped." << std::endl;
  return 0;
}

int runServeCommand(const ServeOptions& options) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &signals, &previous);

  std::stop_source stopSource;
  // Polls so that it also ends when serving fails and the command returns.
  std::jthread signalWaiter([&signals, &stopSource](std::stop_token done) {
    const timespec interval{0, 200'000'000};
    while (!done.stop_requested()) {
      if (sigtimedwait(&signals, nullptr, &interval) > 0) {
        stopSource.request_stop();
        return;
      }
    }
  });

  const int code = runServeCommand(options, std::cout, std::cerr, stopSource.get_token());
  signalWaiter.request_stop();
  signalWaiter.join();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return code;
}

}  // namespace services
