#pragma once
// NSString: immutable UTF-16 text with the platform's semantics (lengths and
// ranges in UTF-16 code units). Value-equal strings are isEqual: and hash alike,
// so they key dictionaries as on the device. Immutable, so any thread may read.

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/text/range.h"

class NSArray;
class NSData;
class NSCharacterSet;

using unichar = char16_t;

enum NSComparisonResult : long { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };

enum NSStringCompareOptions : unsigned long {
  NSCaseInsensitiveSearch = 1,
  NSLiteralSearch = 2,
  NSNumericSearch = 64,
};

enum NSStringEncoding : unsigned long { NSUTF8StringEncoding = 4 };

constexpr NSInteger NSNotFound = LONG_MAX;

struct NSRange {
  NSUInteger location = 0;
  NSUInteger length = 0;
  friend bool operator==(const NSRange&, const NSRange&) = default;
};
inline NSRange NSMakeRange(NSUInteger location, NSUInteger length) { return {location, length}; }
OBJC_ENCODING(NSRange, "{_NSRange=QQ}");

// One argument of stringWithFormat:.
struct NSFormatArg {
  enum Kind { Object, Signed, Unsigned, Double, CString } kind;
  id object = nullptr;
  long long i = 0;
  unsigned long long u = 0;
  double d = 0;
  const char* s = nullptr;

  NSFormatArg(id o) : kind(Object), object(o) {}
  template <class T>
  NSFormatArg(const Ref<T>& o) : kind(Object), object(o.get()) {}
  NSFormatArg(int v) : kind(Signed), i(v) {}
  NSFormatArg(long v) : kind(Signed), i(v) {}
  NSFormatArg(long long v) : kind(Signed), i(v) {}
  NSFormatArg(unsigned v) : kind(Unsigned), u(v) {}
  NSFormatArg(unsigned long v) : kind(Unsigned), u(v) {}
  NSFormatArg(unsigned long long v) : kind(Unsigned), u(v) {}
  NSFormatArg(double v) : kind(Double), d(v) {}
  NSFormatArg(const char* v) : kind(CString), s(v) {}
};

class NSString : public NSObject {
 public:
  NSString() = default;
  explicit NSString(std::u16string chars) : chars_(std::move(chars)) {}

  static Ref<NSString> string();
  // nil when the bytes are not valid UTF-8.
  static Ref<NSString> stringWithUTF8String(std::string_view utf8);
  static Ref<NSString> stringWithCharacters(std::u16string chars);
  // initWithData:encoding: — nil when the data does not decode.
  static Ref<NSString> stringWithData(const NSData* data, NSStringEncoding encoding);
  // Supports %@ (the object's description, "(null)" for nil), %d %i %ld %lld
  // %u %lu %llu %x, %f %.Nf %g, %s, %c and %%. A directive without an argument
  // is a programming error.
  static Ref<NSString> stringWithFormat(std::string_view format, std::vector<NSFormatArg> args);
  template <class... A>
  static Ref<NSString> stringWithFormat(std::string_view format, const A&... args) {
    return stringWithFormat(format, std::vector<NSFormatArg>{NSFormatArg(args)...});
  }

  NSUInteger length() const { return chars_.size(); }
  unichar characterAtIndex(NSUInteger index) const;
  const std::u16string& characters() const { return chars_; }
  std::string UTF8String() const;
  std::string fileSystemRepresentation() const { return UTF8String(); }
  Ref<NSData> dataUsingEncoding(NSStringEncoding encoding) const;

  NSComparisonResult compare(const NSString* other) const;
  NSComparisonResult compare_options(const NSString* other, unsigned long options) const;
  NSComparisonResult caseInsensitiveCompare(const NSString* other) const;
  bool isEqualToString(const NSString* other) const;
  bool containsString(const NSString* other) const;
  bool hasPrefix(const NSString* prefix) const;
  bool hasSuffix(const NSString* suffix) const;
  // {NSNotFound, 0} when absent.
  NSRange rangeOfString(const NSString* other) const;
  NSRange rangeOfCharacterFromSet(const NSCharacterSet* set) const;

  Ref<NSString> substringWithRange(NSRange range) const;  // out of range: programming error
  Ref<NSString> substringFromIndex(NSUInteger index) const;
  Ref<NSString> substringToIndex(NSUInteger index) const;
  Ref<NSString> stringByAppendingString(const NSString* other) const;
  Ref<NSString> stringByAppendingPathComponent(const NSString* component) const;
  Ref<NSString> stringByReplacingOccurrencesOfString_withString(const NSString* target,
                                                                const NSString* replacement) const;
  Ref<NSString> stringByTrimmingCharactersInSet(const NSCharacterSet* set) const;
  Ref<NSString> uppercaseString() const;
  Ref<NSArray> componentsSeparatedByString(const NSString* separator) const;
  Ref<NSArray> componentsSeparatedByCharactersInSet(const NSCharacterSet* set) const;

  NSInteger integerValue() const;
  long long longLongValue() const { return integerValue(); }
  int intValue() const;
  double doubleValue() const;
  bool boolValue() const;

  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override;

 private:
  std::u16string chars_;
};

using NSStringRef = Ref<NSString>;

// A string literal: "Heat"_ns.
Ref<NSString> operator""_ns(const char* utf8, size_t length);

// The characters of s, or an empty view for nil.
inline std::u16string_view chars(const NSString* s) { return s ? std::u16string_view(s->characters()) : std::u16string_view(); }
// UTF-8 of s, or "" for nil.
inline std::string utf8(const NSString* s) { return s ? s->UTF8String() : std::string(); }

void registerNSStringClass();
