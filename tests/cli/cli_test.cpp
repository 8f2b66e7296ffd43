// The scorelens command as people and scripts run it: a child process, its
// output and its exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

namespace {

struct CommandRun {
  int status = -1;
  std::string out;
};

CommandRun scorelens(const std::string& args) {
  std::string command = std::string(SCORELENS_BINARY) + " " + args + " 2>/dev/null";
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

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
