// The page controller's start of the strip, the swallowed details sheet and
// the delivery of its contents to every open page.

#include "scorelens/display/page_fixture.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace page_test {
namespace {

using PageController = PageTest;
using DetailsSheet = PageTest;

std::vector<std::string> namesIn(const NSArray* list) {
  std::vector<std::string> out;
  if (list)
    for (const StrongId& name : *list) out.push_back(utf8(objc_cast<NSString>(name.get())));
  return out;
}

TEST_F(PageController, LoadingStartsAStripForEveryInternalChild) {
  StrongId first = newDataSource();
  StrongId second = newDataSource();
  StrongId elsewhere = newDataSource();
  Ref<UIViewController> plain = make<UIViewController>();
  Ref<UIViewController> page = pageController(
      4242, {plain, internalChild(first), internalChild(elsewhere, /*plainCollectionView=*/true),
             internalChild(make<NSObject>()), internalChild(second)});
  page->view();
  EXPECT_EQ(countCalls("viewDidLoad"), 1u) << "the host's own viewDidLoad ran";
  ASSERT_TRUE(stripOf(first));
  ASSERT_TRUE(stripOf(second));
  EXPECT_NE(stripOf(first).get(), stripOf(second).get()) << "each data source has its own strip";
  EXPECT_NE(modelOf(first).get(), modelOf(second).get());
  EXPECT_EQ(modelOf(second)->videoId()->integerValue(), 4242);
  EXPECT_FALSE(stripOf(elsewhere)) << "a collection view of another class is not served";
}

TEST_F(PageController, NothingStartsWhenDisabledOrWithoutVideo) {
  StrongId noVideo = newDataSource();
  pageController(0, {internalChild(noVideo)})->view();
  EXPECT_FALSE(stripOf(noVideo)) << "a page without a video identifier is left as built";

  setAllPreferences(false);
  StrongId disabled = newDataSource();
  pageController(77, {internalChild(disabled)})->view();
  EXPECT_FALSE(stripOf(disabled)) << "no form of the strip is wanted";
  size_t before = dispatch::MainRunLoop::pendingCount();
  deliver(sheetDetails({}));
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount(), before) << "and nothing observes deliveries";
  EXPECT_EQ(countCalls("viewDidLoad"), 2u) << "the host's viewDidLoad ran both times";
}

TEST_F(DetailsSheet, SheetsTheModuleDidNotAskForArePresented) {
  present(actionSheet(sheetDetails({{"Cast", {"Al Pacino"}}})));
  EXPECT_EQ(countCalls("present Argo.ActionSheetController"), 1u) << "the user's own tap shows the sheet";

  CXPrefsManager::setNeedsDetailsFromActionSheet(true);
  Ref<UIViewController> other = make<UIViewController>();
  present(other);
  EXPECT_EQ(countCalls("present UIViewController"), 1u);
  EXPECT_TRUE(CXPrefsManager::needsDetailsFromActionSheet()) << "another controller leaves the flag raised";

  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  present(actionSheet(sheetDetails({{"Cast", {"Al Pacino"}}})));
  EXPECT_EQ(countCalls("present Argo.ActionSheetController"), 1u) << "the next sheet is taken, whoever opens it";
  EXPECT_FALSE(CXPrefsManager::needsDetailsFromActionSheet());
  EXPECT_EQ(namesIn(modelOf(dataSource)->actors()), std::vector<std::string>{"Al Pacino"});

  CXPrefsManager::setNeedsDetailsFromActionSheet(true);
  size_t before = dispatch::MainRunLoop::pendingCount();
  present(actionSheet(nullptr));
  EXPECT_EQ(countCalls("present Argo.ActionSheetController"), 1u) << "a sheet without contents is swallowed too";
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount(), before) << "but nothing is delivered";
}

TEST_F(DetailsSheet, SectionsFillCastDirectorsAndWriters) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  deliver(sheetDetails({{"Cast", {"Tom Cruise", "Val Kilmer"}},
                        {"Director", {"Tony Scott"}},
                        {"Writers", {"Jim Cash", "Jack Epps Jr."}},
                        {"Genres", {"Action"}}}));
  Ref<CXVideoDisplayPageModel> model = modelOf(dataSource);
  EXPECT_EQ(namesIn(model->actors()), (std::vector<std::string>{"Tom Cruise", "Val Kilmer"}));
  EXPECT_EQ(namesIn(model->directors()), std::vector<std::string>{"Tony Scott"});
  EXPECT_EQ(namesIn(model->writers()), (std::vector<std::string>{"Jim Cash", "Jack Epps Jr."}));

  StrongId combined = newDataSource();
  create(combined, freshVideoId());
  deliver(sheetDetails({{"Cast and Director", {"Clint Eastwood"}}}));
  EXPECT_EQ(namesIn(modelOf(combined)->actors()), std::vector<std::string>{"Clint Eastwood"});
  EXPECT_FALSE(modelOf(combined)->directors()) << "the first matching kind decides";
  EXPECT_EQ(namesIn(modelOf(dataSource)->actors()), std::vector<std::string>{"Clint Eastwood"})
      << "every open page receives every delivery";
}

TEST_F(DetailsSheet, DetailsEntityWinsAndUpdatesAtOnce) {
  long video = freshVideoId();
  StrongId dataSource = newDataSource();
  create(dataSource, video);
  cacheRating(video);
  Ref<NSMutableDictionary> details = sheetDetails({{"Cast", {"Al Pacino"}}})->mutableCopy();
  details->setObject_forKey(detailsEntity("Heat", 1995, 10200), ns("detailsEntity"));
  deliver(details);
  EXPECT_TRUE(hasCompleted(dataSource)) << "no 0.2 s wait with a details entity";
  EXPECT_EQ(utf8(modelOf(dataSource)->title()), "Heat");
  EXPECT_EQ(modelOf(dataSource)->runtime()->integerValue(), 10200);
  EXPECT_FALSE(modelOf(dataSource)->actors()) << "the sections are not read";
}

TEST_F(DetailsSheet, MalformedDeliveriesStillScheduleTheUpdate) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  size_t before = dispatch::MainRunLoop::pendingCount();
  deliver(NSDictionary::dictionaryWithObjectsAndKeys({{ns("keys"), ns("Cast")}, {ns("metaData"), ns("x")}}));
  deliver(NSDictionary::dictionaryWithObjectsAndKeys(
      {{ns("keys"), NSArray::arrayWithObjects({box(3), ns("Cast")})}, {ns("metaData"), NSDictionary::dictionary()}}));
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount() - before, 2u);
  EXPECT_EQ(namesIn(modelOf(dataSource)->actors()), std::vector<std::string>{}) << "absent contents: no names";
  deliver(ns("not a dictionary"));
  deliver(nullptr);
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount() - before, 2u) << "a delivery without a dictionary is ignored";
}

TEST_F(DetailsSheet, PageClosedBeforeTheDelayedUpdateIsNotCalled) {
  // The delayed update once held the data source unretained and ran into it
  // after the page had gone.
  long video = freshVideoId();
  Weak<objc_object> gone;
  {
    StrongId dataSource = newDataSource();
    create(dataSource, video);
    deliver(sheetDetails({{"Cast", {"Al Pacino"}}}));
    gone = Weak<objc_object>(dataSource);
  }
  EXPECT_FALSE(gone.lock()) << "the scheduled update does not keep the page alive";
  cacheRating(video);
  advance(0.2);
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount(), 0u) << "the update came due and did nothing";
}

}  // namespace
}  // namespace page_test
