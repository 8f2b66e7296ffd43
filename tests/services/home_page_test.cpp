#include "services/home_page.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "services/certified_status.h"
#include "services_test_support.h"

namespace {

using nlohmann::json;
using services::Catalog;
using services::HomePageVariant;

const Catalog& shippedCatalog() {
  static const Catalog catalog = Catalog::load(services::defaultCatalogPath()).value();
  return catalog;
}

// What a reader of the page does: the text after the marker up to the
// first "}};", keeping the two braces.
std::optional<std::string> cutSettings(const std::string& page) {
  const auto marker = page.find(services::kThirdPartyMarker);
  if (marker == std::string::npos) return std::nullopt;
  const auto start = marker + services::kThirdPartyMarker.size();
  const auto end = page.find("}};", start);
  if (end == std::string::npos) return std::nullopt;
  return page.substr(start, end + 2 - start);
}

TEST(HomePage, CarriesTheSearchTokensWhereAReaderCutsThem) {
  const std::string page = services::renderHomePage(shippedCatalog(), "79FRDP12PN", "secret-key");
  EXPECT_GT(page.size(), 200u * 1024) << "a realistic page, not just the settings";
  EXPECT_TRUE(services::testing::isValidUtf8(page));
  EXPECT_NE(page.find("Amélie"), std::string::npos) << "non-ASCII text, as the real page has";
  EXPECT_LT(page.find("}};"), page.find(services::kThirdPartyMarker))
      << "the page has \"}};\" before the marker, so a reader must start at the marker";

  const auto cut = cutSettings(page);
  ASSERT_TRUE(cut.has_value());
  const json settings = json::parse(*cut, nullptr, false);
  ASSERT_TRUE(settings.is_object()) << *cut;
  EXPECT_EQ(settings.at("algoliaSearch").at("aId"), "79FRDP12PN");
  EXPECT_EQ(settings.at("algoliaSearch").at("sId"), "secret-key");
  EXPECT_GT(settings.size(), 3u) << "other services' settings around it";

  EXPECT_EQ(page, services::renderHomePage(shippedCatalog(), "79FRDP12PN", "secret-key")) << "deterministic";
}

TEST(HomePage, StaysAboutAMegabyteWhateverTheCatalogHolds) {
  // A page that listed every title grew past the module's body limit with
  // a large catalog, and every lookup failed before it searched.
  json hits = json::array();
  for (int i = 0; i < 5000; ++i) {
    hits.push_back({{"title", fmt::format("Title {}", i)}, {"type", i % 3 ? "movie" : "tv"},
                    {"vanity", fmt::format("title_{}", i)}, {"popularity", i % 97}});
  }
  const std::string small = services::renderHomePage(shippedCatalog(), "79FRDP12PN", "k");
  const std::string large =
      services::renderHomePage(Catalog::parse(hits.dump()).value(), "79FRDP12PN", "k");
  for (const std::string* page : {&small, &large}) {
    EXPECT_GT(page->size(), 1000u * 1000);
    EXPECT_LT(page->size(), 1100u * 1000);
  }
  std::size_t tiles = 0;
  for (auto at = large.find("<tile-dynamic"); at != std::string::npos; at = large.find("<tile-dynamic", at + 1)) ++tiles;
  EXPECT_EQ(tiles, 4u * 40) << "four carousels of forty titles";
}

TEST(HomePage, VariantsLoseTheMarkerOrBreakTheObject) {
  const std::string withoutMarker =
      services::renderHomePage(shippedCatalog(), "79FRDP12PN", "k", HomePageVariant::WithoutMarker);
  EXPECT_FALSE(cutSettings(withoutMarker).has_value());
  EXPECT_NE(withoutMarker.find("root.RottenTomatoes.thirdParty="), std::string::npos)
      << "the settings are still there, only spelled without the spaced marker";

  const std::string broken =
      services::renderHomePage(shippedCatalog(), "79FRDP12PN", "k", HomePageVariant::WithBrokenSettings);
  const auto cut = cutSettings(broken);
  ASSERT_TRUE(cut.has_value());
  EXPECT_TRUE(json::parse(*cut, nullptr, false).is_discarded()) << *cut;
}

TEST(CertifiedStatus, AnswersFromTheCatalogAndItsOverride) {
  auto certified = [](std::string_view emsId) {
    const auto answer = services::answerCertifiedStatus(shippedCatalog(), emsId);
    EXPECT_EQ(answer.status, 200) << emsId;
    return answer.body.at("tomatometer").at("certifiedFresh").get<bool>();
  };
  EXPECT_TRUE(certified("heat"));
  const json* prestige = nullptr;
  const json* dune1984 = nullptr;
  const json* unscored = nullptr;
  for (const auto& hit : shippedCatalog().hits()) {
    if (hit.at("title") == "The Prestige") prestige = &hit;
    if (hit.at("title") == "Dune" && hit.at("releaseYear") == "1984") dune1984 = &hit;
    if (!hit.contains("rottenTomatoes")) unscored = &hit;
  }
  ASSERT_TRUE(prestige && dune1984 && unscored);
  EXPECT_TRUE(certified(prestige->at("emsId").get<std::string>())) << "certifiedStatus overrides the hit";
  EXPECT_FALSE(certified(dune1984->at("emsId").get<std::string>()));
  EXPECT_FALSE(certified(unscored->at("emsId").get<std::string>()));

  const auto heat = services::answerCertifiedStatus(shippedCatalog(), "heat").body;
  EXPECT_EQ(heat.at("tomatometer").at("score"), 83);

  for (std::string_view unknown : {"", "no-such-id"}) {
    const auto answer = services::answerCertifiedStatus(shippedCatalog(), unknown);
    EXPECT_EQ(answer.status, 404) << unknown;
    EXPECT_FALSE(answer.body.contains("tomatometer"));
  }
}

}  // namespace
