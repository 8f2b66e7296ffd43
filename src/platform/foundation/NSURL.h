#pragma once
// URLs, URL components with the platform's percent-encoding, and requests.

#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSString.h"

// An immutable URL reference (RFC 3986), kept as the text it was made from.
// Accessors parse that text on each call (URLs are short). Any thread.
class NSURL : public NSObject {
 public:
  // nil when the text is not a valid absolute or relative URL reference: a
  // character no URL may hold (space, '"', '<', '{', non-ASCII, ...), a '%'
  // without two hex digits, a bad scheme, host or port, or empty text.
  static Ref<NSURL> URLWithString(const NSString* string);
  // "file://" and the path, percent-encoded; a relative path is taken from
  // the working directory, and an existing directory gets a trailing "/".
  static Ref<NSURL> fileURLWithPath(const NSString* path);

  Ref<NSString> absoluteString() const { return string_; }
  Ref<NSString> scheme() const;    // as written; nil for a relative reference
  Ref<NSString> host() const;      // percent-decoded, without IPv6 brackets; nil without "//"
  Ref<NSString> path() const;      // percent-decoded, a trailing "/" dropped (but "/" itself), as on the device
  Ref<NSString> query() const;     // percent-encoded, without "?"; nil when absent
  Ref<NSString> fragment() const;  // percent-encoded, without "#"; nil when absent
  StrongId port() const;           // NSNumber or nil

  bool isEqual(id other) const override;  // same text
  NSUInteger hash() const override;
  Ref<NSString> description() const override { return string_; }

  NSURL() = default;
  explicit NSURL(Ref<NSString> string) : string_(std::move(string)) {}

 private:
  Ref<NSString> string_;
};

// One name=value pair of a query. Immutable; any thread.
class NSURLQueryItem : public NSObject {
 public:
  static Ref<NSURLQueryItem> queryItemWithName_value(const NSString* name, const NSString* value);
  NSString* name() const { return name_.get(); }
  NSString* value() const { return value_.get(); }  // nil: the item has no "="

  NSURLQueryItem() = default;
  NSURLQueryItem(Ref<NSString> name, Ref<NSString> value) : name_(std::move(name)), value_(std::move(value)) {}

 private:
  Ref<NSString> name_;
  Ref<NSString> value_;
};

// Builds URLs from parts. Setting a part percent-encodes what that part may
// not contain, exactly as the platform does, with upper-case hex:
//   setPath:       all but alphanumerics and -._~!$&'()*+,=:@/ (so ';' too)
//   setQueryItems: all but alphanumerics and -._~!$&'()*+,;=:@/? , except
//                  that '&' (and '=' in a name) is encoded, so a value can
//                  never split its item
//   setHost:       all but alphanumerics and -._~!$&'()*+,;=:[]
// Non-ASCII text is encoded as its UTF-8 bytes. Not synchronised: one thread
// at a time. Passing a scheme with invalid characters, a negative or
// non-number port, or a percent-encoded part that is not, is a programming
// error (the device raises): it aborts.
class NSURLComponents : public NSObject {
 public:
  static Ref<NSURLComponents> components();
  // nil when the string is not a URL (NSURL's rules).
  static Ref<NSURLComponents> componentsWithString(const NSString* string);

  void setScheme(const NSString* scheme);  // nil removes
  void setHost(const NSString* host);      // nil removes
  void setPort(id port);                   // NSNumber >= 0, or nil
  void setPath(const NSString* path);      // nil: empty
  void setQueryItems(const NSArray* items);  // of NSURLQueryItem; nil removes the query, empty gives "?"
  void setPercentEncodedQuery(const NSString* query);
  void setFragment(const NSString* fragment);
  Ref<NSString> scheme() const { return scheme_; }
  Ref<NSString> host() const;  // decoded
  Ref<NSString> percentEncodedHost() const { return host_; }
  StrongId port() const { return port_; }
  Ref<NSString> path() const;  // decoded
  Ref<NSString> percentEncodedPath() const;
  Ref<NSString> query() const;  // decoded
  Ref<NSString> percentEncodedQuery() const { return query_; }
  Ref<NSString> fragment() const;  // decoded
  Ref<NSArray> queryItems() const;  // decoded; nil without a query
  // The URL of the parts, or nil when they do not form one: a path not
  // starting with "/" after an authority, or a path starting with "//"
  // without one.
  Ref<NSURL> URL() const;
  Ref<NSString> string() const;  // nil exactly when URL() would be nil for those reasons

 private:
  Ref<NSString> scheme_, user_, password_, host_, path_, query_, fragment_;  // encoded
  StrongId port_;
};

enum NSURLRequestCachePolicy : unsigned long {
  NSURLRequestUseProtocolCachePolicy = 0,
  NSURLRequestReloadIgnoringLocalCacheData = 1,
  NSURLRequestReturnCacheDataElseLoad = 2,
  NSURLRequestReturnCacheDataDontLoad = 3,
};

class NSMutableURLRequest;

// A request: method (default "GET"), URL, header fields in the order they
// were set (a field set again keeps its place and first spelling; names
// compare without case; values are kept exactly), body, cache policy (default
// UseProtocolCachePolicy) and time-out (default 60 s: the longest the
// transfer may go without progress). An NSURLRequest is immutable and may be
// read from any thread; an NSMutableURLRequest is not synchronised.
class NSURLRequest : public NSObject {
 public:
  static Ref<NSURLRequest> requestWithURL(NSURL* url);

  NSURL* URL() const { return url_.get(); }
  Ref<NSString> HTTPMethod() const;
  NSData* HTTPBody() const { return body_.get(); }
  NSURLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
  double timeoutInterval() const { return timeout_; }
  // nil when the request has no such field.
  Ref<NSString> valueForHTTPHeaderField(const NSString* field) const;
  // (name, value) in the order set.
  const std::vector<std::pair<Ref<NSString>, Ref<NSString>>>& headerFields() const { return headers_; }
  // Empty (never nil) when no field is set.
  Ref<NSDictionary> allHTTPHeaderFields() const;

  Ref<NSObject> copy() const override;  // an immutable NSURLRequest (itself when it is one)
  Ref<NSMutableURLRequest> mutableCopy() const;

  NSURLRequest() = default;

 protected:
  void copyFieldsFrom(const NSURLRequest& other);

  Ref<NSURL> url_;
  Ref<NSString> method_;  // nil: "GET"
  std::vector<std::pair<Ref<NSString>, Ref<NSString>>> headers_;
  Ref<NSData> body_;
  NSURLRequestCachePolicy cachePolicy_ = NSURLRequestUseProtocolCachePolicy;
  double timeout_ = 60;
};

class NSMutableURLRequest : public NSURLRequest {
 public:
  static Ref<NSMutableURLRequest> requestWithURL(NSURL* url);
  static Ref<NSMutableURLRequest> requestWithURL_cachePolicy_timeoutInterval(NSURL* url, NSURLRequestCachePolicy policy,
                                                                              double timeout);
  void setURL(NSURL* url);
  void setHTTPMethod(const NSString* method);  // nil: back to "GET"
  // Replaces the value of a field already set (keeping its place), else adds
  // the field at the end. A nil value removes the field; a nil field is ignored.
  void setValue_forHTTPHeaderField(const NSString* value, const NSString* field);
  void setHTTPBody(NSData* body);
  void setCachePolicy(NSURLRequestCachePolicy policy) { cachePolicy_ = policy; }
  void setTimeoutInterval(double seconds) { timeout_ = seconds; }
};

class NSURLResponse : public NSObject {
 public:
  NSURL* URL() const { return url_.get(); }

 protected:
  Ref<NSURL> url_;
};

// The response to an HTTP request: final URL (after redirects), status and
// header fields as received. Immutable; any thread.
class NSHTTPURLResponse : public NSURLResponse {
 public:
  NSHTTPURLResponse() = default;
  NSHTTPURLResponse(Ref<NSURL> url, NSInteger status, std::vector<std::pair<std::string, std::string>> headers);
  NSInteger statusCode() const { return status_; }
  // Names compare without case; repeated fields are joined with ", ", as on
  // the device. nil when absent. Bytes that are not UTF-8 read as Latin-1.
  Ref<NSString> valueForHTTPHeaderField(const NSString* field) const;
  // Each name once (first spelling), values joined as above.
  Ref<NSDictionary> allHeaderFields() const;
  // The fields exactly as received, repeated ones apart.
  const std::vector<std::pair<std::string, std::string>>& headerFields() const { return headers_; }

 private:
  NSInteger status_ = 0;
  std::vector<std::pair<std::string, std::string>> headers_;
};
