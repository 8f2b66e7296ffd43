#include "platform/foundation/NSValue.h"

#include <fmt/format.h>

#include <cmath>

namespace {
// The size of the scalar encodings NSValue boxes here.
size_t sizeOfType(const char* type) {
  switch (type ? type[0] : '\0') {
    case 'c': case 'C': case 'B': return 1;
    case 's': case 'S': return 2;
    case 'i': case 'I': case 'f': return 4;
    case 'q': case 'Q': case 'l': case 'L': case 'd': case ':': case '#': case '@': case '^': case '*': return 8;
    default: return 0;
  }
}
}  // namespace

NSValue::NSValue(const void* bytes, size_t size, std::string type)
    : type_(std::move(type)), bytes_(static_cast<const char*>(bytes), size) {}

Ref<NSValue> NSValue::valueWithBytes_objCType(const void* bytes, const char* type) {
  size_t size = sizeOfType(type);
  if (!bytes || size == 0) objc::fatal(fmt::format("valueWithBytes:objCType: unsupported type {}", type ? type : "null"));
  return make<NSValue>(bytes, size, type);
}

void NSValue::getValue(void* out) const {
  if (out) std::memcpy(out, bytes_.data(), bytes_.size());
}

bool NSValue::isEqual(id other) const {
  auto* v = dynamic_cast<const NSValue*>(other);
  return v && v->type_ == type_ && v->bytes_ == bytes_;
}

NSUInteger NSValue::hash() const { return std::hash<std::string>{}(bytes_); }

// --- NSNumber ------------------------------------------------------------------

Ref<NSNumber> NSNumber::numberWithBool(bool v) {
  auto n = make<NSNumber>();
  n->kind_ = Kind::Bool;
  n->i_ = v ? 1 : 0;
  n->type_ = "c";  // the platform encodes BOOL numbers as char
  return n;
}

Ref<NSNumber> NSNumber::numberWithInteger(NSInteger v) {
  auto n = make<NSNumber>();
  n->kind_ = Kind::Integer;
  n->i_ = v;
  n->type_ = "q";
  return n;
}

Ref<NSNumber> NSNumber::numberWithUnsignedInteger(NSUInteger v) {
  auto n = make<NSNumber>();
  n->kind_ = Kind::Unsigned;
  n->u_ = v;
  n->type_ = "Q";
  return n;
}

Ref<NSNumber> NSNumber::numberWithDouble(double v) {
  auto n = make<NSNumber>();
  n->kind_ = Kind::Double;
  n->d_ = v;
  n->type_ = "d";
  return n;
}

bool NSNumber::boolValue() const {
  switch (kind_) {
    case Kind::Double: return d_ != 0;
    case Kind::Unsigned: return u_ != 0;
    default: return i_ != 0;
  }
}

NSInteger NSNumber::integerValue() const {
  switch (kind_) {
    case Kind::Double: {
      // Truncates toward zero; out-of-range and NaN clamp instead of being undefined.
      if (std::isnan(d_)) return 0;
      if (d_ >= 9.2233720368547758e18) return INT64_MAX;
      if (d_ <= -9.2233720368547758e18) return INT64_MIN;
      return static_cast<NSInteger>(d_);
    }
    case Kind::Unsigned: return static_cast<NSInteger>(u_);
    default: return i_;
  }
}

NSUInteger NSNumber::unsignedIntegerValue() const {
  return kind_ == Kind::Unsigned ? u_ : static_cast<NSUInteger>(integerValue());
}

double NSNumber::doubleValue() const {
  switch (kind_) {
    case Kind::Double: return d_;
    case Kind::Unsigned: return static_cast<double>(u_);
    default: return static_cast<double>(i_);
  }
}

NSComparisonResult NSNumber::compare(const NSNumber* other) const {
  if (!other) return NSOrderedDescending;
  if (kind_ != Kind::Double && other->kind_ != Kind::Double && kind_ != Kind::Unsigned && other->kind_ != Kind::Unsigned) {
    return i_ < other->i_ ? NSOrderedAscending : i_ > other->i_ ? NSOrderedDescending : NSOrderedSame;
  }
  double a = doubleValue(), b = other->doubleValue();
  return a < b ? NSOrderedAscending : a > b ? NSOrderedDescending : NSOrderedSame;
}

bool NSNumber::isEqual(id other) const {
  auto* n = dynamic_cast<const NSNumber*>(other);
  return n && compare(n) == NSOrderedSame;
}

NSUInteger NSNumber::hash() const {
  double d = doubleValue();
  if (d == std::floor(d) && std::abs(d) < 9e18) return static_cast<NSUInteger>(static_cast<long long>(d));
  return std::hash<double>{}(d);
}

Ref<NSString> NSNumber::description() const {
  switch (kind_) {
    case Kind::Double: {
      // %.17g keeps every value exact; the device prints the shortest form.
      std::string s = fmt::format("{}", d_);
      return NSString::stringWithUTF8String(s);
    }
    case Kind::Unsigned: return NSString::stringWithUTF8String(fmt::format("{}", u_));
    default: return NSString::stringWithUTF8String(fmt::format("{}", i_));
  }
}

// --- NSNull ----------------------------------------------------------------------

NSNull* NSNull::null() {
  static NSNull* instance = [] {
    NSNull* n = make<NSNull>().leak();
    n->makeImmortal();
    return n;
  }();
  return instance;
}

Ref<NSString> NSNull::description() const { return "<null>"_ns; }
