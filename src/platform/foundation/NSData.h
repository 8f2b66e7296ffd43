#pragma once
// NSData: an immutable run of bytes.

#include <string>
#include <string_view>

#include "platform/foundation/NSObject.h"

class NSData : public NSObject {
 public:
  NSData() = default;
  explicit NSData(std::string bytes) : bytes_(std::move(bytes)) {}

  static Ref<NSData> data();
  static Ref<NSData> dataWithBytes(std::string_view bytes);
  // nil when the file cannot be read.
  static Ref<NSData> dataWithContentsOfFile(const std::string& path);

  NSUInteger length() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }

  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override;

 private:
  std::string bytes_;
};
