// scorelens settings as a child process: the host's settings printed as one
// JSON object, switches flipped through the module screen, and the choice
// carried to the next demo through the shared preference file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_run.h"

namespace {

nlohmann::json settingsJson(const std::string& args) {
  CommandRun run = runScorelens("settings --json " + args);
  EXPECT_EQ(run.status, 0) << args;
  return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
}

std::string scratchDefaults() {
  auto path = std::filesystem::temp_directory_path() / ("scorelens-cli-settings-" + std::to_string(::getpid()) + ".json");
  std::filesystem::remove(path);
  return path.string();
}

TEST(CliSettings, AFlippedSwitchShowsInTheNextDemosStrip) {
  std::string defaults = scratchDefaults();
  auto j = settingsJson("--defaults " + defaults + " --set critic-meter=off --set audience-percentage=off");
  ASSERT_FALSE(j.empty());
  EXPECT_EQ(j["generation"], "current");
  const auto& root = j["root"]["sections"];
  ASSERT_EQ(root.size(), 7u) << "six host sections and the entry";
  EXPECT_EQ(root[6]["header"]["subtitle"], "Extras");
  EXPECT_EQ(root[6]["header"]["height"], "automatic");
  EXPECT_EQ(root[6]["rows"][0]["title"], "ScoreLens");
  EXPECT_EQ(root[6]["rows"][0]["icon"], "settings");
  EXPECT_EQ(root[6]["rows"][0]["accessory"], "chevron-new");
  ASSERT_TRUE(j["module"].is_object());
  EXPECT_EQ(j["module"]["title"], "ScoreLens");
  EXPECT_EQ(j["module"]["sections"][0]["header"]["height"], 0.0);
  EXPECT_EQ(j["module"]["sections"][1]["rows"][1]["switch"]["on"], false);
  EXPECT_EQ(j["module"]["sections"][2]["rows"][0]["switch"]["on"], false);
  EXPECT_EQ(j["preferences"]["criticRatingMeterEnabled"], false);
  EXPECT_EQ(j["preferences"]["audienceRatingPercentageEnabled"], false);
  EXPECT_EQ(j["preferences"]["criticRatingPercentageEnabled"], true);
  EXPECT_EQ(j["menu"].back()["name"], "ScoreLens 3.2.6");
  EXPECT_TRUE(j["versionLabel"].get<std::string>().ends_with("; ScoreLens 3.2.6"));

  CommandRun demo = runScorelens("demo --json --defaults " + defaults);
  ASSERT_EQ(demo.status, 0);
  auto strip = nlohmann::json::parse(demo.out)["strip"];
  EXPECT_EQ(strip["rows"][0]["meterVisible"], false) << "the critic meter is off";
  EXPECT_EQ(strip["rows"][0]["textVisible"], true);
  EXPECT_EQ(strip["rows"][1]["textVisible"], false) << "the audience percentage is off";
  EXPECT_EQ(strip["rows"][1]["meterVisible"], true);
  std::filesystem::remove(defaults);
}

TEST(CliSettings, AnOlderHostWithTheRedesignPadsTheRootAndTheModuleScreen) {
  auto j = settingsJson("--host-version 12.10.0 --open module");
  ASSERT_FALSE(j.empty());
  EXPECT_EQ(j["generation"], "legacy");
  EXPECT_EQ(j["root"]["sections"].size(), 8u) << "five host sections, the entry and two spare";
  EXPECT_EQ(j["root"]["sections"][5]["rows"][0]["accessory"], "chevron-old");
  EXPECT_EQ(j["module"]["sections"].size(), 5u);
  EXPECT_TRUE(j["versionLabel"].is_null());
  EXPECT_EQ(j["menu"].back()["menuName"], "ScoreLens");
  EXPECT_EQ(j["preferences"]["criticRatingMeterEnabled"], true) << "a scratch file starts from the defaults";
}

std::string bytesOf(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// A file the store cannot read is refused whole by settings --set, and demo
// reads --defaults without ever writing it, its form flags lasting one run.
TEST(CliSettings, APreferenceFileIsNeverLost) {
  const std::string path = scratchDefaults();
  const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                    std::filesystem::perms::group_read;
  for (const std::string& content : {std::string("{\"CXCriticRatingMeterEnabled\": fal"), std::string("[true]"),
                                    std::string("\xff\xfe"), std::string("{\"CXCriticRatingMeterEnabled\": false}\n")}) {
    std::ofstream(path, std::ios::binary) << content;
    std::filesystem::permissions(path, mode);
    const bool usable = content.front() == '{' && content.back() == '\n';
    if (!usable) {
      CommandRun set = runScorelens("settings --set critic-meter=on --defaults " + path);
      EXPECT_EQ(set.status, 1) << content;
      EXPECT_EQ(set.err.rfind("scorelens settings: cannot use the preference file " + path + ": ", 0), 0u) << set.err;
      EXPECT_NE(set.err.find("nothing was changed"), std::string::npos) << set.err;
    }
    CommandRun demo = runScorelens("demo --json --critic-meter on --audience-meter off --defaults " + path);
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(demo.err.empty(), usable) << demo.err;
    auto strip = nlohmann::json::parse(demo.out)["strip"];
    EXPECT_EQ(strip["rows"][0]["meterVisible"], true) << "the run's own flag wins over the file";
    EXPECT_EQ(strip["rows"][1]["meterVisible"], false);
    EXPECT_EQ(bytesOf(path), content) << "the file keeps its bytes";
    EXPECT_EQ(std::filesystem::status(path).permissions(), mode) << "and its mode";
  }
  std::filesystem::remove(path);
}

TEST(CliSettings, AnUnknownSwitchNameIsBadUsage) {
  EXPECT_EQ(runScorelens("settings --set critic-size=on").status, 2);
  EXPECT_EQ(runScorelens("settings --set critic-meter=maybe").status, 2);
}

}  // namespace
