#include "platform/foundation/NSUserDefaults.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/temp_dir.h"

namespace {

Ref<NSUserDefaults> openDefaults(const std::string& path) { return make<NSUserDefaults>(path); }

TEST(UserDefaults, RegisteredValuesAnswerOnlyUntilAValueIsStored) {
  TempDir dir;
  auto defaults = openDefaults(dir / "d.json");
  defaults->registerDefaults(
      NSDictionary::dictionaryWithObjectsAndKeys({{"flag"_ns, box(true)}, {"count"_ns, box(3)}}));
  EXPECT_TRUE(defaults->boolForKey("flag"_ns)) << "registered";
  EXPECT_EQ(defaults->integerForKey("count"_ns), 3);
  EXPECT_FALSE(defaults->boolForKey("unknown"_ns)) << "neither stored nor registered";

  defaults->setBool_forKey(false, "flag"_ns);
  EXPECT_FALSE(defaults->boolForKey("flag"_ns)) << "a stored NO hides the registered YES";
  defaults->removeObjectForKey("flag"_ns);
  EXPECT_TRUE(defaults->boolForKey("flag"_ns)) << "removal uncovers the registered value";

  defaults->setBool_forKey(true, "stored"_ns);
  EXPECT_EQ(readFile(dir / "d.json").find("count"), std::string::npos) << "the registration domain is never written";
}

TEST(UserDefaults, StoredValuesSurviveReloadAsPlainJSON) {
  TempDir dir;
  const std::string path = dir / "nested/dir/d.json";  // folders are made on the first save
  {
    auto defaults = openDefaults(path);
    defaults->setBool_forKey(true, "on"_ns);
    defaults->setBool_forKey(false, "off"_ns);
    defaults->setInteger_forKey(-42, "n"_ns);
    defaults->setObject_forKey("Amélie / \"2001\""_ns, "title"_ns);
    defaults->setObject_forKey(NSArray::arrayWithObjects({box(1.5), "x"_ns}), "list"_ns);
  }
  auto reloaded = openDefaults(path);
  EXPECT_EQ(reloaded->lastLoadError(), "");
  EXPECT_TRUE(reloaded->boolForKey("on"_ns));
  EXPECT_FALSE(reloaded->boolForKey("off"_ns));
  EXPECT_EQ(reloaded->integerForKey("n"_ns), -42);
  EXPECT_EQ(utf8(reloaded->stringForKey("title"_ns).get()), "Amélie / \"2001\"");
  EXPECT_TRUE(objc_isEqual(reloaded->objectForKey("list"_ns).get(), NSArray::arrayWithObjects({box(1.5), "x"_ns})));

  // The documented format: one object, booleans as true and false.
  StrongId file =
      NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(readFile(path)), 0, nullptr);
  auto* dict = objc_cast<NSDictionary>(file.get());
  ASSERT_TRUE(dict) << readFile(path);
  EXPECT_EQ(objc_cast<NSNumber>(dict->objectForKey("on"_ns))->kind(), NSNumber::Kind::Bool);
  EXPECT_NE(readFile(path).find("\"off\" : false"), std::string::npos) << readFile(path);
}

TEST(UserDefaults, BoolAndIntegerReadNumbersAndStringsLikeThePlatform) {
  auto defaults = make<NSUserDefaults>();  // memory only
  struct Case {
    StrongId value;
    bool expected;
  };
  for (const Case& c : std::initializer_list<Case>{{"YES"_ns, true},
                                                   {"yes"_ns, true},
                                                   {"true"_ns, true},
                                                   {"TRUE"_ns, true},
                                                   {"1"_ns, true},
                                                   {"-3"_ns, true},
                                                   {"0"_ns, false},
                                                   {"NO"_ns, false},
                                                   {"false"_ns, false},
                                                   {"Y"_ns, false},
                                                   {""_ns, false},
                                                   {box(2), true},
                                                   {box(0.5), true},
                                                   {box(0), false},
                                                   {box(false), false},
                                                   {NSArray::arrayWithObjects({box(1)}), false}}) {
    defaults->setObject_forKey(c.value, "k"_ns);
    EXPECT_EQ(defaults->boolForKey("k"_ns), c.expected)
        << utf8(objc_msgSend<Ref<NSString>>(c.value, "description").get());
  }
  defaults->setObject_forKey("17 apples"_ns, "k"_ns);
  EXPECT_EQ(defaults->integerForKey("k"_ns), 17);
  defaults->setObject_forKey(box(7), "k"_ns);
  EXPECT_EQ(utf8(defaults->stringForKey("k"_ns).get()), "7") << "a number reads as its text";
  defaults->setObject_forKey(NSArray::array(), "k"_ns);
  EXPECT_EQ(defaults->integerForKey("k"_ns), 0);
  EXPECT_FALSE(defaults->stringForKey("k"_ns));
  defaults->setObject_forKey(nullptr, "k"_ns);
  EXPECT_FALSE(defaults->objectForKey("k"_ns)) << "nil removes";
}

TEST(UserDefaults, StoresACopyNotTheCallersMutableObject) {
  auto defaults = make<NSUserDefaults>();
  auto list = make<NSMutableArray>();
  list->addObject("a"_ns);
  defaults->setObject_forKey(list, "list"_ns);
  list->addObject("b"_ns);
  EXPECT_EQ(objc_cast<NSArray>(defaults->objectForKey("list"_ns).get())->count(), 1u);
}

TEST(UserDefaults, DamagedFileIsReportedReadAsEmptyAndKeptUntilTheNextWrite) {
  TempDir dir;
  for (std::string_view damaged : {"{\"flag\": tru", "[true]", "", "\"just a string\""}) {
    const std::string path = dir.write("d.json", damaged);
    testing::internal::CaptureStderr();
    auto defaults = openDefaults(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a value for the caller, not a message";
    EXPECT_NE(defaults->lastLoadError(), "") << damaged;
    EXPECT_FALSE(defaults->objectForKey("flag"_ns)) << "read as empty";

    defaults->registerDefaults(NSDictionary::dictionaryWithObjectsAndKeys({{"r"_ns, box(1)}}));
    EXPECT_TRUE(defaults->synchronize());
    EXPECT_EQ(readFile(path), damaged) << "the evidence stays until something is written";

    defaults->setBool_forKey(true, "fresh"_ns);
    auto reloaded = openDefaults(path);
    EXPECT_EQ(reloaded->lastLoadError(), "") << "the next write replaced it";
    EXPECT_TRUE(reloaded->boolForKey("fresh"_ns));
  }
}

TEST(UserDefaults, MissingFileIsNotAnError) {
  TempDir dir;
  testing::internal::CaptureStderr();
  auto defaults = openDefaults(dir / "absent.json");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(defaults->lastLoadError(), "");
  EXPECT_TRUE(defaults->synchronize());
}

TEST(UserDefaults, FailedSaveKeepsValuesInMemoryAndSaysSo) {
  TempDir dir;
  const std::string blocker = dir.write("not-a-dir", "x");  // a file where the folder should be
  testing::internal::CaptureStderr();
  auto defaults = openDefaults(blocker + "/d.json");
  defaults->setBool_forKey(true, "flag"_ns);
  defaults->setBool_forKey(true, "flag2"_ns);
  EXPECT_FALSE(defaults->synchronize());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(defaults->lastSaveError().find("Not a directory"), std::string::npos) << defaults->lastSaveError();
  EXPECT_TRUE(defaults->boolForKey("flag"_ns));

  auto saved = openDefaults(dir / "d.json");
  saved->setBool_forKey(true, "flag"_ns);
  EXPECT_EQ(saved->lastSaveError(), "");
}

TEST(UserDefaults, ConcurrentWritersLoseNothing) {
  TempDir dir;
  const std::string path = dir / "d.json";
  auto defaults = openDefaults(path);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        Ref<NSString> key = NSString::stringWithUTF8String("k" + std::to_string(t) + "_" + std::to_string(i));
        defaults->setInteger_forKey(i, key);
        EXPECT_EQ(defaults->integerForKey(key), i);
      }
    });
  for (auto& t : threads) t.join();
  auto reloaded = openDefaults(path);
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(
          reloaded->integerForKey(NSString::stringWithUTF8String("k" + std::to_string(t) + "_" + std::to_string(i))),
          i);
}

TEST(UserDefaults, StandardDefaultsFollowTheConfiguredPath) {
  TempDir dir;
  NSUserDefaults::setStandardUserDefaultsPath(dir / "standard.json");
  NSUserDefaults* standard = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(standard->path(), dir / "standard.json");
  EXPECT_EQ(NSUserDefaults::standardUserDefaults(), standard) << "one instance";
  standard->setBool_forKey(true, "saved"_ns);
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  NSUserDefaults* fresh = NSUserDefaults::standardUserDefaults();
  EXPECT_NE(fresh, standard);
  EXPECT_TRUE(fresh->boolForKey("saved"_ns)) << "reloaded from the file";
  EXPECT_TRUE(standard->boolForKey("saved"_ns)) << "the old instance is still usable";
  NSUserDefaults::resetStandardUserDefaultsForTesting();
}

TEST(UserDefaultsDeathTest, ValuesTheFileCannotHoldAreLoud) {
  auto defaults = make<NSUserDefaults>();
  EXPECT_DEATH(defaults->setObject_forKey(NSData::dataWithBytes("x"), "k"_ns), "non-property-list");
  EXPECT_DEATH(defaults->setObject_forKey(NSArray::arrayWithObjects({NSNull::null()}), "k"_ns), "non-property-list");
  EXPECT_DEATH(defaults->setObject_forKey(box(1), nullptr), "nil key");
}

// --- crash safety -------------------------------------------------------------------

// One saved state of the crash test's child: "generation" is written after
// "state", so a file holds state == generation or state == generation + 1.
Ref<NSDictionary> stateFor(NSInteger generation) {
  // A few pages, so that a file written in place could be caught half-written.
  std::string blob;
  while (blob.size() < 6000) blob += std::to_string(generation) + ",";
  return NSDictionary::dictionaryWithObjectsAndKeys(
      {{"generation"_ns, box(generation)}, {"blob"_ns, NSString::stringWithUTF8String(blob)}});
}

// The child: continue from what the file holds, save forever, and write one
// byte to `progress` after each complete pair of saves.
[[noreturn]] void saveUntilKilled(const std::string& path, int progress) {
  auto defaults = make<NSUserDefaults>(path);
  if (!defaults->lastLoadError().empty()) _exit(3);
  NSInteger generation = defaults->integerForKey("generation"_ns);
  while (true) {
    ++generation;
    defaults->setObject_forKey(stateFor(generation), "state"_ns);
    defaults->setInteger_forKey(generation, "generation"_ns);
    if (::write(progress, "+", 1) != 1) _exit(4);
  }
}

// Checks the file is one whole state and returns its generation.
NSInteger checkWholeState(const std::string& path) {
  auto defaults = make<NSUserDefaults>(path);
  EXPECT_EQ(defaults->lastLoadError(), "") << "never damaged";
  const NSInteger generation = defaults->integerForKey("generation"_ns);
  auto* state = objc_cast<NSDictionary>(defaults->objectForKey("state"_ns).get());
  if (!state) {
    ADD_FAILURE() << "no state in " << path;
    return generation;
  }
  const NSInteger stateGeneration = objc_cast<NSNumber>(state->objectForKey("generation"_ns))->integerValue();
  EXPECT_TRUE(stateGeneration == generation || stateGeneration == generation + 1)
      << "a mix of saves: state " << stateGeneration << " with generation " << generation;
  EXPECT_TRUE(objc_isEqual(state, stateFor(stateGeneration))) << "the state's own fields disagree";
  return generation;
}

// Memory-backed when the machine has it: a killed process loses nothing that
// fsync would have saved, so the test need not pay for the disk.
std::filesystem::path crashTestBase() {
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return testing::TempDir();
}

TEST(UserDefaultsCrash, KilledWriterAlwaysLeavesOneWholeState) {
  TempDir dir(crashTestBase());
  const std::string path = dir / "defaults.json";
  std::mt19937 random(20240611);
  // A count, not a time budget: under a sanitizer each save is many times
  // slower, and a clock would quietly shrink the test there.
  constexpr int kKills = 200;
  NSInteger generation = 0;
  for (int kills = 1; kills <= kKills; ++kills) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipe[0]);
      saveUntilKilled(path, pipe[1]);
    }
    ::close(pipe[1]);

    // Let the child complete a few saves, then kill it at a random point of
    // its next ones.
    const int saves = std::uniform_int_distribution<int>(1, 3)(random);
    int seen = 0;
    while (seen < saves) {
      struct pollfd p {
        pipe[0], POLLIN, 0
      };
      // Only a child that stopped saving waits this long.
      if (::poll(&p, 1, 60'000) <= 0) break;
      char bytes[8];
      const ssize_t n =
          ::read(pipe[0], bytes, std::min<std::size_t>(sizeof bytes, static_cast<std::size_t>(saves - seen)));
      if (n <= 0) break;
      seen += static_cast<int>(n);
    }
    // Not a wait for anything: the delay only moves the kill to a random place.
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 1500)(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(pipe[0]);
    ASSERT_EQ(seen, saves) << "the child stopped early, status " << status;
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

    const NSInteger now = checkWholeState(path);
    ASSERT_GE(now, generation + saves) << "every completed save is kept (kill " << kills << ")";
    generation = now;
    if (HasFailure()) break;
  }
}

}  // namespace
