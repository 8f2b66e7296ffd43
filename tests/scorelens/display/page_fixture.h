#pragma once
// A small stand-in of the current host's title page for the page hooks'
// tests: the host's classes made at run time under their names (16.51.0
// layout), the module's page hooks installed on them by its own initialisers,
// and helpers that build cells, pages and action-sheet deliveries.
//
// The classes stay in the class table for the rest of the process; every test
// of this folder shares them. Each test gets memory-only preferences, a manual
// clock and an empty main queue.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIKit.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace page_test {

inline Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }

// What the fake host's methods saw, in order: "viewDidLoad", "tap",
// "present <class>", "cell".
std::vector<std::string>& hostCalls();
size_t countCalls(const std::string& call);

// The userInfo of the sheet that a tap on the metadata view presents through
// the flow controller; nil: the tap presents nothing.
StrongId& sheetUserInfo();

class PageTest : public ::testing::Test {
 public:
  // The host's flow controller (one for the process) and a details sheet.
  static StrongId flowController();
  static Ref<UIViewController> actionSheet(id userInfo);

 protected:
  void SetUp() override;
  void TearDown() override;

  // A data source of the host's class; nothing made for it yet.
  static StrongId newDataSource();
  // The data source's cell request, as the host's collection view makes it:
  // the fake host answers with `cell` itself.
  static StrongId requestCell(id dataSource, id cell);
  static void create(id dataSource, long videoId);
  static void update(id dataSource, bool observe);

  static Ref<CXEnhancedRatingViewContainer> stripOf(id dataSource);
  static Ref<CXVideoDisplayPageModel> modelOf(id dataSource);
  static bool hasInjected(id dataSource);
  static bool hasCompleted(id dataSource);

  // --- cells ---------------------------------------------------------------------
  struct PlayCell {
    Ref<UICollectionViewCell> cell;
    Ref<UIView> buttonView;
    Ref<UIView> button;
    Ref<NSLayoutConstraint> buttonTop;  // nil when made without one
  };
  // The play-button cell: a button view holding a "playButton" button (or one
  // with another identifier), laid out with a top constraint when asked.
  static PlayCell playCell(bool withTopConstraint = true, const char* buttonIdentifier = "playButton");
  // The metadata cell whose label reads line (UTF-8).
  static Ref<UICollectionViewCell> metadataCell(const std::string& line);
  // The title cell: labels (identifier, text) in order.
  static Ref<UICollectionViewCell> titleCell(const std::vector<std::pair<const char*, const char*>>& labels);
  static Ref<UICollectionViewCell> plainCell();

  // --- the page controller ---------------------------------------------------------
  // An internal child controller whose collection view has dataSource (nil:
  // none); the collection view is of the host's class unless plainCollectionView.
  static Ref<UIViewController> internalChild(id dataSource, bool plainCollectionView = false);
  static Ref<UIViewController> pageController(long videoId, const std::vector<Ref<UIViewController>>& children);

  // --- the action sheet -------------------------------------------------------------
  static void present(id controller);
  // A delivery as the host's sheet carries it: keys in order, each section's
  // contents a list of {"name": ...} records.
  static Ref<NSDictionary> sheetDetails(const std::vector<std::pair<const char*, std::vector<const char*>>>& sections);
  static void deliver(id details);
  // A host details object answering title, releaseYear and runtime.
  static StrongId detailsEntity(const char* title, long year, long runtimeSeconds);

  // Caches a rating for videoId, so models of that video are complete.
  static void cacheRating(long videoId);
  // A video identifier no other test has used.
  static long freshVideoId();

  static void setAllPreferences(bool enabled);
  static void advance(double seconds) {
    dispatch::Clock::advance(std::chrono::nanoseconds(static_cast<long long>(seconds * 1e9)));
    dispatch::MainRunLoop::runOnce();
  }

 private:
  dispatch::ScopedManualClock clock_;
  CXServiceConfiguration savedServices_;
};

}  // namespace page_test
