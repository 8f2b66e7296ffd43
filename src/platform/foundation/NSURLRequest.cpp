// NSURLRequest, NSMutableURLRequest and NSHTTPURLResponse.

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/foundation/NSURL.h"

namespace {

bool sameFieldName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool sameFieldName(const NSString* a, const NSString* b) {
  return a && b && sameFieldName(a->UTF8String(), b->UTF8String());
}

// Header bytes from the wire: UTF-8 when they are, else Latin-1, so that a
// stray byte never loses the whole field.
Ref<NSString> fieldText(const std::string& bytes) {
  if (auto text = NSString::stringWithUTF8String(bytes)) return text;
  std::u16string latin1(bytes.begin(), bytes.end());
  std::transform(bytes.begin(), bytes.end(), latin1.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  return NSString::stringWithCharacters(std::move(latin1));
}

const char* const kDefaultMethod = "GET";

}  // namespace

// --- NSURLRequest -------------------------------------------------------------

Ref<NSURLRequest> NSURLRequest::requestWithURL(NSURL* url) {
  auto request = make<NSURLRequest>();
  request->url_ = url;
  return request;
}

Ref<NSString> NSURLRequest::HTTPMethod() const { return method_ ? method_ : NSString::stringWithUTF8String(kDefaultMethod); }

Ref<NSString> NSURLRequest::valueForHTTPHeaderField(const NSString* field) const {
  for (const auto& [name, value] : headers_)
    if (sameFieldName(name.get(), field)) return value;
  return nullptr;
}

Ref<NSDictionary> NSURLRequest::allHTTPHeaderFields() const {
  auto fields = NSMutableDictionary::dictionary();
  for (const auto& [name, value] : headers_) fields->setObject_forKey(value.get(), name.get());
  return fields->copyDictionary();
}

void NSURLRequest::copyFieldsFrom(const NSURLRequest& other) {
  url_ = other.url_;
  method_ = other.method_;
  headers_ = other.headers_;
  body_ = other.body_;
  cachePolicy_ = other.cachePolicy_;
  timeout_ = other.timeout_;
}

Ref<NSObject> NSURLRequest::copy() const {
  if (isa == objc::classOf<NSURLRequest>()) return Ref<NSObject>(const_cast<NSURLRequest*>(this));
  auto request = make<NSURLRequest>();
  request->copyFieldsFrom(*this);
  return request;
}

Ref<NSMutableURLRequest> NSURLRequest::mutableCopy() const {
  auto request = make<NSMutableURLRequest>();
  static_cast<NSURLRequest&>(*request).copyFieldsFrom(*this);
  return request;
}

// --- NSMutableURLRequest --------------------------------------------------------

Ref<NSMutableURLRequest> NSMutableURLRequest::requestWithURL(NSURL* url) {
  auto request = make<NSMutableURLRequest>();
  request->setURL(url);
  return request;
}

Ref<NSMutableURLRequest> NSMutableURLRequest::requestWithURL_cachePolicy_timeoutInterval(NSURL* url,
                                                                                         NSURLRequestCachePolicy policy,
                                                                                         double timeout) {
  auto request = requestWithURL(url);
  request->setCachePolicy(policy);
  request->setTimeoutInterval(timeout);
  return request;
}

void NSMutableURLRequest::setURL(NSURL* url) { url_ = url; }

void NSMutableURLRequest::setHTTPMethod(const NSString* method) { method_ = const_cast<NSString*>(method); }

void NSMutableURLRequest::setValue_forHTTPHeaderField(const NSString* value, const NSString* field) {
  if (!field) return;
  auto existing = std::find_if(headers_.begin(), headers_.end(),
                               [&](const auto& entry) { return sameFieldName(entry.first.get(), field); });
  if (!value) {
    if (existing != headers_.end()) headers_.erase(existing);
  } else if (existing != headers_.end()) {
    existing->second = const_cast<NSString*>(value);
  } else {
    headers_.emplace_back(const_cast<NSString*>(field), const_cast<NSString*>(value));
  }
}

void NSMutableURLRequest::setHTTPBody(NSData* body) { body_ = body; }

// --- NSHTTPURLResponse -----------------------------------------------------------

NSHTTPURLResponse::NSHTTPURLResponse(Ref<NSURL> url, NSInteger status,
                                     std::vector<std::pair<std::string, std::string>> headers)
    : status_(status), headers_(std::move(headers)) {
  url_ = std::move(url);
}

Ref<NSString> NSHTTPURLResponse::valueForHTTPHeaderField(const NSString* field) const {
  if (!field) return nullptr;
  std::string wanted = field->UTF8String();
  std::string joined;
  bool found = false;
  for (const auto& [name, value] : headers_) {
    if (!sameFieldName(name, wanted)) continue;
    if (found) joined += ", ";
    joined += value;
    found = true;
  }
  return found ? fieldText(joined) : nullptr;
}

Ref<NSDictionary> NSHTTPURLResponse::allHeaderFields() const {
  std::vector<std::pair<std::string, std::string>> joined;  // first spelling, in order of arrival
  for (const auto& field : headers_) {
    // Not a structured binding: clang before 16 cannot capture one in a lambda.
    const auto& [name, value] = field;
    auto entry =
        std::find_if(joined.begin(), joined.end(), [&](const auto& e) { return sameFieldName(e.first, field.first); });
    if (entry == joined.end())
      joined.emplace_back(name, value);
    else
      entry->second += ", " + value;
  }
  auto fields = NSMutableDictionary::dictionary();
  for (const auto& [name, value] : joined) fields->setObject_forKey(fieldText(value).get(), fieldText(name).get());
  return fields->copyDictionary();
}
