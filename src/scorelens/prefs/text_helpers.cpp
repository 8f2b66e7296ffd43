// Title cleaning and name extraction shared by the lookup and the hooks.

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSRegularExpression.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {
// Titles are compared many times per search, from the main thread and the
// URL session's queue alike, so each expression is compiled once, under a
// one-time guard, and kept for the life of the process.
NSRegularExpression* compiledOnce(dispatch_once_t* guard, NSRegularExpression** slot, const char* pattern,
                                  unsigned long options) {
  dispatch_once(guard, [&] {
    Ref<NSError> error;
    Ref<NSRegularExpression> expression = NSRegularExpression::regularExpressionWithPattern_options_error(
        NSString::stringWithUTF8String(pattern), options, &error);
    *slot = expression.leak();
  });
  return *slot;
}

NSRegularExpression* parensExpression() {
  static dispatch_once_t guard = 0;
  static NSRegularExpression* expression = nullptr;
  return compiledOnce(&guard, &expression, R"(\s?\([^)]*\))", NSRegularExpressionCaseInsensitive);
}

NSRegularExpression* swiftNameExpression() {
  static dispatch_once_t guard = 0;
  static NSRegularExpression* expression = nullptr;
  return compiledOnce(&guard, &expression, R"re(name:\s*"([^"]+)")re", 0);
}

NSRange wholeRange(const NSString* string) { return NSMakeRange(0, string->length()); }
}  // namespace

Ref<NSString> CXPrefsManager::removeParensFromString(const NSString* string) {
  if (!string) return nullptr;
  NSRegularExpression* expression = parensExpression();
  if (!expression) return Ref<NSString>(const_cast<NSString*>(string));
  return expression->stringByReplacingMatchesInString_options_range_withTemplate(string, 0, wholeRange(string),
                                                                                 NSString::string());
}

Ref<NSString> CXPrefsManager::nameFromSwiftValueDescription(const NSString* description) {
  if (!description) return nullptr;
  NSRegularExpression* expression = swiftNameExpression();
  if (!expression) return nullptr;
  Ref<NSTextCheckingResult> match = expression->firstMatchInString_options_range(description, 0, wholeRange(description));
  if (!match || match->numberOfRanges() < 2) return nullptr;
  NSRange name = match->rangeAtIndex(1);
  if (name.location == static_cast<NSUInteger>(NSNotFound)) return nullptr;
  return description->substringWithRange(name);
}

Ref<NSArray> CXPrefsManager::namesForMetadataContents(const NSArray* contents) {
  Ref<NSMutableArray> names = NSMutableArray::arrayWithCapacity(contents ? contents->count() : 0);
  if (contents) {
    // The wrapper the host's run time uses for values without an object form;
    // absent from processes that have none.
    Class swiftValue = objc_getClass("__SwiftValue");
    for (const StrongId& element : *contents) {
      if (auto* record = objc_cast<NSDictionary>(element.get())) {
        if (id name = record->objectForKey(NSString::stringWithUTF8String("name"))) names->addObject(name);
        continue;
      }
      if (!swiftValue) continue;
      bool wrapped = false;
      for (Class c = object_getClass(element.get()); c && !wrapped; c = class_getSuperclass(c)) wrapped = c == swiftValue;
      if (!wrapped || !class_respondsToSelector(object_getClass(element.get()), sel("description"))) continue;
      Ref<NSString> description = objc_msgSend<Ref<NSString>>(element.get(), "description");
      if (Ref<NSString> name = nameFromSwiftValueDescription(description)) names->addObject(name);
    }
  }
  return names->copyArray();
}
