// The older title page's hooks on a stand-in of its classes: the strip put
// into each summary cell's layout as the host version asks, and the facts
// gathered from the cell or the page's view model until one attempt is
// complete. The stand-in's members are plain values set by each test.

#include <cstring>

#include "scorelens/display/page_fixture.h"
#include "scorelens/hooks/display/NFUIVideoDisplayPage.h"
#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/initialisers.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace page_test {
namespace {

// A member answers the value stored under its own selector.
StrongId member(id self, SEL cmd) { return objc_getAssociatedObject(self, cmd); }
bool flagMember(id self, SEL cmd) {
  Ref<NSNumber> n = objc_cast<NSNumber>(objc_getAssociatedObject(self, cmd).get());
  return n && n->boolValue();
}
void set(id obj, const char* name, id value) {
  objc_setAssociatedObject(obj, sel_registerName(name), value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}
void addMembers(Class cls, std::initializer_list<const char*> names) {
  for (const char* name : names) class_addMethod(cls, sel_registerName(name), &member, "@@:");
}
// The cell's model is read only on the cell route; the fake notes each read.
StrongId modelMember(id self, SEL cmd) {
  hostCalls().push_back("model");
  return member(self, cmd);
}

// The strip of the cell being destroyed, and whether it was still alive when
// the host's own teardown began.
Weak<CXEnhancedRatingViewContainer>& stripAtTeardown() {
  static Weak<CXEnhancedRatingViewContainer> strip;
  return strip;
}
void hostDealloc(id self, SEL op) {
  hostCalls().push_back(stripAtTeardown().lock() ? "dealloc with strip" : "dealloc");
  imp_call<void>(class_getMethodImplementation(class_getSuperclass(object_getClass(self)), op), self, op);
}

void defineLegacyClasses() {
  Class page = fake_host::defineClass("NFUIVideoDisplayPage", "UIViewController");
  class_addMethod(page, sel_registerName("viewDidLoad"), +[](id, SEL) { hostCalls().push_back("viewDidLoad"); }, "v@:");
  class_addMethod(page, sel_registerName("collectionView:willDisplayCell:forItemAtIndexPath:"),
                  +[](id, SEL, id, id, id) { hostCalls().push_back("willDisplay"); }, "v@:@@@");
  addMembers(page, {"videoId", "viewModel"});

  Class art = fake_host::defineClass("DisplayPageSummaryArtCell", "UICollectionViewCell");
  class_addMethod(art, sel_registerName("awakeFromNib"), +[](id, SEL) { hostCalls().push_back("awakeFromNib"); }, "v@:");
  class_addMethod(art, sel_registerName("calculatedSize:"),
                  +[](id, SEL, CGSize offered) { return CGSizeMake(offered.width, 220); }, "{CGSize=dd}@:{CGSize=dd}");
  addMembers(art, {"ratingContainer", "supplementalMessageLabel", "synopsisLabel", "releaseYearLabel"});
  class_addMethod(art, sel_registerName("model"), &modelMember, "@@:");
  class_addMethod(art, sel_registerName("dealloc"), &hostDealloc, "v@:");

  Class fold = fake_host::defineClass("NFUIDisplayPageAboveTheFoldSummaryCell", "UICollectionViewCell");
  class_addMethod(fold, sel_registerName("awakeFromNib"), +[](id, SEL) { hostCalls().push_back("awakeFromNib"); }, "v@:");
  addMembers(fold, {"supplementalMessageLabel", "supplementalMessageStackView", "inlineMerchView", "synopsisLabel",
                    "evidenceStarringLabel", "merchPlayTop"});
  class_addMethod(fold, sel_registerName("model"), &modelMember, "@@:");
  class_addMethod(fold, sel_registerName("dealloc"), &hostDealloc, "v@:");

  addMembers(fake_host::defineClass("LegacyTestCellModel"), {"titleText", "releaseYear", "numSeasons", "cast"});
  Class viewModel = fake_host::defineClass("LegacyTestViewModel");
  addMembers(viewModel, {"volatileEntity", "detailsEntity"});
  class_addMethod(viewModel, sel_registerName("dataLoaded"), &flagMember, "B@:");
  class_addMethod(viewModel, sel_registerName("showsLoaded"), &flagMember, "B@:");
  addMembers(fake_host::defineClass("LegacyTestVolatileEntity"), {"seasonNumbers"});
}

// Once per process, on a host that has both summary cells: the classes, then
// the module's three initialisers for them.
void prepareLegacyOnce() {
  static bool prepared = [] {
    fake_host::setHostVersion("9.20.0");
    CXPrefsManager::resetVersionGatesForTesting();
    defineLegacyClasses();
    for (const char* name : {"DisplayPageSummaryArtCell", "NFUIDisplayPageAboveTheFoldSummaryCell", "NFUIVideoDisplayPage"})
      for (const CXInitialiser& initialiser : CXInitialisers())
        if (std::strcmp(initialiser.name, name) == 0) initialiser.run();
    return true;
  }();
  (void)prepared;
}

Ref<NSLayoutConstraint> constraint(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat c) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, c);
}

Ref<UILabel> label(UIView* in, CGFloat size, UIColor* colour) {
  Ref<UILabel> l = make<UILabel>(CGRectZero);
  l->setFont(UIFont::systemFontOfSize(size));
  l->setTextColor(colour);
  in->addSubview(l);
  return l;
}

class LegacyPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    prepareLegacyOnce();
    ASSERT_TRUE(hooks::NFUIVideoDisplayPage::saved_collectionView_willDisplayCell_forItemAtIndexPath)
        << "the older page's hooks were not installed on the stand-in";
    atVersion("9.20.0");
    setAllPreferences(true);
  }
  static void atVersion(const char* version) {
    fake_host::setHostVersion(version);
    CXPrefsManager::resetVersionGatesForTesting();
  }

  static Ref<UICollectionViewCell> cell(const char* className) {
    StrongId made = fake_host::newInstance(objc_getClass(className));
    StrongId cell = objc_msgSend<StrongId>(made.get(), "initWithFrame:", CGRectMake(0, 0, 375, 300));
    return Ref<UICollectionViewCell>(objc_cast<UICollectionViewCell>(cell.get()));
  }
  static Ref<CXEnhancedRatingViewContainer> stripIn(id cell) {
    return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(cell, "CXEnhancedRatingViewContainer");
  }
  // The strip's constraints as the content view holds them, in order:
  // "attribute→view.attribute constant", a view without a name reading "-".
  static std::vector<std::string> stripConstraints(UIView* content, UIView* strip) {
    std::vector<std::string> out;
    for (const Ref<NSLayoutConstraint>& c : content->constraintList()) {
      if (c->firstItem().get() != strip) continue;
      Ref<UIView> to = c->secondItem();
      std::string name = to && to->accessibilityIdentifier() ? to->accessibilityIdentifier()->UTF8String() : "-";
      out.push_back(std::to_string(c->firstAttribute()) + "→" + name + "." + std::to_string(c->secondAttribute()) + " " +
                    std::to_string(static_cast<int>(c->constant())) + (c->multiplier() == 1 ? "" : " ×multiplied"));
    }
    return out;
  }
  static Ref<UIView> named(UIView* in, const char* identifier, Ref<UIView> view = make<UIView>(CGRectZero)) {
    view->setAccessibilityIdentifier(ns(identifier));
    if (!view->superview()) in->addSubview(view);
    return view;
  }

  static StrongId page(long videoId, id viewModel = nullptr) {
    StrongId p = fake_host::newInstance(objc_getClass("NFUIVideoDisplayPage"));
    set(p.get(), "videoId", box(videoId).get());
    set(p.get(), "viewModel", viewModel);
    objc_msgSend<void>(p.get(), "viewDidLoad");
    return p;
  }
  static void willDisplay(id page, id cell) {
    objc_msgSend<void>(page, "collectionView:willDisplayCell:forItemAtIndexPath:", nullptr, cell, nullptr);
  }
  static bool completed(id page) { return objc_msgSend<bool>(page, "CXFoundCompletedSummaryCell"); }
  // A summary cell of className that has a strip and shows this model.
  static Ref<UICollectionViewCell> summaryCell(const char* className, const char* title, long year, long seasons) {
    Ref<UICollectionViewCell> c = cell(className);
    objc_msgSend<void>(c.get(), "setCXEnhancedRatingViewContainer:", make<CXEnhancedRatingViewContainer>(CGRectZero).get());
    StrongId model = fake_host::newInstance(objc_getClass("LegacyTestCellModel"));
    set(model.get(), "titleText", ns(title).get());
    set(model.get(), "releaseYear", box(year).get());
    if (seasons) set(model.get(), "numSeasons", box(seasons).get());
    set(model.get(), "cast", ns("Cast: A, B").get());
    set(c.get(), "model", model.get());
    return c;
  }
};

constexpr CGFloat A = 80;  // the two-row strip

TEST_F(LegacyPageTest, SummaryArtCellGetsTheStripBetweenRatingContainerAndMessage) {
  for (bool withGap : {true, false}) {
    Ref<UICollectionViewCell> c = cell("DisplayPageSummaryArtCell");
    UIView* content = c->contentView();
    content->setBackgroundColor(UIColor::blueColor());
    Ref<UIView> rating = named(content, "rating");
    Ref<UILabel> message = label(content, 13, UIColor::whiteColor()), synopsis = label(content, 14, UIColor::grayColor()),
                 year = label(content, 11, UIColor::redColor());
    named(content, "message", message);
    // Held first, yet not the message's gap: it keeps its constant.
    Ref<NSLayoutConstraint> underRating = constraint(synopsis, NSLayoutAttributeTop, rating, NSLayoutAttributeBottom, 3);
    content->addConstraint(underRating);
    set(c.get(), "ratingContainer", rating.get());
    set(c.get(), "supplementalMessageLabel", message.get());
    set(c.get(), "synopsisLabel", synopsis.get());
    set(c.get(), "releaseYearLabel", year.get());
    Ref<NSLayoutConstraint> gap = constraint(message, NSLayoutAttributeTop, rating, NSLayoutAttributeBottom, 6);
    Ref<NSLayoutConstraint> other = constraint(message, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 6);
    content->addConstraint(withGap ? gap.get() : other.get());

    objc_msgSend<void>(c.get(), "awakeFromNib");
    Ref<CXEnhancedRatingViewContainer> strip = stripIn(c.get());
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->superview().get(), content);
    EXPECT_FALSE(strip->translatesAutoresizingMaskIntoConstraints()) << "placed by its constraints alone";
    EXPECT_EQ(strip->backgroundColor(), content->backgroundColor());
    EXPECT_EQ((withGap ? gap : other)->constant(), withGap ? A : 6) << "only the gap to the rating container grows";
    EXPECT_EQ(underRating->constant(), 3);
    EXPECT_EQ(stripConstraints(content, strip.get()),
              (std::vector<std::string>{"5→message.5 0", "6→message.6 0", "3→rating.4 -8", "4→message.3 2"}));
    EXPECT_EQ(strip->messageLabel()->font(), synopsis->font());
    EXPECT_EQ(strip->loadingIndicatorView()->color(), synopsis->textColor());
    EXPECT_EQ(strip->firstRatingPercentageLabel()->textColor(), year->textColor());
    EXPECT_EQ(strip->secondRatingPercentageLabel()->textColor(), year->textColor());
  }
}

TEST_F(LegacyPageTest, PreferenceOffAtLoadLeavesNoStripButItsHeightIsAddedOnceTheUserTurnsItOn) {
  setAllPreferences(false);
  Ref<UICollectionViewCell> c = cell("DisplayPageSummaryArtCell");
  objc_msgSend<void>(c.get(), "awakeFromNib");
  EXPECT_FALSE(stripIn(c.get()));
  EXPECT_EQ(countCalls("awakeFromNib"), 1u);
  EXPECT_EQ(objc_msgSend<CGSize>(c.get(), "calculatedSize:", CGSizeMake(768, 0)), CGSizeMake(768, 220));
  setAllPreferences(true);
  EXPECT_EQ(objc_msgSend<CGSize>(c.get(), "calculatedSize:", CGSizeMake(768, 0)), CGSizeMake(768, 220 + A))
      << "the cell has no strip, yet the height is read afresh";
}

TEST_F(LegacyPageTest, ADestroyedCellReleasesItsStrip) {
  for (const char* name : {"DisplayPageSummaryArtCell", "NFUIDisplayPageAboveTheFoldSummaryCell"}) {
    for (bool onAtDestruction : {true, false}) {
      Weak<CXEnhancedRatingViewContainer>& strip = stripAtTeardown();
      {
        Ref<UICollectionViewCell> c = summaryCell(name, "Heat", 1995, 0);
        strip = Weak<CXEnhancedRatingViewContainer>(stripIn(c.get()).get());
        ASSERT_TRUE(strip.lock());
        setAllPreferences(onAtDestruction);
        hostCalls().clear();
      }
      EXPECT_FALSE(strip.lock()) << (onAtDestruction ? "dealloc lets it go" : "the cell's storage lets it go");
      // With the preference on, the strip is gone before the host tears the cell down.
      EXPECT_EQ(hostCalls(), std::vector<std::string>{onAtDestruction ? "dealloc" : "dealloc with strip"}) << name;
      strip = {};
    }
  }
}

// The above-the-fold layouts by version: below 11, from 11, with the merch
// redesign, with the stack view.
struct FoldCell {
  Ref<UICollectionViewCell> cell;
  Ref<UIView> message, stack, merch;
  Ref<NSLayoutConstraint> top1, top2, merchTop;
};
FoldCell foldCell(bool withMerch, const char* unset = nullptr) {
  FoldCell f;
  StrongId made = fake_host::newInstance(objc_getClass("NFUIDisplayPageAboveTheFoldSummaryCell"));
  f.cell = Ref<UICollectionViewCell>(
      objc_cast<UICollectionViewCell>(objc_msgSend<StrongId>(made.get(), "initWithFrame:", CGRectMake(0, 0, 375, 300)).get()));
  UIView* content = f.cell->contentView();
  auto add = [&](const char* name) {
    Ref<UIView> v = make<UILabel>(CGRectZero);
    v->setAccessibilityIdentifier(ns(name));
    content->addSubview(v);
    if (!unset || std::strcmp(name, unset) != 0) set(f.cell.get(), name, v.get());
    return v;
  };
  f.message = add("supplementalMessageLabel");
  add("synopsisLabel");
  add("evidenceStarringLabel");
  Ref<UIView> spacer = add("spacer");
  f.top1 = constraint(f.message, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 8);
  f.top2 = constraint(f.message, NSLayoutAttributeTop, spacer, NSLayoutAttributeBottom, 0);
  content->addConstraint(f.top1);
  content->addConstraint(f.top2);
  if (withMerch) {
    f.stack = add("supplementalMessageStackView");
    f.merch = add("inlineMerchView");
    f.merchTop = constraint(f.merch, NSLayoutAttributeTop, f.message, NSLayoutAttributeBottom, 12);
    content->addConstraint(f.merchTop);
    set(f.cell.get(), "merchPlayTop", f.merchTop.get());
  }
  objc_msgSend<void>(f.cell.get(), "awakeFromNib");
  return f;
}

TEST_F(LegacyPageTest, AboveTheFoldCellFollowsTheLayoutOfItsVersion) {
  struct Case {
    const char* version;
    std::vector<std::string> constraints;
  };
  for (const Case& k : {Case{"10.99.9", {"5→supplementalMessageLabel.5 0", "6→supplementalMessageLabel.6 0", "3→-.3 0",
                                         "4→supplementalMessageLabel.3 0"}},
                        Case{"11.0.0", {"5→supplementalMessageLabel.5 0", "6→supplementalMessageLabel.6 0", "3→-.3 -8",
                                        "4→supplementalMessageLabel.3 -8"}}}) {
    atVersion(k.version);
    FoldCell f = foldCell(false);
    Ref<CXEnhancedRatingViewContainer> strip = stripIn(f.cell.get());
    ASSERT_TRUE(strip) << k.version;
    EXPECT_EQ(stripConstraints(f.cell->contentView(), strip.get()), k.constraints) << k.version;
    EXPECT_EQ(f.top1->constant(), 8 + A) << "both top constraints of the message grow";
    EXPECT_EQ(f.top2->constant(), A);
  }
  for (const char* version : {"13.14.0", "14.28.0"}) {
    atVersion(version);
    FoldCell f = foldCell(true);
    Ref<CXEnhancedRatingViewContainer> strip = stripIn(f.cell.get());
    ASSERT_TRUE(strip) << version;
    const std::string anchor = std::strcmp(version, "14.28.0") == 0 ? "supplementalMessageStackView" : "supplementalMessageLabel";
    EXPECT_EQ(stripConstraints(f.cell->contentView(), strip.get()),
              (std::vector<std::string>{"5→inlineMerchView.5 0", "6→inlineMerchView.6 0", "8→-.0 80",
                                        "3→" + anchor + ".4 4"}))
        << version;
    EXPECT_EQ(f.merchTop->constant(), 12 + A + 4);
    EXPECT_EQ(f.top1->constant(), 8) << "the redesign leaves the message where it is";
  }
}

// Mended: a redesigned cell without its merch view would have the strip tied
// to nothing, which the device answers by raising; the cell is left as the
// host made it.
TEST_F(LegacyPageTest, SummaryCellWithoutAMemberIsLeftAsTheHostMadeIt) {
  atVersion("13.14.0");
  FoldCell f = foldCell(false);
  EXPECT_FALSE(stripIn(f.cell.get()));
  EXPECT_EQ(f.top1->constant(), 8);
  EXPECT_EQ(countCalls("awakeFromNib"), 1u);
  atVersion("14.28.0");
  for (const char* member : {"inlineMerchView", "supplementalMessageStackView"})
    EXPECT_FALSE(stripIn(foldCell(true, member).cell.get())) << "without its " << member;
  atVersion("10.2.0");
  // Each cell given only one of the members it needs.
  for (auto [name, member] : {std::pair{"DisplayPageSummaryArtCell", "ratingContainer"},
                              {"DisplayPageSummaryArtCell", "supplementalMessageLabel"},
                              {"NFUIDisplayPageAboveTheFoldSummaryCell", "ratingContainer"}}) {
    Ref<UICollectionViewCell> c = cell(name);
    set(c.get(), member, named(c->contentView(), member).get());
    objc_msgSend<void>(c.get(), "awakeFromNib");
    EXPECT_FALSE(stripIn(c.get())) << name << " with only its " << member;
  }
}

TEST_F(LegacyPageTest, CellRouteCompletesASeriesAndAFilmOnlyFromTheCache) {
  long series = freshVideoId(), film = freshVideoId(), cachedFilm = freshVideoId();
  cacheRating(cachedFilm);
  StrongId seriesPage = page(series), filmPage = page(film), cachedPage = page(cachedFilm);
  auto seriesCell = summaryCell("DisplayPageSummaryArtCell", "Dark", 2017, 1);
  willDisplay(seriesPage.get(), seriesCell.get());
  EXPECT_TRUE(completed(seriesPage.get())) << "one season is a series";
  EXPECT_TRUE(stripIn(seriesCell.get())->ratingDataTask()) << "the complete model went to the strip";

  auto filmCell = summaryCell("DisplayPageSummaryArtCell", "Heat", 1995, 0);
  willDisplay(filmPage.get(), filmCell.get());
  willDisplay(filmPage.get(), filmCell.get());
  EXPECT_FALSE(completed(filmPage.get())) << "a film on the cell route has no running time";
  EXPECT_FALSE(stripIn(filmCell.get())->ratingDataTask());

  hostCalls().clear();
  auto cachedCell = summaryCell("DisplayPageSummaryArtCell", "Heat", 1995, 0);
  willDisplay(cachedPage.get(), cachedCell.get());
  EXPECT_TRUE(completed(cachedPage.get())) << "the cache completes it on the first call";
  EXPECT_EQ(countCalls("model"), 0u) << "the cell route is not taken";
  willDisplay(cachedPage.get(), cachedCell.get());
  advance(0);
  EXPECT_EQ(hostCalls(), (std::vector<std::string>{"willDisplay", "willDisplay"})) << "afterwards only the host's";
  EXPECT_EQ(stripIn(cachedCell.get())->gestureRecognizers()->count(), 1u) << "the strip got the cached rating once";
  objc_msgSend<void>(cachedPage.get(), "viewDidLoad");
  EXPECT_FALSE(completed(cachedPage.get())) << "a page that loads again gathers again";
}

TEST_F(LegacyPageTest, ViewModelRouteWaitsForThePagesDataThenCompletesAFilm) {
  atVersion("10.2.0");
  StrongId viewModel = fake_host::newInstance(objc_getClass("LegacyTestViewModel"));
  long film = freshVideoId();
  StrongId p = page(film, viewModel.get());
  auto c = summaryCell("NFUIDisplayPageAboveTheFoldSummaryCell", "Heat", 1995, 0);
  willDisplay(p.get(), c.get());
  EXPECT_FALSE(completed(p.get())) << "data not loaded";
  EXPECT_EQ(countCalls("model"), 0u) << "the cell's own model is not read on this route";

  set(viewModel.get(), "detailsEntity", detailsEntity("Heat", 1995, 10140).get());
  set(viewModel.get(), "dataLoaded", box(1L).get());
  willDisplay(p.get(), c.get());
  EXPECT_TRUE(completed(p.get())) << "a film with its running time from the details";

  long series = freshVideoId();
  StrongId seriesModel = fake_host::newInstance(objc_getClass("LegacyTestViewModel"));
  StrongId seasons = fake_host::newInstance(objc_getClass("LegacyTestVolatileEntity"));
  set(seasons.get(), "seasonNumbers", make<NSArray>(std::vector<StrongId>{box(1L), box(2L)}).get());
  set(seriesModel.get(), "volatileEntity", seasons.get());
  set(seriesModel.get(), "detailsEntity", detailsEntity("Dark", 2017, 0).get());
  set(seriesModel.get(), "dataLoaded", box(1L).get());
  set(seriesModel.get(), "showsLoaded", box(1L).get());
  StrongId seriesPage = page(series, seriesModel.get());
  willDisplay(seriesPage.get(), c.get());
  EXPECT_TRUE(completed(seriesPage.get())) << "a series of two seasons";
}

TEST_F(LegacyPageTest, PreferenceOffOnlyCallsTheHost) {
  setAllPreferences(false);
  long video = freshVideoId();
  cacheRating(video);
  StrongId p = page(video);
  auto c = summaryCell("DisplayPageSummaryArtCell", "Dark", 2017, 3);
  willDisplay(p.get(), c.get());
  EXPECT_FALSE(completed(p.get()));
  EXPECT_EQ(hostCalls(), (std::vector<std::string>{"viewDidLoad", "willDisplay"}));
}

}  // namespace
}  // namespace page_test
