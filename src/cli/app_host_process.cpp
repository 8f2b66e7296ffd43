// scorelens app's child: the host on this process's main thread, driven by
// one JSON request per line on standard input, answered by one JSON line.

#include <fmt/format.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/demo.h"
#include "cli/install_layout.h"
#include "cli/picture_output.h"
#include "cli/report.h"
#include "cli/strip_report.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/layout_engine.h"

namespace cli::app {
namespace {

using nlohmann::json;

json failure(int status, const std::string& reason) { return {{"status", status}, {"error", reason}}; }

class HostSession {
 public:
  HostSession(host::HostApplication& app, const AppOptions& o) : app_(app), options_(o) {}

  json handle(const json& request) {
    const std::string op = request.value("op", "");
    UIViewController* before = app_.rootNavigationController()->topViewController();
    json answer = perform(op, request);
    if (answer.contains("error")) return answer;
    // A new screen starts its own lists of requests and warnings.
    if (app_.rootNavigationController()->topViewController() != before) {
      transfers_.clear();
      uikit::clearLayoutWarnings();
    }
    settle();
    if (!answer.contains("status")) answer = {{"status", 200}, {"body", state()}};
    return answer;
  }

  // Runs the main queue until it has nothing due (at most a second).
  void settle() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int quiet = 0;
    while (quiet < 2 && std::chrono::steady_clock::now() < until) quiet = app_.runOnce() ? 0 : quiet + 1;
  }

  json state() {
    app_.layoutIfNeeded();
    UIView* window = app_.window();
    uikit::auditLayout(window);
    json strip = nullptr;
    bool settled = true;
    if (std::optional<host::TitlePage> page = app_.topPage()) {
      if (Ref<CXEnhancedRatingViewContainer> s = demo::stripOf(*page)) {
        strip = stripJson(s.get());
        strip["placed"] = s->superview() != nullptr;
        strip["frame"] = demo::windowFrame(s.get());
        settled = demo::settled(s.get()) || demo::idle(s.get());
      }
    }
    json requests = json::array();
    for (const auto& r : transfers_.records())
      requests.push_back({{"method", r.method}, {"url", r.url}, {"ms", std::lround(r.milliseconds)}, {"status", r.status}});
    json opened = json::array();
    for (const auto& url : app_.openedURLs()) opened.push_back(utf8(url->absoluteString().get()));
    CGSize size = app_.screenSize();
    return {{"host", {{"version", options_.hostVersion}, {"device", options_.device}}},
            {"window", {size.width, size.height}},
            {"screen", screenList(window)},
            {"navigation", app_.navigationTitles()},
            {"strip", strip},
            {"requests", requests},
            {"layoutWarnings", uikit::layoutWarnings()},
            {"openedURLs", opened},
            {"settled", settled}};
  }

 private:
  // The point's place in the window, or why it has none.
  std::optional<CGPoint> pointIn(const json& x, const json& y, std::string* why) const {
    if (!x.is_number() || !y.is_number()) {
      *why = "a point needs numbers x and y";
      return std::nullopt;
    }
    CGPoint p{x.get<double>(), y.get<double>()};
    CGSize size = app_.screenSize();
    if (p.x < 0 || p.y < 0 || p.x >= size.width || p.y >= size.height) {
      *why = fmt::format("the point ({}, {}) is outside the window ({} x {} points)", p.x, p.y, size.width, size.height);
      return std::nullopt;
    }
    return p;
  }

  std::optional<CGPoint> pair(const json& request, const char* key, std::string* why) const {
    const json* p = request.contains(key) ? &request[key] : nullptr;
    if (!p || !p->is_array() || p->size() != 2) {
      *why = fmt::format("\"{}\" must be [x, y]", key);
      return std::nullopt;
    }
    return pointIn((*p)[0], (*p)[1], why);
  }

  json perform(const std::string& op, const json& request) {
    std::string why;
    if (op == "state") return json::object();
    if (op == "tap") {
      auto p = pointIn(request.value("x", json()), request.value("y", json()), &why);
      if (!p) return failure(400, why);
      app_.tap(*p);
    } else if (op == "drag") {
      auto from = pair(request, "from", &why);
      auto to = from ? pair(request, "to", &why) : std::nullopt;
      if (!to) return failure(400, why);
      app_.drag(*from, *to);
    } else if (op == "back") {
      app_.tapBack();
    } else if (op == "home") {
      app_.goHome();
    } else if (op == "open") {
      return open(request);
    } else if (op == "screen") {
      return screen(request);
    } else {
      return failure(400, fmt::format("unknown request \"{}\"", op));
    }
    return json::object();
  }

  json open(const json& request) {
    host::Result<host::TitlePage> page = host::Error{"give a \"title\" or a \"videoId\""};
    const host::CatalogTitle* title = nullptr;
    if (request.contains("videoId") && request["videoId"].is_number_integer())
      title = app_.catalog().find(request["videoId"].get<long>());
    else if (request.contains("title") && request["title"].is_string())
      if (auto found = app_.catalog().findByTitle(request["title"].get<std::string>()); !found.empty()) title = found.front();
    if (!title) return failure(400, "no such title in the host catalog");
    app_.goHome();
    page = app_.openPage(title->videoId);
    if (!page) return failure(400, page.error().message);
    return json::object();
  }

  json screen(const json& request) {
    PictureOptions picture;
    picture.png = request.value("path", "");
    picture.scale = request.value("scale", 2);
    std::string error;
    settle();
    if (!writePicture(app_.window(), picture, UIColor::blackColor(), &error)) return failure(500, error);
    return {{"status", 200}, {"png", picture.png}};
  }

  host::HostApplication& app_;
  const AppOptions& options_;
  TransferLog transfers_;
};

// Standard output carries answers only: whatever else writes there goes to standard error.
FILE* answerChannel() {
  int fd = dup(STDOUT_FILENO);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  return fdopen(fd, "w");
}

}  // namespace

int runHostProcess(const AppOptions& o) {
  FILE* answers = answerChannel();
  StartFailure startFailure;
  auto env = ServiceEnvironment::start(o.services, &startFailure);
  if (!env) return fail("app", startFailure.status, startFailure.reason);
  DefaultsFile defaults(o.defaultsFile, "app");
  NSUserDefaults::setStandardUserDefaultsPath(defaults.path());
  auto device = host::parseDevice(o.device);
  if (!device) return fail("app", kBadUsage, device.error().message);
  host::HostConfig config = hostConfig(o.hostVersion, device.value(), o.hostCatalog, defaults.path());
  config.homeScreen = true;
  auto booted = host::HostApplication::boot(config);
  if (!booted) return fail("app", kFileError, booted.error().message);
  HostSession session(*booted.value(), o);
  std::fprintf(answers, "%s\n", json{{"status", 200}, {"ready", true}}.dump().c_str());
  std::fflush(answers);

  // Between requests the host keeps running: lookups arrive, animations play.
  std::string pending;
  for (;;) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, 10) > 0) {
      char buffer[8192];
      ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return 0;  // the command has gone
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        json request = json::parse(pending.substr(0, end), nullptr, false);
        pending.erase(0, end + 1);
        json answer = request.is_object() ? session.handle(request) : failure(400, "a request is one JSON object");
        std::fprintf(answers, "%s\n", answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        std::fflush(answers);
      }
    }
    booted.value()->runOnce();
  }
}

}  // namespace cli::app
