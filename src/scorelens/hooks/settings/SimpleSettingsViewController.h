#pragma once
// Hooks on Argo.SimpleSettingsViewController (hosts from 15.1.0): the module's
// name and version appended to the host's version label, the first subview of
// the last view in the screen's menu stack ("menuStackView").
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::SimpleSettingsViewController {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_viewDidLoad;

// Replacements, one per hooked selector, with the method's own encoding.
void viewDidLoad(id self, SEL _cmd);

}  // namespace hooks::SimpleSettingsViewController
