// Booting the host at a version: which classes exist, with which members,
// and the app's services. Each test boots its own host in a fresh process.

#include <gtest/gtest.h>

#include "host/title_page/display_page_views.h"
#include "host_fixture.h"
#include "platform/foundation/NSBundle.h"

namespace {

using hosttest::bootOrFinish;
using hosttest::ChildChecks;
using hosttest::configAt;

bool has(const char* name) { return objc_getClass(name) != nullptr; }

std::string encodingOf(const char* cls, const char* selector, bool classMethod = false) {
  Class c = objc_getClass(cls);
  Method m = classMethod ? class_getClassMethod(c, sel_registerName(selector))
                         : class_getInstanceMethod(c, sel_registerName(selector));
  return m ? method_getTypeEncoding(m) : "<none>";
}

const char* kPlaybackCell = "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_";
const char* kButtonCell = "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo21DisplayPageButtonView_";

TEST(HostBoot, Version16_51_0HasTheRenamedPlayButtonAndTheSwiftSettings) {
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootOrFinish(c, configAt("16.51.0"));
    c.expect(has(kPlaybackCell) && has("Argo.DisplayPagePlaybackButtonView"), "renamed play-button classes exist");
    c.expect(!has(kButtonCell) && !has("Argo.DisplayPageButtonView"), "the old play-button names are gone");
    for (const char* name : {"NetflixCollectionView.CDSInternalViewController", "NetflixCollectionView.CDSCollectionView",
                             "NetflixCollectionView.CDSCollectionViewDiffableDataSource", "Argo.CDSDisplayPageViewController",
                             "Argo.DisplayPageTitleMetadataView", "Argo.DisplayPageBrandGenreTitleView", "NFUILabel",
                             "HawkinsComponents.StandardButton", "Argo.ActionSheetController", "NeroAppFlowController",
                             "__SwiftValue", "Argo.AppSettingsViewController_Swift", "Argo.AppSettingsRootProvider_Swift",
                             "Argo.AppSettingsDefaultItemCell_Swift", "Argo.AppSettingsItemGroupView_Swift",
                             "Argo.SimpleSettingsViewController", "Argo.SimpleSettingsView", "MenuListViewModel"})
      c.expect(has(name), std::string(name) + " exists");
    for (const char* name : {"AppSettingsViewController", "AppSettingsProvider", "NFUIVideoDisplayPage",
                             "NFUIDisplayPageAboveTheFoldSummaryCell", "DisplayPageSummaryArtCell"})
      c.expect(!has(name), std::string(name) + " does not exist");
    Class internal = objc_getClass("NetflixCollectionView.CDSInternalViewController");
    c.expect(class_getInstanceVariable(internal, "cdsCollectionView") && !class_getInstanceVariable(internal, "collectionView"),
             "the internal controller's ivar is cdsCollectionView");
    c.expect(app.registeredClassNames().size() > 30, "the class list is reported");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, Version16_50_9HasTheOldPlayButtonNames) {
  auto body = [](ChildChecks& c) {
    bootOrFinish(c, configAt("16.50.9"));
    c.expect(has(kButtonCell) && has("Argo.DisplayPageButtonView"), "old play-button classes exist");
    c.expect(!has(kPlaybackCell) && !has("Argo.DisplayPagePlaybackButtonView"), "the renamed ones do not yet");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, RegistersTheMembersWithTheEncodingsTheModuleSends) {
  auto body = [](ChildChecks& c) {
    bootOrFinish(c, configAt("16.51.0"));
    struct Row {
      const char* cls;
      const char* selector;
      bool classMethod;
      const char* encoding;
    };
    for (const Row& r : {Row{"VersionManager", "sharedInstance", true, "@@:"}, Row{"VersionManager", "appVersion", false, "@@:"},
                         Row{"CRReachabilityMonitor", "currentNetworkStatus", true, "q@:"},
                         Row{"NeroAppFlowController", "sharedInstance", true, "@@:"},
                         Row{"NeroAppFlowController", "presentViewController:fromViewController:animated:completion:", false,
                             "v@:@@B@"},
                         Row{"NetflixCollectionView.CDSCollectionViewDiffableDataSource",
                             "collectionView:cellForItemAtIndexPath:", false, "@@:@@"},
                         Row{"Argo.CDSDisplayPageViewController", "viewDidLoad", false, "v@:"},
                         Row{"Argo.CDSDisplayPageViewController", "videoId", false, "@@:"},
                         Row{"Argo.DisplayPageTitleMetadataView", "handleMetadataTap", false, "v@:"},
                         Row{"Argo.ActionSheetController", "userInfo", false, "@@:"},
                         Row{"Argo.AppSettingsViewController_Swift", "tableView:numberOfRowsInSection:", false, "q@:@q"},
                         Row{"Argo.AppSettingsViewController_Swift", "tableView:heightForHeaderInSection:", false, "d@:@q"},
                         Row{"Argo.AppSettingsViewController_Swift", "tableView:willDisplayCell:forRowAtIndexPath:", false,
                             "v@:@@@"},
                         Row{"Argo.AppSettingsViewController_Swift", "viewWillAppear:", false, "v@:B"},
                         Row{"Argo.AppSettingsViewController_Swift", "newMenuViewControllerWithProvider:", true, "@@:@"},
                         Row{"MenuListViewModel", "initWithDictionary:", false, "@@:@"}}) {
      std::string got = encodingOf(r.cls, r.selector, r.classMethod);
      c.expect(got == r.encoding, std::string(r.cls) + " " + r.selector + " is " + got + ", expected " + r.encoding);
    }
    c.expect(class_getInstanceVariable(objc_getClass("Argo.AppSettingsViewController_Swift"), "provider") != nullptr,
             "the Swift settings controller has a provider ivar");
    c.expect(class_getInstanceVariable(objc_getClass("Argo.SimpleSettingsView"), "menuStackView") != nullptr,
             "the simple settings view has a menuStackView ivar");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, ServicesAnswerTheVersionNetworkStateTypefaceBundleAndScreen) {
  auto body = [](ChildChecks& c) {
    host::HostConfig config = configAt("16.40.2");
    config.device = host::Device::iPad;
    host::HostApplication& app = bootOrFinish(c, config);
    StrongId manager = objc_msgSend<StrongId>(objc_getClass("VersionManager"), "sharedInstance");
    c.expect(utf8(objc_msgSend<Ref<NSString>>(manager, "appVersion")) == "16.40.2", "appVersion is the booted version");
    Class monitor = objc_getClass("CRReachabilityMonitor");
    c.expect(objc_msgSend<long>(monitor, "currentNetworkStatus") == host::NetworkStatusReachableViaWiFi, "online at boot");
    app.setNetworkStatus(host::NetworkStatusNotReachable);
    c.expect(objc_msgSend<long>(monitor, "currentNetworkStatus") == 3, "the simulation switches the network off");
    c.expect(UIFont::fontWithName_size(NSString::stringWithUTF8String("NetflixSansApp-Regular"), 14) != nullptr,
             "the app's typeface is registered");
    c.expect(utf8(NSBundle::mainBundle()->bundlePath()).ends_with("/Netflix.app"), "the main bundle is the app's");
    c.expect(app.screenSize().width == 768, "an iPad is 768 points wide");
    c.expect(!app.moduleLoaded(), "no module was asked for");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, Version16_1UsesTheFirstIvarNameAndDictionarySheets) {
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootOrFinish(c, configAt("16.1"));
    Class internal = objc_getClass("NetflixCollectionView.CDSInternalViewController");
    c.expect(class_getInstanceVariable(internal, "collectionView") != nullptr, "ivar collectionView before 16.30");
    host::Result<host::TitlePage> page = app.openPage(80001);
    if (!c.expect(page.ok(), "the page opens")) return;
    c.expect(page.value().tapMetadata(), "the metadata line can be tapped");
    c.expect(app.presentedSheets().size() == 1, "the sheet is shown");
    if (app.presentedSheets().empty()) return;
    NSDictionary* info = app.presentedSheets()[0].userInfo;
    c.expect(info && info->objectForKey(NSString::stringWithUTF8String("keys")) &&
                 !info->objectForKey(NSString::stringWithUTF8String("detailsEntity")),
             "16.1 sends sections, not a details entity");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, Version16_25SendsWrappedSwiftValues) {
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootOrFinish(c, configAt("16.25.1"));
    host::Result<host::TitlePage> page = app.openPage(80001);
    if (!c.expect(page.ok(), "the page opens") || !c.expect(page.value().tapMetadata(), "tap")) return;
    if (!c.expect(app.presentedSheets().size() == 1, "the sheet is shown")) return;
    auto* meta = objc_cast<NSDictionary>(
        app.presentedSheets()[0].userInfo->objectForKey(NSString::stringWithUTF8String("metaData")));
    auto* cast = meta ? objc_cast<NSArray>(meta->objectForKey(NSString::stringWithUTF8String("Cast"))) : nullptr;
    c.expect(cast && cast->count() > 0 &&
                 objc_msgSend<bool>(cast->objectAtIndex(0), "isKindOfClass:", objc_getClass("__SwiftValue")),
             "the cast section holds __SwiftValue boxes");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, Version15_0_9HasOnlyTheOlderSettingsAndTheLegacyPage) {
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootOrFinish(c, configAt("15.0.9"));
    for (const char* name : {"Argo.AppSettingsViewController_Swift", "Argo.SimpleSettingsViewController",
                             "Argo.CDSDisplayPageViewController", "NetflixCollectionView.CDSCollectionViewDiffableDataSource",
                             "__SwiftValue", "DisplayPageSummaryArtCell"})
      c.expect(!has(name), std::string(name) + " does not exist");
    for (const char* name : {"AppSettingsViewController", "AppSettingsProvider", "AppSettingsRootProvider", "MenuListViewModel",
                             "NeroAppFlowController", "NFUIVideoDisplayPage", "NFUIDisplayPageAboveTheFoldSummaryCell"})
      c.expect(has(name), std::string(name) + " exists");
    c.expect(class_getSuperclass(objc_getClass("AppSettingsRootProvider")) == objc_getClass("AppSettingsProvider"),
             "the root provider is a provider");
    c.expect(encodingOf("AppSettingsViewController", "tableView:cellForRowAtIndexPath:") == "@@:@@", "cell method");
    c.expect(encodingOf("AppSettingsViewController", "provider") == "@@:", "provider method");
    c.expect(encodingOf("NFUIVideoDisplayPage", "collectionView:willDisplayCell:forItemAtIndexPath:") == "v@:@@@",
             "willDisplayCell");
    host::Result<host::TitlePage> page = app.openPage(80001);
    c.expect(page.ok() && page.value().legacyPage(), "the older page opens");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, OldIPadSummaryCellMeasuresAndTearsDownThroughItsOwnDealloc) {
  auto body = [](ChildChecks& c) {
    host::HostConfig config = configAt("9.30.0");
    config.device = host::Device::iPad;
    bootOrFinish(c, config);
    c.expect(encodingOf("DisplayPageSummaryArtCell", "calculatedSize:") == "{CGSize=dd}@:{CGSize=dd}",
             "calculatedSize: takes and answers a CGSize");
    c.expect(encodingOf("NFUIDisplayPageAboveTheFoldSummaryCell", "awakeFromNib") == "v@:", "awakeFromNib");
    Class cls = objc_getClass("DisplayPageSummaryArtCell");
    static int replacedDeallocs = 0;
    static IMP original;
    MSHookMessageEx(cls, sel_registerName("dealloc"), IMP(+[](id self, SEL op) {
                      ++replacedDeallocs;
                      imp_call<void>(original, self, op);
                    }),
                    &original);
    Weak<objc_object> gone;
    {
      StrongId cell = objc_msgSend<StrongId>(StrongId::adopt(class_createInstance(cls, 0)), "initWithFrame:",
                                             CGRectMake(0, 0, 768, 100));
      CGSize size = objc_msgSend<CGSize>(cell, "calculatedSize:", CGSizeMake(768, 0));
      c.expect(size.width == 768 && size.height > 0, "the width is kept and a height given");
      gone = Weak<objc_object>(cell.get());
    }
    c.expect(replacedDeallocs == 1, "a replaced dealloc runs when the cell dies");
    c.expect(!gone.lock(), "calling through still destroys the cell");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, StartUpErrorsAreValuesAndLeaveTheProcessBootable) {
  auto body = [](ChildChecks& c) {
    host::HostConfig bad = configAt("sixteen");
    host::Result<host::HostApplication*> r1 = host::HostApplication::boot(bad);
    c.expect(!r1.ok() && r1.error().message.find("\"sixteen\"") != std::string::npos, "a malformed version is named");
    host::HostConfig noModule = configAt("16.51.0");
    noModule.modulePath = "/nonexistent/libScoreLens.so";
    host::Result<host::HostApplication*> r2 = host::HostApplication::boot(noModule);
    c.expect(!r2.ok() && r2.error().message.find("ScoreLens module not found at /nonexistent/libScoreLens.so") !=
                             std::string::npos,
             "a missing module is a clear error");
    host::HostConfig noCatalog = configAt("16.51.0");
    noCatalog.catalogPath = "/nonexistent/catalog.json";
    host::Result<host::HostApplication*> r3 = host::HostApplication::boot(noCatalog);
    c.expect(!r3.ok() && r3.error().message.find("/nonexistent/catalog.json") != std::string::npos,
             "an unreadable catalog is named");
    c.expect(!objc_getClass("VersionManager"), "nothing was registered by the failed boots");
    bootOrFinish(c, configAt("16.51.0"));
    c.expect(host::HostApplication::shared() != nullptr, "a good boot still works");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBoot, NotAModuleIsALoadError) {
  auto body = [](ChildChecks& c) {
    host::HostConfig config = configAt("16.51.0");
    config.modulePath = host::defaultCatalogPath();  // a file, but no library
    host::Result<host::HostApplication*> booted = host::HostApplication::boot(config);
    c.expect(!booted.ok() && booted.error().message.find("could not be loaded") != std::string::npos,
             booted.ok() ? "booted" : booted.error().message);
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostBootDeathTest, BootingTwiceIsAProgrammingError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        host::HostConfig config = configAt("16.51.0");
        config.userDefaultsPath = "";
        (void)host::HostApplication::boot(config);
        (void)host::HostApplication::boot(config);
      },
      "boots once per process");
}

}  // namespace
