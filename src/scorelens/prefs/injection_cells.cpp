// The host classes of the play-button cell, which the host renamed in 16.51.0.

#include "scorelens/prefs/CXPrefsManager.h"

Class CXPrefsManager::displayPageInjectionCellClass() {
  return objc_getClass(hasDisplayPageCellRename()
                           ? "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo29DisplayPagePlaybackButtonView_"
                           : "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo21DisplayPageButtonView_");
}

Class CXPrefsManager::displayPageInjectionCellSubviewClass() {
  return objc_getClass(hasDisplayPageCellRename() ? "Argo.DisplayPagePlaybackButtonView"
                                                  : "Argo.DisplayPageButtonView");
}
