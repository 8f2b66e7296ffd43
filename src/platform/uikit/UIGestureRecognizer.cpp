#include "platform/uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <cmath>

UIGestureRecognizer::UIGestureRecognizer(id target, SEL action) {
  UIKIT_MAIN_THREAD_ONLY();
  addTarget_action(target, action);
}

UIGestureRecognizer* UIGestureRecognizer::initWithTarget_action(id target, SEL action) {
  UIKIT_MAIN_THREAD_ONLY();
  addTarget_action(target, action);
  return this;
}

void UIGestureRecognizer::addTarget_action(id target, SEL action) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!target || !action) return;
  std::erase_if(targets_, [](const uikit::detail::TargetAction& t) { return !t.target.lock(); });
  for (const auto& t : targets_)
    if (t.target.lock().get() == target && t.action == action) return;
  targets_.push_back({Weak<objc_object>(target), action});
}

void UIGestureRecognizer::removeTarget_action(id target, SEL action) {
  UIKIT_MAIN_THREAD_ONLY();
  std::erase_if(targets_, [&](const uikit::detail::TargetAction& t) {
    StrongId live = t.target.lock();
    return !live || (live.get() == target && (!action || t.action == action));
  });
}

void UIGestureRecognizer::setEnabled(bool enabled) {
  UIKIT_MAIN_THREAD_ONLY();
  enabled_ = enabled;
}

void UIGestureRecognizer::touchesBegan(CGPoint point) {
  UIKIT_MAIN_THREAD_ONLY();
  tracking_ = enabled_;
  began_ = point;
}

bool UIGestureRecognizer::touchesEnded(CGPoint point) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!tracking_ || !enabled_) return false;
  tracking_ = false;
  if (std::abs(point.x - began_.x) > kTapSlop || std::abs(point.y - began_.y) > kTapSlop) return false;
  recognise();
  return true;
}

void UIGestureRecognizer::recognise() {
  Ref<UIGestureRecognizer> keep(this);
  state_ = UIGestureRecognizerStateRecognized;
  std::vector<uikit::detail::TargetAction> snapshot = targets_;  // an action may change them
  for (const auto& t : snapshot)
    if (StrongId target = t.target.lock()) uikit::detail::sendAction(target.get(), t.action, this);
  state_ = UIGestureRecognizerStatePossible;
}

bool UIGestureRecognizer::simulateTap() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIView> attached = view();
  if (!enabled_ || !attached) return false;
  for (Ref<UIView> v = attached; v; v = v->superview())
    if (!v->isUserInteractionEnabled() || v->isHidden() || v->alpha() < 0.01) return false;
  CGRect b = attached->bounds();
  CGPoint centre = attached->convertPointToWindow({CGRectGetMidX(b), CGRectGetMidY(b)});
  touchesBegan(centre);
  return touchesEnded(centre);
}

void UITapGestureRecognizer::setNumberOfTapsRequired(NSUInteger taps) {
  UIKIT_MAIN_THREAD_ONLY();
  taps_ = taps;
}
