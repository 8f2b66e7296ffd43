#include "platform/foundation/NSBundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "platform/foundation/NSValue.h"
#include "platform/foundation/temp_dir.h"

namespace {

// The module's real resource bundle, in the source tree.
const std::string kRealBundle = std::string(SCORELENS_SOURCE_DIR) + "/resources/ScoreLens.bundle";

Ref<NSString> ns(const std::string& s) { return NSString::stringWithUTF8String(s); }

std::string lookUp(const NSDictionary* table, const char* key) {
  return utf8(objc_cast<NSString>(table->objectForKey(NSString::stringWithUTF8String(key))));
}

Ref<NSDictionary> parse(std::string_view bytes) { return NSBundleParseStringsTable(bytes); }

TEST(StringsTable, ReadsEntriesCommentsAndEscapes) {
  Ref<NSDictionary> t = parse(R"(/* a block comment with "quotes" = "x"; */
// a line comment "k" = "v";
"plain" = "Plain text";
"escaped" = "say \"hi\"\\ \n\ttab \U00e9\U00E9 \UD83C\UDF45 \101";
  unquoted_key.v2 = bare.value_1 ;
"multi
line" = "a
b";
"self";
"dup" = "first"; "dup" = "last";/*no space*/"tight"="t";)");
  ASSERT_TRUE(t) << "well-formed";
  EXPECT_EQ(lookUp(t, "plain"), "Plain text");
  EXPECT_EQ(lookUp(t, "escaped"), "say \"hi\"\\ \n\ttab éé 🍅 A");
  EXPECT_EQ(lookUp(t, "unquoted_key.v2"), "bare.value_1");
  EXPECT_EQ(lookUp(t, "multi\nline"), "a\nb");
  EXPECT_EQ(lookUp(t, "self"), "self") << "`\"key\";` maps the key to itself";
  EXPECT_EQ(lookUp(t, "dup"), "last");
  EXPECT_EQ(lookUp(t, "tight"), "t");
  EXPECT_FALSE(t->objectForKey("k"_ns)) << "commented out";
  EXPECT_EQ(t->count(), 7u);
  EXPECT_EQ(parse("")->count(), 0u) << "an empty file is an empty table";
  EXPECT_EQ(parse("  /* only a comment */ // and another")->count(), 0u);
}

TEST(StringsTable, ReadsUtf16WithByteOrderMarkAndUtf8WithOrWithout) {
  auto utf16 = [](bool little, std::u16string_view text) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t c : text) {
      const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      bytes += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
  };
  for (bool little : {true, false}) {
    Ref<NSDictionary> t = parse(utf16(little, u"\"clé\" = \"valeur 🍅\";"));
    ASSERT_TRUE(t) << (little ? "UTF-16LE" : "UTF-16BE");
    EXPECT_EQ(lookUp(t, "clé"), "valeur 🍅");
  }
  Ref<NSDictionary> bom = parse("\xEF\xBB\xBF\"k\" = \"v\";");
  ASSERT_TRUE(bom);
  EXPECT_EQ(lookUp(bom, "k"), "v") << "the UTF-8 byte order mark is not part of the first key";
}

TEST(StringsTable, MalformedTextIsNil) {
  for (std::string_view bad :
       {R"("k" = "v")", R"("k" = "v)", R"("k" "v";)", R"("k" = ;)", R"(= "v";)", "/* open", R"("k" = "v"; "x" = )",
        R"("k" = "\U";)", "\"k\" = \"\xC3\x28\";", R"(k-ey = "v";)", "\xFF\xFE\x41"}) {
    EXPECT_FALSE(parse(bad)) << "should be rejected: " << bad;
  }
}

TEST(RealBundle, ServesTheModulesStringsInfoAndImages) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(ns(kRealBundle));
  ASSERT_TRUE(bundle) << kRealBundle;
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("EXTRAS"_ns, "fallback"_ns, nullptr).get()), "Extras");
  Ref<NSString> error = bundle->localizedStringForKey_value_table("NETWORK_ERROR"_ns, nullptr, "Localizable"_ns);
  EXPECT_TRUE(error->hasPrefix("An error occurred"_ns) && error->containsString("%@"_ns)) << utf8(error.get());
  for (const char* key :
       {"NO_RATING_AVAILABLE", "RATINGS_DESC", "CRITIC_RATINGS", "AUDIENCE_RATINGS", "PERCENTAGE", "METER"}) {
    Ref<NSString> k = NSString::stringWithUTF8String(key);
    EXPECT_FALSE(bundle->localizedStringForKey_value_table(k, nullptr, nullptr)->isEqualToString(k))
        << key << " is in the table";
  }
  Ref<NSDictionary> whole = NSBundleParseStringsTable(readFile(kRealBundle + "/en.lproj/Localizable.strings"));
  ASSERT_TRUE(whole) << "the shipped table parses";
  EXPECT_EQ(whole->count(), 8u);

  EXPECT_EQ(utf8(objc_cast<NSString>(bundle->objectForInfoDictionaryKey("CFBundleIdentifier"_ns))),
            "com.scorelens.bundle");
  EXPECT_EQ(utf8(objc_cast<NSString>(bundle->objectForInfoDictionaryKey("CFBundleShortVersionString"_ns))), "1.0.0");
  EXPECT_FALSE(bundle->objectForInfoDictionaryKey("NoSuchKey"_ns));

  Ref<NSString> poop = bundle->pathForResource_ofType("poop"_ns, "png"_ns);
  ASSERT_TRUE(poop);
  EXPECT_TRUE(std::filesystem::is_regular_file(utf8(poop.get())));
  EXPECT_FALSE(bundle->pathForResource_ofType("no_such_image"_ns, "png"_ns));
}

TEST(Bundle, MissingKeyFallsBackToValueThenKey) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(ns(kRealBundle));
  ASSERT_TRUE(bundle);
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("MISSING"_ns, "Shown"_ns, nullptr).get()), "Shown");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("MISSING"_ns, ""_ns, nullptr).get()), "MISSING");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("MISSING"_ns, nullptr, nullptr).get()), "MISSING");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("EXTRAS"_ns, "x"_ns, "NoSuchTable"_ns).get()), "x");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table(nullptr, "v"_ns, nullptr).get()), "v");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table(nullptr, nullptr, nullptr).get()), "");
}

TEST(Bundle, OnlyReadableDirectoriesAreBundlesAndEachPathIsOneBundle) {
  TempDir dir;
  const std::string file = dir.write("file.txt", "x");
  EXPECT_FALSE(NSBundle::bundleWithPath(ns(file))) << "a file is not a bundle";
  EXPECT_FALSE(NSBundle::bundleWithPath(ns(dir / "missing")));
  EXPECT_FALSE(NSBundle::bundleWithPath(nullptr));
  Ref<NSBundle> a = NSBundle::bundleWithPath(ns(dir.path().string()));
  Ref<NSBundle> b = NSBundle::bundleWithPath(ns(dir.path().string() + "/"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a.get(), b.get()) << "the same directory is the same bundle";
  EXPECT_EQ(utf8(a->bundlePath().get()), dir.path().string());
}

TEST(Bundle, LocalisedTableWinsAndIsReadOnce) {
  TempDir dir;
  dir.write("en.lproj/Localizable.strings", R"("k" = "english";)");
  dir.write("Localizable.strings", R"("k" = "base"; "only_base" = "b";)");
  dir.write("Other.strings", R"("k" = "other";)");
  dir.write("Broken.strings", R"("k" = "unterminated)");
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(ns(dir.path().string()));
  ASSERT_TRUE(bundle);
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("k"_ns, nullptr, nullptr).get()), "english");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("only_base"_ns, nullptr, nullptr).get()), "only_base")
      << "one file is the table: the English one, as the device picks";
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("k"_ns, nullptr, "Other"_ns).get()), "other")
      << "a table without a localisation is read from the bundle's top";
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("k"_ns, "fallback"_ns, "Broken"_ns).get()), "fallback")
      << "a malformed table is empty";

  dir.write("en.lproj/Localizable.strings", R"("k" = "edited";)");
  EXPECT_EQ(utf8(bundle->localizedStringForKey_value_table("k"_ns, nullptr, nullptr).get()), "english") << "read once";
  EXPECT_EQ(utf8(bundle->pathForResource_ofType("Localizable"_ns, "strings"_ns).get()), dir / "Localizable.strings");
}

TEST(Bundle, ConcurrentFirstLookUpsAgree) {
  TempDir dir;
  std::string table;
  for (int i = 0; i < 200; ++i) table += "\"key" + std::to_string(i) + "\" = \"value" + std::to_string(i) + "\";\n";
  dir.write("en.lproj/Localizable.strings", table);
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(ns(dir.path().string()));
  ASSERT_TRUE(bundle);
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = t; i < 200; i += 4) {
        Ref<NSString> key = NSString::stringWithUTF8String("key" + std::to_string(i));
        if (utf8(bundle->localizedStringForKey_value_table(key, nullptr, nullptr).get()) == "value" + std::to_string(i))
          ++right;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(right, 200);
}

TEST(Bundle, InfoPlistReaderTakesTopLevelScalarsAndSkipsContainers) {
  Ref<NSDictionary> info = NSBundleParseInfoPlist(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- a comment <key>Not</key> -->
<dict>
  <key>Name</key><string>Tom &amp; Jerry &lt;&#233;&#x1F345;&gt;</string>
  <key>Nested</key><dict><key>Inner</key><array><string>x</string><dict/></array></dict>
  <key>Empty</key><string/>
  <key>Yes</key><true/>
  <key>No</key><false/>
  <key>Count</key><integer>-12</integer>
</dict>
</plist>)");
  ASSERT_TRUE(info);
  EXPECT_EQ(lookUp(info, "Name"), "Tom & Jerry <é🍅>");
  EXPECT_FALSE(info->objectForKey("Nested"_ns)) << "containers are not read";
  EXPECT_FALSE(info->objectForKey("Inner"_ns)) << "and their keys do not leak to the top";
  EXPECT_EQ(lookUp(info, "Empty"), "");
  EXPECT_TRUE(objc_cast<NSNumber>(info->objectForKey("Yes"_ns))->boolValue());
  EXPECT_FALSE(objc_cast<NSNumber>(info->objectForKey("No"_ns))->boolValue());
  EXPECT_EQ(objc_cast<NSNumber>(info->objectForKey("Count"_ns))->integerValue(), -12);
  EXPECT_EQ(info->count(), 5u);

  for (std::string_view bad :
       {"", "<plist><array/></plist>", "<plist><dict><key>a</key>", "<dict><string>x</string></dict>",
        "<dict><key>a</key><string>&bogus;</string></dict>"}) {
    EXPECT_FALSE(NSBundleParseInfoPlist(bad)) << bad;
  }
}

TEST(Bundle, MainBundlePathIsConfigurable) {
  TempDir dir;
  NSBundle::setMainBundlePath(dir.path().string());
  NSBundle* main = NSBundle::mainBundle();
  EXPECT_EQ(utf8(main->bundlePath().get()), dir.path().string());
  EXPECT_EQ(NSBundle::mainBundle(), main);
  NSBundle::setMainBundlePath(std::filesystem::current_path().string());
  EXPECT_NE(NSBundle::mainBundle(), main);
  EXPECT_EQ(utf8(main->bundlePath().get()), dir.path().string()) << "the old pointer stays valid";
}

}  // namespace
