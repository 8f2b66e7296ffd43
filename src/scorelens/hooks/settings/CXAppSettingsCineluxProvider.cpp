#include "scorelens/hooks/settings/CXAppSettingsCineluxProvider.h"

#include "scorelens/hooks/settings/settings_content.h"

namespace hooks::CXAppSettingsCineluxProvider {

IMP saved_title;

StrongId title(id, SEL) { return NSString::stringWithUTF8String(settings::kProductName); }

}  // namespace hooks::CXAppSettingsCineluxProvider
