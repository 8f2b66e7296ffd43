#include "scorelens/display/page_fixture.h"

#include <atomic>
#include <cstring>

#include "platform/foundation/NSUserDefaults.h"
#include "scorelens/hooks/display/CDSCollectionViewDiffableDataSource.h"
#include "scorelens/hooks/display/CDSDisplayPageViewController.h"
#include "scorelens/hooks/display/NeroAppFlowController.h"
#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/initialisers.h"
#include "scorelens/lookup/CXEnhancedRating.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace page_test {

std::vector<std::string>& hostCalls() {
  static std::vector<std::string> calls;
  return calls;
}

size_t countCalls(const std::string& call) {
  size_t n = 0;
  for (const std::string& c : hostCalls()) n += c == call;
  return n;
}

StrongId& sheetUserInfo() {
  static StrongId info;
  return info;
}

namespace {

constexpr const char* kPlayCell =
    "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_";
constexpr const char* kMetadataCell =
    "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo28DisplayPageTitleMetadataView_";
constexpr const char* kTitleCell =
    "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo30DisplayPageBrandGenreTitleView_";

// Keys of the fake host's per-instance values.
char kVideoIdKey;
char kCollectionViewKey;
char kUserInfoKey;
char kEntityTitleKey;
char kEntityYearKey;
char kEntityRuntimeKey;

using fake_host::defineClass;

Class classNamed(const char* name) {
  Class cls = objc_getClass(name);
  if (!cls) ADD_FAILURE() << "fake host class missing: " << name;
  return cls;
}

StrongId instanceOf(const char* name) { return fake_host::newInstance(classNamed(name)); }

void addMethod(Class cls, const char* selector, IMP imp) {
  class_addMethod(cls, sel_registerName(selector), imp, std::string(imp.types()).c_str());
}

void defineHostClasses() {
  Class dataSource = defineClass("NetflixCollectionView.CDSCollectionViewDiffableDataSource");
  addMethod(dataSource, "collectionView:cellForItemAtIndexPath:", +[](id, SEL, id, id cell) -> StrongId {
    hostCalls().push_back("cell");
    return StrongId(cell);
  });

  Class page = defineClass("Argo.CDSDisplayPageViewController", "UIViewController");
  addMethod(page, "viewDidLoad", +[](id, SEL) { hostCalls().push_back("viewDidLoad"); });
  addMethod(page, "videoId", +[](id self, SEL) -> StrongId { return objc_getAssociatedObject(self, &kVideoIdKey); });

  Class internal = objc_allocateClassPair(objc_getClass("UIViewController"),
                                          "NetflixCollectionView.CDSInternalViewController", 0);
  class_addIvar(
      internal, "collectionView", "@", [](id self) { return objc_getAssociatedObject(self, &kCollectionViewKey); },
      [](id self, id value) {
        objc_setAssociatedObject(self, &kCollectionViewKey, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
      });
  objc_registerClassPair(internal);
  defineClass("NetflixCollectionView.CDSCollectionView", "UICollectionView");

  Class flow = defineClass("NeroAppFlowController");
  addMethod(flow, "presentViewController:fromViewController:animated:completion:",
            +[](id, SEL, id controller, id, bool, id) {
              hostCalls().push_back(std::string("present ") + class_getName(object_getClass(controller)));
            });
  Class sheet = defineClass("Argo.ActionSheetController", "UIViewController");
  addMethod(sheet, "userInfo", +[](id self, SEL) -> StrongId { return objc_getAssociatedObject(self, &kUserInfoKey); });

  defineClass(kPlayCell, "UICollectionViewCell");
  defineClass("Argo.DisplayPagePlaybackButtonView", "UIView");
  defineClass("HawkinsComponents.StandardButton", "UIButton");
  defineClass(kTitleCell, "UICollectionViewCell");
  defineClass("Argo.DisplayPageBrandGenreTitleView", "UIView");
  defineClass("NFUILabel", "UILabel");
  defineClass(kMetadataCell, "UICollectionViewCell");
  Class metadata = defineClass("Argo.DisplayPageTitleMetadataView", "UIView");
  // The host's tap opens the details sheet through its flow controller.
  addMethod(metadata, "handleMetadataTap", +[](id, SEL) {
    hostCalls().push_back("tap");
    if (!sheetUserInfo()) return;
    Ref<UIViewController> sheet = PageTest::actionSheet(sheetUserInfo().get());
    objc_msgSend<void>(PageTest::flowController().get(), "presentViewController:fromViewController:animated:completion:",
                       sheet.get(), nullptr, true, nullptr);
  });

  Class entity = defineClass("PageTestDetailsEntity");
  addMethod(entity, "title",
            +[](id self, SEL) -> StrongId { return objc_getAssociatedObject(self, &kEntityTitleKey); });
  addMethod(entity, "releaseYear", +[](id self, SEL) -> StrongId { return objc_getAssociatedObject(self, &kEntityYearKey); });
  addMethod(entity, "runtime", +[](id self, SEL) -> StrongId { return objc_getAssociatedObject(self, &kEntityRuntimeKey); });
}

void runInitialiser(const char* name) {
  for (const CXInitialiser& initialiser : CXInitialisers())
    if (std::strcmp(initialiser.name, name) == 0) initialiser.run();
}

// Once per process: the host's classes, then the module's page hooks on them.
void prepareHostOnce() {
  static bool prepared = [] {
    fake_host::setHostVersion("16.51.0");
    CXPrefsManager::resetVersionGatesForTesting();
    defineHostClasses();
    runInitialiser("NetflixCollectionView.CDSCollectionViewDiffableDataSource");
    runInitialiser("Argo.CDSDisplayPageViewController");
    runInitialiser("NeroAppFlowController");
    return true;
  }();
  (void)prepared;
}

Ref<UIView> view(const char* className) {
  Ref<UIView> v = objc_cast<UIView>(instanceOf(className).get());
  return v;
}

Ref<UICollectionViewCell> cellOf(const char* className) {
  StrongId cell = objc_msgSend<StrongId>(instanceOf(className).get(), "initWithFrame:", CGRectMake(0, 0, 375, 60));
  return Ref<UICollectionViewCell>(objc_cast<UICollectionViewCell>(cell.get()));
}

}  // namespace

void PageTest::SetUp() {
  prepareHostOnce();
  ASSERT_TRUE(hooks::CDSCollectionViewDiffableDataSource::saved_collectionView_cellForItemAtIndexPath)
      << "the data-source hooks were not installed on the fake host (initialisers ran earlier in this process?)";
  ASSERT_TRUE(hooks::CDSDisplayPageViewController::saved_viewDidLoad);
  ASSERT_TRUE(hooks::NeroAppFlowController::saved_presentViewController_fromViewController_animated_completion);
  // Gates answer for the fake host, whatever version another test set.
  fake_host::setHostVersion("16.51.0");
  CXPrefsManager::resetVersionGatesForTesting();
  NSUserDefaults::setStandardUserDefaultsPath("");
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  CXPrefsManager::registerDefaults();
  CXPrefsManager::setNeedsDetailsFromActionSheet(false);
  // Lookups that a completed page starts must reach nothing outside.
  savedServices_ = CXServiceConfiguration::current();
  CXServiceConfiguration services;
  services.ratingsHost = services.certifiedHost = "127.0.0.1:9";
  services.searchHostSuffix = ".invalid";
  CXServiceConfiguration::setCurrent(services);
  dispatch::MainRunLoop::resetForTesting();
  hostCalls().clear();
  sheetUserInfo() = nullptr;
}

void PageTest::TearDown() {
  dispatch::MainRunLoop::resetForTesting();
  CXServiceConfiguration::setCurrent(savedServices_);
  sheetUserInfo() = nullptr;
  CXPrefsManager::setNeedsDetailsFromActionSheet(false);
}

StrongId PageTest::newDataSource() { return instanceOf("NetflixCollectionView.CDSCollectionViewDiffableDataSource"); }

StrongId PageTest::requestCell(id dataSource, id cell) {
  return objc_msgSend<StrongId>(dataSource, "collectionView:cellForItemAtIndexPath:", nullptr, cell);
}

void PageTest::create(id dataSource, long videoId) {
  objc_msgSend<void>(dataSource, "CXCreateEnhancedRatingContainerForVideoId:", box(videoId).get());
}

void PageTest::update(id dataSource, bool observe) {
  objc_msgSend<void>(dataSource, "CXUpdateEnhancedRatingViewContainer:", observe);
}

Ref<CXEnhancedRatingViewContainer> PageTest::stripOf(id dataSource) {
  return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(dataSource, "CXEnhancedRatingViewContainer");
}
Ref<CXVideoDisplayPageModel> PageTest::modelOf(id dataSource) {
  return objc_msgSend<Ref<CXVideoDisplayPageModel>>(dataSource, "CXVideoDisplayPageModel");
}
bool PageTest::hasInjected(id dataSource) {
  return objc_msgSend<bool>(dataSource, "CXHasInjectedEnhancedRatingViewContainer");
}
bool PageTest::hasCompleted(id dataSource) {
  return objc_msgSend<bool>(dataSource, "CXHasCompletedEnhancedRatingViewContainer");
}

PageTest::PlayCell PageTest::playCell(bool withTopConstraint, const char* buttonIdentifier) {
  PlayCell out;
  out.cell = cellOf(kPlayCell);
  UIView* content = out.cell->contentView();
  content->setBackgroundColor(UIColor::colorWithWhite_alpha(0.1, 1));
  out.buttonView = view("Argo.DisplayPagePlaybackButtonView");
  out.buttonView->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(out.buttonView);
  // A decoy of another class first: only the host's button counts.
  Ref<UIView> decoy = make<UIButton>();
  decoy->setAccessibilityIdentifier(ns("playButton"));
  out.buttonView->addSubview(decoy);
  out.button = view("HawkinsComponents.StandardButton");
  out.button->setAccessibilityIdentifier(ns(buttonIdentifier));
  out.buttonView->addSubview(out.button);
  NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      out.buttonView, NSLayoutAttributeLeading, NSLayoutRelationEqual, content, NSLayoutAttributeLeading, 1, 0)
      ->setActive(true);
  if (withTopConstraint) {
    out.buttonTop = NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        out.buttonView, NSLayoutAttributeTop, NSLayoutRelationEqual, content, NSLayoutAttributeTop, 1, 12);
    out.buttonTop->setActive(true);
  }
  return out;
}

Ref<UICollectionViewCell> PageTest::metadataCell(const std::string& line) {
  Ref<UICollectionViewCell> cell = cellOf(kMetadataCell);
  Ref<UIView> metadata = view("Argo.DisplayPageTitleMetadataView");
  cell->contentView()->addSubview(metadata);
  Ref<UIView> plain = make<UILabel>();
  objc_cast<UILabel>(plain.get())->setText(ns("not the line"));
  metadata->addSubview(plain);
  Ref<UILabel> label = objc_cast<UILabel>(view("NFUILabel").get());
  label->setText(ns(line));
  metadata->addSubview(label);
  return cell;
}

Ref<UICollectionViewCell> PageTest::titleCell(const std::vector<std::pair<const char*, const char*>>& labels) {
  Ref<UICollectionViewCell> cell = cellOf(kTitleCell);
  Ref<UIView> titleView = view("Argo.DisplayPageBrandGenreTitleView");
  cell->contentView()->addSubview(titleView);
  for (const auto& [identifier, text] : labels) {
    Ref<UILabel> label = objc_cast<UILabel>(view("NFUILabel").get());
    label->setAccessibilityIdentifier(ns(identifier));
    label->setText(ns(text));
    titleView->addSubview(label);
  }
  return cell;
}

Ref<UICollectionViewCell> PageTest::plainCell() { return cellOf("UICollectionViewCell"); }

Ref<UIViewController> PageTest::internalChild(id dataSource, bool plainCollectionView) {
  Ref<UIViewController> child =
      objc_cast<UIViewController>(instanceOf("NetflixCollectionView.CDSInternalViewController").get());
  Ref<UICollectionView> collection = objc_cast<UICollectionView>(
      instanceOf(plainCollectionView ? "UICollectionView" : "NetflixCollectionView.CDSCollectionView").get());
  collection->setDataSource(dataSource);
  object_setIvar(child, class_getInstanceVariable(object_getClass(child), "collectionView"), collection);
  return child;
}

Ref<UIViewController> PageTest::pageController(long videoId, const std::vector<Ref<UIViewController>>& children) {
  Ref<UIViewController> page = objc_cast<UIViewController>(instanceOf("Argo.CDSDisplayPageViewController").get());
  if (videoId) objc_setAssociatedObject(page, &kVideoIdKey, box(videoId), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  for (const Ref<UIViewController>& child : children) page->addChildViewController(child);
  return page;
}

StrongId PageTest::flowController() {
  static StrongId flow = instanceOf("NeroAppFlowController");
  return flow;
}

Ref<UIViewController> PageTest::actionSheet(id userInfo) {
  Ref<UIViewController> sheet = objc_cast<UIViewController>(instanceOf("Argo.ActionSheetController").get());
  objc_setAssociatedObject(sheet, &kUserInfoKey, userInfo, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  return sheet;
}

void PageTest::present(id controller) {
  objc_msgSend<void>(flowController().get(), "presentViewController:fromViewController:animated:completion:",
                     controller, nullptr, true, nullptr);
}

Ref<NSDictionary> PageTest::sheetDetails(
    const std::vector<std::pair<const char*, std::vector<const char*>>>& sections) {
  Ref<NSMutableArray> keys = NSMutableArray::array();
  Ref<NSMutableDictionary> meta = NSMutableDictionary::dictionary();
  for (const auto& [title, names] : sections) {
    keys->addObject(ns(title));
    Ref<NSMutableArray> records = NSMutableArray::array();
    for (const char* name : names)
      records->addObject(NSDictionary::dictionaryWithObjectsAndKeys({{ns("name"), ns(name)}}));
    meta->setObject_forKey(records, ns(title));
  }
  return NSDictionary::dictionaryWithObjectsAndKeys({{ns("keys"), keys}, {ns("metaData"), meta}});
}

void PageTest::deliver(id details) {
  NSNotificationCenter::defaultCenter()->postNotificationName_object(ns("CXDetailsFromActionSheetDelivered"), details);
}

StrongId PageTest::detailsEntity(const char* title, long year, long runtimeSeconds) {
  StrongId entity = instanceOf("PageTestDetailsEntity");
  objc_setAssociatedObject(entity, &kEntityTitleKey, ns(title), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc_setAssociatedObject(entity, &kEntityYearKey, box(year), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc_setAssociatedObject(entity, &kEntityRuntimeKey, box(runtimeSeconds), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  return entity;
}

void PageTest::cacheRating(long videoId) {
  Ref<CXEnhancedRating> rating = make<CXEnhancedRating>();
  rating->setHasCriticRating(true);
  rating->setCriticRating(91);
  rating->setHasAudienceRating(true);
  rating->setAudienceRating(88);
  rating->setIsMovie(true);
  CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(rating, box(videoId));
}

long PageTest::freshVideoId() {
  static std::atomic<long> next{91'000'000};
  return next++;
}

void PageTest::setAllPreferences(bool enabled) {
  CXPrefsManager::setCriticRatingPercentageEnabled(enabled);
  CXPrefsManager::setCriticRatingMeterEnabled(enabled);
  CXPrefsManager::setAudienceRatingPercentageEnabled(enabled);
  CXPrefsManager::setAudienceRatingMeterEnabled(enabled);
}

}  // namespace page_test
