#pragma once
// Gesture recognisers: attached to a view, they send their action to their
// targets (held weakly, as on the device) with themselves as the argument.
// Touches reach them from the toolkit's touch delivery (touch.h): began,
// then ended, with the finger's place in window points; simulateTap() is a
// tap on the view's centre. Main thread only.

#include <vector>

#include "platform/uikit/UIView.h"
#include "platform/uikit/target_action.h"

enum UIGestureRecognizerState : long {
  UIGestureRecognizerStatePossible = 0,
  UIGestureRecognizerStateBegan = 1,
  UIGestureRecognizerStateChanged = 2,
  UIGestureRecognizerStateEnded = 3,
  UIGestureRecognizerStateCancelled = 4,
  UIGestureRecognizerStateFailed = 5,
  UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded,
};
UIKIT_BOUNDARY_ENUM(UIGestureRecognizerState);

class UIGestureRecognizer : public NSObject {
 public:
  UIGestureRecognizer() { UIKIT_MAIN_THREAD_ONLY(); }
  // A nil target or action adds no target.
  UIGestureRecognizer(id target, SEL action);
  // The run time's initialiser for instances made by class_createInstance.
  UIGestureRecognizer* initWithTarget_action(id target, SEL action);

  void addTarget_action(id target, SEL action);
  // A nil action removes every action of target.
  void removeTarget_action(id target, SEL action);

  // The view it is attached to; nil when none (or that view is gone).
  Ref<UIView> view() const {
    UIKIT_MAIN_THREAD_ONLY();
    return view_.lock();
  }
  bool isEnabled() const {
    UIKIT_MAIN_THREAD_ONLY();
    return enabled_;
  }
  void setEnabled(bool enabled);
  UIGestureRecognizerState state() const {
    UIKIT_MAIN_THREAD_ONLY();
    return state_;
  }

  // A finger down and up, in window points. A tap recogniser recognises
  // when the finger lifts within kTapSlop of where it went down (a drag is
  // no tap): it sends each live target its action through the run time, in
  // the order added, then returns to possible. Ended answers whether it
  // recognised. Disabled: nothing happens.
  virtual void touchesBegan(CGPoint point);
  virtual bool touchesEnded(CGPoint point);
  static constexpr CGFloat kTapSlop = 10;

  // A user's tap on the view's centre, for tests and the simulated host:
  // when the recogniser is attached to a view that can be touched
  // (interaction on, it and its ancestors visible), touches begin and end
  // there. Answers whether it was recognised.
  virtual bool simulateTap();

 protected:
  // Sends every live target its action.
  void recognise();

 private:
  friend class UIView;
  Weak<UIView> view_;
  std::vector<uikit::detail::TargetAction> targets_;
  bool enabled_ = true;
  UIGestureRecognizerState state_ = UIGestureRecognizerStatePossible;
  bool tracking_ = false;
  CGPoint began_{};
};

class UITapGestureRecognizer : public UIGestureRecognizer {
 public:
  using UIGestureRecognizer::UIGestureRecognizer;
  UITapGestureRecognizer() = default;

  NSUInteger numberOfTapsRequired() const {
    UIKIT_MAIN_THREAD_ONLY();
    return taps_;
  }
  void setNumberOfTapsRequired(NSUInteger taps);

 private:
  NSUInteger taps_ = 1;
};
