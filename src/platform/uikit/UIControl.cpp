#include "platform/uikit/UIControl.h"

#include <algorithm>

void UIControl::addTarget_action_forControlEvents(id target, SEL action, UIControlEvents events) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!action || events == 0) return;
  // Registrations of dead targets go first, so that a new object at a
  // recycled address is not mistaken for one of them.
  std::erase_if(registrations_, [](const Registration& r) { return !r.targetAction.target.lock(); });
  for (const auto& r : registrations_)
    if (r.targetIdentity == target && r.targetAction.action == action && r.events == events) return;
  registrations_.push_back({{Weak<objc_object>(target), action}, target, events});
}

void UIControl::removeTarget_action_forControlEvents(id target, SEL action, UIControlEvents events) {
  UIKIT_MAIN_THREAD_ONLY();
  std::erase_if(registrations_, [&](const Registration& r) {
    return r.targetIdentity == target && (!action || r.targetAction.action == action) && (r.events & events);
  });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIControl> keep(this);
  std::vector<Registration> snapshot = registrations_;  // an action may change the registrations
  for (const auto& r : snapshot) {
    if (!(r.events & events)) continue;
    if (StrongId target = r.targetAction.target.lock())
      uikit::detail::sendAction(target.get(), r.targetAction.action, this);
  }
}

NSUInteger UIControl::actionCountForControlEvents(UIControlEvents events) const {
  UIKIT_MAIN_THREAD_ONLY();
  return static_cast<NSUInteger>(std::count_if(registrations_.begin(), registrations_.end(), [&](const Registration& r) {
    return (r.events & events) && r.targetAction.target.lock();
  }));
}

void UIControl::setEnabled(bool enabled) {
  UIKIT_MAIN_THREAD_ONLY();
  if (enabled == enabled_) return;
  enabled_ = enabled;
  setNeedsDisplay();
}

void UIControl::setSelected(bool selected) {
  UIKIT_MAIN_THREAD_ONLY();
  if (selected == selected_) return;
  selected_ = selected;
  setNeedsDisplay();
}

bool UIControl::canBeTouched() const {
  if (!enabled_) return false;
  for (Ref<UIView> v(const_cast<UIControl*>(this)); v; v = v->superview())
    if (!v->isUserInteractionEnabled() || v->isHidden() || v->alpha() < 0.01) return false;
  return true;
}

void UIControl::touchesBegan() {
  UIKIT_MAIN_THREAD_ONLY();
  if (!enabled_) return;
  highlighted_ = true;
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventTouchDown);
}

void UIControl::touchesEnded(bool inside) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!highlighted_) return;
  Ref<UIControl> keep(this);
  highlighted_ = false;
  setNeedsDisplay();
  if (!enabled_) return;
  if (inside)
    touchUpInside();
  else
    sendActionsForControlEvents(UIControlEventTouchUpOutside);
}

void UIControl::touchUpInside() {
  sendActionsForControlEvents(UIControlEventTouchUpInside);
  sendActionsForControlEvents(UIControlEventPrimaryActionTriggered);
}

bool UIControl::simulateTap() {
  UIKIT_MAIN_THREAD_ONLY();
  if (!canBeTouched()) return false;
  touchesBegan();
  touchesEnded(true);
  return true;
}
