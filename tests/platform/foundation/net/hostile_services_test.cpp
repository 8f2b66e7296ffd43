// The transport against the stand-in services answering in each hostile
// way: the error the platform reports for it, within the request's time-out
// plus a second, and a transport that still serves the next request.

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/foundation/net/transport.h"
#include "services/hostile.h"
#include "services/server.h"

namespace {

using namespace std::chrono_literals;
using services::Endpoint;
using services::Hostile;

constexpr auto kLimit = 1s;

// One completion, waited for with a generous deadline.
struct Outcome {
  std::mutex mutex;
  std::condition_variable done;
  std::vector<net::Result> results;

  net::Transport::Completion callback() {
    return [this](net::Result result) {
      std::lock_guard lock(mutex);
      results.push_back(std::move(result));
      done.notify_all();
    };
  }
  bool wait() {
    std::unique_lock lock(mutex);
    return done.wait_for(lock, 20s, [&] { return !results.empty(); });
  }
};

class HostileServices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto catalog = services::Catalog::load(services::defaultCatalogPath());
    ASSERT_TRUE(catalog) << catalog.error().message;
    server_ = new services::ServicesServer(std::move(catalog).value());
    ASSERT_TRUE(server_->start());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void TearDown() override { server_->clearMisbehaviours(); }

  net::Config config() const {
    net::Config config;
    config.caFile = server_->caFile().string();
    for (const std::string& host : server_->hostNames())
      config.connectTo.push_back(host + ":443:127.0.0.1:" + std::to_string(server_->port()));
    config.timeoutLimitSeconds = std::chrono::duration<double>(kLimit).count();
    config.maxBodyBytes = 4 * 1024 * 1024;
    return config;
  }

  // What the module sends each endpoint, with the platform's 30 s time-out.
  net::Request requestFor(Endpoint endpoint) const {
    net::Request request;
    request.timeoutSeconds = 30;
    const auto& o = server_->options();
    switch (endpoint) {
      case Endpoint::Search:
        request.method = "POST";
        request.url = "https://" + server_->searchHost() + "/1/indexes/*/queries?x-algolia-api-key=" + o.apiKey +
                      "&x-algolia-application-id=" + o.applicationId;
        request.body = R"({"requests":[{"indexName":"content_rt","query":"Heat","params":""}]})";
        break;
      case Endpoint::Certified:
        request.url = "https://" + o.certifiedHost + "/api/ems/v2/emsId/c60f41a6-5347-50b7-b030-ced2e1c8213a";
        break;
      default:
        request.url = "https://" + o.ratingsHost;
    }
    return request;
  }

  static net::Result fetch(net::Transport& transport, net::Request request) {
    Outcome outcome;
    transport.start(std::move(request), outcome.callback());
    if (!outcome.wait()) {
      ADD_FAILURE() << "no completion";
      return net::Error{};
    }
    std::lock_guard lock(outcome.mutex);
    EXPECT_EQ(outcome.results.size(), 1u);
    return outcome.results.front();
  }

  static inline services::ServicesServer* server_ = nullptr;
};

TEST_F(HostileServices, EachEndsInItsErrorWithinTheTimeOutAndTheTransportServesTheNextRequest) {
  // The deeply nested answer is well-formed HTTP: it fails where it is read.
  const std::map<Hostile, long> expected = {
      {Hostile::ResetMidBody, net::URLErrorNetworkConnectionLost},
      {Hostile::TruncatedGzip, net::URLErrorCannotDecodeContentData},
      {Hostile::TruncatedBrotli, net::URLErrorCannotDecodeContentData},
      {Hostile::CorruptGzip, net::URLErrorCannotDecodeContentData},
      {Hostile::CorruptBrotli, net::URLErrorCannotDecodeContentData},
      {Hostile::Stall, net::URLErrorTimedOut},
      {Hostile::Drip, net::URLErrorTimedOut},
      {Hostile::Huge, net::URLErrorDataLengthExceedsMaximum},
      {Hostile::DeepJson, 0},
      {Hostile::CertificateForAnotherHost, net::URLErrorServerCertificateUntrusted},
      {Hostile::ExpiredCertificate, net::URLErrorServerCertificateHasBadDate},
      {Hostile::RedirectToHttp, net::URLErrorAppTransportSecurityRequiresSecureConnection},
      {Hostile::RedirectLoop, net::URLErrorHTTPTooManyRedirects},
  };
  ASSERT_EQ(expected.size(), services::allHostile().size());
  for (Endpoint endpoint : {Endpoint::HomePage, Endpoint::Search, Endpoint::Certified}) {
    for (auto [hostile, code] : expected) {
      // Only a stall and a drip need the time-out to end; the others get
      // room, so a slow sanitizer build still reaches their own outcome.
      const bool endsByTimeOut = code == net::URLErrorTimedOut;
      net::Config roomy = config();
      if (!endsByTimeOut) roomy.timeoutLimitSeconds = 60;
      net::Transport transport(roomy);  // no connection to reuse: certificates show at the handshake
      SCOPED_TRACE(std::string(services::endpointName(endpoint)) + " " + std::string(services::hostileName(hostile)));
      server_->setMisbehaviour(endpoint, services::hostileReply(hostile, endpoint, kLimit + 2s));
      const auto started = std::chrono::steady_clock::now();
      net::Result result = fetch(transport, requestFor(endpoint));
      if (endsByTimeOut) {
        EXPECT_LT(std::chrono::steady_clock::now() - started, kLimit + 1s);
      }
      if (code == 0) {
        ASSERT_TRUE(std::holds_alternative<net::Response>(result));
        EXPECT_GE(std::get<net::Response>(result).body.size(), 200'000u);
      } else {
        ASSERT_TRUE(std::holds_alternative<net::Error>(result));
        EXPECT_EQ(std::get<net::Error>(result).code, code) << std::get<net::Error>(result).detail;
      }

      server_->clearMisbehaviours();
      net::Result next = fetch(transport, requestFor(endpoint));
      ASSERT_TRUE(std::holds_alternative<net::Response>(next)) << std::get<net::Error>(next).detail;
      EXPECT_EQ(std::get<net::Response>(next).status, 200);
    }
  }
}

TEST_F(HostileServices, ABodyPastTheCapFailsEvenWhenItArrivesCompressed) {
  net::Request request = requestFor(Endpoint::HomePage);
  request.headers = {{"accept-encoding", "gzip"}};
  // Time enough for a megabyte under a sanitizer: this is about the cap.
  net::Config patient = config();
  patient.timeoutLimitSeconds = 60;
  net::Transport roomy(patient);
  net::Result whole = fetch(roomy, request);
  ASSERT_TRUE(std::holds_alternative<net::Response>(whole));
  const auto& page = std::get<net::Response>(whole);
  std::size_t sent = 0;
  for (const auto& [name, value] : page.headers)
    if (name == "Content-Length" || name == "content-length") sent = std::stoul(value);
  ASSERT_GT(sent, 0u);
  ASSERT_LT(sent * 2, page.body.size()) << "the page must shrink when compressed";

  // A cap between the compressed and the decoded size: only the decoded
  // body's size can trip it.
  net::Config small = patient;
  small.maxBodyBytes = (sent + page.body.size()) / 2;
  net::Transport transport(small);
  net::Result result = fetch(transport, request);
  ASSERT_TRUE(std::holds_alternative<net::Error>(result));
  EXPECT_EQ(std::get<net::Error>(result).code, net::URLErrorDataLengthExceedsMaximum);
}

}  // namespace
