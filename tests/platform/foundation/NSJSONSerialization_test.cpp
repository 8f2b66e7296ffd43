#include "platform/foundation/NSJSONSerialization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/foundation/NSValue.h"

namespace {

StrongId decode(std::string_view json, unsigned long options = 0, Ref<NSError>* error = nullptr) {
  return NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(json), options, error);
}

// The decoding error for json, or null when it decoded.
Ref<NSError> decodeError(std::string_view json, unsigned long options = 0) {
  Ref<NSError> error;
  StrongId value = decode(json, options, &error);
  EXPECT_EQ(value == nullptr, error != nullptr) << "a value or an error, never both or neither: " << json;
  return error;
}

std::string encode(id object, unsigned long options = 0) {
  Ref<NSError> error;
  Ref<NSData> data = NSJSONSerialization::dataWithJSONObject_options_error(object, options, &error);
  EXPECT_TRUE(data) << "encoding failed: " << (error ? utf8(error->description().get()) : "no error");
  return data ? data->bytes() : std::string();
}

Ref<NSError> encodeError(id object, unsigned long options = 0) {
  Ref<NSError> error;
  Ref<NSData> data = NSJSONSerialization::dataWithJSONObject_options_error(object, options, &error);
  EXPECT_EQ(data == nullptr, error != nullptr);
  return error;
}

NSNumber* number(id value) { return objc_cast<NSNumber>(value); }

TEST(JSONDecoding, BuildsFoundationValuesKeepingMemberOrder) {
  StrongId root = decode(R"({"zeta": 1, "alpha": [true, false, null, "x", 1.5, -3], "mid": {}})");
  auto* dict = objc_cast<NSDictionary>(root.get());
  ASSERT_TRUE(dict) << "an object decodes as a dictionary";
  ASSERT_EQ(dict->count(), 3u);
  EXPECT_EQ(utf8(objc_cast<NSString>(dict->allKeys()[0].get())), "zeta") << "members keep the text's order";
  EXPECT_EQ(utf8(objc_cast<NSString>(dict->allKeys()[1].get())), "alpha");
  EXPECT_EQ(number(dict->objectForKey("zeta"_ns))->kind(), NSNumber::Kind::Integer);

  auto* list = objc_cast<NSArray>(dict->objectForKey("alpha"_ns));
  ASSERT_TRUE(list && list->count() == 6);
  EXPECT_EQ(number(list->objectAtIndex(0))->kind(), NSNumber::Kind::Bool) << "true is a boolean number";
  EXPECT_TRUE(number(list->objectAtIndex(0))->boolValue());
  EXPECT_FALSE(number(list->objectAtIndex(1))->boolValue());
  EXPECT_EQ(list->objectAtIndex(2), NSNull::null()) << "null is the NSNull instance";
  EXPECT_EQ(utf8(objc_cast<NSString>(list->objectAtIndex(3))), "x");
  EXPECT_EQ(number(list->objectAtIndex(4))->kind(), NSNumber::Kind::Double);
  EXPECT_EQ(number(list->objectAtIndex(4))->doubleValue(), 1.5);
  EXPECT_EQ(number(list->objectAtIndex(5))->integerValue(), -3);
  EXPECT_FALSE(objc_cast<NSMutableArray>(list)) << "immutable unless asked";
}

TEST(JSONDecoding, MutableContainersOptionGivesMutableClasses) {
  StrongId root = decode(R"({"a": [1]})", NSJSONReadingMutableContainers);
  auto* dict = objc_cast<NSMutableDictionary>(root.get());
  ASSERT_TRUE(dict);
  EXPECT_TRUE(objc_cast<NSMutableArray>(dict->objectForKey("a"_ns)));
}

TEST(JSONDecoding, RejectsEverythingButOneWellFormedValue) {
  for (std::string_view bad : std::initializer_list<std::string_view>{"",
                                                                      " ",
                                                                      "{} x",
                                                                      "[1]]",
                                                                      "{}{}",
                                                                      "[1",
                                                                      R"({"a":1,})",
                                                                      "[1,]",
                                                                      "[01]",
                                                                      "{'a':1}",
                                                                      R"({"a" 1})",
                                                                      "[NaN]",
                                                                      "[Infinity]",
                                                                      "[1e400]",
                                                                      "[tru]",
                                                                      "/* c */ []",
                                                                      "[\"a\tb\"]",
                                                                      std::string_view("[1]\0", 4),
                                                                      "[\"\\x41\"]",
                                                                      R"({1: 2})"}) {
    Ref<NSError> error = decodeError(bad);
    ASSERT_TRUE(error) << "should be rejected: " << bad;
    EXPECT_EQ(utf8(error->domain()), NSCocoaErrorDomain) << bad;
    EXPECT_EQ(error->code(), 3840) << bad;
  }
  EXPECT_FALSE(decodeError(" \n\t[ 1 , 2 ] \r\n")) << "whitespace around the value is fine";
  EXPECT_FALSE(decodeError("\xEF\xBB\xBF{}")) << "a leading byte order mark is allowed";
}

TEST(JSONDecoding, RejectsIllFormedUtf8AndLoneSurrogates) {
  for (std::string_view bad : {"[\"\xC3\x28\"]", "[\"\xC0\xAF\"]", "[\"\xED\xA0\x80\"]", "[\"\xF4\x90\x80\x80\"]",
                               "[\"\xE2\x82\"]", "[\"\xFF\"]", R"(["\ud800"])", R"(["\udc00x"])", "{\"\x80\": 1}"}) {
    EXPECT_TRUE(decodeError(bad)) << "should be rejected: " << bad;
  }
  StrongId ok = decode(R"(["é\u00e9\ud83d\ude00\u0000\ufeff"])");
  auto* list = objc_cast<NSArray>(ok.get());
  ASSERT_TRUE(list);
  EXPECT_EQ(objc_cast<NSString>(list->objectAtIndex(0))->characters(), std::u16string(u"éé\U0001F600\0\uFEFF", 6))
      << "escapes and raw UTF-8 decode to the same UTF-16; NUL and U+FEFF are kept";
}

TEST(JSONDecoding, TopLevelScalarNeedsFragmentsOption) {
  for (std::string_view scalar : {"1", "\"text\"", "true", "null"}) {
    EXPECT_TRUE(decodeError(scalar)) << scalar << " alone is not a JSON document here";
    EXPECT_FALSE(decodeError(scalar, NSJSONReadingFragmentsAllowed)) << scalar << " is a fragment";
  }
  EXPECT_EQ(number(decode("42", NSJSONReadingFragmentsAllowed))->integerValue(), 42);
  EXPECT_TRUE(decodeError("1 2", NSJSONReadingFragmentsAllowed)) << "still one value only";
}

TEST(JSONDecoding, RepeatedKeyKeepsLastValueInFirstPlace) {
  StrongId root = decode(R"({"a": 1, "b": 2, "a": 3})");
  auto* dict = objc_cast<NSDictionary>(root.get());
  ASSERT_TRUE(dict);
  EXPECT_EQ(dict->count(), 2u);
  EXPECT_EQ(number(dict->objectForKey("a"_ns))->integerValue(), 3) << "the last value wins, as on the device";
  EXPECT_EQ(utf8(objc_cast<NSString>(dict->allKeys()[0].get())), "a");
}

TEST(JSONDecoding, NestingIsBoundedInsteadOfExhaustingTheStack) {
  auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_FALSE(decodeError(nested(NSJSONSerializationMaxDepth))) << "the limit itself is fine";
  EXPECT_TRUE(decodeError(nested(NSJSONSerializationMaxDepth + 1)));
  EXPECT_TRUE(decodeError(std::string(1'000'000, '['))) << "a hostile input fails cleanly";
  EXPECT_TRUE(decodeError(std::string(100'000, '[') + std::string(100'000, ']')));
}

TEST(JSONDecoding, IntegersThatFit64BitsStayExactOthersBecomeDoubles) {
  StrongId root =
      decode("[9223372036854775807, -9223372036854775808, 9223372036854775808, 18446744073709551616, -0, 1.0, 1e2]");
  auto* list = objc_cast<NSArray>(root.get());
  ASSERT_TRUE(list);
  EXPECT_EQ(number(list->objectAtIndex(0))->kind(), NSNumber::Kind::Integer);
  EXPECT_EQ(number(list->objectAtIndex(0))->integerValue(), INT64_MAX);
  EXPECT_EQ(number(list->objectAtIndex(1))->integerValue(), INT64_MIN);
  EXPECT_EQ(number(list->objectAtIndex(2))->kind(), NSNumber::Kind::Double) << "beyond int64: a double";
  EXPECT_EQ(number(list->objectAtIndex(2))->doubleValue(), 9223372036854775808.0);
  EXPECT_EQ(number(list->objectAtIndex(3))->kind(), NSNumber::Kind::Double);
  EXPECT_EQ(number(list->objectAtIndex(5))->kind(), NSNumber::Kind::Double) << "a fraction or exponent means a double";
  EXPECT_EQ(number(list->objectAtIndex(6))->doubleValue(), 100.0);
}

TEST(JSONEncoding, WritesCompactTextWithTheDevicesEscapes) {
  auto dict = make<NSMutableDictionary>();
  dict->setObject_forKey("a/b \"q\" \\ \n\r\t\b\f \x1f é \U0001F600"_ns, "s"_ns);
  dict->setObject_forKey(NSArray::arrayWithObjects({box(true), box(false), NSNull::null(), box(-7)}), "list"_ns);
  dict->setObject_forKey(NSDictionary::dictionary(), "empty"_ns);
  EXPECT_EQ(encode(dict),
            "{\"s\":\"a\\/b \\\"q\\\" \\\\ \\n\\r\\t\\b\\f \\u001f é \U0001F600\","
            "\"list\":[true,false,null,-7],\"empty\":{}}");
  EXPECT_EQ(encode(NSArray::arrayWithObjects({"a/b"_ns}), NSJSONWritingWithoutEscapingSlashes), "[\"a/b\"]");
}

TEST(JSONEncoding, PrintsDoublesInShortestExactForm) {
  auto list = NSArray::arrayWithObjects({box(0.1), box(1.0), box(-2.5), box(1e300), box(1.0 / 3),
                                         NSNumber::numberWithUnsignedInteger(UINT64_MAX), box(INT64_MIN)});
  const std::string text = encode(list);
  EXPECT_EQ(text, "[0.1,1,-2.5,1e+300,0.3333333333333333,18446744073709551615,-9223372036854775808]");
  StrongId decoded = decode(text);
  auto* back = objc_cast<NSArray>(decoded.get());
  ASSERT_TRUE(back);
  EXPECT_EQ(number(back->objectAtIndex(4))->doubleValue(), 1.0 / 3) << "the shortest form reads back exactly";
}

TEST(JSONEncoding, RoundTripsNestedValues) {
  const std::string text = R"({"title":"Amélie \/ \"2001\"","scores":[97,8.3,-1],"flags":{"certified":true,"x":null},)"
                           R"("emoji":"🍅","nested":[[[]],{"k":[{}]}]})";
  StrongId value = decode(text);
  ASSERT_TRUE(value);
  EXPECT_EQ(encode(value), text) << "decoding then encoding gives the same compact text";
  EXPECT_TRUE(objc_isEqual(decode(encode(value)).get(), value.get()));
}

TEST(JSONEncoding, SortedKeysAndPrettyPrinting) {
  auto dict = make<NSMutableDictionary>();
  dict->setObject_forKey(box(1), "b"_ns);
  dict->setObject_forKey(NSArray::arrayWithObjects({box(2), NSArray::array()}), "a"_ns);
  EXPECT_EQ(encode(dict, NSJSONWritingSortedKeys), R"({"a":[2,[]],"b":1})");
  EXPECT_EQ(encode(dict, NSJSONWritingSortedKeys | NSJSONWritingPrettyPrinted),
            "{\n  \"a\" : [\n    2,\n    []\n  ],\n  \"b\" : 1\n}");
}

TEST(JSONEncoding, RefusesWhatJSONCannotCarry) {
  auto nonStringKey = make<NSMutableDictionary>();
  nonStringKey->setObject_forKey(box(1), box(2));
  auto selfContaining = make<NSMutableArray>();
  selfContaining->addObject(selfContaining);
  for (StrongId bad : std::initializer_list<StrongId>{
           NSArray::arrayWithObjects({box(std::nan(""))}),
           NSArray::arrayWithObjects({box(std::numeric_limits<double>::infinity())}),
           nonStringKey,
           NSArray::arrayWithObjects({NSData::dataWithBytes("x")}),
           selfContaining,
       }) {
    Ref<NSError> error = encodeError(bad);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 3840);
    EXPECT_FALSE(NSJSONSerialization::isValidJSONObject(bad));
  }
  selfContaining->removeAllObjects();  // breaks the cycle so the array can be freed

  EXPECT_TRUE(encodeError("text"_ns)) << "a top-level string needs the fragments option";
  EXPECT_EQ(encode("text"_ns, NSJSONWritingFragmentsAllowed), "\"text\"");
  EXPECT_TRUE(encodeError(nullptr, NSJSONWritingFragmentsAllowed));
  EXPECT_FALSE(NSJSONSerialization::isValidJSONObject("text"_ns));
  EXPECT_TRUE(NSJSONSerialization::isValidJSONObject(NSArray::array()));
}

}  // namespace
