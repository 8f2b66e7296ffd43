// scorelens app: the page and the JSON interface on loopback, in front of
// a child process that holds the host.

#include <fmt/format.h>
#include <httplib.h>
#include <signal.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>

#include "cli/app.h"
#include "cli/app_host_child.h"
#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/install_layout.h"
#include "host/catalog.h"
#include "host/version.h"
#include "services/server.h"

namespace cli {
namespace app {
namespace {

using nlohmann::json;

struct Answer {
  int status = 200;
  json body;
};

Answer refusal(int status, const std::string& reason) { return {status, {{"error", reason}}}; }

// Everything the server knows; every request that reaches the host holds `lock`.
class AppServer {
 public:
  AppServer(const AppOptions& o, const std::vector<std::string>& serviceArgs, std::string defaultsPath,
            host::Catalog catalog, std::filesystem::path scratch)
      : options_(o), serviceArgs_(serviceArgs), defaultsPath_(std::move(defaultsPath)), catalog_(std::move(catalog)),
        scratch_(std::move(scratch)), version_(o.hostVersion), device_(o.device) {}

  // Starts the first host; false with the reason when it cannot.
  bool begin(std::string* error) { return switchHost(version_, device_, error); }

  Answer state() { return ask({{"op", "state"}}); }

  Answer post(const std::string& path, const std::string& body) {
    json request;
    if (!body.empty() || (path != "/back" && path != "/home")) {
      request = json::parse(body, nullptr, false);
      if (request.is_discarded()) return refusal(400, "malformed JSON: the body must be one JSON object");
      if (!request.is_object()) return refusal(400, "the body must be a JSON object");
    } else {
      request = json::object();
    }
    if (path == "/open") return open(request);
    request["op"] = path.substr(1);
    return ask(request);
  }

  // The window as a PNG file's bytes.
  Answer screen(int scale, std::string* png) {
    std::filesystem::path file = scratch_ / "screen.png";
    Answer a = ask({{"op", "screen"}, {"scale", scale}, {"path", file.string()}});
    if (a.status != 200) return a;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *png = bytes.str();
    return a;
  }

  std::string page() const {
    json titles = json::array();
    for (const host::CatalogTitle& t : catalog_.titles()) titles.push_back(t.title);
    std::string html = pageHtml();
    const std::string marker = "/*CATALOG*/[]";
    if (size_t at = html.find(marker); at != std::string::npos) html.replace(at, marker.size(), titles.dump());
    return html;
  }

 private:
  Answer ask(const json& request) {
    if (!child_) {
      std::string error;
      if (!switchHost(version_, device_, &error)) return refusal(502, error);
    }
    std::optional<json> answer = child_->ask(request);
    if (!answer) {
      child_.reset();
      return refusal(502, "the host process ended; the next request starts a fresh one");
    }
    int status = answer->value("status", 500);
    if (answer->contains("error")) return refusal(status, (*answer)["error"].get<std::string>());
    return {status, answer->contains("body") ? (*answer)["body"] : *answer};
  }

  Answer open(const json& request) {
    std::string version = request.value("version", version_);
    std::string device = request.value("device", device_);
    if (!request.value("version", json("")).is_string() || !request.value("device", json("")).is_string())
      return refusal(400, "\"version\" and \"device\" are texts");
    host::Result<host::HostVersion> parsed = host::HostVersion::parse(version);
    if (!parsed || parsed.value().compare(host::HostVersion::parse("9.0.0").value()) < 0)
      return refusal(400, fmt::format("unknown host version \"{}\" (versions from 9.0.0, such as 16.51.0)", version));
    if (device != "iphone" && device != "ipad")
      return refusal(400, fmt::format("unknown device \"{}\" (iphone or ipad)", device));
    json open = {{"op", "open"}};
    if (request.contains("videoId")) {
      if (!request["videoId"].is_number_integer() || !catalog_.find(request["videoId"].get<long>()))
        return refusal(400, fmt::format("no title with videoId {} in the host catalog", request["videoId"].dump()));
      open["videoId"] = request["videoId"];
    } else if (request.contains("title")) {
      if (!request["title"].is_string() || catalog_.findByTitle(request["title"].get<std::string>()).empty())
        return refusal(400, fmt::format("no title {} in the host catalog", request["title"].dump()));
      open["title"] = request["title"];
    }
    if (version != version_ || device != device_ || !child_) {
      std::string error;
      if (!switchHost(version, device, &error)) return refusal(502, error);
    }
    return ask(open.size() > 1 ? open : json{{"op", "state"}});
  }

  // A fresh host of that version and device, with the same preference file.
  bool switchHost(const std::string& version, const std::string& device, std::string* error) {
    child_.reset();
    std::vector<std::string> args = {"scorelens", "app", "--host-process", "--host-version", version,
                                     "--device", device, "--defaults", defaultsPath_};
    if (!options_.hostCatalog.empty()) args.insert(args.end(), {"--host-catalog", options_.hostCatalog});
    args.insert(args.end(), serviceArgs_.begin(), serviceArgs_.end());
    child_ = HostChild::start(args, error);
    if (!child_) return false;
    version_ = version;
    device_ = device;
    return true;
  }

  const AppOptions& options_;
  std::vector<std::string> serviceArgs_;
  std::string defaultsPath_;
  host::Catalog catalog_;
  std::filesystem::path scratch_;
  std::string version_, device_;
  std::unique_ptr<HostChild> child_;
};

void reply(httplib::Response& res, const Answer& a) {
  res.status = a.status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(a.body.dump(2, ' ', false, json::error_handler_t::replace) + "\n", "application/json");
}

// Every path and method goes through here, so that an unknown path is a 404
// and a known path asked with another method a 405, both with a reason.
void route(AppServer& server, std::mutex& lock, const httplib::Request& req, httplib::Response& res) {
  static const std::map<std::string, std::string> allowed = {
      {"/", "GET"},        {"/state", "GET"}, {"/screen.png", "GET"}, {"/tap", "POST"},
      {"/drag", "POST"},   {"/back", "POST"}, {"/home", "POST"},      {"/open", "POST"}};
  auto known = allowed.find(req.path);
  if (known == allowed.end()) return reply(res, refusal(404, fmt::format("no such path: {}", req.path)));
  if (req.method != known->second && !(req.method == "HEAD" && known->second == "GET")) {
    res.set_header("Allow", known->second);
    return reply(res, refusal(405, fmt::format("{} takes {}, not {}", req.path, known->second, req.method)));
  }
  if (req.body.size() > kMaxBody) return reply(res, refusal(413, "the body is over 64 KB"));
  if (req.path == "/") {
    res.set_header("Cache-Control", "no-store");
    return res.set_content(server.page(), "text/html; charset=utf-8");
  }
  std::lock_guard one(lock);  // one request at a time inside the host
  if (req.path == "/state") return reply(res, server.state());
  if (req.path == "/screen.png") {
    std::string scale = req.has_param("scale") ? req.get_param_value("scale") : "2";
    if (scale != "1" && scale != "2" && scale != "3") return reply(res, refusal(400, "scale is 1, 2 or 3"));
    std::string png;
    Answer a = server.screen(std::stoi(scale), &png);
    if (a.status != 200) return reply(res, a);
    res.set_header("Cache-Control", "no-store");
    return res.set_content(png, "image/png");
  }
  reply(res, server.post(req.path, req.body));
}

int runApp(const AppOptions& o) {
  if (o.hostProcess) return runHostProcess(o);
  signal(SIGPIPE, SIG_IGN);  // a host process that has gone is answered, not fatal
  // Stopped by SIGINT or SIGTERM, taken by a thread of its own (the server's
  // stop is no signal handler's work): blocked before any thread starts.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  StartFailure failure;
  auto env = ServiceEnvironment::start(o.services, &failure);
  if (!env) return fail("app", failure.status, failure.reason);
  auto catalog = host::Catalog::load(o.hostCatalog.empty() ? installLayout().hostCatalogPath : o.hostCatalog);
  if (!catalog) return fail("app", kFileError, catalog.error().message);
  DefaultsFile defaults(o.defaultsFile, "app");
  // A file the store cannot read would be replaced by the first switch flipped: refuse, keep it whole.
  if (std::string unusable = defaults.open(); !unusable.empty()) return fail("app", kFileError, unusable);
  std::string scratchTemplate = (std::filesystem::temp_directory_path() / "scorelens-app-XXXXXX").string();
  if (!mkdtemp(scratchTemplate.data()))
    return fail("app", kFileError, std::string("cannot make a scratch folder: ") + std::strerror(errno));
  std::filesystem::path scratch = scratchTemplate;
  struct RemoveScratch {
    std::filesystem::path path;
    ~RemoveScratch() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } removeScratch{scratch};

  AppServer server(o, env->childArguments(), defaults.path(), std::move(catalog).value(), scratch);
  if (std::string error; !server.begin(&error)) return fail("app", kFileError, error);

  httplib::Server http;
  http.set_payload_max_length(kMaxBody);
  std::mutex lock;
  auto handler = [&](const httplib::Request& req, httplib::Response& res) { route(server, lock, req, res); };
  for (auto add : {&httplib::Server::Get, &httplib::Server::Post, &httplib::Server::Put, &httplib::Server::Delete,
                   &httplib::Server::Patch, &httplib::Server::Options})
    (http.*add)(".*", handler);
  // What cpp-httplib refuses before a handler runs, answered with a reason too.
  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.status == 413) reply(res, refusal(413, "the body is over 64 KB"));
    else if (res.status == 400 && res.body.empty())
      reply(res, refusal(400, "the request could not be read (a POST needs a Content-Length: send {} when there is nothing to say)"));
  });
  // Loopback only: the page drives a host that opens what it is told.
  int port = o.port == 0 ? http.bind_to_any_port("127.0.0.1") : (http.bind_to_port("127.0.0.1", o.port) ? o.port : -1);
  if (port < 0)
    return fail("app", kFileError,
                o.port == 0 ? "cannot listen on 127.0.0.1 (any port)"
                            : fmt::format("cannot listen on 127.0.0.1:{}: {}", o.port,
                                          services::bindFailure("127.0.0.1", static_cast<std::uint16_t>(o.port))));
  std::cout << fmt::format("http://127.0.0.1:{}/\n", port) << std::flush;
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    http.stop();
  });
  bool served = http.listen_after_bind();
  // The stopper reads this frame: wake it when no signal came, and wait for it.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return served ? 0 : 3;
}

}  // namespace
}  // namespace app

void addAppCommand(CLI::App& cliApp, Runner& run) {
  auto o = std::make_shared<app::AppOptions>();
  auto* cmd = cliApp.add_subcommand("app", "Run the simulated host as a live app in a browser page on loopback");
  cmd->add_option("--port", o->port, "Port on 127.0.0.1 (0: any free port)")->capture_default_str()->check(CLI::Range(0, 65535));
  cmd->add_option("--host-version", o->hostVersion, "Host version of the first host (9.0.0 or later)")
      ->check(hostVersionCheck())
      ->capture_default_str();
  cmd->add_option("--device", o->device, "iphone or ipad")->check(CLI::IsMember({"iphone", "ipad"}, CLI::ignore_case))->capture_default_str();
  cmd->add_option("--defaults", o->defaultsFile, "The preference file a device would keep (default: a scratch file)");
  cmd->add_option("--host-catalog", o->hostCatalog, "Host catalog (JSON)")->check(CLI::ExistingFile);
  cmd->add_flag("--host-process", o->hostProcess, "(internal) hold the host for the command's server")->group("");
  addServiceOptions(cmd, o->services, true);
  cmd->callback([&run, o] { run = [o] { return app::runApp(*o); }; });
}

}  // namespace cli
