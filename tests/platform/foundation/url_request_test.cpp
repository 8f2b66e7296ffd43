#include <gtest/gtest.h>

#include "platform/foundation/NSURL.h"

namespace {

std::string asUtf8(const Ref<NSString>& s) { return s ? s->UTF8String() : "<nil>"; }

Ref<NSString> asNS(const char* utf8) { return NSString::stringWithUTF8String(utf8); }

Ref<NSURL> home() { return NSURL::URLWithString("https://www.example.test"_ns.get()); }

std::vector<std::pair<std::string, std::string>> fields(const NSURLRequest* request) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& [name, value] : request->headerFields()) out.emplace_back(asUtf8(name), asUtf8(value));
  return out;
}

TEST(NSURLRequestDefaults, GetSixtySecondsAndTheProtocolCachePolicy) {
  auto request = NSURLRequest::requestWithURL(home().get());
  EXPECT_EQ(asUtf8(request->HTTPMethod()), "GET");
  EXPECT_EQ(request->timeoutInterval(), 60);
  EXPECT_EQ(request->cachePolicy(), NSURLRequestUseProtocolCachePolicy);
  EXPECT_FALSE(request->HTTPBody());
  EXPECT_TRUE(request->headerFields().empty());
  EXPECT_EQ(request->allHTTPHeaderFields()->count(), 0u);

  auto timed = NSMutableURLRequest::requestWithURL_cachePolicy_timeoutInterval(
      home().get(), NSURLRequestReloadIgnoringLocalCacheData, 30);
  EXPECT_EQ(timed->timeoutInterval(), 30);
  EXPECT_EQ(timed->cachePolicy(), NSURLRequestReloadIgnoringLocalCacheData);
  timed->setHTTPMethod("POST"_ns.get());
  timed->setHTTPMethod(nullptr);
  EXPECT_EQ(asUtf8(timed->HTTPMethod()), "GET") << "nil restores the default";
}

TEST(NSURLRequestHeaders, KeepTheirFirstPlaceAndExactValues) {
  auto request = NSMutableURLRequest::requestWithURL(home().get());
  request->setValue_forHTTPHeaderField(asNS("text/html,application/xhtml+xml;q=0.9").get(), "accept"_ns.get());
  request->setValue_forHTTPHeaderField("gzip, deflate, br"_ns.get(), "accept-encoding"_ns.get());
  request->setValue_forHTTPHeaderField("Mozilla/5.0  (iPhone)"_ns.get(), "user-agent"_ns.get());
  request->setValue_forHTTPHeaderField("*/*"_ns.get(), "Accept"_ns.get());
  request->setValue_forHTTPHeaderField("x"_ns.get(), nullptr);

  using Fields = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(fields(request.get()),
            (Fields{{"accept", "*/*"}, {"accept-encoding", "gzip, deflate, br"}, {"user-agent", "Mozilla/5.0  (iPhone)"}}))
      << "set again: same place, first spelling, new value; values byte for byte";
  EXPECT_EQ(asUtf8(request->valueForHTTPHeaderField("USER-AGENT"_ns.get())), "Mozilla/5.0  (iPhone)");
  EXPECT_FALSE(request->valueForHTTPHeaderField("origin"_ns.get()));

  request->setValue_forHTTPHeaderField(nullptr, "ACCEPT-ENCODING"_ns.get());
  EXPECT_EQ(fields(request.get()), (Fields{{"accept", "*/*"}, {"user-agent", "Mozilla/5.0  (iPhone)"}}))
      << "a nil value removes the field";
  EXPECT_EQ(asUtf8(objc_cast<NSString>(request->allHTTPHeaderFields()->objectForKey("accept"_ns.get()))), "*/*");
}

TEST(NSURLRequestCopy, IsImmutableAndIndependent) {
  auto mutableRequest = NSMutableURLRequest::requestWithURL(home().get());
  mutableRequest->setHTTPMethod("POST"_ns.get());
  mutableRequest->setValue_forHTTPHeaderField("*/*"_ns.get(), "accept"_ns.get());
  mutableRequest->setHTTPBody(NSData::dataWithBytes("{}").get());
  mutableRequest->setTimeoutInterval(30);

  Ref<NSObject> copied = mutableRequest->copy();
  auto* copy = objc_cast<NSURLRequest>(copied.get());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->isMemberOfClass(objc::classOf<NSURLRequest>())) << "the copy is immutable";
  EXPECT_FALSE(objc_cast<NSMutableURLRequest>(copied.get()));

  mutableRequest->setValue_forHTTPHeaderField("late"_ns.get(), "x-late"_ns.get());
  mutableRequest->setHTTPMethod("PUT"_ns.get());
  EXPECT_EQ(asUtf8(copy->HTTPMethod()), "POST") << "later changes do not reach the copy";
  EXPECT_EQ(copy->headerFields().size(), 1u);
  EXPECT_EQ(copy->HTTPBody()->bytes(), "{}");
  EXPECT_EQ(copy->timeoutInterval(), 30);
  EXPECT_TRUE(copy->URL()->isEqual(home().get()));

  EXPECT_EQ(copy->copy().get(), copied.get()) << "an immutable request copies as itself";
  auto again = copy->mutableCopy();
  again->setHTTPMethod("DELETE"_ns.get());
  EXPECT_EQ(asUtf8(copy->HTTPMethod()), "POST");
}

TEST(NSHTTPURLResponseFields, JoinRepeatsAndIgnoreCase) {
  auto response = make<NSHTTPURLResponse>(home(), 404,
                                          std::vector<std::pair<std::string, std::string>>{
                                              {"Set-Cookie", "a=1"}, {"Content-Type", "text/plain"},
                                              {"set-cookie", "b=2"}, {"X-Latin", "caf\xe9"}});
  EXPECT_EQ(response->statusCode(), 404);
  EXPECT_EQ(asUtf8(response->valueForHTTPHeaderField("SET-COOKIE"_ns.get())), "a=1, b=2");
  EXPECT_EQ(asUtf8(response->valueForHTTPHeaderField("x-latin"_ns.get())), "caf\xc3\xa9") << "not UTF-8: read as Latin-1";
  EXPECT_FALSE(response->valueForHTTPHeaderField("location"_ns.get()));
  auto all = response->allHeaderFields();
  EXPECT_EQ(all->count(), 3u);
  EXPECT_EQ(asUtf8(objc_cast<NSString>(all->objectForKey("Set-Cookie"_ns.get()))), "a=1, b=2");
}

}  // namespace
