#pragma once
// URLs, URL components with the platform's percent-encoding, and requests.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSString.h"

class NSURL : public NSObject {
 public:
  // nil when the text is not a valid absolute or relative URL reference.
  static Ref<NSURL> URLWithString(const NSString* string);
  static Ref<NSURL> fileURLWithPath(const NSString* path);

  Ref<NSString> absoluteString() const { return string_; }
  Ref<NSString> scheme() const;
  Ref<NSString> host() const;
  Ref<NSString> path() const;   // percent-decoded, as on the device
  Ref<NSString> query() const;  // percent-encoded, without "?"
  StrongId port() const;        // NSNumber or nil

  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override { return string_; }

  NSURL() = default;
  explicit NSURL(Ref<NSString> string) : string_(std::move(string)) {}

 private:
  Ref<NSString> string_;
};

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
// not contain, exactly as the platform does (setPath:, setQueryItems:).
class NSURLComponents : public NSObject {
 public:
  static Ref<NSURLComponents> components();
  // nil when the string is not a URL.
  static Ref<NSURLComponents> componentsWithString(const NSString* string);

  void setScheme(const NSString* scheme);
  void setHost(const NSString* host);
  void setPort(id port);
  void setPath(const NSString* path);
  void setQueryItems(const NSArray* items);  // of NSURLQueryItem; nil removes the query
  void setPercentEncodedQuery(const NSString* query);
  Ref<NSString> scheme() const { return scheme_; }
  Ref<NSString> host() const { return host_; }
  Ref<NSString> path() const;                // decoded
  Ref<NSString> percentEncodedPath() const { return path_; }
  Ref<NSString> percentEncodedQuery() const { return query_; }
  Ref<NSArray> queryItems() const;  // decoded; nil without a query
  // The URL of the parts, or nil when they do not form one (for example a
  // path not starting with "/" after a host).
  Ref<NSURL> URL() const;
  Ref<NSString> string() const;

 private:
  Ref<NSString> scheme_, host_, path_, query_;
  StrongId port_;
};

enum NSURLRequestCachePolicy : unsigned long {
  NSURLRequestUseProtocolCachePolicy = 0,
  NSURLRequestReloadIgnoringLocalCacheData = 1,
  NSURLRequestReturnCacheDataElseLoad = 2,
  NSURLRequestReturnCacheDataDontLoad = 3,
};

class NSMutableURLRequest;

// A request: method, URL, header fields in the order they were set (a field
// set again keeps its place; names compare without case), body, cache policy
// and time-out.
class NSURLRequest : public NSObject {
 public:
  static Ref<NSURLRequest> requestWithURL(NSURL* url);

  NSURL* URL() const { return url_.get(); }
  Ref<NSString> HTTPMethod() const { return method_; }
  NSData* HTTPBody() const { return body_.get(); }
  NSURLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
  double timeoutInterval() const { return timeout_; }
  Ref<NSString> valueForHTTPHeaderField(const NSString* field) const;
  // (name, value) in the order set.
  const std::vector<std::pair<Ref<NSString>, Ref<NSString>>>& headerFields() const { return headers_; }
  Ref<NSDictionary> allHTTPHeaderFields() const;

  Ref<NSObject> copy() const override;  // an immutable NSURLRequest
  Ref<NSMutableURLRequest> mutableCopy() const;

  NSURLRequest() = default;

 protected:
  Ref<NSURL> url_;
  Ref<NSString> method_ = nullptr;
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
  void setHTTPMethod(const NSString* method);
  void setValue_forHTTPHeaderField(const NSString* value, const NSString* field);  // nil value removes
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

class NSHTTPURLResponse : public NSURLResponse {
 public:
  NSHTTPURLResponse() = default;
  NSHTTPURLResponse(Ref<NSURL> url, NSInteger status, std::vector<std::pair<std::string, std::string>> headers);
  NSInteger statusCode() const { return status_; }
  Ref<NSString> valueForHTTPHeaderField(const NSString* field) const;
  Ref<NSDictionary> allHeaderFields() const;

 private:
  NSInteger status_ = 0;
  std::vector<std::pair<std::string, std::string>> headers_;
};
