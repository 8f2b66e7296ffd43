// The module's menu entry and the simple settings label, against fake host
// classes made in a process of each test's own (the version gates and the
// installed hooks are process-wide).

#include <gtest/gtest.h>

#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIKit.h"
#include "scorelens/hooks/settings/MenuListViewModel.h"
#include "scorelens/loader/fake_host.h"
#include "scorelens/loader/fresh_process.h"
#include "scorelens/loader/initialisers.h"

namespace {

Ref<NSString> ns(const char* text) { return NSString::stringWithUTF8String(text); }

Ref<NSDictionary> item(const char* menuName, const char* name, const char* height = nullptr) {
  Ref<NSMutableDictionary> d = NSMutableDictionary::dictionary();
  if (menuName) d->setObject_forKey(ns(menuName), "menuName"_ns);
  d->setObject_forKey(ns(name), "name"_ns);
  if (height) d->setObject_forKey(ns(height), "height"_ns);
  return d->copyDictionary();
}

Ref<NSDictionary> section(const char* menuName, std::initializer_list<StrongId> items) {
  return NSDictionary::dictionaryWithObjectsAndKeys(
      {{"menuName"_ns, ns(menuName)}, {"items"_ns, NSArray::arrayWithObjects(items)}});
}

Ref<NSDictionary> menu(std::initializer_list<StrongId> sections) {
  return NSDictionary::dictionaryWithObjectsAndKeys({{"sections"_ns, NSArray::arrayWithObjects(sections)}});
}

NSArray* itemsOf(const NSDictionary* menu, NSUInteger index) {
  auto* sections = objc_cast<NSArray>(menu->objectForKey("sections"_ns));
  auto* s = objc_cast<NSDictionary>(sections->objectAtIndex(index));
  return objc_cast<NSArray>(s->objectForKey("items"_ns));
}

std::string text(id dictionary, const char* key) {
  auto* value = objc_cast<NSString>(objc_cast<NSDictionary>(dictionary)->objectForKey(ns(key)));
  return value ? value->UTF8String() : "<none>";
}

using hooks::MenuListViewModel::dictionaryWithModuleEntry;

TEST(SettingsMenuEntry, GoesAfterTheItemsOfTheFirstAppSectionThatListsTheBuildVersion) {
  inFreshProcess([] {
    fake_host::setHostVersion("16.51.0");  // with the settings redesign
    Ref<NSDictionary> in = menu({section("account", {item("buildVersion", "not this one")}),
                                 section("app", {item("appVersion", "Version 16.51.0")}),
                                 section("app", {item("deviceId", "ESN"), item("buildVersion", "Build 42", "44.0")}),
                                 section("app", {item("buildVersion", "later")})});
    Ref<NSDictionary> out = dictionaryWithModuleEntry(in);
    ASSERT_TRUE(out);
    EXPECT_EQ(itemsOf(out, 0)->count(), 1u) << "only \"app\" sections";
    EXPECT_EQ(itemsOf(out, 1)->count(), 1u) << "an app section without a build version is skipped";
    NSArray* changed = itemsOf(out, 2);
    ASSERT_EQ(changed->count(), 3u);
    EXPECT_EQ(text(changed->objectAtIndex(0), "menuName"), "deviceId") << "the host's items keep their order";
    EXPECT_EQ(text(changed->objectAtIndex(1), "menuName"), "buildVersion");
    EXPECT_EQ(text(changed->objectAtIndex(2), "menuName"), "ScoreLens");
    EXPECT_EQ(text(changed->objectAtIndex(2), "name"), "ScoreLens 3.2.6");
    EXPECT_EQ(text(changed->objectAtIndex(2), "height"), "44.0") << "with the redesign the height is the item's";
    EXPECT_EQ(itemsOf(out, 3)->count(), 1u) << "only the first qualifying section changes";

    EXPECT_NE(out.get(), in.get());
    EXPECT_FALSE(objc_cast<NSMutableDictionary>(out.get())) << "the host gets an immutable dictionary";
    EXPECT_EQ(itemsOf(in, 2)->count(), 2u) << "the caller's dictionary is untouched";

    Ref<NSDictionary> noHeight = dictionaryWithModuleEntry(menu({section("app", {item("buildVersion", "Build")})}));
    EXPECT_EQ(text(itemsOf(noHeight, 0)->objectAtIndex(1), "height"), "<none>") << "no height to keep";

    for (const char* name : {"", static_cast<const char*>(nullptr)}) {
      Ref<NSDictionary> odd = menu({section("app", {item(name, "Build")})});
      Ref<NSDictionary> same = dictionaryWithModuleEntry(odd);
      EXPECT_TRUE(same->isEqual(odd)) << "an empty or missing menuName never matches";
      EXPECT_NE(same.get(), odd.get());
    }
    Ref<NSDictionary> strange = NSDictionary::dictionaryWithObjectsAndKeys({{"sections"_ns, "not a list"_ns}});
    EXPECT_TRUE(dictionaryWithModuleEntry(strange)->isEqual(strange)) << "sections of the wrong type count as missing";
  });
}

TEST(SettingsMenuEntry, WithoutTheRedesignTheEntryIs22PointsAndTheHostGetsTheCopy) {
  inFreshProcess([] {
    fake_host::setHostVersion("12.4.9");
    static StrongId received;
    Class model = fake_host::defineClass("MenuListViewModel");
    class_addMethod(model, sel_registerName("initWithDictionary:"), IMP(+[](id self, SEL, id dictionary) -> StrongId {
                      received = dictionary;
                      return StrongId(self);
                    }),
                    "@@:@");
    CXRunInitialisers();
    Ref<NSMutableDictionary> callers = menu({section("app", {item("buildVersion", "Build", "30.0")})})->mutableCopy();
    StrongId made = objc_msgSend<StrongId>(model, "alloc");
    objc_msgSend<StrongId>(made, "initWithDictionary:", callers);
    ASSERT_TRUE(received);
    EXPECT_NE(received.get(), static_cast<id>(callers.get())) << "never the caller's own object";
    EXPECT_FALSE(objc_cast<NSMutableDictionary>(received.get()));
    NSArray* items = itemsOf(objc_cast<NSDictionary>(received.get()), 0);
    ASSERT_EQ(items->count(), 2u);
    EXPECT_EQ(text(items->objectAtIndex(1), "height"), "22.0");
    EXPECT_EQ(text(items->objectAtIndex(0), "height"), "30.0") << "the host's own item keeps its height";
  });
}

// --- the simple settings label ------------------------------------------------------------------

// A simple settings screen of the host's classes whose stack holds, last,
// a view whose first subview reads `label` (no view at all when arranged is false).
struct SimpleScreen {
  Ref<UIViewController> controller;
  Ref<UILabel> label;
};

Ref<UIStackView>& screenStack() {
  static Ref<UIStackView> stack;
  return stack;
}

SimpleScreen makeSimpleScreen(const char* label, bool arranged = true) {
  Class view = objc_getClass("Argo.SimpleSettingsView");
  if (!view) {
    view = fake_host::defineClass("Argo.SimpleSettingsView", "UIView");
    class_addIvar(view, "menuStackView", "@", [](id) -> StrongId { return StrongId(screenStack().get()); });
    Class controller = fake_host::defineClass("Argo.SimpleSettingsViewController", "UIViewController");
    class_addMethod(controller, sel_registerName("loadView"), IMP(+[](id self, SEL) {
                      StrongId v = fake_host::newInstance(objc_getClass("Argo.SimpleSettingsView"));
                      objc_msgSend<void>(self, "setView:", v);
                    }),
                    "v@:");
    class_addMethod(controller, sel_registerName("viewDidLoad"), IMP(+[](id, SEL) {}), "v@:");
    CXRunInitialisers();
  }
  SimpleScreen screen;
  screenStack() = make<UIStackView>();
  screenStack()->addArrangedSubview(make<UIView>());
  screen.label = make<UILabel>();
  screen.label->setText(label ? ns(label).get() : nullptr);
  if (arranged) {
    Ref<UIView> footer = make<UIView>();
    footer->addSubview(screen.label);
    screenStack()->addArrangedSubview(footer);
  }
  StrongId made = fake_host::newInstance(objc_getClass("Argo.SimpleSettingsViewController"));
  screen.controller = Ref<UIViewController>(objc_cast<UIViewController>(made.get()));
  return screen;
}

TEST(SettingsSimpleLabel, GetsTheNameAndVersionAfterTheHostsText) {
  inFreshProcess([] {
    fake_host::setHostVersion("15.1.0");
    SimpleScreen screen = makeSimpleScreen("Netflix 15.1.0 (4242)");
    screen.controller->view();
    EXPECT_EQ(utf8(screen.label->text()), "Netflix 15.1.0 (4242); ScoreLens 3.2.6");

    // Mended: a label without text would otherwise read "(null); ScoreLens 3.2.6".
    SimpleScreen empty = makeSimpleScreen(nullptr);
    empty.controller->view();
    EXPECT_EQ(utf8(empty.label->text()), "ScoreLens 3.2.6");

    SimpleScreen bare = makeSimpleScreen("Abc", /*arranged=*/false);
    bare.controller->view();
    EXPECT_EQ(utf8(bare.label->text()), "Abc") << "a last view without subviews is left alone";
  });
}

}  // namespace
