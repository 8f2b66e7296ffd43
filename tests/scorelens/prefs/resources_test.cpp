#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/fresh_process.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/prefs/localized.h"

// The bundle, the images and the track colour live in process-wide slots, so
// the cases that load them run in processes of their own. The module finds its
// folder through the simulated device's libroot, pointed at a jailbreak root
// made for the test.

namespace fs = std::filesystem;

namespace {
// A scratch jailbreak root, removed when the test's process ends normally.
class JailbreakRoot {
 public:
  JailbreakRoot() {
    std::string pattern = (fs::temp_directory_path() / "scorelens-jbroot-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "no scratch directory";
    root_ = pattern;
    ::setenv("SCORELENS_RPATH", SCORELENS_TEST_DEVICE_LIB_DIR, 1);
    ::setenv("SCORELENS_JBROOT", root_.c_str(), 1);
  }
  ~JailbreakRoot() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  fs::path bundle() const { return root_ / "Library/Application Support/ScoreLens.bundle"; }
  // Copies the module's resource folder in.
  void install() const {
    fs::create_directories(bundle().parent_path());
    fs::copy(SCORELENS_TEST_BUNDLE_SOURCE, bundle(), fs::copy_options::recursive);
  }
  // Removes every scale variant of image name.
  void removeImage(const std::string& name) const {
    for (const char* suffix : {".png", "@2x.png", "@3x.png"}) fs::remove(bundle() / (name + suffix));
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

std::string nameOf(const Ref<UIImage>& image) { return image ? utf8(image->name()) : "<nil>"; }

CGFloat greyLevel(const Ref<UIColor>& colour) { return colour ? colour->red() : -1; }
}  // namespace

TEST(RatingArtwork, ScoresPickTheirIcons) {
  inFreshProcess([] {
    JailbreakRoot root;
    root.install();
    using P = CXPrefsManager;
    EXPECT_EQ(nameOf(P::criticRatingImageForRating_hasRating_isCertified(60.0, true, false)), "tomato");
    EXPECT_EQ(nameOf(P::criticRatingImageForRating_hasRating_isCertified(59.9, true, false)), "poop");
    EXPECT_EQ(nameOf(P::criticRatingImageForRating_hasRating_isCertified(10.0, true, true)), "shooting_star")
        << "certified wins over a low score";
    EXPECT_EQ(nameOf(P::criticRatingImageForRating_hasRating_isCertified(95.0, false, true)), "tomato_bw")
        << "no score wins over certified";
    EXPECT_EQ(nameOf(P::criticRatingImageForRating_hasRating_isCertified(NAN, true, false)), "poop");
    EXPECT_EQ(nameOf(P::audienceRatingImageForRating_hasRating(60.0, true)), "smile");
    EXPECT_EQ(nameOf(P::audienceRatingImageForRating_hasRating(59.9, true)), "puke");
    EXPECT_EQ(nameOf(P::audienceRatingImageForRating_hasRating(80.0, false)), "smile_bw");
    EXPECT_EQ(nameOf(P::errorImage()), "x");
    EXPECT_EQ(nameOf(P::noRatingAvailableImage()), "question_mark");
    EXPECT_EQ(nameOf(P::settingsImage()), "settings");

    Ref<UIImage> tomato = P::criticRatingImageForRating_hasRating_isCertified(75, true, false);
    ASSERT_TRUE(tomato);
    EXPECT_EQ(fs::path(tomato->filePath()).parent_path(), root.bundle()) << "read from the module's own folder";
    EXPECT_EQ(tomato->renderingMode(), UIImageRenderingModeAutomatic);
  });
}

TEST(RatingArtwork, ChevronsAreTemplates) {
  inFreshProcess([] {
    JailbreakRoot root;
    root.install();
    for (const Ref<UIImage>& chevron : {CXPrefsManager::oldChevronImage(), CXPrefsManager::newChevronImage()}) {
      ASSERT_TRUE(chevron);
      EXPECT_EQ(chevron->renderingMode(), UIImageRenderingModeAlwaysTemplate) << nameOf(chevron);
    }
    EXPECT_EQ(nameOf(CXPrefsManager::oldChevronImage()), "old_chevron18x18");
    EXPECT_EQ(nameOf(CXPrefsManager::newChevronImage()), "new_chevron");
  });
}

TEST(RatingArtwork, EachAccessorKeepsTheObjectItLoaded) {
  inFreshProcess([] {
    JailbreakRoot root;
    root.install();
    Ref<NSBundle> bundle = CXPrefsManager::bundle();
    ASSERT_TRUE(bundle);
    EXPECT_EQ(utf8(bundle->bundlePath().get()), root.bundle().string());
    EXPECT_EQ(CXPrefsManager::errorImage().get(), CXPrefsManager::errorImage().get());
    EXPECT_EQ(CXPrefsManager::newChevronImage().get(), CXPrefsManager::newChevronImage().get());
    EXPECT_EQ(CXPrefsManager::audienceRatingImageForRating_hasRating(90, true).get(),
              CXPrefsManager::audienceRatingImageForRating_hasRating(61, true).get())
        << "one slot per image, whatever score chose it";

    // Kept even when the files go away afterwards.
    Ref<UIImage> settings = CXPrefsManager::settingsImage();
    fs::remove_all(root.bundle());
    EXPECT_EQ(CXPrefsManager::settingsImage().get(), settings.get());
    EXPECT_EQ(CXPrefsManager::bundle().get(), bundle.get());
  });
}

TEST(RatingArtwork, AFailedLoadIsTriedAgain) {
  inFreshProcess([] {
    JailbreakRoot root;  // no resource folder yet
    EXPECT_FALSE(CXPrefsManager::bundle());
    EXPECT_FALSE(CXPrefsManager::errorImage());
    EXPECT_EQ(utf8(CXLocalizedString("EXTRAS", "Extras")), "Extras") << "the English text, without a folder";

    root.install();
    root.removeImage("x");
    std::ofstream(root.bundle() / "en.lproj/Localizable.strings") << R"("EXTRAS" = "Bonus"; "METER" = ""; "PERCENTAGE" = "%";)";
    EXPECT_EQ(utf8(CXLocalizedString("EXTRAS", "Extras")), "Bonus") << "the table's text, once it is there";
    EXPECT_EQ(utf8(CXLocalizedString("PERCENTAGE", "Percentage")), "%");
    EXPECT_EQ(utf8(CXLocalizedString("METER", "Meter")), "Meter") << "an empty text is not shown";
    EXPECT_TRUE(CXPrefsManager::bundle()) << "the folder is looked for again";
    EXPECT_FALSE(CXPrefsManager::errorImage()) << "a missing image is nil";
    EXPECT_TRUE(CXPrefsManager::noRatingAvailableImage()) << "and only that image";

    fs::copy_file(fs::path(SCORELENS_TEST_BUNDLE_SOURCE) / "x.png", root.bundle() / "x.png");
    EXPECT_EQ(nameOf(CXPrefsManager::errorImage()), "x") << "the image is looked for again";
  });
}

TEST(RatingArtwork, WithoutItsFolderTheModuleShowsNoHostImage) {
  inFreshProcess([] {
    // Regression: images were looked up in the host's own resources while the
    // folder was missing, and a host image of the same name was kept for good.
    JailbreakRoot root;
    fs::path host = root.root() / "Host.app";
    fs::create_directories(host);
    fs::copy_file(fs::path(SCORELENS_TEST_BUNDLE_SOURCE) / "x.png", host / "x.png");
    NSBundle::setMainBundlePath(host.string());
    EXPECT_FALSE(CXPrefsManager::errorImage());

    root.install();
    Ref<UIImage> image = CXPrefsManager::errorImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(fs::path(image->filePath()).parent_path(), root.bundle());
  });
}

TEST(MeterTrackColour, DarkUpTo9_18_1AndLightAfter) {
  for (const char* version : {"9.18.1", "9.9.0"}) {
    inFreshProcess([version] {
      fake_host::setHostVersion(version);
      EXPECT_DOUBLE_EQ(greyLevel(CXPrefsManager::enhancedRatingMeterTrackColor()), 0.22) << version;
    });
  }
  for (const char* version : {"9.18.2", "10.0.0", "9.100.0"}) {
    inFreshProcess([version] {
      fake_host::setHostVersion(version);
      EXPECT_EQ(CXPrefsManager::enhancedRatingMeterTrackColor().get(), UIColor::lightGrayColor()) << version;
    });
  }
  inFreshProcess([] {
    EXPECT_DOUBLE_EQ(greyLevel(CXPrefsManager::enhancedRatingMeterTrackColor()), 0.22)
        << "an unknown version counts as the oldest";
  });
}

TEST(MeterTrackColour, ChosenOncePerProcess) {
  inFreshProcess([] {
    fake_host::setHostVersion("9.18.1");
    Ref<UIColor> first = CXPrefsManager::enhancedRatingMeterTrackColor();
    fake_host::setHostVersion("16.0.0");
    EXPECT_EQ(CXPrefsManager::enhancedRatingMeterTrackColor().get(), first.get());
  });
}

TEST(FixedColours, AreOpaqueAndKept) {
  struct Expected {
    Ref<UIColor> (*colour)();
    CGFloat red, green, blue;
  };
  const Expected all[] = {
      {&CXPrefsManager::enhancedRatingMeterProgressColor, 0.9, 0.051, 0.078},
      {&CXPrefsManager::enhancedRatingLabelColor, 0.502, 0.502, 0.502},
      {&CXPrefsManager::settingsIconTintColor, 0.702, 0.702, 0.702},
      {&CXPrefsManager::settingsCellTintColor, 0.3, 0.3, 0.3},
      {&CXPrefsManager::settingsHeaderSubtitleLabelColor, 0.592, 0.592, 0.592},
  };
  for (const Expected& e : all) {
    Ref<UIColor> colour = e.colour();
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->red(), e.red);
    EXPECT_EQ(colour->green(), e.green);
    EXPECT_EQ(colour->blue(), e.blue);
    EXPECT_EQ(colour->alpha(), 1.0);
    EXPECT_EQ(e.colour().get(), colour.get()) << "the same object every time";
  }
}

TEST(NetflixFont, IsTheHostsTypefaceWhenItHasIt) {
  const std::string typeface = "NetflixSansApp-Regular";
  bool registered = UIFont::isFontNameRegistered(typeface);
  UIFont::unregisterFontName(typeface);
  EXPECT_FALSE(CXPrefsManager::netflixFontOfSize(14)) << "no typeface, no font";

  UIFont::registerFontName(typeface);
  Ref<UIFont> font = CXPrefsManager::netflixFontOfSize(14);
  ASSERT_TRUE(font);
  EXPECT_EQ(utf8(font->fontName()), typeface);
  EXPECT_EQ(font->pointSize(), 14);
  EXPECT_EQ(CXPrefsManager::netflixFontOfSize(20)->pointSize(), 20) << "asked at each size, not cached";

  if (!registered) UIFont::unregisterFontName(typeface);
}
