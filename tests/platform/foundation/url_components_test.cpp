#include <gtest/gtest.h>

#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSValue.h"

namespace {

std::string str(const Ref<NSString>& s) { return s ? s->UTF8String() : "<nil>"; }

Ref<NSString> ns(const char* utf8) { return NSString::stringWithUTF8String(utf8); }

Ref<NSURLQueryItem> item(const char* name, const char* value) {
  return NSURLQueryItem::queryItemWithName_value(ns(name).get(), value ? ns(value).get() : nullptr);
}

Ref<NSURLComponents> https(const char* host) {
  auto c = NSURLComponents::components();
  c->setScheme("https"_ns.get());
  c->setHost(ns(host).get());
  return c;
}

TEST(NSURLComponentsPath, EncodesWhatAPathMayNotHold) {
  auto c = https("www.example.test");
  const char* path = "/m/it's a \"test\" caf\xc3\xa9; 100%?#[x]{}|\\^`<>~-._!$&()*+,=:@";
  c->setPath(ns(path).get());
  EXPECT_EQ(str(c->percentEncodedPath()),
            "/m/it's%20a%20%22test%22%20caf%C3%A9%3B%20100%25%3F%23%5Bx%5D%7B%7D%7C%5C%5E%60%3C%3E~-._!$&()*+,=:@")
      << "upper-case hex, UTF-8 bytes, ';' encoded as the platform's path set does";
  EXPECT_EQ(str(c->path()), path) << "the getter decodes";
  EXPECT_EQ(str(c->URL()->absoluteString()),
            "https://www.example.test/m/it's%20a%20%22test%22%20caf%C3%A9%3B%20100%25%3F%23%5Bx%5D%7B%7D%7C%5C%5E%60%3C%3E~-._!$&()*+,=:@");
}

TEST(NSURLComponentsQuery, EncodesTheSearchItemsInOrder) {
  auto c = https("appid-dsn.algolia.test");
  c->setPath("/1/indexes/*/queries"_ns.get());
  c->setQueryItems(NSArray::arrayWithObjects({item("x-algolia-agent", "Algolia for JavaScript (4.17.0); Browser (lite)"),
                                              item("x-algolia-api-key", "0123abcdKEY"),
                                              item("x-algolia-application-id", "APPID42")})
                       .get());
  EXPECT_EQ(str(c->percentEncodedQuery()),
            "x-algolia-agent=Algolia%20for%20JavaScript%20(4.17.0);%20Browser%20(lite)"
            "&x-algolia-api-key=0123abcdKEY&x-algolia-application-id=APPID42");
  EXPECT_EQ(str(c->string()),
            "https://appid-dsn.algolia.test/1/indexes/*/queries?x-algolia-agent=Algolia%20for%20JavaScript%20(4.17.0);"
            "%20Browser%20(lite)&x-algolia-api-key=0123abcdKEY&x-algolia-application-id=APPID42");
  ASSERT_TRUE(c->URL()) << "the result is a valid URL";

  auto items = c->queryItems();
  ASSERT_EQ(items->count(), 3u);
  auto* first = objc_cast<NSURLQueryItem>(items->objectAtIndex(0));
  EXPECT_EQ(str(first->name()), "x-algolia-agent");
  EXPECT_EQ(str(first->value()), "Algolia for JavaScript (4.17.0); Browser (lite)") << "decoded again";
}

TEST(NSURLComponentsQuery, ItemTextCannotSplitOrEndTheQuery) {
  auto c = https("h.test");
  c->setQueryItems(NSArray::arrayWithObjects(
                       {item("a=b", "c&d=e+f/?:@"), item("flag", nullptr), item("caf\xc3\xa9", "#100% \"x\"")})
                       .get());
  EXPECT_EQ(str(c->percentEncodedQuery()), "a%3Db=c%26d=e+f/?:@&flag&caf%C3%A9=%23100%25%20%22x%22")
      << "'&' in names and values and '=' in names are encoded; '+' '/' '?' ':' '@' are not";
  auto items = c->queryItems();
  ASSERT_EQ(items->count(), 3u) << "each item stays one item";
  EXPECT_EQ(str(objc_cast<NSURLQueryItem>(items->objectAtIndex(0))->name()), "a=b");
  EXPECT_EQ(str(objc_cast<NSURLQueryItem>(items->objectAtIndex(0))->value()), "c&d=e+f/?:@");
  EXPECT_FALSE(objc_cast<NSURLQueryItem>(items->objectAtIndex(1))->value()) << "no '=': no value";

  c->setQueryItems(NSArray::array().get());
  EXPECT_EQ(str(c->string()), "https://h.test?") << "an empty list leaves an empty query";
  c->setQueryItems(nullptr);
  EXPECT_EQ(str(c->string()), "https://h.test") << "nil removes it";
}

TEST(NSURLComponentsURL, HostOnlyHasNothingAfterTheHost) {
  auto c = https("www.example.test");
  EXPECT_EQ(str(c->URL()->absoluteString()), "https://www.example.test");
  c->setPath(""_ns.get());
  EXPECT_EQ(str(c->URL()->absoluteString()), "https://www.example.test") << "not even a slash";
  c->setPort(NSNumber::numberWithInteger(8443).get());
  EXPECT_EQ(str(c->string()), "https://www.example.test:8443");
}

TEST(NSURLComponentsURL, PartsThatFormNoURLGiveNil) {
  auto c = https("www.example.test");
  c->setPath("relative/path"_ns.get());
  EXPECT_FALSE(c->URL()) << "after a host a path must start with /";
  EXPECT_FALSE(c->string());

  auto noHost = NSURLComponents::components();
  noHost->setPath("//looks/like/a/host"_ns.get());
  EXPECT_FALSE(noHost->URL()) << "without a host a path may not start with //";
  noHost->setPath("just/a/path"_ns.get());
  EXPECT_EQ(str(noHost->URL()->absoluteString()), "just/a/path");
}

TEST(NSURLComponentsParsing, RoundTripsAURLAndRefusesText) {
  const char* text = "https://u:p@h.test:8443/a%20b?x=1&y=%26#frag";
  auto c = NSURLComponents::componentsWithString(ns(text).get());
  ASSERT_TRUE(c);
  EXPECT_EQ(str(c->scheme()), "https");
  EXPECT_EQ(str(c->host()), "h.test");
  EXPECT_EQ(objc_cast<NSNumber>(c->port().get())->integerValue(), 8443);
  EXPECT_EQ(str(c->path()), "/a b");
  EXPECT_EQ(str(c->query()), "x=1&y=&");
  EXPECT_EQ(str(c->fragment()), "frag");
  EXPECT_EQ(str(c->string()), text) << "nothing changes on the way through";

  c->setPercentEncodedQuery("q=already%20encoded"_ns.get());
  c->setFragment(nullptr);
  EXPECT_EQ(str(c->string()), "https://u:p@h.test:8443/a%20b?q=already%20encoded");

  EXPECT_FALSE(NSURLComponents::componentsWithString("https://h.test/a b"_ns.get()));
  EXPECT_FALSE(NSURLComponents::componentsWithString(nullptr));
}

TEST(NSURLComponentsMisuse, InvalidSchemeOrUnencodedQueryAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(NSURLComponents::components()->setScheme("ht tp"_ns.get()), "invalid characters in scheme");
  EXPECT_DEATH(NSURLComponents::components()->setPercentEncodedQuery("a b"_ns.get()), "not percent-encoded");
}

}  // namespace
