#pragma once
// Internal to Foundation: URL reference syntax (RFC 3986) and the platform's
// percent-encoding, shared by NSURL and NSURLComponents. Pure functions on
// UTF-8 text; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace url {

// A URL reference split into its parts, each exactly as written (still
// percent-encoded). An absent part differs from an empty one: "http://h?"
// has an empty query, "http://h" none.
struct Parts {
  std::optional<std::string> scheme;
  std::optional<std::string> user;      // with password: the userinfo before the first ':'
  std::optional<std::string> password;
  std::optional<std::string> host;      // present exactly when there is an authority ("//")
  std::optional<std::string> port;      // digits, possibly empty ("http://h:/")
  std::string path;
  std::optional<std::string> query;
  std::optional<std::string> fragment;
};

// The parts of `text`, or nothing when it is not a URI reference: a character
// that no URL may hold (space, '"', '<', non-ASCII, ...), a '%' without two
// hex digits, a bad scheme, host or port, or a relative reference whose first
// segment holds a ':'. Empty text is refused, as the platform does.
std::optional<Parts> parse(std::string_view text);

// The text of the parts. Does not validate: NSURLComponents checks the rules
// that tie parts together before asking.
std::string compose(const Parts& parts);

// The platform's allowed-character sets, one per URL part. Every byte outside
// the part's set (non-ASCII UTF-8 bytes and '%' included) is written as %XX.
enum class AllowedSet {
  User,            // unreserved, sub-delims
  Password,        // the same
  Host,            // also ':' '[' ']'
  Path,            // unreserved, sub-delims but ';', and ':' '@' '/'
  Query,           // unreserved, sub-delims, ':' '@' '/' '?'
  Fragment,        // as Query
  QueryItemName,   // Query without '&' and '=', which would end the name
  QueryItemValue,  // Query without '&', which would end the item
};

bool isAllowed(AllowedSet set, unsigned char byte);

// Percent-encodes UTF-8 text for one part, with upper-case hex digits.
std::string percentEncode(std::string_view utf8, AllowedSet set);

// Undoes percent-encoding; nothing when a '%' is not followed by two hex
// digits. The bytes are not checked to be UTF-8.
std::optional<std::string> percentDecode(std::string_view text);

// True when every byte is in `set` or is part of a well-formed %XX escape.
bool isPercentEncoded(std::string_view text, AllowedSet set);

// scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." )
bool isValidScheme(std::string_view scheme);

}  // namespace url
