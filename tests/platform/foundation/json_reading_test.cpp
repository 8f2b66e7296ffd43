// The JSON reader's own paths beyond the decoding contract: integers beyond
// 64 bits, a raw byte order mark inside texts, one parser per thread, and
// dictionaries that make their values on first use.

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>
#include <thread>

#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"

namespace {

StrongId decode(std::string_view json, Ref<NSError>* error = nullptr) {
  return NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(json), 0, error);
}

NSArray* list(const StrongId& value) { return objc_cast<NSArray>(value.get()); }
Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }
NSNumber* number(id value) { return objc_cast<NSNumber>(value); }
NSNumber* numberAt(const StrongId& value, NSUInteger i) { return objc_cast<NSNumber>(list(value)->objectAtIndex(i)); }

TEST(JSONReading, IntegersBeyond64BitsBecomeDoublesWhereverTheyStand) {
  StrongId root = decode(R"([-9223372036854775809, {"n": 123456789012345678901234}, "18446744073709551616",
                            18446744073709551615, -9223372036854775808, 1e400e0])");
  EXPECT_FALSE(root) << "an invalid number elsewhere is still refused after the big integers are read";

  root = decode(R"([-9223372036854775809, {"n": 123456789012345678901234}, "18446744073709551616", -0])");
  ASSERT_TRUE(list(root));
  EXPECT_EQ(numberAt(root, 0)->kind(), NSNumber::Kind::Double);
  EXPECT_EQ(numberAt(root, 0)->doubleValue(), -9223372036854775809.0);
  auto* object = objc_cast<NSDictionary>(list(root)->objectAtIndex(1));
  ASSERT_TRUE(object);
  EXPECT_EQ(objc_cast<NSNumber>(object->objectForKey("n"_ns))->doubleValue(), 123456789012345678901234.0);
  EXPECT_EQ(utf8(objc_cast<NSString>(list(root)->objectAtIndex(2))), "18446744073709551616")
      << "digits inside a text are left alone";
  EXPECT_EQ(numberAt(root, 3)->kind(), NSNumber::Kind::Integer) << "-0 is the integer zero, as before";

  for (std::string_view bad : {"[184467440737095516160x]", "[-]", "[01234567890123456789012]", "[1.e5]"})
    EXPECT_FALSE(decode(bad)) << bad;
}

TEST(JSONReading, ARawByteOrderMarkInsideTextsIsKept) {
  StrongId root = decode("{\"\xEF\xBB\xBFkey\": \"\xEF\xBB\xBFvalue\"}");
  auto* object = objc_cast<NSDictionary>(root.get());
  ASSERT_TRUE(object);
  auto* key = objc_cast<NSString>(object->allKeys()[0].get());
  EXPECT_EQ(key->characters(), u"\uFEFFkey");
  EXPECT_EQ(objc_cast<NSString>(object->objectForKey(key))->characters(), u"\uFEFFvalue");
}

TEST(JSONReading, EachThreadReadsWithItsOwnParser) {
  // A large document after a small one on the same thread, while another
  // thread reads its own: each sees only its values.
  auto sum = [](int count) {
    std::string json = "[";
    for (int i = 0; i < count; ++i) json += (i ? "," : "") + std::to_string(i);
    StrongId small = decode("[1]");
    StrongId root = decode(json + "]");
    long total = 0;
    for (const StrongId& item : *list(root)) total += objc_cast<NSNumber>(item.get())->integerValue();
    return total + objc_cast<NSNumber>(list(small)->objectAtIndex(0))->integerValue();
  };
  long other = 0;
  std::thread thread([&] { other = sum(50'000); });
  const long here = sum(100'000);
  thread.join();
  EXPECT_EQ(here, 100'000L * 99'999 / 2 + 1);
  EXPECT_EQ(other, 50'000L * 49'999 / 2 + 1);
}

TEST(JSONReading, ADictionaryMakesEachValueOnceWhicheverWayItIsReached) {
  StrongId root = decode(R"({"a": {"deep": [1, "x"]}, "caf\u00e9": 2, "a": {"deep": []}, "n": null})");
  auto* object = objc_cast<NSDictionary>(root.get());
  ASSERT_TRUE(object);
  id a = object->objectForKey("a"_ns);
  ASSERT_TRUE(objc_cast<NSDictionary>(a));
  EXPECT_EQ(objc_cast<NSArray>(objc_cast<NSDictionary>(a)->objectForKey("deep"_ns))->count(), 0u)
      << "a repeated key read before the whole keeps its last value";
  EXPECT_EQ(object->objectForKey("a"_ns), a) << "the same object every time";
  EXPECT_EQ(number(object->objectForKey(ns("caf\u00e9")))->integerValue(), 2) << "a name beyond ASCII";
  EXPECT_FALSE(object->objectForKey("cafe"_ns));
  EXPECT_FALSE(object->objectForKey(NSNumber::numberWithInteger(2))) << "JSON names are texts only";

  ASSERT_EQ(object->count(), 3u);
  EXPECT_EQ(utf8(objc_cast<NSString>(object->allKeys()[0].get())), "a") << "first place";
  EXPECT_EQ(object->allValues()[0].get(), a) << "the whole holds the values already made";
  StrongId mutableRoot = NSJSONSerialization::JSONObjectWithData_options_error(
      NSData::dataWithBytes(R"({"n": null, "caf\u00e9": 2, "a": {"deep": []}})"), NSJSONReadingMutableContainers,
      nullptr);
  EXPECT_TRUE(objc_isEqual(root.get(), mutableRoot.get()));
  EXPECT_TRUE(objc_isEqual(mutableRoot.get(), root.get()));
}

TEST(JSONReading, ATextThatIsNeverReadIsStillChecked) {
  for (std::string_view bad : {R"({"unread": "\ud800\u0041"})", R"({"unread": ["\ud800\ud800"]})",
                               R"({"\udfff": 1})", "{\"unread\": \"\xED\xA0\x80\"}"})
    EXPECT_FALSE(decode(bad)) << bad;
  EXPECT_TRUE(decode(R"({"unread": "\ud83d\ude00"})"));
}

TEST(JSONReading, ValuesOutliveTheAnswerTheyCameFrom) {
  Ref<NSDictionary> inner;
  {
    StrongId root = decode(R"({"hit": {"title": "Heat", "cast": [{"name": "Al Pacino"}]}})");
    inner = objc_cast<NSDictionary>(objc_cast<NSDictionary>(root.get())->objectForKey("hit"_ns));
  }
  ASSERT_TRUE(inner);
  EXPECT_EQ(utf8(objc_cast<NSString>(inner->objectForKey("title"_ns))), "Heat");
  auto* cast = objc_cast<NSArray>(inner->objectForKey("cast"_ns));
  ASSERT_TRUE(cast);
  EXPECT_EQ(utf8(objc_cast<NSString>(objc_cast<NSDictionary>(cast->objectAtIndex(0))->objectForKey("name"_ns))),
            "Al Pacino");
}

TEST(JSONReading, ThreadsReadingOneDictionaryGetTheSameValues) {
  std::string json = "{";
  for (int i = 0; i < 200; ++i) json += fmt::format("{}\"k{}\": {{\"v\": {}}}", i ? "," : "", i, i);
  StrongId root = decode(json + "}");
  auto* object = objc_cast<NSDictionary>(root.get());
  ASSERT_TRUE(object);
  auto readAll = [&] {
    std::vector<id> values;
    for (int i = 0; i < 200; ++i) values.push_back(object->objectForKey(ns(fmt::format("k{}", i))));
    return values;
  };
  std::vector<id> there;
  std::thread thread([&] { there = readAll(); });
  const std::vector<id> here = readAll();
  thread.join();
  EXPECT_EQ(here, there);
  EXPECT_EQ(object->count(), 200u);
}

}  // namespace
