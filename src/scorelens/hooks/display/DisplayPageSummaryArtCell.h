#pragma once
// Hooks on DisplayPageSummaryArtCell: the older hosts' summary cell (the iPad
// layout, before the iPad cell redesign). When the host loads the cell from
// its interface file the cell gets the strip between its rating container and
// its supplemental message, which moves down by the strip's height; the
// cell's own size grows by that height; and the cell lets go of the strip
// when it is destroyed. The page hooks (NFUIVideoDisplayPage.h) hand the
// strip its facts.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"
#include "platform/uikit/UIGeometry.h"

namespace hooks::DisplayPageSummaryArtCell {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_awakeFromNib;
extern IMP saved_calculatedSize;
extern IMP saved_dealloc;

// After the host's awakeFromNib, with the preference on: the strip. A cell
// that lacks one of the views the strip is tied to is left as the host made
// it (a constraint to a missing view would bring the app down).
void awakeFromNib(id self, SEL _cmd);
// The host's size, taller by the strip's height while the preference is on
// (read now, whether or not this cell got a strip when it was loaded).
CGSize calculatedSize(id self, SEL _cmd, CGSize size);
void dealloc(id self, SEL _cmd);

}  // namespace hooks::DisplayPageSummaryArtCell
