#include "platform/foundation/NSError.h"

#include <fmt/format.h>

const char* const NSURLErrorDomain = "NSURLErrorDomain";
const char* const NSCocoaErrorDomain = "NSCocoaErrorDomain";
const char* const NSLocalizedDescriptionKey = "NSLocalizedDescription";

Ref<NSError> NSError::errorWithDomain_code_userInfo(NSString* domain, NSInteger code, NSDictionary* userInfo) {
  return make<NSError>(Ref<NSString>(domain), code, Ref<NSDictionary>(userInfo));
}

Ref<NSError> NSError::error(const char* domain, NSInteger code, const std::string& description) {
  Ref<NSString> text = NSString::stringWithUTF8String(description);
  if (!text) text = "(description is not UTF-8)"_ns;
  auto info = NSDictionary::dictionaryWithObjectsAndKeys(
      {{NSString::stringWithUTF8String(NSLocalizedDescriptionKey), text}});
  return make<NSError>(NSString::stringWithUTF8String(domain), code, info);
}

Ref<NSString> NSError::localizedDescription() const {
  if (userInfo_) {
    if (auto* d = objc_cast<NSString>(userInfo_->objectForKey(NSString::stringWithUTF8String(NSLocalizedDescriptionKey))))
      return Ref<NSString>(d);
  }
  return NSString::stringWithUTF8String(fmt::format("The operation couldn't be completed. ({} error {}.)", utf8(domain_.get()), code_));
}

Ref<NSString> NSError::description() const {
  return NSString::stringWithUTF8String(
      fmt::format("Error Domain={} Code={} \"{}\"", utf8(domain_.get()), code_, utf8(localizedDescription().get())));
}
