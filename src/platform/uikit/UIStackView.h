#pragma once
// A view that lines up its arranged subviews along one axis. Arranged views
// are also subviews; removing one from its superview removes it from the
// arrangement too. Main thread only.

#include <vector>

#include "platform/uikit/UIView.h"

enum UILayoutConstraintAxis : long {
  UILayoutConstraintAxisHorizontal = 0,
  UILayoutConstraintAxisVertical = 1,
};
UIKIT_BOUNDARY_ENUM(UILayoutConstraintAxis);

class UIStackView : public UIView {
 public:
  UIStackView() = default;
  explicit UIStackView(CGRect frame) : UIView(frame) {}

  // A snapshot, in arrangement order; views that have left the stack view
  // are not in it.
  Ref<NSArray> arrangedSubviews() const;
  // Appends view to the arrangement (and the subviews); already arranged:
  // moves to the end. nil does nothing.
  void addArrangedSubview(UIView* view);
  // Takes view out of the arrangement; it stays a subview, as on the device.
  void removeArrangedSubview(UIView* view);

  UILayoutConstraintAxis axis() const {
    UIKIT_MAIN_THREAD_ONLY();
    return axis_;
  }
  void setAxis(UILayoutConstraintAxis axis);
  CGFloat spacing() const {
    UIKIT_MAIN_THREAD_ONLY();
    return spacing_;
  }
  void setSpacing(CGFloat spacing);

  // Places the arranged views one after the other at their natural size
  // (their frame's where they have none), filling the other axis.
  void layoutSubviews() override;

 private:
  std::vector<Ref<UIView>> arrangedNow() const;

  std::vector<Weak<UIView>> arranged_;
  UILayoutConstraintAxis axis_ = UILayoutConstraintAxisHorizontal;
  CGFloat spacing_ = 0;
};
