#pragma once
// Hooks on NFUIVideoDisplayPage: the older hosts' title page controller. Each
// time the page is about to show its summary cell, and until one attempt
// finds the title's facts complete, they gather the facts into a new model
// (from the cell's own model, or from the page's view model on hosts with
// the view-model redesign) and hand a complete model to the strip that the
// cell carries (DisplayPageSummaryArtCell.h,
// NFUIDisplayPageAboveTheFoldSummaryCell.h). A film read from the cell has
// no running time, so it completes only when the ratings cache holds it.
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
// viewDidLoad starts the page's gathering (CXFoundCompletedSummaryCell NO);
// the cell callback gathers first and always calls the host's last.
void viewDidLoad(id self, SEL _cmd);
void collectionView_willDisplayCell_forItemAtIndexPath(id self, SEL _cmd, id collectionView, id cell, id indexPath);

// Added method, under "v@:@@": a complete model ends the page's gathering
// and goes to the strip; an incomplete one is dropped.
void CXUpdateEnhancedRatingContainer_withModel(id self, SEL _cmd, id container, id model);

}  // namespace hooks::NFUIVideoDisplayPage
