// Host versions and the version table that decides what the app has.

#include <gtest/gtest.h>

#include "host/version.h"
#include "platform/foundation/NSString.h"

namespace {

using host::HostVersion;

HostVersion v(const char* text) {
  host::Result<HostVersion> parsed = HostVersion::parse(text);
  if (!parsed) ADD_FAILURE() << parsed.error().message;
  return parsed.value();
}

TEST(HostVersion, RejectsTextThatIsNotDotSeparatedNumbers) {
  for (const char* bad : {"", "16..1", "16.1.", ".16", "v16.1", "16.1b", "16 .1", "1234567890.1"}) {
    host::Result<HostVersion> parsed = HostVersion::parse(bad);
    ASSERT_FALSE(parsed.ok()) << "accepted \"" << bad << "\"";
    EXPECT_NE(parsed.error().message.find(std::string("\"") + bad + "\""), std::string::npos)
        << "the error should quote the text: " << parsed.error().message;
  }
}

TEST(HostVersion, ComparesPartsAsNumbersLikeTheAppsNumericStringComparison) {
  // The module compares versions with NSString's numeric search; the host's
  // own idea of "at least" must agree with it or the two disagree about
  // which classes exist.
  const std::vector<std::pair<const char*, const char*>> pairs{
      {"9.100.0", "9.19.0"}, {"16.1", "16.1.0"}, {"16.0.5", "16.1"}, {"15.1.0", "15.1"},
      {"16.51.0", "16.50.9"}, {"16.1", "16.1"}, {"10.2.0", "10.10.0"}, {"16", "16.1"}};
  for (const auto& [a, b] : pairs) {
    int mine = v(a).compare(v(b));
    NSComparisonResult theirs =
        NSString::stringWithUTF8String(a)->compare_options(NSString::stringWithUTF8String(b), NSNumericSearch);
    EXPECT_EQ(mine, static_cast<int>(theirs)) << a << " against " << b;
  }
}

TEST(HostFeatures, RenamesThePlayButtonViewAt16_51_0) {
  EXPECT_FALSE(host::featuresFor(v("16.50.9"), host::Device::iPhone).playbackButtonRename);
  EXPECT_TRUE(host::featuresFor(v("16.51.0"), host::Device::iPhone).playbackButtonRename);
}

TEST(HostFeatures, HasTheCurrentTitlePageFrom16_1AndTheLegacyOneBefore) {
  auto before = host::featuresFor(v("16.0.5"), host::Device::iPhone);
  auto at = host::featuresFor(v("16.1"), host::Device::iPhone);
  EXPECT_TRUE(before.legacyTitlePage && !before.currentTitlePage);
  EXPECT_TRUE(at.currentTitlePage && !at.legacyTitlePage);
  EXPECT_EQ(before.collectionViewIvar, nullptr) << "no internal controller without the current page";
}

TEST(HostFeatures, SwitchesSettingsGenerationAt15_1_0) {
  auto before = host::featuresFor(v("15.0.9"), host::Device::iPhone);
  auto at = host::featuresFor(v("15.1.0"), host::Device::iPhone);
  EXPECT_TRUE(before.legacySettings && !before.swiftSettings);
  EXPECT_TRUE(at.swiftSettings && !at.legacySettings);
  EXPECT_FALSE(host::featuresFor(v("15.1"), host::Device::iPhone).swiftSettings)
      << "15.1 is below 15.1.0, as the module's gate sees it";
}

TEST(HostFeatures, ChoosesTheIvarNameAndSheetLayoutByVersion) {
  using L = host::DetailsSheetLayout;
  struct Row {
    const char* version;
    const char* ivar;
    L layout;
  };
  for (const Row& row : {Row{"16.1", "collectionView", L::Dictionaries}, Row{"16.19.9", "collectionView", L::Dictionaries},
                         Row{"16.20", "collectionView", L::SwiftValues}, Row{"16.30", "cdsCollectionView", L::SwiftValues},
                         Row{"16.40", "cdsCollectionView", L::DetailsEntity},
                         Row{"16.51.0", "cdsCollectionView", L::DetailsEntity}}) {
    auto f = host::featuresFor(v(row.version), host::Device::iPhone);
    EXPECT_STREQ(f.collectionViewIvar, row.ivar) << row.version;
    EXPECT_EQ(f.sheetLayout, row.layout) << row.version;
  }
}

TEST(HostFeatures, PicksTheLegacySummaryCellByDeviceWhileBothExist) {
  auto padOld = host::featuresFor(v("9.30.0"), host::Device::iPad);
  auto phoneOld = host::featuresFor(v("9.30.0"), host::Device::iPhone);
  auto padLater = host::featuresFor(v("12.0.0"), host::Device::iPad);
  EXPECT_STREQ(padOld.legacySummaryCell, "DisplayPageSummaryArtCell");
  EXPECT_STREQ(phoneOld.legacySummaryCell, "NFUIDisplayPageAboveTheFoldSummaryCell");
  EXPECT_STREQ(padLater.legacySummaryCell, "NFUIDisplayPageAboveTheFoldSummaryCell")
      << "the summary-art cell is gone from 9.48.0";
  EXPECT_STREQ(host::featuresFor(v("9.0.0"), host::Device::iPhone).legacySummaryCell, "DisplayPageSummaryArtCell")
      << "before the iPhone redesign every device used the summary-art cell";
}

TEST(Device, ParsesItsTwoNamesInAnyCase) {
  EXPECT_EQ(host::parseDevice("iphone").value(), host::Device::iPhone);
  EXPECT_EQ(host::parseDevice("iPad").value(), host::Device::iPad);
  EXPECT_FALSE(host::parseDevice("watch").ok());
}

}  // namespace
