#pragma once
// Hooks on CXAppSettingsCineluxProvider: the module's settings provider, a
// run-time subclass of the host's AppSettingsProvider by which the older
// settings controller recognises the module screen. Its only behaviour of
// its own is its title, "ScoreLens"; the rest is the host's provider.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"

namespace hooks::CXAppSettingsCineluxProvider {

// The host provider's title, saved when the hook is installed; never called:
// the module's provider has a title of its own.
extern IMP saved_title;

// "ScoreLens" ("@@:").
StrongId title(id self, SEL _cmd);

}  // namespace hooks::CXAppSettingsCineluxProvider
