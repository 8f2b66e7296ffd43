#pragma once
// Texts of the module's string table "Localizable" (in CXPrefsManager's
// bundle), with their English text as the fallback.

#include "platform/foundation/NSString.h"

// The table's text for key, or english when the bundle, the table or the key
// is missing (or the entry is empty). Main thread, like its callers.
Ref<NSString> CXLocalizedString(const char* key, const char* english);
