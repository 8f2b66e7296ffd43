#pragma once
// NSNumber (integers, doubles, booleans; a JSON boolean is a number), NSNull
// and NSValue with valueWithBytes:objCType:.

#include <cstring>
#include <string>

#include "platform/foundation/NSString.h"

class NSValue : public NSObject {
 public:
  NSValue() = default;
  NSValue(const void* bytes, size_t size, std::string type);

  // Copies `size` bytes described by the encoding `type` ("q", "B", ...).
  static Ref<NSValue> valueWithBytes_objCType(const void* bytes, const char* type);
  // Copies the stored bytes out; the caller's buffer must match objCType.
  void getValue(void* out) const;
  const char* objCType() const { return type_.c_str(); }

  bool isEqual(id other) const override;
  NSUInteger hash() const override;

 protected:
  std::string type_;
  std::string bytes_;
};

class NSNumber : public NSValue {
 public:
  enum class Kind { Bool, Integer, Unsigned, Double };
  NSNumber() = default;

  static Ref<NSNumber> numberWithBool(bool v);
  static Ref<NSNumber> numberWithInteger(NSInteger v);
  static Ref<NSNumber> numberWithLongLong(long long v) { return numberWithInteger(v); }
  static Ref<NSNumber> numberWithInt(int v) { return numberWithInteger(v); }
  static Ref<NSNumber> numberWithUnsignedInteger(NSUInteger v);
  static Ref<NSNumber> numberWithDouble(double v);

  Kind kind() const { return kind_; }
  bool boolValue() const;
  NSInteger integerValue() const;
  long long longLongValue() const { return integerValue(); }
  int intValue() const { return static_cast<int>(integerValue()); }
  NSUInteger unsignedIntegerValue() const;
  double doubleValue() const;
  Ref<NSString> stringValue() const { return description(); }

  // Numbers compare by value across kinds (1 == 1.0 == YES), as on the device.
  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override;
  NSComparisonResult compare(const NSNumber* other) const;

 private:
  Kind kind_ = Kind::Integer;
  long long i_ = 0;
  unsigned long long u_ = 0;
  double d_ = 0;
};

class NSNull : public NSObject {
 public:
  // The one instance.
  static NSNull* null();
  Ref<NSString> description() const override;
};

// Boxing helpers for C++ callers: @(5), @YES.
inline Ref<NSNumber> box(bool v) { return NSNumber::numberWithBool(v); }
inline Ref<NSNumber> box(int v) { return NSNumber::numberWithInteger(v); }
inline Ref<NSNumber> box(long v) { return NSNumber::numberWithInteger(v); }
inline Ref<NSNumber> box(long long v) { return NSNumber::numberWithInteger(v); }
inline Ref<NSNumber> box(double v) { return NSNumber::numberWithDouble(v); }
