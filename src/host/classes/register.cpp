// The host's class list, top to bottom: the app's services, the current title
// page, the legacy title page, then settings. Each class is registered with
// the members that are reached through the run time, under the type
// encodings the module expects.

#include "host/classes/register.h"

#include <optional>

#include "host/classes/app_services.h"
#include "host/art/box_art.h"
#include "host/home/home_screens.h"
#include "host/legacy/art_header_cell.h"
#include "host/legacy/legacy_page_classes.h"
#include "host/misuse.h"
#include "host/settings/settings_classes.h"
#include "host/title_page/CDSDisplayPageViewController.h"
#include "host/title_page/details_sheet.h"
#include "host/title_page/display_page_views.h"

namespace host {

namespace {

std::optional<HostFeatures>& featuresSlot() {
  static auto* slot = new std::optional<HostFeatures>;
  return *slot;
}

Class metaclassOf(Class cls) { return object_getClass(class_asObject(cls)); }

void addFunction(Class cls, const char* name, IMP imp) {
  class_addMethod(cls, sel_registerName(name), imp, std::string(imp.types()).c_str());
}

template <class V>
void registerCellAndView(std::vector<std::string>& names, const char* viewName, Class viewBase) {
  std::string view = std::string("Argo.") + viewName;
  std::string cell = collectionViewCellClassName(viewName);
  objc::registerClass<V>(view.c_str(), viewBase);
  objc::registerClass<CollectionViewCell<V>>(cell.c_str(), objc::classOf<UICollectionViewCell>());
  names.push_back(view);
  names.push_back(cell);
}

// What a list view answers through the run time (both pages' lists).
void addListMembers(Class list) {
  objc::addMethod<&CDSCollectionView::dequeueCell>(list, "dequeueReusableCellWithReuseIdentifier:forIndexPath:");
  objc::addMethod<&CDSCollectionView::shownCellForItem>(list, "cellForItemAtIndexPath:");
  objc::addMethod<&CDSCollectionView::shownCellsArray>(list, "visibleCells");
  objc::addMethod<&CDSCollectionView::indexPathOfShownCell>(list, "indexPathForCell:");
  objc::addMethod<&CDSCollectionView::reloadShownItems>(list, "reloadData");
}

// The details a title's page keeps (both pages' details entities).
void addDetailsMembers(Class entity) {
  objc::addMethod<&DetailsEntity::title>(entity, "title");
  objc::addMethod<&DetailsEntity::releaseYear>(entity, "releaseYear");
  objc::addMethod<&DetailsEntity::runtime>(entity, "runtime");
  objc::addMethod<&DetailsEntity::actors>(entity, "actors");
  objc::addMethod<&DetailsEntity::writers>(entity, "writers");
  objc::addMethod<&DetailsEntity::directors>(entity, "directors");
  objc::addMethod<&DetailsEntity::creators>(entity, "creators");
}

}  // namespace

const HostFeatures& runningHostFeatures() {
  if (!featuresSlot()) misuse("the host's classes are not registered yet");
  return *featuresSlot();
}

std::vector<std::string> registerHostClasses(const HostVersion& version, Device device) {
  if (featuresSlot()) misuse("registerHostClasses called twice");
  const HostFeatures features = featuresFor(version, device);
  featuresSlot() = features;

  std::vector<std::string> names;
  auto named = [&](const char* name, Class cls) {
    names.emplace_back(name);
    return cls;
  };
  Class root = objc::classOf<NSObject>();
  Class viewController = objc::classOf<UIViewController>();
  Class view = objc::classOf<UIView>();
  // Both title pages show a title's art in it.
  named("NFUIBoxArtView", objc::registerClass<BoxArtView>("NFUIBoxArtView", view));

  // --- the app's services ---------------------------------------------------------
  Class versionManager = named("VersionManager", objc::registerClass<VersionManager>("VersionManager", root));
  addFunction(metaclassOf(versionManager), "sharedInstance", &VersionManager::sharedInstance);
  objc::addMethod<&VersionManager::appVersion>(versionManager, "appVersion");

  Class reachability =
      named("CRReachabilityMonitor", objc::registerClass<CRReachabilityMonitor>("CRReachabilityMonitor", root));
  addFunction(metaclassOf(reachability), "currentNetworkStatus", &CRReachabilityMonitor::currentNetworkStatus);

  Class coordinator =
      named("NeroAppFlowController", objc::registerClass<NeroAppFlowController>("NeroAppFlowController", root));
  addFunction(metaclassOf(coordinator), "sharedInstance", &NeroAppFlowController::sharedInstance);
  objc::addMethod<&NeroAppFlowController::presentViewController_fromViewController_animated_completion>(
      coordinator, "presentViewController:fromViewController:animated:completion:");

  // --- the current title page (16.1 and later) ----------------------------------------
  if (features.currentTitlePage) {
    named("__SwiftValue", objc::registerClass<SwiftValue>("__SwiftValue", root));
    named("NFUILabel", objc::registerClass<NFUILabel>("NFUILabel", objc::classOf<UILabel>()));
    named("HawkinsComponents.StandardButton",
          objc::registerClass<StandardButton>("HawkinsComponents.StandardButton", objc::classOf<UIButton>()));

    Class page = named("Argo.CDSDisplayPageViewController",
                       objc::registerClass<CDSDisplayPageViewController>("Argo.CDSDisplayPageViewController",
                                                                         viewController));
    objc::addMethod<&CDSDisplayPageViewController::videoId>(page, "videoId");
    objc::addMethod<&CDSDisplayPageViewController::loadView>(page, "loadView");
    objc::addMethod<&CDSDisplayPageViewController::viewDidLoad>(page, "viewDidLoad");

    Class internal = named("NetflixCollectionView.CDSInternalViewController",
                           objc::registerClass<CDSInternalViewController>(
                               "NetflixCollectionView.CDSInternalViewController", viewController));
    objc::addMethod<&CDSInternalViewController::viewDidLoad>(internal, "viewDidLoad");
    class_addIvar(internal, features.collectionViewIvar, "@\"NetflixCollectionView.CDSCollectionView\"",
                  &CDSInternalViewController::collectionViewIvar, &CDSInternalViewController::setCollectionViewIvar);

    Class collection = named("NetflixCollectionView.CDSCollectionView",
                             objc::registerClass<CDSCollectionView>("NetflixCollectionView.CDSCollectionView",
                                                                    objc::classOf<UICollectionView>()));
    addListMembers(collection);

    Class dataSource = named("NetflixCollectionView.CDSCollectionViewDiffableDataSource",
                             objc::registerClass<CDSCollectionViewDiffableDataSource>(
                                 "NetflixCollectionView.CDSCollectionViewDiffableDataSource", root));
    objc::addMethod<&CDSCollectionViewDiffableDataSource::numberOfSectionsInCollectionView>(
        dataSource, "numberOfSectionsInCollectionView:");
    objc::addMethod<&CDSCollectionViewDiffableDataSource::collectionView_numberOfItemsInSection>(
        dataSource, "collectionView:numberOfItemsInSection:");
    objc::addMethod<&CDSCollectionViewDiffableDataSource::collectionView_cellForItemAtIndexPath>(
        dataSource, "collectionView:cellForItemAtIndexPath:");

    // The page's cells in page order; each view class with its cell class.
    registerCellAndView<DisplayPageBillboardView>(names, "DisplayPageBillboardView", view);
    registerCellAndView<DisplayPageBrandGenreTitleView>(names, "DisplayPageBrandGenreTitleView", view);
    registerCellAndView<DisplayPageTitleMetadataView>(names, "DisplayPageTitleMetadataView", view);
    objc::addMethod<&DisplayPageTitleMetadataView::handleMetadataTap>(objc::classOf<DisplayPageTitleMetadataView>(),
                                                                      "handleMetadataTap");
    if (features.playbackButtonRename)
      registerCellAndView<DisplayPagePlaybackButtonView>(names, "DisplayPagePlaybackButtonView", view);
    else
      registerCellAndView<DisplayPageButtonView>(names, "DisplayPageButtonView", view);
    registerCellAndView<DisplayPageSynopsisView>(names, "DisplayPageSynopsisView", view);
    registerCellAndView<DisplayPageCreditsView>(names, "DisplayPageCreditsView", view);
    registerCellAndView<DisplayPageActionsView>(names, "DisplayPageActionsView", view);
    registerCellAndView<DisplayPageEpisodeView>(names, "DisplayPageEpisodeView", view);
    registerCellAndView<DisplayPageMoreLikeThisView>(names, "DisplayPageMoreLikeThisView", view);

    Class sheet = named("Argo.ActionSheetController",
                        objc::registerClass<ActionSheetController>("Argo.ActionSheetController", viewController));
    objc::addMethod<&ActionSheetController::userInfo>(sheet, "userInfo");
    objc::addMethod<&ActionSheetController::loadView>(sheet, "loadView");

    Class entity = named("Argo.DetailsEntity", objc::registerClass<DetailsEntity>("Argo.DetailsEntity", root));
    addDetailsMembers(entity);
    objc::addMethod<&DetailsEntity::videoId>(entity, "videoId");
  }

  // --- the legacy title page (before 16.1) ---------------------------------------------
  if (features.legacyTitlePage) {
    Class page = named("NFUIVideoDisplayPage",
                       objc::registerClass<NFUIVideoDisplayPage>("NFUIVideoDisplayPage", viewController));
    objc::addMethod<&NFUIVideoDisplayPage::loadView>(page, "loadView");
    objc::addMethod<&NFUIVideoDisplayPage::viewDidLoad>(page, "viewDidLoad");
    objc::addMethod<&NFUIVideoDisplayPage::numberOfSectionsInCollectionView>(page, "numberOfSectionsInCollectionView:");
    objc::addMethod<&NFUIVideoDisplayPage::collectionView_numberOfItemsInSection>(
        page, "collectionView:numberOfItemsInSection:");
    objc::addMethod<&NFUIVideoDisplayPage::collectionView_cellForItemAtIndexPath>(
        page, "collectionView:cellForItemAtIndexPath:");
    objc::addMethod<&NFUIVideoDisplayPage::collectionView_willDisplayCell_forItemAtIndexPath>(
        page, "collectionView:willDisplayCell:forItemAtIndexPath:");
    objc::addMethod<&NFUIVideoDisplayPage::videoId>(page, "videoId");
    objc::addMethod<&NFUIVideoDisplayPage::viewModel>(page, "viewModel");

    Class list = named("NFUICollectionView", objc::registerClass<LegacyCollectionView>(
                                                 "NFUICollectionView", objc::classOf<UICollectionView>()));
    addListMembers(list);

    Class model = named("NFUIDisplayPageSummaryModel",
                        objc::registerClass<SummaryCellModel>("NFUIDisplayPageSummaryModel", root));
    objc::addMethod<&SummaryCellModel::titleText>(model, "titleText");
    objc::addMethod<&SummaryCellModel::releaseYear>(model, "releaseYear");
    objc::addMethod<&SummaryCellModel::numSeasons>(model, "numSeasons");
    objc::addMethod<&SummaryCellModel::cast>(model, "cast");

    Class viewModel = named("NFUIVideoDisplayPageViewModel", objc::registerClass<VideoDisplayPageViewModel>(
                                                                 "NFUIVideoDisplayPageViewModel", root));
    objc::addMethod<&VideoDisplayPageViewModel::dataLoaded>(viewModel, "dataLoaded");
    objc::addMethod<&VideoDisplayPageViewModel::showsLoaded>(viewModel, "showsLoaded");
    objc::addMethod<&VideoDisplayPageViewModel::volatileEntity>(viewModel, "volatileEntity");
    objc::addMethod<&VideoDisplayPageViewModel::detailsEntity>(viewModel, "detailsEntity");
    Class volatileEntity =
        named("NFVolatileVideoEntity", objc::registerClass<VolatileVideoEntity>("NFVolatileVideoEntity", root));
    objc::addMethod<&VolatileVideoEntity::seasonNumbers>(volatileEntity, "seasonNumbers");
    Class details =
        named("NFVideoDetailsEntity", objc::registerClass<LegacyDetailsEntity>("NFVideoDetailsEntity", root));
    addDetailsMembers(details);

    named("NFUIStackView", objc::registerClass<SupplementalMessageStack>("NFUIStackView", view));
    named("NFUIDisplayPageArtHeaderCell", objc::registerClass<LegacyArtHeaderCell>(
                                              "NFUIDisplayPageArtHeaderCell", objc::classOf<UICollectionViewCell>()));
    named("NFUIDisplayPageListCell",
          objc::registerClass<LegacyListCell>("NFUIDisplayPageListCell", objc::classOf<UICollectionViewCell>()));
  }
  auto addSummaryCellMembers = [](Class cell) {
    objc::addMethod<&LegacySummaryCell::awakeFromNib>(cell, "awakeFromNib");
    objc::addMethod<&LegacySummaryCell::model>(cell, "model");
    objc::addMethod<&LegacySummaryCell::synopsisLabel>(cell, "synopsisLabel");
    objc::addMethod<&LegacySummaryCell::supplementalMessageLabel>(cell, "supplementalMessageLabel");
  };
  if (features.summaryArtCell) {
    Class cell = named("DisplayPageSummaryArtCell", objc::registerClass<DisplayPageSummaryArtCell>(
                                                        "DisplayPageSummaryArtCell", objc::classOf<UICollectionViewCell>()));
    addSummaryCellMembers(cell);
    objc::addMethod<&DisplayPageSummaryArtCell::calculatedSize>(cell, "calculatedSize:");
    objc::addMethod<&DisplayPageSummaryArtCell::ratingContainer>(cell, "ratingContainer");
    objc::addMethod<&DisplayPageSummaryArtCell::releaseYearLabel>(cell, "releaseYearLabel");
    addFunction(cell, "dealloc", &deallocThroughSuperclass<DisplayPageSummaryArtCell>);
  }
  if (features.aboveTheFoldSummaryCell) {
    Class cell = named("NFUIDisplayPageAboveTheFoldSummaryCell",
                       objc::registerClass<NFUIDisplayPageAboveTheFoldSummaryCell>(
                           "NFUIDisplayPageAboveTheFoldSummaryCell", objc::classOf<UICollectionViewCell>()));
    addSummaryCellMembers(cell);
    objc::addMethod<&NFUIDisplayPageAboveTheFoldSummaryCell::evidenceStarringLabel>(cell, "evidenceStarringLabel");
    // Outlets the interface file of this version has.
    using L = HostFeatures::AboveTheFold;
    if (features.aboveTheFoldLayout == L::InlineMerch || features.aboveTheFoldLayout == L::MessageStack) {
      objc::addMethod<&NFUIDisplayPageAboveTheFoldSummaryCell::inlineMerchView>(cell, "inlineMerchView");
      objc::addMethod<&NFUIDisplayPageAboveTheFoldSummaryCell::merchPlayTop>(cell, "merchPlayTop");
    }
    if (features.aboveTheFoldLayout == L::MessageStack)
      objc::addMethod<&NFUIDisplayPageAboveTheFoldSummaryCell::supplementalMessageStackView>(
          cell, "supplementalMessageStackView");
    addFunction(cell, "dealloc", &deallocThroughSuperclass<NFUIDisplayPageAboveTheFoldSummaryCell>);
  }

  // --- settings, and the menu list the settings show ---------------------------------------
  registerSettingsClasses(version, names);
  registerHomeClasses(names);
  return names;
}

}  // namespace host
