#include "services/server.h"

#include <future>

#include <gtest/gtest.h>

#include "services/compression.h"
#include "services_test_support.h"

namespace {

using nlohmann::json;
using services::Endpoint;
using services::Fault;
using services::Misbehaviour;
using services::ServicesServer;
using services::testing::clientFor;
using services::testing::deadline;
using services::testing::postSearch;

// Designated initialisers would trip -Wmissing-field-initializers.
Misbehaviour withFault(Fault fault, int remaining = -1) {
  Misbehaviour m;
  m.fault = fault;
  m.remaining = remaining;
  return m;
}
Misbehaviour withGate(std::shared_ptr<services::Gate> gate) {
  Misbehaviour m;
  m.gate = std::move(gate);
  return m;
}

class ServicesServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto catalog = services::Catalog::load(services::defaultCatalogPath());
    ASSERT_TRUE(catalog.ok()) << catalog.error().message;
    server_ = std::make_unique<ServicesServer>(std::move(catalog).value());
    auto started = server_->start();
    ASSERT_TRUE(started.ok()) << started.error().message;
  }

  httplib::Result getHomePage(httplib::Headers headers = {}, bool decompress = true) {
    auto client = clientFor(*server_, "www.rottentomatoes.com");
    client->set_decompress(decompress);
    return client->Get("/", headers);
  }

  httplib::Result getCertified(const std::string& emsId) {
    return clientFor(*server_, "flixster.com")->Get(("/api/ems/v2/emsId/" + emsId).c_str());
  }

  std::unique_ptr<ServicesServer> server_;
};

TEST_F(ServicesServerTest, ServesTheHomePageOverVerifiedTlsInTheAcceptedCoding) {
  for (const auto& [accept, coding] : std::vector<std::pair<std::string, std::string>>{
           {"gzip, deflate, br", "br"}, {"gzip", "gzip"}, {"identity", ""}}) {
    auto client = clientFor(*server_, "www.rottentomatoes.com");
    client->set_decompress(false);
    auto response = client->Get("/", {{"Accept-Encoding", accept}});
    ASSERT_TRUE(response) << accept << ": " << httplib::to_string(response.error());
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->get_header_value("Content-Encoding"), coding) << accept;
    EXPECT_EQ(response->get_header_value_count("Content-Encoding"), coding.empty() ? 0u : 1u);
    const auto page = services::decodeBody(coding == "br"     ? services::ContentCoding::Brotli
                                           : coding == "gzip" ? services::ContentCoding::Gzip
                                                              : services::ContentCoding::Identity,
                                           response->body);
    ASSERT_TRUE(page.ok()) << page.error().message;
    EXPECT_NE(page.value().find(services::kThirdPartyMarker), std::string::npos) << accept;
  }
}

TEST_F(ServicesServerTest, IsNotTrustedWithoutItsCa) {
  httplib::SSLClient client("www.rottentomatoes.com", server_->port());
  client.set_hostname_addr_map({{"www.rottentomatoes.com", "127.0.0.1"}});
  client.enable_server_certificate_verification(true);
  client.set_ca_cert_path("/nonexistent-ca.pem");
  auto response = client.Get("/");
  EXPECT_FALSE(response) << "a client that does not trust the test CA must refuse the server";
}

TEST_F(ServicesServerTest, AnswersTheModulesSearchAndRefusesABadKey) {
  auto response = postSearch(*server_, "Heat");
  ASSERT_TRUE(response) << httplib::to_string(response.error());
  ASSERT_EQ(response->status, 200) << response->body;
  const json answer = json::parse(response->body);
  const auto labels = services::testing::hitLabels(answer);
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels[0], "Heat (1995)");
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "Heat (1972)"), 0) << "the module's filter applies";

  auto few = postSearch(*server_, "Heat", "", "filters=isEmsSearchable%20%3D%201&hitsPerPage=1");
  ASSERT_TRUE(few);
  EXPECT_EQ(json::parse(few->body).at("results").at(0).at("hits").size(), 1u);

  auto refused = postSearch(*server_, "Heat", "not-the-key");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 403);
  EXPECT_EQ(json::parse(refused->body), (json{{"message", "Invalid Application-ID or API key"}, {"status", 403}}));

  // Keys in headers are as good as keys in the query.
  auto client = clientFor(*server_, server_->searchHost());
  auto byHeader = client->Post("/1/indexes/*/queries",
                               {{"X-Algolia-API-Key", server_->options().apiKey},
                                {"X-Algolia-Application-Id", server_->options().applicationId}},
                               services::testing::searchBody("Dune"), "application/json");
  ASSERT_TRUE(byHeader);
  EXPECT_EQ(byHeader->status, 200) << byHeader->body;
}

TEST_F(ServicesServerTest, AnswersCertifiedStatusAndUnknownHosts) {
  auto known = getCertified("heat");
  ASSERT_TRUE(known) << httplib::to_string(known.error());
  EXPECT_EQ(known->status, 200);
  EXPECT_EQ(json::parse(known->body).at("tomatometer").at("certifiedFresh"), true);

  auto unknown = getCertified("no-such-id");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 404);
  EXPECT_TRUE(json::parse(unknown->body, nullptr, false).is_object()) << unknown->body;

  auto other = clientFor(*server_, "localhost")->Get("/");
  ASSERT_TRUE(other) << httplib::to_string(other.error());
  EXPECT_EQ(other->status, 421);
}

TEST_F(ServicesServerTest, KeepsAConnectionForManyRequests) {
  auto client = clientFor(*server_, "flixster.com");
  client->set_keep_alive(true);
  for (int i = 0; i < 8; ++i) {
    auto answer = client->Get("/api/ems/v2/emsId/heat");
    ASSERT_TRUE(answer);
    EXPECT_NE(answer->get_header_value("Connection"), "close") << "request " << i + 1;
  }
}

TEST_F(ServicesServerTest, RecordsEveryRequestAsSent) {
  ASSERT_TRUE(postSearch(*server_, "The Prestige"));
  ASSERT_TRUE(getCertified("heat"));
  const auto requests = server_->log().requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].endpoint, Endpoint::Search);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].host, server_->searchHost() + ":" + std::to_string(server_->port()));
  EXPECT_EQ(requests[0].target, services::testing::searchTarget(server_->options().applicationId,
                                                                server_->options().apiKey));
  EXPECT_EQ(requests[0].header("content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(json::parse(requests[0].body).at("requests").at(0).at("query"), "The Prestige");
  EXPECT_TRUE(requests[0].header("REMOTE_ADDR").empty()) << "only headers the client sent";
  EXPECT_EQ(requests[1].endpoint, Endpoint::Certified);
  EXPECT_EQ(requests[1].target, "/api/ems/v2/emsId/heat");
}

TEST_F(ServicesServerTest, HoldsAnAnswerUntilTheGateOpens) {
  auto gate = std::make_shared<services::Gate>();
  server_->setMisbehaviour(Endpoint::Certified, withGate(gate));
  auto pending = std::async(std::launch::async, [&] { return getCertified("heat"); });
  ASSERT_TRUE(gate->waitForArrivals(1, deadline()));
  EXPECT_EQ(pending.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "answered while held";
  gate->release();
  auto response = pending.get();
  ASSERT_TRUE(response) << httplib::to_string(response.error());
  EXPECT_EQ(response->status, 200);
}

TEST_F(ServicesServerTest, StopReleasesHeldAnswers) {
  auto gate = std::make_shared<services::Gate>();
  server_->setMisbehaviour(Endpoint::HomePage, withGate(gate));
  auto pending = std::async(std::launch::async, [&] { return getHomePage(); });
  ASSERT_TRUE(gate->waitForArrivals(1, deadline()));
  server_->stop();
  EXPECT_TRUE(gate->isReleased());
  pending.get();  // returns, whatever the client made of it
  EXPECT_FALSE(server_->isRunning());
}

TEST_F(ServicesServerTest, DelaysAnswers) {
  server_->setMisbehaviour(Endpoint::Certified, [] {
    Misbehaviour m;
    m.delay = std::chrono::milliseconds(200);
    return m;
  }());
  const auto begun = std::chrono::steady_clock::now();
  auto response = getCertified("heat");
  ASSERT_TRUE(response);
  EXPECT_GE(std::chrono::steady_clock::now() - begun, std::chrono::milliseconds(200));
}

TEST_F(ServicesServerTest, CutsTheConnectionMidBody) {
  server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::ResetMidBody));
  auto response = getHomePage();
  EXPECT_FALSE(response) << "a body cut short must not arrive as a whole answer";
  EXPECT_EQ(server_->log().count(Endpoint::HomePage), 1u);
}

TEST_F(ServicesServerTest, SendsCompressedBodiesThatAreCutOrDamaged) {
  for (const auto& [accept, coding] : std::vector<std::pair<std::string, services::ContentCoding>>{
           {"br", services::ContentCoding::Brotli},
           {"gzip", services::ContentCoding::Gzip},
           {"identity", services::ContentCoding::Gzip}}) {
    server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::TruncatedCompressedBody));
    auto truncated = getHomePage({{"Accept-Encoding", accept}}, /*decompress=*/false);
    ASSERT_TRUE(truncated) << accept << ": the cut is inside the stream, not the transfer";
    EXPECT_EQ(truncated->get_header_value("Content-Encoding"), services::codingName(coding)) << accept;
    EXPECT_EQ(truncated->get_header_value("Content-Length"), std::to_string(truncated->body.size()));
    auto decoded = services::decodeBody(coding, truncated->body);
    ASSERT_FALSE(decoded.ok()) << accept;
    EXPECT_NE(decoded.error().message.find("ends early"), std::string::npos) << decoded.error().message;

    server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::CorruptCompressedBody));
    auto corrupt = getHomePage({{"Accept-Encoding", accept}}, /*decompress=*/false);
    ASSERT_TRUE(corrupt) << accept;
    EXPECT_EQ(corrupt->get_header_value("Content-Encoding"), services::codingName(coding)) << accept;
    decoded = services::decodeBody(coding, corrupt->body);
    ASSERT_FALSE(decoded.ok()) << accept;
    EXPECT_NE(decoded.error().message.find("corrupt"), std::string::npos) << decoded.error().message;
  }
  auto early = withFault(Fault::TruncatedCompressedBody);
  early.cutAfter = 100;
  server_->setMisbehaviour(Endpoint::HomePage, early);
  auto cutEarly = getHomePage({{"Accept-Encoding", "gzip"}}, /*decompress=*/false);
  ASSERT_TRUE(cutEarly);
  EXPECT_EQ(cutEarly->body.size(), 100u) << "the cut falls where the test asks";

  // A decoding client notices the damage too.
  server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::CorruptCompressedBody));
  EXPECT_FALSE(getHomePage({{"Accept-Encoding", "gzip"}}));
}

TEST_F(ServicesServerTest, SendsErrorStatusesWithGoodBodiesAndBodiesThatAreNotUtf8) {
  server_->setMisbehaviour(Endpoint::HomePage, [] {
    Misbehaviour m;
    m.status = 503;
    return m;
  }());
  auto failing = getHomePage();
  ASSERT_TRUE(failing);
  EXPECT_EQ(failing->status, 503);
  EXPECT_NE(failing->body.find(services::kThirdPartyMarker), std::string::npos) << "the body stays good";

  server_->setMisbehaviour(Endpoint::Search, withFault(Fault::InvalidUtf8));
  auto search = postSearch(*server_, "Heat");
  ASSERT_TRUE(search);
  EXPECT_EQ(search->status, 200);
  EXPECT_FALSE(services::testing::isValidUtf8(search->body));
  EXPECT_TRUE(json::parse(search->body, nullptr, false).is_discarded());
}

TEST_F(ServicesServerTest, ServesHomePagesWithoutUsableSettings) {
  server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::PageWithoutMarker, 1));
  auto without = getHomePage();
  ASSERT_TRUE(without);
  EXPECT_EQ(without->body.find(services::kThirdPartyMarker), std::string::npos);
  auto normal = getHomePage();
  ASSERT_TRUE(normal);
  EXPECT_NE(normal->body.find(services::kThirdPartyMarker), std::string::npos) << "remaining = 1 applies once";

  server_->setMisbehaviour(Endpoint::HomePage, withFault(Fault::PageWithBrokenSettings));
  auto broken = getHomePage();
  ASSERT_TRUE(broken);
  EXPECT_NE(broken->body.find(services::kThirdPartyMarker), std::string::npos);
  EXPECT_NE(broken->body.find(std::string(services::kThirdPartyMarker) + "{,"), std::string::npos);
}

TEST(ServicesServerLifecycle, ReportsABusyPortAndCleansUpItsCertificate) {
  auto catalog = services::Catalog::parse(R"([{"title": "Heat"}])").value();
  std::filesystem::path caFile;
  {
    ServicesServer first(catalog);
    ASSERT_TRUE(first.start().ok());
    caFile = first.caFile();
    EXPECT_TRUE(std::filesystem::exists(caFile));

    services::ServerOptions options;
    options.port = first.port();
    ServicesServer second(catalog, options);
    auto started = second.start();
    ASSERT_FALSE(started.ok()) << "a port in use must fail";
    EXPECT_NE(started.error().message.find(std::to_string(first.port()) + ": Address already in use"), std::string::npos)
        << "names the port and the system's reason: " << started.error().message;
  }
  EXPECT_FALSE(std::filesystem::exists(caFile)) << "the temporary certificate directory is removed";
}

}  // namespace
