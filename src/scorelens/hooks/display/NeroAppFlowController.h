#pragma once
// Hooks on NeroAppFlowController: the host's flow controller, which presents the
// details action sheet. The replacement swallows the details sheet that the
// module opened and posts its contents; every other presentation calls through.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::NeroAppFlowController {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_presentViewController_fromViewController_animated_completion;

// Replacements, one per hooked selector, with the method's own encoding.
void presentViewController_fromViewController_animated_completion(id self, SEL _cmd, id viewController, id fromViewController, bool animated, id completion);

}  // namespace hooks::NeroAppFlowController
