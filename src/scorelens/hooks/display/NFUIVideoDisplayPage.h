#pragma once
// Hooks on NFUIVideoDisplayPage: the older hosts' title page controller. Their
// behaviour is gathering the title's facts and handing them to the strip. Until
// it is built, each replacement calls through unchanged and each added method
// does nothing.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::NFUIVideoDisplayPage {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_viewDidLoad;
extern IMP saved_collectionView_willDisplayCell_forItemAtIndexPath;

// Replacements, one per hooked selector, with the method's own encoding.
void viewDidLoad(id self, SEL _cmd);
void collectionView_willDisplayCell_forItemAtIndexPath(id self, SEL _cmd, id collectionView, id cell, id indexPath);

// Added methods, under "v@:@@".
void CXUpdateEnhancedRatingContainer_withModel(id self, SEL _cmd, id container, id model);

}  // namespace hooks::NFUIVideoDisplayPage
