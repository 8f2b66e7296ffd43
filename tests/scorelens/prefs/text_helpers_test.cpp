#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/foundation/NSValue.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {
std::string stripped(const char* title) { return utf8(CXPrefsManager::removeParensFromString(NSString::stringWithUTF8String(title))); }
}  // namespace

TEST(TitleCleaning, RemovesEachParenthesisedPartWithOneSpaceBeforeIt) {
  EXPECT_EQ(stripped("Heat (1995)"), "Heat") << "the year and its space go";
  EXPECT_EQ(stripped("(US) Heat"), " Heat") << "a leading part leaves the following space";
  EXPECT_EQ(stripped("Heat  (1995)"), "Heat ") << "only one whitespace character goes with it";
  EXPECT_EQ(stripped("A (b) C (d)"), "A C") << "every part goes, scanned from the start";
  EXPECT_EQ(stripped("Heat (1995"), "Heat (1995") << "an unclosed parenthesis stays";
  EXPECT_EQ(stripped("A (b (c) d) e"), "A d) e") << "the first closing parenthesis ends the match";
  EXPECT_EQ(stripped("Heat"), "Heat");
  EXPECT_EQ(stripped(""), "");
  EXPECT_EQ(CXPrefsManager::removeParensFromString(nullptr), nullptr);
}

TEST(TitleCleaning, FirstUseFromTwoThreadsAtOnceGivesTheSameAnswer) {
  // Both threads may be the first to need the compiled expression.
  std::atomic<int> ready{0};
  std::vector<std::string> results(2);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < 2) std::this_thread::yield();
      results[t] = stripped("Alien (1979)");
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(results[0], "Alien");
  EXPECT_EQ(results[1], "Alien");
}

TEST(SwiftValueNames, TakesTheFirstNonEmptyQuotedName) {
  auto name = [](const char* description) {
    return CXPrefsManager::nameFromSwiftValueDescription(NSString::stringWithUTF8String(description));
  };
  EXPECT_EQ(utf8(name(R"(Person(id: 4, name: "Ann Lee", role: "x"))")), "Ann Lee");
  EXPECT_EQ(utf8(name(R"(name:"A" name: "B")")), "A") << "the first match wins";
  EXPECT_EQ(utf8(name("name:\n\t \"Spaced\"")), "Spaced") << "any whitespace may follow the colon";
  EXPECT_EQ(name(R"(name: "")"), nullptr) << "an empty name is no name";
  EXPECT_EQ(name(R"(title: "Heat")"), nullptr);
  EXPECT_EQ(CXPrefsManager::nameFromSwiftValueDescription(nullptr), nullptr);
}

namespace {
// Stands in for the host run time's wrapper of values without an object form.
class SwiftValueStandIn : public NSObject {
 public:
  explicit SwiftValueStandIn(std::string text) : text_(std::move(text)) {}
  SwiftValueStandIn() = default;
  Ref<NSString> description() const override { return NSString::stringWithUTF8String(text_); }

 private:
  std::string text_;
};

Class swiftValueClass() {
  static Class cls = [] {
    Class existing = objc_getClass("__SwiftValue");
    return existing ? existing : objc::registerClass<SwiftValueStandIn>("__SwiftValue", objc::classOf<NSObject>());
  }();
  return cls;
}

StrongId wrapped(const char* description) {
  swiftValueClass();
  return make<SwiftValueStandIn>(description);
}

StrongId record(std::initializer_list<std::pair<StrongId, StrongId>> pairs) {
  return NSDictionary::dictionaryWithObjectsAndKeys(pairs);
}
}  // namespace

TEST(MetadataNames, KeepsTheOrderOfTheEntriesThatYieldAName) {
  Ref<NSArray> contents = NSArray::arrayWithObjects({
      record({{"name"_ns, "First"_ns}}),
      wrapped(R"(Person(name: "Second"))"),
      record({{"role"_ns, "Director"_ns}}),  // no name
      "Not a record"_ns,                     // another class
      wrapped("Person(id: 9)"),              // no name inside
      record({{"name"_ns, box(42)}}),        // kept whatever its type
      record({{"name"_ns, "Last"_ns}}),
  });
  Ref<NSArray> names = CXPrefsManager::namesForMetadataContents(contents);
  ASSERT_EQ(names->count(), 4u);
  EXPECT_EQ(utf8(objc_cast<NSString>(names->objectAtIndex(0))), "First");
  EXPECT_EQ(utf8(objc_cast<NSString>(names->objectAtIndex(1))), "Second");
  EXPECT_TRUE(objc_isEqual(names->objectAtIndex(2), box(42))) << "a record's name is added unchanged";
  EXPECT_EQ(utf8(objc_cast<NSString>(names->objectAtIndex(3))), "Last");
  EXPECT_EQ(objc_cast<NSMutableArray>(names.get()), nullptr) << "the result is immutable";
}

TEST(MetadataNames, EmptyOrNilInputGivesAnEmptyArray) {
  EXPECT_EQ(CXPrefsManager::namesForMetadataContents(NSArray::array())->count(), 0u);
  EXPECT_EQ(CXPrefsManager::namesForMetadataContents(nullptr)->count(), 0u);
}
