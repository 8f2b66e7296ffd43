#pragma once
// scorelens app: the simulated host as a live app behind a page on
// loopback. The command's own process serves the page and the JSON
// interface; the host runs in a child process of the same program (one
// host per version and device, since a host boots once per process), which
// reads one request per line on standard input and answers one JSON line
// on standard output, running the host's main loop on its main thread
// between requests.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "cli/service_setup.h"

class UIView;

namespace cli::app {

struct AppOptions {
  int port = 8080;
  std::string hostVersion = "16.51.0";
  std::string device = "iphone";
  std::string defaultsFile;
  std::string hostCatalog;
  ServiceOptions services;
  bool hostProcess = false;  // run as the child that holds the host
};

// Requests larger than this are refused (413).
inline constexpr size_t kMaxBody = 64 * 1024;

// The child: boots the host, then serves requests from standard input until it closes.
int runHostProcess(const AppOptions& o);

// Every visible label and button with text, and every visible switch, in
// reading order (top to bottom, then left to right): {"class", "text",
// "frame": [x, y, w, h]} in window points; a switch has "on" instead of "text".
nlohmann::json screenList(UIView* window);

// The page the browser shows: one self-contained document.
const std::string& pageHtml();

}  // namespace cli::app
