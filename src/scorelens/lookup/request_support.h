#pragma once
// Helpers shared by the lookup's request builders and answer readers. Internal
// to the lookup.

#include <initializer_list>
#include <string>
#include <utility>

#include "platform/foundation/NSURL.h"

namespace lookup {

// Every request of the lookup presents itself as the phone's browser.
inline constexpr const char* kUserAgent =
    "Mozilla/5.0 (iPhone; CPU iPhone OS 16_4_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/16.4 Mobile/15E148 Safari/604.1";
inline constexpr double kRequestTimeout = 30;

inline Ref<NSString> ns(const char* utf8) { return NSString::stringWithUTF8String(utf8); }
inline Ref<NSString> ns(const std::string& utf8) { return NSString::stringWithUTF8String(utf8); }

// https://<host><path>?<items>, built by the URL builder so each part is
// percent-encoded as the platform does. nil when the parts form no URL.
Ref<NSURL> httpsURL(const std::string& host, const NSString* path = nullptr, const NSArray* queryItems = nullptr);

// "https://<host>": the root address, with nothing after the host.
Ref<NSString> httpsRoot(const std::string& host);

// A request with the lookup's cache policy and time-out, the method and the
// header fields in the given order.
Ref<NSMutableURLRequest> newRequest(NSURL* url, const char* method,
                                    std::initializer_list<std::pair<const char*, Ref<NSString>>> headers);

// Reading decoded JSON: a member of an object, as T, or null when the object
// is not a dictionary, the member is missing or it has another type.
// The text of a key, made once for the process: the answers' readers ask
// for the same few keys of every hit. Any thread.
NSString* keyText(const char* key);

template <class T>
T* member(id object, const char* key) {
  auto* dictionary = objc_cast<NSDictionary>(object);
  return dictionary ? objc_cast<T>(dictionary->objectForKey(keyText(key))) : nullptr;
}

// A text member of length at least 1, or null.
NSString* nonEmptyText(id object, const char* key);

}  // namespace lookup
