#pragma once
// Views: a tree of rectangles with appearance, layout constraints, gesture
// recognisers and animations.
//
// Ownership: a view holds its subviews, the constraints added to it and its
// gesture recognisers strongly; its superview weakly. Main thread only (see
// UIKIT_MAIN_THREAD_ONLY), except destruction.
//
// Setters compare before they store: setting the value a view already has
// changes nothing, starts no animation and marks nothing dirty. Properties
// that can change a view's size or position mark it as needing layout; the
// others mark it as needing display.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIKitDefines.h"
#include "platform/uikit/UIResponder.h"

class NSLayoutConstraint;
class UIGestureRecognizer;

enum UIViewContentMode : long {
  UIViewContentModeScaleToFill = 0,
  UIViewContentModeScaleAspectFit = 1,
  UIViewContentModeScaleAspectFill = 2,
  UIViewContentModeRedraw = 3,
  UIViewContentModeCenter = 4,
  UIViewContentModeTop = 5,
  UIViewContentModeBottom = 6,
  UIViewContentModeLeft = 7,
  UIViewContentModeRight = 8,
  UIViewContentModeTopLeft = 9,
  UIViewContentModeTopRight = 10,
  UIViewContentModeBottomLeft = 11,
  UIViewContentModeBottomRight = 12,
};
UIKIT_BOUNDARY_ENUM(UIViewContentMode);

enum UIViewAnimationOptions : unsigned long {
  UIViewAnimationOptionLayoutSubviews = 1 << 0,
  UIViewAnimationOptionAllowUserInteraction = 1 << 1,
  UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
  UIViewAnimationOptionAllowAnimatedContent = 1 << 7,
  UIViewAnimationOptionCurveEaseInOut = 0 << 16,
  UIViewAnimationOptionCurveEaseIn = 1 << 16,
  UIViewAnimationOptionCurveEaseOut = 2 << 16,
  UIViewAnimationOptionCurveLinear = 3 << 16,
  UIViewAnimationOptionTransitionNone = 0 << 20,
  UIViewAnimationOptionTransitionFlipFromLeft = 1 << 20,
  UIViewAnimationOptionTransitionFlipFromRight = 2 << 20,
  UIViewAnimationOptionTransitionCurlUp = 3 << 20,
  UIViewAnimationOptionTransitionCurlDown = 4 << 20,
  UIViewAnimationOptionTransitionCrossDissolve = 5 << 20,
  UIViewAnimationOptionTransitionFlipFromTop = 6 << 20,
  UIViewAnimationOptionTransitionFlipFromBottom = 7 << 20,
};
UIKIT_BOUNDARY_ENUM(UIViewAnimationOptions);
inline UIViewAnimationOptions operator|(UIViewAnimationOptions a, UIViewAnimationOptions b) {
  return static_cast<UIViewAnimationOptions>(static_cast<unsigned long>(a) | static_cast<unsigned long>(b));
}

class UIView : public UIResponder {
 public:
  UIView();
  explicit UIView(CGRect frame);
  ~UIView() override;

  // The designated initialiser as the run time sends it ("initWithFrame:"),
  // for instances made by class_createInstance: sets the frame, answers self.
  virtual UIView* initWithFrame(CGRect frame);

  // --- hierarchy ---------------------------------------------------------------
  Ref<UIView> superview() const {
    UIKIT_MAIN_THREAD_ONLY();
    return superview_.lock();
  }
  // A snapshot, back to front.
  Ref<NSArray> subviews() const;
  const std::vector<Ref<UIView>>& subviewList() const {
    UIKIT_MAIN_THREAD_ONLY();
    return subviews_;
  }
  // Appends view (drawn above the others). A view with another superview is
  // moved; a view already here moves to the front. Adding a view to itself or
  // to one of its own descendants is a programming error; nil does nothing.
  void addSubview(UIView* view);
  // index is clamped to the number of subviews.
  void insertSubview_atIndex(UIView* view, NSInteger index);
  // Detaches from the superview. Constraints held by the former ancestors
  // that refer to this view or its descendants are removed, as on the device.
  void removeFromSuperview();
  // True for the view itself too.
  bool isDescendantOfView(const UIView* view) const;
  // This view or the first descendant (depth first) with that tag, or nil.
  UIView* viewWithTag(NSInteger tag);

  // --- geometry ---------------------------------------------------------------------
  CGRect frame() const {
    UIKIT_MAIN_THREAD_ONLY();
    return frame_;
  }
  void setFrame(CGRect frame);
  // Origin 0 unless set; its size is the frame's.
  CGRect bounds() const {
    UIKIT_MAIN_THREAD_ONLY();
    return bounds_;
  }
  void setBounds(CGRect bounds);
  CGPoint center() const {
    UIKIT_MAIN_THREAD_ONLY();
    return {CGRectGetMidX(frame_), CGRectGetMidY(frame_)};
  }
  // A view's natural size, or UIViewNoIntrinsicMetric in a direction it has none.
  virtual CGSize intrinsicContentSize() const {
    UIKIT_MAIN_THREAD_ONLY();
    return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
  }

  // --- appearance --------------------------------------------------------------------
  CGFloat alpha() const {
    UIKIT_MAIN_THREAD_ONLY();
    return alpha_;
  }
  // Clamped to 0...1. Animated inside an animation block.
  void setAlpha(CGFloat alpha);
  bool isHidden() const {
    UIKIT_MAIN_THREAD_ONLY();
    return hidden_;
  }
  void setHidden(bool hidden);
  bool isOpaque() const {
    UIKIT_MAIN_THREAD_ONLY();
    return opaque_;
  }
  void setOpaque(bool opaque);
  // NO by default: subviews may draw outside this view's bounds.
  bool clipsToBounds() const {
    UIKIT_MAIN_THREAD_ONLY();
    return clipsToBounds_;
  }
  void setClipsToBounds(bool clips);
  UIColor* backgroundColor() const {
    UIKIT_MAIN_THREAD_ONLY();
    return backgroundColor_.get();
  }
  void setBackgroundColor(UIColor* color);
  // The first colour set on this view or an ancestor; the system blue when
  // none is. setTintColor(nil) returns to inheriting.
  Ref<UIColor> tintColor() const;
  void setTintColor(UIColor* color);
  UIViewContentMode contentMode() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentMode_;
  }
  void setContentMode(UIViewContentMode mode);
  bool isUserInteractionEnabled() const {
    UIKIT_MAIN_THREAD_ONLY();
    return userInteractionEnabled_;
  }
  void setUserInteractionEnabled(bool enabled);
  NSInteger tag() const {
    UIKIT_MAIN_THREAD_ONLY();
    return tag_;
  }
  void setTag(NSInteger tag);
  NSString* accessibilityIdentifier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return accessibilityIdentifier_.get();
  }
  void setAccessibilityIdentifier(const NSString* identifier);

  // --- touches --------------------------------------------------------------------------
  // Whether point, in this view's bounds coordinates, lies inside its bounds.
  virtual bool pointInside(CGPoint point) const;
  // The deepest view at point (in this view's bounds coordinates) that takes
  // touches, as the device finds it: a view that is hidden, nearly
  // transparent (alpha < 0.01) or has interaction off is skipped with its
  // subviews, a subview outside this view's bounds is not reached, and later
  // subviews are tried first since they are drawn above. nil when none.
  virtual UIView* hitTest(CGPoint point);
  // point in this view's bounds coordinates, in those of its top-most
  // ancestor (the window), and back.
  CGPoint convertPointToWindow(CGPoint point) const;
  CGPoint convertPointFromWindow(CGPoint point) const;
  // A finger dragged over this view by translation (finger movement in
  // points). Views that scroll move their content the other way and answer
  // true; the others answer false and the drag goes to their superview.
  virtual bool scrollByDrag(CGPoint /*translation*/) { return false; }

  // --- constraints ----------------------------------------------------------------------
  // YES by default: the frame is turned into constraints until switched off.
  bool translatesAutoresizingMaskIntoConstraints() const {
    UIKIT_MAIN_THREAD_ONLY();
    return translatesAutoresizingMask_;
  }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
  // The constraints added to this view (not those that merely refer to it),
  // in the order added.
  Ref<NSArray> constraints() const;
  const std::vector<Ref<NSLayoutConstraint>>& constraintList() const {
    UIKIT_MAIN_THREAD_ONLY();
    return constraints_;
  }
  // Holds constraint and makes it active. Every item of the constraint must be
  // this view or a descendant; anything else is a programming error, as the
  // device raises. A constraint held by another view moves here.
  void addConstraint(NSLayoutConstraint* constraint);
  void addConstraints(const NSArray* constraints);
  // Does nothing for a constraint this view does not hold.
  void removeConstraint(NSLayoutConstraint* constraint);
  void removeConstraints(const NSArray* constraints);

  // --- gesture recognisers --------------------------------------------------------------
  Ref<NSArray> gestureRecognizers() const;
  const std::vector<Ref<UIGestureRecognizer>>& gestureRecognizerList() const {
    UIKIT_MAIN_THREAD_ONLY();
    return gestureRecognizers_;
  }
  // Attaches recognizer (moving it from another view); already attached: nothing.
  void addGestureRecognizer(UIGestureRecognizer* recognizer);
  void removeGestureRecognizer(UIGestureRecognizer* recognizer);

  // --- layout and display -------------------------------------------------------------------
  // Layout is deferred: changes only mark views, and layoutIfNeeded does the
  // work once for everything marked.
  void setNeedsLayout();
  bool needsLayout() const {
    UIKIT_MAIN_THREAD_ONLY();
    return needsLayout_;
  }
  // If this view or a descendant needs layout: sends "layoutSubviews" through
  // the run time to each marked view, parents before children, then clears
  // the marks. Cheap when nothing is marked.
  void layoutIfNeeded();
  // Runs the process's layout hook for this view (see setLayoutHook).
  virtual void layoutSubviews();
  // The layout engine plugs in here; until one does, layoutSubviews only
  // clears the mark. Main thread; set once at start-up.
  using LayoutHook = std::function<void(UIView*)>;
  static void setLayoutHook(LayoutHook hook);
  void setNeedsDisplay() {
    UIKIT_MAIN_THREAD_ONLY();
    needsDisplay_ = true;
  }
  bool needsDisplay() const {
    UIKIT_MAIN_THREAD_ONLY();
    return needsDisplay_;
  }
  // What drawing would do: clears the display mark.
  void displayIfNeeded() {
    UIKIT_MAIN_THREAD_ONLY();
    needsDisplay_ = false;
  }

  // --- animation ------------------------------------------------------------------------------
  // As on the device: animations() runs at once and model values change at
  // once; each animatable change inside it (alpha, a progress bar's
  // progress) is recorded so that its presentation value can be asked for at
  // any time of dispatch::Clock. completion(YES) runs on the main queue once
  // delay + duration has passed on that clock; with no delay and no duration,
  // on the next run-loop turn. Either block may be empty.
  static void animateWithDuration_delay_options_animations_completion(double duration, double delay,
                                                                      UIViewAnimationOptions options,
                                                                      std::function<void()> animations,
                                                                      std::function<void(bool)> completion);
  static void animateWithDuration_animations_completion(double duration, std::function<void()> animations,
                                                        std::function<void(bool)> completion) {
    animateWithDuration_delay_options_animations_completion(duration, 0, UIViewAnimationOptionCurveEaseInOut,
                                                            std::move(animations), std::move(completion));
  }
  // A transition of view's contents: changes of contents (an image view's
  // image, a label's text) to view or its descendants inside animations()
  // are recorded as a dissolve from the old to the new contents over duration.
  static void transitionWithView_duration_options_animations_completion(UIView* view, double duration,
                                                                        UIViewAnimationOptions options,
                                                                        std::function<void()> animations,
                                                                        std::function<void(bool)> completion);
  // Runs changes without animating them, also inside an animation block.
  static void performWithoutAnimation(const std::function<void()>& changes);
  // Animation blocks and animated changes whose completion has not run yet:
  // tests and tools run the main loop until this is false.
  static bool hasRunningAnimations();
  static NSUInteger runningAnimationCount();

  // The alpha on screen at dispatch::Clock's present: the model value unless
  // an animation of it is under way.
  CGFloat presentationAlpha() const;
  // True while any recorded animation of this view has not reached its end.
  bool hasAnimations() const;

 protected:
  enum class AnimatedProperty { Alpha, Progress, Contents };

  // Subclasses call these before storing a changed animatable value.
  // Numbers: recorded when an animation block (not a transition) is open.
  void animateChange(AnimatedProperty property, double from, double to);
  // An animated change outside any block, with its own timing (a progress
  // bar's setProgress:animated:).
  void animateChangeWithDuration(AnimatedProperty property, double from, double to, double duration);
  double presentationValue(AnimatedProperty property, double model) const;
  // Contents: recorded when a transition of this view or an ancestor is open.
  void transitionContents(StrongId from);
  // The old contents until the dissolve ends, then the model's.
  StrongId presentationContents(StrongId model) const;
  // How far the dissolve of this view's contents is, 0...1 (1: none running).
  double contentsTransitionFraction() const;

 private:
  friend class NSLayoutConstraint;
  friend class UIGestureRecognizer;

  struct Animation {
    AnimatedProperty property;
    double from = 0, to = 0;
    StrongId fromContents;
    std::uint64_t begin = 0, end = 0;  // dispatch::Clock nanoseconds
    unsigned long curve = 0;
  };
  const Animation* findAnimation(AnimatedProperty property) const;
  void storeAnimation(Animation animation);
  void dropAnimation(AnimatedProperty property);

  void detachFromSuperview();
  void removeConstraintsReferringToSubtree();
  void holdConstraint(NSLayoutConstraint* constraint);
  void layoutMarkedSubtree();
  bool subtreeNeedsLayout() const;

  Weak<UIView> superview_;
  std::vector<Ref<UIView>> subviews_;
  std::vector<Ref<NSLayoutConstraint>> constraints_;
  std::vector<Ref<UIGestureRecognizer>> gestureRecognizers_;
  std::vector<Animation> animations_;
  CGRect frame_{};
  CGRect bounds_{};
  CGFloat alpha_ = 1;
  Ref<UIColor> backgroundColor_;
  Ref<UIColor> tintColor_;
  Ref<NSString> accessibilityIdentifier_;
  NSInteger tag_ = 0;
  UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
  bool hidden_ = false;
  bool opaque_ = true;
  bool clipsToBounds_ = false;
  bool translatesAutoresizingMask_ = true;
  bool needsLayout_ = true;
  bool needsDisplay_ = true;

 protected:
  // Labels and image views start with interaction off, as on the device.
  bool userInteractionEnabled_ = true;
};

// Value equality of two strings that treats two nils as equal.
bool UIStringEqual(const NSString* a, const NSString* b);
