// What the module installs at load, class by class, in the order it runs. The
// behaviour of each hook and added method lives with its host class in
// hooks/display/ and hooks/settings/.

#include "scorelens/loader/initialisers.h"

#include "platform/dispatch/dispatch.h"
#include "scorelens/hooks/display/CDSCollectionViewDiffableDataSource.h"
#include "scorelens/hooks/display/CDSDisplayPageViewController.h"
#include "scorelens/hooks/display/DisplayPageSummaryArtCell.h"
#include "scorelens/hooks/display/NFUIDisplayPageAboveTheFoldSummaryCell.h"
#include "scorelens/hooks/display/NFUIVideoDisplayPage.h"
#include "scorelens/hooks/display/NeroAppFlowController.h"
#include "scorelens/hooks/settings/AppSettingsViewController.h"
#include "scorelens/hooks/settings/AppSettingsViewController_Swift.h"
#include "scorelens/hooks/settings/CXAppSettingsCineluxProvider.h"
#include "scorelens/hooks/settings/MenuListViewModel.h"
#include "scorelens/hooks/settings/SimpleSettingsViewController.h"
#include "scorelens/loader/added_members.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {

// --- added properties, one descriptor per property per class ------------------

constexpr CXAddedProperty kSettingsOriginalNumSections{"CXRootSettingsOriginalNumSections", CXPropertyKind::Integer};
constexpr CXAddedProperty kSettingsCurrentType{"CXCurrentSettingsType", CXPropertyKind::Integer};

constexpr CXAddedProperty kSummaryArtCellRatingView{"CXEnhancedRatingViewContainer", CXPropertyKind::Object,
                                                    "CXEnhancedRatingViewContainer"};

constexpr CXAddedProperty kAboveTheFoldRatingView{"CXEnhancedRatingViewContainer", CXPropertyKind::Object,
                                                  "CXEnhancedRatingViewContainer"};

constexpr CXAddedProperty kVideoPageFoundSummaryCell{"CXFoundCompletedSummaryCell", CXPropertyKind::Boolean};

constexpr CXAddedProperty kSwiftSettingsOriginalNumSections{"CXRootSettingsOriginalNumSections",
                                                            CXPropertyKind::Integer};
constexpr CXAddedProperty kSwiftSettingsCurrentType{"CXCurrentSettingsType", CXPropertyKind::Integer};

constexpr CXAddedProperty kDataSourceHasInjected{"CXHasInjectedEnhancedRatingViewContainer",
                                                 CXPropertyKind::Boolean};
constexpr CXAddedProperty kDataSourceHasCompleted{"CXHasCompletedEnhancedRatingViewContainer",
                                                  CXPropertyKind::Boolean};
constexpr CXAddedProperty kDataSourceModel{"CXVideoDisplayPageModel", CXPropertyKind::Object,
                                           "CXVideoDisplayPageModel"};
constexpr CXAddedProperty kDataSourceRatingView{"CXEnhancedRatingViewContainer", CXPropertyKind::Object,
                                                "CXEnhancedRatingViewContainer"};

// --- the twelve -------------------------------------------------------------------

// 1
void registerPreferenceDefaults() { CXPrefsManager::registerDefaults(); }

// 2: the older root settings screen.
void installAppSettingsViewController() {
  namespace h = hooks::AppSettingsViewController;
  Class cls = objc_getClass("AppSettingsViewController");
  CXAddProperty<kSettingsOriginalNumSections>(cls);
  CXAddProperty<kSettingsCurrentType>(cls);
  CXHookMessage(cls, "viewDidLoad", &h::viewDidLoad, &h::saved_viewDidLoad);
  CXHookMessage(cls, "numberOfSectionsInTableView:", &h::numberOfSectionsInTableView,
                &h::saved_numberOfSectionsInTableView);
  CXHookMessage(cls, "tableView:numberOfRowsInSection:", &h::tableView_numberOfRowsInSection,
                &h::saved_tableView_numberOfRowsInSection);
  CXHookMessage(cls, "tableView:willDisplayCell:forRowAtIndexPath:", &h::tableView_willDisplayCell_forRowAtIndexPath,
                &h::saved_tableView_willDisplayCell_forRowAtIndexPath);
  CXHookMessage(cls, "tableView:cellForRowAtIndexPath:", &h::tableView_cellForRowAtIndexPath,
                &h::saved_tableView_cellForRowAtIndexPath);
  CXHookMessage(cls, "tableView:heightForHeaderInSection:", &h::tableView_heightForHeaderInSection,
                &h::saved_tableView_heightForHeaderInSection);
  CXHookMessage(cls, "tableView:viewForHeaderInSection:", &h::tableView_viewForHeaderInSection,
                &h::saved_tableView_viewForHeaderInSection);
  CXHookMessage(cls, "tableView:didSelectRowAtIndexPath:", &h::tableView_didSelectRowAtIndexPath,
                &h::saved_tableView_didSelectRowAtIndexPath);
  CXAddMethod(cls, "CXCriticRatingPercentageEnabledSwitchChanged:", &h::CXCriticRatingPercentageEnabledSwitchChanged,
              "v@:@");
  CXAddMethod(cls, "CXCriticRatingMeterEnabledSwitchChanged:", &h::CXCriticRatingMeterEnabledSwitchChanged, "v@:@");
  CXAddMethod(cls, "CXAudienceRatingPercentageEnabledSwitchChanged:",
              &h::CXAudienceRatingPercentageEnabledSwitchChanged, "v@:@");
  CXAddMethod(cls, "CXAudienceRatingMeterEnabledSwitchChanged:", &h::CXAudienceRatingMeterEnabledSwitchChanged,
              "v@:@");
}

// 3: the module's settings provider, a subclass of the host's provider.
void installAppSettingsCineluxProvider() {
  namespace h = hooks::CXAppSettingsCineluxProvider;
  // Without the host's provider there is nothing to subclass: a class made on
  // nil would be a new root class that answers none of a provider's messages.
  Class base = objc_getClass("AppSettingsProvider");
  if (!base) return;
  Class cls = objc_allocateClassPair(base, "CXAppSettingsCineluxProvider", 0);
  if (!cls) return;  // the name is taken
  objc_registerClassPair(cls);
  CXHookMessage(cls, "title", &h::title, &h::saved_title);
}

// 4
void installMenuListViewModel() {
  namespace h = hooks::MenuListViewModel;
  Class cls = objc_getClass("MenuListViewModel");
  CXHookMessage(cls, "initWithDictionary:", &h::initWithDictionary, &h::saved_initWithDictionary);
}

// 5: the summary cell of hosts before the iPad cell redesign.
void installDisplayPageSummaryArtCell() {
  if (CXPrefsManager::hasDisplayPageCellRedesigniPad()) return;
  namespace h = hooks::DisplayPageSummaryArtCell;
  Class cls = objc_getClass("DisplayPageSummaryArtCell");
  CXAddProperty<kSummaryArtCellRatingView>(cls);
  CXHookMessage(cls, "awakeFromNib", &h::awakeFromNib, &h::saved_awakeFromNib);
  CXHookMessage(cls, "calculatedSize:", &h::calculatedSize, &h::saved_calculatedSize);
  CXHookMessage(cls, "dealloc", &h::dealloc, &h::saved_dealloc);
}

// 6: the above-the-fold cell of hosts from the iPhone cell redesign.
void installAboveTheFoldSummaryCell() {
  if (!CXPrefsManager::hasDisplayPageCellRedesigniPhone()) return;
  namespace h = hooks::NFUIDisplayPageAboveTheFoldSummaryCell;
  Class cls = objc_getClass("NFUIDisplayPageAboveTheFoldSummaryCell");
  CXAddProperty<kAboveTheFoldRatingView>(cls);
  CXHookMessage(cls, "awakeFromNib", &h::awakeFromNib, &h::saved_awakeFromNib);
  CXHookMessage(cls, "dealloc", &h::dealloc, &h::saved_dealloc);
}

// 7: the older title page.
void installVideoDisplayPage() {
  namespace h = hooks::NFUIVideoDisplayPage;
  Class cls = objc_getClass("NFUIVideoDisplayPage");
  CXAddProperty<kVideoPageFoundSummaryCell>(cls);
  CXHookMessage(cls, "viewDidLoad", &h::viewDidLoad, &h::saved_viewDidLoad);
  CXHookMessage(cls, "collectionView:willDisplayCell:forItemAtIndexPath:",
                &h::collectionView_willDisplayCell_forItemAtIndexPath,
                &h::saved_collectionView_willDisplayCell_forItemAtIndexPath);
  CXAddMethod(cls, "CXUpdateEnhancedRatingContainer:withModel:", &h::CXUpdateEnhancedRatingContainer_withModel,
              "v@:@@");
}

// 8
void installSimpleSettingsViewController() {
  if (!CXPrefsManager::isAtLeastNetflix15x()) return;
  namespace h = hooks::SimpleSettingsViewController;
  Class cls = objc_getClass("Argo.SimpleSettingsViewController");
  CXHookMessage(cls, "viewDidLoad", &h::viewDidLoad, &h::saved_viewDidLoad);
}

// 9: the current root settings screen.
void installAppSettingsViewControllerSwift() {
  if (!CXPrefsManager::isAtLeastNetflix15x()) return;
  namespace h = hooks::AppSettingsViewController_Swift;
  Class cls = objc_getClass("Argo.AppSettingsViewController_Swift");
  CXAddProperty<kSwiftSettingsOriginalNumSections>(cls);
  CXAddProperty<kSwiftSettingsCurrentType>(cls);
  CXHookMessage(cls, "viewDidLoad", &h::viewDidLoad, &h::saved_viewDidLoad);
  CXHookMessage(cls, "viewWillAppear:", &h::viewWillAppear, &h::saved_viewWillAppear);
  CXHookMessage(cls, "numberOfSectionsInTableView:", &h::numberOfSectionsInTableView,
                &h::saved_numberOfSectionsInTableView);
  CXHookMessage(cls, "tableView:numberOfRowsInSection:", &h::tableView_numberOfRowsInSection,
                &h::saved_tableView_numberOfRowsInSection);
  CXHookMessage(cls, "tableView:willDisplayCell:forRowAtIndexPath:", &h::tableView_willDisplayCell_forRowAtIndexPath,
                &h::saved_tableView_willDisplayCell_forRowAtIndexPath);
  CXHookMessage(cls, "tableView:cellForRowAtIndexPath:", &h::tableView_cellForRowAtIndexPath,
                &h::saved_tableView_cellForRowAtIndexPath);
  CXHookMessage(cls, "tableView:heightForHeaderInSection:", &h::tableView_heightForHeaderInSection,
                &h::saved_tableView_heightForHeaderInSection);
  CXHookMessage(cls, "tableView:viewForHeaderInSection:", &h::tableView_viewForHeaderInSection,
                &h::saved_tableView_viewForHeaderInSection);
  CXHookMessage(cls, "tableView:didSelectRowAtIndexPath:", &h::tableView_didSelectRowAtIndexPath,
                &h::saved_tableView_didSelectRowAtIndexPath);
  CXAddMethod(cls, "CXCriticRatingPercentageEnabledSwitchChanged:", &h::CXCriticRatingPercentageEnabledSwitchChanged,
              "v@:@");
  CXAddMethod(cls, "CXCriticRatingMeterEnabledSwitchChanged:", &h::CXCriticRatingMeterEnabledSwitchChanged, "v@:@");
  CXAddMethod(cls, "CXAudienceRatingPercentageEnabledSwitchChanged:",
              &h::CXAudienceRatingPercentageEnabledSwitchChanged, "v@:@");
  CXAddMethod(cls, "CXAudienceRatingMeterEnabledSwitchChanged:", &h::CXAudienceRatingMeterEnabledSwitchChanged,
              "v@:@");
  CXPrefsManager::registerDefaults();
}

// 10: the current title page's data source.
void installDiffableDataSource() {
  if (!CXPrefsManager::isAtLeastNetflix16x()) return;
  namespace h = hooks::CDSCollectionViewDiffableDataSource;
  Class cls = objc_getClass("NetflixCollectionView.CDSCollectionViewDiffableDataSource");
  CXAddProperty<kDataSourceHasInjected>(cls);
  CXAddProperty<kDataSourceHasCompleted>(cls);
  CXAddProperty<kDataSourceModel>(cls);
  CXAddProperty<kDataSourceRatingView>(cls);
  CXHookMessage(cls, "collectionView:cellForItemAtIndexPath:", &h::collectionView_cellForItemAtIndexPath,
                &h::saved_collectionView_cellForItemAtIndexPath);
  CXAddMethod(cls, "CXCreateEnhancedRatingContainerForVideoId:", &h::CXCreateEnhancedRatingContainerForVideoId,
              "v@:@");
  CXAddMethod(cls, "CXInjectEnhancedRatingViewContainerForCell:", &h::CXInjectEnhancedRatingViewContainerForCell,
              "v@:@");
  CXAddMethod(cls, "CXGatherDetailsFromCell:", &h::CXGatherDetailsFromCell, "v@:@");
  CXAddMethod(cls, "CXDetailsDeliveredFromActionSheet:", &h::CXDetailsDeliveredFromActionSheet, "v@:@");
  CXAddMethod(cls, "CXUpdateEnhancedRatingViewContainer:", &h::CXUpdateEnhancedRatingViewContainer, "v@:B");
}

// 11: the current title page's controller.
void installDisplayPageViewController() {
  if (!CXPrefsManager::isAtLeastNetflix16x()) return;
  namespace h = hooks::CDSDisplayPageViewController;
  Class cls = objc_getClass("Argo.CDSDisplayPageViewController");
  CXHookMessage(cls, "viewDidLoad", &h::viewDidLoad, &h::saved_viewDidLoad);
}

// 12
void installAppFlowController() {
  namespace h = hooks::NeroAppFlowController;
  Class cls = objc_getClass("NeroAppFlowController");
  CXHookMessage(cls, "presentViewController:fromViewController:animated:completion:",
                &h::presentViewController_fromViewController_animated_completion,
                &h::saved_presentViewController_fromViewController_animated_completion);
}

// Each initialiser behind a guard of its own.
template <void (*Install)()>
void once() {
  static dispatch_once_t guard = 0;
  dispatch_once(&guard, [] { Install(); });
}

constexpr CXInitialiser kInitialisers[] = {
    {"registerDefaults", &once<registerPreferenceDefaults>},
    {"AppSettingsViewController", &once<installAppSettingsViewController>},
    {"CXAppSettingsCineluxProvider", &once<installAppSettingsCineluxProvider>},
    {"MenuListViewModel", &once<installMenuListViewModel>},
    {"DisplayPageSummaryArtCell", &once<installDisplayPageSummaryArtCell>},
    {"NFUIDisplayPageAboveTheFoldSummaryCell", &once<installAboveTheFoldSummaryCell>},
    {"NFUIVideoDisplayPage", &once<installVideoDisplayPage>},
    {"Argo.SimpleSettingsViewController", &once<installSimpleSettingsViewController>},
    {"Argo.AppSettingsViewController_Swift", &once<installAppSettingsViewControllerSwift>},
    {"NetflixCollectionView.CDSCollectionViewDiffableDataSource", &once<installDiffableDataSource>},
    {"Argo.CDSDisplayPageViewController", &once<installDisplayPageViewController>},
    {"NeroAppFlowController", &once<installAppFlowController>},
};
}  // namespace

std::span<const CXInitialiser> CXInitialisers() { return kInitialisers; }

void CXRunInitialisers() {
  for (const CXInitialiser& initialiser : kInitialisers) initialiser.run();
}
