#pragma once
// Layout constraints: item1.attribute1 (relation) multiplier * item2.attribute2
// + constant. A constraint holds its items weakly, as on the device; the view
// it is added to holds it. Main thread only.

#include "platform/uikit/UIView.h"

enum NSLayoutAttribute : long {
  NSLayoutAttributeNotAnAttribute = 0,
  NSLayoutAttributeLeft = 1,
  NSLayoutAttributeRight,
  NSLayoutAttributeTop,
  NSLayoutAttributeBottom,
  NSLayoutAttributeLeading,
  NSLayoutAttributeTrailing,
  NSLayoutAttributeWidth,
  NSLayoutAttributeHeight,
  NSLayoutAttributeCenterX,
  NSLayoutAttributeCenterY,
  NSLayoutAttributeLastBaseline,
  NSLayoutAttributeFirstBaseline,
  NSLayoutAttributeBaseline = NSLayoutAttributeLastBaseline,
};
UIKIT_BOUNDARY_ENUM(NSLayoutAttribute);

enum NSLayoutRelation : long {
  NSLayoutRelationLessThanOrEqual = -1,
  NSLayoutRelationEqual = 0,
  NSLayoutRelationGreaterThanOrEqual = 1,
};
UIKIT_BOUNDARY_ENUM(NSLayoutRelation);

using UILayoutPriority = float;
inline constexpr UILayoutPriority UILayoutPriorityRequired = 1000;
inline constexpr UILayoutPriority UILayoutPriorityDefaultHigh = 750;
inline constexpr UILayoutPriority UILayoutPriorityDefaultLow = 250;

class NSLayoutConstraint : public NSObject {
 public:
  NSLayoutConstraint() = default;

  // Misuse is a programming error, as the device raises: no first item, a
  // first attribute of NotAnAttribute, a second item without an attribute
  // (or an attribute without an item), a constant-only constraint on
  // anything but width or height, or attributes of different axes
  // (horizontal, vertical, size; leading/trailing never mix with left/right).
  static Ref<NSLayoutConstraint> constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      UIView* view1, NSLayoutAttribute attr1, NSLayoutRelation relation, UIView* view2, NSLayoutAttribute attr2,
      CGFloat multiplier, CGFloat constant);

  // Activates or deactivates each constraint of the array.
  static void activateConstraints(const NSArray* constraints);
  static void deactivateConstraints(const NSArray* constraints);

  // nil once the item is gone.
  Ref<UIView> firstItem() const {
    UIKIT_MAIN_THREAD_ONLY();
    return firstItem_.lock();
  }
  Ref<UIView> secondItem() const {
    UIKIT_MAIN_THREAD_ONLY();
    return secondItem_.lock();
  }
  NSLayoutAttribute firstAttribute() const {
    UIKIT_MAIN_THREAD_ONLY();
    return firstAttribute_;
  }
  NSLayoutAttribute secondAttribute() const {
    UIKIT_MAIN_THREAD_ONLY();
    return secondAttribute_;
  }
  NSLayoutRelation relation() const {
    UIKIT_MAIN_THREAD_ONLY();
    return relation_;
  }
  CGFloat multiplier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return multiplier_;
  }
  CGFloat constant() const {
    UIKIT_MAIN_THREAD_ONLY();
    return constant_;
  }
  // Marks the holding view for layout when the value changes.
  void setConstant(CGFloat constant);
  UILayoutPriority priority() const {
    UIKIT_MAIN_THREAD_ONLY();
    return priority_;
  }
  // Changing a required priority to optional (or back) on an active
  // constraint is a programming error, as on the device.
  void setPriority(UILayoutPriority priority);
  NSString* identifier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return identifier_.get();
  }
  void setIdentifier(const NSString* identifier) {
    UIKIT_MAIN_THREAD_ONLY();
    identifier_ = const_cast<NSString*>(identifier);
  }

  // Held by a view that is still alive.
  bool isActive() const;
  // YES: added to the nearest common ancestor of the items (the item itself
  // for a constraint with one item); items without one are a programming
  // error. NO: removed from whichever view holds it.
  void setActive(bool active);
  // The view that holds it, or nil.
  Ref<UIView> container() const {
    UIKIT_MAIN_THREAD_ONLY();
    return container_.lock();
  }

  Ref<NSString> description() const override;

 private:
  friend class UIView;
  Weak<UIView> firstItem_;
  Weak<UIView> secondItem_;
  NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
  NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
  NSLayoutRelation relation_ = NSLayoutRelationEqual;
  CGFloat multiplier_ = 1;
  CGFloat constant_ = 0;
  UILayoutPriority priority_ = UILayoutPriorityRequired;
  Ref<NSString> identifier_;
  Weak<UIView> container_;
};
