#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/foundation/NSValue.h"
#include "scorelens/loader/added_members.h"
#include "scorelens/loader/fake_host.h"

// The mechanism on classes of the tests' own, whose names no other test uses.

namespace {
constexpr CXAddedProperty kBaseCount{"CXCount", CXPropertyKind::Integer};
constexpr CXAddedProperty kBaseFlag{"CXFlag", CXPropertyKind::Boolean};
constexpr CXAddedProperty kBaseOther{"CXOther", CXPropertyKind::Integer};
constexpr CXAddedProperty kDerivedCount{"CXCount", CXPropertyKind::Integer};
constexpr CXAddedProperty kHolderObject{"CXThing", CXPropertyKind::Object, "NSObject"};
constexpr CXAddedProperty kTakenName{"CXTaken", CXPropertyKind::Boolean};

long readCount(id obj, Class owner) {
  return imp_call<long>(class_getMethodImplementation(owner, sel_registerName("CXCount")), obj,
                        sel_registerName("CXCount"));
}

int baseGreetings = 0;
int hookGreetings = 0;
IMP savedGreet;
void greet(id, SEL) { ++baseGreetings; }
void greetHook(id self, SEL cmd) {
  ++hookGreetings;
  imp_call<void>(savedGreet, self, cmd);
}
}  // namespace

TEST(AddedProperties, ScalarsRoundTripInTheirOwnSlots) {
  Class cls = fake_host::defineClass("AddedMembersTest.Scalars");
  CXAddProperty<kBaseCount>(cls);
  CXAddProperty<kBaseOther>(cls);
  CXAddProperty<kBaseFlag>(cls);
  StrongId obj = fake_host::newInstance(cls);
  for (long value : {LONG_MIN, -1L, 0L, 1L << 40, LONG_MAX}) {
    objc_msgSend<void>(obj.get(), "setCXCount:", value);
    EXPECT_EQ(objc_msgSend<long>(obj.get(), "CXCount"), value) << "64 bits survive the box";
  }
  EXPECT_EQ(objc_msgSend<long>(obj.get(), "CXOther"), 0) << "another property of the class has its own key";
  objc_msgSend<void>(obj.get(), "setCXFlag:", true);
  EXPECT_TRUE(objc_msgSend<bool>(obj.get(), "CXFlag"));
  objc_msgSend<void>(obj.get(), "setCXFlag:", false);
  EXPECT_FALSE(objc_msgSend<bool>(obj.get(), "CXFlag"));

  auto* boxed = objc_cast<NSValue>(objc_getAssociatedObject(obj.get(), &kBaseCount).get());
  ASSERT_NE(boxed, nullptr) << "stored as an associated object under the descriptor";
  EXPECT_STREQ(boxed->objCType(), "q");
}

TEST(AddedProperties, TheSameNameOnASubclassIsAPropertyOfItsOwn) {
  Class base = fake_host::defineClass("AddedMembersTest.Base");
  Class derived = fake_host::defineClass("AddedMembersTest.Derived", "AddedMembersTest.Base");
  CXAddProperty<kBaseCount>(base);
  CXAddProperty<kDerivedCount>(derived);
  StrongId obj = fake_host::newInstance(derived);
  objc_msgSend<void>(obj.get(), "setCXCount:", 7L);
  EXPECT_EQ(readCount(obj.get(), derived), 7);
  EXPECT_EQ(readCount(obj.get(), base), 0) << "the base class's accessor reads the base class's key";
}

TEST(AddedProperties, ObjectsAreRetainedClearedByNilAndReleasedWithTheirOwner) {
  Class cls = fake_host::defineClass("AddedMembersTest.Holder");
  CXAddProperty<kHolderObject>(cls);
  EXPECT_STREQ(property_getAttributes(class_getProperty(cls, "CXThing")), "T@\"NSObject\",&,N");

  StrongId holder = fake_host::newInstance(cls);
  Ref<NSObject> thing = make<NSObject>();
  Weak<NSObject> watch(thing);
  objc_msgSend<void>(holder.get(), "setCXThing:", thing);
  thing.reset();
  ASSERT_TRUE(watch.lock()) << "the property keeps its value alive";
  objc_msgSend<void>(holder.get(), "setCXThing:", nullptr);
  EXPECT_FALSE(watch.lock()) << "nil clears and releases it";
  EXPECT_FALSE(objc_msgSend<StrongId>(holder.get(), "CXThing"));

  thing = make<NSObject>();
  watch = Weak<NSObject>(thing);
  objc_msgSend<void>(holder.get(), "setCXThing:", thing);
  thing.reset();
  holder.reset();
  EXPECT_FALSE(watch.lock()) << "released with its owner";
}

TEST(AddedProperties, AMemberTheClassAlreadyHasIsLeftAsItWas) {
  Class cls = fake_host::defineClass("AddedMembersTest.Taken");
  IMP hostGetter = +[](id, SEL) -> bool { return true; };
  ASSERT_TRUE(class_addMethod(cls, sel_registerName("CXTaken"), hostGetter, "B@:"));
  CXAddProperty<kTakenName>(cls);
  EXPECT_TRUE(fake_host::currentImp(cls, "CXTaken") == hostGetter) << "the host's member stays";
  EXPECT_NE(class_getInstanceMethod(cls, sel_registerName("setCXTaken:")), nullptr) << "the rest is still added";
  EXPECT_NE(class_getProperty(cls, "CXTaken"), nullptr);
}

TEST(AddedMembers, ANilClassGetsNothing) {
  IMP saved = &greet;
  CXAddProperty<kBaseFlag>(nullptr);
  CXAddMethod(nullptr, "CXNothing:", +[](id, SEL, id) {}, "v@:@");
  CXHookMessage(nullptr, "description", &greetHook, &saved);
  EXPECT_FALSE(saved) << "the saved slot is cleared: there is nothing to call through to";
}

TEST(Hooks, AnInheritedMethodIsHookedOnTheSubclassAndStillCalled) {
  Class base = fake_host::defineClass("AddedMembersTest.Greeter");
  Class derived = fake_host::defineClass("AddedMembersTest.LoudGreeter", "AddedMembersTest.Greeter");
  class_addMethod(base, sel_registerName("greet"), &greet, "v@:");
  baseGreetings = hookGreetings = 0;

  CXHookMessage(derived, "greet", &greetHook, &savedGreet);
  ASSERT_TRUE(savedGreet == IMP(&greet)) << "the inherited implementation is saved";
  objc_msgSend<void>(fake_host::newInstance(derived).get(), "greet");
  EXPECT_EQ(hookGreetings, 1);
  EXPECT_EQ(baseGreetings, 1) << "called through to the superclass's implementation";
  objc_msgSend<void>(fake_host::newInstance(base).get(), "greet");
  EXPECT_EQ(hookGreetings, 1) << "the superclass itself is not hooked";
  EXPECT_EQ(baseGreetings, 2);
}

TEST(Hooks, ASelectorTheClassDoesNotAnswerIsLeftAlone) {
  Class cls = fake_host::defineClass("AddedMembersTest.Quiet");
  IMP saved = &greet;
  CXHookMessage(cls, "greetNobody", &greetHook, &saved);
  EXPECT_FALSE(saved);
  EXPECT_EQ(class_getInstanceMethod(cls, sel_registerName("greetNobody")), nullptr) << "no method is made up";
}
