// The current title page in the shared host (16.51.0): how it asks for its
// cells, scrolls, lays out and lets go of everything when it closes.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "host/metadata_line.h"
#include "host/title_page/display_page_views.h"
#include "host_fixture.h"
#include "platform/uikit/text_metrics.h"

namespace {

using namespace std::chrono_literals;
using hosttest::sharedHost;

std::string mangledCell(const char* view) { return host::collectionViewCellClassName(view); }

// Every cell the page's data source hands out, seen by a replacement
// installed with MSHookMessageEx, as the module's is.
struct CellRequest {
  NSInteger item;
  std::string cellClass;
  id cell;
};
std::vector<CellRequest>* cellLog = nullptr;
IMP originalCellForItem;

StrongId recordingCellForItem(id self, SEL op, id collectionView, id indexPath) {
  StrongId cell = imp_call<StrongId>(originalCellForItem, self, op, collectionView, indexPath);
  if (cellLog)
    cellLog->push_back({objc_cast<NSIndexPath>(indexPath)->item(), class_getName(object_getClass(cell.get())), cell.get()});
  return cell;
}

void installCellRecorder() {
  static bool installed = [] {
    MSHookMessageEx(objc_getClass("NetflixCollectionView.CDSCollectionViewDiffableDataSource"),
                    sel_registerName("collectionView:cellForItemAtIndexPath:"), IMP(&recordingCellForItem),
                    &originalCellForItem);
    return static_cast<bool>(originalCellForItem);
  }();
  ASSERT_TRUE(installed) << "the data source has no cellForItem method to hook";
}

class TitlePage : public ::testing::Test {
 protected:
  void SetUp() override {
    app = &sharedHost();
    installCellRecorder();
    cellLog = &requests;
  }
  void TearDown() override {
    cellLog = nullptr;
    for (host::TitlePage& page : opened) page.close();
    app->runUntil([] { return !UIView::hasRunningAnimations(); }, 2s);
  }
  host::TitlePage open(long videoId) {
    host::Result<host::TitlePage> page = app->openPage(videoId);
    if (!page) ADD_FAILURE() << page.error().message;
    opened.push_back(page.value());
    return page.value();
  }

  host::HostApplication* app = nullptr;
  std::vector<CellRequest> requests;
  std::vector<host::TitlePage> opened;
};

TEST_F(TitlePage, OpeningAsksForTheVisibleCellsInPageOrderThroughTheRunTime) {
  host::TitlePage page = open(80001);  // Heat
  std::vector<host::PageCell> cells = page.visibleCells();
  ASSERT_EQ(requests.size(), cells.size()) << "every visible cell passed the hooked data-source method once";
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i].item, static_cast<NSInteger>(i)) << "page order";
  ASSERT_GE(requests.size(), 5u);
  EXPECT_EQ(requests[0].cellClass, mangledCell("DisplayPageBillboardView"));
  EXPECT_EQ(requests[1].cellClass, mangledCell("DisplayPageBrandGenreTitleView"));
  EXPECT_EQ(requests[2].cellClass, mangledCell("DisplayPageTitleMetadataView"));
  EXPECT_EQ(requests[3].cellClass, "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_");
  EXPECT_EQ(requests[4].cellClass, mangledCell("DisplayPageSynopsisView"));
  EXPECT_LT(cells.back().frame.origin.y, app->screenSize().height) << "only cells that reach the screen are asked for";
  EXPECT_GE(cells.back().frame.origin.y + cells.back().frame.size.height, app->screenSize().height)
      << "the screen is filled";
}

// The route the module takes from the page's controller to its data source,
// checked from a replaced viewDidLoad right after the host's own has run.
std::string* viewDidLoadReport = nullptr;
IMP originalViewDidLoad;

void reportingViewDidLoad(id self, SEL op) {
  imp_call<void>(originalViewDidLoad, self, op);
  if (!viewDidLoadReport) return;
  std::string& r = *viewDidLoadReport;
  StrongId videoId = objc_msgSend<StrongId>(self, "videoId");
  r += std::string("videoId=") + (videoId ? utf8(objc_msgSend<Ref<NSString>>(videoId, "description")) : "nil");
  Ref<NSArray> children = objc_msgSend<Ref<NSArray>>(self, "childViewControllers");
  for (const StrongId& child : *children) {
    if (!objc_msgSend<bool>(child, "isKindOfClass:", objc_getClass("NetflixCollectionView.CDSInternalViewController")))
      continue;
    Ivar ivar = class_getInstanceVariable(object_getClass(child.get()), "cdsCollectionView");
    StrongId collection = object_getIvar(child.get(), ivar);
    StrongId source = objc_msgSend<StrongId>(collection, "dataSource");
    r += std::string(" collection=") + class_getName(object_getClass(collection.get())) +
         " source=" + class_getName(object_getClass(source.get()));
  }
}

TEST_F(TitlePage, ViewDidLoadIsSentThroughTheRunTimeWithTheDataSourceReachableByIvar) {
  static bool installed = [] {
    MSHookMessageEx(objc_getClass("Argo.CDSDisplayPageViewController"), sel_registerName("viewDidLoad"),
                    IMP(&reportingViewDidLoad), &originalViewDidLoad);
    return static_cast<bool>(originalViewDidLoad);
  }();
  ASSERT_TRUE(installed);
  std::string report;
  viewDidLoadReport = &report;
  open(80001);
  viewDidLoadReport = nullptr;
  EXPECT_EQ(report,
            "videoId=80001 collection=NetflixCollectionView.CDSCollectionView "
            "source=NetflixCollectionView.CDSCollectionViewDiffableDataSource");
}

TEST_F(TitlePage, ScrollingAsksForNewItemsInOrderAndReusesCellsThatLeft) {
  host::Result<host::TitlePage> opened = app->openPageWithTitle("Breaking Bad");
  ASSERT_TRUE(opened.ok()) << opened.error().message;
  this->opened.push_back(opened.value());
  host::TitlePage page = opened.value();
  std::set<id> cellsBefore;
  for (const CellRequest& r : requests) cellsBefore.insert(r.cell);
  size_t firstBatch = requests.size();

  page.scrollToBottom();
  ASSERT_GT(requests.size(), firstBatch) << "scrolling showed new items";
  bool reused = false;
  for (size_t i = firstBatch; i < requests.size(); ++i) {
    if (i > firstBatch) {
      EXPECT_GT(requests[i].item, requests[i - 1].item) << "new items are asked for in order";
    }
    reused |= cellsBefore.count(requests[i].cell) > 0;
  }
  EXPECT_TRUE(reused) << "an episode cell that scrolled away was handed out again";
  EXPECT_EQ(page.visibleCells().back().item, page.collectionView()->numberOfItems() - 1);

  size_t secondBatch = requests.size();
  page.scrollTo(0);
  ASSERT_GT(requests.size(), secondBatch);
  EXPECT_EQ(requests[secondBatch].item, 0);
  EXPECT_TRUE(cellsBefore.count(requests[secondBatch].cell)) << "the billboard cell came back from the reuse pool";
  std::vector<host::PageCell> top = page.visibleCells();
  ASSERT_GE(top.size(), 2u);
  EXPECT_EQ(top[1].texts, (std::vector<std::string>{"SERIES", "Breaking Bad"})) << "a reused cell shows its new item";
}

TEST_F(TitlePage, CellsStackFromTheTopAndCarryTheViewsTheModuleLooksFor) {
  host::TitlePage page = open(80001);
  std::vector<host::PageCell> cells = page.visibleCells();
  CGFloat y = 0;
  for (const host::PageCell& cell : cells) {
    EXPECT_EQ(cell.frame.origin.y, y) << "item " << cell.item << " follows the one above";
    EXPECT_EQ(cell.frame.size.width, 375);
    y += cell.frame.size.height;
  }
  // A line of text is never given less height than its font sets it in (a
  // picture would cut its descenders).
  std::function<void(UIView*)> checkLines = [&](UIView* view) {
    auto* label = objc_cast<UILabel>(view);
    if (label && label->numberOfLines() == 1 && label->text()) {
      EXPECT_GE(label->frame().size.height + 0.01, uikit::measureText(label->text(), label->font(), 1).height)
          << utf8(label->accessibilityIdentifier()) << " is cut";
    }
    for (const Ref<UIView>& sub : view->subviewList()) checkLines(sub.get());
  };
  std::map<std::string, UILabel*> labels;
  std::function<void(UIView*)> collect = [&](UIView* view) {
    if (auto* label = objc_cast<UILabel>(view)) labels[utf8(label->accessibilityIdentifier())] = label;
    for (const Ref<UIView>& sub : view->subviewList()) collect(sub.get());
  };
  for (const host::PageCell& cell : cells) {
    auto* view = objc_cast<UIView>(cell.cell.get());
    view->layoutIfNeeded();
    checkLines(view);
    collect(view);
  }
  // The title stands out: larger than the kind above it and the line of facts below, and bold.
  ASSERT_TRUE(labels.count("showTitle") && labels.count("brandLabel") && labels.count("metadataLabel"));
  UIFont* title = labels["showTitle"]->font();
  EXPECT_GT(title->pointSize(), labels["brandLabel"]->font()->pointSize());
  EXPECT_GT(title->pointSize(), labels["metadataLabel"]->font()->pointSize());
  EXPECT_EQ(utf8(title->fontName()), kUIBoldSystemFontName);

  // Read through the run time, as the module reads them.
  auto hostedView = [&](host::PageItemKind kind) -> StrongId {
    for (const host::PageCell& cell : cells)
      if (cell.kind == kind) {
        StrongId content = objc_msgSend<StrongId>(cell.cell, "contentView");
        return objc_msgSend<Ref<NSArray>>(content, "subviews")->firstObject();
      }
    return nullptr;
  };
  auto firstSubviewOf = [](id view, const char* className, const char* identifier) -> StrongId {
    Ref<NSArray> subviews = objc_msgSend<Ref<NSArray>>(view, "subviews");
    for (const StrongId& sub : *subviews) {
      if (!objc_msgSend<bool>(sub, "isKindOfClass:", objc_getClass(className))) continue;
      Ref<NSString> id = objc_msgSend<Ref<NSString>>(sub, "accessibilityIdentifier");
      if (!identifier || utf8(id) == identifier) return sub;
    }
    return nullptr;
  };

  StrongId titleView = hostedView(host::PageItemKind::Title);
  ASSERT_STREQ(class_getName(object_getClass(titleView.get())), "Argo.DisplayPageBrandGenreTitleView");
  StrongId titleLabel = firstSubviewOf(titleView, "NFUILabel", "showTitle");
  ASSERT_TRUE(titleLabel);
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(titleLabel, "text")), "Heat");

  StrongId metadataView = hostedView(host::PageItemKind::Metadata);
  ASSERT_STREQ(class_getName(object_getClass(metadataView.get())), "Argo.DisplayPageTitleMetadataView");
  StrongId metadataLabel = firstSubviewOf(metadataView, "NFUILabel", nullptr);
  ASSERT_TRUE(metadataLabel);
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(metadataLabel, "text")),
            host::composeMetadataLine(*app->catalog().find(80001)));

  StrongId buttonView = hostedView(host::PageItemKind::PlayButton);
  ASSERT_STREQ(class_getName(object_getClass(buttonView.get())), "Argo.DisplayPagePlaybackButtonView");
  EXPECT_TRUE(firstSubviewOf(buttonView, "HawkinsComponents.StandardButton", "playButton"));
  StrongId content = objc_msgSend<StrongId>(buttonView, "superview");
  NSLayoutConstraint* top = nullptr;
  Ref<NSArray> constraints = objc_msgSend<Ref<NSArray>>(content, "constraints");
  for (const StrongId& c : *constraints) {
    auto* constraint = objc_cast<NSLayoutConstraint>(c.get());
    if (constraint->firstItem().get() == buttonView.get() && constraint->firstAttribute() == NSLayoutAttributeTop) {
      top = constraint;
      break;
    }
  }
  ASSERT_NE(top, nullptr) << "the button view is pinned to the content view's top";
  EXPECT_TRUE(top->isActive());
  EXPECT_EQ(top->secondItem().get(), content.get());
}

TEST_F(TitlePage, ClosingReleasesTheControllerDataSourceAndCells) {
  host::TitlePage page = open(80002);
  ASSERT_TRUE(page.tapMetadata()) << "a presented sheet must not keep the page alive either";
  Weak<host::CDSDisplayPageViewController> controller(page.controller());
  Weak<host::CDSCollectionViewDiffableDataSource> dataSource(page.dataSource());
  Weak<host::CDSCollectionView> collection(page.collectionView());
  std::vector<Weak<UICollectionViewCell>> cells;
  for (const host::PageCell& cell : page.visibleCells()) cells.emplace_back(cell.cell);
  // State kept on the data source, as the module keeps its strip and model.
  static char key;
  Weak<NSObject> attached;
  {
    Ref<NSObject> state = make<NSObject>();
    attached = Weak<NSObject>(state);
    objc_setAssociatedObject(page.dataSource(), &key, state, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }

  page.close();
  EXPECT_FALSE(page.isOpen());
  bool released = app->runUntil(
      [&] {
        bool cellsGone = std::all_of(cells.begin(), cells.end(), [](const auto& c) { return !c.lock(); });
        return !controller.lock() && !dataSource.lock() && !collection.lock() && !attached.lock() && cellsGone;
      },
      5s);
  EXPECT_TRUE(released) << "controller " << bool(controller.lock()) << ", data source " << bool(dataSource.lock())
                        << ", collection view " << bool(collection.lock()) << ", associated state "
                        << bool(attached.lock());
}

TEST_F(TitlePage, TwoPagesStackAndClosingTheLowerClosesBoth) {
  host::TitlePage first = open(80001);
  host::TitlePage second = open(80010);
  ASSERT_TRUE(app->topPage().has_value());
  EXPECT_EQ(app->topPage()->videoId(), 80010);
  first.close();
  EXPECT_FALSE(first.isOpen());
  EXPECT_FALSE(second.isOpen());
  EXPECT_FALSE(app->topPage().has_value());
}

TEST_F(TitlePage, OpeningAnUnknownOrAmbiguousTitleIsAnError) {
  host::Result<host::TitlePage> unknownId = app->openPage(1);
  ASSERT_FALSE(unknownId.ok());
  EXPECT_NE(unknownId.error().message.find("videoId 1"), std::string::npos) << unknownId.error().message;
  host::Result<host::TitlePage> ambiguous = app->openPageWithTitle("Heat");
  ASSERT_FALSE(ambiguous.ok());
  EXPECT_NE(ambiguous.error().message.find("80001 (1995)"), std::string::npos) << ambiguous.error().message;
  host::Result<host::TitlePage> unknownName = app->openPageWithTitle("Nothing Like It");
  ASSERT_FALSE(unknownName.ok());
  EXPECT_TRUE(requests.empty()) << "no page was opened";
}

}  // namespace
