#include "platform/foundation/net/transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

#include "support/https_server.h"
#include "support/scripted_http_server.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 10s;
const std::string kHost = "www.example.test";
const std::string kText = "The quick brown fox jumps over the lazy dog. " + std::string(2000, 'z');

// Collects completions from the worker thread; tests wait on it with a
// deadline. Must outlive the Transport whose completions it records.
class Recorder {
 public:
  net::Transport::Completion callback(std::string tag = {}) {
    return [this, tag](net::Result result) {
      {
        std::lock_guard lock(mutex_);
        results_.emplace_back(tag, std::move(result));
      }
      changed_.notify_all();
    };
  }

  bool waitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kDeadline, [&] { return results_.size() >= count; });
  }

  std::vector<std::pair<std::string, net::Result>> results() {
    std::lock_guard lock(mutex_);
    return results_;
  }

  net::Result only() {
    auto all = results();
    if (all.size() != 1) {
      ADD_FAILURE() << "expected one completion, got " << all.size();
      return net::Error{};
    }
    return all.front().second;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<std::string, net::Result>> results_;
};

const net::Response* response(const net::Result& result) {
  if (auto* error = std::get_if<net::Error>(&result)) {
    ADD_FAILURE() << "expected a response, got error " << error->code << " " << error->description << " ("
                  << error->detail << ")";
    return nullptr;
  }
  return &std::get<net::Response>(result);
}

long errorCode(const net::Result& result) {
  if (auto* error = std::get_if<net::Error>(&result)) return error->code;
  return 0;  // a response
}

std::vector<std::string> headerValues(const net::Response& r, const std::string& name) {
  std::vector<std::string> values;
  for (const auto& [key, value] : r.headers)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) values.push_back(value);
  return values;
}

net::Request get(const std::string& path, net::HeaderFields headers = {}) {
  net::Request request;
  request.url = "https://" + kHost + path;
  request.headers = std::move(headers);
  return request;
}

// A gzip member whose one stored block promises 100 bytes and holds 10.
std::string truncatedGzip() {
  std::string bytes("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
  bytes += std::string("\x01\x64\x00\x9b\xff", 5);
  return bytes + "0123456789";
}

// Served as www.example.test on 127.0.0.1, reached through CONNECT_TO.
class TransportTest : public ::testing::Test {
 protected:
  TransportTest() : entered_(server_.makeGate()), heldEntered_(server_.makeGate()), release_(server_.makeGate()) {
    auto& http = server_.http();
    http.Get("/hello", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("X-Probe", "one");
      res.set_header("Set-Cookie", "a=1");
      res.set_header("Set-Cookie", "b=2");
      res.set_content("hello", "text/plain");
    });
    http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("nope", "text/plain");
    });
    http.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/hello"); });
    http.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    http.Get("/number/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.matches[1].str(), "text/plain");
    });
    // cpp-httplib compresses text with the best coding the request accepts.
    http.Get("/text", [](const httplib::Request&, httplib::Response& res) { res.set_content(kText, "text/plain"); });
    http.Get("/deflate", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Encoding", "deflate");
      res.set_content(std::string("\x78\x9c\x4b\x49\x4d\xcb\x49\x2c\x49\x4d\x51\x48\xca\x4f\xa9\xd4\x51\x28\x2f"
                                  "\x4a\x2c\x28\x00\xf2\x32\xf3\x14\xaa\x72\x32\x93\x00\xac\xe0\x0b\x0f",
                                  36),
                      "application/octet-stream");
    });
    http.Get("/raw-deflate", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Encoding", "deflate");
      res.set_content(std::string("\x2b\x4a\x2c\x57\x48\x49\x4d\xcb\x49\x2c\x49\x55\x48\xca\x4f\xa9\x04\x00", 18),
                      "application/octet-stream");
    });
    http.Get("/corrupt-gzip", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Encoding", "gzip");
      res.set_content("this is not gzip at all", "application/octet-stream");
    });
    http.Get("/truncated-gzip", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Encoding", "gzip");
      res.set_content(truncatedGzip(), "application/octet-stream");
    });
    http.Get("/zstd", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Encoding", "zstd");
      res.set_content("whatever", "application/octet-stream");
    });
    http.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      entered_.open();
      release_.wait();
      res.set_content("late", "text/plain");
    });
    http.Get("/held", [this](const httplib::Request&, httplib::Response& res) {
      heldEntered_.open();
      release_.wait();
      res.set_content("late", "text/plain");
    });
    server_.start();
  }

  net::Config config() const {
    auto port = std::to_string(server_.port());
    return net::Config{server_.caFile().string(), {kHost + ":443:127.0.0.1:" + port}};
  }

  net::Transport& transport() {
    if (!transport_) transport_ = std::make_unique<net::Transport>(config());
    return *transport_;
  }

  // Joins the worker: afterwards no completion can still arrive.
  void stopTransport() { transport_.reset(); }

  // Starts one request and waits for its completion.
  net::Result fetch(net::Request request) {
    Recorder recorder;
    {
      net::Transport own(config());
      own.start(std::move(request), recorder.callback());
      EXPECT_TRUE(recorder.waitFor(1)) << "no completion before the deadline";
    }
    return recorder.only();
  }

  Recorder recorder_;  // outlives transport_
  support::HttpsServer server_{{kHost}};
  support::Gate& entered_;      // a /slow handler has begun
  support::Gate& heldEntered_;  // a /held handler has begun
  support::Gate& release_;      // lets /slow and /held handlers answer
  std::unique_ptr<net::Transport> transport_;
};

TEST_F(TransportTest, GetReturnsStatusUrlHeadersAndBody) {
  auto result = fetch(get("/hello"));
  auto* r = response(result);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "hello");
  EXPECT_EQ(r->url, "https://" + kHost + "/hello");
  EXPECT_EQ(headerValues(*r, "x-probe"), std::vector<std::string>{"one"});
  EXPECT_EQ(headerValues(*r, "set-cookie"), (std::vector<std::string>{"a=1", "b=2"}))
      << "repeated fields are kept, in order";
}

TEST_F(TransportTest, HttpErrorStatusIsAResponseNotAnError) {
  auto result = fetch(get("/missing"));
  auto* r = response(result);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 404);
  EXPECT_EQ(r->body, "nope");
}

TEST_F(TransportTest, FollowsRedirectsButNotForever) {
  auto result = fetch(get("/moved"));
  auto* r = response(result);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->url, "https://" + kHost + "/hello") << "the url is the final one";
  EXPECT_EQ(r->body, "hello");

  EXPECT_EQ(errorCode(fetch(get("/loop"))), net::URLErrorHTTPTooManyRedirects);
}

TEST_F(TransportTest, DecodesGzipBrotliAndDeflateBodies) {
  for (const std::string coding : {"gzip", "br"}) {
    auto result = fetch(get("/text", {{"accept-encoding", coding}}));
    auto* r = response(result);
    ASSERT_TRUE(r) << coding;
    EXPECT_EQ(headerValues(*r, "content-encoding"), std::vector<std::string>{coding})
        << "the server must really have compressed the body";
    EXPECT_EQ(r->body, kText) << coding << " body not decoded";
  }

  auto byDefault = fetch(get("/text"));
  auto* r = response(byDefault);
  ASSERT_TRUE(r);
  EXPECT_FALSE(headerValues(*r, "content-encoding").empty()) << "a request without accept-encoding asks for one";
  EXPECT_EQ(r->body, kText);

  auto zlibWrapped = fetch(get("/deflate"));
  ASSERT_TRUE(response(zlibWrapped));
  EXPECT_EQ(response(zlibWrapped)->body, "deflated body, wrapped in zlib");
  auto raw = fetch(get("/raw-deflate"));
  ASSERT_TRUE(response(raw));
  EXPECT_EQ(response(raw)->body, "raw deflate body") << "deflate without the zlib wrapper, as some servers send";
}

TEST_F(TransportTest, CorruptTruncatedOrUnknownCodingCannotBeDecoded) {
  // libcurl's own decoder takes a gzip stream that stops early as complete.
  EXPECT_EQ(errorCode(fetch(get("/truncated-gzip"))), net::URLErrorCannotDecodeContentData);
  EXPECT_EQ(errorCode(fetch(get("/corrupt-gzip"))), net::URLErrorCannotDecodeContentData);
  EXPECT_EQ(errorCode(fetch(get("/zstd"))), net::URLErrorCannotDecodeContentData);
}

TEST_F(TransportTest, IdleRequestTimesOut) {
  auto request = get("/slow");
  request.timeoutSeconds = 0.2;
  auto result = fetch(request);
  EXPECT_EQ(errorCode(result), net::URLErrorTimedOut);
  EXPECT_EQ(std::get<net::Error>(result).description, "The request timed out.");
}

TEST_F(TransportTest, CertificateForAnotherNameIsUntrusted) {
  support::HttpsServer other({"other.test"});
  other.start();
  net::Config config{other.caFile().string(), {kHost + ":443:127.0.0.1:" + std::to_string(other.port())}};
  Recorder recorder;
  {
    net::Transport transport(config);
    transport.start(get("/"), recorder.callback());
    ASSERT_TRUE(recorder.waitFor(1));
  }
  EXPECT_EQ(errorCode(recorder.only()), net::URLErrorServerCertificateUntrusted);
}

TEST_F(TransportTest, CertificateFromAnUnknownAuthorityIsUntrusted) {
  support::HttpsServer impostor({kHost});  // right name, its own authority
  impostor.start();
  net::Config config{server_.caFile().string(), {kHost + ":443:127.0.0.1:" + std::to_string(impostor.port())}};
  Recorder recorder;
  {
    net::Transport transport(config);
    transport.start(get("/"), recorder.callback());
    ASSERT_TRUE(recorder.waitFor(1));
  }
  EXPECT_EQ(errorCode(recorder.only()), net::URLErrorServerCertificateUntrusted);
}

TEST_F(TransportTest, RefusedConnectionCannotConnect) {
  // A bound socket that does not listen refuses every connection.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
  net::Request request;
  request.url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  EXPECT_EQ(errorCode(fetch(request)), net::URLErrorCannotConnectToHost);
  ::close(fd);
}

TEST_F(TransportTest, CancelBeforeOrWhileRunningCompletesOnceAsCancelled) {
  auto early = transport().start(get("/slow"), recorder_.callback("early"));
  transport().cancel(early);
  ASSERT_TRUE(recorder_.waitFor(1));

  auto running = transport().start(get("/held"), recorder_.callback("running"));
  ASSERT_TRUE(heldEntered_.wait()) << "the request never reached the server";
  transport().cancel(running);
  ASSERT_TRUE(recorder_.waitFor(2));
  transport().cancel(running);  // again, after completion
  transport().cancel(987654);   // never issued
  release_.open();
  stopTransport();

  auto results = recorder_.results();
  ASSERT_EQ(results.size(), 2u) << "each task completes exactly once";
  for (const auto& [tag, result] : results) {
    EXPECT_EQ(errorCode(result), net::URLErrorCancelled) << tag;
    EXPECT_EQ(std::get<net::Error>(result).description, "cancelled") << tag;
  }
}

TEST_F(TransportTest, ManyParallelRequestsEachCompleteOnceWithTheirOwnBody) {
  constexpr int kCount = 40;
  for (int i = 0; i < kCount; ++i)
    transport().start(get("/number/" + std::to_string(i)), recorder_.callback(std::to_string(i)));
  ASSERT_TRUE(recorder_.waitFor(kCount));
  stopTransport();

  auto results = recorder_.results();
  ASSERT_EQ(results.size(), std::size_t(kCount));
  std::map<std::string, int> seen;
  for (const auto& [tag, result] : results) {
    auto* r = response(result);
    ASSERT_TRUE(r) << "request " << tag;
    EXPECT_EQ(r->body, tag) << "request " << tag << " got another request's body";
    ++seen[tag];
  }
  EXPECT_EQ(seen.size(), std::size_t(kCount));
}

TEST_F(TransportTest, CompletionCanStartTheNextTransfer) {
  auto& t = transport();
  t.start(get("/hello"), [&](net::Result first) {
    recorder_.callback("first")(std::move(first));
    t.start(get("/number/2"), recorder_.callback("second"));
  });
  ASSERT_TRUE(recorder_.waitFor(2));
  auto results = recorder_.results();
  ASSERT_TRUE(response(results[1].second));
  EXPECT_EQ(response(results[1].second)->body, "2");
}

TEST_F(TransportTest, DestructorCancelsWorkInFlightEvenWorkStartedDuringShutdown) {
  auto& t = transport();
  t.start(get("/slow"), [&](net::Result result) {
    recorder_.callback("first")(std::move(result));
    t.start(get("/hello"), recorder_.callback("started during shutdown"));
  });
  for (int i = 0; i < 3; ++i) t.start(get("/slow"), recorder_.callback("slow"));
  ASSERT_TRUE(entered_.wait());
  stopTransport();  // returns only once every completion has run

  auto results = recorder_.results();
  ASSERT_EQ(results.size(), 5u);
  for (const auto& [tag, result] : results) EXPECT_EQ(errorCode(result), net::URLErrorCancelled) << tag;
}

// Requests as they arrive on the wire, from a server that records raw bytes.
TEST(TransportWire, SendsHeadersInOrderWithExactValuesAndThePostBody) {
  support::ScriptedHttpServer server([](const std::string&) {
    return support::ScriptedHttpServer::Reply{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"};
  });
  net::Request request;
  request.method = "POST";
  request.url = server.url("/1/indexes/*/queries?x-algolia-agent=a%20b");
  request.headers = {{"accept", "application/json"},
                     {"accept-encoding", "gzip, deflate, br"},
                     {"content-type", "application/json; charset=UTF-8"},
                     {"x-empty", ""},
                     {"user-agent", "Mozilla/5.0  (two spaces kept)"}};
  std::string body = R"({"requests":[{"indexName":"content_rt","query":"Alien"}]})";
  request.body = body;

  Recorder recorder;
  {
    net::Transport transport;
    transport.start(request, recorder.callback());
    ASSERT_TRUE(recorder.waitFor(1));
  }
  ASSERT_TRUE(response(recorder.only()));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& wire = requests.front();

  EXPECT_TRUE(wire.starts_with("POST /1/indexes/*/queries?x-algolia-agent=a%20b HTTP/1.1\r\n")) << wire;
  std::size_t previous = 0;
  for (std::string line : {"\r\naccept: application/json\r\n", "\r\naccept-encoding: gzip, deflate, br\r\n",
                           "\r\ncontent-type: application/json; charset=UTF-8\r\n", "\r\nx-empty:\r\n",
                           "\r\nuser-agent: Mozilla/5.0  (two spaces kept)\r\n"}) {
    auto at = wire.find(line);
    ASSERT_NE(at, std::string::npos) << "missing" << line << "in\n" << wire;
    EXPECT_GT(at, previous) << "out of order:" << line << "in\n" << wire;
    previous = at;
  }
  std::string lower = wire;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(lower.find("accept-encoding"), lower.rfind("accept-encoding")) << "sent twice:\n" << wire;
  EXPECT_EQ(lower.find("expect:"), std::string::npos) << "no 100-continue dance:\n" << wire;
  EXPECT_TRUE(wire.ends_with("\r\n\r\n" + body)) << wire;
}

TEST(TransportWire, BodyCutShortIsConnectionLost) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n";
  for (bool reset : {false, true}) {
    support::ScriptedHttpServer server(
        [&](const std::string&) { return support::ScriptedHttpServer::Reply{head + "only part", reset}; });
    net::Request request;
    request.url = server.url("/");
    Recorder recorder;
    {
      net::Transport transport;
      transport.start(request, recorder.callback());
      ASSERT_TRUE(recorder.waitFor(1));
    }
    EXPECT_EQ(errorCode(recorder.only()), net::URLErrorNetworkConnectionLost)
        << (reset ? "reset" : "closed") << " mid-body must not pass as a short success";
  }
}

TEST(TransportWire, HeaderValueThatWouldSplitTheRequestIsRefused) {
  // A token read from a web page must not be able to add header lines.
  support::ScriptedHttpServer server([](const std::string&) {
    return support::ScriptedHttpServer::Reply{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"};
  });
  net::Request request;
  request.url = server.url("/");
  request.headers = {{"x-algolia-api-key", "secret\r\nX-Injected: yes"}};
  Recorder recorder;
  {
    net::Transport transport;
    transport.start(request, recorder.callback());
    ASSERT_TRUE(recorder.waitFor(1));
  }
  EXPECT_EQ(errorCode(recorder.only()), net::URLErrorBadURL);
  EXPECT_TRUE(server.requests().empty()) << "nothing may reach the server";
}

}  // namespace
