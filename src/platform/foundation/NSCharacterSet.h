#pragma once
// The platform's predefined character sets (and their inverses).

#include "platform/foundation/NSObject.h"
#include "platform/foundation/text/charset.h"

class NSCharacterSet : public NSObject {
 public:
  NSCharacterSet() = default;
  explicit NSCharacterSet(text::CharacterSet set) : set_(set) {}

  static Ref<NSCharacterSet> whitespaceAndNewlineCharacterSet();
  static Ref<NSCharacterSet> whitespaceCharacterSet();
  static Ref<NSCharacterSet> newlineCharacterSet();
  static Ref<NSCharacterSet> decimalDigitCharacterSet();
  static Ref<NSCharacterSet> letterCharacterSet();
  static Ref<NSCharacterSet> alphanumericCharacterSet();
  static Ref<NSCharacterSet> punctuationCharacterSet();
  Ref<NSCharacterSet> invertedSet() const;

  bool characterIsMember(char32_t c) const { return set_.contains(c); }
  const text::CharacterSet& set() const { return set_; }

 private:
  text::CharacterSet set_{text::CharSet::WhitespaceAndNewline};
};
