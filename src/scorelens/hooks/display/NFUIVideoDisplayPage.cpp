#include "scorelens/hooks/display/NFUIVideoDisplayPage.h"

namespace hooks::NFUIVideoDisplayPage {

IMP saved_viewDidLoad;
IMP saved_collectionView_willDisplayCell_forItemAtIndexPath;

void viewDidLoad(id self, SEL _cmd) {
  imp_call<void>(saved_viewDidLoad, self, _cmd);
}

void collectionView_willDisplayCell_forItemAtIndexPath(id self, SEL _cmd, id collectionView, id cell, id indexPath) {
  imp_call<void>(saved_collectionView_willDisplayCell_forItemAtIndexPath, self, _cmd, collectionView, cell, indexPath);
}

void CXUpdateEnhancedRatingContainer_withModel(id /*self*/, SEL /*_cmd*/, id /*container*/, id /*model*/) {}

}  // namespace hooks::NFUIVideoDisplayPage
