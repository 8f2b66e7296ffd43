#include "scorelens/prefs/host_version.h"

#include "platform/objc/message.h"

namespace {
// Whether obj answers selector with an object and no arguments. The host is
// outside the module: a member of another shape is treated as absent instead
// of being sent a message with the wrong types.
bool answersObject(id obj, const char* selector) {
  Method m = class_getInstanceMethod(object_getClass(obj), sel_registerName(selector));
  return m && objc::encodingsMatch(method_getTypeEncoding(m), "@@:");
}
}  // namespace

Ref<NSString> CXHostAppVersion() {
  id manager = class_asObject(objc_getClass("VersionManager"));
  if (!manager || !answersObject(manager, "sharedInstance")) return nullptr;
  StrongId shared = objc_msgSend<StrongId>(manager, "sharedInstance");
  if (!shared || !answersObject(shared, "appVersion")) return nullptr;
  return objc_msgSend<Ref<NSString>>(shared.get(), "appVersion");
}

NSComparisonResult CXCompareVersionWithHostVersion(const char* version) {
  Ref<NSString> host = CXHostAppVersion();
  return NSString::stringWithUTF8String(version)->compare_options(host.get(), NSNumericSearch);
}
