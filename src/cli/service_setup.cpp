#include "cli/service_setup.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>

#include "cli/commands.h"
#include "cli/install_layout.h"
#include "platform/foundation/NSURLSession.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "services/catalog.h"
#include "services/hostile.h"
#include "services/server.h"

namespace cli {

void addServiceOptions(CLI::App* command, ServiceOptions& o, bool withCatalog) {
  auto* group = command->add_option_group("Services");
  group->add_option("--ratings-host", o.ratingsHost, "Ratings site host")->capture_default_str();
  group->add_option("--search-host-suffix", o.searchHostSuffix, "Search host suffix")->capture_default_str();
  group->add_option("--certified-host", o.certifiedHost, "Certified-status host")->capture_default_str();
  group->add_option("--connect-to", o.connectTo, "Route HOST:PORT:ADDRESS:PORT (as curl's --connect-to)");
  group->add_option("--cacert", o.cacert, "Trust only this PEM CA file");
  group->add_option("--timeout", o.timeout, "Longest time one request may take, in seconds (default: the request's 30)")
      ->check(CLI::PositiveNumber);
  auto* hostile = group->add_option("--hostile", o.hostile,
                                    "Make the embedded services misbehave: ENDPOINT=SCENARIO, ENDPOINT one of home, search, "
                                    "certified (repeatable)");
  hostile->check([](const std::string& value) -> std::string {
    auto equals = value.find('=');
    auto endpoint = value.substr(0, equals);
    if (equals == std::string::npos || (endpoint != "home" && endpoint != "search" && endpoint != "certified"))
      return "expected home=, search= or certified= before the scenario";
    if (!services::hostileFromName(value.substr(equals + 1))) {
      std::string names;
      for (auto h : services::allHostile()) names += (names.empty() ? "" : ", ") + std::string(services::hostileName(h));
      return "unknown scenario; one of " + names;
    }
    return {};
  });
  auto* live = group->add_flag("--live", o.live, "Use the real services and the system's CA store");
  hostile->excludes(live);
  live->excludes(group->get_option("--connect-to"));
  hostile->excludes(group->get_option("--connect-to"));
  hostile->excludes(group->get_option("--cacert"));
  if (withCatalog)
    group->add_option("--ratings-catalog", o.ratingsCatalog, "Catalog for the embedded services")->excludes(live);
  // Read by the URL session; a value it cannot use is refused here rather than ignored there.
  command->parse_complete_callback([] {
    const char* limit = std::getenv("SCORELENS_REQUEST_TIMEOUT");
    if (!limit) return;
    char* end = nullptr;
    const double seconds = std::strtod(limit, &end);
    if (end == limit || *end != '\0' || !(seconds > 0) || !std::isfinite(seconds))
      throw CLI::ValidationError("SCORELENS_REQUEST_TIMEOUT",
                                 fmt::format("\"{}\" is not a positive number of seconds", limit));
  });
}

std::unique_ptr<ServiceEnvironment> ServiceEnvironment::start(const ServiceOptions& o, StartFailure* failure) {
  for (const std::string* named : {&o.cacert, &o.ratingsCatalog}) {
    if (named->empty()) continue;
    if (std::string why = unreadableFile(*named); !why.empty()) {
      *failure = {kFileError, why};
      return nullptr;
    }
  }
  std::unique_ptr<ServiceEnvironment> env(new ServiceEnvironment);
  CXServiceConfiguration hosts;
  hosts.ratingsHost = o.ratingsHost;
  hosts.searchHostSuffix = o.searchHostSuffix;
  hosts.certifiedHost = o.certifiedHost;
  CXServiceConfiguration::setCurrent(hosts);

  NSURLSessionTransportSettings transport;
  // --timeout, else what the environment says (SCORELENS_REQUEST_TIMEOUT).
  transport.requestTimeoutLimit =
      o.timeout > 0 ? o.timeout : NSURLSessionConfiguration::defaultTransportSettings().requestTimeoutLimit;
  bool embedded = !o.live && o.connectTo.empty() && o.cacert.empty();
  if (embedded) {
    auto catalog = o.ratingsCatalog.empty() ? services::Catalog::load(installLayout().ratingsCatalogPath)
                                            : services::Catalog::load(o.ratingsCatalog);
    if (!catalog) {
      *failure = {o.ratingsCatalog.empty() ? kLookupFailed : kFileError,
                  fmt::format("cannot load the ratings catalog: {}", catalog.error().message)};
      return nullptr;
    }
    services::ServerOptions server;
    server.ratingsHost = o.ratingsHost;
    server.searchHostSuffix = o.searchHostSuffix;
    server.certifiedHost = o.certifiedHost;
    env->server_ = std::make_unique<services::ServicesServer>(std::move(catalog).value(), server);
    if (auto started = env->server_->start(); !started) {
      *failure = {kLookupFailed, fmt::format("cannot start the stand-in services: {}", started.error().message)};
      return nullptr;
    }
    // A stall lasts past the client's time-out; stopping the server ends it.
    const double limit = transport.requestTimeoutLimit > 0 ? std::min(transport.requestTimeoutLimit, 30.0) : 30.0;
    const auto stall = std::chrono::milliseconds(static_cast<long>(limit * 1000) + 5000);
    for (const std::string& entry : o.hostile) {
      const auto equals = entry.find('=');
      const std::string endpoint = entry.substr(0, equals);
      const auto where = endpoint == "home" ? services::Endpoint::HomePage
                         : endpoint == "search" ? services::Endpoint::Search
                                                : services::Endpoint::Certified;
      env->server_->setMisbehaviour(where, services::hostileReply(*services::hostileFromName(entry.substr(equals + 1)),
                                                                  where, stall));
    }
    transport.caFile = env->server_->caFile().string();
    for (const std::string& host : env->server_->hostNames())
      transport.connectTo.push_back(fmt::format("{}:443:127.0.0.1:{}", host, env->server_->port()));
    env->description_ = fmt::format("embedded stand-in services on 127.0.0.1:{}", env->server_->port());
  } else {
    transport.caFile = o.cacert;
    transport.connectTo = o.connectTo;
    env->description_ = o.live ? "live services" : "routed services";
  }
  NSURLSessionConfiguration::setDefaultTransportSettings(transport);
  auto& args = env->childArguments_;
  args = {"--ratings-host", o.ratingsHost, "--search-host-suffix", o.searchHostSuffix, "--certified-host",
          o.certifiedHost};
  if (o.live) args.push_back("--live");
  if (!transport.caFile.empty()) args.insert(args.end(), {"--cacert", transport.caFile});
  for (const std::string& route : transport.connectTo) args.insert(args.end(), {"--connect-to", route});
  return env;
}

ServiceEnvironment::~ServiceEnvironment() = default;

std::string ServiceEnvironment::describe() const { return description_; }

}  // namespace cli
