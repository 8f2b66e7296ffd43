#pragma once
// Hooks on NetflixCollectionView.CDSCollectionViewDiffableDataSource: the
// current title page's collection data source. Their behaviour is placing the
// strip above the play button and gathering the title's facts. Until it is
// built, each replacement calls through unchanged and each added method does
// nothing.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::CDSCollectionViewDiffableDataSource {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_collectionView_cellForItemAtIndexPath;

// Replacements, one per hooked selector, with the method's own encoding.
StrongId collectionView_cellForItemAtIndexPath(id self, SEL _cmd, id collectionView, id indexPath);

// Added methods, under "v@:@" and "v@:B".
void CXCreateEnhancedRatingContainerForVideoId(id self, SEL _cmd, id videoId);
void CXInjectEnhancedRatingViewContainerForCell(id self, SEL _cmd, id cell);
void CXGatherDetailsFromCell(id self, SEL _cmd, id cell);
void CXDetailsDeliveredFromActionSheet(id self, SEL _cmd, id notification);
void CXUpdateEnhancedRatingViewContainer(id self, SEL _cmd, bool observe);

}  // namespace hooks::CDSCollectionViewDiffableDataSource
