#pragma once
// An on/off switch. Code that sets it sends nothing; a user's toggle sends
// value-changed, as on the device. Main thread only.

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

  // A user's toggle, for tests and the simulated host: when the switch can be
  // touched, flips it and sends value-changed. Answers whether it could.
  bool simulateTap() override;

  CGSize intrinsicContentSize() const override {
    UIKIT_MAIN_THREAD_ONLY();
    return {51, 31};
  }

 private:
  bool on_ = false;
};
