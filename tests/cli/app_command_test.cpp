// scorelens app's JSON interface, driven as a program would, without a browser.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

extern char** environ;

namespace {

struct Reply {
  int status = 0;
  std::string body;
  nlohmann::json json() const { return nlohmann::json::parse(body, nullptr, false); }
};

// One HTTP/1.1 request on a fresh loopback connection.
Reply ask(int port, const std::string& method, const std::string& path, const std::string& body = "{}") {
  Reply reply;
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<uint16_t>(port));
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
    close(fd);
    return reply;
  }
  std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
  if (method != "GET") request += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  request += "\r\n" + (method != "GET" ? body : "");
  for (size_t sent = 0; sent < request.size();) {
    ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  std::string raw;
  char buffer[65536];
  for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) raw.append(buffer, static_cast<size_t>(n));
  close(fd);
  if (raw.size() > 12) reply.status = std::stoi(raw.substr(9, 3));
  if (size_t start = raw.find("\r\n\r\n"); start != std::string::npos) reply.body = raw.substr(start + 4);
  return reply;
}

// One `scorelens app --port 0` for the suite: its port from the line it prints.
class AppCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const char* argv[] = {SCORELENS_BINARY, "app", "--port", "0", nullptr};
    ASSERT_EQ(posix_spawn(&pid, SCORELENS_BINARY, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    for (char c; read(out[0], &c, 1) == 1 && c != '\n';) line += c;
    close(out[0]);
    const std::string prefix = "http://127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << "serves on loopback only and says where: " << line;
    port = std::stoi(line.substr(prefix.size()));
  }
  static void TearDownTestSuite() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a stopped app exits 0";
  }

  static nlohmann::json state() { return ask(port, "GET", "/state").json(); }
  // Polls /state until check holds (20 s at most).
  static nlohmann::json waitFor(const std::function<bool(const nlohmann::json&)>& check) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    nlohmann::json s = state();
    while (!check(s) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      s = state();
    }
    return s;
  }
  static nlohmann::json frameOf(const nlohmann::json& s, const std::string& text) {
    for (const auto& e : s["screen"])
      if (e.value("text", "") == text) return e["frame"];
    return nullptr;
  }

  static inline pid_t pid = -1;
  static inline int port = 0;
};

TEST_F(AppCommand, EveryBadInputIsAnsweredWithAReasonAndChangesNothing) {
  struct Case {
    const char* method;
    const char* path;
    std::string body;
    int status;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"POST", "/tap", "{\"x\": 10,", 400, "malformed JSON"},
      {"POST", "/tap", "[1, 2]", 400, "JSON object"},
      {"POST", "/tap", "{\"x\": 10}", 400, "numbers x and y"},
      {"POST", "/tap", "{\"x\": 500, \"y\": 10}", 400, "outside the window (375 x 812 points)"},
      {"POST", "/tap", "{\"x\": -1, \"y\": 10}", 400, "outside the window"},
      {"POST", "/drag", "{\"from\": [10, 10]}", 400, "\"to\" must be [x, y]"},
      {"POST", "/drag", "{\"from\": [10, 10], \"to\": [10, 900]}", 400, "outside the window"},
      {"POST", "/open", "{\"version\": \"8.9.9\"}", 400, "unknown host version \"8.9.9\""},
      {"POST", "/open", "{\"version\": \"sixteen\"}", 400, "unknown host version"},
      {"POST", "/open", "{\"device\": \"watch\"}", 400, "unknown device"},
      {"POST", "/open", "{\"title\": \"No Such Film\"}", 400, "no title \"No Such Film\""},
      {"POST", "/open", "{\"videoId\": 1}", 400, "no title with videoId 1"},
      {"POST", "/open", "{\"version\": \"11.2.0\", \"title\": \"No Such Film\"}", 400, "no title"},
      {"POST", "/tap", std::string(70 * 1024, ' '), 413, "over 64 KB"},
      {"GET", "/nowhere", "", 404, "no such path: /nowhere"},
      {"GET", "/tap", "", 405, "/tap takes POST, not GET"},
      {"DELETE", "/state", "", 405, "/state takes GET"},
      {"GET", "/screen.png?scale=5", "", 400, "scale is 1, 2 or 3"},
  };
  nlohmann::json before = state();
  ASSERT_EQ(before["navigation"], nlohmann::json({"Home"}));
  for (const Case& c : cases) {
    Reply r = ask(port, c.method, c.path, c.body);
    EXPECT_EQ(r.status, c.status) << c.method << " " << c.path << " " << c.body.substr(0, 60);
    EXPECT_NE(r.json().value("error", "").find(c.says), std::string::npos) << r.body.substr(0, 300);
  }
  nlohmann::json after = state();
  EXPECT_EQ(after["navigation"], before["navigation"]);
  EXPECT_EQ(after["host"], (nlohmann::json{{"version", "16.51.0"}, {"device", "iphone"}})) << "still the first host";
}

TEST_F(AppCommand, ATitleTappedOnTheHomeScreenShowsItsStripWhoseTapOpensTheRatingsSite) {
  ASSERT_EQ(ask(port, "POST", "/home").status, 200);
  nlohmann::json row = frameOf(state(), "Heat");
  ASSERT_TRUE(row.is_array());
  Reply tapped = ask(port, "POST", "/tap", nlohmann::json{{"x", row[0]}, {"y", row[1].get<double>() + 5}}.dump());
  ASSERT_EQ(tapped.status, 200);
  EXPECT_EQ(tapped.json()["navigation"], nlohmann::json({"Home", "Heat"}));
  nlohmann::json s = waitFor([](const nlohmann::json& s) { return s["settled"] == true && !s["strip"].is_null(); });
  ASSERT_TRUE(s["settled"]) << s.dump();
  EXPECT_EQ(s["strip"]["rows"][0]["text"], "83%");
  EXPECT_GE(s["requests"].size(), 2u) << "the home page and the search";

  // Two programs at once: served one after the other, both whole.
  auto picture = std::async(std::launch::async, [] { return ask(port, "GET", "/screen.png?scale=1"); });
  nlohmann::json frame = s["strip"]["frame"];
  Reply strip = ask(port, "POST", "/tap", nlohmann::json{{"x", 60}, {"y", frame[1].get<double>() + 20}}.dump());
  ASSERT_EQ(strip.status, 200);
  EXPECT_EQ(strip.json()["openedURLs"], nlohmann::json({"https://www.rottentomatoes.com/m/heat"}));
  Reply png = picture.get();
  EXPECT_EQ(png.status, 200);
  EXPECT_EQ(png.body.substr(1, 3), "PNG");

  EXPECT_EQ(ask(port, "POST", "/back", "").json()["navigation"], nlohmann::json({"Home"})) << "back needs no body";
}

}  // namespace
