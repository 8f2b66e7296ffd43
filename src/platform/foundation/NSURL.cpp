#include "platform/foundation/NSURL.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/foundation/NSValue.h"
#include "platform/foundation/url/syntax.h"

namespace {

std::optional<url::Parts> partsOf(const NSString* string) {
  if (!string) return std::nullopt;
  return url::parse(string->UTF8String());
}

Ref<NSString> textOf(const std::optional<std::string>& part) {
  return part ? NSString::stringWithUTF8String(*part) : nullptr;
}

// nil when the escapes are malformed or decode to bytes that are not UTF-8.
Ref<NSString> decoded(const std::string& encoded) {
  auto bytes = url::percentDecode(encoded);
  return bytes ? NSString::stringWithUTF8String(*bytes) : nullptr;
}

}  // namespace

Ref<NSURL> NSURL::URLWithString(const NSString* string) {
  if (!partsOf(string)) return nullptr;
  return make<NSURL>(Ref<NSString>(const_cast<NSString*>(string)));
}

Ref<NSURL> NSURL::fileURLWithPath(const NSString* path) {
  if (!path || path->length() == 0) objc::fatal("NSURL fileURLWithPath: needs a non-empty path");
  std::filesystem::path full(path->UTF8String());
  std::error_code error;
  if (full.is_relative()) {
    auto base = std::filesystem::current_path(error);
    if (!error) full = base / full;
  }
  std::string text = full.lexically_normal().string();
  if (!text.ends_with('/') && std::filesystem::is_directory(full, error)) text += '/';
  return make<NSURL>(NSString::stringWithUTF8String("file://" + url::percentEncode(text, url::AllowedSet::Path)));
}

Ref<NSString> NSURL::scheme() const {
  auto parts = partsOf(string_.get());
  return parts ? textOf(parts->scheme) : nullptr;
}

Ref<NSString> NSURL::host() const {
  auto parts = partsOf(string_.get());
  if (!parts || !parts->host) return nullptr;
  std::string host = *parts->host;
  if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
  return decoded(host);
}

Ref<NSString> NSURL::path() const {
  auto parts = partsOf(string_.get());
  if (!parts) return nullptr;
  std::string path = parts->path;
  if (path.size() > 1 && path.ends_with('/')) path.pop_back();
  return decoded(path);
}

Ref<NSString> NSURL::query() const {
  auto parts = partsOf(string_.get());
  return parts ? textOf(parts->query) : nullptr;
}

Ref<NSString> NSURL::fragment() const {
  auto parts = partsOf(string_.get());
  return parts ? textOf(parts->fragment) : nullptr;
}

StrongId NSURL::port() const {
  auto parts = partsOf(string_.get());
  if (!parts || !parts->port || parts->port->empty()) return nullptr;
  const std::string& digits = *parts->port;
  NSInteger value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return nullptr;
  return NSNumber::numberWithInteger(value);
}

bool NSURL::isEqual(id other) const {
  auto* url = objc_cast<NSURL>(other);
  if (!url) return false;
  if (url == this) return true;
  return string_ && url->string_ && string_->isEqualToString(url->string_.get());
}

NSUInteger NSURL::hash() const { return string_ ? string_->hash() : 0; }

Ref<NSURLQueryItem> NSURLQueryItem::queryItemWithName_value(const NSString* name, const NSString* value) {
  return make<NSURLQueryItem>(Ref<NSString>(const_cast<NSString*>(name)), Ref<NSString>(const_cast<NSString*>(value)));
}
