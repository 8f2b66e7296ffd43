#include "platform/uikit/UISwitch.h"

void UISwitch::setOn_animated(bool on, bool /*animated: the thumb's slide is not modelled*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (on == on_) return;
  on_ = on;
  setNeedsDisplay();
}

void UISwitch::touchUpInside() {
  setOn_animated(!on_, true);
  sendActionsForControlEvents(UIControlEventValueChanged);
  sendActionsForControlEvents(UIControlEventTouchUpInside);
}

void UISwitch::setOnTintColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (color == onTintColor_.get()) return;
  onTintColor_ = color;
  setNeedsDisplay();
}
