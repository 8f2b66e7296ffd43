#include "platform/foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NSValue.h"

namespace {

// An observer that records what it is sent, runs an optional action inside
// the delivery, and can unregister itself as it dies.
class Recorder : public NSObject {
 public:
  ~Recorder() override {
    if (center) center->removeObserver(this);
  }
  void note(NSNotification* n) {
    ++calls;
    {
      std::lock_guard guard(lock);
      names.push_back(utf8(n->name()));
    }
    if (action) action(n);
  }

  std::atomic<int> calls{0};
  std::mutex lock;
  std::vector<std::string> names;  // guarded by lock while others may post
  std::function<void(NSNotification*)> action;
  NSNotificationCenter* center = nullptr;
};

Ref<Recorder> makeRecorder() {
  static Class cls = [] {
    Class c = objc::registerClass<Recorder>("NotificationTestRecorder", objc::classOf<NSObject>());
    objc::addMethod<&Recorder::note>(c, "note:");
    return c;
  }();
  (void)cls;
  return make<Recorder>();
}

const SEL kNote = sel("note:");

TEST(NotificationCenter, DeliversByNameAndSenderWithNilMeaningAny) {
  auto center = make<NSNotificationCenter>();
  auto sender = "sender"_ns;
  auto other = "other"_ns;
  auto byName = makeRecorder(), bySender = makeRecorder(), everything = makeRecorder();
  center->addObserver_selector_name_object(byName, kNote, "Changed"_ns, nullptr);
  center->addObserver_selector_name_object(bySender, kNote, "Changed"_ns, sender);
  center->addObserver_selector_name_object(everything, kNote, nullptr, nullptr);

  center->postNotificationName_object("Changed"_ns, other);
  center->postNotificationName_object("Changed"_ns, sender);
  center->postNotificationName_object("Other"_ns, sender);

  EXPECT_EQ(byName->calls, 2) << "nil object: posts from any sender";
  EXPECT_EQ(bySender->calls, 1) << "only posts from its sender";
  EXPECT_EQ(everything->calls, 3) << "nil name: every post";
  EXPECT_EQ(everything->names, (std::vector<std::string>{"Changed", "Changed", "Other"})) << "in posting order";
}

TEST(NotificationCenter, PassesTheNotificationWithItsUserInfo) {
  auto center = make<NSNotificationCenter>();
  auto r = makeRecorder();
  auto sender = "s"_ns;
  Ref<NSNotification> seen;
  r->action = [&](NSNotification* n) { seen = Ref<NSNotification>(n); };
  center->addObserver_selector_name_object(r, kNote, "N"_ns, nullptr);
  center->postNotificationName_object_userInfo("N"_ns, sender,
                                               NSDictionary::dictionaryWithObjectsAndKeys({{"k"_ns, box(1)}}));
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->object(), sender.get());
  EXPECT_EQ(objc_cast<NSNumber>(seen->userInfo()->objectForKey("k"_ns))->integerValue(), 1);
  EXPECT_EQ(objc_msgSend<StrongId>(seen.get(), "object").get(), sender.get()) << "readable by message too";
}

TEST(NotificationCenter, ObserverRegisteredTwiceIsCalledTwice) {
  auto center = make<NSNotificationCenter>();
  auto r = makeRecorder();
  center->addObserver_selector_name_object(r, kNote, "N"_ns, nullptr);
  center->addObserver_selector_name_object(r, kNote, "N"_ns, nullptr);
  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(r->calls, 2);
  center->removeObserver(r);
  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(r->calls, 2) << "removeObserver: removes every registration";
}

TEST(NotificationCenter, DestroyedObserverIsSkippedAndDoesNotKeepItsSenderMatching) {
  auto center = make<NSNotificationCenter>();
  auto survivor = makeRecorder();
  center->addObserver_selector_name_object(survivor, kNote, "N"_ns, nullptr);
  {
    auto doomed = makeRecorder();
    center->addObserver_selector_name_object(doomed, kNote, "N"_ns, nullptr);
  }  // destroyed while registered, without removing itself
  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(survivor->calls, 1) << "the post went on past the dead observer";

  // A registration for a sender that has died must not fire for a new object
  // that happens to get the same address.
  auto r = makeRecorder();
  {
    auto sender = make<NSObject>();
    center->addObserver_selector_name_object(r, kNote, "S"_ns, sender);
  }
  for (int i = 0; i < 8; ++i) center->postNotificationName_object("S"_ns, make<NSObject>());
  EXPECT_EQ(r->calls, 0);
}

TEST(NotificationCenter, RemovalByNameAndSenderIsSelective) {
  auto center = make<NSNotificationCenter>();
  auto r = makeRecorder();
  auto a = "a"_ns, b = "b"_ns;
  center->addObserver_selector_name_object(r, kNote, "X"_ns, a);
  center->addObserver_selector_name_object(r, kNote, "X"_ns, b);
  center->addObserver_selector_name_object(r, kNote, "Y"_ns, nullptr);
  center->removeObserver_name_object(r, "X"_ns, a);
  center->postNotificationName_object("X"_ns, a);
  center->postNotificationName_object("X"_ns, b);
  center->postNotificationName_object("Y"_ns, a);
  EXPECT_EQ(r->names, (std::vector<std::string>{"X", "Y"})) << "only the X-from-a registration is gone";
  center->removeObserver_name_object(r, nullptr, nullptr);
  center->postNotificationName_object("Y"_ns, a);
  EXPECT_EQ(r->calls, 2) << "nil name and object remove everything of the observer";
}

TEST(NotificationCenter, ObserversMayChangeRegistrationsAndPostDuringAPost) {
  auto center = make<NSNotificationCenter>();
  auto first = makeRecorder(), second = makeRecorder(), late = makeRecorder();
  first->action = [&](NSNotification* n) {
    if (utf8(n->name()) != "N") return;
    center->removeObserver(second);                                          // after this post
    center->addObserver_selector_name_object(late, kNote, "N"_ns, nullptr);  // likewise
    center->postNotificationName_object("Inner"_ns, nullptr);                // re-entrant post
  };
  center->addObserver_selector_name_object(first, kNote, nullptr, nullptr);
  center->addObserver_selector_name_object(second, kNote, "N"_ns, nullptr);

  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(first->names, (std::vector<std::string>{"N", "Inner"})) << "the nested post was delivered";
  EXPECT_EQ(second->calls, 1) << "removed during the post: it still gets that post";
  EXPECT_EQ(late->calls, 0) << "added during the post: not for that post";

  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(second->calls, 1) << "the removal applies to later posts";
  EXPECT_EQ(late->calls, 1);
}

TEST(NotificationCenter, ObserverThatDiesDuringAPostMayUnregisterInItsDestructor) {
  // The victim's last reference goes while the post still holds it for
  // delivery; it dies as the post lets go, and its destructor's
  // removeObserver must not find the centre locked.
  auto center = make<NSNotificationCenter>();
  auto killer = makeRecorder();
  Ref<Recorder> victim = makeRecorder();
  victim->center = center.get();
  killer->action = [&](NSNotification*) { victim.reset(); };
  center->addObserver_selector_name_object(killer, kNote, "N"_ns, nullptr);
  center->addObserver_selector_name_object(victim, kNote, "N"_ns, nullptr);
  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_FALSE(victim);
  center->postNotificationName_object("N"_ns, nullptr);
  EXPECT_EQ(killer->calls, 2);
}

TEST(NotificationCenter, ConcurrentPostsAndRegistrationsAreSafe) {
  auto center = make<NSNotificationCenter>();
  auto steady = makeRecorder();
  center->addObserver_selector_name_object(steady, kNote, "N"_ns, nullptr);
  constexpr int kPosts = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < kPosts; ++i) center->postNotificationName_object("N"_ns, nullptr);
    });
  threads.emplace_back([&] {
    for (int i = 0; i < kPosts; ++i) {
      auto transient = makeRecorder();
      center->addObserver_selector_name_object(transient, kNote, "N"_ns, nullptr);
      if (i % 2) center->removeObserver(transient);
    }
  });
  for (auto& t : threads) t.join();
  EXPECT_EQ(steady->calls, 2 * kPosts);
}

TEST(NotificationCenterDeathTest, UnansweredSelectorAndNilArgumentsAreLoud) {
  auto center = make<NSNotificationCenter>();
  auto r = makeRecorder();
  EXPECT_DEATH(center->addObserver_selector_name_object(nullptr, kNote, nullptr, nullptr), "nil observer");
  center->addObserver_selector_name_object(r, sel("noSuchMethod:"), "N"_ns, nullptr);
  EXPECT_DEATH(center->postNotificationName_object("N"_ns, nullptr), "unrecognized selector");
  EXPECT_DEATH(center->postNotificationName_object(nullptr, nullptr), "nil name");
}

TEST(NotificationCenter, DefaultCenterIsOneInstance) {
  EXPECT_EQ(NSNotificationCenter::defaultCenter(), NSNotificationCenter::defaultCenter());
  EXPECT_TRUE(NSNotificationCenter::defaultCenter()->isKindOfClass(objc_getClass("NSNotificationCenter")));
}

}  // namespace
