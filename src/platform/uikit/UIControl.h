#pragma once
// Controls: views that send action messages to targets for control events.
// Targets are held weakly, as on the device. Main thread only.

#include <vector>

#include "platform/uikit/UIView.h"
#include "platform/uikit/target_action.h"

enum UIControlEvents : unsigned long {
  UIControlEventTouchDown = 1 << 0,
  UIControlEventTouchUpInside = 1 << 6,
  UIControlEventTouchUpOutside = 1 << 7,
  UIControlEventValueChanged = 1 << 12,
  UIControlEventPrimaryActionTriggered = 1 << 13,
  UIControlEventAllEvents = 0xFFFFFFFF,
};
UIKIT_BOUNDARY_ENUM(UIControlEvents);
inline UIControlEvents operator|(UIControlEvents a, UIControlEvents b) {
  return static_cast<UIControlEvents>(static_cast<unsigned long>(a) | static_cast<unsigned long>(b));
}

enum UIControlState : unsigned long {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1 << 0,
  UIControlStateDisabled = 1 << 1,
  UIControlStateSelected = 1 << 2,
};
UIKIT_BOUNDARY_ENUM(UIControlState);

class UIControl : public UIView {
 public:
  UIControl() = default;
  explicit UIControl(CGRect frame) : UIView(frame) {}

  // Registers (target, action) for events; the same triple twice is kept once.
  void addTarget_action_forControlEvents(id target, SEL action, UIControlEvents events);
  // A nil action removes every action of target for events.
  void removeTarget_action_forControlEvents(id target, SEL action, UIControlEvents events);
  // Sends the action of every registration that shares a bit with events, in
  // the order registered, through the run time with this control as sender.
  // Registrations whose target is gone are skipped.
  void sendActionsForControlEvents(UIControlEvents events);
  // How many live registrations there are for events.
  NSUInteger actionCountForControlEvents(UIControlEvents events) const;

  bool isEnabled() const {
    UIKIT_MAIN_THREAD_ONLY();
    return enabled_;
  }
  void setEnabled(bool enabled);
  bool isSelected() const {
    UIKIT_MAIN_THREAD_ONLY();
    return selected_;
  }
  void setSelected(bool selected);

  // Highlighted while a finger is down on it.
  bool isHighlighted() const {
    UIKIT_MAIN_THREAD_ONLY();
    return highlighted_;
  }
  // A finger down on the control (touch-down, highlighted), then up, inside
  // its bounds or not (touch-up-outside). A disabled control takes neither.
  void touchesBegan();
  void touchesEnded(bool inside);

  // A user's tap, for tests and the simulated host: when the control can be
  // touched (enabled, interaction on, it and its ancestors visible), a finger
  // goes down and up inside it. Answers whether it could.
  bool simulateTap();

 protected:
  // What a finger lifted inside does: touch-up-inside and primary-action
  // here; a switch flips first.
  virtual void touchUpInside();
  // Enabled, interactive and visible up the whole superview chain.
  bool canBeTouched() const;

 private:
  struct Registration {
    uikit::detail::TargetAction targetAction;
    id targetIdentity;  // compared only, never sent to
    UIControlEvents events;
  };
  std::vector<Registration> registrations_;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
};
