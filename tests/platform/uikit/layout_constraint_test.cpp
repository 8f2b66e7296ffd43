#include "platform/uikit/uikit_fixture.h"

namespace {

Ref<NSLayoutConstraint> pin(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant);
}

bool holds(const UIView* v, const NSLayoutConstraint* c) {
  for (const auto& held : v->constraintList())
    if (held.get() == c) return true;
  return false;
}

// root > (left > leftChild), right
struct Tree {
  Ref<UIView> root = make<UIView>(), left = make<UIView>(), leftChild = make<UIView>(), right = make<UIView>();
  Tree() {
    root->addSubview(left);
    left->addSubview(leftChild);
    root->addSubview(right);
  }
};

using NSLayoutConstraintTest = UIKitTest;

TEST_F(NSLayoutConstraintTest, ActivationAddsToTheNearestCommonAncestor) {
  Tree t;
  Ref<NSLayoutConstraint> across = pin(t.leftChild, NSLayoutAttributeLeading, t.right, NSLayoutAttributeTrailing, 4);
  Ref<NSLayoutConstraint> inside = pin(t.leftChild, NSLayoutAttributeTop, t.left, NSLayoutAttributeTop);
  Ref<NSLayoutConstraint> width = pin(t.leftChild, NSLayoutAttributeWidth, nullptr, NSLayoutAttributeNotAnAttribute, 32);
  EXPECT_EQ(width->priority(), 1000.0f) << "required by default";
  EXPECT_FALSE(across->isActive());

  NSLayoutConstraint::activateConstraints(NSArray::arrayWithObjects({across, inside, width}));
  EXPECT_TRUE(holds(t.root, across)) << "the items meet at the root";
  EXPECT_TRUE(holds(t.left, inside)) << "an item that contains the other holds it";
  EXPECT_TRUE(holds(t.leftChild, width)) << "a one-item constant lives on its item";
  EXPECT_TRUE(across->isActive() && inside->isActive() && width->isActive());

  across->setActive(true);
  EXPECT_EQ(t.root->constraintList().size(), 1u) << "activating twice adds once";
  across->setActive(false);
  EXPECT_FALSE(holds(t.root, across));
  EXPECT_FALSE(across->isActive());
  EXPECT_EQ(across->container(), nullptr);
}

TEST_F(NSLayoutConstraintTest, HoldsItsItemsWeakly) {
  Ref<NSLayoutConstraint> c;
  {
    Ref<UIView> v = make<UIView>();
    c = pin(v, NSLayoutAttributeHeight, nullptr, NSLayoutAttributeNotAnAttribute, 80);
    c->setActive(true);
  }
  EXPECT_EQ(c->firstItem(), nullptr) << "the view died with the constraint it held; the item reads nil";
  EXPECT_FALSE(c->isActive());
}

TEST_F(NSLayoutConstraintTest, RemovingAViewDropsConstraintsThatReachIntoIt) {
  Tree t;
  Ref<NSLayoutConstraint> across = pin(t.leftChild, NSLayoutAttributeLeading, t.right, NSLayoutAttributeTrailing);
  Ref<NSLayoutConstraint> inside = pin(t.leftChild, NSLayoutAttributeTop, t.left, NSLayoutAttributeTop);
  across->setActive(true);
  inside->setActive(true);
  t.left->removeFromSuperview();
  EXPECT_FALSE(across->isActive()) << "the root no longer holds a constraint into the removed subtree";
  EXPECT_TRUE(inside->isActive()) << "constraints within the removed subtree stay";
}

TEST_F(NSLayoutConstraintTest, ConstantChangesMarkTheHolderOnlyWhenTheValueChanges) {
  Tree t;
  Ref<NSLayoutConstraint> c = pin(t.left, NSLayoutAttributeTop, t.root, NSLayoutAttributeTop, -8);
  c->setActive(true);
  t.root->layoutIfNeeded();
  c->setConstant(-8);
  EXPECT_FALSE(t.root->needsLayout());
  c->setConstant(4);
  EXPECT_TRUE(t.root->needsLayout());
  EXPECT_EQ(c->constant(), 4);
}

TEST_F(NSLayoutConstraintTest, HostStyleCodeFindsAndReplacesATopConstraintByMessage) {
  Tree t;
  pin(t.right, NSLayoutAttributeLeading, t.root, NSLayoutAttributeLeading)->setActive(true);
  Ref<NSLayoutConstraint> top = pin(t.right, NSLayoutAttributeTop, t.root, NSLayoutAttributeTop, 10);
  top->setActive(true);

  StrongId found;
  Ref<NSArray> held = objc_msgSend<Ref<NSArray>>(t.root, "constraints");
  for (const StrongId& c : *held) {
    if (objc_msgSend<StrongId>(c, "firstItem").get() == t.right.get() &&
        objc_msgSend<long>(c, "firstAttribute") == NSLayoutAttributeTop) {
      found = c;
      break;
    }
  }
  ASSERT_EQ(found.get(), top.get());
  EXPECT_EQ(objc_msgSend<StrongId>(found, "secondItem").get(), t.root.get());
  EXPECT_EQ(objc_msgSend<double>(found, "constant"), 10);
  objc_msgSend<void>(found, "setActive:", false);
  EXPECT_FALSE(objc_msgSend<bool>(found, "isActive"));
  EXPECT_EQ(t.root->constraintList().size(), 1u);
}

TEST_F(NSLayoutConstraintTest, MisuseIsALoudError) {
  Tree t;
  Ref<UIView> stranger = make<UIView>();
  EXPECT_DEATH(pin(t.left, NSLayoutAttributeLeading, nullptr, NSLayoutAttributeNotAnAttribute, 4),
               "location attribute leading to a constant");
  EXPECT_DEATH(pin(t.left, NSLayoutAttributeLeading, t.root, NSLayoutAttributeLeft), "cannot relate leading to left");
  EXPECT_DEATH(pin(t.left, NSLayoutAttributeTop, t.root, NSLayoutAttributeWidth), "cannot relate top to width");
  EXPECT_DEATH(pin(t.left, NSLayoutAttributeTop, stranger, NSLayoutAttributeTop)->setActive(true),
               "no common ancestor");
  EXPECT_DEATH(t.left->addConstraint(pin(t.right, NSLayoutAttributeTop, t.root, NSLayoutAttributeTop)),
               "outside the subtree");
}

}  // namespace
