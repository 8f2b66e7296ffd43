#pragma once
// Hooks on MenuListViewModel: the host's menu list view model. Wherever the
// host lists its build version (the "buildVersion" item of an "app" section),
// the module appends its own entry, "ScoreLens 3.2.6", to that section.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/foundation/NSArray.h"
#include "platform/objc/message.h"

namespace hooks::MenuListViewModel {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_initWithDictionary;

// Calls the host's initialiser with an immutable copy of dictionary, with the
// module's entry added to the first "app" section that has a "buildVersion"
// item (a copy of that item named "ScoreLens 3.2.6", menuName "ScoreLens",
// height "22.0" without the settings redesign), and answers its result. The
// caller's dictionary is never handed on nor changed. Values of the wrong
// type count as missing.
StrongId initWithDictionary(id self, SEL _cmd, id dictionary);

// The rewritten dictionary itself (immutable; nil for nil).
Ref<NSDictionary> dictionaryWithModuleEntry(const NSDictionary* dictionary);

}  // namespace hooks::MenuListViewModel
