#include "services/catalog.h"

#include <fstream>

#include <gtest/gtest.h>

#include "services_test_support.h"

namespace {

using nlohmann::json;
using services::Catalog;

const json* findHit(const Catalog& catalog, const std::string& title, const std::string& year) {
  for (const auto& hit : catalog.hits()) {
    const auto& y = hit.at("releaseYear");
    if (hit.at("title") == title && (y.is_string() ? y.get<std::string>() : y.dump()) == year) {
      return &hit;
    }
  }
  return nullptr;
}

TEST(ShippedCatalog, HoldsTheCasesTheLookupMustTell) {
  auto loaded = Catalog::load(services::defaultCatalogPath());
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  const Catalog& catalog = loaded.value();
  EXPECT_GE(catalog.size(), 40u);

  const json* heat = findHit(catalog, "Heat", "1995");
  ASSERT_NE(heat, nullptr) << "the README's example title";
  EXPECT_EQ(heat->at("runTime"), 170);
  EXPECT_EQ(heat->at("emsId"), "heat");
  EXPECT_EQ(heat->at("vanity"), "heat");
  EXPECT_EQ(catalog.findByEmsId("heat"), heat);
  EXPECT_EQ(catalog.findByVanity("movie", "heat"), heat);

  EXPECT_NE(findHit(catalog, "Dune", "1984"), nullptr) << "remakes share a title";
  EXPECT_NE(findHit(catalog, "Dune", "2021"), nullptr);
  const json* officeUs = findHit(catalog, "The Office", "2005");
  const json* officeUk = findHit(catalog, "The Office", "2001");
  ASSERT_TRUE(officeUs && officeUk) << "two series titled The Office";
  EXPECT_NE(officeUs->at("seasons").size(), officeUk->at("seasons").size()) << "told apart by season count";
  EXPECT_NE(findHit(catalog, "Amélie", "2001"), nullptr);
  EXPECT_NE(findHit(catalog, "Fast & Furious", "2009"), nullptr);
  EXPECT_NE(findHit(catalog, "Birdman or (The Unexpected Virtue of Ignorance)", "2014"), nullptr);

  const json* prestige = findHit(catalog, "The Prestige", "2006");
  ASSERT_NE(prestige, nullptr);
  EXPECT_EQ(prestige->at("rottenTomatoes").at("criticsScore"), 76);
  EXPECT_EQ(prestige->at("rottenTomatoes").at("certifiedFresh"), false) << "the hit does not settle it";
  EXPECT_EQ(prestige->at("certifiedStatus"), true) << "the certified-status service does";

  bool unscored = false, numericYear = false, unsearchable = false;
  for (const auto& hit : catalog.hits()) {
    unscored = unscored || !hit.contains("rottenTomatoes");
    numericYear = numericYear || hit.at("releaseYear").is_number();
    unsearchable = unsearchable || hit.at("isEmsSearchable") == 0;
  }
  EXPECT_TRUE(unscored) << "a title without scores";
  EXPECT_TRUE(numericYear) << "a year given as a number, as the live service sometimes does";
  EXPECT_TRUE(unsearchable) << "a hit the module's filter must exclude";
}

TEST(CatalogLoading, ReportsEachKindOfBadCatalogAsAnError) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[{\"title\": \"Heat\"", "not valid JSON"},
      {"{\"title\": \"Heat\"}", "must be a JSON array"},
      {"[{\"title\": \"Heat\"}, 7]", "hit 1 must be a JSON object"},
      {"[{\"title\": \"Heat\"}, {\"type\": \"movie\"}]", "hit 1 has no \"title\""},
      {"[{\"title\": \"\"}]", "hit 0 has no \"title\""},
      {"[{\"title\": 12}]", "hit 0 has no \"title\""},
      {"[{\"title\": \"Heat\", \"emsId\": \"x\"}, {\"title\": \"Dune\", \"emsId\": \"x\"}]",
       "hit 1 (\"Dune\") repeats the emsId \"x\" of hit 0 (\"Heat\")"},
      {"[{\"title\": \"Heat\", \"certifiedStatus\": 1}]", "\"certifiedStatus\" must be true or false"},
      {"[{\"title\": \"Heat\", \"isEmsSearchable\": \"1\"}]", "\"isEmsSearchable\" must be a number"},
      {"[{\"title\": \"Caf\xC3\"}]", "not valid JSON"},
  };
  for (const auto& [text, expected] : cases) {
    auto catalog = Catalog::parse(text);
    ASSERT_FALSE(catalog.ok()) << "accepted: " << text;
    EXPECT_NE(catalog.error().message.find(expected), std::string::npos)
        << "for " << text << " the message was: " << catalog.error().message;
  }
}

TEST(CatalogLoading, AcceptsOddHitsThatOnlyTheModuleReads) {
  // Test catalogs hold mistyped members on purpose; the services must serve them.
  auto catalog = Catalog::parse(R"([{"title": "Heat", "type": "Movie", "releaseYear": 1995, "cast": [3, {"name": 4}],
                                      "rottenTomatoes": "none", "emsId": 17}])");
  ASSERT_TRUE(catalog.ok()) << catalog.error().message;
  EXPECT_EQ(catalog.value().size(), 1u);
}

TEST(CatalogLoading, NamesTheFileThatCannotBeRead) {
  auto catalog = Catalog::load("/nonexistent/catalog.json");
  ASSERT_FALSE(catalog.ok());
  EXPECT_NE(catalog.error().message.find("/nonexistent/catalog.json"), std::string::npos) << catalog.error().message;
}

}  // namespace
