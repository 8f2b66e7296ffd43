// The home page and title pages are encoded once per coding and kept; a
// fault or another page variant must never reach, or come from, what is kept.

#include <gtest/gtest.h>

#include "services/compression.h"
#include "services/server.h"
#include "services_test_support.h"

namespace {

using services::ContentCoding;
using services::Endpoint;
using services::Fault;

class StaticAnswers : public ::testing::Test {
 protected:
  void SetUp() override {
    auto catalog = services::Catalog::load(services::defaultCatalogPath());
    ASSERT_TRUE(catalog.ok()) << catalog.error().message;
    server_ = std::make_unique<services::ServicesServer>(std::move(catalog).value());
    ASSERT_TRUE(server_->start().ok());
  }

  // The raw body of a GET on the ratings site, or "" when none arrived.
  std::string rawBody(const std::string& path, const std::string& accept) {
    auto client = services::testing::clientFor(*server_, "www.rottentomatoes.com");
    client->set_decompress(false);
    auto response = client->Get(path.c_str(), {{"Accept-Encoding", accept}});
    return response ? response->body : std::string();
  }

  void fault(Fault f) {
    services::Misbehaviour m;
    m.fault = f;
    m.remaining = 1;
    server_->setMisbehaviour(Endpoint::HomePage, m);
  }

  std::unique_ptr<services::ServicesServer> server_;
};

TEST_F(StaticAnswers, FaultsAndVariantsNeitherReachNorComeFromTheKeptEncodings) {
  for (const auto& [accept, coding] : {std::pair{"br", ContentCoding::Brotli}, std::pair{"gzip", ContentCoding::Gzip},
                                       std::pair{"identity", ContentCoding::Identity}}) {
    const std::string first = rawBody("/", accept);
    ASSERT_FALSE(first.empty()) << accept;
    EXPECT_EQ(rawBody("/", accept), first) << accept << ": the same bytes every time";

    fault(Fault::PageWithoutMarker);
    auto without = services::decodeBody(coding, rawBody("/", accept));
    ASSERT_TRUE(without.ok()) << accept;
    EXPECT_EQ(without.value().find(services::kThirdPartyMarker), std::string::npos) << accept << ": its own variant";

    fault(Fault::InvalidUtf8);
    auto damaged = services::decodeBody(coding, rawBody("/", accept));
    ASSERT_TRUE(damaged.ok()) << accept;
    EXPECT_FALSE(services::testing::isValidUtf8(damaged.value())) << accept << ": the damage is not skipped";

    fault(Fault::TruncatedCompressedBody);
    EXPECT_LT(rawBody("/", accept).size(), first.size()) << accept;
    fault(Fault::CorruptCompressedBody);
    EXPECT_NE(rawBody("/", accept).substr(0, 64), first.substr(0, 64)) << accept;

    EXPECT_EQ(rawBody("/", accept), first) << accept << ": what is kept is unharmed by the faults";
  }
}

TEST_F(StaticAnswers, TitlePagesAreKeptByPath) {
  const std::string amelie = rawBody("/m/amelie", "gzip");
  const std::string other = rawBody("/m/1020108-star_is_born", "gzip");
  ASSERT_FALSE(amelie.empty());
  EXPECT_NE(amelie, other);
  EXPECT_EQ(rawBody("/m/amelie", "gzip"), amelie);
}

}  // namespace
