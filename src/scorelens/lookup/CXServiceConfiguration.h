#pragma once
// The host names of the three outside services the lookup talks to. They are
// configuration so that the CLI and tests can point the lookup elsewhere; the
// URL session's transport (trusted authorities, routing) is the platform's
// configuration, not this.

#include <string>

struct CXServiceConfiguration {
  // The ratings site: home page (search tokens), title page links, and the
  // origin the search requests claim.
  std::string ratingsHost = "www.rottentomatoes.com";
  // Appended to the lower-cased application identifier to form the search host.
  std::string searchHostSuffix = "-dsn.algolia.net";
  // The certified-status service.
  std::string certifiedHost = "flixster.com";

  // A copy of the configuration in force. Any thread; costs one lock.
  static CXServiceConfiguration current();
  // Replaces it for requests built afterwards. Any thread.
  static void setCurrent(CXServiceConfiguration configuration);
};
