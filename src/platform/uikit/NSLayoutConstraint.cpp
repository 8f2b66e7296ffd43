#include "platform/uikit/NSLayoutConstraint.h"

#include <fmt/format.h>

namespace {

enum class Axis { None, Horizontal, HorizontalAbsolute, Vertical, Size };

Axis axisOf(NSLayoutAttribute a) {
  switch (a) {
    case NSLayoutAttributeLeading:
    case NSLayoutAttributeTrailing:
    case NSLayoutAttributeCenterX:
      return Axis::Horizontal;
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeRight:
      return Axis::HorizontalAbsolute;
    case NSLayoutAttributeTop:
    case NSLayoutAttributeBottom:
    case NSLayoutAttributeCenterY:
    case NSLayoutAttributeLastBaseline:
    case NSLayoutAttributeFirstBaseline:
      return Axis::Vertical;
    case NSLayoutAttributeWidth:
    case NSLayoutAttributeHeight:
      return Axis::Size;
    default:
      return Axis::None;
  }
}

bool compatible(NSLayoutAttribute a, NSLayoutAttribute b) {
  Axis x = axisOf(a), y = axisOf(b);
  if (x == y) return true;
  // centerX may pair with left/right as well as with leading/trailing.
  auto horizontal = [](Axis v) { return v == Axis::Horizontal || v == Axis::HorizontalAbsolute; };
  if (horizontal(x) && horizontal(y))
    return a == NSLayoutAttributeCenterX || b == NSLayoutAttributeCenterX;
  return false;
}

const char* attributeName(NSLayoutAttribute a) {
  static constexpr const char* kNames[] = {"notAnAttribute", "left",  "right",   "top",     "bottom",       "leading",
                                           "trailing",       "width", "height",  "centerX", "centerY",      "lastBaseline",
                                           "firstBaseline"};
  return a >= 0 && a <= NSLayoutAttributeFirstBaseline ? kNames[a] : "?";
}

// The nearest view that both a and b descend from (each counts as its own
// descendant), or nil.
Ref<UIView> nearestCommonAncestor(UIView* a, UIView* b) {
  for (Ref<UIView> v(a); v; v = v->superview())
    if (b->isDescendantOfView(v.get())) return v;
  return nullptr;
}

}  // namespace

Ref<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
    UIView* view1, NSLayoutAttribute attr1, NSLayoutRelation relation, UIView* view2, NSLayoutAttribute attr2,
    CGFloat multiplier, CGFloat constant) {
  UIKIT_MAIN_THREAD_ONLY();
  using uikit::detail::misuse;
  if (!view1) misuse("a constraint needs a first item");
  if (axisOf(attr1) == Axis::None) misuse(fmt::format("a constraint cannot be made with first attribute {}", static_cast<long>(attr1)));
  if (relation < NSLayoutRelationLessThanOrEqual || relation > NSLayoutRelationGreaterThanOrEqual)
    misuse(fmt::format("unknown layout relation {}", static_cast<long>(relation)));
  if (!view2) {
    if (attr2 != NSLayoutAttributeNotAnAttribute) misuse("a second attribute needs a second item");
    if (axisOf(attr1) != Axis::Size)
      misuse(fmt::format("a constraint cannot set the location attribute {} to a constant", attributeName(attr1)));
  } else {
    if (axisOf(attr2) == Axis::None) misuse("a second item needs a second attribute");
    if (!compatible(attr1, attr2))
      misuse(fmt::format("a constraint cannot relate {} to {}", attributeName(attr1), attributeName(attr2)));
  }
  Ref<NSLayoutConstraint> c = make<NSLayoutConstraint>();
  c->firstItem_ = Weak<UIView>(view1);
  c->secondItem_ = Weak<UIView>(view2);
  c->firstAttribute_ = attr1;
  c->secondAttribute_ = view2 ? attr2 : NSLayoutAttributeNotAnAttribute;
  c->relation_ = relation;
  c->multiplier_ = multiplier;
  c->constant_ = constant;
  return c;
}

void NSLayoutConstraint::activateConstraints(const NSArray* constraints) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraints) return;
  for (const StrongId& c : *constraints)
    if (auto* constraint = objc_cast<NSLayoutConstraint>(c.get())) constraint->setActive(true);
}

void NSLayoutConstraint::deactivateConstraints(const NSArray* constraints) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraints) return;
  for (const StrongId& c : *constraints)
    if (auto* constraint = objc_cast<NSLayoutConstraint>(c.get())) constraint->setActive(false);
}

void NSLayoutConstraint::setConstant(CGFloat constant) {
  UIKIT_MAIN_THREAD_ONLY();
  if (constant == constant_) return;
  constant_ = constant;
  if (Ref<UIView> holder = container()) holder->setNeedsLayout();
}

void NSLayoutConstraint::setPriority(UILayoutPriority priority) {
  UIKIT_MAIN_THREAD_ONLY();
  if (priority == priority_) return;
  if (priority <= 0 || priority > UILayoutPriorityRequired) uikit::detail::misuse("a priority lies in (0, 1000]");
  if (isActive() && ((priority == UILayoutPriorityRequired) != (priority_ == UILayoutPriorityRequired)))
    uikit::detail::misuse("an active constraint cannot change between required and optional priority");
  priority_ = priority;
  if (Ref<UIView> holder = container()) holder->setNeedsLayout();
}

bool NSLayoutConstraint::isActive() const {
  UIKIT_MAIN_THREAD_ONLY();
  return static_cast<bool>(container());
}

void NSLayoutConstraint::setActive(bool active) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!active) {
    if (Ref<UIView> holder = container()) holder->removeConstraint(this);
    return;
  }
  if (isActive()) return;
  Ref<UIView> first = firstItem();
  Ref<UIView> second = secondItem();
  if (!first) uikit::detail::misuse("a constraint whose first item is gone cannot be activated");
  Ref<UIView> holder = second ? nearestCommonAncestor(first, second) : first;
  if (!holder)
    uikit::detail::misuse(fmt::format("unable to activate a constraint between a {} and a {}: they have no common ancestor",
                                      first->className(), second->className()));
  holder->holdConstraint(this);
}

Ref<NSString> NSLayoutConstraint::description() const {
  Ref<UIView> a = firstItem(), b = secondItem();
  std::string rel = relation_ == NSLayoutRelationEqual ? "==" : relation_ < 0 ? "<=" : ">=";
  std::string rhs = b ? fmt::format("{}:{}.{} * {:g} + {:g}", b->className(), static_cast<const void*>(b.get()),
                                    attributeName(secondAttribute_), multiplier_, constant_)
                      : fmt::format("{:g}", constant_);
  return NSString::stringWithUTF8String(fmt::format("<NSLayoutConstraint: {}:{}.{} {} {}>", a ? a->className() : "nil",
                                                    static_cast<const void*>(a.get()), attributeName(firstAttribute_),
                                                    rel, rhs));
}
