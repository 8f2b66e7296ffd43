#pragma once
// A meter bar: progress from 0 to 1 drawn in the progress tint over the track
// tint. Main thread only.

#include "platform/uikit/UIView.h"

enum UIProgressViewStyle : long {
  UIProgressViewStyleDefault = 0,
  UIProgressViewStyleBar = 1,
};
UIKIT_BOUNDARY_ENUM(UIProgressViewStyle);

class UIProgressView : public UIView {
 public:
  UIProgressView() = default;
  explicit UIProgressView(UIProgressViewStyle style) : style_(style) {}
  // The run time's initialiser for instances made by class_createInstance.
  UIProgressView* initWithProgressViewStyle(UIProgressViewStyle style);

  UIProgressViewStyle progressViewStyle() const {
    UIKIT_MAIN_THREAD_ONLY();
    return style_;
  }
  float progress() const {
    UIKIT_MAIN_THREAD_ONLY();
    return progress_;
  }
  // Clamped to 0...1; not animated.
  void setProgress(float progress) {
    UIKIT_MAIN_THREAD_ONLY();
    setProgress_animated(progress, false);
  }
  // Animated: inside an animation block with its timing, otherwise over
  // kProgressAnimationDuration of its own (counted as a running animation).
  void setProgress_animated(float progress, bool animated);
  // The progress on screen at dispatch::Clock's present.
  float presentationProgress() const;

  // nil: the platform's default colours.
  UIColor* trackTintColor() const {
    UIKIT_MAIN_THREAD_ONLY();
    return trackTintColor_.get();
  }
  void setTrackTintColor(UIColor* color);
  UIColor* progressTintColor() const {
    UIKIT_MAIN_THREAD_ONLY();
    return progressTintColor_.get();
  }
  void setProgressTintColor(UIColor* color);

  // A bar is 2 points high (2.5 in the bar style); its width is the layout's.
  CGSize intrinsicContentSize() const override;

  static constexpr double kProgressAnimationDuration = 0.25;

 private:
  UIProgressViewStyle style_ = UIProgressViewStyleDefault;
  float progress_ = 0;
  Ref<UIColor> trackTintColor_;
  Ref<UIColor> progressTintColor_;
};
