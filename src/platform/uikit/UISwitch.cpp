#include "platform/uikit/UISwitch.h"

void UISwitch::setOn_animated(bool on, bool /*animated: the thumb's slide is not modelled*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (on == on_) return;
  on_ = on;
  setNeedsDisplay();
}

bool UISwitch::simulateTap() {
  UIKIT_MAIN_THREAD_ONLY();
  if (!canBeTouched()) return false;
  Ref<UISwitch> keep(this);
  sendActionsForControlEvents(UIControlEventTouchDown);
  setOn_animated(!on_, true);
  sendActionsForControlEvents(UIControlEventValueChanged);
  sendActionsForControlEvents(UIControlEventTouchUpInside);
  return true;
}

void UISwitch::setOnTintColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (color == onTintColor_.get()) return;
  onTintColor_ = color;
  setNeedsDisplay();
}
