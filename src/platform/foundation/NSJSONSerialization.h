#pragma once
// JSON in and out of Foundation values. Decoding is strict: the top level is
// an object or an array, null becomes NSNull, numbers become NSNumber (true and
// false are boolean numbers), invalid UTF-8 or trailing garbage is an error.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"

enum NSJSONReadingOptions : unsigned long { NSJSONReadingMutableContainers = 1, NSJSONReadingFragmentsAllowed = 4 };
enum NSJSONWritingOptions : unsigned long { NSJSONWritingPrettyPrinted = 1, NSJSONWritingSortedKeys = 2 };

class NSJSONSerialization {
 public:
  // The decoded value, or nil with *error set (NSCocoaErrorDomain, 3840).
  static StrongId JSONObjectWithData_options_error(const NSData* data, unsigned long options, Ref<NSError>* error);
  // Compact UTF-8 JSON (no options), or nil with *error set when the value
  // holds something JSON cannot carry (only strings, numbers, NSNull, arrays
  // and dictionaries with string keys can be written).
  static Ref<NSData> dataWithJSONObject_options_error(id object, unsigned long options, Ref<NSError>* error);
  static bool isValidJSONObject(id object);
};
