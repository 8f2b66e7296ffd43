#pragma once

// Shared by the services tests: clients that reach the loopback server under
// the real host names, with certificate verification on, and the request
// the module sends to the search service.

#include <chrono>
#include <memory>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "services/server.h"

namespace services::testing {

inline std::chrono::steady_clock::time_point deadline() {
  return std::chrono::steady_clock::now() + std::chrono::seconds(20);
}

// Connects to 127.0.0.1 but speaks to `host`: SNI, Host header and name
// check all use it, and only the server's own CA is trusted.
inline std::unique_ptr<httplib::SSLClient> clientFor(const ServicesServer& server, const std::string& host) {
  auto client = std::make_unique<httplib::SSLClient>(host, server.port());
  client->set_hostname_addr_map({{host, "127.0.0.1"}});
  client->set_ca_cert_path(server.caFile().c_str());
  client->enable_server_certificate_verification(true);
  client->set_connection_timeout(std::chrono::seconds(10));
  client->set_read_timeout(std::chrono::seconds(20));
  return client;
}

inline std::string searchTarget(const std::string& applicationId, const std::string& apiKey) {
  return "/1/indexes/*/queries?x-algolia-agent=Algolia%20for%20JavaScript%20(4.17.0)%3B%20Browser%20(lite)"
         "&x-algolia-api-key=" + apiKey + "&x-algolia-application-id=" + applicationId;
}

inline constexpr const char* kModuleParams =
    "filters=isEmsSearchable%20%3D%201&hitsPerPage=20&analyticsTags=%5B%22header_search%22%5D&clickAnalytics=true";

inline std::string searchBody(const std::string& query, const std::string& params = kModuleParams) {
  return nlohmann::json{{"requests", {{{"indexName", "content_rt"}, {"query", query}, {"params", params}}}}}.dump();
}

// A search as the module sends it: form content type over a JSON body.
inline httplib::Result postSearch(const ServicesServer& server, const std::string& query,
                                  const std::string& apiKey = "", const std::string& params = kModuleParams) {
  auto client = clientFor(server, server.searchHost());
  return client->Post(searchTarget(server.options().applicationId, apiKey.empty() ? server.options().apiKey : apiKey)
                          .c_str(),
                      searchBody(query, params), "application/x-www-form-urlencoded");
}

inline bool isValidUtf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

// "Heat (1995)", whether the hit's year is text or a number.
inline std::string label(const nlohmann::json& hit) {
  const auto& year = hit.at("releaseYear");
  return hit.at("title").get<std::string>() + " (" + (year.is_string() ? year.get<std::string>() : year.dump()) + ")";
}

// The labels of the first result's hits, in order.
inline std::vector<std::string> hitLabels(const nlohmann::json& answer) {
  std::vector<std::string> labels;
  for (const auto& hit : answer.at("results").at(0).at("hits")) {
    labels.push_back(label(hit));
  }
  return labels;
}

}  // namespace services::testing
