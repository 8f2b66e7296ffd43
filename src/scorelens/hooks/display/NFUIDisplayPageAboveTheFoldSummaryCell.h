#pragma once
// Hooks on NFUIDisplayPageAboveTheFoldSummaryCell: the older hosts' above-the-
// fold summary cell (from the iPhone cell redesign). When the host loads the
// cell from its interface file the cell gets the strip: on hosts with the
// above-the-fold redesign below the supplemental message (or its stack view)
// with the play area moved down to make room, on earlier hosts at the top
// with the supplemental message moved down by the strip's height. The cell
// lets go of the strip when it is destroyed. The page hooks
// (NFUIVideoDisplayPage.h) hand the strip its facts.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_awakeFromNib;
extern IMP saved_dealloc;

// After the host's awakeFromNib, with the preference on: the strip. A cell
// that lacks one of the views or the constraint the strip's placement uses
// is left as the host made it.
void awakeFromNib(id self, SEL _cmd);
void dealloc(id self, SEL _cmd);

}  // namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell
