#pragma once
// Hooks on CXAppSettingsCineluxProvider: the module's settings provider, a
// run-time subclass of the host's AppSettingsProvider. Its behaviour is the
// provider's title. Until it is built, the replacement calls through unchanged.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::CXAppSettingsCineluxProvider {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_title;

// Replacements, one per hooked selector, with the method's own encoding.
StrongId title(id self, SEL _cmd);

}  // namespace hooks::CXAppSettingsCineluxProvider
