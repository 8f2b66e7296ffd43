#include <fmt/format.h>

#include <charconv>
#include <system_error>

#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/url/syntax.h"

namespace {

Ref<NSString> encoded(const NSString* text, url::AllowedSet set) {
  if (!text) return nullptr;
  return NSString::stringWithUTF8String(url::percentEncode(text->UTF8String(), set));
}

// The decoded text, or nil when it does not decode to UTF-8.
Ref<NSString> decoded(const NSString* text) {
  if (!text) return nullptr;
  auto bytes = url::percentDecode(text->UTF8String());
  return bytes ? NSString::stringWithUTF8String(*bytes) : nullptr;
}

Ref<NSString> optionalText(const std::optional<std::string>& part) {
  return part ? NSString::stringWithUTF8String(*part) : nullptr;
}

std::optional<std::string> optionalBytes(const Ref<NSString>& text) {
  if (!text) return std::nullopt;
  return text->UTF8String();
}

}  // namespace

Ref<NSURLComponents> NSURLComponents::components() { return make<NSURLComponents>(); }

Ref<NSURLComponents> NSURLComponents::componentsWithString(const NSString* string) {
  if (!string) return nullptr;
  auto parts = url::parse(string->UTF8String());
  if (!parts) return nullptr;
  auto result = make<NSURLComponents>();
  result->scheme_ = optionalText(parts->scheme);
  result->user_ = optionalText(parts->user);
  result->password_ = optionalText(parts->password);
  result->host_ = optionalText(parts->host);
  result->path_ = NSString::stringWithUTF8String(parts->path);
  result->query_ = optionalText(parts->query);
  result->fragment_ = optionalText(parts->fragment);
  if (parts->port && !parts->port->empty()) {
    const std::string& digits = *parts->port;
    NSInteger port = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size()) return nullptr;  // no port is that large
    result->port_ = NSNumber::numberWithInteger(port);
  }
  return result;
}

void NSURLComponents::setScheme(const NSString* scheme) {
  if (scheme && !url::isValidScheme(scheme->UTF8String()))
    objc::fatal(fmt::format("NSURLComponents setScheme: invalid characters in scheme \"{}\"", scheme->UTF8String()));
  scheme_ = scheme ? Ref<NSString>(const_cast<NSString*>(scheme)) : nullptr;
}

void NSURLComponents::setHost(const NSString* host) { host_ = encoded(host, url::AllowedSet::Host); }

void NSURLComponents::setPort(id port) {
  if (!port) {
    port_ = nullptr;
    return;
  }
  auto* number = objc_cast<NSNumber>(port);
  if (!number || number->integerValue() < 0)
    objc::fatal("NSURLComponents setPort: needs a non-negative NSNumber or nil");
  port_ = StrongId(port);
}

void NSURLComponents::setPath(const NSString* path) { path_ = encoded(path, url::AllowedSet::Path); }

void NSURLComponents::setQueryItems(const NSArray* items) {
  if (!items) {
    query_ = nullptr;
    return;
  }
  std::string query;
  bool first = true;
  for (const StrongId& object : *items) {
    auto* item = objc_cast<NSURLQueryItem>(object.get());
    if (!item) objc::fatal("NSURLComponents setQueryItems: needs an array of NSURLQueryItem");
    if (!first) query += '&';
    first = false;
    query += url::percentEncode(utf8(item->name()), url::AllowedSet::QueryItemName);
    if (item->value()) query += "=" + url::percentEncode(item->value()->UTF8String(), url::AllowedSet::QueryItemValue);
  }
  query_ = NSString::stringWithUTF8String(query);
}

void NSURLComponents::setPercentEncodedQuery(const NSString* query) {
  if (query && !url::isPercentEncoded(query->UTF8String(), url::AllowedSet::Query))
    objc::fatal(fmt::format("NSURLComponents setPercentEncodedQuery: \"{}\" is not percent-encoded", query->UTF8String()));
  query_ = query ? Ref<NSString>(const_cast<NSString*>(query)) : nullptr;
}

void NSURLComponents::setFragment(const NSString* fragment) {
  fragment_ = encoded(fragment, url::AllowedSet::Fragment);
}

Ref<NSString> NSURLComponents::host() const { return decoded(host_.get()); }

Ref<NSString> NSURLComponents::path() const { return path_ ? decoded(path_.get()) : NSString::string(); }

Ref<NSString> NSURLComponents::percentEncodedPath() const { return path_ ? path_ : NSString::string(); }

Ref<NSString> NSURLComponents::query() const { return decoded(query_.get()); }

Ref<NSString> NSURLComponents::fragment() const { return decoded(fragment_.get()); }

Ref<NSArray> NSURLComponents::queryItems() const {
  if (!query_) return nullptr;
  auto items = NSMutableArray::array();
  std::string query = query_->UTF8String();
  if (query.empty()) return items;
  std::string_view rest = query;
  for (;;) {
    auto amp = rest.find('&');
    std::string_view item = rest.substr(0, amp);
    auto eq = item.find('=');
    // A name or value whose escapes do not decode is kept as written.
    auto decode = [](std::string_view text) {
      auto raw = NSString::stringWithUTF8String(text);
      auto plain = decoded(raw.get());
      return plain ? plain : raw;
    };
    Ref<NSString> name = decode(item.substr(0, eq));
    Ref<NSString> value = eq == std::string_view::npos ? nullptr : decode(item.substr(eq + 1));
    items->addObject(NSURLQueryItem::queryItemWithName_value(name.get(), value.get()));
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return items;
}

Ref<NSString> NSURLComponents::string() const {
  url::Parts parts;
  parts.scheme = optionalBytes(scheme_);
  parts.user = optionalBytes(user_);
  parts.password = optionalBytes(password_);
  parts.host = optionalBytes(host_);
  if (auto* number = objc_cast<NSNumber>(port_.get())) parts.port = std::to_string(number->integerValue());
  parts.path = optionalBytes(path_).value_or("");
  parts.query = optionalBytes(query_);
  parts.fragment = optionalBytes(fragment_);

  bool hasAuthority = parts.host || parts.user || parts.password || parts.port;
  if (hasAuthority && !parts.path.empty() && !parts.path.starts_with('/')) return nullptr;
  if (!hasAuthority && parts.path.starts_with("//")) return nullptr;
  return NSString::stringWithUTF8String(url::compose(parts));
}

Ref<NSURL> NSURLComponents::URL() const {
  Ref<NSString> text = string();
  return text ? NSURL::URLWithString(text.get()) : nullptr;
}
