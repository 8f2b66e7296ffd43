#pragma once
// An on/off switch. Code that sets it sends nothing; a user's toggle sends
// value-changed, as on the device. Main thread only.
//
// onTintColor: the colour of the track while on; nil means the system green.

#include "platform/uikit/UIControl.h"

class UISwitch : public UIControl {
 public:
  UISwitch() : UIControl(CGRect{{0, 0}, {51, 31}}) {}

  bool isOn() const {
    UIKIT_MAIN_THREAD_ONLY();
    return on_;
  }
  void setOn(bool on) {
    UIKIT_MAIN_THREAD_ONLY();
    setOn_animated(on, false);
  }
  void setOn_animated(bool on, bool animated);

  UIColor* onTintColor() const {
    UIKIT_MAIN_THREAD_ONLY();
    return onTintColor_.get();
  }
  void setOnTintColor(UIColor* color);


  CGSize intrinsicContentSize() const override {
    UIKIT_MAIN_THREAD_ONLY();
    return {51, 31};
  }

 protected:
  // A finger lifted inside flips it (animated), then sends value-changed and
  // touch-up-inside, after the touch-down of touchesBegan.
  void touchUpInside() override;

 private:
  Ref<UIColor> onTintColor_;
  bool on_ = false;
};
