#include "scorelens/hooks/display/NFUIVideoDisplayPage.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSValue.h"
#include "scorelens/hooks/display/host_access.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace hooks::NFUIVideoDisplayPage {

IMP saved_viewDidLoad;
IMP saved_collectionView_willDisplayCell_forItemAtIndexPath;

namespace {

using hooks::display::isKind;
using hooks::display::sendIfAnswered;

constexpr const char* kSummaryArtCell = "DisplayPageSummaryArtCell";
constexpr const char* kAboveTheFoldCell = "NFUIDisplayPageAboveTheFoldSummaryCell";

bool foundCompleted(id page) { return objc_msgSend<bool>(page, "CXFoundCompletedSummaryCell"); }
void setFoundCompleted(id page, bool value) { objc_msgSend<void>(page, "setCXFoundCompletedSummaryCell:", value); }

template <class T>
Ref<T> ask(id obj, const char* selector) {
  StrongId answer = sendIfAnswered<StrongId>(obj, selector);
  return Ref<T>(objc_cast<T>(answer.get()));
}

// The facts the summary cell shows. No running time is on the cell.
void gatherFromCell(CXVideoDisplayPageModel* model, id cell) {
  StrongId shown = sendIfAnswered<StrongId>(cell, "model");
  model->setTitle(ask<NSString>(shown.get(), "titleText"));
  model->setReleaseYear(ask<NSNumber>(shown.get(), "releaseYear"));
  Ref<NSNumber> seasons = ask<NSNumber>(shown.get(), "numSeasons");
  const NSInteger count = seasons ? seasons->integerValue() : 0;
  model->setNumSeasons(count);
  model->setIsMovie(count < 1);
  model->setActorsFromCastString(ask<NSString>(shown.get(), "cast"));
}

// False while the page's data has not arrived: nothing to hand over yet.
bool gatherFromViewModel(CXVideoDisplayPageModel* model, id page) {
  StrongId viewModel = sendIfAnswered<StrongId>(page, "viewModel");
  if (!viewModel || !sendIfAnswered<bool>(viewModel.get(), "dataLoaded")) return false;
  if (sendIfAnswered<bool>(viewModel.get(), "showsLoaded")) {
    model->setIsMovie(false);
    StrongId entity = sendIfAnswered<StrongId>(viewModel.get(), "volatileEntity");
    Ref<NSArray> seasons = ask<NSArray>(entity.get(), "seasonNumbers");
    model->setNumSeasons(seasons ? static_cast<NSInteger>(seasons->count()) : 0);
  } else {
    model->setIsMovie(true);
  }
  if (StrongId details = sendIfAnswered<StrongId>(viewModel.get(), "detailsEntity"))
    model->populatePageModelFromDetailsEntity(details.get());
  return true;
}

void gather(id page, id cell) {
  StrongId strip = sendIfAnswered<StrongId>(cell, "CXEnhancedRatingViewContainer");
  if (!strip) return;
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setVideoId(ask<NSNumber>(page, "videoId"));
  // With only the video identifier the model is complete when the cache holds the title.
  objc_msgSend<void>(page, "CXUpdateEnhancedRatingContainer:withModel:", strip.get(), model.get());
  if (foundCompleted(page)) return;
  if (isKind(cell, kSummaryArtCell) || !CXPrefsManager::hasViewModelRedesign())
    gatherFromCell(model.get(), cell);
  else if (!gatherFromViewModel(model.get(), page))
    return;
  objc_msgSend<void>(page, "CXUpdateEnhancedRatingContainer:withModel:", strip.get(), model.get());
}

}  // namespace

void viewDidLoad(id self, SEL _cmd) {
  setFoundCompleted(self, false);
  if (saved_viewDidLoad) imp_call<void>(saved_viewDidLoad, self, _cmd);
}

void collectionView_willDisplayCell_forItemAtIndexPath(id self, SEL _cmd, id collectionView, id cell, id indexPath) {
  if (CXPrefsManager::enhancedRatingEnabled() && !foundCompleted(self) &&
      (isKind(cell, kSummaryArtCell) || isKind(cell, kAboveTheFoldCell)))
    gather(self, cell);
  if (saved_collectionView_willDisplayCell_forItemAtIndexPath)
    imp_call<void>(saved_collectionView_willDisplayCell_forItemAtIndexPath, self, _cmd, collectionView, cell,
                   indexPath);
}

void CXUpdateEnhancedRatingContainer_withModel(id self, SEL /*_cmd*/, id container, id model) {
  auto* pageModel = objc_cast<CXVideoDisplayPageModel>(model);
  auto* strip = objc_cast<CXEnhancedRatingViewContainer>(container);
  if (!pageModel || !pageModel->hasCompleteModel()) return;
  setFoundCompleted(self, true);
  if (strip) strip->updateContainerWithDisplayPageModel(pageModel);
}

}  // namespace hooks::NFUIVideoDisplayPage
