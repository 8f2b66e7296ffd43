#include "scorelens/hooks/settings/CXAppSettingsCineluxProvider.h"

namespace hooks::CXAppSettingsCineluxProvider {

IMP saved_title;

StrongId title(id self, SEL _cmd) {
  return imp_call<StrongId>(saved_title, self, _cmd);
}

}  // namespace hooks::CXAppSettingsCineluxProvider
