#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/foundation/NSURLSession.h"
#include "support/https_server.h"
#include "support/scripted_http_server.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 10s;
const std::string kHost = "www.example.test";
const std::string kOtherHost = "other.example.test";  // routed to the same server, not on its certificate
const std::string kText = "Tomatometer " + std::string(3000, 'x');

std::string str(const NSString* s) { return s ? s->UTF8String() : "<nil>"; }

// What one completion handler saw.
struct Outcome {
  std::string tag;
  bool hasData = false;
  std::string body;
  Ref<NSHTTPURLResponse> response;
  long errorCode = 0;
  std::string errorDomain;
  dispatch_queue_s* queue = nullptr;  // dispatch::currentQueue() inside the handler
  std::string queueLabel;
};

// Collects completions from callback queues; tests wait on it with a
// deadline. Handlers hold it by shared_ptr, so it outlives any late one.
class Completions : public std::enable_shared_from_this<Completions> {
 public:
  NSURLSessionDataCompletion handler(std::string tag = {}) {
    return [self = shared_from_this(), tag](NSData* data, NSURLResponse* response, NSError* error) {
      if (self->inHandler_.exchange(true)) self->overlapped_ = true;
      Outcome outcome;
      outcome.tag = tag;
      outcome.hasData = data != nullptr;
      if (data) outcome.body = data->bytes();
      outcome.response = objc_cast<NSHTTPURLResponse>(response);
      if (error) {
        outcome.errorCode = error->code();
        outcome.errorDomain = str(error->domain());
      }
      outcome.queue = dispatch::currentQueue().get();
      outcome.queueLabel = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL);
      self->inHandler_ = false;
      {
        std::lock_guard lock(self->mutex_);
        self->outcomes_.push_back(std::move(outcome));
      }
      self->changed_.notify_all();
    };
  }

  bool waitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kDeadline, [&] { return outcomes_.size() >= count; });
  }

  std::vector<Outcome> all() {
    std::lock_guard lock(mutex_);
    return outcomes_;
  }

  Outcome only() {
    auto outcomes = all();
    if (outcomes.size() != 1) {
      ADD_FAILURE() << "expected one completion, got " << outcomes.size();
      return {};
    }
    return outcomes.front();
  }

  bool overlapped() const { return overlapped_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Outcome> outcomes_;
  std::atomic<bool> inHandler_{false};
  std::atomic<bool> overlapped_{false};
};

class Records {
 public:
  void add(const NSURLSessionTransferRecord& record) {
    std::lock_guard lock(mutex_);
    records_.push_back(record);
  }
  std::vector<NSURLSessionTransferRecord> all() {
    std::lock_guard lock(mutex_);
    return records_;
  }

 private:
  std::mutex mutex_;
  std::vector<NSURLSessionTransferRecord> records_;
};

Ref<NSURL> urlOf(const std::string& text) {
  return NSURL::URLWithString(NSString::stringWithUTF8String(text).get());
}

Ref<NSMutableURLRequest> requestFor(const std::string& url) { return NSMutableURLRequest::requestWithURL(urlOf(url).get()); }

// Waits for every block already on `queue` to have run, with its releases.
void drain(const dispatch_queue_t& queue) { dispatch_sync(queue, [] {}); }

// Served as www.example.test on 127.0.0.1, reached through connect-to routes.
class NSURLSessionTest : public ::testing::Test {
 protected:
  NSURLSessionTest() : entered_(server_.makeGate()), release_(server_.makeGate()) {
    auto& http = server_.http();
    http.Get("/hello", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("X-Probe", "one");
      res.set_content("hello", "text/plain");
    });
    http.Get("/text", [](const httplib::Request&, httplib::Response& res) { res.set_content(kText, "text/plain"); });
    http.Get("/number/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.matches[1].str(), "text/plain");
    });
    http.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      entered_.open();
      release_.wait();
      res.set_content("late", "text/plain");
    });
    server_.start();
  }

  ~NSURLSessionTest() override { NSURLSession::setTransferObserver(nullptr); }

  NSURLSessionTransportSettings settings() const {
    auto port = std::to_string(server_.port());
    return {server_.caFile().string(), {kHost + ":443:127.0.0.1:" + port, kOtherHost + ":443:127.0.0.1:" + port}};
  }

  Ref<NSURLSession> makeSession() {
    auto configuration = NSURLSessionConfiguration::defaultSessionConfiguration();
    configuration->setTransport(settings());
    return NSURLSession::sessionWithConfiguration(configuration.get());
  }

  NSURLSession& session() {
    if (!session_) session_ = makeSession();
    return *session_;
  }

  Ref<NSURLSessionDataTask> task(const NSURLRequest* request, std::string tag = {}) {
    return session().dataTaskWithRequest_completionHandler(const_cast<NSURLRequest*>(request),
                                                           completions_->handler(std::move(tag)));
  }

  // Runs one request to completion and returns what its handler saw.
  Outcome fetch(const NSURLRequest* request) {
    auto started = completions_->all().size();
    task(request)->resume();
    EXPECT_TRUE(completions_->waitFor(started + 1)) << "no completion before the deadline";
    auto outcomes = completions_->all();
    return outcomes.size() > started ? outcomes[started] : Outcome{};
  }

  std::shared_ptr<Completions> completions_ = std::make_shared<Completions>();
  support::HttpsServer server_{{kHost}};
  support::Gate& entered_;  // a /slow handler has begun
  support::Gate& release_;  // lets /slow handlers answer
  Ref<NSURLSession> session_;
};

TEST_F(NSURLSessionTest, DeliversDataAndResponseOnItsOwnCallbackQueueThenReleasesTheHandler) {
  auto records = std::make_shared<Records>();
  NSURLSession::setTransferObserver([records](const NSURLSessionTransferRecord& r) { records->add(r); });
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  auto handler = completions_->handler();
  auto t = session().dataTaskWithRequest_completionHandler(
      requestFor("https://" + kHost + "/hello").get(),
      [handler, token](NSData* d, NSURLResponse* r, NSError* e) { handler(d, r, e); });
  token.reset();
  EXPECT_EQ(t->state(), NSURLSessionTaskStateSuspended) << "a new task waits for resume";

  t->resume();
  ASSERT_TRUE(completions_->waitFor(1));
  auto outcome = completions_->only();
  EXPECT_EQ(outcome.body, "hello");
  ASSERT_TRUE(outcome.response);
  EXPECT_EQ(outcome.response->statusCode(), 200);
  EXPECT_EQ(str(outcome.response->valueForHTTPHeaderField("x-probe"_ns.get())), "one");
  EXPECT_EQ(str(outcome.response->URL()->absoluteString()), "https://" + kHost + "/hello");
  EXPECT_EQ(outcome.errorCode, 0);
  EXPECT_EQ(outcome.queue, session().callbackQueue().get()) << "handlers run on the session's serial queue";
  EXPECT_EQ(outcome.queueLabel, "com.apple.NSURLSession-delegate");

  drain(session().callbackQueue());
  EXPECT_EQ(t->state(), NSURLSessionTaskStateCompleted);
  EXPECT_TRUE(watch.expired()) << "the handler is released after its call";
  auto seen = records->all();
  ASSERT_EQ(seen.size(), 1u) << "the observer sees each finished transfer";
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].url, "https://" + kHost + "/hello");
  EXPECT_EQ(seen[0].status, 200);
  EXPECT_EQ(seen[0].errorCode, 0);
  EXPECT_GE(seen[0].milliseconds, 0);
}

TEST_F(NSURLSessionTest, SendsTheRequestsMethodHeadersInOrderAndBody) {
  support::ScriptedHttpServer wire([](const std::string&) {
    return support::ScriptedHttpServer::Reply{"HTTP/1.1 201 Created\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"};
  });
  auto request = requestFor(wire.url("/1/indexes/*/queries?x-algolia-agent=a%20(b)"));
  request->setHTTPMethod("POST"_ns.get());
  request->setValue_forHTTPHeaderField("*/*"_ns.get(), "accept"_ns.get());
  request->setValue_forHTTPHeaderField("application/x-www-form-urlencoded"_ns.get(), "content-type"_ns.get());
  request->setValue_forHTTPHeaderField("https://www.example.test"_ns.get(), "origin"_ns.get());
  request->setValue_forHTTPHeaderField("application/json"_ns.get(), "Accept"_ns.get());
  request->setHTTPBody(NSData::dataWithBytes(R"({"requests":[]})").get());

  auto outcome = fetch(request.get());
  ASSERT_TRUE(outcome.response);
  EXPECT_EQ(outcome.response->statusCode(), 201);
  auto received = wire.requests();
  ASSERT_EQ(received.size(), 1u);
  const std::string& raw = received.front();
  EXPECT_TRUE(raw.starts_with("POST /1/indexes/*/queries?x-algolia-agent=a%20(b) HTTP/1.1\r\n")) << raw;
  std::size_t previous = 0;
  for (std::string line : {"\r\naccept: application/json\r\n", "\r\ncontent-type: application/x-www-form-urlencoded\r\n",
                           "\r\norigin: https://www.example.test\r\n"}) {
    auto at = raw.find(line);
    ASSERT_NE(at, std::string::npos) << "missing" << line << "in\n" << raw;
    EXPECT_GT(at, previous) << "out of order:" << line << "in\n" << raw;
    previous = at;
  }
  EXPECT_TRUE(raw.ends_with("\r\n\r\n{\"requests\":[]}")) << raw;
}

TEST_F(NSURLSessionTest, DecodesGzipAndBrotliBodies) {
  for (const char* coding : {"gzip", "br"}) {
    auto request = requestFor("https://" + kHost + "/text");
    request->setValue_forHTTPHeaderField(NSString::stringWithUTF8String(coding).get(), "accept-encoding"_ns.get());
    auto outcome = fetch(request.get());
    ASSERT_TRUE(outcome.response) << coding << ": error " << outcome.errorCode;
    EXPECT_EQ(str(outcome.response->valueForHTTPHeaderField("content-encoding"_ns.get())), coding)
        << "the server must really have compressed the body";
    EXPECT_EQ(outcome.body, kText) << coding << " body not decoded";
  }
}

TEST_F(NSURLSessionTest, TransportFailuresArriveAsURLErrorsWithoutDataOrResponse) {
  // A bound socket that does not listen refuses every connection.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
  auto refused = requestFor("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");

  auto idle = requestFor("https://" + kHost + "/slow");
  idle->setTimeoutInterval(0.2);

  std::vector<std::pair<Ref<NSMutableURLRequest>, long>> cases = {
      {refused, -1004},
      {idle, -1001},
      {requestFor("ftp://" + kHost + "/file"), -1002},
  };
  for (const auto& [request, code] : cases) {
    auto outcome = fetch(request.get());
    EXPECT_EQ(outcome.errorCode, code) << str(request->URL()->absoluteString());
    EXPECT_EQ(outcome.errorDomain, "NSURLErrorDomain");
    EXPECT_FALSE(outcome.hasData);
    EXPECT_FALSE(outcome.response);
    EXPECT_EQ(outcome.queue, session().callbackQueue().get());
  }
  ::close(fd);
}

TEST_F(NSURLSessionTest, CertificateForAnotherNameFails) {
  auto outcome = fetch(requestFor("https://" + kOtherHost + "/hello").get());
  EXPECT_EQ(outcome.errorCode, -1202) << "the certificate names only " << kHost;
  EXPECT_FALSE(outcome.hasData);
}

TEST_F(NSURLSessionTest, CancelEndsARunningTaskWithMinus999ExactlyOnce) {
  auto t = task(requestFor("https://" + kHost + "/slow").get(), "slow");
  t->resume();
  ASSERT_TRUE(entered_.wait()) << "the request never reached the server";
  t->cancel();
  t->cancel();
  ASSERT_TRUE(completions_->waitFor(1));
  drain(session().callbackQueue());
  EXPECT_EQ(t->state(), NSURLSessionTaskStateCompleted);
  t->cancel();
  t->resume();
  release_.open();

  // Cancelled at once after resume: whatever the transfer did, -999.
  std::vector<std::pair<Ref<NSURLSessionDataTask>, bool>> quick;
  for (int i = 0; i < 10; ++i) {
    auto q = task(requestFor("https://" + kHost + "/hello").get(), "quick");
    q->resume();
    bool wasRunning = q->state() == NSURLSessionTaskStateRunning;
    q->cancel();
    quick.emplace_back(q, wasRunning);
  }
  ASSERT_TRUE(completions_->waitFor(11));
  // Serial queue: once this one is delivered, nothing earlier can still come.
  fetch(requestFor("https://" + kHost + "/hello").get());

  auto outcomes = completions_->all();
  ASSERT_EQ(outcomes.size(), 12u) << "one completion per started task";
  EXPECT_EQ(outcomes[0].tag, "slow");
  EXPECT_EQ(outcomes[0].errorCode, -999);
  EXPECT_FALSE(outcomes[0].hasData);
  for (std::size_t i = 1; i < 11; ++i) {
    EXPECT_EQ(outcomes[i].tag, "quick");
    EXPECT_EQ(outcomes[i].errorCode, -999) << "a cancel that found the task running wins";
  }
  for (const auto& [q, wasRunning] : quick) EXPECT_TRUE(wasRunning);
}

TEST_F(NSURLSessionTest, NeverResumedTaskNeverCallsItsHandler) {
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  auto handler = completions_->handler("never");
  auto cancelled = session().dataTaskWithRequest_completionHandler(
      requestFor("https://" + kHost + "/hello").get(),
      [handler, token](NSData* d, NSURLResponse* r, NSError* e) { handler(d, r, e); });
  token.reset();
  cancelled->cancel();
  EXPECT_EQ(cancelled->state(), NSURLSessionTaskStateCompleted);
  EXPECT_TRUE(watch.expired()) << "cancelling a suspended task releases its handler";
  cancelled->resume();
  EXPECT_EQ(cancelled->state(), NSURLSessionTaskStateCompleted) << "a cancelled task does not start";

  { auto dropped = task(requestFor("https://" + kHost + "/hello").get(), "never"); }

  auto outcome = fetch(requestFor("https://" + kHost + "/hello").get());
  EXPECT_EQ(outcome.body, "hello");
  drain(session().callbackQueue());
  EXPECT_EQ(completions_->all().size(), 1u) << "only the resumed task completed";
}

TEST_F(NSURLSessionTest, RunningTaskOutlivesEveryReferenceAndThenFreesItsSession) {
  dispatch_queue_t queue;
  Weak<NSURLSession> weakSession;
  Weak<NSURLSessionDataTask> weakTask;
  {
    Ref<NSURLSession> own = makeSession();
    queue = own->callbackQueue();
    weakSession = own;
    auto t = own->dataTaskWithRequest_completionHandler(requestFor("https://" + kHost + "/slow").get(),
                                                        completions_->handler());
    weakTask = t;
    t->resume();
  }
  ASSERT_TRUE(entered_.wait());
  EXPECT_TRUE(weakTask.lock()) << "a started task keeps itself alive";
  release_.open();
  ASSERT_TRUE(completions_->waitFor(1));
  EXPECT_EQ(completions_->only().body, "late");
  drain(queue);
  EXPECT_FALSE(weakTask.lock()) << "and lets go once its handler has run";
  EXPECT_FALSE(weakSession.lock()) << "the session goes with its last task";
}

TEST_F(NSURLSessionTest, ManyTasksInParallelEachCompleteOnceWithTheirOwnBody) {
  constexpr int kCount = 40;
  for (int i = 0; i < kCount; ++i)
    task(requestFor("https://" + kHost + "/number/" + std::to_string(i)).get(), std::to_string(i))->resume();
  ASSERT_TRUE(completions_->waitFor(kCount));
  drain(session().callbackQueue());

  auto outcomes = completions_->all();
  ASSERT_EQ(outcomes.size(), std::size_t(kCount));
  std::map<std::string, int> seen;
  for (const auto& outcome : outcomes) {
    EXPECT_EQ(outcome.body, outcome.tag) << "request " << outcome.tag << " got another request's body";
    EXPECT_EQ(outcome.queue, session().callbackQueue().get());
    ++seen[outcome.tag];
  }
  EXPECT_EQ(seen.size(), std::size_t(kCount)) << "each task completed exactly once";
  EXPECT_FALSE(completions_->overlapped()) << "handlers ran one at a time";
}

TEST_F(NSURLSessionTest, InvalidateAndCancelEndsRunningAndLaterResumedTasks) {
  auto waiting = task(requestFor("https://" + kHost + "/hello").get(), "resumed after");
  for (int i = 0; i < 3; ++i) task(requestFor("https://" + kHost + "/slow").get(), "slow")->resume();
  ASSERT_TRUE(entered_.wait());
  session().invalidateAndCancel();
  waiting->resume();
  ASSERT_TRUE(completions_->waitFor(4));
  release_.open();
  drain(session().callbackQueue());
  auto outcomes = completions_->all();
  ASSERT_EQ(outcomes.size(), 4u);
  for (const auto& outcome : outcomes) EXPECT_EQ(outcome.errorCode, -999) << outcome.tag;
}

TEST_F(NSURLSessionTest, DefaultSettingsComeFromTheProcessOrElseTheEnvironment) {
  NSURLSessionConfiguration::resetDefaultTransportSettingsForTesting();
  ::setenv("SCORELENS_CA_FILE", "/etc/test-ca.pem", 1);
  ::setenv("SCORELENS_CONNECT_TO", " a.test:443:127.0.0.1:1 ,, b.test:443:127.0.0.1:2", 1);
  auto fromEnvironment = NSURLSessionConfiguration::defaultTransportSettings();
  EXPECT_EQ(fromEnvironment.caFile, "/etc/test-ca.pem");
  EXPECT_EQ(fromEnvironment.connectTo, (std::vector<std::string>{"a.test:443:127.0.0.1:1", "b.test:443:127.0.0.1:2"}));

  NSURLSessionConfiguration::setDefaultTransportSettings(settings());
  EXPECT_EQ(NSURLSessionConfiguration::defaultSessionConfiguration()->transport().caFile, settings().caFile)
      << "what was set wins over the environment";
  ::unsetenv("SCORELENS_CA_FILE");
  ::unsetenv("SCORELENS_CONNECT_TO");

  session_ = NSURLSession::sessionWithConfiguration(nullptr);
  auto outcome = fetch(requestFor("https://" + kHost + "/hello").get());
  EXPECT_EQ(outcome.body, "hello") << "a session without a configuration uses the defaults";
  NSURLSessionConfiguration::resetDefaultTransportSettingsForTesting();
}

}  // namespace
