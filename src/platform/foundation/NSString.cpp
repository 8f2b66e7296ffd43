#include "platform/foundation/NSString.h"

#include <fmt/format.h>

#include <cstdio>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/text/charset.h"
#include "platform/foundation/text/compare.h"
#include "platform/foundation/text/encoding.h"
#include "platform/foundation/text/number.h"
#include "platform/foundation/text/search.h"

namespace {
NSComparisonResult toResult(text::Ordering o) { return static_cast<NSComparisonResult>(static_cast<int>(o)); }

void checkRange(const std::u16string& s, NSUInteger location, NSUInteger length) {
  if (location > s.size() || length > s.size() - location)
    objc::fatal(fmt::format("NSString: range {{{}, {}}} out of bounds for length {}", location, length, s.size()));
}

Ref<NSString> make16(std::u16string s) { return make<NSString>(std::move(s)); }

std::string describe(id object) {
  if (!object) return "(null)";
  Ref<NSString> d = objc_msgSend<Ref<NSString>>(object, "description");
  return d ? d->UTF8String() : "(null)";
}

// Formats one printf directive (flags, width, precision, length) with a value.
template <class T>
std::string printfOne(const std::string& spec, T value) {
  int n = std::snprintf(nullptr, 0, spec.c_str(), value);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, spec.c_str(), value);
  return out;
}
}  // namespace

Ref<NSString> NSString::string() { return make<NSString>(); }

Ref<NSString> NSString::stringWithUTF8String(std::string_view utf8) {
  std::optional<std::u16string> chars = text::fromUtf8(utf8);
  return chars ? make16(std::move(*chars)) : nullptr;
}

Ref<NSString> NSString::stringWithCharacters(std::u16string chars) { return make16(std::move(chars)); }

Ref<NSString> NSString::stringWithData(const NSData* data, NSStringEncoding encoding) {
  if (!data || encoding != NSUTF8StringEncoding) return nullptr;
  return stringWithUTF8String(data->bytes());
}

Ref<NSString> NSString::stringWithFormat(std::string_view format, std::vector<NSFormatArg> args) {
  std::string out;
  size_t next = 0;
  auto take = [&](std::string_view directive) -> const NSFormatArg& {
    if (next >= args.size()) objc::fatal(fmt::format("stringWithFormat: no argument for {}", directive));
    return args[next++];
  };
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    size_t start = i++;
    while (i < format.size() && std::string_view("-+ #0123456789.").find(format[i]) != std::string_view::npos) ++i;
    std::string length;
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h' || format[i] == 'q' || format[i] == 'z')) length += format[i++];
    if (i >= format.size()) objc::fatal("stringWithFormat: unterminated directive");
    char conv = format[i];
    std::string flags(format.substr(start, i - start - length.size()));
    std::string_view directive = format.substr(start, i - start + 1);
    switch (conv) {
      case '%': out += '%'; break;
      case '@': out += describe(take(directive).object); break;
      case 'd': case 'i': {
        const NSFormatArg& a = take(directive);
        out += printfOne(flags + "lld", a.kind == NSFormatArg::Unsigned ? static_cast<long long>(a.u) : a.i);
        break;
      }
      case 'u': case 'x': case 'X': {
        const NSFormatArg& a = take(directive);
        out += printfOne(flags + "ll" + conv, a.kind == NSFormatArg::Signed ? static_cast<unsigned long long>(a.i) : a.u);
        break;
      }
      case 'f': case 'g': case 'e': {
        const NSFormatArg& a = take(directive);
        double v = a.kind == NSFormatArg::Double ? a.d : a.kind == NSFormatArg::Signed ? double(a.i) : double(a.u);
        out += printfOne(flags + conv, v);
        break;
      }
      case 's': {
        const NSFormatArg& a = take(directive);
        out += a.s ? a.s : "(null)";
        break;
      }
      case 'c': out += static_cast<char>(take(directive).i); break;
      default: objc::fatal(fmt::format("stringWithFormat: unsupported directive {}", directive));
    }
  }
  return stringWithUTF8String(out);
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  checkRange(chars_, index, 1);
  return chars_[index];
}

std::string NSString::UTF8String() const { return text::toUtf8(chars_); }

Ref<NSData> NSString::dataUsingEncoding(NSStringEncoding encoding) const {
  if (encoding != NSUTF8StringEncoding) return nullptr;
  return NSData::dataWithBytes(UTF8String());
}

NSComparisonResult NSString::compare(const NSString* other) const { return compare_options(other, 0); }

NSComparisonResult NSString::compare_options(const NSString* other, unsigned long options) const {
  return toResult(text::compare(chars_, chars(other), static_cast<unsigned>(options)));
}

NSComparisonResult NSString::caseInsensitiveCompare(const NSString* other) const {
  return compare_options(other, NSCaseInsensitiveSearch);
}

bool NSString::isEqualToString(const NSString* other) const { return other && chars_ == other->chars_; }

bool NSString::containsString(const NSString* other) const { return text::contains(chars_, chars(other)); }

bool NSString::hasPrefix(const NSString* prefix) const { return text::hasPrefix(chars_, chars(prefix)); }

bool NSString::hasSuffix(const NSString* suffix) const { return text::hasSuffix(chars_, chars(suffix)); }

NSRange NSString::rangeOfString(const NSString* other) const {
  size_t at = text::find(chars_, chars(other));
  if (at == text::notFound) return {static_cast<NSUInteger>(NSNotFound), 0};
  return {at, other->length()};
}

NSRange NSString::rangeOfCharacterFromSet(const NSCharacterSet* set) const {
  if (!set) return {static_cast<NSUInteger>(NSNotFound), 0};
  text::Range r = text::rangeOfCharacterFromSet(chars_, set->set());
  if (!r.found()) return {static_cast<NSUInteger>(NSNotFound), 0};
  return {r.location, r.length};
}

Ref<NSString> NSString::substringWithRange(NSRange range) const {
  checkRange(chars_, range.location, range.length);
  return make16(chars_.substr(range.location, range.length));
}

Ref<NSString> NSString::substringFromIndex(NSUInteger index) const {
  checkRange(chars_, index, 0);
  return make16(chars_.substr(index));
}

Ref<NSString> NSString::substringToIndex(NSUInteger index) const {
  checkRange(chars_, 0, index);
  return make16(chars_.substr(0, index));
}

Ref<NSString> NSString::stringByAppendingString(const NSString* other) const {
  return make16(chars_ + std::u16string(chars(other)));
}

Ref<NSString> NSString::stringByAppendingPathComponent(const NSString* component) const {
  std::u16string out = chars_;
  if (!out.empty() && out.back() != u'/') out += u'/';
  std::u16string_view c = chars(component);
  while (!c.empty() && c.front() == u'/') c.remove_prefix(1);
  return make16(out + std::u16string(c));
}

Ref<NSString> NSString::stringByReplacingOccurrencesOfString_withString(const NSString* target,
                                                                      const NSString* replacement) const {
  return make16(text::replaceAll(chars_, chars(target), chars(replacement)));
}

Ref<NSString> NSString::stringByTrimmingCharactersInSet(const NSCharacterSet* set) const {
  if (!set) return make16(chars_);
  size_t begin = 0, end = chars_.size();
  while (begin < end && set->characterIsMember(chars_[begin])) ++begin;
  while (end > begin && set->characterIsMember(chars_[end - 1])) --end;
  return make16(chars_.substr(begin, end - begin));
}

Ref<NSString> NSString::uppercaseString() const { return make16(text::toUpper(chars_)); }


Ref<NSArray> NSString::componentsSeparatedByString(const NSString* separator) const {
  Ref<NSMutableArray> out = NSMutableArray::array();
  std::u16string_view sep = chars(separator);
  size_t from = 0;
  while (!sep.empty()) {
    size_t at = text::find(chars_, sep, from);
    if (at == text::notFound) break;
    out->addObject(make16(chars_.substr(from, at - from)));
    from = at + sep.size();
  }
  out->addObject(make16(chars_.substr(from)));
  return out->copyArray();
}

Ref<NSArray> NSString::componentsSeparatedByCharactersInSet(const NSCharacterSet* set) const {
  Ref<NSMutableArray> out = NSMutableArray::array();
  if (!set) {
    out->addObject(make16(chars_));
  } else {
    for (auto& word : text::componentsSeparatedByCharactersInSet(chars_, set->set())) out->addObject(make16(std::move(word)));
  }
  return out->copyArray();
}

NSInteger NSString::integerValue() const { return text::integerValue(chars_); }

int NSString::intValue() const {
  NSInteger v = integerValue();
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

double NSString::doubleValue() const { return text::doubleValue(chars_); }

bool NSString::boolValue() const {
  // As the platform: a leading Y, y, T, t or a non-zero digit after optional space and sign.
  for (char16_t c : chars_) {
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'+' || c == u'-' || c == u'0') continue;
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
  }
  return false;
}

bool NSString::isEqual(id other) const {
  auto* s = dynamic_cast<const NSString*>(other);
  return s && s->chars_ == chars_;
}

NSUInteger NSString::hash() const { return std::hash<std::u16string>{}(chars_); }

Ref<NSString> NSString::description() const { return Ref<NSString>(const_cast<NSString*>(this)); }

Ref<NSString> operator""_ns(const char* utf8, size_t length) {
  Ref<NSString> s = NSString::stringWithUTF8String(std::string_view(utf8, length));
  if (!s) objc::fatal("invalid UTF-8 in a string literal");
  return s;
}

// --- character sets ------------------------------------------------------------

namespace {
Ref<NSCharacterSet> predefined(text::CharSet set) { return make<NSCharacterSet>(text::CharacterSet{set, false}); }
}  // namespace

Ref<NSCharacterSet> NSCharacterSet::whitespaceAndNewlineCharacterSet() { return predefined(text::CharSet::WhitespaceAndNewline); }
Ref<NSCharacterSet> NSCharacterSet::whitespaceCharacterSet() { return predefined(text::CharSet::Whitespace); }
Ref<NSCharacterSet> NSCharacterSet::newlineCharacterSet() { return predefined(text::CharSet::Newline); }
Ref<NSCharacterSet> NSCharacterSet::decimalDigitCharacterSet() { return predefined(text::CharSet::DecimalDigit); }
Ref<NSCharacterSet> NSCharacterSet::letterCharacterSet() { return predefined(text::CharSet::Letter); }
Ref<NSCharacterSet> NSCharacterSet::alphanumericCharacterSet() { return predefined(text::CharSet::Alphanumeric); }
Ref<NSCharacterSet> NSCharacterSet::punctuationCharacterSet() { return predefined(text::CharSet::Punctuation); }
Ref<NSCharacterSet> NSCharacterSet::invertedSet() const { return make<NSCharacterSet>(set_.invertedSet()); }

void registerNSStringClass() {
  Class cls = objc::registerClass<NSString>("NSString", objc::classOf<NSObject>());
  objc::addMethod<&NSString::length>(cls, "length");
  objc::registerClass<NSCharacterSet>("NSCharacterSet", objc::classOf<NSObject>());
}
