#pragma once
// NSError: a failure as a value (domain, code, description).

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class NSError : public NSObject {
 public:
  NSError() = default;
  NSError(Ref<NSString> domain, NSInteger code, Ref<NSDictionary> userInfo)
      : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

  static Ref<NSError> errorWithDomain_code_userInfo(NSString* domain, NSInteger code, NSDictionary* userInfo);
  // A convenience for the platform layers: userInfo holds the description.
  static Ref<NSError> error(const char* domain, NSInteger code, const std::string& description);

  NSString* domain() const { return domain_.get(); }
  NSInteger code() const { return code_; }
  NSDictionary* userInfo() const { return userInfo_.get(); }
  // userInfo's NSLocalizedDescription, or a text naming domain and code.
  Ref<NSString> localizedDescription() const;
  Ref<NSString> description() const override;

 private:
  Ref<NSString> domain_;
  NSInteger code_ = 0;
  Ref<NSDictionary> userInfo_;
};

extern const char* const NSURLErrorDomain;
extern const char* const NSCocoaErrorDomain;
extern const char* const NSLocalizedDescriptionKey;
