// The JSON reader's own paths beyond the decoding contract: integers beyond
// 64 bits, a raw byte order mark inside texts, and one parser per thread.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"

namespace {

StrongId decode(std::string_view json, Ref<NSError>* error = nullptr) {
  return NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(json), 0, error);
}

NSArray* list(const StrongId& value) { return objc_cast<NSArray>(value.get()); }
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

}  // namespace
