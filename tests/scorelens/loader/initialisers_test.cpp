#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/NSBlock.h"
#include "platform/foundation/NSUserDefaults.h"
#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/fresh_process.h"
#include "scorelens/loader/initialisers.h"
#include "scorelens/prefs/CXPrefsManager.h"

// The installation runs against a fake host made in each test's own process:
// the host's classes under their run-time names, with methods of the shapes
// the hooks replace. What installed is read back from the run time.

namespace {
using fake_host::Shape;

struct Hook {
  const char* selector;
  Shape shape;
  bool own = true;  // false: the host class only inherits it
};
struct Property {
  const char* name;
  const char* attributes;
  char type;  // '@', 'q' or 'B'
};
struct Added {
  const char* selector;
  const char* types;
};
struct Group {
  int row;
  const char* className;  // the class the hooks land on
  const char* superName;
  std::vector<Hook> hooks;
  std::vector<Property> properties;
  std::vector<Added> methods;
  // The settings groups do their own work around the host's call (tested
  // with the settings); the others only call through.
  bool callsThroughOnly = true;
};

constexpr const char* kRatingView = "T@\"CXEnhancedRatingViewContainer\",&,N";

std::vector<Hook> settingsHooks(bool swift) {
  std::vector<Hook> hooks{{"viewDidLoad", Shape::V}};
  if (swift) hooks.push_back({"viewWillAppear:", Shape::VB});
  hooks.insert(hooks.end(), {{"numberOfSectionsInTableView:", Shape::QAt},
                             {"tableView:numberOfRowsInSection:", Shape::QAtQ},
                             {"tableView:willDisplayCell:forRowAtIndexPath:", Shape::VAtAtAt},
                             {"tableView:cellForRowAtIndexPath:", Shape::AtAtAt},
                             {"tableView:heightForHeaderInSection:", Shape::DAtQ},
                             {"tableView:viewForHeaderInSection:", Shape::AtAtQ},
                             {"tableView:didSelectRowAtIndexPath:", Shape::VAtAt}});
  return hooks;
}
const std::vector<Added> kSwitchMethods{{"CXCriticRatingPercentageEnabledSwitchChanged:", "v@:@"},
                                        {"CXCriticRatingMeterEnabledSwitchChanged:", "v@:@"},
                                        {"CXAudienceRatingPercentageEnabledSwitchChanged:", "v@:@"},
                                        {"CXAudienceRatingMeterEnabledSwitchChanged:", "v@:@"}};
const std::vector<Property> kSettingsProperties{{"CXRootSettingsOriginalNumSections", "Tq,N", 'q'},
                                                {"CXCurrentSettingsType", "Tq,N", 'q'}};

// Rows 2 to 12. Row 3's class is the module's own, made on the host's provider.
const std::vector<Group>& groups() {
  static const std::vector<Group> all{
      {2, "AppSettingsViewController", "UIViewController", settingsHooks(false), kSettingsProperties, kSwitchMethods,
       false},
      {3, "CXAppSettingsCineluxProvider", "AppSettingsProvider", {{"title", Shape::At, false}}, {}, {}},
      {4, "MenuListViewModel", "NSObject", {{"initWithDictionary:", Shape::AtAt}}, {}, {}},
      {5,
       "DisplayPageSummaryArtCell",
       "UICollectionViewCell",
       {{"awakeFromNib", Shape::V}, {"calculatedSize:", Shape::Size}, {"dealloc", Shape::V, false}},
       {{"CXEnhancedRatingViewContainer", kRatingView, '@'}},
       {}},
      {6,
       "NFUIDisplayPageAboveTheFoldSummaryCell",
       "UICollectionViewCell",
       {{"awakeFromNib", Shape::V}, {"dealloc", Shape::V, false}},
       {{"CXEnhancedRatingViewContainer", kRatingView, '@'}},
       {}},
      {7,
       "NFUIVideoDisplayPage",
       "UIViewController",
       {{"viewDidLoad", Shape::V}, {"collectionView:willDisplayCell:forItemAtIndexPath:", Shape::VAtAtAt}},
       {{"CXFoundCompletedSummaryCell", "TB,N", 'B'}},
       {{"CXUpdateEnhancedRatingContainer:withModel:", "v@:@@"}}},
      {8, "Argo.SimpleSettingsViewController", "UIViewController", {{"viewDidLoad", Shape::V}}, {}, {}, false},
      {9, "Argo.AppSettingsViewController_Swift", "UIViewController", settingsHooks(true), kSettingsProperties,
       kSwitchMethods, false},
      {10,
       "NetflixCollectionView.CDSCollectionViewDiffableDataSource",
       "NSObject",
       {{"collectionView:cellForItemAtIndexPath:", Shape::AtAtAt}},
       {{"CXHasInjectedEnhancedRatingViewContainer", "TB,N", 'B'},
        {"CXHasCompletedEnhancedRatingViewContainer", "TB,N", 'B'},
        {"CXVideoDisplayPageModel", "T@\"CXVideoDisplayPageModel\",&,N", '@'},
        {"CXEnhancedRatingViewContainer", kRatingView, '@'}},
       {{"CXCreateEnhancedRatingContainerForVideoId:", "v@:@"},
        {"CXInjectEnhancedRatingViewContainerForCell:", "v@:@"},
        {"CXGatherDetailsFromCell:", "v@:@"},
        {"CXDetailsDeliveredFromActionSheet:", "v@:@"},
        {"CXUpdateEnhancedRatingViewContainer:", "v@:B"}}},
      // viewDidLoad inherited from UIViewController: the hook still calls it.
      {11, "Argo.CDSDisplayPageViewController", "UIViewController", {{"viewDidLoad", Shape::V, false}}, {}, {}},
      {12,
       "NeroAppFlowController",
       "NSObject",
       {{"presentViewController:fromViewController:animated:completion:", Shape::Present}},
       {},
       {}},
  };
  return all;
}

// The implementation each hooked selector had before installation.
std::map<std::string, IMP>& hostImps() {
  static std::map<std::string, IMP> imps;
  return imps;
}
std::string key(const char* cls, const char* selector) { return std::string(cls) + " " + selector; }

// Makes the host's classes, leaving out those named in `missing`.
void defineHost(const char* version, const std::set<std::string>& missing = {}) {
  fake_host::setHostVersion(version);
  if (!missing.count("AppSettingsProvider")) {
    Class provider = fake_host::defineClass("AppSettingsProvider");
    fake_host::defineMethod(provider, "title", Shape::At);
  }
  for (const Group& group : groups()) {
    if (group.row == 3 || missing.count(group.className)) continue;
    Class cls = fake_host::defineClass(group.className, group.superName);
    for (const Hook& hook : group.hooks) {
      IMP imp = hook.own ? fake_host::defineMethod(cls, hook.selector, hook.shape)
                         : fake_host::currentImp(cls, hook.selector);
      hostImps()[key(group.className, hook.selector)] = imp;
    }
  }
}

// Sends selector with arguments of its shape and checks that the host's
// implementation received the call and that its answer came back unchanged.
void expectCallsThrough(Class cls, const Hook& hook) {
  StrongId receiver = fake_host::newInstance(cls);
  ASSERT_TRUE(receiver) << class_getName(cls);
  StrongId a = NSString::stringWithUTF8String("a"), b = NSString::stringWithUTF8String("b");
  const char* sel = hook.selector;
  fake_host::calls().clear();
  std::string expected = std::string(class_getName(cls)) + " " + sel;
  switch (hook.shape) {
    case Shape::V: objc_msgSend<void>(receiver.get(), sel); break;
    case Shape::VB:
      objc_msgSend<void>(receiver.get(), sel, true);
      expected += " YES";
      break;
    case Shape::QAt: EXPECT_EQ(objc_msgSend<long>(receiver.get(), sel, a), 3) << sel; break;
    case Shape::QAtQ: EXPECT_EQ(objc_msgSend<long>(receiver.get(), sel, a, 7L), 107) << sel; break;
    case Shape::VAtAtAt: objc_msgSend<void>(receiver.get(), sel, a, b, a); break;
    case Shape::AtAtAt: EXPECT_EQ(objc_msgSend<StrongId>(receiver.get(), sel, a, b).get(), b.get()) << sel; break;
    case Shape::DAtQ: EXPECT_EQ(objc_msgSend<double>(receiver.get(), sel, a, 4L), 2.0) << sel; break;
    case Shape::AtAtQ:
      EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(receiver.get(), sel, a, 5L).get()), "header 5") << sel;
      break;
    case Shape::VAtAt: objc_msgSend<void>(receiver.get(), sel, a, b); break;
    case Shape::At: EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(receiver.get(), sel).get()), "host title"); break;
    case Shape::AtAt: EXPECT_EQ(objc_msgSend<StrongId>(receiver.get(), sel, a).get(), receiver.get()); break;
    case Shape::Size: {
      CGSize out = objc_msgSend<CGSize>(receiver.get(), sel, CGSizeMake(3, 4));
      EXPECT_EQ(out, CGSizeMake(6, 5)) << "the struct goes in and comes back by value";
      break;
    }
    case Shape::Present:
      objc_msgSend<void>(receiver.get(), sel, a, b, true, NSBlock::blockWithFunction([] {}));
      expected += " YES with completion";
      break;
  }
  EXPECT_EQ(fake_host::calls(), std::vector<std::string>{expected}) << "one call reached the host's " << sel;
}

void expectProperty(Class cls, const Property& p) {
  objc_property_t declared = class_getProperty(cls, p.name);
  ASSERT_NE(declared, nullptr) << class_getName(cls) << " lacks " << p.name;
  EXPECT_STREQ(property_getAttributes(declared), p.attributes) << p.name;
  std::string setter = std::string("set") + p.name + ":";
  Method get = class_getInstanceMethod(cls, sel_registerName(p.name));
  Method set = class_getInstanceMethod(cls, sel_registerName(setter.c_str()));
  ASSERT_TRUE(get && set) << p.name;
  EXPECT_EQ(std::string(method_getTypeEncoding(get)), std::string(1, p.type) + "@:") << p.name;
  EXPECT_EQ(std::string(method_getTypeEncoding(set)), std::string("v@:") + p.type) << p.name;

  StrongId obj = fake_host::newInstance(cls);
  switch (p.type) {
    case 'q':
      EXPECT_EQ(objc_msgSend<long>(obj.get(), p.name), 0) << p.name << " reads 0 before it is set";
      objc_msgSend<void>(obj.get(), setter.c_str(), -5L);
      EXPECT_EQ(objc_msgSend<long>(obj.get(), p.name), -5) << p.name;
      break;
    case 'B':
      EXPECT_FALSE(objc_msgSend<bool>(obj.get(), p.name)) << p.name << " reads NO before it is set";
      objc_msgSend<void>(obj.get(), setter.c_str(), true);
      EXPECT_TRUE(objc_msgSend<bool>(obj.get(), p.name)) << p.name;
      break;
    default: {
      EXPECT_FALSE(objc_msgSend<StrongId>(obj.get(), p.name)) << p.name << " reads nil before it is set";
      StrongId value = NSString::stringWithUTF8String("value");
      objc_msgSend<void>(obj.get(), setter.c_str(), value);
      EXPECT_EQ(objc_msgSend<StrongId>(obj.get(), p.name).get(), value.get()) << p.name;
    }
  }
}

void expectInstalled(const Group& group) {
  SCOPED_TRACE(testing::Message() << "row " << group.row << " " << group.className);
  Class cls = objc_getClass(group.className);
  ASSERT_NE(cls, nullptr);
  for (const Hook& hook : group.hooks) {
    Method own = class_getInstanceMethod(cls, sel_registerName(hook.selector));
    ASSERT_NE(own, nullptr) << hook.selector;
    EXPECT_FALSE(method_getImplementation(own) == hostImps()[key(group.className, hook.selector)])
        << hook.selector << " is not replaced";
    if (hook.own && group.callsThroughOnly) expectCallsThrough(cls, hook);
  }
  for (const Property& p : group.properties) expectProperty(cls, p);
  for (const Added& added : group.methods) {
    Method m = class_getInstanceMethod(cls, sel_registerName(added.selector));
    ASSERT_NE(m, nullptr) << added.selector << " was not added";
    EXPECT_STREQ(method_getTypeEncoding(m), added.types) << added.selector;
  }
}

void expectUntouched(const Group& group) {
  SCOPED_TRACE(testing::Message() << "row " << group.row << " " << group.className);
  Class cls = objc_getClass(group.className);
  ASSERT_NE(cls, nullptr);
  for (const Hook& hook : group.hooks)
    EXPECT_TRUE(fake_host::currentImp(cls, hook.selector) == hostImps()[key(group.className, hook.selector)])
        << hook.selector << " was replaced";
  for (const Property& p : group.properties) EXPECT_EQ(class_getProperty(cls, p.name), nullptr) << p.name;
  for (const Added& added : group.methods)
    EXPECT_EQ(class_getInstanceMethod(cls, sel_registerName(added.selector)), nullptr) << added.selector;
}

// Installs on a complete fake host of `version` and checks every group: the
// rows listed are installed, the others untouched. Whether the preference
// defaults were registered a second time (row 9) is seen by forgetting the
// registration after row 1 has run.
void checkInstallation(const char* version, const std::set<int>& rows) {
  defineHost(version);
  NSUserDefaults::setStandardUserDefaultsPath("");  // memory only
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  CXInitialisers()[0].run();
  EXPECT_TRUE(CXPrefsManager::criticRatingPercentageEnabled()) << "row 1 registers the defaults";
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  CXRunInitialisers();
  EXPECT_EQ(CXPrefsManager::criticRatingPercentageEnabled(), rows.count(9) == 1)
      << "the defaults are registered again exactly when row 9 installs";
  for (const Group& group : groups()) {
    if (group.row == 3) continue;
    if (rows.count(group.row))
      expectInstalled(group);
    else
      expectUntouched(group);
  }
  Class provider = objc_getClass("CXAppSettingsCineluxProvider");
  ASSERT_NE(provider, nullptr) << "row 3 always makes the provider class";
  EXPECT_EQ(class_getSuperclass(provider), objc_getClass("AppSettingsProvider"));
  expectInstalled(groups()[1]);
  fake_host::calls().clear();
  StrongId module = fake_host::newInstance(provider);
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(module.get(), "title").get()), "ScoreLens");
  EXPECT_TRUE(fake_host::calls().empty()) << "the module's provider names itself without asking the host's";
}
}  // namespace

TEST(Installation, OldestHostGetsTheLegacyTitlePageAndSettings) {
  inFreshProcess([] { checkInstallation("9.18.0", {2, 3, 4, 5, 7, 12}); });
}

TEST(Installation, HostBelow15_1SkipsTheCurrentSettingsAndTitlePage) {
  inFreshProcess([] { checkInstallation("15.0.9", {2, 3, 4, 6, 7, 12}); });
}

TEST(Installation, HostFrom15_1Below16_1GetsTheCurrentSettingsOnly) {
  inFreshProcess([] { checkInstallation("16.0.5", {2, 3, 4, 6, 7, 8, 9, 12}); });
}

TEST(Installation, CurrentHostGetsEveryGroupButTheOldSummaryCell) {
  inFreshProcess([] { checkInstallation("16.51.0", {2, 3, 4, 6, 7, 8, 9, 10, 11, 12}); });
}

TEST(Installation, MissingHostClassesAreSkippedAndTheRestInstalls) {
  inFreshProcess([] {
    defineHost("16.51.0", {"Argo.SimpleSettingsViewController",
                           "NetflixCollectionView.CDSCollectionViewDiffableDataSource", "AppSettingsProvider"});
    CXRunInitialisers();
    EXPECT_EQ(objc_getClass("CXAppSettingsCineluxProvider"), nullptr)
        << "no provider class is made without the host's provider to subclass";
    EXPECT_EQ(objc_getClass("Argo.SimpleSettingsViewController"), nullptr) << "nothing made up for the host";
    for (const Group& group : groups())
      if (group.row == 9 || group.row == 11 || group.row == 12) expectInstalled(group);
  });
}

TEST(Installation, AHostWithNoneOfTheClassesIsLeftAlone) {
  inFreshProcess([] {
    CXRunInitialisers();  // no VersionManager either: the gates read the empty version
    EXPECT_EQ(objc_getClass("CXAppSettingsCineluxProvider"), nullptr);
    EXPECT_FALSE(CXPrefsManager::isAtLeastNetflix15x());
  });
}

TEST(Installation, RunningAgainInstallsNothingTwice) {
  inFreshProcess([] {
    defineHost("16.51.0");
    CXRunInitialisers();
    for (const CXInitialiser& initialiser : CXInitialisers()) initialiser.run();
    CXRunInitialisers();
    // A second hook would have saved the first replacement as the host's code
    // and called itself without end.
    Class flow = objc_getClass("NeroAppFlowController");
    expectCallsThrough(flow, groups().back().hooks[0]);
    // On a screen that is neither the root nor the module's, rows are the host's.
    Class settings = objc_getClass("AppSettingsViewController");
    StrongId other = fake_host::newInstance(settings);
    objc_msgSend<void>(other.get(), "setCXCurrentSettingsType:", 4L);
    fake_host::calls().clear();
    EXPECT_EQ(objc_msgSend<long>(other.get(), "tableView:numberOfRowsInSection:", other.get(), 7L), 107);
    EXPECT_EQ(fake_host::calls().size(), 1u) << "one call, not a hook calling itself";
  });
}

TEST(Installation, SettingsSectionArithmeticAsksTheHostOnlyForItsOwnSections) {
  inFreshProcess([] {
    defineHost("16.51.0");  // the fake host answers 3 sections and section + 100 rows
    CXRunInitialisers();
    struct Kinds {
      const char* name;
      long module, other;
    };
    for (auto [name, moduleKind, otherKind] :
         {Kinds{"AppSettingsViewController", 3, 4}, Kinds{"Argo.AppSettingsViewController_Swift", 1, 2}}) {
      SCOPED_TRACE(name);
      // This fake host has neither the "provider" method nor the variable: its
      // screens stay its own (and nothing is sent that it does not answer).
      StrongId unknown = fake_host::newInstance(objc_getClass(name));
      objc_msgSend<void>(unknown.get(), "viewDidLoad");
      EXPECT_EQ(objc_msgSend<long>(unknown.get(), "CXCurrentSettingsType"), otherKind);

      StrongId root = fake_host::newInstance(objc_getClass(name));
      fake_host::calls().clear();
      EXPECT_EQ(objc_msgSend<long>(root.get(), "numberOfSectionsInTableView:", root.get()), 4) << "n + 1";
      EXPECT_EQ(objc_msgSend<long>(root.get(), "CXRootSettingsOriginalNumSections"), 3);
      EXPECT_EQ(objc_msgSend<long>(root.get(), "tableView:numberOfRowsInSection:", root.get(), 3L), 1) << "the entry";
      EXPECT_EQ(objc_msgSend<long>(root.get(), "tableView:numberOfRowsInSection:", root.get(), 5L), 0);
      EXPECT_EQ(fake_host::calls().size(), 1u) << "only the section count reached the host";
      EXPECT_EQ(objc_msgSend<long>(root.get(), "tableView:numberOfRowsInSection:", root.get(), 2L), 102);

      StrongId module = fake_host::newInstance(objc_getClass(name));
      objc_msgSend<void>(module.get(), "setCXCurrentSettingsType:", moduleKind);
      fake_host::calls().clear();
      std::vector<long> rows;
      for (long s = 0; s < 5; ++s) rows.push_back(objc_msgSend<long>(module.get(), "tableView:numberOfRowsInSection:", module.get(), s));
      EXPECT_EQ(rows, (std::vector<long>{1, 2, 2, 0, 0}));
      EXPECT_TRUE(fake_host::calls().empty()) << "the module screen's rows are the module's own";
    }
  });
}

TEST(Installation, ReplacedDeallocStillDestroysTheCellAndItsStrip) {
  inFreshProcess([] {
    defineHost("9.30.0");  // both summary cells are hooked from 9.19.0 until 9.48.0
    CXRunInitialisers();
    for (const char* name : {"DisplayPageSummaryArtCell", "NFUIDisplayPageAboveTheFoldSummaryCell"}) {
      StrongId cell = fake_host::newInstance(objc_getClass(name));
      Ref<NSObject> strip = make<NSObject>();
      Weak<NSObject> watch(strip);
      objc_msgSend<void>(cell.get(), "setCXEnhancedRatingViewContainer:", strip);
      strip.reset();
      ASSERT_TRUE(watch.lock()) << name << ": the cell holds its strip";
      cell.reset();
      EXPECT_FALSE(watch.lock()) << name << ": the cell's dealloc reached the host's and released the strip";
    }
  });
}

TEST(Installation, LoadingTheModuleLibraryInstallsAtOnce) {
  inFreshProcess([] {
    defineHost("16.51.0");
    ::unsetenv("SCORELENS_RPATH");
    ::unsetenv("SCORELENS_JBROOT");
    // What the simulated host does after registering its classes.
    void* module = dlopen(SCORELENS_TEST_MODULE_LIBRARY, RTLD_NOW);
    ASSERT_NE(module, nullptr) << dlerror();
    expectInstalled(groups()[8]);   // row 10, the current title page's data source
    expectInstalled(groups().back());
    Ref<NSBundle> bundle = CXPrefsManager::bundle();
    ASSERT_TRUE(bundle) << "the module finds its staged resources through the device's libroot";
    EXPECT_EQ(utf8(bundle->bundlePath().get()),
              std::string(SCORELENS_TEST_STAGED_JBROOT) + "/Library/Application Support/ScoreLens.bundle");
    EXPECT_TRUE(CXPrefsManager::settingsImage());
  });
}
