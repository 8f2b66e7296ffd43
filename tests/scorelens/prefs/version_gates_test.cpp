#include <gtest/gtest.h>

#include <map>
#include <string>

#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/fresh_process.h"
#include "scorelens/prefs/CXPrefsManager.h"

// Gates keep their first answer for the life of the process, and the fake
// host's VersionManager cannot be taken away again, so every case runs in a
// process of its own.

namespace {
using Gates = std::map<std::string, bool>;

Gates allGates() {
  return {
      {"hasDisplayPageCellRedesigniPhone", CXPrefsManager::hasDisplayPageCellRedesigniPhone()},
      {"hasDisplayPageCellRedesigniPad", CXPrefsManager::hasDisplayPageCellRedesigniPad()},
      {"hasViewModelRedesign", CXPrefsManager::hasViewModelRedesign()},
      {"hasSettingsRedesign", CXPrefsManager::hasSettingsRedesign()},
      {"hasAboveTheFoldRedesign", CXPrefsManager::hasAboveTheFoldRedesign()},
      {"hasSettingsNewChevron", CXPrefsManager::hasSettingsNewChevron()},
      {"hasAboveTheFoldStackViewRedesign", CXPrefsManager::hasAboveTheFoldStackViewRedesign()},
      {"hasDisplayPageCellRename", CXPrefsManager::hasDisplayPageCellRename()},
      {"isLessThanNetflix10x", CXPrefsManager::isLessThanNetflix10x()},
      {"isAtLeastNetflix11x", CXPrefsManager::isAtLeastNetflix11x()},
      {"isAtLeastNetflix12x", CXPrefsManager::isAtLeastNetflix12x()},
      {"isAtLeastNetflix15x", CXPrefsManager::isAtLeastNetflix15x()},
      {"isAtLeastNetflix16x", CXPrefsManager::isAtLeastNetflix16x()},
      {"isLessThanNetflix16x", CXPrefsManager::isLessThanNetflix16x()},
  };
}

// The at-least gates answering atLeast and the below gates the opposite, with
// the answers of the gates named in `flipped` reversed.
Gates expected(bool atLeast, std::initializer_list<const char*> flipped) {
  Gates gates = allGates();
  for (auto& [name, answer] : gates) answer = name.rfind("isLessThan", 0) == 0 ? !atLeast : atLeast;
  for (const char* name : flipped) gates[name] = !gates[name];
  return gates;
}
}  // namespace

TEST(VersionGates, CurrentHostPassesEveryAtLeastGate) {
  inFreshProcess([] {
    fake_host::setHostVersion("16.51.0");
    EXPECT_EQ(allGates(), expected(true, {}));
  });
}

TEST(VersionGates, SixteenGatesCompareWithTheTwoPartSixteenOne) {
  inFreshProcess([] {
    fake_host::setHostVersion("16.1");
    EXPECT_EQ(allGates(), expected(true, {"hasDisplayPageCellRename"}));
  });
  inFreshProcess([] {
    fake_host::setHostVersion("16.0.5");
    EXPECT_EQ(allGates(), expected(true, {"hasDisplayPageCellRename", "isAtLeastNetflix16x", "isLessThanNetflix16x"}));
  });
}

TEST(VersionGates, EachGateTurnsExactlyAtItsVersionString) {
  struct Gate {
    const char* name;
    bool (*ask)();
    const char* justBelow;
    const char* at;
    bool atLeast;  // false: a below gate
  };
  using P = CXPrefsManager;
  const Gate gates[] = {
      {"hasDisplayPageCellRedesigniPhone", P::hasDisplayPageCellRedesigniPhone, "9.18.99", "9.19.0", true},
      {"hasDisplayPageCellRedesigniPad", P::hasDisplayPageCellRedesigniPad, "9.47.99", "9.48.0", true},
      {"hasViewModelRedesign", P::hasViewModelRedesign, "10.1.99", "10.2.0", true},
      {"hasSettingsRedesign", P::hasSettingsRedesign, "12.4.99", "12.5.0", true},
      {"hasAboveTheFoldRedesign", P::hasAboveTheFoldRedesign, "13.13.99", "13.14.0", true},
      {"hasSettingsNewChevron", P::hasSettingsNewChevron, "14.22.99", "14.23.0", true},
      {"hasAboveTheFoldStackViewRedesign", P::hasAboveTheFoldStackViewRedesign, "14.27.99", "14.28.0", true},
      {"hasDisplayPageCellRename", P::hasDisplayPageCellRename, "16.50.99", "16.51.0", true},
      {"isLessThanNetflix10x", P::isLessThanNetflix10x, "9.99.99", "10.0.0", false},
      {"isAtLeastNetflix11x", P::isAtLeastNetflix11x, "10.99.99", "11.0.0", true},
      {"isAtLeastNetflix12x", P::isAtLeastNetflix12x, "11.99.99", "12.0.0", true},
      {"isAtLeastNetflix15x", P::isAtLeastNetflix15x, "15.0.99", "15.1.0", true},
      {"isAtLeastNetflix16x", P::isAtLeastNetflix16x, "16.0.99", "16.1", true},
      {"isLessThanNetflix16x", P::isLessThanNetflix16x, "16.0.99", "16.1", false},
  };
  inFreshProcess([&] {
    for (const Gate& gate : gates) {
      for (bool below : {true, false}) {
        const char* version = below ? gate.justBelow : gate.at;
        fake_host::setHostVersion(version);
        CXPrefsManager::resetVersionGatesForTesting();
        EXPECT_EQ(gate.ask(), below != gate.atLeast) << gate.name << " on host " << version;
      }
    }
  });
}

TEST(VersionGates, NumbersCompareByValueNotByCharacter) {
  inFreshProcess([] {
    fake_host::setHostVersion("9.100.0");
    EXPECT_TRUE(CXPrefsManager::hasDisplayPageCellRedesigniPhone()) << "100 is above 19";
    EXPECT_TRUE(CXPrefsManager::hasDisplayPageCellRedesigniPad()) << "100 is above 48";
    EXPECT_TRUE(CXPrefsManager::isLessThanNetflix10x());
    EXPECT_FALSE(CXPrefsManager::hasViewModelRedesign());
  });
}

TEST(VersionGates, FifteenGateComparesWithFifteenOne) {
  inFreshProcess([] {
    fake_host::setHostVersion("15.0.9");
    EXPECT_FALSE(CXPrefsManager::isAtLeastNetflix15x());
    EXPECT_TRUE(CXPrefsManager::hasAboveTheFoldStackViewRedesign());
  });
  inFreshProcess([] {
    fake_host::setHostVersion("15.1.0");
    EXPECT_TRUE(CXPrefsManager::isAtLeastNetflix15x()) << "equal counts as at least";
  });
}

TEST(VersionGates, FirstAnswerStandsForTheProcess) {
  inFreshProcess([] {
    fake_host::setHostVersion("15.0.0");
    EXPECT_FALSE(CXPrefsManager::isAtLeastNetflix15x());
    EXPECT_TRUE(CXPrefsManager::isLessThanNetflix16x());
    fake_host::setHostVersion("16.51.0");
    EXPECT_FALSE(CXPrefsManager::isAtLeastNetflix15x()) << "asked before the version changed";
    EXPECT_TRUE(CXPrefsManager::isLessThanNetflix16x());
    EXPECT_TRUE(CXPrefsManager::hasDisplayPageCellRename()) << "a gate first asked now reads the version now";
  });
}

TEST(VersionGates, TestsCanForgetTheAnswers) {
  inFreshProcess([] {
    fake_host::setHostVersion("15.0.0");
    EXPECT_FALSE(CXPrefsManager::isAtLeastNetflix15x());
    fake_host::setHostVersion("15.2.0");
    CXPrefsManager::resetVersionGatesForTesting();
    EXPECT_TRUE(CXPrefsManager::isAtLeastNetflix15x());
  });
}

TEST(VersionGates, UnknownVersionCountsAsOlderThanEveryGate) {
  inFreshProcess([] { EXPECT_EQ(allGates(), expected(false, {})) << "no VersionManager class"; });
  inFreshProcess([] {
    fake_host::setHostVersion(nullptr);
    EXPECT_EQ(allGates(), expected(false, {})) << "appVersion answers nil";
  });
  inFreshProcess([] {
    Class manager = fake_host::defineClass("VersionManager");
    class_addMethod(object_getClass(class_asObject(manager)), sel_registerName("sharedInstance"),
                    +[](id self, SEL) -> StrongId { return StrongId(self); }, "@@:");
    class_addMethod(manager, sel_registerName("appVersion"), +[](id, SEL) -> long { return 16; }, "q@:");
    EXPECT_EQ(allGates(), expected(false, {})) << "appVersion of another shape is not called";
  });
  inFreshProcess([] {
    Class manager = fake_host::defineClass("VersionManager");
    class_addMethod(object_getClass(class_asObject(manager)), sel_registerName("sharedInstance"),
                    +[](id self, SEL) -> StrongId { return StrongId(self); }, "@@:");
    class_addMethod(object_getClass(class_asObject(manager)), sel_registerName("appVersion"),
                    +[](id, SEL) -> StrongId { return box(16L); }, "@@:");
    EXPECT_EQ(allGates(), expected(false, {})) << "a number is not a version string";
  });
}

TEST(InjectionCellClasses, FollowTheRenameIn16_51) {
  auto defineCells = [] {
    for (const char* name : {"_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_",
                             "Argo.DisplayPagePlaybackButtonView",
                             "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo21DisplayPageButtonView_",
                             "Argo.DisplayPageButtonView"})
      fake_host::defineClass(name, "UIView");
  };
  inFreshProcess([&] {
    fake_host::setHostVersion("16.51.0");
    defineCells();
    EXPECT_STREQ(class_getName(CXPrefsManager::displayPageInjectionCellClass()),
                 "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_");
    EXPECT_STREQ(class_getName(CXPrefsManager::displayPageInjectionCellSubviewClass()),
                 "Argo.DisplayPagePlaybackButtonView");
  });
  inFreshProcess([&] {
    fake_host::setHostVersion("16.50.9");
    defineCells();
    EXPECT_STREQ(class_getName(CXPrefsManager::displayPageInjectionCellClass()),
                 "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo21DisplayPageButtonView_");
    EXPECT_STREQ(class_getName(CXPrefsManager::displayPageInjectionCellSubviewClass()), "Argo.DisplayPageButtonView");
  });
}

TEST(InjectionCellClasses, AHostWithoutThemGivesNil) {
  inFreshProcess([] {
    fake_host::setHostVersion("16.51.0");
    EXPECT_EQ(CXPrefsManager::displayPageInjectionCellClass(), nullptr);
    EXPECT_EQ(CXPrefsManager::displayPageInjectionCellSubviewClass(), nullptr);
    // Looked up on every call: a class that appears later is found.
    fake_host::defineClass("Argo.DisplayPagePlaybackButtonView", "UIView");
    EXPECT_NE(CXPrefsManager::displayPageInjectionCellSubviewClass(), nullptr);
  });
}
