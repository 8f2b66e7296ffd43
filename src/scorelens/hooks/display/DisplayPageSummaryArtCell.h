#pragma once
// Hooks on DisplayPageSummaryArtCell: the older hosts' summary cell (before the
// iPad cell redesign). Their behaviour is the strip in that cell. Until it is
// built, each replacement calls through unchanged and each added method does
// nothing.
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

// Replacements, one per hooked selector, with the method's own encoding.
void awakeFromNib(id self, SEL _cmd);
CGSize calculatedSize(id self, SEL _cmd, CGSize size);
void dealloc(id self, SEL _cmd);

}  // namespace hooks::DisplayPageSummaryArtCell
