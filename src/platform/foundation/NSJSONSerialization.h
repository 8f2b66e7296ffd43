#pragma once
// JSON in and out of Foundation values. Decoding is strict: the top level is
// an object or an array, null becomes NSNull, numbers become NSNumber (true and
// false are boolean numbers), invalid UTF-8 or trailing garbage is an error.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"

enum NSJSONReadingOptions : unsigned long {
  NSJSONReadingMutableContainers = 1,  // arrays and objects decode as the mutable classes
  NSJSONReadingFragmentsAllowed = 4,   // a lone string, number, boolean or null is accepted
};
enum NSJSONWritingOptions : unsigned long {
  NSJSONWritingPrettyPrinted = 1,           // two-space indent, "key" : value
  NSJSONWritingSortedKeys = 2,              // object members by key (UTF-16 order)
  NSJSONWritingFragmentsAllowed = 4,        // a lone string, number or null may be written
  NSJSONWritingWithoutEscapingSlashes = 8,  // "/" instead of "\/"
};

// Error code of every JSON failure, in NSCocoaErrorDomain (NSPropertyListReadCorruptError).
inline constexpr NSInteger NSJSONSerializationErrorCode = 3840;
// Arrays and objects nest at most this deep, in either direction; deeper
// input is an error rather than a risk to the stack.
inline constexpr int NSJSONSerializationMaxDepth = 512;

class NSJSONSerialization {
 public:
  // The decoded value (a new object graph owned by the caller; immutable
  // dictionaries make each value when it is first read), or nil with
  // *error set (NSCocoaErrorDomain, 3840; userInfo's NSDebugDescription says
  // what and where). Object members keep their order; a repeated key keeps
  // its last value. Integers that fit 64 bits decode as integer numbers,
  // other numbers as doubles; a number too large for a double is an error.
  // Only UTF-8 (with or without a byte order mark) is read. Any thread;
  // cost linear in the data. A nil data is a programming error, as on the device.
  static StrongId JSONObjectWithData_options_error(const NSData* data, unsigned long options, Ref<NSError>* error);
  // UTF-8 JSON, compact unless NSJSONWritingPrettyPrinted, or nil with *error
  // set (3840) when the value holds something JSON cannot carry: only
  // strings, finite numbers, NSNull, arrays and dictionaries with string keys
  // can be written, and the top level must be an array or a dictionary unless
  // NSJSONWritingFragmentsAllowed. Strings are escaped as the device does
  // ("/" as "\/"); doubles print in their shortest exact form. The value must
  // not be mutated by another thread meanwhile.
  static Ref<NSData> dataWithJSONObject_options_error(id object, unsigned long options, Ref<NSError>* error);
  // Whether dataWithJSONObject would succeed with no options.
  static bool isValidJSONObject(id object);
};
