#pragma once
// Hooks on MenuListViewModel: the host's menu list view model. Their behaviour
// is the module's entry in the host's menus. Until it is built, each replacement
// calls through unchanged and each added method does nothing.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::MenuListViewModel {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_initWithDictionary;

// Replacements, one per hooked selector, with the method's own encoding.
StrongId initWithDictionary(id self, SEL _cmd, id dictionary);

}  // namespace hooks::MenuListViewModel
