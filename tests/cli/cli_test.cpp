// The scorelens command as people and scripts run it: a child process, its
// output and its exit status.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

TEST(CliDemo, TheHostsClockShowsTheSamePageAsTheWallClock) {
  // One lookup that succeeds, one whose search never answers within its time-out.
  for (std::string args : {"", "--title 'The Prestige' --hostile search=stall --timeout 3"}) {
    auto host = demo(args);
    auto wall = demo(args + " --real-time");
    ASSERT_FALSE(host.empty() || wall.empty()) << args;
    EXPECT_EQ(host["clock"], "host");
    EXPECT_EQ(wall["clock"], "real time");
    for (const char* part : {"strip", "layoutWarnings", "model", "page", "sheetShown"}) {
      EXPECT_EQ(host[part], wall[part]) << args << ": " << part;
    }
    auto urls = [](const nlohmann::json& page) {
      std::vector<std::string> out;
      for (const auto& request : page["requests"]) out.push_back(request["url"]);
      return out;
    };
    EXPECT_EQ(urls(host), urls(wall)) << args;
  }
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
  EXPECT_EQ(j["settledOn"], "scores");
  // The cached path gathers no facts: none is made up (no season count of -1, no kind).
  EXPECT_TRUE(j["model"]["numSeasons"].is_null()) << j["model"];
  EXPECT_TRUE(j["model"]["isMovie"].is_null()) << j["model"];
  const std::string text = scorelens("demo --reopen").out;
  EXPECT_NE(text.find("none: the scores came from the cache"), std::string::npos) << text;
  EXPECT_NE(text.find("Page open to strip settled: "), std::string::npos) << text;
}

// As a person types it: any case, spaces around; the other matches named; the catalog listed.
TEST(CliDemo, FindsATitleAsAPersonTypesItAndNamesTheOtherMatches) {
  auto j = demo("--title '  fARGO '");
  EXPECT_EQ(j["page"]["videoId"], 80013);
  ASSERT_EQ(j["otherMatches"].size(), 1u);
  EXPECT_EQ(j["otherMatches"][0]["videoId"], 80046);
  EXPECT_EQ(j["otherMatches"][0]["isMovie"], false);
  const std::string text = scorelens("demo --title heat").out;
  EXPECT_NE(text.find("Opened 80001 \"Heat\" (film, 1995); also matching: 80017 \"Heat\" (film, 1972); 80018"),
            std::string::npos) << text;
  EXPECT_NE(text.find("Page open to strip settled: "), std::string::npos);
  EXPECT_NE(text.find(", on scores ("), std::string::npos) << text;
  const std::string list = scorelens("demo --list").out;
  EXPECT_NE(list.find("80062     Élite"), std::string::npos) << list;
  EXPECT_NE(list.find("series  2018  8 seasons"), std::string::npos) << list;
  EXPECT_NE(list.find("film    1995  169 min"), std::string::npos) << list;
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
  EXPECT_EQ(j["settledOn"], "blank");
}

TEST(CliDemo, OlderHostShowsScoresInItsSummaryCell) {
  auto j = demo("--host-version 9.0.0 --device ipad --title 'Breaking Bad'");
  EXPECT_EQ(j["page"]["generation"], "older");
  EXPECT_EQ(j["page"]["cell"]["class"], "DisplayPageSummaryArtCell");
  EXPECT_EQ(j["strip"]["rows"][0]["icon"], "tomato");
  EXPECT_TRUE(j["layoutWarnings"].empty()) << j["layoutWarnings"].dump();
  const auto& strip = j["strip"]["frame"];
  const auto& cell = j["page"]["cell"]["frame"];
  EXPECT_GE(strip[0].get<double>(), cell[0].get<double>());
  EXPECT_LE(strip[1].get<double>() + strip[3].get<double>(), cell[1].get<double>() + cell[3].get<double>())
      << "the cell grew to hold the strip";
  const std::string text = scorelens("demo --host-version 15.0.9").out;
  EXPECT_NE(text.find("Layout warnings: none"), std::string::npos);
  // The text picture reads the screen: the art header's title and year line, every line kept inside the frame.
  EXPECT_NE(text.find("| Heat "), std::string::npos) << text;
  const size_t year = text.find("| 1995  \u00B7  R  \u00B7  2h 49m"), words = text.find("| Two-row strip");
  EXPECT_TRUE(year != std::string::npos && words > year && text.find("| Play", words) != std::string::npos)
      << "the strip in words between the year line and Play: " << text;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("| ") || line.starts_with("+-")) {
      EXPECT_TRUE(line.ends_with(" |") || line.ends_with("-+")) << "cut off: " << line;
    }
  }
}

// "9.48.0" < "16.1": numerically, part by part.
bool below(const std::string& version, const std::string& boundary) {
  auto parts = [](const std::string& v) {
    std::vector<long> out;
    for (size_t at = 0; at <= v.size();) {
      size_t dot = v.find('.', at);
      out.push_back(std::stol(v.substr(at, dot - at)));
      at = dot == std::string::npos ? v.size() + 1 : dot + 1;
    }
    return out;
  };
  return parts(version) < parts(boundary);
}

// The sweep also draws each page (at 1x, to stay cheap), into a folder it makes.
TEST(CliDemo, SweepShowsScoresWhereverThePageGivesTheFactsAndLaysOutCleanly) {
  const std::filesystem::path pictures =
      std::filesystem::path(::testing::TempDir()) / (std::to_string(::getpid()) + "-sweep") / "pictures";
  CommandRun run = scorelens("demo --sweep --json --scale 1 --png " + pictures.string());
  ASSERT_EQ(run.status, 0);
  nlohmann::json pages = nlohmann::json::parse(run.out);
  ASSERT_EQ(pages.size(), 27u * 2 * 2) << "every version, both devices, a film and a series";
  std::set<std::string> files;
  for (const auto& j : pages) {
    const std::string version = j["host"]["version"], device = j["host"]["device"];
    const bool film = j["page"]["title"] == "Heat", pad = device == "iPad";
    const std::string where = version + " " + device + " " + j["page"]["title"].get<std::string>();
    const std::string png = (pictures / (version + (pad ? "-ipad-" : "-iphone-") + (film ? "heat" : "breaking-bad") + ".png")).string();
    EXPECT_EQ(j["png"], png) << where;
    EXPECT_TRUE(std::filesystem::is_regular_file(png) && std::filesystem::file_size(png) > 0) << where;
    files.insert(png);
    EXPECT_TRUE(j["layoutWarnings"].empty()) << where << ": " << j["layoutWarnings"].dump();
    EXPECT_EQ(j["clock"], "host") << where;
    ASSERT_TRUE(j["strip"].is_object()) << where;
    // The summary cell's own facts have no running time: a film there waits for the cache.
    const bool cellRoute = below(version, "10.2.0") || (pad && below(version, "9.48.0"));
    if (film && cellRoute) {
      EXPECT_TRUE(j["strip"]["rows"][0]["icon"].is_null()) << where;
      EXPECT_TRUE(j["requests"].empty()) << where;
    } else {
      EXPECT_FALSE(j["strip"]["rows"][0]["icon"].is_null()) << where << ": " << j["strip"].dump();
    }
    // What a person reads: the title and its year above the strip, and the strip wholly on the screen.
    const auto& screen = j["screen"];
    const auto top = [&](const std::string& text) {
      for (const auto& t : screen)
        if (t["text"].get<std::string>().find(text) != std::string::npos) return t["frame"][1].get<double>();
      return 1e9;
    };
    for (const auto& t : screen)
      EXPECT_TRUE(t["frame"][1].get<double>() < (pad ? 1024 : 812) && t["frame"][1].get<double>() + t["frame"][3].get<double>() > 0)
          << where << ": " << t["text"] << " is not on the screen";
    for (size_t k = 1; k < screen.size(); ++k)
      EXPECT_GE(screen[k]["frame"][1].get<double>() + screen[k]["frame"][3].get<double>() / 2,
                screen[k - 1]["frame"][1].get<double>())
          << where << ": in reading order, " << screen[k - 1]["text"] << " then " << screen[k]["text"];
    const auto& strip = j["strip"]["frame"];
    EXPECT_LT(top(j["page"]["title"]), strip[1].get<double>()) << where << ": " << screen.dump();
    EXPECT_LT(top(film ? "1995" : "2008"), strip[1].get<double>()) << where << ": " << screen.dump();
    EXPECT_GE(strip[1].get<double>(), 0) << where;
    const std::string cell = j["page"]["cell"]["class"];
    if (below(version, "16.1")) {
      const bool art = below(version, pad ? "9.48.0" : "9.19.0");
      EXPECT_EQ(cell, art ? "DisplayPageSummaryArtCell" : "NFUIDisplayPageAboveTheFoldSummaryCell") << where;
    } else {
      // The play button hangs 8 points below the strip and keeps its own 104.
      const auto& s = j["strip"]["frame"];
      const auto& c = j["page"]["cell"]["frame"];
      double button = c[1].get<double>() + c[3].get<double>() - (s[1].get<double>() + s[3].get<double>() + 8);
      EXPECT_DOUBLE_EQ(button, 104) << where;
      EXPECT_TRUE(j["strip"]["aboveButton"].get<bool>()) << where;
    }
  }
  EXPECT_EQ(files.size(), pages.size()) << "one picture per page";
  EXPECT_GT(std::filesystem::file_size(pictures / "sheet.png"), 0u) << "and all of them on one sheet";
  std::filesystem::remove_all(pictures.parent_path());
}

TEST(CliDemo, SweepPicturesNeedAFolderItCanMake) {
  // A file where the folder should be: nothing is opened, status 1.
  CommandRun run = scorelens(std::string("demo --sweep --png ") + SCORELENS_ANY_PEM + "/pictures");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_NE(run.err.find("not a folder"), std::string::npos) << run.err;
}

}  // namespace
