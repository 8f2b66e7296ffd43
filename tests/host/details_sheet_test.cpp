// The details sheet: presented by the metadata view through the coordinator's
// run-time method, and its userInfo in the three layouts of the app's versions.

#include <gtest/gtest.h>

#include <regex>

#include "host/title_page/details_sheet.h"
#include "host/title_page/display_page_views.h"
#include "host_fixture.h"

namespace {

using namespace std::chrono_literals;
using hosttest::sharedHost;

Ref<NSString> ns(const char* s) { return NSString::stringWithUTF8String(s); }

// A replacement of the coordinator's presentation method, installed once.
struct Presentation {
  std::string presented, from, completion;
  bool animated = false;
};
std::vector<Presentation>* presentations = nullptr;
bool swallow = false;
IMP originalPresent;

void recordingPresent(id self, SEL op, id controller, id from, bool animated, id completion) {
  if (presentations)
    presentations->push_back({class_getName(object_getClass(controller)), class_getName(object_getClass(from)),
                              class_getName(object_getClass(completion)), animated});
  if (swallow) return;
  imp_call<void>(originalPresent, self, op, controller, from, animated, completion);
}

class DetailsSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    app = &sharedHost();
    static bool installed = [] {
      MSHookMessageEx(objc_getClass("NeroAppFlowController"),
                      sel_registerName("presentViewController:fromViewController:animated:completion:"),
                      IMP(&recordingPresent), &originalPresent);
      return static_cast<bool>(originalPresent);
    }();
    ASSERT_TRUE(installed);
    presentations = &seen;
    swallow = false;
    app->clearPresentedSheets();
  }
  void TearDown() override {
    presentations = nullptr;
    swallow = false;
    if (page.isOpen()) page.close();
  }
  // The metadata view of the open page, reached as the module reaches it.
  StrongId metadataView() {
    for (const host::PageCell& cell : page.visibleCells())
      if (cell.kind == host::PageItemKind::Metadata)
        return objc_msgSend<Ref<NSArray>>(objc_msgSend<StrongId>(cell.cell, "contentView"), "subviews")->firstObject();
    return nullptr;
  }

  host::HostApplication* app = nullptr;
  std::vector<Presentation> seen;
  host::TitlePage page;
};

TEST_F(DetailsSheet, MetadataTapPresentsTheSheetThroughTheCoordinatorsRunTimeMethod) {
  page = app->openPage(80001).value();
  StrongId view = metadataView();
  ASSERT_TRUE(view);
  objc_msgSend<void>(view, "handleMetadataTap");
  EXPECT_TRUE(seen.empty()) << "16.51.0 fetches the details entity before presenting";
  ASSERT_TRUE(app->runUntil([&] { return !seen.empty(); }, 5s));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].presented, "Argo.ActionSheetController");
  EXPECT_EQ(seen[0].from, "Argo.CDSDisplayPageViewController");
  EXPECT_EQ(seen[0].completion, "NSBlock") << "the completion crosses as a block object";
  EXPECT_TRUE(seen[0].animated);

  ASSERT_EQ(app->presentedSheets().size(), 1u);
  const host::PresentedSheet& sheet = app->presentedSheets()[0];
  EXPECT_EQ(sheet.className, "Argo.ActionSheetController");
  EXPECT_EQ(sheet.title, "Heat");
  EXPECT_TRUE(sheet.userInfo && sheet.userInfo->objectForKey(ns("detailsEntity"))) << "16.51.0 sends a details entity";
  EXPECT_EQ(page.controller()->presentedViewController().get(), sheet.controller.lock().get());
  EXPECT_TRUE(app->runUntil([&] { return app->presentedSheets()[0].completionRan; }, 5s))
      << "the completion runs once the sheet is up";
}

TEST_F(DetailsSheet, AReplacementThatSwallowsTheSheetLeavesNothingShown) {
  page = app->openPage(80001).value();
  swallow = true;
  ASSERT_TRUE(page.tapMetadata()) << "the user's tap reaches the recogniser";
  ASSERT_TRUE(app->runUntil([&] { return !seen.empty(); }, 5s)) << "the tap went through the hooked method";
  app->runOnce();
  EXPECT_TRUE(app->presentedSheets().empty());
  EXPECT_FALSE(page.controller()->presentedViewController());
}

TEST_F(DetailsSheet, ASecondTapWhileTheSheetIsUpPresentsNothingMore) {
  page = app->openPage(80001).value();
  auto tapAndWait = [&](size_t presentations) {
    ASSERT_TRUE(page.tapMetadata());
    ASSERT_TRUE(app->runUntil([&] { return seen.size() == presentations; }, 5s));
  };
  tapAndWait(1);
  tapAndWait(2);
  EXPECT_EQ(app->presentedSheets().size(), 1u) << "a presenter already showing a sheet presents nothing";
  page.dismissPresentedSheet();
  tapAndWait(3);
  EXPECT_EQ(app->presentedSheets().size(), 2u);
}

TEST_F(DetailsSheet, APageClosedBeforeTheDetailsArrivePresentsNothing) {
  page = app->openPage(80001).value();
  ASSERT_TRUE(page.tapMetadata());
  page.close();
  app->runFor(50ms);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(app->presentedSheets().empty());
}

// --- the three layouts ---------------------------------------------------------------------

const host::CatalogTitle& heat() { return *sharedHost().catalog().find(80001); }

std::vector<std::string> keysOf(NSDictionary* info) {
  std::vector<std::string> keys;
  for (const StrongId& k : *objc_cast<NSArray>(info->objectForKey(ns("keys")))) keys.push_back(utf8(objc_cast<NSString>(k.get())));
  return keys;
}

TEST(DetailsLayouts, DictionariesCarrySectionsOfNamedRecords) {
  Ref<NSDictionary> info = host::makeDetailsUserInfo(heat(), host::DetailsSheetLayout::Dictionaries);
  EXPECT_EQ(keysOf(info), (std::vector<std::string>{"Cast", "Director", "Writer", "Genres", "This movie is..."}));
  auto* metaData = objc_cast<NSDictionary>(info->objectForKey(ns("metaData")));
  ASSERT_NE(metaData, nullptr);
  auto* cast = objc_cast<NSArray>(metaData->objectForKey(ns("Cast")));
  ASSERT_NE(cast, nullptr);
  std::vector<std::string> names;
  for (const StrongId& record : *cast) {
    StrongId name = objc_msgSend<StrongId>(record, "objectForKey:", ns("name"));
    names.push_back(utf8(objc_cast<NSString>(name.get())));
  }
  EXPECT_EQ(names, heat().cast);
  EXPECT_EQ(info->objectForKey(ns("detailsEntity")), nullptr);
}

TEST(DetailsLayouts, SwiftValuesDescribeEachPersonWithTheirName) {
  Ref<NSDictionary> info = host::makeDetailsUserInfo(heat(), host::DetailsSheetLayout::SwiftValues);
  auto* directors = objc_cast<NSArray>(objc_cast<NSDictionary>(info->objectForKey(ns("metaData")))->objectForKey(ns("Director")));
  ASSERT_NE(directors, nullptr);
  ASSERT_EQ(directors->count(), 1u);
  id wrapped = directors->objectAtIndex(0);
  EXPECT_TRUE(objc_msgSend<bool>(wrapped, "isKindOfClass:", objc_getClass("__SwiftValue")));
  EXPECT_FALSE(objc_cast<NSDictionary>(wrapped)) << "a wrapped value has no object form";
  std::string description = utf8(objc_msgSend<Ref<NSString>>(wrapped, "description"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(description, m, std::regex(R"re(name:\s*"([^"]+)")re"))) << description;
  EXPECT_EQ(m[1], "Michael Mann");
  EXPECT_TRUE(description.starts_with("Person(id: ")) << description;
  EXPECT_TRUE(description.ends_with(", role: .director)")) << description;
}

TEST(DetailsLayouts, SwiftDescriptionsEscapeQuotesAsSwiftPrintsThem) {
  EXPECT_EQ(host::swiftPersonDescription(7, "Dwayne \"The Rock\" Johnson", "actor"),
            R"(Person(id: 7, name: "Dwayne \"The Rock\" Johnson", role: .actor))");
}

TEST(DetailsLayouts, DetailsEntityAnswersTheFactsThroughTheRunTime) {
  Ref<NSDictionary> info = host::makeDetailsUserInfo(heat(), host::DetailsSheetLayout::DetailsEntity);
  id entity = info->objectForKey(ns("detailsEntity"));
  ASSERT_NE(entity, nullptr);
  EXPECT_EQ(info->objectForKey(ns("keys")), nullptr) << "the entity replaces the sections";
  for (const char* selector : {"title", "releaseYear", "runtime", "actors", "writers", "directors", "creators"}) {
    Method m = class_getInstanceMethod(object_getClass(entity), sel_registerName(selector));
    ASSERT_NE(m, nullptr) << selector;
    EXPECT_STREQ(method_getTypeEncoding(m), "@@:") << selector;
  }
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(entity, "title")), "Heat");
  EXPECT_EQ(objc_msgSend<Ref<NSNumber>>(entity, "releaseYear")->integerValue(), 1995);
  EXPECT_EQ(objc_msgSend<Ref<NSNumber>>(entity, "runtime")->integerValue(), 10140) << "seconds";
  Ref<NSArray> actors = objc_msgSend<Ref<NSArray>>(entity, "actors");
  ASSERT_EQ(actors->count(), heat().cast.size());
  EXPECT_EQ(utf8(objc_cast<NSString>(objc_cast<NSDictionary>(actors->objectAtIndex(0))->objectForKey(ns("name")))), "Al Pacino");
  EXPECT_EQ(objc_msgSend<Ref<NSArray>>(entity, "creators")->count(), 0u);

  const host::CatalogTitle* series = sharedHost().catalog().findByTitle("Breaking Bad").front();
  Ref<NSDictionary> seriesInfo = host::makeDetailsUserInfo(*series, host::DetailsSheetLayout::DetailsEntity);
  EXPECT_FALSE(objc_msgSend<StrongId>(seriesInfo->objectForKey(ns("detailsEntity")), "runtime"))
      << "a series has no running time";
}

TEST(DetailsLayouts, SectionTitlesFollowTheTitlesPeople) {
  const host::CatalogTitle* series = sharedHost().catalog().findByTitle("Brooklyn Nine-Nine").front();
  EXPECT_EQ(host::detailsSectionTitles(*series), (std::vector<std::string>{"Cast", "Creators", "Genres"}));
}

}  // namespace
