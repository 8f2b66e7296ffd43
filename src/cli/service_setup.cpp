#include "cli/service_setup.h"

#include <fmt/format.h>

#include "cli/install_layout.h"
#include "platform/foundation/NSURLSession.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "services/catalog.h"
#include "services/server.h"

namespace cli {

void addServiceOptions(CLI::App* command, ServiceOptions& o, bool withCatalog) {
  auto* group = command->add_option_group("Services");
  group->add_option("--ratings-host", o.ratingsHost, "Ratings site host")->capture_default_str();
  group->add_option("--search-host-suffix", o.searchHostSuffix, "Search host suffix")->capture_default_str();
  group->add_option("--certified-host", o.certifiedHost, "Certified-status host")->capture_default_str();
  group->add_option("--connect-to", o.connectTo, "Route HOST:PORT:ADDRESS:PORT (as curl's --connect-to)");
  group->add_option("--cacert", o.cacert, "Trust only this PEM CA file")->check(CLI::ExistingFile);
  auto* live = group->add_flag("--live", o.live, "Use the real services and the system's CA store");
  live->excludes(group->get_option("--connect-to"));
  if (withCatalog)
    group->add_option("--ratings-catalog", o.ratingsCatalog, "Catalog for the embedded services")
        ->check(CLI::ExistingFile)
        ->excludes(live);
}

std::unique_ptr<ServiceEnvironment> ServiceEnvironment::start(const ServiceOptions& o, std::string* error) {
  std::unique_ptr<ServiceEnvironment> env(new ServiceEnvironment);
  CXServiceConfiguration hosts;
  hosts.ratingsHost = o.ratingsHost;
  hosts.searchHostSuffix = o.searchHostSuffix;
  hosts.certifiedHost = o.certifiedHost;
  CXServiceConfiguration::setCurrent(hosts);

  NSURLSessionTransportSettings transport;
  bool embedded = !o.live && o.connectTo.empty() && o.cacert.empty();
  if (embedded) {
    auto catalog = o.ratingsCatalog.empty() ? services::Catalog::load(installLayout().ratingsCatalogPath)
                                            : services::Catalog::load(o.ratingsCatalog);
    if (!catalog) {
      *error = fmt::format("cannot load the ratings catalog: {}", catalog.error().message);
      return nullptr;
    }
    services::ServerOptions server;
    server.ratingsHost = o.ratingsHost;
    server.searchHostSuffix = o.searchHostSuffix;
    server.certifiedHost = o.certifiedHost;
    env->server_ = std::make_unique<services::ServicesServer>(std::move(catalog).value(), server);
    if (auto started = env->server_->start(); !started) {
      *error = fmt::format("cannot start the stand-in services: {}", started.error().message);
      return nullptr;
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
