#pragma once
// Hooks on Argo.CDSDisplayPageViewController: the current title page controller.
// The viewDidLoad replacement calls through, then finds the page's data
// sources and has each create its strip.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::CDSDisplayPageViewController {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_viewDidLoad;

// Replacements, one per hooked selector, with the method's own encoding.
void viewDidLoad(id self, SEL _cmd);

}  // namespace hooks::CDSDisplayPageViewController
