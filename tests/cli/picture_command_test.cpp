// --png on the commands that show a screen: the file is written at the
// asked scale, named in the JSON, and nothing else in the output changes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_run.h"

namespace {

struct PngSize {
  unsigned width = 0, height = 0;
};

// From the file's IHDR chunk; {0, 0} when it is not a PNG file.
PngSize pngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[24] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) || head[1] != 'P' || head[2] != 'N' || head[3] != 'G') return {};
  auto be = [&](int at) {
    return (unsigned(head[at]) << 24) | (unsigned(head[at + 1]) << 16) | (unsigned(head[at + 2]) << 8) | head[at + 3];
  };
  return {be(16), be(20)};
}

std::string scratchFile(const std::string& name) {
  return (std::filesystem::path(::testing::TempDir()) / (std::to_string(::getpid()) + "-" + name)).string();
}

TEST(CliPicture, DemoDrawsTheWholeWindowAtTheAskedScale) {
  std::string png = scratchFile("demo.png");
  CommandRun run = runScorelens("demo --json --scale 1 --png " + png);
  ASSERT_EQ(run.status, 0);
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["png"], png);
  PngSize size = pngSize(png);
  EXPECT_EQ(size.width, 375u) << "the phone's screen at 1x";
  EXPECT_EQ(size.height, 812u);

  CommandRun plain = runScorelens("demo --json");
  ASSERT_EQ(plain.status, 0);
  EXPECT_FALSE(nlohmann::json::parse(plain.out).contains("png")) << "no picture, no field";
  std::filesystem::remove(png);
}

TEST(CliPicture, PreviewDrawsTheStripAndAnUnwritablePathIsStatusOne) {
  std::string png = scratchFile("preview.png");
  CommandRun run = runScorelens("preview --critic 87 --audience 55 --series --json --png " + png);
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(nlohmann::json::parse(run.out)["png"], png);
  PngSize size = pngSize(png);
  EXPECT_EQ(size.width, 750u) << "375 points at the default scale 2";
  EXPECT_EQ(size.height, 160u);
  // Drawn beside it and renamed into place, yet with a made file's mode, not a scratch file's 0600.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(png).permissions()), 0666 & ~mask);
  std::filesystem::remove(png);

  EXPECT_EQ(runScorelens("preview --critic 87 --series --png /nonexistent-folder/p.png").status, 1);
  EXPECT_EQ(runScorelens("preview --critic 87 --series --png x.png --scale 4").status, 2) << "scales are 1 to 3";
}

TEST(CliPicture, SettingsDrawTheRootScreenAndTheModuleScreenBesideIt) {
  std::string png = scratchFile("settings.png");
  CommandRun root = runScorelens("settings --json --scale 1 --png " + png);
  ASSERT_EQ(root.status, 0);
  EXPECT_EQ(nlohmann::json::parse(root.out)["png"], png);
  EXPECT_EQ(pngSize(png).width, 375u);

  CommandRun both = runScorelens("settings --open module --scale 1 --png " + png);
  ASSERT_EQ(both.status, 0);
  EXPECT_NE(both.out.find("Picture: " + png), std::string::npos);
  EXPECT_EQ(pngSize(png).width, 2 * 375u + 16) << "two screens, 16 points apart";
  EXPECT_EQ(pngSize(png).height, 812u);
  std::filesystem::remove(png);
}

}  // namespace
