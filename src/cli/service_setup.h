#pragma once
// The service settings shared by every command that talks to the ratings
// services: which hosts, how to reach them, and the embedded stand-in.
//
// Without --live or routing flags the stand-in services start in-process on
// loopback and the production host names are routed to them, with the
// stand-in's test CA as the only trusted authority. --live uses the real
// services and the system's CA store. TLS verification is never off.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace services {
class ServicesServer;
}

namespace cli {

struct ServiceOptions {
  std::string ratingsHost = "www.rottentomatoes.com";
  std::string searchHostSuffix = "-dsn.algolia.net";
  std::string certifiedHost = "flixster.com";
  std::vector<std::string> connectTo;
  std::string cacert;
  std::string ratingsCatalog;  // for the embedded services; empty: the shipped one
  bool live = false;
  double timeout = 0;  // caps every request's time-out (seconds); 0: the requests' own
  // ENDPOINT=SCENARIO ("search=drip"): the embedded services answer that
  // endpoint with that hostile reply (services/hostile.h).
  std::vector<std::string> hostile;
};

void addServiceOptions(CLI::App* command, ServiceOptions& options, bool withCatalog);

// Why the services could not be set up, and the exit status that says so.
struct StartFailure {
  int status = 0;
  std::string reason;
};

// The services a command talks to, configured for the module and the URL
// session. Holds the embedded server, if any, for its lifetime.
class ServiceEnvironment {
 public:
  // Starts the embedded services when asked for and configures the process.
  // nullptr with *failure set when a named file cannot be read (status 1) or
  // the stand-in cannot start (status 3: no lookup can be made).
  static std::unique_ptr<ServiceEnvironment> start(const ServiceOptions& options, StartFailure* failure);
  ~ServiceEnvironment();

  services::ServicesServer* embedded() const { return server_.get(); }
  std::string describe() const;
  // The service flags that make another scorelens process reach the same
  // services (the embedded stand-in's routes and CA included).
  const std::vector<std::string>& childArguments() const { return childArguments_; }

 private:
  ServiceEnvironment() = default;
  std::unique_ptr<services::ServicesServer> server_;
  std::string description_;
  std::vector<std::string> childArguments_;
};

}  // namespace cli
