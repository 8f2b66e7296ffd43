// The scorelens command as people and scripts run it: a child process, its
// output and its exit status.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_run.h"

namespace {

CommandRun scorelens(const std::string& args) { return runScorelens(args); }

TEST(CliLookup, FindsACatalogFilmThroughTheEmbeddedServices) {
  CommandRun run = scorelens("lookup --title Heat --movie --year 1995 --json");
  ASSERT_EQ(run.status, 0) << run.out;
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["outcome"], "rating");
  EXPECT_EQ(j["rating"]["url"], "https://www.rottentomatoes.com/m/heat");
  EXPECT_TRUE(j["rating"]["isMovie"].get<bool>());
}

TEST(CliLookup, ParenthesisedYearIsRemovedAsOnAPage) {
  CommandRun run = scorelens("lookup --title 'Heat (1995)' --movie --year 1995 --json --no-certify");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(nlohmann::json::parse(run.out)["outcome"], "rating");
}

TEST(CliLookup, UnknownTitleIsNoneWithStatusZero) {
  CommandRun run = scorelens("lookup --title 'No Such Title At All' --series --seasons 2 --json");
  ASSERT_EQ(run.status, 0);
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["outcome"], "none");
  EXPECT_TRUE(j["rating"].is_null());
}

TEST(CliLookup, UnreachableServicesFailWithStatusThree) {
  // Routed to a closed loopback port, with a CA file that exists.
  CommandRun run = scorelens(std::string("lookup --title Heat --movie --year 1995 --json --cacert ") + SCORELENS_ANY_PEM +
                      " --connect-to www.rottentomatoes.com:443:127.0.0.1:9");
  EXPECT_EQ(run.status, 3) << run.out;
  EXPECT_EQ(nlohmann::json::parse(run.out)["outcome"], "failed");
}

TEST(CliLookup, BadUsageIsStatusTwo) {
  EXPECT_EQ(scorelens("lookup --title Heat --movie --series").status, 2) << "both kinds";
  EXPECT_EQ(scorelens("lookup --title Heat").status, 2) << "no kind";
  EXPECT_EQ(scorelens("lookup --movie").status, 2) << "no title";
  EXPECT_EQ(scorelens("lookup --title Heat --movie --year nineteen").status, 2) << "year not a number";
  EXPECT_EQ(scorelens("frobnicate").status, 2) << "unknown command";
}

}  // namespace

namespace {

nlohmann::json demo(const std::string& args) {
  CommandRun run = scorelens("demo --json " + args);
  EXPECT_EQ(run.status, 0) << args;
  return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
}

// Regression: the demo crashed reading the cell's subviews through a
// temporary array released before the loop ran.
TEST(CliDemo, ScoresAppearAboveThePlayButtonOfAFilmPage) {
  auto j = demo("");
  ASSERT_FALSE(j.empty());
  EXPECT_EQ(j["host"]["version"], "16.51.0");
  EXPECT_EQ(j["strip"]["form"], "two-row");
  EXPECT_EQ(j["strip"]["rows"][0]["icon"], "shooting_star") << "Heat is certified";
  EXPECT_TRUE(j["strip"]["placed"].get<bool>());
  EXPECT_TRUE(j["strip"]["aboveButton"].get<bool>());
  EXPECT_FALSE(j["sheetShown"].get<bool>()) << "the module's own sheet is swallowed";
  EXPECT_EQ(j["model"]["releaseYear"], 1995);
  EXPECT_FALSE(j["model"]["actors"].empty()) << "people come from the details sheet";
  EXPECT_GE(j["requests"].size(), 2u);
}

TEST(CliDemo, SeriesOnTheSwiftValueSheetAndDictionarySheetHosts) {
  auto series = demo("--host-version 16.20 --title 'Stranger Things'");
  EXPECT_FALSE(series["model"]["isMovie"].get<bool>());
  EXPECT_FALSE(series["strip"]["rows"][0]["icon"].is_null());
  auto film = demo("--host-version 16.1 --title 'Dune (1984)'");
  EXPECT_EQ(film["model"]["titleNoParens"], "Dune");
  EXPECT_FALSE(film["strip"]["rows"][0]["icon"].is_null());
}

TEST(CliDemo, ReopenedTitleComesFromTheCacheWithoutRequests) {
  auto j = demo("--reopen");
  EXPECT_TRUE(j["requests"].empty());
  EXPECT_EQ(j["strip"]["rows"][0]["icon"], "shooting_star");
}

TEST(CliDemo, TitleMissingOnTheRatingsSiteShowsTheNoRatingMessage) {
  auto j = demo("--title 'The Night Ferry'");
  EXPECT_TRUE(j["strip"]["message"]["visible"].get<bool>());
  EXPECT_EQ(j["strip"]["message"]["text"], "No enhanced rating could be found.");
}

TEST(CliDemo, NetworkStatusThreeLeavesTheStripBlankWithoutRequests) {
  auto j = demo("--network-status 3");
  EXPECT_TRUE(j["requests"].empty());
  EXPECT_TRUE(j["strip"]["rows"][0]["icon"].is_null());
  EXPECT_FALSE(j["strip"]["spinning"].get<bool>());
  EXPECT_TRUE(j["elapsedMs"].is_null());
}

TEST(CliDemo, OlderHostIsRefusedWithStatusTwo) {
  EXPECT_EQ(scorelens("demo --host-version 15.0.9").status, 2);
}

}  // namespace
