#pragma once
// Hooks on NetflixCollectionView.CDSCollectionViewDiffableDataSource: the
// current title page's collection data source. The cell replacement calls
// through, then places the strip above the play button and gathers the
// title's facts from the cells the host hands out; the added methods create
// the strip and its model, take the details the action sheet delivers and
// hand a complete model to the strip.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

class CXVideoDisplayPageModel;
class NSString;

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

// The facts of one metadata line ("2019 16+ 2h 10m HD": year, running time or
// season count, film or series), written into model. Any text the host's
// label may hold is safe to read.
void readMetadataLine(CXVideoDisplayPageModel* model, const NSString* line);

}  // namespace hooks::CDSCollectionViewDiffableDataSource
