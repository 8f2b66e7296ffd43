#include "scorelens/lookup/request_support.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

namespace lookup {

NSString* keyText(const char* key) {
  // Never destroyed, like the module's other process-wide state; the keys
  // are the readers' literals, a few dozen at most.
  static auto* lock = new std::mutex;
  static auto* made = new std::unordered_map<std::string_view, Ref<NSString>>;
  std::lock_guard guard(*lock);
  auto [it, added] = made->try_emplace(key);
  if (added) it->second = ns(key);
  return it->second.get();
}

Ref<NSURL> httpsURL(const std::string& host, const NSString* path, const NSArray* queryItems) {
  Ref<NSURLComponents> components = NSURLComponents::components();
  components->setScheme(ns("https"));
  components->setHost(ns(host));
  if (path) components->setPath(path);
  if (queryItems) components->setQueryItems(queryItems);
  return components->URL();
}

Ref<NSString> httpsRoot(const std::string& host) {
  Ref<NSURL> url = httpsURL(host);
  return url ? url->absoluteString() : nullptr;
}

Ref<NSMutableURLRequest> newRequest(NSURL* url, const char* method,
                                    std::initializer_list<std::pair<const char*, Ref<NSString>>> headers) {
  Ref<NSMutableURLRequest> request =
      NSMutableURLRequest::requestWithURL_cachePolicy_timeoutInterval(url, NSURLRequestUseProtocolCachePolicy, kRequestTimeout);
  request->setHTTPMethod(ns(method));
  for (const auto& [name, value] : headers) request->setValue_forHTTPHeaderField(value, ns(name));
  return request;
}

NSString* nonEmptyText(id object, const char* key) {
  NSString* text = member<NSString>(object, key);
  return text && text->length() > 0 ? text : nullptr;
}

}  // namespace lookup
