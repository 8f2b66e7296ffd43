#include "services/search_index.h"
#include "services/title_index.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "services_test_support.h"

namespace {

using nlohmann::json;
using services::Catalog;
using services::testing::label;

const Catalog& indexedCatalog() {
  static const Catalog catalog = Catalog::load(services::defaultCatalogPath()).value();
  return catalog;
}

const services::TitleIndex& titleIndex() {
  static const services::TitleIndex index(indexedCatalog());
  return index;
}

services::Filter moduleFilter() { return services::parseFilter("isEmsSearchable = 1").value(); }

std::vector<std::string> ranked(std::string_view query, const services::Filter& filter = moduleFilter()) {
  std::vector<std::string> labels;
  for (const json* hit : titleIndex().rank(query, filter)) {
    labels.push_back(label(*hit));
  }
  return labels;
}

std::size_t position(const std::vector<std::string>& labels, const std::string& wanted) {
  return static_cast<std::size_t>(std::find(labels.begin(), labels.end(), wanted) - labels.begin());
}

TEST(SearchWords, FoldCaseAccentsAndPunctuation) {
  using V = std::vector<std::string>;
  EXPECT_EQ(services::searchWords("Amélie"), V{"amelie"});
  EXPECT_EQ(services::searchWords("LES MISÉRABLES"), (V{"les", "miserables"}));
  EXPECT_EQ(services::searchWords("Ocean's Eleven"), (V{"oceans", "eleven"}));
  EXPECT_EQ(services::searchWords("Fast & Furious"), (V{"fast", "and", "furious"}));
  EXPECT_EQ(services::searchWords("Birdman or (The Unexpected Virtue of Ignorance)"),
            (V{"birdman", "or", "the", "unexpected", "virtue", "of", "ignorance"}));
  EXPECT_EQ(services::searchWords("Spider-Man: Into"), (V{"spider", "man", "into"}));
  EXPECT_EQ(services::searchWords(" \t"), V{});
  EXPECT_EQ(services::searchWords("Caf\xC3"), V{"caf"}) << "bad UTF-8 is a separator, not a failure";
}

TEST(SearchRanking, PutsExactTitlesFirstAndBreaksTiesByPopularity) {
  const auto heat = ranked("Heat");
  ASSERT_GE(heat.size(), 2u);
  EXPECT_EQ(heat[0], "Heat (1995)");
  EXPECT_EQ(heat[1], "Heat (1986)");
  EXPECT_EQ(position(heat, "Heat (1972)"), heat.size()) << "not searchable, so filtered out";

  const auto dune = ranked("dune");
  ASSERT_GE(dune.size(), 3u);
  EXPECT_EQ(std::vector(dune.begin(), dune.begin() + 2), (std::vector<std::string>{"Dune (2021)", "Dune (1984)"}));
  EXPECT_EQ(dune[2], "Dune: Part Two (2024)");
}

TEST(SearchRanking, BridgesLeadingArticlesAccentsAndAmpersands) {
  EXPECT_EQ(ranked("Office").at(0), "The Office (2005)");
  EXPECT_EQ(ranked("Office").at(1), "The Office (2001)");
  EXPECT_EQ(ranked("amelie").at(0), "Amélie (2001)");
  EXPECT_EQ(ranked("Les Miserables").at(0), "Les Misérables (2012)");
  EXPECT_EQ(ranked("fast and furious").at(0), "Fast & Furious (2009)");
  EXPECT_EQ(ranked("Fast & Furious").at(0), "Fast & Furious (2009)");
  EXPECT_EQ(ranked("Birdman or (The Unexpected Virtue of Ignorance)").at(0),
            "Birdman or (The Unexpected Virtue of Ignorance) (2014)");
  EXPECT_EQ(ranked("Birdman").at(0), "Birdman or (The Unexpected Virtue of Ignorance) (2014)");
  EXPECT_EQ(ranked("La casa de papel").at(0), "Money Heist (2017)") << "found by its aka title";
}

TEST(SearchRanking, PrefersAllWordsThenPrefixesOverPartialOverlap) {
  const auto knight = ranked("dark knight");
  ASSERT_FALSE(knight.empty());
  EXPECT_EQ(knight[0], "The Dark Knight (2008)");
  EXPECT_LT(position(knight, "The Dark Knight (2008)"), position(knight, "Dark (2017)"));
  EXPECT_EQ(ranked("godf").at(0), "The Godfather (1972)") << "the last word may be a prefix";
  EXPECT_TRUE(ranked("no such film anywhere").empty());
  const auto office = ranked("The Office");
  EXPECT_EQ(position(office, "The Godfather (1972)"), office.size()) << "sharing only \"the\" is no match";
}

TEST(SearchRanking, TheIndexFindsEqualTitlesOfStopWordsAndPrefixesOfTheLastWord) {
  const Catalog catalog = Catalog::parse(R"([{"title":"The"},{"title":"Them"},{"title":"A Quiet Place"},
                                             {"title":"Quiet"},{"title":"Heat"}])").value();
  const services::TitleIndex index(catalog);
  auto titles = [&](std::string_view query) {
    std::vector<std::string> out;
    for (const json* hit : index.rank(query, services::Filter{})) out.push_back(hit->at("title"));
    return out;
  };
  EXPECT_EQ(titles("the"), std::vector<std::string>{"The"}) << "equal, though \"the\" alone is no match";
  EXPECT_EQ(titles("qui"), (std::vector<std::string>{"Quiet", "A Quiet Place"}));
  EXPECT_EQ(titles("a quiet place").at(0), "A Quiet Place");
}

TEST(SearchRanking, EmptyQueryListsEverySearchableHitByPopularity) {
  const auto all = ranked("");
  EXPECT_EQ(all.size(), indexedCatalog().size() - 1);
  EXPECT_EQ(ranked("", services::Filter{}).size(), indexedCatalog().size());
}

TEST(SearchFilters, ParseNumericAndFacetClausesAndRefuseTheRest) {
  json hit = {{"isEmsSearchable", 1}, {"type", "movie"}, {"popularity", 50}, {"genres", {"Crime", "Drama"}}};
  auto accepts = [&](const char* expression) {
    auto filter = services::parseFilter(expression);
    EXPECT_TRUE(filter.ok()) << expression << ": " << filter.error().message;
    return filter.ok() && filter.value().matches(hit);
  };
  EXPECT_TRUE(accepts("isEmsSearchable = 1"));
  EXPECT_TRUE(accepts("isEmsSearchable=1 AND type:movie AND popularity >= 50"));
  EXPECT_TRUE(accepts("genres:drama"));
  EXPECT_TRUE(accepts(""));
  EXPECT_FALSE(accepts("isEmsSearchable = 0"));
  EXPECT_FALSE(accepts("popularity > 50"));
  EXPECT_FALSE(accepts("missing = 1"));
  EXPECT_FALSE(accepts("type:tv"));

  for (const char* bad : {"a = 1 OR b = 2", "(a = 1)", "a = x", "a =", "AND", "a = 1 AND", "a:\"open"}) {
    EXPECT_FALSE(services::parseFilter(bad).ok()) << "accepted: " << bad;
  }
}

TEST(SearchAnswer, AnswersTheModulesRequestInTheServicesShape) {
  const auto answer = services::answerSearchQueries(titleIndex(), "content_rt",
                                                     services::testing::searchBody("The Prestige"));
  ASSERT_EQ(answer.status, 200) << answer.body.dump();
  const json& result = answer.body.at("results").at(0);
  EXPECT_EQ(result.at("query"), "The Prestige");
  EXPECT_EQ(result.at("hitsPerPage"), 20);
  EXPECT_EQ(result.at("index"), "content_rt");
  EXPECT_TRUE(result.contains("queryID")) << "clickAnalytics=true asks for one";
  EXPECT_EQ(result.at("params").get<std::string>().rfind("query=The%20Prestige&filters=", 0), 0u)
      << result.at("params");
  const json& hit = result.at("hits").at(0);
  EXPECT_EQ(hit.at("title"), "The Prestige");
  EXPECT_EQ(hit.at("isEmsSearchable"), 1);
  EXPECT_FALSE(hit.contains("certifiedStatus")) << "only the certified-status service shows it";
}

TEST(SearchAnswer, HonoursHitsPerPageAndPage) {
  auto page = [](const std::string& params) {
    return services::answerSearchQueries(titleIndex(), "content_rt", services::testing::searchBody("", params))
        .body.at("results").at(0);
  };
  const json all = page("hitsPerPage=1000");
  const auto total = all.at("nbHits").get<std::size_t>();
  ASSERT_GT(total, 3u);
  const json first = page("hitsPerPage=2");
  EXPECT_EQ(first.at("hits").size(), 2u);
  EXPECT_EQ(first.at("nbHits"), total);
  EXPECT_EQ(first.at("nbPages"), (total + 1) / 2);
  const json second = page("hitsPerPage=2&page=1");
  EXPECT_EQ(second.at("hits").at(0), all.at("hits").at(2));
  EXPECT_TRUE(page("hitsPerPage=0").at("hits").empty());
}

TEST(SearchAnswer, RefusesMalformedRequestsWithTheServicesErrorObject) {
  const std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"{\"requests\": [", 400, "Invalid JSON"},
      {"[]", 400, "requests"},
      {"{\"requests\": [{\"query\": \"heat\"}]}", 400, "indexName"},
      {"{\"requests\": [{\"indexName\": \"movies\", \"query\": \"heat\"}]}", 404, "Index does not exist"},
      {services::testing::searchBody("heat", "hitsPerPage=5000"), 400, "hitsPerPage"},
      {services::testing::searchBody("heat", "filters=a%20%3D%201%20OR%20b%20%3D%202"), 400, "filters"},
  };
  for (const auto& [body, status, message] : cases) {
    const auto answer = services::answerSearchQueries(titleIndex(), "content_rt", body);
    EXPECT_EQ(answer.status, status) << body;
    EXPECT_EQ(answer.body.value("status", 0), status) << body;
    EXPECT_NE(answer.body.value("message", "").find(message), std::string::npos) << body << " -> " << answer.body;
  }
}

}  // namespace
