#pragma once
// A button with a title per control state (the normal state's title stands in
// for states without one). Main thread only.

#include <map>

#include "platform/uikit/UIControl.h"

enum UIButtonType : long {
  UIButtonTypeCustom = 0,
  UIButtonTypeSystem = 1,
};
UIKIT_BOUNDARY_ENUM(UIButtonType);

class UIButton : public UIControl {
 public:
  UIButton() = default;
  static Ref<UIButton> buttonWithType(UIButtonType type);

  UIButtonType buttonType() const {
    UIKIT_MAIN_THREAD_ONLY();
    return type_;
  }
  void setTitle_forState(const NSString* title, UIControlState state);
  // The state's own title, else the normal state's, else nil.
  NSString* titleForState(UIControlState state) const;
  // The title of the state the button is in.
  NSString* currentTitle() const;

 private:
  UIButtonType type_ = UIButtonTypeCustom;
  std::map<unsigned long, Ref<NSString>> titles_;
};
