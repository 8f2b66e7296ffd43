#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSValue.h"
#include "platform/objc/class.h"

namespace {

// A throwaway class hierarchy per test binary: Base answers "name" and "add:",
// Derived inherits them.
Class baseClass() {
  static Class cls = [] {
    Class c = objc_allocateClassPair(objc::classOf<NSObject>(), "RuntimeTestBase", 0);
    objc_registerClassPair(c);
    IMP name = +[](id, SEL) -> StrongId { return "base"_ns; };
    IMP add = +[](id, SEL, long a, long b) -> long { return a + b; };
    class_addMethod(c, sel("name"), name, "@@:");
    class_addMethod(c, sel("add:to:"), add, "q@:qq");
    return c;
  }();
  return cls;
}

Class derivedClass() {
  static Class cls = [] {
    Class c = objc_allocateClassPair(baseClass(), "RuntimeTestDerived", 0);
    objc_registerClassPair(c);
    return c;
  }();
  return cls;
}

StrongId newInstance(Class cls) { return StrongId::adopt(class_createInstance(cls, 0)); }

TEST(ObjcClasses, LookUpByRunTimeNameIncludingDottedAndMangled) {
  for (const char* name : {"Argo.CDSDisplayPageViewController",
                           "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo21DisplayPageButtonView_"}) {
    EXPECT_EQ(objc_getClass(name), nullptr) << name << " is not registered yet";
    Class c = objc_allocateClassPair(objc::classOf<NSObject>(), name, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(objc_getClass(name), nullptr) << "not visible before registration";
    objc_registerClassPair(c);
    EXPECT_EQ(objc_getClass(name), c);
    EXPECT_STREQ(class_getName(c), name);
  }
  EXPECT_EQ(objc_allocateClassPair(objc::classOf<NSObject>(), "NSString", 0), nullptr) << "name taken";
}

TEST(ObjcClasses, NullClassNeverPassesAClassTest) {
  Ref<NSString> s = "x"_ns;
  EXPECT_FALSE(s->isKindOfClass(objc_getClass("NoSuchHostClass")));
  EXPECT_FALSE(objc_msgSend<bool>(s, "isKindOfClass:", objc_getClass("NoSuchHostClass")));
  EXPECT_TRUE(objc_msgSend<bool>(s, "isKindOfClass:", objc_getClass("NSObject")));
}

TEST(ObjcMessaging, FindsInheritedMethodsAndChecksTypes) {
  StrongId d = newInstance(derivedClass());
  EXPECT_TRUE(utf8(objc_msgSend<Ref<NSString>>(d, "name").get()) == "base");
  EXPECT_EQ(objc_msgSend<long>(d, "add:to:", 2L, 40L), 42);
  EXPECT_TRUE(objc_msgSend<bool>(d, "respondsToSelector:", sel("name")));
  EXPECT_FALSE(objc_msgSend<bool>(d, "respondsToSelector:", sel("missing")));
}

TEST(ObjcMessaging, MessageToNilAnswersZero) {
  id nothing = nullptr;
  EXPECT_EQ(objc_msgSend<StrongId>(nothing, "name"), nullptr);
  EXPECT_EQ(objc_msgSend<long>(nothing, "add:to:", 1L, 2L), 0);
  EXPECT_FALSE(objc_msgSend<bool>(nothing, "isEqual:", nothing));
  objc_msgSend<void>(nothing, "anything");
}

TEST(ObjcMessagingDeathTest, UnansweredMessageAndTypeMismatchAreLoud) {
  StrongId d = newInstance(derivedClass());
  EXPECT_DEATH(objc_msgSend<void>(d, "noSuchMethod"), "unrecognized selector");
  EXPECT_DEATH(objc_msgSend<bool>(d, "name"), "encoding mismatch");
  EXPECT_DEATH(objc_msgSend<long>(d, "add:to:", 1, 2), "encoding mismatch") << "int is not q";
  IMP name = +[](id, SEL) -> StrongId { return nullptr; };
  EXPECT_DEATH(class_addMethod(baseClass(), sel("other"), name, "v@:"), "declared as v@:");
}

TEST(ObjcMethods, AddMethodRefusesASelectorTheClassItselfHas) {
  Class c = objc_allocateClassPair(baseClass(), "RuntimeTestAdd", 0);
  objc_registerClassPair(c);
  IMP mine = +[](id, SEL) -> StrongId { return "mine"_ns; };
  EXPECT_TRUE(class_addMethod(c, sel("name"), mine, "@@:")) << "inherited only: may override";
  EXPECT_FALSE(class_addMethod(c, sel("name"), mine, "@@:")) << "own method: refused";
  EXPECT_TRUE(class_addMethod(c, sel("fresh"), mine, "@24@0:8")) << "frame offsets are ignored";
  StrongId o = newInstance(c);
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(o, "name").get()), "mine");
}

IMP savedName;
StrongId hookedName(id self, SEL op) {
  Ref<NSString> original = imp_call<Ref<NSString>>(savedName, self, op);
  return original->stringByAppendingString("+hook"_ns.get());
}

TEST(ObjcHooks, HookOnInheritedMethodCallsThrough) {
  Class c = objc_allocateClassPair(baseClass(), "RuntimeTestHooked", 0);
  objc_registerClassPair(c);
  MSHookMessageEx(c, sel("name"), IMP(&hookedName), &savedName);
  ASSERT_TRUE(savedName) << "the inherited implementation is saved";
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(newInstance(c), "name").get()), "base+hook");
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(newInstance(baseClass()), "name").get()), "base")
      << "the superclass is untouched";

  IMP none = IMP(&hookedName);
  MSHookMessageEx(c, sel("notThere"), IMP(&hookedName), &none);
  EXPECT_FALSE(none) << "a selector the class does not answer is not hooked";
}

// A message sent once is answered from the sending thread's cache; every way
// of changing a method table must make the next send see the change, also
// on a subclass that only inherits the method and on another thread.
TEST(ObjcMethodCache, EveryChangeToAMethodReachesTheNextSend) {
  Class base = objc_allocateClassPair(objc::classOf<NSObject>(), "RuntimeTestCacheBase", 0);
  objc_registerClassPair(base);
  Class derived = objc_allocateClassPair(base, "RuntimeTestCacheDerived", 0);
  objc_registerClassPair(derived);
  IMP one = +[](id, SEL) -> long { return 1; };
  IMP two = +[](id, SEL) -> long { return 2; };
  IMP three = +[](id, SEL) -> long { return 3; };
  IMP four = +[](id, SEL) -> long { return 4; };
  IMP five = +[](id, SEL) -> long { return 5; };
  ASSERT_TRUE(class_addMethod(base, sel("cached"), one, "q@:"));
  StrongId b = newInstance(base), d = newInstance(derived);
  auto send = [](id o) { return objc_msgSend<long>(o, sel("cached")); };
  ASSERT_EQ(send(d), 1);  // cached for the subclass
  method_setImplementation(class_getInstanceMethod(base, sel("cached")), two);
  EXPECT_EQ(send(d), 2) << "method_setImplementation on the superclass";
  class_replaceMethod(base, sel("cached"), three, nullptr);
  EXPECT_EQ(send(d), 3) << "class_replaceMethod of an own method";
  ASSERT_TRUE(class_addMethod(derived, sel("cached"), four, "q@:"));
  EXPECT_EQ(send(d), 4) << "class_addMethod overriding an inherited method";
  EXPECT_EQ(send(b), 3) << "the superclass keeps its own";
  IMP saved;
  MSHookMessageEx(base, sel("cached"), five, &saved);
  EXPECT_EQ(send(b), 5) << "MSHookMessageEx";
  EXPECT_EQ(imp_call<long>(saved, b, sel("cached")), 3);

  // A hook installed on another thread while this one keeps sending: once
  // the hook is in, this thread sees it.
  std::atomic<bool> hooked{false};
  long seen = send(b);  // before the thread starts, which may finish before the loop's first send
  std::thread hooker([&] {
    class_replaceMethod(base, sel("cached"), one, nullptr);
    hooked = true;
  });
  while (!hooked) seen = send(b);
  hooker.join();
  EXPECT_TRUE(seen == 5 || seen == 1);
  EXPECT_EQ(send(b), 1);
}

std::atomic<int> deallocRuns{0};
IMP savedDealloc;
void hookedDealloc(id self, SEL op) {
  ++deallocRuns;
  imp_call<void>(savedDealloc, self, op);
}

TEST(ObjcLifetime, ReplacedDeallocRunsAndWeakReferencesClear) {
  Class c = objc_allocateClassPair(baseClass(), "RuntimeTestDealloc", 0);
  objc_registerClassPair(c);
  MSHookMessageEx(c, sel_registerName("dealloc"), IMP(&hookedDealloc), &savedDealloc);
  StrongId o = newInstance(c);
  Weak<objc_object> weak(o);
  EXPECT_EQ(weak.lock().get(), o.get());
  o.reset();
  EXPECT_EQ(deallocRuns.load(), 1);
  EXPECT_EQ(weak.lock(), nullptr);
}

TEST(ObjcLifetime, AssociatedObjectsDieWithTheirOwner) {
  static const char key = 0;
  Ref<NSString> value = "kept"_ns;
  Weak<NSString> weakValue(value);
  {
    StrongId owner = newInstance(baseClass());
    objc_setAssociatedObject(owner, &key, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    value.reset();
    ASSERT_NE(weakValue.lock(), nullptr) << "the owner retains the value";
    EXPECT_EQ(utf8(objc_cast<NSString>(objc_getAssociatedObject(owner, &key).get())), "kept");
  }
  EXPECT_EQ(weakValue.lock(), nullptr) << "released with the owner";
}

TEST(ObjcLifetime, RetainReleaseAndWeakLoadsAreSafeAcrossThreads) {
  for (int round = 0; round < 50; ++round) {
    Ref<NSString> s = NSString::stringWithUTF8String("shared");
    Weak<NSString> weak(s);
    std::atomic<bool> go{false};
    std::thread loader([&] {
      while (!go) {}
      for (int i = 0; i < 200; ++i) (void)weak.lock();
    });
    go = true;
    for (int i = 0; i < 200; ++i) Ref<NSString> copy = s;
    s.reset();
    loader.join();
    EXPECT_EQ(weak.lock(), nullptr);
  }
}

TEST(ObjcProperties, AttributesAndIvarsByName) {
  Class c = objc_allocateClassPair(objc::classOf<NSObject>(), "RuntimeTestProps", 0);
  objc_registerClassPair(c);
  objc_property_attribute_t attrs[] = {{"T", "@\"NSString\""}, {"&", ""}, {"N", ""}};
  EXPECT_TRUE(class_addProperty(c, "label", attrs, 3));
  EXPECT_FALSE(class_addProperty(c, "label", attrs, 3));
  EXPECT_STREQ(property_getAttributes(class_getProperty(c, "label")), "T@\"NSString\",&,N");

  static const char slot = 0;
  class_addIvar(c, "collectionView", "@", [](id o) { return objc_getAssociatedObject(o, &slot); },
                [](id o, id v) { objc_setAssociatedObject(o, &slot, v, OBJC_ASSOCIATION_RETAIN_NONATOMIC); });
  Class sub = objc_allocateClassPair(c, "RuntimeTestPropsSub", 0);
  objc_registerClassPair(sub);
  StrongId o = newInstance(sub);
  Ivar v = object_getInstanceVariable(o, "collectionView");
  ASSERT_NE(v, nullptr) << "found through the superclass";
  object_setIvar(o, v, "cv"_ns);
  EXPECT_EQ(utf8(objc_cast<NSString>(object_getIvar(o, v).get())), "cv");
  EXPECT_EQ(object_getInstanceVariable(o, "cdsCollectionView"), nullptr);
}

TEST(ObjcNullSafety, EveryEntryPointAcceptsNull) {
  Class none = nullptr;
  id nobody = nullptr;
  EXPECT_EQ(objc_getClass(nullptr), nullptr);
  EXPECT_EQ(sel_registerName(nullptr), nullptr);
  EXPECT_EQ(object_getClass(nobody), nullptr);
  EXPECT_EQ(class_getSuperclass(none), nullptr);
  EXPECT_FALSE(class_addMethod(none, sel("x"), IMP(&hookedName), "@@:"));
  EXPECT_FALSE(class_addMethod(baseClass(), nullptr, IMP(&hookedName), "@@:"));
  EXPECT_EQ(class_getInstanceMethod(none, sel("x")), nullptr);
  EXPECT_FALSE(class_respondsToSelector(none, sel("x")));
  EXPECT_FALSE(class_addProperty(none, "p", nullptr, 0));
  EXPECT_EQ(class_getProperty(none, "p"), nullptr);
  EXPECT_EQ(class_getInstanceVariable(none, "v"), nullptr);
  EXPECT_EQ(object_getIvar(nobody, nullptr), nullptr);
  EXPECT_EQ(objc_getAssociatedObject(nobody, "k"), nullptr);
  objc_setAssociatedObject(nobody, "k", nobody, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(class_createInstance(none, 0), nullptr);
  IMP saved;
  MSHookMessageEx(none, sel("x"), IMP(&hookedName), &saved);
  EXPECT_FALSE(saved);
  objc_registerClassPair(none);
  EXPECT_EQ(objc_allocateClassPair(none, nullptr, 0), nullptr);
}

TEST(FoundationValues, StringsAndNumbersKeyDictionariesByValue) {
  auto d = NSMutableDictionary::dictionary();
  d->setObject_forKey("heat"_ns, box(80001L));
  EXPECT_NE(d->objectForKey(box(80001L)), nullptr) << "another number object, same value";
  EXPECT_NE(d->objectForKey(NSNumber::numberWithDouble(80001.0)), nullptr);
  d->setObject_forKey(box(1L), NSString::stringWithUTF8String("key"));
  EXPECT_NE(d->objectForKey("key"_ns), nullptr);
  EXPECT_EQ(d->count(), 2u);
  EXPECT_TRUE(objc_msgSend<bool>("a"_ns, "isEqual:", NSString::stringWithUTF8String("a")));
}

TEST(FoundationValues, DictionaryFromObjectsAndKeysKeepsOrderAndTheLastValue) {
  const StrongId keys[] = {"a"_ns, "b"_ns, NSString::stringWithUTF8String("a")};
  const StrongId objects[] = {box(1L), box(2L), box(3L)};
  for (Ref<NSDictionary> d : {NSDictionary::dictionaryWithObjects_forKeys_count(objects, keys, 3),
                              Ref<NSDictionary>(NSMutableDictionary::dictionaryWithObjects_forKeys_count(objects, keys, 3))}) {
    ASSERT_EQ(d->count(), 2u);
    EXPECT_EQ(utf8(objc_cast<NSString>(d->allKeys()[0].get())), "a") << "a repeated key keeps its first place";
    EXPECT_EQ(objc_cast<NSNumber>(d->objectForKey("a"_ns))->integerValue(), 3) << "and its last value";
    EXPECT_EQ(objc_cast<NSNumber>(d->objectForKey("b"_ns))->integerValue(), 2);
  }
  EXPECT_TRUE(objc_cast<NSMutableDictionary>(NSMutableDictionary::dictionaryWithObjects_forKeys_count(objects, keys, 3).get()));
  EXPECT_FALSE(objc_cast<NSMutableDictionary>(NSDictionary::dictionaryWithObjects_forKeys_count(objects, keys, 3).get()));
}

}  // namespace
