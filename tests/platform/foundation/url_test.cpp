#include <gtest/gtest.h>

#include <filesystem>

#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSValue.h"

namespace {

Ref<NSURL> urlOf(const char* text) { return NSURL::URLWithString(NSString::stringWithUTF8String(text).get()); }

std::string textOf(const Ref<NSString>& s) { return s ? s->UTF8String() : "<nil>"; }

TEST(NSURLParsing, AcceptsAbsoluteAndRelativeReferences) {
  for (const char* text :
       {"https://www.example.test", "https://user:pw@h.test:8443/a/b;c?q=1&r=/?#frag/?", "http://[::1]:80/",
        "http://[v1.fe]/", "http://127.0.0.1/", "mailto:someone@example.test", "urn:isbn:0451450523", "/path/only",
        "a/b:c", "?q", "#f", "//host.test/x", "http://h.test/%20%C3%A9", "http://h.test:/", "file:///tmp/x"})
    EXPECT_TRUE(urlOf(text)) << text << " is a URL reference";
}

TEST(NSURLParsing, RefusesTextThatNoURLMayHold) {
  for (const char* text :
       {"", "https://h.test/a b", "https://h.test/\"quoted\"", "https://h.test/caf\xc3\xa9", "https://h.test/%zz",
        "https://h.test/100%", "https://h.test/%4", "http://h.test:80x/", "http://h.test:-1/", "1http://h.test/",
        ":nothing", "a:b/c:d e", "a:b:c d", "http://[::g]/", "http://[::1/", "http://h.test/a#b#c", "http://h.test/{x}",
        "http://h.test/a|b", "http://h.test/[x]", "http://a b.test/", "http://h.test/\\", "http://h.test/a<b>",
        "http://h.test/^", "http://h.test/`", "http://h@i@j.test/"})
    EXPECT_FALSE(urlOf(text)) << "\"" << text << "\" must give nil";
  // A relative reference may not start with a segment holding ':' (it would read as a scheme).
  EXPECT_FALSE(urlOf("1a:b"));
  EXPECT_FALSE(NSURL::URLWithString(nullptr));
}

TEST(NSURLAccessors, ReturnPartsDecodedAsThePlatformDoes) {
  auto url = urlOf("https://www.example.test:8443/a%20b/caf%C3%A9/?x=1%202&y#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(textOf(url->scheme()), "https");
  EXPECT_EQ(textOf(url->host()), "www.example.test");
  StrongId portObject = url->port();
  auto* port = objc_cast<NSNumber>(portObject.get());
  ASSERT_TRUE(port);
  EXPECT_EQ(port->integerValue(), 8443);
  EXPECT_EQ(textOf(url->path()), "/a b/caf\xc3\xa9") << "decoded, trailing slash dropped";
  EXPECT_EQ(textOf(url->query()), "x=1%202&y") << "the query stays encoded";
  EXPECT_EQ(textOf(url->fragment()), "top");
  EXPECT_EQ(textOf(url->absoluteString()), "https://www.example.test:8443/a%20b/caf%C3%A9/?x=1%202&y#top");

  auto bare = urlOf("https://www.example.test");
  EXPECT_EQ(textOf(bare->path()), "") << "no path";
  EXPECT_FALSE(bare->port());
  EXPECT_FALSE(bare->query());
  EXPECT_EQ(textOf(urlOf("https://h.test/")->path()), "/") << "the root keeps its slash";
  EXPECT_EQ(textOf(urlOf("https://h.test/?")->query()), "") << "an empty query is not a missing one";
  EXPECT_EQ(textOf(urlOf("http://[::1]:80/")->host()), "::1") << "no brackets";
  EXPECT_FALSE(urlOf("/relative/path")->scheme());
  EXPECT_FALSE(urlOf("/relative/path")->host());
  EXPECT_FALSE(urlOf("http://h.test/%FF")->path()) << "escapes that are not UTF-8 give no path";
}

TEST(NSURLEquality, ComparesTheText) {
  auto a = urlOf("https://h.test/a");
  EXPECT_TRUE(a->isEqual(urlOf("https://h.test/a").get()));
  EXPECT_EQ(a->hash(), urlOf("https://h.test/a")->hash());
  EXPECT_FALSE(a->isEqual(urlOf("https://h.test/b").get()));
  EXPECT_FALSE(a->isEqual("https://h.test/a"_ns.get())) << "a string is not a URL";
  EXPECT_TRUE(objc_isEqual(a.get(), urlOf("https://h.test/a").get())) << "through the run time too";
}

TEST(NSURLFile, EncodesThePathAndMarksDirectories) {
  auto file = NSURL::fileURLWithPath("/tmp/a file;\xc3\xa9.txt"_ns.get());
  EXPECT_EQ(textOf(file->absoluteString()), "file:///tmp/a%20file%3B%C3%A9.txt");
  EXPECT_EQ(textOf(file->path()), "/tmp/a file;\xc3\xa9.txt");
  auto directory = NSURL::fileURLWithPath(NSString::stringWithUTF8String(std::filesystem::temp_directory_path().string()).get());
  EXPECT_TRUE(directory->absoluteString()->hasSuffix("/"_ns.get())) << "an existing directory ends in /";
}

}  // namespace
