// The host catalog: loading errors, and the shipped catalog against the
// ratings site's.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "host/catalog.h"

namespace {

std::string errorOf(std::string_view json) {
  host::Result<host::Catalog> parsed = host::Catalog::parse(json, "test.json");
  return parsed ? std::string() : parsed.error().message;
}

const char* kFilm =
    R"({"videoId": 1, "title": "Heat", "isMovie": true, "year": 1995, "runtimeSeconds": 10200, "seasons": null,
        "maturity": "R", "badges": ["HD"], "cast": ["Al Pacino"], "directors": [], "writers": [], "creators": []})";

TEST(CatalogLoading, ReadsAFilmAndIgnoresUnknownMembers) {
  std::string json = std::string("[") + kFilm + R"(, {"videoId": 2, "title": "Dark", "isMovie": false, "year": 2017,
      "runtimeSeconds": null, "seasons": 3, "maturity": null, "extra": {"anything": 1}}])";
  host::Result<host::Catalog> parsed = host::Catalog::parse(json, "test.json");
  ASSERT_TRUE(parsed.ok()) << parsed.error().message;
  const host::CatalogTitle* heat = parsed.value().find(1);
  ASSERT_NE(heat, nullptr);
  EXPECT_EQ(heat->runtimeSeconds, 10200);
  EXPECT_EQ(heat->cast, std::vector<std::string>{"Al Pacino"});
  const host::CatalogTitle* dark = parsed.value().find(2);
  ASSERT_NE(dark, nullptr);
  EXPECT_FALSE(dark->isMovie);
  EXPECT_EQ(dark->seasons, 3);
  EXPECT_FALSE(dark->maturity.has_value()) << "null maturity means none";
}

TEST(CatalogLoading, ReportsWhatIsWrongAndWhere) {
  struct Case {
    std::string json;
    const char* mustMention;
  };
  std::vector<Case> cases{
      {"{", "not JSON"},
      {R"({"videoId": 1})", "expected an array"},
      {"[]", "has no titles"},
      {"[3]", "entry 1: an entry must be an object"},
      {R"([{"videoId": 5, "title": "Heat", "isMovie": true, "year": 1995}])", "entry 1 (videoId 5): a film needs \"runtimeSeconds\""},
      {R"([{"videoId": 5, "title": "Dark", "isMovie": false, "year": 2017, "runtimeSeconds": 3000, "seasons": 3}])",
       "a series has no \"runtimeSeconds\""},
      {R"([{"videoId": 5, "title": "Dark", "isMovie": false, "year": 2017}])", "a series needs \"seasons\""},
      {R"([{"videoId": "5", "title": "Heat"}])", "\"videoId\" must be an integer"},
      {R"([{"videoId": 5, "title": "", "isMovie": true, "year": 1995, "runtimeSeconds": 60}])", "\"title\" is empty"},
      {R"([{"videoId": 5, "title": "Heat", "isMovie": true, "year": 1995, "runtimeSeconds": 60, "cast": ["A", 3]}])",
       "\"cast\" must hold non-empty texts only"},
      {R"([{"videoId": 5, "title": "Heat", "isMovie": "yes", "year": 1995, "runtimeSeconds": 60}])",
       "\"isMovie\" must be true or false"},
      {R"([{"videoId": 5, "title": "Heat", "isMovie": true, "year": 12, "runtimeSeconds": 60}])", "\"year\" is 12"},
      {R"([{"videoId": 18446744073709551615, "title": "Heat", "isMovie": true, "year": 1995, "runtimeSeconds": 60}])",
       "\"videoId\" is too large"},
      {std::string("[") + kFilm + "," + kFilm + "]", "entry 2 (videoId 1): videoId 1 is used twice"},
  };
  for (const Case& c : cases) {
    std::string error = errorOf(c.json);
    EXPECT_NE(error.find(c.mustMention), std::string::npos) << "for " << c.json << "\ngot: " << error;
    EXPECT_NE(error.find("test.json"), std::string::npos) << "the error names the source: " << error;
  }
}

TEST(CatalogLoading, MissingFileIsAnErrorNamingThePath) {
  host::Result<host::Catalog> loaded = host::Catalog::load("/nonexistent/host-catalog.json");
  ASSERT_FALSE(loaded.ok());
  EXPECT_NE(loaded.error().message.find("/nonexistent/host-catalog.json"), std::string::npos) << loaded.error().message;
}

TEST(CatalogLoading, FindsTitlesByExactName) {
  std::string json = std::string("[") + kFilm + R"(, {"videoId": 2, "title": "Heat", "isMovie": true, "year": 1986,
      "runtimeSeconds": 6060}])";
  host::Catalog catalog = host::Catalog::parse(json, "test.json").value();
  EXPECT_EQ(catalog.findByTitle("Heat").size(), 2u);
  EXPECT_TRUE(catalog.findByTitle("heat").empty()) << "names compare exactly";
  EXPECT_EQ(catalog.find(99), nullptr);
}

// --- the shipped catalog ------------------------------------------------------------------

std::string withoutParens(const std::string& title) {
  return std::regex_replace(title, std::regex(R"(\s?\([^)]*\))"), "");
}

TEST(ShippedCatalog, CarriesTheRatingsSitesTitlesWithTheKnownDifferences) {
  host::Result<host::Catalog> loaded = host::Catalog::load(host::defaultCatalogPath());
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  const host::Catalog& catalog = loaded.value();
  std::ifstream in(std::string(SCORELENS_HOST_DATA_DIR) + "/../../services/data/ratings-catalog.json");
  ASSERT_TRUE(in) << "ratings catalog not found beside the host's sources";
  nlohmann::json site = nlohmann::json::parse(in);

  std::set<long> matched;
  for (const nlohmann::json& entry : site) {
    bool movie = entry["type"] == "movie";
    // The site gives a few years as numbers instead of text; the year is the same.
    const nlohmann::json& siteYear = entry["releaseYear"];
    int year = siteYear.is_string() ? std::stoi(siteYear.get<std::string>()) : siteYear.get<int>();
    std::string title = entry["title"];
    const host::CatalogTitle* found = nullptr;
    for (const host::CatalogTitle& t : catalog.titles())
      if (withoutParens(t.title) == withoutParens(title) && t.year == year && t.isMovie == movie) found = &t;
    ASSERT_NE(found, nullptr) << title << " (" << year << ") is missing from the host catalog";
    matched.insert(found->videoId);
    if (movie) {
      long siteMinutes = entry["runTime"].get<long>();
      long hostMinutes = *found->runtimeSeconds / 60;
      if (title == "Heat" && year == 1995)
        EXPECT_EQ(hostMinutes, siteMinutes - 1) << "Heat is the title whose running time is a minute off";
      else
        EXPECT_EQ(hostMinutes, siteMinutes) << title << " (" << year << ")";
    } else {
      EXPECT_EQ(found->seasons, static_cast<int>(entry["seasons"].size())) << title << " (" << year << ")";
    }
    std::vector<std::string> cast;
    for (const auto& member : entry["cast"]) cast.push_back(member["name"]);
    EXPECT_EQ(found->cast, cast) << title << " (" << year << ")";
  }

  std::vector<std::string> hostOnly;
  for (const host::CatalogTitle& t : catalog.titles())
    if (!matched.count(t.videoId)) hostOnly.push_back(t.title);
  EXPECT_EQ(hostOnly, std::vector<std::string>{"The Night Ferry"});

  ASSERT_NE(catalog.find(80001), nullptr);
  EXPECT_EQ(catalog.find(80001)->title, "Heat");
  EXPECT_EQ(catalog.findByTitle("Dune (1984)").size(), 1u) << "one title carries its year in parentheses";
  auto avatar = catalog.findByTitle("Avatar: Fire and Ash");
  ASSERT_EQ(avatar.size(), 1u);
  EXPECT_EQ(avatar.front()->badges.front(), "New") << "the title whose year is glued to a picture";
}

}  // namespace
