// scorelens preview as people and scripts run it: a child process drawing the
// strip for a rating and preferences given on the command line.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_run.h"

namespace {


// The build puts the simulated device's libroot beside the module library,
// one directory above the command; with it the module finds its artwork.
std::string deviceLibrootDirectory() {
  std::filesystem::path dir = std::filesystem::path(SCORELENS_BINARY).parent_path().parent_path();
  return std::filesystem::exists(dir / "libroot.dylib") ? dir.string() : std::string();
}

CommandRun preview(const std::string& args, bool withArtwork = false) {
  std::string env;
  if (withArtwork) env = "SCORELENS_RPATH='" + deviceLibrootDirectory() + "' ";
  return runScorelens("preview " + args, env);
}

TEST(CliPreview, DescribesBothRowsWithTheirFramesAsJson) {
  CommandRun run = preview("--series --critic 87 --audience 55 --json");
  ASSERT_EQ(run.status, 0) << run.out;
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["form"], "two-row");
  EXPECT_EQ(j["height"], 80.0);
  ASSERT_EQ(j["rows"].size(), 2u);
  const auto& first = j["rows"][0];
  EXPECT_EQ(first["text"], "87%");
  EXPECT_TRUE(first["textVisible"].get<bool>());
  EXPECT_DOUBLE_EQ(first["meterProgress"].get<double>(), 0.87);
  EXPECT_EQ(first["iconFrame"], nlohmann::json::array({4.0, 4.0, 32.0, 32.0}));
  EXPECT_EQ(first["meterFrame"][2], 100.0);
  EXPECT_EQ(j["rows"][1]["iconFrame"], nlohmann::json::array({4.0, 44.0, 32.0, 32.0}));
  EXPECT_FALSE(j["message"]["visible"].get<bool>());
  EXPECT_FALSE(j["spinning"].get<bool>());
  EXPECT_TRUE(j["url"].is_null());
}

TEST(CliPreview, PreferencesChooseTheForm) {
  CommandRun run = preview("--critic 87 --audience 55 --audience-percentage off --audience-meter off --json");
  ASSERT_EQ(run.status, 0);
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["form"], "one-row");
  EXPECT_EQ(j["height"], 40.0);
  ASSERT_EQ(j["rows"].size(), 1u);
  EXPECT_EQ(j["rows"][0]["text"], "87%");

  CommandRun text = preview("--critic 87 --critic-meter off --audience-percentage off --audience-meter off");
  ASSERT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("87%"), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("[#"), std::string::npos) << "no meter bar when the meter is off:\n" << text.out;
}

TEST(CliPreview, AWellRatedFilmWaitsForTheCertifiedAnswer) {
  std::string libroot = deviceLibrootDirectory();
  if (libroot.empty()) GTEST_SKIP() << "the simulated device's libroot is not built beside the command";
  // The Prestige: the stand-in certified-status service answers YES.
  CommandRun run = preview("--critic 76 --audience 92 --ems-id c60f41a6-5347-50b7-b030-ced2e1c8213a --json", true);
  ASSERT_EQ(run.status, 0) << run.out;
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["rows"][0]["icon"], "shooting_star") << "the icon after the cross-dissolve";
  EXPECT_EQ(j["rows"][1]["icon"], "smile");

  CommandRun unconfirmed = preview("--critic 74 --ems-id c60f41a6-5347-50b7-b030-ced2e1c8213a --json", true);
  ASSERT_EQ(unconfirmed.status, 0);
  EXPECT_EQ(nlohmann::json::parse(unconfirmed.out)["rows"][0]["icon"], "tomato") << "below 75 nobody is asked";
}

TEST(CliPreview, BadUsageIsStatusTwo) {
  EXPECT_EQ(preview("--movie --series").status, 2) << "both kinds";
  EXPECT_EQ(preview("--critic 101").status, 2) << "a score above 100";
  EXPECT_EQ(preview("--critic-meter maybe").status, 2) << "neither on nor off";
}

}  // namespace
