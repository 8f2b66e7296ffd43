#include "platform/foundation/url/syntax.h"

#include <arpa/inet.h>

#include <array>

namespace url {
namespace {

// Character classes of RFC 3986, as bits per ASCII byte.
enum : unsigned {
  kAlpha = 1u << 0,
  kDigit = 1u << 1,
  kUnreservedMark = 1u << 2,  // - . _ ~
  kSubDelim = 1u << 3,        // ! $ & ' ( ) * + , ; =
  kColon = 1u << 4,
  kAt = 1u << 5,
  kSlash = 1u << 6,
  kQuestion = 1u << 7,
  kBracket = 1u << 8,  // [ ]
  kHex = 1u << 9,
};

constexpr std::array<unsigned, 128> makeClasses() {
  std::array<unsigned, 128> c{};
  for (int i = 'a'; i <= 'z'; ++i) c[i] |= kAlpha;
  for (int i = 'A'; i <= 'Z'; ++i) c[i] |= kAlpha;
  for (int i = '0'; i <= '9'; ++i) c[i] |= kDigit | kHex;
  for (int i = 'a'; i <= 'f'; ++i) c[i] |= kHex;
  for (int i = 'A'; i <= 'F'; ++i) c[i] |= kHex;
  for (char m : std::string_view("-._~")) c[static_cast<unsigned char>(m)] |= kUnreservedMark;
  for (char m : std::string_view("!$&'()*+,;=")) c[static_cast<unsigned char>(m)] |= kSubDelim;
  c[':'] |= kColon;
  c['@'] |= kAt;
  c['/'] |= kSlash;
  c['?'] |= kQuestion;
  c['['] |= kBracket;
  c[']'] |= kBracket;
  return c;
}
constexpr std::array<unsigned, 128> kClasses = makeClasses();

bool has(unsigned char byte, unsigned mask) { return byte < 128 && (kClasses[byte] & mask) != 0; }

constexpr unsigned kUnreserved = kAlpha | kDigit | kUnreservedMark;
constexpr unsigned kPchar = kUnreserved | kSubDelim | kColon | kAt;

// Whether text[at] starts a well-formed %XX escape.
bool isEscape(std::string_view text, std::size_t at) {
  return text[at] == '%' && at + 2 < text.size() && has(static_cast<unsigned char>(text[at + 1]), kHex) &&
         has(static_cast<unsigned char>(text[at + 2]), kHex);
}

// Whether every byte of `text` is accepted by `allowed` or is part of a
// well-formed escape.
template <class Allowed>
bool allEncoded(std::string_view text, Allowed allowed) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      if (!isEscape(text, i)) return false;
      i += 2;
    } else if (!allowed(static_cast<unsigned char>(text[i]))) {
      return false;
    }
  }
  return true;
}

bool matches(std::string_view text, unsigned mask) {
  return allEncoded(text, [mask](unsigned char byte) { return has(byte, mask); });
}

// IP-literal = "[" ( IPv6address / IPvFuture ) "]", given without brackets.
bool isIpLiteral(std::string_view inner) {
  if (!inner.empty() && (inner.front() == 'v' || inner.front() == 'V')) {
    auto dot = inner.find('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == inner.size()) return false;
    for (char c : inner.substr(1, dot - 1))
      if (!has(static_cast<unsigned char>(c), kHex)) return false;
    for (char c : inner.substr(dot + 1))
      if (!has(static_cast<unsigned char>(c), kUnreserved | kSubDelim | kColon)) return false;
    return true;
  }
  std::string address(inner);
  in6_addr parsed{};
  return inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

// authority = [ userinfo "@" ] host [ ":" port ]
bool parseAuthority(std::string_view authority, Parts& parts) {
  auto at = authority.rfind('@');
  if (at != std::string_view::npos) {
    std::string_view userinfo = authority.substr(0, at);
    if (!matches(userinfo, kUnreserved | kSubDelim | kColon)) return false;
    auto colon = userinfo.find(':');
    parts.user = std::string(userinfo.substr(0, colon));
    if (colon != std::string_view::npos) parts.password = std::string(userinfo.substr(colon + 1));
    authority.remove_prefix(at + 1);
  }
  std::string_view host = authority;
  std::optional<std::string_view> port;
  if (!authority.empty() && authority.front() == '[') {
    auto close = authority.find(']');
    if (close == std::string_view::npos || !isIpLiteral(authority.substr(1, close - 1))) return false;
    host = authority.substr(0, close + 1);
    std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      port = rest.substr(1);
    }
  } else {
    auto colon = authority.find(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
    if (!matches(host, kUnreserved | kSubDelim)) return false;
  }
  if (port) {
    for (char c : *port)
      if (!has(static_cast<unsigned char>(c), kDigit)) return false;
    parts.port = std::string(*port);
  }
  parts.host = std::string(host);
  return true;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

unsigned maskOf(AllowedSet set) {
  switch (set) {
    case AllowedSet::User:
    case AllowedSet::Password: return kUnreserved | kSubDelim;
    case AllowedSet::Host: return kUnreserved | kSubDelim | kColon | kBracket;
    case AllowedSet::Path: return kPchar | kSlash;  // ';' is taken out in isAllowed
    case AllowedSet::Query:
    case AllowedSet::Fragment:
    case AllowedSet::QueryItemName:
    case AllowedSet::QueryItemValue: return kPchar | kSlash | kQuestion;
  }
  return 0;
}

}  // namespace

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !has(static_cast<unsigned char>(scheme.front()), kAlpha)) return false;
  for (char c : scheme)
    if (!has(static_cast<unsigned char>(c), kAlpha | kDigit) && c != '+' && c != '-' && c != '.') return false;
  return true;
}

std::optional<Parts> parse(std::string_view text) {
  if (text.empty()) return std::nullopt;
  Parts parts;
  std::string_view rest = text;

  auto hash = rest.find('#');
  if (hash != std::string_view::npos) {
    std::string_view fragment = rest.substr(hash + 1);
    if (!matches(fragment, kPchar | kSlash | kQuestion)) return std::nullopt;
    parts.fragment = std::string(fragment);
    rest = rest.substr(0, hash);
  }
  auto question = rest.find('?');
  if (question != std::string_view::npos) {
    std::string_view query = rest.substr(question + 1);
    if (!matches(query, kPchar | kSlash | kQuestion)) return std::nullopt;
    parts.query = std::string(query);
    rest = rest.substr(0, question);
  }

  auto colon = rest.find(':');
  auto slash = rest.find('/');
  if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
    // Either a scheme, or a first path segment with a ':' that a relative
    // reference may not have (it would read as a scheme).
    std::string_view scheme = rest.substr(0, colon);
    if (!isValidScheme(scheme)) return std::nullopt;
    parts.scheme = std::string(scheme);
    rest.remove_prefix(colon + 1);
  }

  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    auto end = rest.find('/');
    if (!parseAuthority(rest.substr(0, end), parts)) return std::nullopt;
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  }
  if (!matches(rest, kPchar | kSlash)) return std::nullopt;
  parts.path = std::string(rest);
  return parts;
}

std::string compose(const Parts& parts) {
  std::string out;
  if (parts.scheme) out += *parts.scheme + ":";
  if (parts.host || parts.user || parts.password || parts.port) {
    out += "//";
    if (parts.user || parts.password) {
      out += parts.user.value_or("");
      if (parts.password) out += ":" + *parts.password;
      out += "@";
    }
    out += parts.host.value_or("");
    if (parts.port) out += ":" + *parts.port;
  }
  out += parts.path;
  if (parts.query) out += "?" + *parts.query;
  if (parts.fragment) out += "#" + *parts.fragment;
  return out;
}

bool isAllowed(AllowedSet set, unsigned char byte) {
  if (set == AllowedSet::Path && byte == ';') return false;
  if ((set == AllowedSet::QueryItemName || set == AllowedSet::QueryItemValue) && byte == '&') return false;
  if (set == AllowedSet::QueryItemName && byte == '=') return false;
  return has(byte, maskOf(set));
}

std::string percentEncode(std::string_view utf8, AllowedSet set) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    if (isAllowed(set, byte)) {
      out += c;
    } else {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    }
  }
  return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (!isEscape(text, i)) return std::nullopt;
    out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    i += 2;
  }
  return out;
}

bool isPercentEncoded(std::string_view text, AllowedSet set) {
  return allEncoded(text, [set](unsigned char byte) { return isAllowed(set, byte); });
}

}  // namespace url
