#pragma once
// The host's version, as the version gates and the meter track colour read it.

#include "platform/foundation/NSString.h"

// The host's VersionManager.sharedInstance.appVersion, read now (not cached),
// or nil when the host has no such class, no shared instance or no version
// string. A member with another type signature counts as missing rather than
// being called. Any thread; costs a class lookup and two messages.
Ref<NSString> CXHostAppVersion();

// version compared with the host's version by numeric string comparison (runs
// of digits by value): ascending when version is the lower. A missing host
// version compares as the empty text, below every version.
NSComparisonResult CXCompareVersionWithHostVersion(const char* version);
