#include "host/legacy/legacy_page_classes.h"

namespace host {

void NFUIVideoDisplayPage::collectionView_willDisplayCell_forItemAtIndexPath(UICollectionView*, UICollectionViewCell*,
                                                                             NSIndexPath*) {}

}  // namespace host
