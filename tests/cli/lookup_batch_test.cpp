// scorelens lookup --batch as scripts run it: facts in, one result per line
// out, in input order, bad lines answered on their own.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_run.h"

namespace {

std::vector<nlohmann::json> resultLines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

// A facts file for the length of the statement that names it.
struct FactsFile {
  explicit FactsFile(const std::string& text) { std::ofstream(path) << text; }
  ~FactsFile() { std::remove(path.c_str()); }
  const std::string path = ::testing::TempDir() + "scorelens-batch-" + std::to_string(::getpid()) + ".jsonl";
};


// Blank lines are skipped but keep their numbers: line 3 is blank.
const std::string kFacts =
    R"({"title": "Heat", "movie": true, "year": 1995, "runtime": 10200, "actors": ["Al Pacino"]})" "\n"
    R"({"title": "No Such Title At All", "series": true, "seasons": 2})" "\n"
    " \t\n"
    "not json\n"
    R"({"title": "Heat", "movie": true, "series": true})" "\n"
    R"({"title": "Heat", "movie": true, "year": "1995"})" "\n"
    R"({"title": "Heat", "movie": true, "cast": []})" "\r\n"
    R"({"title": "Amélie", "movie": true, "year": 2001, "directors": ["Jean-Pierre Jeunet"]})" "\n";

TEST(CliBatch, AnswersEveryLineInOrderAndBadLinesOnTheirOwn) {
  for (const char* concurrency : {"1", "16"}) {
    CommandRun run = runScorelens("lookup --batch " + FactsFile(kFacts).path + " --concurrency " + std::string(concurrency));
    EXPECT_EQ(run.status, 4) << "some lines were not facts";
    EXPECT_EQ(run.err, "scorelens lookup: 4 lines are not valid facts\n");
    auto lines = resultLines(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i]["line"], i < 2 ? i + 1 : i + 2) << run.out;
    EXPECT_EQ(lines[0]["outcome"], "rating");
    EXPECT_EQ(lines[0]["rating"]["url"], "https://www.rottentomatoes.com/m/heat");
    EXPECT_EQ(lines[1]["outcome"], "none");
    for (std::size_t bad : {2, 3, 4, 5}) {
      EXPECT_TRUE(lines[bad].contains("error")) << lines[bad];
      EXPECT_FALSE(lines[bad].contains("outcome")) << lines[bad];
    }
    EXPECT_NE(lines[5]["error"].get<std::string>().find("cast"), std::string::npos) << "names the unknown member";
    EXPECT_EQ(lines[6]["outcome"], "rating") << "the lines after bad ones go on";
  }
}

TEST(CliBatch, ReadsStandardInputAndMatchesTheSingleLookup) {
  const std::string heat = R"({"title": "Heat", "movie": true, "year": 1995})";
  CommandRun batch = runScorelens("lookup --batch - --no-certify", "printf '%s\\n' '" + heat + "' | ");
  ASSERT_EQ(batch.status, 0) << batch.out;
  auto lines = resultLines(batch.out);
  ASSERT_EQ(lines.size(), 1u);
  nlohmann::json single =
      nlohmann::json::parse(runScorelens("lookup --title Heat --movie --year 1995 --json --no-certify").out);
  single["line"] = 1;
  EXPECT_EQ(lines[0], single);
}

TEST(CliBatch, SaysWhatIsWrongWithEachLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"([{"title": "Heat", "movie": true}])", "not a JSON object"},
      {R"({"movie": true})", "\"title\" is missing"},
      {R"({"title": "", "movie": true})", "\"title\" is missing"},
      {R"({"title": 7, "movie": true})", "\"title\" has the wrong type"},
      {R"({"title": "Heat"})", "exactly one of"},
      {R"({"title": "Heat", "movie": false})", "exactly one of"},
      {R"({"title": "Dark", "series": true, "seasons": 0})", "\"seasons\" must be a whole number of at least 1"},
      {R"({"title": "Heat", "movie": true, "runtime": -1})", "\"runtime\" must be a whole number of at least 0"},
      {R"({"title": "Heat", "movie": true, "year": 1995.5})", "\"year\" must be a whole number"},
      {R"({"title": "Heat", "movie": true, "year": 18446744073709551615})", "\"year\" must be a whole number"},
      {R"({"title": "Heat", "movie": true, "actors": "Al Pacino"})", "\"actors\" must be a list of names"},
      {R"({"title": "Heat", "movie": true, "writers": [1]})", "\"writers\" must be a list of names"},
      {"{\"title\": \"\xff\", \"movie\": true}", "not JSON"},
      {"{", "not JSON"},
  };
  std::string text;
  for (const auto& [line, _] : cases) text += line + "\n";
  CommandRun run = runScorelens("lookup --batch " + FactsFile(text).path);
  EXPECT_EQ(run.status, 4);
  auto lines = resultLines(run.out);
  ASSERT_EQ(lines.size(), cases.size()) << run.out;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    ASSERT_TRUE(lines[i].contains("error")) << cases[i].first << " gave " << lines[i];
    EXPECT_NE(lines[i]["error"].get<std::string>().find(cases[i].second), std::string::npos)
        << cases[i].first << " gave " << lines[i];
  }
}

TEST(CliBatch, TokensThatCannotBeFetchedFailEveryLookupOnce) {
  // Routed to a closed loopback port: the home page fails once and every
  // line is answered as failed, in order, without a fetch per line.
  std::string text;
  for (int i = 0; i < 40; ++i) text += R"({"title": "Heat", "movie": true})" "\n";
  CommandRun run = runScorelens("lookup --batch " + FactsFile(text).path + " --cacert " + SCORELENS_ANY_PEM +
                                " --connect-to www.rottentomatoes.com:443:127.0.0.1:9");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "scorelens lookup: 40 lookups failed\n");
  auto lines = resultLines(run.out);
  ASSERT_EQ(lines.size(), 40u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["line"], i + 1);
    EXPECT_EQ(lines[i]["outcome"], "failed");
    EXPECT_EQ(lines[i]["error"]["request"], "home") << lines[i];
    EXPECT_EQ(lines[i]["error"]["code"], "cannot-connect") << lines[i];
  }
}

// A failed search names its request like a single lookup; a failed
// certified request leaves the line's rating standing, with the error beside it.
TEST(CliBatch, FailedRequestsCarryTheSingleLookupsErrorObject) {
  const std::string prestige = R"({"title": "The Prestige", "movie": true, "year": 2006})";
  for (const std::string endpoint : {"search", "certified"}) {
    CommandRun run = runScorelens("lookup --batch - --hostile " + endpoint + "=reset-mid-body",
                                  "printf '%s\\n' '" + prestige + "' | ");
    auto lines = resultLines(run.out);
    ASSERT_EQ(lines.size(), 1u) << run.out;
    EXPECT_EQ(lines[0]["error"]["request"], endpoint) << lines[0];
    EXPECT_EQ(lines[0]["error"]["code"], "connection-lost") << lines[0];
    EXPECT_EQ(lines[0]["outcome"], endpoint == "search" ? "failed" : "rating") << lines[0];
    EXPECT_EQ(run.status, endpoint == "search" ? 3 : 0) << run.err;
  }
}

}  // namespace
