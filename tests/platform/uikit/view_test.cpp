#include <vector>

#include "platform/uikit/uikit_fixture.h"

namespace {

std::vector<UIView*> order(const UIView* v) {
  std::vector<UIView*> out;
  for (const auto& s : v->subviewList()) out.push_back(s.get());
  return out;
}

using UIViewHierarchy = UIKitTest;

TEST_F(UIViewHierarchy, KeepsSubviewsInOrderAndMovesAViewBetweenParents) {
  Ref<UIView> first = make<UIView>(), second = make<UIView>();
  Ref<UIView> a = make<UIView>(), b = make<UIView>(), c = make<UIView>();
  first->addSubview(a);
  first->addSubview(b);
  first->addSubview(c);
  EXPECT_EQ(order(first), (std::vector<UIView*>{a, b, c})) << "back to front in the order added";

  first->addSubview(a);
  EXPECT_EQ(order(first), (std::vector<UIView*>{b, c, a})) << "adding again brings it to the front";
  first->insertSubview_atIndex(a, -5);
  EXPECT_EQ(order(first), (std::vector<UIView*>{a, b, c})) << "the index is clamped";

  second->addSubview(b);
  EXPECT_EQ(order(first), (std::vector<UIView*>{a, c})) << "a view has one superview";
  EXPECT_EQ(b->superview().get(), second.get());
  EXPECT_TRUE(b->isDescendantOfView(second));
  EXPECT_FALSE(b->isDescendantOfView(first));

  c->removeFromSuperview();
  EXPECT_EQ(c->superview(), nullptr);
  EXPECT_EQ(order(first), (std::vector<UIView*>{a}));
}

TEST_F(UIViewHierarchy, HoldsItsSuperviewOnlyWeakly) {
  Ref<UIView> child = make<UIView>();
  {
    Ref<UIView> parent = make<UIView>();
    parent->addSubview(child);
  }
  EXPECT_EQ(child->superview(), nullptr) << "the parent died; the child outlives it without a dangling pointer";
}

TEST_F(UIViewHierarchy, AddingAViewIntoItsOwnSubtreeIsALoudError) {
  Ref<UIView> parent = make<UIView>(), child = make<UIView>();
  parent->addSubview(child);
  EXPECT_DEATH(child->addSubview(parent), "cannot be added to itself or to one of its descendants");
}

TEST_F(UIViewHierarchy, ViewWithTagSearchesDepthFirst) {
  Ref<UIView> root = make<UIView>(), a = make<UIView>(), deep = make<UIView>();
  root->addSubview(a);
  a->addSubview(deep);
  deep->setTag(7);
  EXPECT_EQ(root->viewWithTag(7), deep.get());
  EXPECT_EQ(root->viewWithTag(8), nullptr);
}

using UIViewProperties = UIKitTest;

TEST_F(UIViewProperties, SettingTheSameValueMarksNothingDirty) {
  Ref<UIView> v = make<UIView>(CGRectMake(0, 0, 10, 10));
  v->setBackgroundColor(UIColor::colorWithRed_green_blue_alpha(1, 0, 0, 1));
  v->layoutIfNeeded();
  v->displayIfNeeded();

  v->setFrame(CGRectMake(0, 0, 10, 10));
  v->setAlpha(1);
  v->setHidden(false);
  v->setBackgroundColor(UIColor::redColor());  // another object, equal value
  v->setTranslatesAutoresizingMaskIntoConstraints(true);
  EXPECT_FALSE(v->needsLayout()) << "same frame and same autoresizing flag";
  EXPECT_FALSE(v->needsDisplay()) << "same alpha, hidden and colour";

  v->setAlpha(0.5);
  EXPECT_TRUE(v->needsDisplay());
  EXPECT_FALSE(v->needsLayout()) << "alpha never moves anything";
  v->setFrame(CGRectMake(0, 0, 20, 10));
  EXPECT_TRUE(v->needsLayout());
  EXPECT_EQ(v->bounds(), CGRectMake(0, 0, 20, 10)) << "bounds follow the frame's size";
}

TEST_F(UIViewProperties, AlphaIsClampedAndTintColorIsInherited) {
  Ref<UIView> parent = make<UIView>(), child = make<UIView>();
  parent->addSubview(child);
  child->setAlpha(3);
  EXPECT_EQ(child->alpha(), 1.0);
  EXPECT_TRUE(child->tintColor()->isEqual(UIColor::systemBlueColor())) << "the system tint without any set";
  parent->setTintColor(UIColor::redColor());
  EXPECT_TRUE(child->tintColor()->isEqual(UIColor::redColor())) << "inherited from the superview";
  child->setTintColor(UIColor::greenColor());
  EXPECT_TRUE(child->tintColor()->isEqual(UIColor::greenColor()));
  EXPECT_TRUE(make<UIView>()->translatesAutoresizingMaskIntoConstraints()) << "YES by default";
}

TEST_F(UIViewProperties, LayoutIfNeededLaysOutOnlyMarkedViewsThroughTheRunTime) {
  static int passes = 0;
  static IMP original;
  Class counted = runtimeSubclass(objc::classOf<UIView>(), "UIKitTestCountedLayoutView");
  static bool hooked = [&] {
    MSHookMessageEx(counted, sel("layoutSubviews"), IMP(+[](id self, SEL op) {
                      ++passes;
                      imp_call<void>(original, self, op);
                    }),
                    &original);
    return true;
  }();
  ASSERT_TRUE(hooked && original);
  passes = 0;
  std::vector<UIView*> hooksSaw;
  UIView::setLayoutHook([&](UIView* v) { hooksSaw.push_back(v); });

  Ref<UIView> root = make<UIView>();
  Ref<UIView> child = instanceOf<UIView>(counted);
  root->addSubview(child);
  root->layoutIfNeeded();
  EXPECT_EQ(passes, 1) << "a new view is laid out once";
  root->layoutIfNeeded();
  EXPECT_EQ(passes, 1) << "nothing marked: no work";
  child->setNeedsLayout();
  root->layoutIfNeeded();
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(hooksSaw.back(), child.get()) << "the layout engine's hook sees the view being laid out";
  UIView::setLayoutHook(nullptr);
}

TEST_F(UIViewProperties, HostStyleCodeReachesViewsByRunTimeMessage) {
  Class strip = runtimeSubclass(objc::classOf<UIView>(), "UIKitTestStrip");
  static IMP superInit;
  static bool added = [&] {
    superInit = class_getMethodImplementation(objc::classOf<UIView>(), sel("initWithFrame:"));
    return class_addMethod(strip, sel("initWithFrame:"), IMP(+[](id self, SEL op, CGRect frame) -> StrongId {
                             StrongId me = imp_call<StrongId>(superInit, self, op, frame);
                             objc_msgSend<void>(me, "setAccessibilityIdentifier:", "strip"_ns);
                             return me;
                           }),
                           "@@:{CGRect={CGPoint=dd}{CGSize=dd}}");
  }();
  ASSERT_TRUE(added);

  Ref<UIView> view = instanceOf<UIView>(strip);
  objc_msgSend<StrongId>(view, "init");
  EXPECT_EQ(utf8(view->accessibilityIdentifier()), "strip") << "init goes through the overridden initWithFrame:";

  Ref<UIView> parent = make<UIView>();
  objc_msgSend<void>(parent, "addSubview:", view);
  objc_msgSend<void>(view, "setTranslatesAutoresizingMaskIntoConstraints:", false);
  objc_msgSend<void>(view, "setBackgroundColor:", UIColor::blackColor());
  Ref<NSArray> subviews = objc_msgSend<Ref<NSArray>>(parent, "subviews");
  ASSERT_EQ(subviews->count(), 1u);
  EXPECT_EQ(subviews->objectAtIndex(0), view.get());
  EXPECT_EQ(objc_msgSend<Ref<UIView>>(view, "superview").get(), parent.get());
  EXPECT_FALSE(view->translatesAutoresizingMaskIntoConstraints());
  EXPECT_EQ(objc_msgSend<Ref<UIColor>>(view, "backgroundColor").get(), UIColor::blackColor());
  EXPECT_EQ(objc_msgSend<Ref<NSString>>(view, "accessibilityIdentifier").get(), view->accessibilityIdentifier());
}

}  // namespace
